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

#include "DialogThread.h"
#include "OrvaneApp.h"
#include "RunDialog.h"
#include "ShellEvents.h"
#include "TestableDlg.h"
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

struct ListedItem {
    std::wstring text;
    int image;
    int selectedImage;
    const DriveItemData* data;
};

class MainDialog : public ::testing::Test {
protected:
    void SetUp() override {
        m_thread = std::make_unique<DialogThread>([this] {
            CTestableDlg dlg;
            return dlg.DoModal();
        });
        m_hDlg = WaitForThreadWindow(m_thread->ThreadId(), kMainTitle);
        ASSERT_NE(m_hDlg, nullptr) << "the main dialog did not appear";
        m_hList = ::GetDlgItem(m_hDlg, IDC_DRIVES);
    }

    void TearDown() override {
        if (m_hDlg && ::IsWindow(m_hDlg)) Command(IDCANCEL);
        EXPECT_EQ(m_thread->Join(), IDCANCEL);
    }

    void Command(int id, int code = BN_CLICKED) {
        ::SendMessageW(m_hDlg, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(m_hDlg, id)));
    }

    void SelectByUser(int index) {
        ::SendMessageW(m_hList, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageW(m_hDlg, WM_COMMAND, MAKEWPARAM(IDC_DRIVES, CBN_SELCHANGE), reinterpret_cast<LPARAM>(m_hList));
    }

    void OnDialogThread(const std::function<void(CTestableDlg&)>& fn) {
        HWND hDlg = m_hDlg;
        CTestableDlg::RunOnDialogThread(m_hDlg,
                                        [&] { fn(*static_cast<CTestableDlg*>(CWnd::FromHandlePermanent(hDlg))); });
    }

    std::vector<ListedItem> Items() {
        std::vector<ListedItem> items;
        const int n = static_cast<int>(::SendMessageW(m_hList, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t text[MAX_PATH] = {};
            COMBOBOXEXITEMW item = {};
            item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
            item.iItem = i;
            item.pszText = text;
            item.cchTextMax = MAX_PATH;
            EXPECT_TRUE(::SendMessageW(m_hList, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            items.push_back(
                {text, item.iImage, item.iSelectedImage, reinterpret_cast<const DriveItemData*>(item.lParam)});
        }
        return items;
    }

    int ImageCount() {
        auto hImages = reinterpret_cast<HIMAGELIST>(::SendMessageW(m_hList, CBEM_GETIMAGELIST, 0, 0));
        return hImages ? ::ImageList_GetImageCount(hImages) : -1;
    }

    bool Enabled(int id) { return ::IsWindowEnabled(::GetDlgItem(m_hDlg, id)) != FALSE; }
    int Selection() { return static_cast<int>(::SendMessageW(m_hList, CB_GETCURSEL, 0, 0)); }

    std::unique_ptr<DialogThread> m_thread;
    HWND m_hDlg = nullptr;
    HWND m_hList = nullptr;
};

TEST_F(MainDialog, StartsWithTitleIconsFocusAndButtons) {
    EXPECT_EQ(WindowText(m_hDlg), kMainTitle);
    EXPECT_EQ(FocusOfThread(m_thread->ThreadId()), ::GetDlgItem(m_hDlg, IDC_REFRESH));
    EXPECT_TRUE(Enabled(IDC_REFRESH));
    EXPECT_TRUE(Enabled(IDCANCEL));
    EXPECT_TRUE(Enabled(IDC_DRIVES));
    EXPECT_EQ(Enabled(IDOK), Enabled(IDC_HASHES));

    auto hBig = reinterpret_cast<HICON>(::SendMessageW(m_hDlg, WM_GETICON, ICON_BIG, 0));
    auto hSmall = reinterpret_cast<HICON>(::SendMessageW(m_hDlg, WM_GETICON, ICON_SMALL, 0));
    EXPECT_NE(hBig, nullptr);
    EXPECT_EQ(hBig, hSmall);
    // The drag icon is the same application icon.
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(m_hDlg, WM_QUERYDRAGICON, 0, 0)), hBig);

    const std::vector<std::wstring> roots = OpticalDriveRoots();
    const std::vector<ListedItem> items = Items();
    if (roots.empty()) {
        EXPECT_TRUE(items.empty());
        EXPECT_EQ(Selection(), CB_ERR);
        EXPECT_FALSE(Enabled(IDOK));
        EXPECT_FALSE(Enabled(IDC_HASHES));
    } else {
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(Selection(), 0);
        EXPECT_EQ(Enabled(IDOK), (items[0].data->dwFlags & DIF_MEDIA) != 0);
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
    const bool bSaveBefore = Enabled(IDOK);
    const int nSelBefore = Selection();
    // The entry's own command, and any value that masks to it.
    for (WPARAM cmd : {WPARAM(IDM_ABOUTBOX), WPARAM(IDM_ABOUTBOX), WPARAM(IDM_ABOUTBOX | 0x3), WPARAM(IDM_ABOUTBOX)}) {
        ::PostMessageW(m_hDlg, WM_SYSCOMMAND, cmd, 0);
        HWND hAbout = WaitForThreadWindow(m_thread->ThreadId(), kAboutTitle);
        ASSERT_NE(hAbout, nullptr) << "About box for command " << cmd;
        EXPECT_EQ(::GetWindow(hAbout, GW_OWNER), m_hDlg);
        EXPECT_FALSE(::IsWindowEnabled(m_hDlg)) << "the About box is modal";
        EXPECT_EQ(FocusOfThread(m_thread->ThreadId()), ::GetDlgItem(hAbout, IDOK));
        ::PostMessageW(hAbout, WM_COMMAND, MAKEWPARAM(cmd == IDM_ABOUTBOX ? IDOK : IDCANCEL, BN_CLICKED), 0);
        ASSERT_TRUE(WaitForWindowGone(hAbout));
    }
    EXPECT_TRUE(::IsWindowEnabled(m_hDlg));
    EXPECT_EQ(Selection(), nSelBefore);
    EXPECT_EQ(Enabled(IDOK), bSaveBefore);
}

TEST_F(MainDialog, ListsOpticalDrivesInLetterOrderWithShellNamesAndIcons) {
    const std::vector<std::wstring> roots = OpticalDriveRoots();
    if (roots.empty()) GTEST_SKIP() << "no optical drive in this environment";
    const std::vector<ListedItem> items = Items();
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
    EXPECT_EQ(ImageCount(), static_cast<int>(imageOfSysIcon.size()));
    EXPECT_EQ(Selection(), 0);
}

TEST_F(MainDialog, ButtonsFollowTheSelectedDrivesMedia) {
    if (Items().empty()) GTEST_SKIP() << "no optical drive in this environment";
    const int n = static_cast<int>(Items().size());

    OnDialogThread([](CTestableDlg& dlg) { dlg.UpdateDriveItem(0, FALSE); });
    EXPECT_EQ(Items()[0].data->dwFlags & DIF_MEDIA, 0u);
    EXPECT_FALSE(Enabled(IDOK));
    EXPECT_FALSE(Enabled(IDC_HASHES));

    OnDialogThread([](CTestableDlg& dlg) { dlg.UpdateDriveItem(0, TRUE); });
    EXPECT_EQ(Items()[0].data->dwFlags & DIF_MEDIA, static_cast<DWORD>(DIF_MEDIA));
    EXPECT_TRUE(Enabled(IDOK));
    EXPECT_TRUE(Enabled(IDC_HASHES));

    // No selection: the buttons keep their state.
    SelectByUser(-1);
    EXPECT_TRUE(Enabled(IDOK));
    EXPECT_TRUE(Enabled(IDC_HASHES));
    SelectByUser(0);
    EXPECT_TRUE(Enabled(IDOK));
    OnDialogThread([](CTestableDlg& dlg) { dlg.UpdateDriveItem(0, FALSE); });
    EXPECT_FALSE(Enabled(IDOK));
    EXPECT_FALSE(Enabled(IDC_HASHES));

    if (n < 2) return;
    // A media change of an unselected drive leaves the buttons; selecting it applies the rule.
    OnDialogThread([](CTestableDlg& dlg) { dlg.UpdateDriveItem(1, TRUE); });
    EXPECT_FALSE(Enabled(IDOK));
    SelectByUser(1);
    EXPECT_TRUE(Enabled(IDOK));
    EXPECT_TRUE(Enabled(IDC_HASHES));
    SelectByUser(0);
    EXPECT_FALSE(Enabled(IDOK));
    EXPECT_FALSE(Enabled(IDC_HASHES));

    // The selected text is shown unhighlighted from its start.
    HWND hEdit = reinterpret_cast<HWND>(::SendMessageW(m_hList, CBEM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(hEdit, nullptr);
    DWORD selStart = 1, selEnd = 1;
    ::SendMessageW(hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    EXPECT_EQ(selStart, 0u);
    EXPECT_EQ(selEnd, 0u);
}

TEST_F(MainDialog, UpdateTakesTextAndImageFromTheShellAndShowsThemInTheClosedList) {
    const std::vector<ListedItem> before = Items();
    if (before.empty()) GTEST_SKIP() << "no optical drive in this environment";
    HWND hEdit = reinterpret_cast<HWND>(::SendMessageW(m_hList, CBEM_GETEDITCONTROL, 0, 0));
    // A stale text and another image on the selected item, shown in the field.
    COMBOBOXEXITEMW stale = {};
    stale.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    stale.iItem = 0;
    stale.pszText = const_cast<LPWSTR>(L"stale");
    stale.iImage = stale.iSelectedImage = before[0].image + 1;
    ASSERT_TRUE(::SendMessageW(m_hList, CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&stale)));
    SelectByUser(0);
    ASSERT_EQ(WindowText(hEdit), L"stale");

    OnDialogThread([](CTestableDlg& dlg) { dlg.UpdateDriveItem(0, TRUE); });
    const ListedItem after = Items()[0];
    EXPECT_EQ(after.text, before[0].text);
    EXPECT_EQ(after.image, before[0].image);
    EXPECT_EQ(after.selectedImage, before[0].image);
    EXPECT_EQ(WindowText(hEdit), before[0].text) << "the closed list still shows the old item";
    EXPECT_EQ(Selection(), 0);
}

TEST_F(MainDialog, ImagesAre16By16AndTheFieldLeavesThemRoom) {
    auto hImages = reinterpret_cast<HIMAGELIST>(::SendMessageW(m_hList, CBEM_GETIMAGELIST, 0, 0));
    ASSERT_NE(hImages, nullptr);
    int cx = 0, cy = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(hImages, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    if (Items().empty()) return;
    // The closed list's text field starts right of the selected drive's icon.
    HWND hEdit = reinterpret_cast<HWND>(::SendMessageW(m_hList, CBEM_GETEDITCONTROL, 0, 0));
    RECT rcList, rcEdit;
    ::GetWindowRect(m_hList, &rcList);
    ::GetWindowRect(hEdit, &rcEdit);
    EXPECT_GE(rcEdit.left - rcList.left, cx) << "the field covers the icon";
}

TEST_F(MainDialog, HardwareEventsCarryTheInterruptBitAndAreHandled) {
    const std::vector<std::wstring> roots = OpticalDriveRoots();
    if (roots.empty() || !(Items()[0].data->dwFlags & DIF_MEDIA)) GTEST_SKIP() << "no disc in the first drive";
    PIDLIST_ABSOLUTE pidl = ::ILCreateFromPathW(roots[0].c_str());
    ASSERT_NE(pidl, nullptr);
    auto dispatch = [&](LONG lEvent) {
        OnDialogThread([&](CTestableDlg& dlg) { dlg.DispatchShellEvent(pidl, lEvent); });
    };
    dispatch(SHCNE_MEDIAREMOVED | SHCNE_INTERRUPT);
    EXPECT_FALSE(Enabled(IDOK));
    dispatch(SHCNE_MEDIAINSERTED | SHCNE_INTERRUPT);
    EXPECT_TRUE(Enabled(IDOK));
    // Any other further bit still makes the event not one of ours.
    dispatch(SHCNE_MEDIAREMOVED | SHCNE_UPDATEDIR | SHCNE_INTERRUPT);
    EXPECT_TRUE(Enabled(IDOK));
    dispatch(SHCNE_DRIVEREMOVED | SHCNE_INTERRUPT);
    EXPECT_EQ(Items().size(), roots.size() - 1);
    dispatch(SHCNE_DRIVEADD | SHCNE_INTERRUPT);
    EXPECT_EQ(Items().size(), roots.size());
    ::ILFree(pidl);
}

TEST_F(MainDialog, GivesARunTheSelectedDrivesRootOnItsOwnThread) {
    const std::vector<std::wstring> roots = OpticalDriveRoots();
    if (roots.size() < 2) GTEST_SKIP() << "fewer than two optical drives";
    auto copy = [&](int cch, std::wstring& root) {
        wchar_t buf[16];
        ::lstrcpyW(buf, L"junk");
        const LRESULT r = ::SendMessageW(m_hDlg, CRunDialog::s_uCopySelectedRootMsg, static_cast<WPARAM>(cch),
                                         reinterpret_cast<LPARAM>(buf));
        root = buf;
        return r;
    };
    std::wstring root;
    SelectByUser(1);
    EXPECT_EQ(copy(16, root), TRUE);
    EXPECT_EQ(root, roots[1]);
    // A buffer too small for the whole root gets nothing.
    EXPECT_EQ(copy(3, root), FALSE);
    EXPECT_EQ(root, L"");
    SelectByUser(-1);
    EXPECT_EQ(copy(16, root), FALSE);
    EXPECT_EQ(root, L"");
}

TEST_F(MainDialog, RefreshRebuildsTheListWithoutGrowingTheImageList) {
    const std::vector<ListedItem> before = Items();
    if (before.empty()) GTEST_SKIP() << "no optical drive in this environment";
    const int nImages = ImageCount();
    if (before.size() > 1) SelectByUser(static_cast<int>(before.size()) - 1);
    OnDialogThread([](CTestableDlg& dlg) { dlg.UpdateDriveItem(0, FALSE); });

    std::vector<LPARAM> records;
    for (const ListedItem& item : before) records.push_back(reinterpret_cast<LPARAM>(item.data));
    for (int round = 0; round < 3; ++round) {
        size_t nDeletedBefore = 0;
        OnDialogThread([&](CTestableDlg& dlg) { nDeletedBefore = dlg.m_deletedRecords.size(); });
        Command(IDC_REFRESH);
        // Every old item was deleted through the list, which hands its record back for release.
        std::vector<LPARAM> deleted;
        OnDialogThread([&](CTestableDlg& dlg) {
            deleted.assign(dlg.m_deletedRecords.begin() + static_cast<std::ptrdiff_t>(nDeletedBefore),
                           dlg.m_deletedRecords.end());
        });
        EXPECT_EQ(deleted, records);
        const std::vector<ListedItem> after = Items();
        records.clear();
        for (const ListedItem& item : after) records.push_back(reinterpret_cast<LPARAM>(item.data));
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < after.size(); ++i) {
            EXPECT_EQ(after[i].text, before[i].text);
            EXPECT_EQ(std::wstring(after[i].data->szRoot), OpticalDriveRoots()[i]);
            EXPECT_EQ(after[i].image, before[i].image);
        }
        EXPECT_EQ(Selection(), 0);
        EXPECT_EQ(ImageCount(), nImages);
        // The media state is read anew.
        EXPECT_EQ(Enabled(IDOK), (after[0].data->dwFlags & DIF_MEDIA) != 0);
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
    EXPECT_EQ(static_cast<int>(Items().size()), n);
}

TEST_F(MainDialog, OtherSystemCommandsGetTheDefaultProcessing) {
    // The modal loop shows its dialog (SW_SHOWNORMAL) the first time its queue
    // goes empty, which restores a dialog minimised before that moment: minimise
    // again until it stays so. A round trip through the dialog's thread after
    // the command lets that restoring happen before the check.
    bool bIconic = false;
    for (int i = 0; i < 3 && !bIconic; ++i) {
        ::SendMessageW(m_hDlg, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ::SendMessageW(m_hDlg, WM_NULL, 0, 0);
        bIconic = ::IsIconic(m_hDlg) != FALSE;
    }
    EXPECT_TRUE(bIconic);
    ::UpdateWindow(m_hDlg);  // paints the minimised dialog
    ::SendMessageW(m_hDlg, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(::IsIconic(m_hDlg));
    EXPECT_EQ(WindowText(m_hDlg), kMainTitle);
    // SC_CLOSE becomes the cancel command, which ends the modal loop.
    ::PostMessageW(m_hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitForWindowGone(m_hDlg));
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
