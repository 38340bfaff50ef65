// CFileDialog: the system's Open and Save As dialogs (comdlg32) behind the
// framework's usual constructor. The caller may adjust the OPENFILENAMEW
// through GetOFN() before DoModal().
//
// The dialog shown is always the one GetOpenFileNameW / GetSaveFileNameW give
// (Explorer style). bVistaStyle is accepted for the familiar signature and has
// no effect: the common item dialog would need COM on the calling thread, and
// the program opens its Save As dialog from a worker thread without COM.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "String.h"

class CWnd;

class CFileDialog {
public:
    // lpszFilter uses the framework's "Text|*.txt|All|*.*||" form ('|' between
    // entries); it may be null. dwSize 0 means sizeof(OPENFILENAMEW).
    explicit CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt = nullptr,
                         LPCWSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         LPCWSTR lpszFilter = nullptr, CWnd* pParentWnd = nullptr,
                         DWORD dwSize = 0, BOOL bVistaStyle = TRUE);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    OPENFILENAMEW& GetOFN() { return m_ofn; }
    const OPENFILENAMEW& GetOFN() const { return m_ofn; }

    // Runs the dialog modally. The owner is m_ofn.hwndOwner, or the parent
    // window's handle when that is not set. IDOK when the user confirmed a
    // file (the path is in m_ofn.lpstrFile), IDCANCEL otherwise.
    INT_PTR DoModal();

    // The chosen path as the dialog left it in lpstrFile.
    CString GetPathName() const { return CString(m_ofn.lpstrFile); }

private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    OPENFILENAMEW m_ofn;
    CString m_strDefExt;
    CString m_strFilter;  // NUL-separated, as OPENFILENAMEW wants it
    wchar_t m_szFileName[MAX_PATH];
};
