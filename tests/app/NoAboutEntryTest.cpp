// Linked with a string table whose About entry text is empty: the main dialog
// then adds neither the separator nor the entry to its system menu.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "DialogSession.h"
#include "String.h"
#include "resource.h"

namespace {

std::vector<UINT> SystemMenuIds(HWND hWnd) {
    HMENU hMenu = ::GetSystemMenu(hWnd, FALSE);
    std::vector<UINT> ids;
    for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i) ids.push_back(::GetMenuItemID(hMenu, i));
    return ids;
}

TEST(MainDialogWithoutAboutText, SystemMenuIsLeftAsItIs) {
    CString strAbout;
    strAbout.LoadString(IDS_ABOUTBOX);
    ASSERT_TRUE(strAbout.IsEmpty()) << "this test needs the empty About text";

    // A plain window with a system menu gives the menu as the system makes it.
    std::vector<UINT> plainIds, dialogIds;
    DialogSession s;
    ASSERT_TRUE(s.Started());

    DialogThread probe([&] {
        HWND hPlain = ::CreateWindowExW(0, L"#32770", L"plain", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0,
                                        0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        plainIds = SystemMenuIds(hPlain);
        ::DestroyWindow(hPlain);
        return INT_PTR(0);
    });
    probe.Join();
    dialogIds = SystemMenuIds(s.Dlg());
    EXPECT_FALSE(plainIds.empty());
    EXPECT_EQ(dialogIds, plainIds);
    for (UINT id : dialogIds) EXPECT_NE(id, static_cast<UINT>(IDM_ABOUTBOX));

    EXPECT_TRUE(s.Close());
    EXPECT_EQ(s.ModalResult(), IDCANCEL);
}

}  // namespace
