// Runs started from the main dialog, end to end: the buttons, the Save As
// dialog, the worker thread, the engine on a real (virtual) optical drive, the
// result dialog and the report files, all through the real windows.
#include <gtest/gtest.h>

#include "DialogSession.h"
#include "RunDialog.h"
#include "TestFiles.h"

namespace {

// Upper bound for any one step, never a measured time: well within the
// suite's time limit (75 s, tests/e2e/CMakeLists.txt), so that a step that
// hangs fails with its own message before the suite is ended.
const DWORD kWait = 40000;

const wchar_t kIdleTitle[] = L"Создание образа CD/DVD";

bool EndsWith(const std::wstring& s, const std::wstring& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

size_t CountOf(const std::wstring& s, const std::wstring& what) {
    size_t n = 0;
    for (size_t p = s.find(what); p != std::wstring::npos; p = s.find(what, p + what.size())) ++n;
    return n;
}

// The report line that starts with label, without its CR LF ("" when absent).
std::wstring Line(const std::wstring& report, const std::wstring& label) {
    size_t p = report.find(label + L"\t");
    if (p == std::wstring::npos) return L"";
    size_t e = report.find(L"\r\n", p);
    return report.substr(p + label.size() + 1, e - p - label.size() - 1);
}

bool AllRunButtons(HWND hDlg, bool bEnabled) {
    for (int id : {IDOK, IDCANCEL, 1004, 1003})
        if (drive::IsItemEnabled(hDlg, id) != bEnabled) return false;
    return true;
}

// The reading mark's messages as the main dialog receives them: set or clear,
// whether the mark was already set, and the Hashes report file at that moment.
struct MarkMessage {
    bool bSet, bReading;
    std::wstring log;
};
std::vector<MarkMessage> g_markMessages;
// Minimize tried at the first progress title of a run, on the dialog's thread
// (enabled while the run reads, disabled under the result dialog): -2 not to
// be tried, -1 not yet tried, then 1 when the dialog was minimised, 0 if not.
int g_nMinimizedMidRun = -2;
WNDPROC g_pfnMainProc = nullptr;

LRESULT CALLBACK WatchedMainProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == CRunDialog::s_uRunReadingMsg)
        g_markMessages.push_back(
            {wParam != 0, CRunDialog::IsRunReading(hwnd) != FALSE, files::ReadUtf16(files::ProgramLogPath())});
    const LRESULT nResult = CallWindowProcW(g_pfnMainProc, hwnd, uMsg, wParam, lParam);
    if (uMsg == WM_SETTEXT && g_nMinimizedMidRun == -1 && CRunDialog::IsRunReading(hwnd)) {
        SendMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        g_nMinimizedMidRun = IsIconic(hwnd) ? 1 : 0;
        SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    }
    return nResult;
}

// The COM apartment of the thread that owns a window, asked on that thread by
// a hook set for it alone, which sees a message sent to the window; -1 when
// the thread has none.
int g_nApartment = -1;

LRESULT CALLBACK AskApartment(int nCode, WPARAM wParam, LPARAM lParam) {
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    if (nCode == HC_ACTION && SUCCEEDED(CoGetApartmentType(&type, &qualifier))) g_nApartment = type;
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

int ApartmentOf(HWND hWnd) {
    g_nApartment = -1;
    HHOOK hHook = SetWindowsHookExW(WH_CALLWNDPROC, &AskApartment, nullptr, GetWindowThreadProcessId(hWnd, nullptr));
    SendMessageW(hWnd, WM_NULL, 0, 0);
    UnhookWindowsHookEx(hHook);
    return g_nApartment;
}

class RunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(s.Started()) << "the main dialog did not appear";
        ASSERT_EQ(0, s.IndexOf(L'D')) << "drives listed: " << std::string(s.Roots().begin(), s.Roots().end());
        s.Select(s.IndexOf(L'D'));
        ASSERT_TRUE(s.SaveEnabled());
    }
    // Puts WatchedMainProc before the main dialog's own procedure, or takes it away.
    void WatchMainDialog(bool bWatch) {
        s.OnDialogThread([&] {
            const LONG_PTR pfn =
                bWatch ? reinterpret_cast<LONG_PTR>(&WatchedMainProc) : reinterpret_cast<LONG_PTR>(g_pfnMainProc);
            const LONG_PTR pfnWas = SetWindowLongPtrW(s.Dlg(), GWLP_WNDPROC, pfn);
            if (bWatch) g_pfnMainProc = reinterpret_cast<WNDPROC>(pfnWas);
        });
    }
    // Waits for the result dialog; then checks the busy state it shows.
    HWND WaitResult() { return drive::WaitResultDialog(s.Dlg(), kWait); }
    // Idle: the four buttons enabled again and, just after them, the run mark cleared.
    void CloseResultAndWaitIdle(HWND hResult) {
        drive::Press(hResult, IDOK);
        ASSERT_TRUE(
            WaitFor([&] { return AllRunButtons(s.Dlg(), true) && !CRunDialog::IsRunInProgress(s.Dlg()); }, kWait));
    }
    DialogSession s;
};

