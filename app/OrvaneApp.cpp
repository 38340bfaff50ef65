#include "OrvaneApp.h"

#include <commctrl.h>
#include <objbase.h>

#include "OrvaneDlg.h"
#include "ShellEvents.h"

UINT g_uShellEventMsg = ::RegisterWindowMessageW(L"WM_SHELL_CHANGE_NOTIFY_FOR_ORVANE");

BEGIN_MESSAGE_MAP(COrvaneApp, CWinAppEx)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL COrvaneApp::InitInstance() {
    ::CoInitialize(nullptr);

    INITCOMMONCONTROLSEX icc;
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS |
                ICC_PROGRESS_CLASS | ICC_HOTKEY_CLASS | ICC_ANIMATE_CLASS;
    ::InitCommonControlsEx(&icc);

    CWinAppEx::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(L"Tesmark Software");

    {
        COrvaneDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }  // the dialog's destructor ends the shell registration

    ::CoUninitialize();
    // No message loop of the application: the program ends here.
    return FALSE;
}
