#include "RunInProgress.h"

#include "String.h"
#include "resource.h"

namespace {

const wchar_t kRunProp[] = L"orvane.RunInProgress";
const wchar_t kReadingProp[] = L"orvane.RunReading";

// Applies a change on the dialog's thread: directly when called there,
// otherwise through its message, which the main dialog answers.
void ApplyOnDialogThread(HWND hDlg, UINT uMsg, LRESULT (*pfnApply)(HWND, BOOL), BOOL bSet) {
    if (GetWindowThreadProcessId(hDlg, nullptr) == GetCurrentThreadId())
        pfnApply(hDlg, bSet);
    else
        SendMessageW(hDlg, uMsg, bSet, 0);
}

void SetRunInProgress(HWND hDlg, BOOL bMark) {
    ApplyOnDialogThread(hDlg, g_uRunInProgressMsg, &ApplyRunInProgress, bMark);
}

void SetMarkProp(HWND hDlg, const wchar_t* pszProp, BOOL bSet) {
    if (bSet)
        SetPropW(hDlg, pszProp, reinterpret_cast<HANDLE>(1));
    else
        RemovePropW(hDlg, pszProp);
}

}  // namespace

const UINT g_uRunInProgressMsg = RegisterWindowMessageW(L"orvane.RunInProgress");
const UINT g_uRunReadingMsg = RegisterWindowMessageW(L"orvane.RunReading");

BOOL TryMarkRunInProgress(HWND hDlg) {
    if (IsRunInProgress(hDlg)) return FALSE;
    SetRunInProgress(hDlg, TRUE);
    return TRUE;
}

void MarkRunInProgress(HWND hDlg) {
    if (!IsRunInProgress(hDlg)) SetRunInProgress(hDlg, TRUE);
}

void ClearRunInProgress(HWND hDlg) { SetRunInProgress(hDlg, FALSE); }

BOOL IsRunInProgress(HWND hDlg) { return GetPropW(hDlg, kRunProp) != nullptr; }

LRESULT ApplyRunInProgress(HWND hDlg, BOOL bMark) {
    if (HMENU hSysMenu = GetSystemMenu(hDlg, FALSE))
        EnableMenuItem(hSysMenu, SC_CLOSE, MF_BYCOMMAND | (bMark ? MF_GRAYED : MF_ENABLED));
    SetMarkProp(hDlg, kRunProp, bMark);
    return 1;
}

void SetRunReading(HWND hDlg, BOOL bReading) {
    ApplyOnDialogThread(hDlg, g_uRunReadingMsg, &ApplyRunReading, bReading);
}

BOOL IsRunReading(HWND hDlg) { return GetPropW(hDlg, kReadingProp) != nullptr; }

LRESULT ApplyRunReading(HWND hDlg, BOOL bReading) {
    if (bReading) {
        CString strReason;
        strReason.LoadString(IDS_RUN_BLOCKS_SHUTDOWN);
        ShutdownBlockReasonCreate(hDlg, strReason);
    } else {
        ShutdownBlockReasonDestroy(hDlg);
    }
    SetMarkProp(hDlg, kReadingProp, bReading);
    return 1;
}