TEST_F(RunTest, HashesShowsTheReportThatOrvaneLogEndsWith) {
    const files::Expectation e = files::Expect(L'D');
    ASSERT_FALSE(e.sha1.empty()) << "no checksums for drive D";
    const std::wstring log = files::ProgramLogPath();
    g_markMessages.clear();
    WatchMainDialog(true);

    drive::Press(s.Dlg(), 1004);
    HWND hResult = WaitResult();
    ASSERT_TRUE(hResult);
    WatchMainDialog(false);
    const std::vector<MarkMessage> marks = g_markMessages;
    // No Save As dialog came before it: the result is the only dialog the main one owns.
    EXPECT_EQ(hResult, FindOwnedDialog(s.Dlg()));

    // While the report is shown the run is still on: four buttons locked, the
    // title and the status line keep the run's last progress.
    EXPECT_TRUE(AllRunButtons(s.Dlg(), false));
    EXPECT_EQ(L"Хеширование - 100.00 %", WindowText(s.Dlg()));
    EXPECT_EQ(L"Вычисление хешей ( 100.00 % )", drive::GetItemText(s.Dlg(), 1002));

    const std::wstring report = drive::ResultText(hResult);
    EXPECT_EQ(L"\"ORVANE_DISC\"", Line(report, L"Диск:"));
    EXPECT_EQ(L"", Line(report, L"Файл:"));
    EXPECT_EQ(e.crc, Line(report, L"CRC-32:"));
    EXPECT_EQ(e.md5, Line(report, L"MD5:"));
    EXPECT_EQ(e.sha1, Line(report, L"SHA-1:"));
    EXPECT_TRUE(EndsWith(files::ReadUtf16(log), report + L"\r\n")) << "orvane.log does not end with the report shown";
    // The reading mark is set and cleared on the dialog's thread, each by its
    // message (the shutdown block reason belongs to that thread), and cleared
    // once the report is saved.
    ASSERT_EQ(2u, marks.size());
    EXPECT_TRUE(marks[0].bSet && !marks[0].bReading);
    EXPECT_TRUE(!marks[1].bSet && marks[1].bReading);
    EXPECT_TRUE(EndsWith(marks[1].log, report + L"\r\n")) << "the mark was cleared before the report was saved";

    ASSERT_NO_FATAL_FAILURE(CloseResultAndWaitIdle(hResult));
    EXPECT_EQ(kIdleTitle, WindowText(s.Dlg()));
    // The status line keeps the last state of the run.
    EXPECT_EQ(L"Вычисление хешей ( 100.00 % )", drive::GetItemText(s.Dlg(), 1002));
}

// The process's current folder before and after a Save run into another one.
std::wstring CurrentFolder() {
    wchar_t dir[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, dir);
    return dir;
}

