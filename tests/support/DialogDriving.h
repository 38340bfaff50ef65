// Helpers that drive orvane's dialogs the way a user does, through their real
// windows: find the main dialog and the dialogs it owns, read and set control
// texts, press buttons. Used by the end-to-end tests (same process) and by the
// demo driver (another process on the same Wine server).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "WindowWaits.h"

namespace drive {

// The main dialog's title while idle, and the result dialog's title.
inline const wchar_t* const kMainTitle = L"Создание образа CD/DVD";
inline const wchar_t* const kResultTitle = L"orvane - иформация";

inline std::wstring GetItemText(HWND hDlg, int id) { return WindowText(GetDlgItem(hDlg, id)); }

inline bool IsItemEnabled(HWND hDlg, int id) { return IsWindowEnabled(GetDlgItem(hDlg, id)) != FALSE; }

// orvane's main dialog, whatever its title shows: the top-level dialog with a
// progress bar 1001 and a "Хэши" button 1004; with a process id, only one of
// that process.
inline HWND FindMainDialog(DWORD dwProcessId = 0) {
    struct Query {
        DWORD dwProcessId;
        HWND hFound;
    } q = {dwProcessId, nullptr};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            Query* pq = reinterpret_cast<Query*>(lp);
            wchar_t cls[64] = {};
            GetClassNameW(h, cls, 64);
            if (lstrcmpW(cls, L"#32770") != 0 || !GetDlgItem(h, 1004)) return TRUE;
            HWND hBar = GetDlgItem(h, 1001);
            if (!hBar || !GetClassNameW(hBar, cls, 64) || lstrcmpiW(cls, PROGRESS_CLASSW) != 0) return TRUE;
            DWORD dwPid = 0;
            GetWindowThreadProcessId(h, &dwPid);
            if (pq->dwProcessId && dwPid != pq->dwProcessId) return TRUE;
            pq->hFound = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&q));
    return q.hFound;
}

// The Save As dialog is any dialog the main dialog owns other than the result dialog.
inline HWND WaitSaveAsDialog(HWND hMain, DWORD ms) { return WaitForOwnedDialog(hMain, ms, nullptr, kResultTitle); }

inline HWND WaitResultDialog(HWND hMain, DWORD ms) { return WaitForOwnedDialog(hMain, ms, kResultTitle); }

// The edit field of the Save As dialog's file-name box (control 1148).
inline HWND FileNameEdit(HWND hSaveAs) {
    HWND hBox = GetDlgItem(hSaveAs, 1148);
    if (!hBox) return nullptr;
    wchar_t cls[64] = {};
    GetClassNameW(hBox, cls, 64);
    if (lstrcmpiW(cls, L"Edit") == 0) return hBox;
    if (lstrcmpiW(cls, WC_COMBOBOXEXW) == 0) {
        HWND hEdit = reinterpret_cast<HWND>(SendMessageW(hBox, CBEM_GETEDITCONTROL, 0, 0));
        if (hEdit) return hEdit;
    }
    HWND hCombo = FindWindowExW(hBox, nullptr, L"ComboBox", nullptr);
    HWND hEdit = FindWindowExW(hCombo ? hCombo : hBox, nullptr, L"Edit", nullptr);
    return hEdit;
}

// Presses a button the way a click does: the command reaches the dialog later,
// through its own message loop, and the caller does not wait for the handler.
inline void Press(HWND hDlg, int id) {
    PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, id)));
}

// Types a file name into the Save As dialog and confirms it.
inline bool ConfirmSaveAs(HWND hSaveAs, const std::wstring& name) {
    HWND hEdit = FileNameEdit(hSaveAs);
    if (!hEdit) return false;
    SendMessageW(hEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    Press(hSaveAs, IDOK);
    return true;
}

inline void CancelSaveAs(HWND hSaveAs) { Press(hSaveAs, IDCANCEL); }

// The report shown in the result dialog's text field.
inline std::wstring ResultText(HWND hResult) { return GetItemText(hResult, 1000); }

}  // namespace drive
