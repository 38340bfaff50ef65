// The drive list following discs and drives through shell notifications,
// delivered by the shell's real message path to the live main dialog, and the
// dialog's own registration with the shell.
#include "DialogSession.h"
#include "TestFiles.h"

#include <shellapi.h>

#include <gtest/gtest.h>

namespace {

// The optical drives of the test environment, in letter order, but those in gone.
std::wstring Listed(const std::wstring& gone = L"") {
    std::wstring s;
    for (wchar_t c : files::Env(L"ORVANE_DRIVES_LETTERS"))
        if (gone.find(c) == std::wstring::npos) s += c;
    return s;
}

class ShellEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(s.Started()) << "the main dialog did not appear";
        // The optical drives of the test environment, in letter order; the
        // first one is selected and holds a disc.
        ASSERT_EQ(L'D', Listed()[0]);
        ASSERT_EQ(Listed(), s.Roots());
        ASSERT_EQ(0, s.Selection());
        ASSERT_TRUE(s.SaveEnabled());
    }
    std::wstring ShellName(const wchar_t* root) {
        SHFILEINFOW sfi = {};
        SHGetFileInfoW(root, 0, &sfi, sizeof(sfi), SHGFI_DISPLAYNAME);
        return sfi.szDisplayName;
    }
    DialogSession s;
};

TEST_F(ShellEventsTest, MediaRemovedAndInsertedMoveTheButtonsOfTheSelectedDrive) {
    s.Notify(SHCNE_MEDIAREMOVED, L"D:\\");
    EXPECT_FALSE(s.SaveEnabled());
    EXPECT_FALSE(s.HashesEnabled());
    // The item's text is the shell's name for the drive as it is now, and the
    // closed list shows it.
    EXPECT_EQ(ShellName(L"D:\\"), s.ItemText(0));
    EXPECT_EQ(s.ItemText(0), s.FieldText());

    s.Notify(SHCNE_MEDIAINSERTED, L"D:\\");
    EXPECT_TRUE(s.SaveEnabled());
    EXPECT_TRUE(s.HashesEnabled());
    EXPECT_EQ(ShellName(L"D:\\"), s.ItemText(0));

    // A media event for a drive that is not selected changes its item only.
    s.Notify(SHCNE_MEDIAREMOVED, L"E:\\");
    EXPECT_TRUE(s.SaveEnabled());
    s.Select(1);
    EXPECT_FALSE(s.SaveEnabled()) << "E: was left without a disc";
    s.Notify(SHCNE_MEDIAINSERTED, L"E:\\");
    EXPECT_TRUE(s.SaveEnabled());
}

TEST_F(ShellEventsTest, EventsThatAreNotOursChangeNothing) {
    // Not an optical drive, or not listed: media events are ignored.
    s.Notify(SHCNE_MEDIAREMOVED, L"C:\\");
    EXPECT_TRUE(s.SaveEnabled());
    s.Notify(SHCNE_DRIVEADD, L"C:\\");
    EXPECT_EQ(Listed(), s.Roots());
    // Already listed: no second item.
    s.Notify(SHCNE_DRIVEADD, L"E:\\");
    EXPECT_EQ(Listed(), s.Roots());
    EXPECT_EQ(0, s.Selection());

    // A code with a further flag bit is not one of the four, whatever else it carries.
    s.Notify(SHCNE_MEDIAREMOVED | SHCNE_UPDATEDIR, L"D:\\");
    EXPECT_TRUE(s.SaveEnabled());
    s.Notify(SHCNE_DRIVEREMOVED | SHCNE_UPDATEDIR, L"D:\\");
    EXPECT_EQ(Listed(), s.Roots());
    s.Notify(SHCNE_DRIVEREMOVED | SHCNE_MEDIAREMOVED, L"D:\\");
    EXPECT_EQ(Listed(), s.Roots());
    EXPECT_TRUE(s.SaveEnabled());

    // Removed and not listed any more: a media event for it changes nothing.
    s.Notify(SHCNE_DRIVEREMOVED, L"E:\\");
    EXPECT_EQ(Listed(L"E"), s.Roots());
    s.Notify(SHCNE_MEDIAINSERTED, L"E:\\");
    EXPECT_EQ(Listed(L"E"), s.Roots());
}

TEST_F(ShellEventsTest, RemovedDrivesMoveTheSelectionAsTheListShrinks) {
    // Removing the selected first drive clears the selection: the closed list
    // shows no drive, and "Сохранить" and "Хэши" keep their state.
    ASSERT_EQ(s.ItemText(0), s.FieldText());
    s.Notify(SHCNE_DRIVEREMOVED, L"D:\\");
    EXPECT_EQ(Listed(L"D"), s.Roots());
    EXPECT_EQ(-1, s.Selection());
    EXPECT_EQ(L"", s.FieldText());
    EXPECT_TRUE(s.SaveEnabled());
    EXPECT_TRUE(s.HashesEnabled());

    // Removing the selected drive selects the one before it, and shows it.
    s.Select(s.IndexOf(L'G'));
    s.Notify(SHCNE_DRIVEREMOVED, L"G:\\");
    EXPECT_EQ(L"F:\\", s.SelectedRoot());
    EXPECT_EQ(ShellName(L"F:\\"), s.FieldText());
    EXPECT_TRUE(s.SaveEnabled());

    // A drive before the selected one: the same drive stays selected.
    s.Notify(SHCNE_DRIVEREMOVED, L"E:\\");
    EXPECT_EQ(L"F:\\", s.SelectedRoot());
    // A drive after it: the selection is left alone.
    s.Notify(SHCNE_DRIVEREMOVED, L"K:\\");
    EXPECT_EQ(L"F:\\", s.SelectedRoot());
    EXPECT_EQ(Listed(L"DEGK"), s.Roots());
}