TEST_F(RunTest, SaveProposesTheLabelAddsIsoAndWritesTheDiscExactly) {
    const std::wstring dir = files::ScratchDir(L"save");
    const std::wstring cwd = CurrentFolder();
    drive::Press(s.Dlg(), IDOK);
    HWND hSaveAs = drive::WaitSaveAsDialog(s.Dlg(), kWait);
    ASSERT_TRUE(hSaveAs);
    HWND hName = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (hName = drive::FileNameEdit(hSaveAs)) != nullptr; }, kWait));
    EXPECT_EQ(L"ORVANE_DISC", WindowText(hName));
    // The shell's Save As dialog runs in a single-threaded apartment.
    const int nApartment = ApartmentOf(hSaveAs);
    EXPECT_TRUE(nApartment == APTTYPE_STA || nApartment == APTTYPE_MAINSTA) << nApartment;
    // The buttons are locked from the press on, also while Save As is open.
    EXPECT_TRUE(AllRunButtons(s.Dlg(), false));
    EXPECT_EQ(kIdleTitle, WindowText(s.Dlg()));

    // The user goes to the folder first (the dialog browses into it), then
    // gives a name without extension: the dialog adds .iso.
    ASSERT_TRUE(drive::ConfirmSaveAs(hSaveAs, dir));
    ASSERT_TRUE(WaitFor([&] { return WindowText(drive::FileNameEdit(hSaveAs)).empty(); }, kWait));
    ASSERT_TRUE(drive::ConfirmSaveAs(hSaveAs, L"образ диска"));
    HWND hResult = WaitResult();
    ASSERT_TRUE(hResult);
    const std::wstring image = dir + L"\\образ диска.iso";
    EXPECT_EQ(L"Создание образа - 100.00 %", WindowText(s.Dlg()));
    EXPECT_EQ(L"\"образ диска.iso\" ( 100.00 % )", drive::GetItemText(s.Dlg(), 1002));
    EXPECT_TRUE(AllRunButtons(s.Dlg(), false));

    const std::wstring report = drive::ResultText(hResult);
    EXPECT_EQ(L"\"" + image + L"\"", Line(report, L"Файл:"));
    EXPECT_EQ(files::Expect(L'D').sha1, Line(report, L"SHA-1:"));
    ASSERT_TRUE(files::FileExists(image)) << "no image file";
    const std::vector<uint8_t> got = files::ReadBytes(image), want = files::ReadBytes(files::IsoPath(L'D'));
    EXPECT_EQ(want.size(), got.size());
    EXPECT_TRUE(got == want) << "the image differs from the disc";
    EXPECT_EQ(L"\xFEFF" + report + L"\r\n", files::ReadUtf16(image + L".log"));
    // The chosen folder did not become the current one, which would hold it open.
    EXPECT_EQ(cwd, CurrentFolder());

    ASSERT_NO_FATAL_FAILURE(CloseResultAndWaitIdle(hResult));
    EXPECT_EQ(kIdleTitle, WindowText(s.Dlg()));
}

TEST_F(RunTest, CancellingSaveAsWritesNothingAndRestoresTheDialog) {
    const std::wstring dir = files::ScratchDir(L"cancel");
    const std::wstring logBefore = files::ReadUtf16(files::ProgramLogPath());
    drive::Press(s.Dlg(), IDOK);
    HWND hSaveAs = drive::WaitSaveAsDialog(s.Dlg(), kWait);
    ASSERT_TRUE(hSaveAs);
    HWND hName = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (hName = drive::FileNameEdit(hSaveAs)) != nullptr; }, kWait));
    SendMessageW(hName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((dir + L"\\cancelled").c_str()));
    drive::CancelSaveAs(hSaveAs);

    ASSERT_TRUE(WaitFor([&] { return AllRunButtons(s.Dlg(), true); }, kWait));
    EXPECT_EQ(nullptr, FindOwnedDialog(s.Dlg())) << "a dialog is still open";
    EXPECT_EQ(kIdleTitle, WindowText(s.Dlg()));
    EXPECT_TRUE(files::FolderFiles(dir).empty());
    EXPECT_EQ(logBefore, files::ReadUtf16(files::ProgramLogPath()));
}

