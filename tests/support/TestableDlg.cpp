#include "TestableDlg.h"

#include <commctrl.h>

#include "resource.h"

namespace {
UINT g_uRunFunctionMsg = ::RegisterWindowMessageW(L"orvane tests: run function");
}

BEGIN_MESSAGE_MAP(CTestableDlg, COrvaneDlg)
    ON_REGISTERED_MESSAGE(g_uRunFunctionMsg, &CTestableDlg::OnRunFunction)
    ON_NOTIFY(CBEN_DELETEITEM, IDC_DRIVES, &CTestableDlg::OnDeleteItemLogged)
END_MESSAGE_MAP()

void CTestableDlg::RunOnDialogThread(HWND hDlg, const std::function<void()>& fn) {
    ::SendMessageW(hDlg, g_uRunFunctionMsg, 0, reinterpret_cast<LPARAM>(&fn));
}

LRESULT CTestableDlg::OnRunFunction(WPARAM, LPARAM lParam) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
}

void CTestableDlg::OnDeleteItemLogged(NMHDR* pNMHDR, LRESULT* pResult) {
    m_deletedRecords.push_back(reinterpret_cast<NMCOMBOBOXEXW*>(pNMHDR)->ceItem.lParam);
    COrvaneDlg::OnDeleteItemDrives(pNMHDR, pResult);
}
