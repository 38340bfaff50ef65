// The main dialog run for real on a thread of its own and driven through its
// window messages: start-up state, system menu and About box, the drive list
// and the button rule, "Обновить" and "Выход".
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "DialogSession.h"
#include "DialogThread.h"
#include "FailingCalls.h"
#include "OrvaneApp.h"
#include "RunDialog.h"
#include "ShellEvents.h"
#include "WindowWaits.h"
#include "resource.h"

namespace {

const wchar_t kMainTitle[] = L"Создание образа CD/DVD";
const wchar_t kAboutTitle[] = L"О программе orvane";

// The optical drives of the machine, in letter order, as the system reports them.
std::vector<std::wstring> OpticalDriveRoots() {
    std::vector<std::wstring> roots;
    const DWORD mask = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i))) continue;
        std::wstring root = {static_cast<wchar_t>(L'A' + i), L':', L'\\'};
        if (::GetDriveTypeW(root.c_str()) == DRIVE_CDROM) roots.push_back(root);
    }
    return roots;
}

using ListedItem = DialogSession::Item;

class MainDialog : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(s.Started()) << "the main dialog did not appear"; }

    void TearDown() override {
        EXPECT_TRUE(s.Close());
        EXPECT_EQ(s.ModalResult(), IDCANCEL);
    }

    // Runs fn with the dialog object on the dialog's thread and waits for it.
    void OnDialogThread(const std::function<void(CTestableDlg&)>& fn) {
        s.OnDialogThread([&] { fn(s.Object()); });
    }

    DialogSession s;
};

TEST_F(MainDialog, StartsWithTitleIconsFocusAndButtons) {
    EXPECT_EQ(WindowText(s.Dlg()), kMainTitle);
    EXPECT_EQ(FocusOfThread(s.ThreadId()), ::GetDlgItem(s.Dlg(), IDC_REFRESH));
    EXPECT_TRUE(s.Enabled(IDC_REFRESH));
    EXPECT_TRUE(s.Enabled(IDCANCEL));
    EXPECT_TRUE(s.Enabled(IDC_DRIVES));
    EXPECT_EQ(s.Enabled(IDOK), s.Enabled(IDC_HASHES));

    auto hBig = reinterpret_cast<HICON>(::SendMessageW(s.Dlg(), WM_GETICON, ICON_BIG, 0));
    auto hSmall = reinterpret_cast<HICON>(::SendMessageW(s.Dlg(), WM_GETICON, ICON_SMALL, 0));
    EXPECT_NE(hBig, nullptr);
    EXPECT_EQ(hBig, hSmall);
    // The drag icon is the same application icon.
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(s.Dlg(), WM_QUERYDRAGICON, 0, 0)), hBig);

    const std::vector<std::wstring> roots = OpticalDriveRoots();
    const std::vector<ListedItem> items = s.Items();
    if (roots.empty()) {
        EXPECT_TRUE(items.empty());
        EXPECT_EQ(s.Selection(), CB_ERR);
        EXPECT_FALSE(s.Enabled(IDOK));
        EXPECT_FALSE(s.Enabled(IDC_HASHES));
    } else {
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(s.Selection(), 0);
        EXPECT_EQ(s.Enabled(IDOK), (items[0].data->dwFlags & DIF_MEDIA) != 0);
    }
}

TEST_F(MainDialog, SystemMenuEndsWithSeparatorAndAboutEntry) {
    HMENU hMenu = nullptr;
    OnDialogThread([&](CTestableDlg& dlg) { hMenu = ::GetSystemMenu(dlg.m_hWnd, FALSE); });
    ASSERT_NE(hMenu, nullptr);
    const int n = ::GetMenuItemCount(hMenu);
    ASSERT_GE(n, 2);
    EXPECT_EQ(::GetMenuItemID(hMenu, n - 1), static_cast<UINT>(IDM_ABOUTBOX));
    wchar_t text[128] = {};
    ::GetMenuStringW(hMenu, n - 1, text, ARRAYSIZE(text), MF_BYPOSITION);
    EXPECT_STREQ(text, L"&О программе orvane...");
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    ASSERT_TRUE(::GetMenuItemInfoW(hMenu, n - 2, TRUE, &info));
    EXPECT_TRUE(info.fType & MFT_SEPARATOR);
}

