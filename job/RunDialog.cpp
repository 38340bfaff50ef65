// The one file of job/ that meets the user interface of app/: it shows a run's
// report in app/'s result dialog.
#include "RunDialog.h"

#include <vector>

#include "FileDialog.h"
#include "ResultDialog.h"
#include "resource.h"

namespace {

const wchar_t kRunProp[] = L"orvane.RunInProgress";
const wchar_t kReadingProp[] = L"orvane.RunReading";

// The buttons a run locks, in the order it disables and enables them:
// "Сохранить", "Выход", "Хэши", "Обновить".
const int kRunButtons[] = {IDOK, IDCANCEL, IDC_HASHES, IDC_REFRESH};

// Applies a change on the dialog's thread: directly when called there,
// otherwise through its message, which the main dialog answers.
void ApplyOnDialogThread(HWND hDlg, UINT uMsg, LRESULT (*pfnApply)(HWND, BOOL), BOOL bSet) {
    if (GetWindowThreadProcessId(hDlg, nullptr) == GetCurrentThreadId())
        pfnApply(hDlg, bSet);
    else
        SendMessageW(hDlg, uMsg, bSet, 0);
}

void SetMarkProp(HWND hDlg, const wchar_t* pszProp, BOOL bSet) {
    if (bSet)
        SetPropW(hDlg, pszProp, reinterpret_cast<HANDLE>(1));
    else
        RemovePropW(hDlg, pszProp);
}

}  // namespace

const UINT CRunDialog::s_uRunInProgressMsg = RegisterWindowMessageW(L"orvane.RunInProgress");
const UINT CRunDialog::s_uRunReadingMsg = RegisterWindowMessageW(L"orvane.RunReading");
const UINT CRunDialog::s_uCopySelectedRootMsg = RegisterWindowMessageW(L"orvane: copy the selected drive's root");

BOOL CRunDialog::Lock() {
    if (IsRunInProgress(m_hDlg)) return FALSE;
    SetRunInProgress(TRUE);
    EnableButtons(FALSE);
    return TRUE;
}

void CRunDialog::KeepTitle() {
    const int nTitle = GetWindowTextLengthW(m_hDlg);
    std::vector<wchar_t> title(static_cast<size_t>(nTitle) + 1);
    GetWindowTextW(m_hDlg, title.data(), nTitle + 1);
    m_strTitle = title.data();
    m_bTitleKept = true;
}

void CRunDialog::Unlock() {
    if (m_bTitleKept) SetWindowTextW(m_hDlg, m_strTitle);
    EnableButtons(TRUE);
    SetRunInProgress(FALSE);
}

BOOL CRunDialog::CopySelectedRoot(wchar_t* pszRoot, int cchRoot) const {
    return SendMessageW(m_hDlg, s_uCopySelectedRootMsg, static_cast<WPARAM>(cchRoot),
                        reinterpret_cast<LPARAM>(pszRoot)) == TRUE;
}

BOOL CRunDialog::AskImagePath(wchar_t* pszPath) const {
    // OFN_NOCHANGEDIR: the chosen folder must not become the process's current
    // folder, which would hold it open (a USB stick could not be removed).
    CFileDialog dlg(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR, nullptr, nullptr,
                    0, TRUE);
    OPENFILENAMEW& ofn = dlg.GetOFN();
    ofn.hwndOwner = m_hDlg;
    ofn.lpstrFile = pszPath;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrFilter = L"Файл образа CD/DVD (*.iso)\0*.iso\0";
    ofn.lpstrDefExt = L"iso";
    return dlg.DoModal() == IDOK;
}

void CRunDialog::ShowReport(const CString& strText) const {
    CResultDialog dlgResult(CWnd::FromHandle(m_hDlg), strText);
    dlgResult.DoModal();
}

void CRunDialog::SetReading(BOOL bReading) const {
    ApplyOnDialogThread(m_hDlg, s_uRunReadingMsg, &ApplyRunReading, bReading);
}

BOOL CRunDialog::IsRunInProgress(HWND hDlg) { return GetPropW(hDlg, kRunProp) != nullptr; }

BOOL CRunDialog::IsRunReading(HWND hDlg) { return GetPropW(hDlg, kReadingProp) != nullptr; }

LRESULT CRunDialog::ApplyRunInProgress(HWND hDlg, BOOL bMark) {
    if (HMENU hSysMenu = GetSystemMenu(hDlg, FALSE))
        EnableMenuItem(hSysMenu, SC_CLOSE, MF_BYCOMMAND | (bMark ? MF_GRAYED : MF_ENABLED));
    SetMarkProp(hDlg, kRunProp, bMark);
    return 1;
}

LRESULT CRunDialog::ApplyRunReading(HWND hDlg, BOOL bReading) {
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

void CRunDialog::EnableButtons(BOOL bEnable) const {
    for (int id : kRunButtons) EnableWindow(GetDlgItem(m_hDlg, id), bEnable);
}

void CRunDialog::SetRunInProgress(BOOL bMark) const {
    ApplyOnDialogThread(m_hDlg, s_uRunInProgressMsg, &ApplyRunInProgress, bMark);
}