TEST_F(ShellEventsTest, AddedDrivesAreInsertedInOrderAndMoveTheSelection) {
    // Into a list without selection: the first item gets selected and shown,
    // and the buttons follow it. D:'s disc goes first, so that the buttons are
    // disabled when D: leaves and keep that state.
    s.Notify(SHCNE_MEDIAREMOVED, L"D:\\");
    s.Notify(SHCNE_DRIVEREMOVED, L"D:\\");
    s.Notify(SHCNE_MEDIAREMOVED, L"E:\\");
    ASSERT_EQ(-1, s.Selection());
    ASSERT_FALSE(s.SaveEnabled());
    s.Notify(SHCNE_DRIVEADD, L"F:\\");  // listed already: nothing
    EXPECT_EQ(-1, s.Selection());
    s.Notify(SHCNE_DRIVEADD, L"D:\\");
    EXPECT_EQ(Listed(), s.Roots());
    EXPECT_EQ(0, s.Selection());
    EXPECT_TRUE(s.SaveEnabled());
    EXPECT_EQ(ShellName(L"D:\\"), s.ItemText(0));
    EXPECT_EQ(s.ItemText(0), s.FieldText());

    // Added at the selected item's own position: the selected drive stays selected.
    s.Select(s.IndexOf(L'E'));
    EXPECT_FALSE(s.SaveEnabled());
    s.Notify(SHCNE_DRIVEREMOVED, L"D:\\");
    ASSERT_EQ(L"E:\\", s.SelectedRoot());
    s.Notify(SHCNE_DRIVEADD, L"D:\\");
    EXPECT_EQ(L"E:\\", s.SelectedRoot());

    // Added after the selected item: the selection moves to the item that
    // follows the previously selected one, and the buttons follow it (E's disc
    // is out).
    s.Notify(SHCNE_DRIVEREMOVED, L"H:\\");
    s.Select(s.IndexOf(L'D'));
    EXPECT_TRUE(s.SaveEnabled());
    s.Notify(SHCNE_DRIVEADD, L"H:\\");
    EXPECT_EQ(Listed(), s.Roots());
    EXPECT_EQ(L"E:\\", s.SelectedRoot());
    EXPECT_FALSE(s.SaveEnabled());

    // Added right after it: the new drive is selected. Added before it: the
    // same drive stays selected.
    s.Select(s.IndexOf(L'F'));
    s.Notify(SHCNE_DRIVEREMOVED, L"G:\\");
    s.Notify(SHCNE_DRIVEADD, L"G:\\");
    EXPECT_EQ(L"G:\\", s.SelectedRoot());
    s.Notify(SHCNE_DRIVEREMOVED, L"D:\\");
    s.Notify(SHCNE_DRIVEADD, L"D:\\");
    EXPECT_EQ(L"G:\\", s.SelectedRoot());
    EXPECT_EQ(ShellName(L"G:\\"), s.FieldText());
    EXPECT_EQ(Listed(), s.Roots());
}

TEST_F(ShellEventsTest, RefreshRenewsTheRegistrationAndTheDialogEndsIt) {
    CShellNotifyRegistration& reg = s.Object().m_shellNotify;
    const ULONG uFirst = reg.m_uRegId;
    ASSERT_NE(0u, uFirst) << "the dialog did not register";
    EXPECT_NE(nullptr, reg.m_pFolder);

    s.Notify(SHCNE_DRIVEREMOVED, L"D:\\");
    s.Command(1003);
    EXPECT_EQ(Listed(), s.Roots());
    EXPECT_EQ(0, s.Selection());
    const ULONG uSecond = reg.m_uRegId;
    EXPECT_NE(0u, uSecond);
    EXPECT_NE(uFirst, uSecond);
    // The first registration is gone: deregistering it again fails.
    EXPECT_FALSE(SHChangeNotifyDeregister(uFirst));

    ASSERT_TRUE(s.Close());
    EXPECT_FALSE(SHChangeNotifyDeregister(uSecond)) << "the registration outlived the dialog";
}

TEST(ShellNotifyRegistrationTest, RegisterEndsThePreviousOneAndUnregisterEndsIt) {
    CoInitialize(nullptr);
    HWND hwnd = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(hwnd);
    {
        CShellNotifyRegistration reg;
        EXPECT_EQ(S_OK, reg.Register(hwnd));
        const ULONG uFirst = reg.m_uRegId;
        EXPECT_NE(0u, uFirst);
        EXPECT_NE(nullptr, reg.m_pFolder);
        EXPECT_EQ(S_OK, reg.Register(hwnd));
        EXPECT_NE(uFirst, reg.m_uRegId);
        EXPECT_FALSE(SHChangeNotifyDeregister(uFirst));
        const ULONG uSecond = reg.m_uRegId;
        reg.Unregister();
        EXPECT_EQ(0u, reg.m_uRegId);
        EXPECT_EQ(nullptr, reg.m_pFolder);
        EXPECT_FALSE(SHChangeNotifyDeregister(uSecond));
        reg.Unregister();  // harmless a second time
        EXPECT_EQ(S_OK, reg.Register(hwnd));
        // ... and the destructor ends this one.
    }
    DestroyWindow(hwnd);
    CoUninitialize();
}

}  // namespace
