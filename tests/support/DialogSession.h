// One live main dialog for a test: COrvaneDlg (as CTestableDlg) runs modally
// on a user-interface thread of its own, as the program runs it, while the
// test's thread works it through its windows like a user, runs code on the
// dialog's thread and delivers shell events. The app tests and the end-to-end
// tests drive the main dialog this one way.
//
// Shell events are raised with SHChangeNotify inside this process, the only
// one whose registrations Wine tells; they reach the dialog's own registration
// and take its real path (lock, decode, react).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DialogDriving.h"
#include "DialogThread.h"
#include "TestableDlg.h"

class DialogSession {
public:
    // Starts the dialog and waits for its window; Started() tells whether it came.
    DialogSession();
    // Closes the dialog as Close() does; a dialog that would not close is left
    // to the process's end.
    ~DialogSession();
    DialogSession(const DialogSession&) = delete;
    DialogSession& operator=(const DialogSession&) = delete;

    HWND Dlg() const { return m_hDlg; }
    HWND List() const { return GetDlgItem(m_hDlg, 1000); }
    DWORD ThreadId() const { return m_thread->ThreadId(); }
    CTestableDlg& Object() { return *m_pDlg; }
    bool Started() const { return m_hDlg != nullptr; }

    // Runs fn on the dialog's thread, between its messages, and waits for it.
    void OnDialogThread(const std::function<void()>& fn) { CTestableDlg::RunOnDialogThread(m_hDlg, fn); }

    // Sends one shell notification for a path, from inside this process; it has
    // been handled by the dialog when this returns.
    void Notify(LONG lEvent, const wchar_t* pszPath);

    // A button's command, sent: handled when this returns (drive::Press posts it).
    void Command(int id) const;
    bool Enabled(int id) const { return drive::IsItemEnabled(m_hDlg, id); }
    bool SaveEnabled() const { return Enabled(IDOK); }
    bool HashesEnabled() const { return Enabled(1004); }

    // The drive list as the user sees it.
    struct Item {
        std::wstring text;
        int image;
        int selectedImage;
        const DriveItemData* data;
    };
    std::vector<Item> Items() const;
    int Count() const;
    int Selection() const;
    std::wstring ItemText(int i) const;
    std::wstring SelectedRoot() const;  // "D:\" of the selected item, or empty
    std::wstring FieldText() const;     // the text that the closed list shows
    std::wstring Roots() const;         // letters of the listed drives, e.g. "DEFG"
    int IndexOf(wchar_t chLetter) const;
    // Images in the list's image list, or -1 when it has none.
    int ImageCount() const;

    // Selects an item the way the user does: the list changes, then tells the
    // dialog (-1: no selection).
    void Select(int i);

    // Returns once the dialog's thread has handled every message posted to it
    // before (button presses, commands that default handling posts). Moves the
    // drive list's selection, without telling the dialog, as its marker.
    bool FlushPosted();

    // Presses "Выход" once the dialog is idle and waits for the modal loop to
    // end; true when it has ended (or the dialog was gone already).
    bool Close();
    // The modal loop's result, once it has ended (-2 when it does not end).
    INT_PTR ModalResult();

private:
    CTestableDlg* m_pDlg = nullptr;
    std::unique_ptr<DialogThread> m_thread;
    HWND m_hDlg = nullptr;
};
