#include "TestableDlg.h"

namespace {
UINT g_uRunFunctionMsg = ::RegisterWindowMessageW(L"orvane tests: run function");
}

BEGIN_MESSAGE_MAP(CTestableDlg, COrvaneDlg)
    ON_REGISTERED_MESSAGE(g_uRunFunctionMsg, &CTestableDlg::OnRunFunction)
END_MESSAGE_MAP()

void CTestableDlg::RunOnDialogThread(HWND hDlg, const std::function<void()>& fn) {
    ::SendMessageW(hDlg, g_uRunFunctionMsg, 0, reinterpret_cast<LPARAM>(&fn));
}

LRESULT CTestableDlg::OnRunFunction(WPARAM, LPARAM lParam) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
}
