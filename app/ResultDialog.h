// The result dialog (template 130): shows the report of a finished run in a
// read-only field, one report line per line, with a warning sound.
#pragma once

#include "Dialog.h"
#include "String.h"

class CResultDialog : public CDialog {
    DECLARE_DYNAMIC(CResultDialog)
public:
    CResultDialog(CWnd* pParent, LPCWSTR pszText);
    ~CResultDialog() override;

protected:
    DECLARE_MESSAGE_MAP()

    BOOL OnInitDialog() override;
    void ShowAllLines();

    CString m_strText;
};
