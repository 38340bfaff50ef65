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
    ShowAllLines();
    ::MessageBeep(MB_ICONEXCLAMATION);
    return TRUE;  // the focus goes to the first tab stop, "OK"
}

// A text with more lines than the field shows (a whole Save report followed by
// the line of an unsaved report) makes the field, and the dialog with it,
// taller by the lines missing, and moves "OK" down, so that its last line is seen.
void CResultDialog::ShowAllLines() {
    HWND hEdit = ::GetDlgItem(m_hWnd, IDC_REPORT);
    int nLines = static_cast<int>(::SendMessageW(hEdit, EM_GETLINECOUNT, 0, 0));
    const int nLength = m_strText.GetLength();
    if (nLength >= 2 && m_strText.GetString()[nLength - 1] == L'\n') --nLines;  // no text after the last line end
    const LRESULT nSecond = ::SendMessageW(hEdit, EM_LINEINDEX, 1, 0);
    if (nLines < 2 || nSecond < 0) return;
    const int nLineHeight = static_cast<short>(HIWORD(::SendMessageW(hEdit, EM_POSFROMCHAR, nSecond, 0))) -
                            static_cast<short>(HIWORD(::SendMessageW(hEdit, EM_POSFROMCHAR, 0, 0)));
    RECT rcFormat = {};
    ::SendMessageW(hEdit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rcFormat));
    const int dy = nLines * nLineHeight - (rcFormat.bottom - rcFormat.top);
    if (nLineHeight <= 0 || dy <= 0) return;

    RECT rc;
    ::GetWindowRect(hEdit, &rc);
    ::SetWindowPos(hEdit, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top + dy, SWP_NOMOVE | SWP_NOZORDER);
    HWND hOk = ::GetDlgItem(m_hWnd, IDOK);
    ::GetWindowRect(hOk, &rc);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    ::SetWindowPos(hOk, nullptr, rc.left, rc.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::GetWindowRect(m_hWnd, &rc);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top + dy, SWP_NOMOVE | SWP_NOZORDER);
}