TEST_F(RunTest, ADriveRemovedWhileSaveAsIsOpenDoesNotDisturbTheRun) {
    const std::wstring dir = files::ScratchDir(L"removed");
    drive::Press(s.Dlg(), IDOK);
    HWND hSaveAs = drive::WaitSaveAsDialog(s.Dlg(), kWait);
    ASSERT_TRUE(hSaveAs);
    // The selected drive leaves the list (its record is freed) before the
    // path is confirmed.
    s.Notify(SHCNE_DRIVEREMOVED, L"D:\\");
    ASSERT_EQ(-1, s.IndexOf(L'D'));

    ASSERT_TRUE(WaitFor([&] { return drive::FileNameEdit(hSaveAs) != nullptr; }, kWait));
    ASSERT_TRUE(drive::ConfirmSaveAs(hSaveAs, dir + L"\\d"));
    HWND hResult = WaitResult();
    ASSERT_TRUE(hResult);
    EXPECT_EQ(files::Expect(L'D').sha1, Line(drive::ResultText(hResult), L"SHA-1:"));
    ASSERT_TRUE(files::FileExists(dir + L"\\d.iso"));
    EXPECT_TRUE(files::ReadBytes(dir + L"\\d.iso") == files::ReadBytes(files::IsoPath(L'D')));
    // The list has no drive selected any more; the four buttons come back all the same.
    ASSERT_NO_FATAL_FAILURE(CloseResultAndWaitIdle(hResult));
}

// Runs follow one another in one session: each starts, shows its own report
// and leaves the dialog idle for the next.
TEST_F(RunTest, ConsecutiveRunsInOneSessionEachShowTheirReport) {
    const std::wstring log = files::ProgramLogPath();
    const size_t nBefore = CountOf(files::ReadUtf16(log), L"Старт:");
    for (int i = 0; i < 3; ++i) {
        drive::Press(s.Dlg(), 1004);
        HWND hResult = WaitResult();
        ASSERT_TRUE(hResult) << "run " << i + 1 << " showed no report";
        ASSERT_NO_FATAL_FAILURE(CloseResultAndWaitIdle(hResult));
    }
    EXPECT_EQ(nBefore + 3, CountOf(files::ReadUtf16(log), L"Старт:"));
}

TEST_F(RunTest, OnlyOneRunAtATime) {
    const std::wstring log = files::ProgramLogPath();
    const size_t nBefore = CountOf(files::ReadUtf16(log), L"Старт:");

    // Two presses in a row reach the dialog before the first worker has
    // locked the buttons: the second one starts nothing.
    drive::Press(s.Dlg(), 1004);
    drive::Press(s.Dlg(), 1004);
    HWND hResult = WaitResult();
    ASSERT_TRUE(hResult);

    // While the run is on, neither a selection change, nor a media event,
    // nor a drive event can unlock "Сохранить" or "Хэши".
    s.Select(s.IndexOf(L'E'));
    EXPECT_FALSE(s.SaveEnabled());
    EXPECT_FALSE(s.HashesEnabled());
    s.Notify(SHCNE_MEDIAINSERTED, L"E:\\");
    s.Notify(SHCNE_DRIVEREMOVED, L"D:\\");
    s.Notify(SHCNE_DRIVEADD, L"D:\\");
    EXPECT_TRUE(AllRunButtons(s.Dlg(), false));
    // A press that reaches the dialog all the same starts no second run.
    for (int id : {IDOK, 1004}) s.Command(id);
    EXPECT_EQ(hResult, FindOwnedDialog(s.Dlg()));

    // The disc is taken out of the selected drive while the report is open.
    s.Notify(SHCNE_MEDIAREMOVED, L"E:\\");
    EXPECT_TRUE(AllRunButtons(s.Dlg(), false));
    ASSERT_NO_FATAL_FAILURE(CloseResultAndWaitIdle(hResult));
    // Idle again: no other dialog is waiting, and the log has one report more.
    EXPECT_EQ(nullptr, FindOwnedDialog(s.Dlg()));
    EXPECT_EQ(nBefore + 1, CountOf(files::ReadUtf16(log), L"Старт:"));
    // All four buttons are enabled after the run, whatever the selection holds
    // (E: has no disc now), also once the dialog has answered the cleared mark.
    s.OnDialogThread([] {});
    EXPECT_TRUE(AllRunButtons(s.Dlg(), true));
}