TEST_F(MainDialog, AboutBoxOpensAndClosesAnyNumberOfTimes) {
    const bool bSaveBefore = s.Enabled(IDOK);
    const int nSelBefore = s.Selection();
    // The entry's own command, and any value that masks to it.
    for (WPARAM cmd : {WPARAM(IDM_ABOUTBOX), WPARAM(IDM_ABOUTBOX), WPARAM(IDM_ABOUTBOX | 0x3), WPARAM(IDM_ABOUTBOX)}) {
        ::PostMessageW(s.Dlg(), WM_SYSCOMMAND, cmd, 0);
        HWND hAbout = WaitForThreadWindow(s.ThreadId(), kAboutTitle);
        ASSERT_NE(hAbout, nullptr) << "About box for command " << cmd;
        EXPECT_EQ(::GetWindow(hAbout, GW_OWNER), s.Dlg());
        EXPECT_FALSE(::IsWindowEnabled(s.Dlg())) << "the About box is modal";
        EXPECT_EQ(FocusOfThread(s.ThreadId()), ::GetDlgItem(hAbout, IDOK));
        ::PostMessageW(hAbout, WM_COMMAND, MAKEWPARAM(cmd == IDM_ABOUTBOX ? IDOK : IDCANCEL, BN_CLICKED), 0);
        ASSERT_TRUE(WaitForWindowGone(hAbout));
    }
    EXPECT_TRUE(::IsWindowEnabled(s.Dlg()));
    EXPECT_EQ(s.Selection(), nSelBefore);
    EXPECT_EQ(s.Enabled(IDOK), bSaveBefore);
}

