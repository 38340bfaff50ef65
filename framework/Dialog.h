// CDialog: a modal dialog made from a dialog template resource. The dialog's
// window is attached to the object from WM_INITDIALOG until it is destroyed;
// its messages go through the object's message map.
#pragma once

#include "Wnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    // nIDTemplate: the dialog template resource. pParentWnd: the owner window;
    // without one the dialog is owned by the application's main window or, when
    // there is none on this thread, by this thread's active window.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override = default;

    // Runs the dialog until EndDialog and returns the value given to it (-1 on failure).
    virtual INT_PTR DoModal();

    void EndDialog(int nResult);

protected:
    DECLARE_MESSAGE_MAP()

    // Called once the dialog's controls exist. TRUE lets the dialog manager put
    // the focus on the first tab stop.
    virtual BOOL OnInitDialog();
    // The commands IDOK and IDCANCEL: end the dialog with that value.
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_nIDHelp;  // the template id
    CWnd* m_pParentWnd;

private:
    HWND GetOwnerForModal() const;
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
};
