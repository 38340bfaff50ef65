#include "RunInProgress.h"

namespace {
const wchar_t kRunProp[] = L"orvane.RunInProgress";
}

BOOL TryMarkRunInProgress(HWND hDlg) {
    if (IsRunInProgress(hDlg)) return FALSE;
    MarkRunInProgress(hDlg);
    return TRUE;
}

void MarkRunInProgress(HWND hDlg) { SetPropW(hDlg, kRunProp, reinterpret_cast<HANDLE>(1)); }

void ClearRunInProgress(HWND hDlg) { RemovePropW(hDlg, kRunProp); }

BOOL IsRunInProgress(HWND hDlg) { return GetPropW(hDlg, kRunProp) != nullptr; }
