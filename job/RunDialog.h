// CRunDialog: the main dialog as a run sees it, and the one place where a run
// and the dialog meet. The worker gets nothing but the dialog's window handle;
// everything it does to the dialog goes through this class: the lock of the
// buttons, the title and the run mark, the selected drive's root, the question
// for the image path and the report.
//
// The dialog carries two marks, kept as window properties so that every
// thread reaches them through the window:
// - "a run is working": while it is set only one run works. The dialog starts
//   no second one, its button rule does not enable "Сохранить" or "Хэши", and
//   it cannot be closed, so no run is cut off with a half-written image and no
//   report. With the mark goes the system menu's Close (grayed, and with it
//   the caption's close button).
// - "a run is reading": only while the run reads the disc and writes what it
//   read (ReadingSpan.h). While it is set the dialog refuses to let the
//   session end (WM_QUERYENDSESSION), and a shutdown block reason tells
//   Windows why; a run that only waits for the user in the Save As or the
//   result dialog lets a logoff go on.
//
// The system menu, the block reason and the drive list belong to the dialog's
// thread. From the worker each of them is one synchronous message, which the
// dialog answers on its own thread: the marks with ApplyRunInProgress and
// ApplyRunReading, the root from the drive list's records, read together with
// the selection, so that the worker never touches a record that the list may
// free at any moment.
#pragma once

#include <windows.h>

#include "String.h"

class CRunDialog {
public:
    explicit CRunDialog(HWND hDlg) : m_hDlg(hDlg) {}

    HWND GetSafeHwnd() const { return m_hDlg; }

    // On the dialog's thread, at the press of Save or Hashes, before the worker
    // starts: sets the run mark and disables the four buttons, so that neither
    // a second press nor a queued "Обновить" acts while the worker gets going.
    // FALSE, and nothing changes, when a run holds the dialog already.
    BOOL Lock();
    // The worker, before the run shows its progress there: keeps the idle title.
    void KeepTitle();
    // Back to idle: the kept title (when one was kept), then the four buttons,
    // all enabled, whatever the selected drive holds, and only then the mark,
    // so that no new run starts while this one still holds them. After a run,
    // or when its worker did not start.
    void Unlock();

    // Copies the selected drive's root ("D:\") into pszRoot (cchRoot units).
    // FALSE, with an empty string, when nothing is selected, the item has no
    // record or the buffer cannot take the whole root.
    BOOL CopySelectedRoot(wchar_t* pszRoot, int cchRoot) const;
    // The Save As dialog for the image file, modal to the dialog. pszPath
    // (MAX_PATH units) carries the proposed name in and the chosen path out.
    // TRUE when the user confirmed a path.
    BOOL AskImagePath(wchar_t* pszPath) const;
    // The report in the result dialog, modal to the dialog, on this thread.
    void ShowReport(const CString& strText) const;
    // Sets or clears the reading mark, from any thread.
    void SetReading(BOOL bReading) const;

    static BOOL IsRunInProgress(HWND hDlg);
    static BOOL IsRunReading(HWND hDlg);

    // Registered messages that the main dialog answers on its own thread.
    // Run mark and reading mark: wParam TRUE sets, FALSE clears; answered 1.
    static const UINT s_uRunInProgressMsg;
    static const UINT s_uRunReadingMsg;
    // The selected root: wParam the buffer's capacity in UTF-16 units, lParam
    // the buffer (wchar_t*), which receives the root or an empty string;
    // answered TRUE when a drive is selected and its root was copied whole.
    static const UINT s_uCopySelectedRootMsg;

    // The dialog's answers to the mark messages, on its thread; each returns 1.
    static LRESULT ApplyRunInProgress(HWND hDlg, BOOL bMark);
    static LRESULT ApplyRunReading(HWND hDlg, BOOL bReading);

private:
    void EnableButtons(BOOL bEnable) const;
    void SetRunInProgress(BOOL bMark) const;

    HWND m_hDlg;
    CString m_strTitle;
    bool m_bTitleKept = false;
};