TEST_F(MainDialog, ListsOpticalDrivesInLetterOrderWithShellNamesAndIcons) {
    const std::vector<std::wstring> roots = OpticalDriveRoots();
    if (roots.empty()) GTEST_SKIP() << "no optical drive in this environment";
    const std::vector<ListedItem> items = s.Items();
    ASSERT_EQ(items.size(), roots.size());
    std::map<int, int> imageOfSysIcon;
    for (size_t i = 0; i < items.size(); ++i) {
        ASSERT_NE(items[i].data, nullptr);
        EXPECT_EQ(std::wstring(items[i].data->szRoot), roots[i]);
        SHFILEINFOW sfi = {};
        ::SHGetFileInfoW(roots[i].c_str(), 0, &sfi, sizeof(sfi),
                         SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        EXPECT_EQ(items[i].text, sfi.szDisplayName);
        EXPECT_GE(items[i].image, 0);
        EXPECT_EQ(items[i].image, items[i].selectedImage);
        // One image per distinct shell icon: drives that share one share its image.
        auto it = imageOfSysIcon.find(sfi.iIcon);
        if (it == imageOfSysIcon.end())
            imageOfSysIcon[sfi.iIcon] = items[i].image;
        else
            EXPECT_EQ(items[i].image, it->second) << "drive " << i << " shares a shell icon";
        wchar_t label[MAX_PATH];
        const bool bMedia =
            ::GetVolumeInformationW(roots[i].c_str(), label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0);
        EXPECT_EQ((items[i].data->dwFlags & DIF_MEDIA) != 0, bMedia);
        EXPECT_EQ(items[i].data->dwFlags & ~static_cast<DWORD>(DIF_MEDIA), 0u);
    }
    EXPECT_EQ(s.ImageCount(), static_cast<int>(imageOfSysIcon.size()));
    EXPECT_EQ(s.Selection(), 0);
}

TEST_F(MainDialog, ButtonsFollowTheSelectedDrivesMedia) {
    if (s.Items().empty()) GTEST_SKIP() << "no optical drive in this environment";
    const int n = static_cast<int>(s.Items().size());

    OnDialogThread([](CTestableDlg& dlg) { dlg.UpdateDriveItem(0, FALSE); });
    EXPECT_EQ(s.Items()[0].data->dwFlags & DIF_MEDIA, 0u);
    EXPECT_FALSE(s.Enabled(IDOK));
    EXPECT_FALSE(s.Enabled(IDC_HASHES));

    OnDialogThread([](CTestableDlg& dlg) { dlg.UpdateDriveItem(0, TRUE); });
    EXPECT_EQ(s.Items()[0].data->dwFlags & DIF_MEDIA, static_cast<DWORD>(DIF_MEDIA));
    EXPECT_TRUE(s.Enabled(IDOK));
    EXPECT_TRUE(s.Enabled(IDC_HASHES));

    // No selection: the buttons keep their state.
    s.Select(-1);
    EXPECT_TRUE(s.Enabled(IDOK));
    EXPECT_TRUE(s.Enabled(IDC_HASHES));
    s.Select(0);
    EXPECT_TRUE(s.Enabled(IDOK));
    // A press whose run's thread cannot be started leaves the dialog idle: no
    // run mark, "Выход" and "Обновить" enabled, the others by the rule.
    bool bRefused = false;
    s.OnDialogThread([&] {
        const failing::CArmed armed({failing::kCreateRemoteThread, 1, ERROR_NOT_ENOUGH_MEMORY});
        s.Command(IDOK);
        bRefused = armed.FaultHit();
    });
    EXPECT_TRUE(bRefused);
    EXPECT_FALSE(CRunDialog::IsRunInProgress(s.Dlg())) << "the dialog stays locked";
    for (int id : {IDCANCEL, IDC_REFRESH, IDOK, IDC_HASHES}) EXPECT_TRUE(s.Enabled(id)) << "button " << id;
    OnDialogThread([](CTestableDlg& dlg) { dlg.UpdateDriveItem(0, FALSE); });
    EXPECT_FALSE(s.Enabled(IDOK));
    EXPECT_FALSE(s.Enabled(IDC_HASHES));

    if (n < 2) return;
    // A media change of an unselected drive leaves the buttons; selecting it applies the rule.
    OnDialogThread([](CTestableDlg& dlg) { dlg.UpdateDriveItem(1, TRUE); });
    EXPECT_FALSE(s.Enabled(IDOK));
    s.Select(1);
    EXPECT_TRUE(s.Enabled(IDOK));
    EXPECT_TRUE(s.Enabled(IDC_HASHES));
    s.Select(0);
    EXPECT_FALSE(s.Enabled(IDOK));
    EXPECT_FALSE(s.Enabled(IDC_HASHES));

    // The selected text is shown unhighlighted from its start.
    HWND hEdit = reinterpret_cast<HWND>(::SendMessageW(s.List(), CBEM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(hEdit, nullptr);
    DWORD selStart = 1, selEnd = 1;
    ::SendMessageW(hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    EXPECT_EQ(selStart, 0u);
    EXPECT_EQ(selEnd, 0u);
}

TEST_F(MainDialog, UpdateTakesTextAndImageFromTheShellAndShowsThemInTheClosedList) {
    const std::vector<ListedItem> before = s.Items();
    if (before.empty()) GTEST_SKIP() << "no optical drive in this environment";
    HWND hEdit = reinterpret_cast<HWND>(::SendMessageW(s.List(), CBEM_GETEDITCONTROL, 0, 0));
    // A stale text and another image on the selected item, shown in the field.
    COMBOBOXEXITEMW stale = {};
    stale.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    stale.iItem = 0;
    stale.pszText = const_cast<LPWSTR>(L"stale");
    stale.iImage = stale.iSelectedImage = before[0].image + 1;
    ASSERT_TRUE(::SendMessageW(s.List(), CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&stale)));
    s.Select(0);
    ASSERT_EQ(WindowText(hEdit), L"stale");

    // The shell hands out the drive's icon, which goes once the list holds its image.
    int nDestroyed = 0, nLive = -1;
    OnDialogThread([&](CTestableDlg& dlg) {
        const failing::CArmed armed;
        dlg.UpdateDriveItem(0, TRUE);
        nDestroyed = armed.Count(failing::kDestroyIcon);
        nLive = armed.LiveIcons();
    });
    EXPECT_GE(nDestroyed, 1);
    EXPECT_EQ(nLive, 0) << "the shell's icon was not given back";
    const ListedItem after = s.Items()[0];
    EXPECT_EQ(after.text, before[0].text);
    EXPECT_EQ(after.image, before[0].image);
    EXPECT_EQ(after.selectedImage, before[0].image);
    EXPECT_EQ(WindowText(hEdit), before[0].text) << "the closed list still shows the old item";
    EXPECT_EQ(s.Selection(), 0);
}

TEST_F(MainDialog, ImagesAre16By16AndTheFieldLeavesThemRoom) {
    auto hImages = reinterpret_cast<HIMAGELIST>(::SendMessageW(s.List(), CBEM_GETIMAGELIST, 0, 0));
    ASSERT_NE(hImages, nullptr);
    int cx = 0, cy = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(hImages, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    if (s.Items().empty()) return;
    // The closed list's text field starts right of the selected drive's icon.
    HWND hEdit = reinterpret_cast<HWND>(::SendMessageW(s.List(), CBEM_GETEDITCONTROL, 0, 0));
    RECT rcList, rcEdit;
    ::GetWindowRect(s.List(), &rcList);
    ::GetWindowRect(hEdit, &rcEdit);
    EXPECT_GE(rcEdit.left - rcList.left, cx) << "the field covers the icon";
}

TEST_F(MainDialog, HardwareEventsCarryTheInterruptBitAndAreHandled) {
    const std::vector<std::wstring> roots = OpticalDriveRoots();
    if (roots.empty() || !(s.Items()[0].data->dwFlags & DIF_MEDIA)) GTEST_SKIP() << "no disc in the first drive";
    PIDLIST_ABSOLUTE pidl = ::ILCreateFromPathW(roots[0].c_str());
    ASSERT_NE(pidl, nullptr);
    auto dispatch = [&](LONG lEvent) {
        OnDialogThread([&](CTestableDlg& dlg) { dlg.DispatchShellEvent(pidl, lEvent); });
    };
    dispatch(SHCNE_MEDIAREMOVED | SHCNE_INTERRUPT);
    EXPECT_FALSE(s.Enabled(IDOK));
    dispatch(SHCNE_MEDIAINSERTED | SHCNE_INTERRUPT);
    EXPECT_TRUE(s.Enabled(IDOK));
    // Any other further bit still makes the event not one of ours.
    dispatch(SHCNE_MEDIAREMOVED | SHCNE_UPDATEDIR | SHCNE_INTERRUPT);
    EXPECT_TRUE(s.Enabled(IDOK));
    dispatch(SHCNE_DRIVEREMOVED | SHCNE_INTERRUPT);
    EXPECT_EQ(s.Items().size(), roots.size() - 1);
    dispatch(SHCNE_DRIVEADD | SHCNE_INTERRUPT);
    EXPECT_EQ(s.Items().size(), roots.size());
    ::ILFree(pidl);
}

TEST_F(MainDialog, GivesARunTheSelectedDrivesRootOnItsOwnThread) {
    const std::vector<std::wstring> roots = OpticalDriveRoots();
    if (roots.size() < 2) GTEST_SKIP() << "fewer than two optical drives";
    auto copy = [&](int cch, std::wstring& root) {
        wchar_t buf[16];
        ::lstrcpyW(buf, L"junk");
        const LRESULT r = ::SendMessageW(s.Dlg(), CRunDialog::s_uCopySelectedRootMsg, static_cast<WPARAM>(cch),
                                         reinterpret_cast<LPARAM>(buf));
        root = buf;
        return r;
    };
    std::wstring root;
    s.Select(1);
    EXPECT_EQ(copy(16, root), TRUE);
    EXPECT_EQ(root, roots[1]);
    // A buffer too small for the whole root gets nothing.
    EXPECT_EQ(copy(3, root), FALSE);
    EXPECT_EQ(root, L"");
    s.Select(-1);
    EXPECT_EQ(copy(16, root), FALSE);
    EXPECT_EQ(root, L"");
}

TEST_F(MainDialog, RefreshRebuildsTheListWithoutGrowingTheImageList) {
    const std::vector<ListedItem> before = s.Items();
    if (before.empty()) GTEST_SKIP() << "no optical drive in this environment";
    const int nImages = s.ImageCount();
    if (before.size() > 1) s.Select(static_cast<int>(before.size()) - 1);
    OnDialogThread([](CTestableDlg& dlg) { dlg.UpdateDriveItem(0, FALSE); });

    std::vector<LPARAM> records;
    for (const ListedItem& item : before) records.push_back(reinterpret_cast<LPARAM>(item.data));
    for (int round = 0; round < 3; ++round) {
        size_t nDeletedBefore = 0;
        OnDialogThread([&](CTestableDlg& dlg) { nDeletedBefore = dlg.m_deletedRecords.size(); });
        s.Command(IDC_REFRESH);
        // Every old item was deleted through the list, which hands its record back for release.
        std::vector<LPARAM> deleted;
        OnDialogThread([&](CTestableDlg& dlg) {
            deleted.assign(dlg.m_deletedRecords.begin() + static_cast<std::ptrdiff_t>(nDeletedBefore),
                           dlg.m_deletedRecords.end());
        });
        EXPECT_EQ(deleted, records);
        const std::vector<ListedItem> after = s.Items();
        records.clear();
        for (const ListedItem& item : after) records.push_back(reinterpret_cast<LPARAM>(item.data));
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < after.size(); ++i) {
            EXPECT_EQ(after[i].text, before[i].text);
            EXPECT_EQ(std::wstring(after[i].data->szRoot), OpticalDriveRoots()[i]);
            EXPECT_EQ(after[i].image, before[i].image);
        }
        EXPECT_EQ(s.Selection(), 0);
        EXPECT_EQ(s.ImageCount(), nImages);
        // The media state is read anew.
        EXPECT_EQ(s.Enabled(IDOK), (after[0].data->dwFlags & DIF_MEDIA) != 0);
    }
}

TEST_F(MainDialog, FindsRootsInListOrderAndRefusesLongerPaths) {
    const std::vector<std::wstring> roots = OpticalDriveRoots();
    if (roots.empty()) GTEST_SKIP() << "no optical drive in this environment";
    const int n = static_cast<int>(roots.size());
    auto find = [&](const wchar_t* path, BOOL bExact) {
        int result = -2;
        OnDialogThread([&](CTestableDlg& dlg) {
            ::lstrcpynW(g_szEventPath, path, MAX_PATH);
            result = dlg.FindDriveItem(bExact);
        });
        return result;
    };
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(find(roots[i].c_str(), TRUE), i);
        EXPECT_EQ(find(roots[i].c_str(), FALSE), -1);
    }
    EXPECT_EQ(find(L"A:\\", TRUE), -1);
    EXPECT_EQ(find(L"A:\\", FALSE), 0);
    const std::wstring after = roots.back() + L"zzz";
    EXPECT_EQ(find(after.c_str(), TRUE), -1);
    EXPECT_EQ(find(after.c_str(), FALSE), n);

    // Only a drive's root ("X:\") is listed: a longer path, a non-optical drive,
    // and a bare letter are refused and leave the list as it was.
    for (const std::wstring& path : {roots[0] + L"mnt\\volume", std::wstring(L"C:\\"), std::wstring(L"Z:\\"),
                                     roots[0].substr(0, 2), std::wstring()}) {
        int result = -2;
        OnDialogThread([&](CTestableDlg& dlg) { result = dlg.AddDriveItem(0, path.c_str()); });
        EXPECT_EQ(result, 0) << "path \"" << std::string(path.begin(), path.end()) << "\"";
    }
    EXPECT_EQ(static_cast<int>(s.Items().size()), n);
}

TEST_F(MainDialog, OtherSystemCommandsGetTheDefaultProcessing) {
    // The modal loop shows its dialog (SW_SHOWNORMAL) the first time its queue
    // goes empty, which restores a dialog minimised before that moment: minimise
    // again until it stays so. A round trip through the dialog's thread after
    // the command lets that restoring happen before the check.
    bool bIconic = false;
    for (int i = 0; i < 3 && !bIconic; ++i) {
        ::SendMessageW(s.Dlg(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ::SendMessageW(s.Dlg(), WM_NULL, 0, 0);
        bIconic = ::IsIconic(s.Dlg()) != FALSE;
    }
    EXPECT_TRUE(bIconic);
    ::UpdateWindow(s.Dlg());  // paints the minimised dialog
    ::SendMessageW(s.Dlg(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(::IsIconic(s.Dlg()));
    EXPECT_EQ(WindowText(s.Dlg()), kMainTitle);
    // SC_CLOSE becomes the cancel command, which ends the modal loop.
    ::PostMessageW(s.Dlg(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitForWindowGone(s.Dlg()));
}

TEST(Application, InitInstanceRunsTheMainDialogAndEnds) {
    COrvaneApp app;
    ASSERT_EQ(AfxGetApp(), &app);
    BOOL bResult = TRUE;
    HWND hMainSeen = nullptr;
    DialogThread thread([&] {
        bResult = app.InitInstance();
        return INT_PTR(0);
    });
    HWND hDlg = WaitForThreadWindow(thread.ThreadId(), kMainTitle);
    ASSERT_NE(hDlg, nullptr);
    hMainSeen = app.m_pMainWnd ? app.m_pMainWnd->m_hWnd : nullptr;
    EXPECT_EQ(hMainSeen, hDlg);
    EXPECT_STREQ(app.GetRegistryKey(), L"Tesmark Software");
    ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(thread.Join(), 0);
    EXPECT_FALSE(bResult);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    // The registry key is only named: nothing is stored under it.
    HKEY hKey = nullptr;
    EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tesmark Software", 0, KEY_READ, &hKey), ERROR_SUCCESS);
}

}  // namespace
