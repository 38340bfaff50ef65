// One live main dialog for an end-to-end test: COrvaneDlg runs modally on a
// user-interface thread of its own, as the program runs it, while the test's
// thread works it through its windows like a user and delivers shell events.
//
// Shell events are raised with SHChangeNotify inside this process, the only
// one whose registrations Wine tells; they reach the dialog's own registration
// and take its real path (lock, decode, react).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include "DialogDriving.h"
#include "DialogThread.h"
#include "TestableDlg.h"

// The main dialog with its shell registration in view of the tests.
class ObservedOrvaneDlg : public CTestableDlg {
public:
    using COrvaneDlg::m_shellNotify;
};

class DialogSession {
public:
    DialogSession();
    ~DialogSession();
    DialogSession(const DialogSession&) = delete;
    DialogSession& operator=(const DialogSession&) = delete;

    HWND Dlg() const { return m_hDlg; }
    HWND List() const { return GetDlgItem(m_hDlg, 1000); }
    ObservedOrvaneDlg& Object() { return *m_pDlg; }
    bool Started() const { return m_hDlg != nullptr; }

    // Runs fn on the dialog's thread, between its messages, and waits for it.
    void OnDialogThread(const std::function<void()>& fn) { CTestableDlg::RunOnDialogThread(m_hDlg, fn); }

    // Sends one shell notification for a path, from inside this process; it has
    // been handled by the dialog when this returns.
    void Notify(LONG lEvent, const wchar_t* pszPath);

    // The drive list as the user sees it.
    int Count() const;
    int Selection() const;
    std::wstring ItemText(int i) const;
    std::wstring SelectedRoot() const;  // "D:\" of the selected item, or empty
    std::wstring FieldText() const;     // the text that the closed list shows
    std::wstring Roots() const;         // letters of the listed drives, e.g. "DEFG"
    bool SaveEnabled() const { return drive::IsItemEnabled(m_hDlg, IDOK); }
    bool HashesEnabled() const { return drive::IsItemEnabled(m_hDlg, 1004); }

    // Selects an item the way the user does: the list changes, then tells the dialog.
    void Select(int i);
    int IndexOf(wchar_t chLetter) const;

    // Returns once the dialog's thread has handled every message posted to it
    // before (button presses, commands that default handling posts). Moves the
    // drive list's selection, without telling the dialog, as its marker.
    bool FlushPosted();

    // Presses "Выход" once the dialog is idle and waits for the modal loop to end.
    bool Close();

private:
    ObservedOrvaneDlg* m_pDlg = nullptr;
    std::unique_ptr<DialogThread> m_thread;
    HWND m_hDlg = nullptr;
};
