#include "FileDialog.h"

#include "Wnd.h"

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt, LPCWSTR lpszFileName,
                         DWORD dwFlags, LPCWSTR lpszFilter, CWnd* pParentWnd, DWORD dwSize,
                         BOOL /*bVistaStyle*/)
    : m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd), m_ofn(), m_szFileName() {
    m_ofn.lStructSize = dwSize ? dwSize : sizeof(OPENFILENAMEW);
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = MAX_PATH;
    if (lpszFileName) lstrcpynW(m_szFileName, lpszFileName, MAX_PATH);
    if (lpszDefExt) {
        m_strDefExt = lpszDefExt;
        m_ofn.lpstrDefExt = m_strDefExt;
    }
    if (lpszFilter) {
        // "Name|*.ext|...||" becomes "Name\0*.ext\0...\0\0": the string keeps
        // its own terminator, so one more NUL closes the list.
        for (const wchar_t* p = lpszFilter; *p; ++p) m_strFilter += (*p == L'|') ? L'\0' : *p;
        m_strFilter += L'\0';
        m_ofn.lpstrFilter = m_strFilter;
    }
}

INT_PTR CFileDialog::DoModal() {
    if (!m_ofn.hwndOwner && m_pParentWnd) m_ofn.hwndOwner = m_pParentWnd->GetSafeHwnd();
    BOOL bOk = m_bOpenFileDialog ? GetOpenFileNameW(&m_ofn) : GetSaveFileNameW(&m_ofn);
    return bOk ? IDOK : IDCANCEL;
}
