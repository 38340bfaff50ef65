#include "Dialog.h"

#include "Resources.h"
#include "WinApp.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {}

HWND CDialog::GetOwnerForModal() const {
    HWND hOwner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
    if (!hOwner) {
        CWinApp* pApp = AfxGetApp();
        HWND hMain = pApp && pApp->m_pMainWnd ? pApp->m_pMainWnd->GetSafeHwnd() : nullptr;
        if (hMain && ::GetWindowThreadProcessId(hMain, nullptr) == ::GetCurrentThreadId())
            hOwner = hMain;
        else
            hOwner = ::GetActiveWindow();
    }
    // Only a top-level window can own a dialog.
    return hOwner ? ::GetAncestor(hOwner, GA_ROOT) : nullptr;
}

INT_PTR CDialog::DoModal() {
    LPCWSTR lpszTemplate = MAKEINTRESOURCEW(m_nIDHelp);
    HINSTANCE hInst = AfxFindResourceHandle(lpszTemplate, RT_DIALOG);
    return ::DialogBoxParamW(hInst, lpszTemplate, GetOwnerForModal(), &CDialog::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

// The dialog manager's procedure for the template. From WM_INITDIALOG on, the
// window's messages reach the object through its subclassed window procedure,
// which hands everything it does not handle to the dialog manager; this
// procedure then has nothing more to do.
INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT nMessage, WPARAM, LPARAM lParam) {
    if (nMessage != WM_INITDIALOG) return FALSE;
    CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
    pDlg->SubclassWindow(hWnd);
    return pDlg->OnInitDialog();
}
