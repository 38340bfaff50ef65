#include "RunInProgress.h"

#include "String.h"
#include "resource.h"

namespace {

const wchar_t kRunProp[] = L"orvane.RunInProgress";

// Applies the change on the dialog's thread: directly when called there,
// otherwise through the message, which the main dialog answers.
void SetRunInProgress(HWND hDlg, BOOL bMark) {
    if (GetWindowThreadProcessId(hDlg, nullptr) == GetCurrentThreadId())
        ApplyRunInProgress(hDlg, bMark);
    else
        SendMessageW(hDlg, g_uRunInProgressMsg, bMark, 0);
}

}  // namespace

const UINT g_uRunInProgressMsg = RegisterWindowMessageW(L"orvane.RunInProgress");

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
    if (bMark) {
        SetPropW(hDlg, kRunProp, reinterpret_cast<HANDLE>(1));
        CString strReason;
        strReason.LoadString(IDS_RUN_BLOCKS_SHUTDOWN);
        ShutdownBlockReasonCreate(hDlg, strReason);
    } else {
        ShutdownBlockReasonDestroy(hDlg);
        RemovePropW(hDlg, kRunProp);
    }
    return 1;
}