// A Save run on drive N:, whose UDF label holds characters that no file name
// can: the proposal replaces them and drops the trailing dots and blanks, and
// the Save As dialog takes it.
TEST_F(RunTest, SaveProposesTheLabelMadeFitForAFileName) {
    const int n = s.IndexOf(L'N');
    if (n == -1) GTEST_SKIP() << "no drive N: in this environment";
    wchar_t label[MAX_PATH] = {};
    ASSERT_TRUE(GetVolumeInformationW(L"N:\\", label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0));
    ASSERT_EQ(files::Env(L"ORVANE_DRIVES_UDF_LABEL"), label) << "the label as the system reads it";
    const std::wstring proposal = L"Vol_ 1_2 __A_B______";

    const std::wstring dir = files::ScratchDir(L"udf");
    s.Select(n);
    drive::Press(s.Dlg(), IDOK);
    HWND hSaveAs = drive::WaitSaveAsDialog(s.Dlg(), kWait);
    ASSERT_TRUE(hSaveAs);
    HWND hName = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (hName = drive::FileNameEdit(hSaveAs)) != nullptr; }, kWait));
    EXPECT_EQ(proposal, WindowText(hName));

    ASSERT_TRUE(drive::ConfirmSaveAs(hSaveAs, dir + L"\\" + WindowText(hName)));
    HWND hResult = WaitResult();
    ASSERT_TRUE(hResult);
    EXPECT_EQ(files::Expect(L'N').sha1, Line(drive::ResultText(hResult), L"SHA-1:"));
    EXPECT_TRUE(files::FileExists(dir + L"\\" + proposal + L".iso"));
    ASSERT_NO_FATAL_FAILURE(CloseResultAndWaitIdle(hResult));
}

// The press itself locks the four buttons, on the dialog's thread, before any
// worker has run; an "Обновить" that reaches the dialog then leaves the list
// (whose selected drive the worker is about to read) alone.
TEST_F(RunTest, ThePressLocksTheButtonsAndRefreshWaitsForTheRun) {
    bool bLocked = false;
    size_t nDeletedBefore = 0, nDeletedAfter = 0;
    s.OnDialogThread([&] {
        nDeletedBefore = s.Object().m_deletedRecords.size();
        s.Command(1004);
        bLocked = AllRunButtons(s.Dlg(), false);
        s.Command(1003);
        nDeletedAfter = s.Object().m_deletedRecords.size();
    });
    EXPECT_TRUE(bLocked);
    EXPECT_EQ(nDeletedBefore, nDeletedAfter) << "the list was rebuilt under the run";

    HWND hResult = WaitResult();
    ASSERT_TRUE(hResult);
    EXPECT_EQ(files::Expect(L'D').sha1, Line(drive::ResultText(hResult), L"SHA-1:"));
    ASSERT_NO_FATAL_FAILURE(CloseResultAndWaitIdle(hResult));
}

// Whether the run mark was set each time "Обновить" got enabled.
std::vector<bool> g_markedAtEnable;
WNDPROC g_pfnRefreshProc = nullptr;

LRESULT CALLBACK WatchedRefreshProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_ENABLE && wParam) g_markedAtEnable.push_back(CRunDialog::IsRunInProgress(GetParent(hwnd)) != FALSE);
    return CallWindowProcW(g_pfnRefreshProc, hwnd, uMsg, wParam, lParam);
}

// The end of a run enables the buttons first and clears the run mark after:
// a press that the enabled buttons let through always finds the run ended.
TEST_F(RunTest, TheButtonsAreEnabledBeforeTheRunMarkIsCleared) {
    HWND hRefresh = GetDlgItem(s.Dlg(), 1003);
    g_markedAtEnable.clear();
    s.OnDialogThread([&] {
        g_pfnRefreshProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hRefresh, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchedRefreshProc)));
    });
    drive::Press(s.Dlg(), 1004);
    HWND hResult = WaitResult();
    ASSERT_TRUE(hResult);
    ASSERT_NO_FATAL_FAILURE(CloseResultAndWaitIdle(hResult));

    std::vector<bool> marks;
    s.OnDialogThread([&] {
        SetWindowLongPtrW(hRefresh, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_pfnRefreshProc));
        marks = g_markedAtEnable;
    });
    ASSERT_FALSE(marks.empty()) << "\"Обновить\" was never enabled";
    for (bool bMarked : marks) EXPECT_TRUE(bMarked) << "enabled after the run mark was cleared";
}

