#include "FileDialog.h"

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCWSTR /*lpszDefExt*/, LPCWSTR /*lpszFileName*/, DWORD dwFlags,
                         LPCWSTR /*lpszFilter*/, CWnd* /*pParentWnd*/, DWORD dwSize, BOOL /*bVistaStyle*/)
    : m_bOpenFileDialog(bOpenFileDialog), m_ofn() {
    m_ofn.lStructSize = dwSize ? dwSize : sizeof(OPENFILENAMEW);
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
}

INT_PTR CFileDialog::DoModal() {
    const BOOL bOk = m_bOpenFileDialog ? GetOpenFileNameW(&m_ofn) : GetSaveFileNameW(&m_ofn);
    return bOk ? IDOK : IDCANCEL;
}
