// CFileDialog: the system's Save As (or Open) dialog of comdlg32 behind the
// framework's usual constructor. The caller fills in the OPENFILENAMEW through
// GetOFN() before DoModal(): the owner, the path buffer, the filter and the
// default extension.
//
// The dialog shown is always the one GetSaveFileNameW / GetOpenFileNameW give
// (Explorer style), which the shell builds on COM: the calling thread needs a
// single-threaded apartment. bVistaStyle is accepted for the familiar
// signature and has no effect.
#pragma once

#include <windows.h>
#include <commdlg.h>

class CWnd;

class CFileDialog {
public:
    // The default extension, the file name, the filter and the parent window are
    // left to GetOFN(); they must be null here. dwSize 0 means sizeof(OPENFILENAMEW).
    explicit CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt = nullptr, LPCWSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr, DWORD dwSize = 0, BOOL bVistaStyle = TRUE);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    OPENFILENAMEW& GetOFN() { return m_ofn; }

    // Runs the dialog modally: IDOK when the user confirmed a file (its path is
    // in m_ofn.lpstrFile), IDCANCEL otherwise.
    INT_PTR DoModal();

private:
    BOOL m_bOpenFileDialog;
    OPENFILENAMEW m_ofn;
};