// The system menu's Close, grayed (with it the caption's close button).
bool CloseGrayed(HWND hDlg) {
    return (GetMenuState(GetSystemMenu(hDlg, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

TEST_F(RunTest, TheDialogCannotBeClosedWhileARunWorks) {
    EXPECT_FALSE(CloseGrayed(s.Dlg()));
    EXPECT_TRUE(SendMessageW(s.Dlg(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    g_nMinimizedMidRun = -1;
    WatchMainDialog(true);
    drive::Press(s.Dlg(), 1004);
    HWND hResult = WaitResult();
    ASSERT_TRUE(hResult);
    WatchMainDialog(false);
    // While the run read, Minimize acted: only what would end the dialog waits.
    EXPECT_EQ(1, g_nMinimizedMidRun);
    g_nMinimizedMidRun = -2;

    // Close is grayed. The run has read the disc and saved its report: while
    // the report waits for the user, a logoff or shutdown may go on.
    EXPECT_TRUE(CloseGrayed(s.Dlg()));
    EXPECT_TRUE(SendMessageW(s.Dlg(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    // Minimize stays in the menu, not grayed.
    EXPECT_FALSE(GetMenuState(GetSystemMenu(s.Dlg(), FALSE), SC_MINIMIZE, MF_BYCOMMAND) & MF_GRAYED);

    // Esc, "Выход" and WM_CLOSE (all the command IDCANCEL), Alt+F4 and the
    // system menu's Close (SC_CLOSE): the dialog stays.
    s.Command(IDCANCEL);
    SendMessageW(s.Dlg(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(s.Dlg()));
    EXPECT_TRUE(IsWindow(hResult));

    // The run finishes normally; then "Выход" closes the dialog.
    ASSERT_NO_FATAL_FAILURE(CloseResultAndWaitIdle(hResult));
    EXPECT_TRUE(IsWindow(s.Dlg()));
    EXPECT_TRUE(WaitFor([&] { return !CloseGrayed(s.Dlg()); }, kWait));
    EXPECT_TRUE(SendMessageW(s.Dlg(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    EXPECT_TRUE(s.Close());
}

// orvane.exe itself, in a process of its own, played like a user and ended
// from outside like a crash, Task Manager or a logoff would end it.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_exe = files::EnvDir(L"ORVANE_EXE");
        if (m_exe.empty()) GTEST_SKIP() << "ORVANE_EXE not set (run through ctest)";
    }
    void TearDown() override {
        if (m_pi.hProcess) {
            TerminateProcess(m_pi.hProcess, 1);
            WaitForSingleObject(m_pi.hProcess, kWait);
            CloseHandle(m_pi.hProcess);
            CloseHandle(m_pi.hThread);
        }
    }
    // Starts the program and waits for its main dialog.
    HWND Start(const std::wstring& exe) {
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        std::wstring cmd = L"\"" + exe + L"\"";
        if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi))
            return nullptr;
        HWND h = nullptr;
        WaitFor([&] { return (h = drive::FindMainDialog(m_pi.dwProcessId)) != nullptr; }, kWait);
        return h;
    }
    std::wstring m_exe;
    PROCESS_INFORMATION m_pi = {};
};

// The program's answer to a logoff: TRUE lets it go on.
bool AllowsLogoff(HWND hDlg) {
    DWORD_PTR nAnswer = 0;
    SendMessageTimeoutW(hDlg, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, kWait, &nAnswer);
    return nAnswer != 0;
}

// Percentage in the title of a Save run, or -1.
double SavePercent(HWND hDlg) {
    const std::wstring title = WindowText(hDlg), prefix = L"Создание образа - ";
    return title.rfind(prefix, 0) == 0 ? _wtof(title.c_str() + prefix.size()) : -1.0;
}

// A Save run that replaces an existing image is killed mid-copy: the image it
// was to replace is as it was, and nothing unfinished is left in the folder.
TEST_F(ProgramTest, KilledSaveRunLeavesTheOldImage) {
    const std::wstring dir = files::ScratchDir(L"killed");
    const std::wstring image = dir + L"\\big.iso";
    const std::vector<uint8_t> old(300000, 'o');
    ASSERT_TRUE(files::WriteBytes(image, old));

    HWND hDlg = Start(m_exe);
    ASSERT_TRUE(hDlg) << "orvane.exe showed no main dialog";
    // Drive G, the long one (over 4 GiB): the fourth in the list.
    HWND hList = GetDlgItem(hDlg, 1000);
    SendMessageW(hList, CB_SETCURSEL, 3, 0);
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(1000, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hList));
    ASSERT_TRUE(WaitFor([&] { return drive::IsItemEnabled(hDlg, IDOK); }, kWait));
    drive::Press(hDlg, IDOK);
    HWND hSaveAs = drive::WaitSaveAsDialog(hDlg, kWait);
    ASSERT_TRUE(hSaveAs);
    HWND hName = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (hName = drive::FileNameEdit(hSaveAs)) != nullptr; }, kWait));
    ASSERT_EQ(L"BIG_DISC", WindowText(hName));
    // Nothing is read while Save As waits for the user: a logoff may go on.
    EXPECT_TRUE(AllowsLogoff(hDlg));
    ASSERT_TRUE(drive::ConfirmSaveAs(hSaveAs, image));
    // The Save As dialog asks before replacing the file: yes.
    HWND hAsk = WaitForOwnedDialog(hSaveAs, kWait);
    ASSERT_TRUE(hAsk);
    drive::Press(hAsk, IDYES);

    ASSERT_TRUE(WaitFor([&] { return SavePercent(hDlg) >= 1.0; }, kWait)) << WindowText(hDlg);
    // While the disc is read, a logoff is refused.
    EXPECT_FALSE(AllowsLogoff(hDlg));
    const double dAt = SavePercent(hDlg);
    EXPECT_LT(dAt, 100.0);
    HANDLE hKill = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, m_pi.dwProcessId);
    ASSERT_TRUE(hKill);
    EXPECT_TRUE(TerminateProcess(hKill, 1));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hKill, kWait));
    CloseHandle(hKill);

    EXPECT_TRUE(WaitFor([&] { return files::FolderFiles(dir).size() == 1; }, kWait))
        << files::FolderFiles(dir).size() << " files after the kill at " << dAt << " %";
    const std::vector<uint8_t> now = files::ReadBytes(image);
    EXPECT_TRUE(now == old) << "the old image was changed: " << now.size() << " bytes";
}

// The program kept in a folder its user may not write to (a read-only bind
// mount): a Hashes run shows its report as usual, and then the line that says
// the report file was not saved, where and why.
TEST_F(ProgramTest, UnsavedReportIsShown) {
    const std::wstring rw = files::EnvDir(L"ORVANE_DRIVES_BIN"), ro = files::EnvDir(L"ORVANE_DRIVES_BIN_RO");
    if (rw.empty() || ro.empty()) GTEST_SKIP() << "no read-only program folder";
    ASSERT_TRUE(CopyFileW(m_exe.c_str(), (rw + L"\\orvane.exe").c_str(), FALSE));
    const std::wstring exe = ro + L"\\orvane.exe";
    HWND hDlg = Start(exe);
    ASSERT_TRUE(hDlg) << "orvane.exe showed no main dialog";
    ASSERT_TRUE(WaitFor([&] { return drive::IsItemEnabled(hDlg, 1004); }, kWait));
    drive::Press(hDlg, 1004);
    HWND hResult = drive::WaitResultDialog(hDlg, kWait);
    ASSERT_TRUE(hResult);
    const std::wstring text = drive::ResultText(hResult);

    const files::Expectation e = files::Expect(L'D');
    EXPECT_EQ(e.sha1, Line(text, L"SHA-1:"));
    const std::wstring last = L"\r\nОтчёт не сохранён:\t\"" + ro + L"\\orvane.log\", ";
    const size_t at = text.find(last);
    ASSERT_NE(std::wstring::npos, at) << std::string(text.begin(), text.end());
    // The report's own seven lines come first, the extra line is the last one.
    EXPECT_EQ(7u, CountOf(text.substr(0, at + 2), L"\r\n"));
    EXPECT_NE(0, _wtoi(text.c_str() + at + last.size()));
    EXPECT_EQ(text.size() - 2, text.find(L"\r\n", at + last.size()));
    EXPECT_FALSE(files::FileExists(rw + L"\\orvane.log"));

    drive::Press(hResult, IDOK);
    // "Выход" comes back a moment before the run's mark goes, and is refused
    // until then: pressed until the program ends.
    EXPECT_TRUE(WaitFor(
        [&] {
            drive::Press(hDlg, IDCANCEL);
            return WaitForSingleObject(m_pi.hProcess, 100) == WAIT_OBJECT_0;
        },
        kWait));
}

}  // namespace
