#include "ResultDialog.h"

#include "resource.h"

IMPLEMENT_DYNAMIC(CResultDialog, CDialog)

BEGIN_MESSAGE_MAP(CResultDialog, CDialog)
END_MESSAGE_MAP()

CResultDialog::CResultDialog(CWnd* pParent, LPCWSTR pszText) : CDialog(IDD_RESULT, pParent), m_strText(pszText) {}

CResultDialog::~CResultDialog() = default;

BOOL CResultDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SetDlgItemTextW(m_hWnd, IDC_REPORT, m_strText);
    ::MessageBeep(MB_ICONEXCLAMATION);
    return TRUE;  // the focus goes to the first tab stop, "OK"
}
