// Whole runs on the virtual drives of tests/tools/drives.sh, from the drive
// letter to the saved report, and the faults a run must end cleanly in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

#include "FailingCalls.h"
#include "JobTestSupport.h"
#include "RunDialog.h"

using namespace files;
using namespace jobtest;

namespace {

struct RunResult {
    BOOL ok = FALSE;
    std::wstring report, shown;
    std::vector<std::wstring> lines;
    std::wstring status, title;
    int pos = 0, max = 0;
    SYSTEMTIME started = {}, ended = {};  // local times around the run
};

// Whether the start line gives a local date and time (in the user's formats)
// of a second between the two moments.
bool StartedBetween(const std::wstring& line, const SYSTEMTIME& from, const SYSTEMTIME& to) {
    FILETIME ftFrom, ftTo;
    SystemTimeToFileTime(&from, &ftFrom);
    SystemTimeToFileTime(&to, &ftTo);
    const ULONGLONG kSecond = 10000000, end = (ULONGLONG(ftTo.dwHighDateTime) << 32 | ftTo.dwLowDateTime) + kSecond;
    for (ULONGLONG t = ULONGLONG(ftFrom.dwHighDateTime) << 32 | ftFrom.dwLowDateTime; t <= end; t += kSecond) {
        const FILETIME ft = {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
        SYSTEMTIME st;
        FileTimeToSystemTime(&ft, &st);
        wchar_t date[100] = {}, time[100] = {};
        GetDateFormatW(GetUserDefaultLCID(), 0, &st, nullptr, date, 100);
        GetTimeFormatW(GetUserDefaultLCID(), 0, &st, nullptr, time, 100);
        if (line == std::wstring(L"Старт:\t") + date + L" " + time) return true;
    }
    return false;
}

class DiscRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (!DrivesAvailable()) GTEST_SKIP() << "no virtual drives (run under tests/tools/with-test-env.sh)";
    }

    // One run on LETTER; checks that it let go of everything it held, the
    // dialog's reading mark included. onStep runs at each step of its progress.
    RunResult Run(wchar_t letter, const wchar_t* image, std::function<void(HWND)> onStep = nullptr) {
        RunResult r;
        CTestDialog dlg;
        if (onStep) dlg.OnTitle([&] { onStep(dlg.Hwnd()); });
        const long before = HandleCount();
        GetLocalTime(&r.started);
        {
            CDiscJob job;
            r.ok = job.Run(dlg.Hwnd(), image, letter);
            const CDiscJobTestAccess record(job);
            EXPECT_EQ(record.Device(), INVALID_HANDLE_VALUE);
            EXPECT_EQ(record.Lock(), INVALID_HANDLE_VALUE);
            EXPECT_EQ(record.Image(), INVALID_HANDLE_VALUE);
            EXPECT_EQ(record.Buffer(), nullptr);
            EXPECT_FALSE(CRunDialog::IsRunReading(dlg.Hwnd()));
            r.report = job.GetReport().GetString();
            r.shown = job.GetShownText().GetString();
        }
        GetLocalTime(&r.ended);
        if (before >= 0) {
            EXPECT_EQ(HandleCount(), before) << "a handle stayed open";
        }
        r.lines = SplitLines(r.report);
        r.status = dlg.Status();
        r.title = dlg.Title();
        r.pos = dlg.BarPos();
        r.max = dlg.BarMax();
        return r;
    }

    // The report file holds the report, followed by an empty line, at its end.
    static void ExpectSaved(const std::wstring& logPath, const std::wstring& report) {
        const std::wstring text = ReadUtf16(logPath);
        const std::wstring tail = report + L"\r\n";
        ASSERT_GE(text.size(), tail.size()) << "no report in the report file";
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
        EXPECT_EQ(text[0], 0xFEFF);
    }

    static void ExpectHeader(const RunResult& r, const std::wstring& disc) {
        ASSERT_GE(r.lines.size(), 2u) << r.report;
        // The start line: the local date, a blank and the local time.
        EXPECT_TRUE(StartedBetween(r.lines[0], r.started, r.ended)) << r.lines[0];
        EXPECT_EQ(r.lines[1], L"Диск:\t\"" + disc + L"\"");
    }

    // The folder holds exactly these files: nothing unfinished is left behind.
    static void ExpectFolderHolds(const std::wstring& dir, std::vector<std::wstring> names) {
        std::sort(names.begin(), names.end());
        EXPECT_EQ(FolderFiles(dir), names);
    }

    static void ExpectErrorLast(const RunResult& r, size_t count) {
        ASSERT_EQ(r.lines.size(), count) << r.report;
        const std::wstring& err = r.lines.back();
        ASSERT_EQ(err.rfind(L"Ошибка:\t", 0), 0u) << err;
        const int code = _wtoi(err.c_str() + 7);
        EXPECT_NE(code, 0) << err;
        EXPECT_NE(err.find(L", "), std::wstring::npos);
        EXPECT_EQ(r.report.substr(r.report.size() - 2), L"\r\n");
    }
};

}  // namespace

TEST_F(DiscRun, SaveCopiesTheDiscAndHashesAgree) {
    const std::wstring dir = ScratchDir(L"save образы");
    const std::wstring image = dir + L"\\Образ диска D.iso";
    DeleteFileW((image + L".log").c_str());
    const Expectation e = Expect(L'D');
    // The start time is the local one: the tests run in a zone other than UTC.
    TIME_ZONE_INFORMATION tz;
    GetTimeZoneInformation(&tz);
    EXPECT_NE(tz.Bias, 0);

    // While it reads, the run asks the system to stay awake until it says
    // otherwise. The state in force, read on the run's thread at each step
    // (a request without ES_CONTINUOUS leaves it unchanged).
    std::vector<EXECUTION_STATE> awake;
    RunResult save = Run(L'D', image.c_str(), [&](HWND) { awake.push_back(SetThreadExecutionState(0)); });
    EXPECT_TRUE(save.ok) << save.report;
    EXPECT_EQ(awake, std::vector<EXECUTION_STATE>(awake.size(), ES_CONTINUOUS | ES_SYSTEM_REQUIRED));
    EXPECT_GT(awake.size(), 2u);
    ExpectHeader(save, L"ORVANE_DISC");
    ExpectSuccessLines(save.lines, e, GroupDigits(e.size), image);
    EXPECT_TRUE(ReadBytes(image) == ReadBytes(IsoPath(L'D'))) << "the image is not the disc";
    EXPECT_EQ(ReadBytes(image).size(), e.size);
    EXPECT_EQ(save.status, L"\"Образ диска D.iso\" ( 100.00 % )");
    EXPECT_EQ(save.title, L"Создание образа - 100.00 %");
    EXPECT_EQ(save.pos, save.max);
    EXPECT_EQ(ReadUtf16(image + L".log"), L"\xFEFF" + save.report + L"\r\n");

    // A second Save to the same path replaces the image and appends its report.
    // A file that bears the name of an unfinished image is not touched.
    const std::vector<uint8_t> other = {'k', 'e', 'e', 'p'};
    ASSERT_TRUE(WriteBytes(image + L".partial", other));
    RunResult again = Run(L'D', image.c_str());
    EXPECT_TRUE(again.ok);
    EXPECT_EQ(ReadUtf16(image + L".log"), L"\xFEFF" + save.report + L"\r\n" + again.report + L"\r\n");
    EXPECT_TRUE(ReadBytes(image) == ReadBytes(IsoPath(L'D')));
    EXPECT_TRUE(ReadBytes(image + L".partial") == other);
    ExpectFolderHolds(dir, {L"Образ диска D.iso", L"Образ диска D.iso.log", L"Образ диска D.iso.partial"});

    // Hashes runs: same checksums, no file line, the report beside the program.
    const std::wstring log = ProgramLogPath();
    DeleteFileW(log.c_str());
    RunResult hashes = Run(L'D', nullptr);
    EXPECT_TRUE(hashes.ok) << hashes.report;
    ExpectHeader(hashes, L"ORVANE_DISC");
    ExpectSuccessLines(hashes.lines, e, GroupDigits(e.size), L"");
    EXPECT_EQ(hashes.status, L"Вычисление хешей ( 100.00 % )");
    EXPECT_EQ(hashes.title, L"Хеширование - 100.00 %");
    EXPECT_EQ(ReadUtf16(log), L"\xFEFF" + hashes.report + L"\r\n");
    RunResult empty = Run(L'D', L"");
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(empty.lines.size(), 7u);
    ExpectSaved(log, empty.report);
    DeleteFileW(log.c_str());
}

TEST_F(DiscRun, DiscWithoutLabelIsNamedByItsRoot) {
    const std::wstring dir = ScratchDir(L"unlabelled");
    const std::wstring image = dir + L"\\e.iso";
    const Expectation e = Expect(L'E');
    RunResult r = Run(L'E', image.c_str());
    EXPECT_TRUE(r.ok) << r.report;
    ExpectHeader(r, L"E:\\");
    ExpectSuccessLines(r.lines, e, GroupDigits(e.size), image);
    EXPECT_TRUE(ReadBytes(image) == ReadBytes(IsoPath(L'E')));
}

// Unreadable sectors follow the file system (track-at-once run-out). Q's ends
// inside its last block, whose read fails as a whole: the sectors are read
// again up to the file system's end and no further, and the run succeeds with
// the whole file system. (A read wholly past the end is a row of the sweep:
// through a loop device Wine answers every unreadable sector with 21, which a
// real drive answers only when it is not ready.)
TEST_F(DiscRun, RunOutPastTheFileSystemEndsTheVolume) {
    const std::wstring image = ScratchDir(L"runout") + L"\\q.iso";
    const Expectation e = Expect(L'Q');
    RunResult r = Run(L'Q', image.c_str());
    EXPECT_TRUE(r.ok) << r.report;
    ExpectSuccessLines(r.lines, e, GroupDigits(e.size), image);
    EXPECT_TRUE(ReadBytes(image) == ReadBytes(IsoPath(L'Q')));
    EXPECT_EQ(r.status, L"\"q.iso\" ( 100.00 % )");
    EXPECT_EQ(r.title, L"Создание образа - 100.00 %");
    EXPECT_EQ(r.max, static_cast<int>((e.size + 1048575) / 1048576));
    EXPECT_EQ(r.pos, r.max);
}

// The file system is larger than the volume (a truncated disc): the volume
// ends before its file system does, which is error 38, and no image is kept.
// H's volume ends with an empty read; P's drive answers "invalid parameter"
// for the sectors it does not have, as a real drive does past its capacity.
TEST_F(DiscRun, TruncatedVolumeFailsWithEndOfFile) {
    const std::wstring dir = ScratchDir(L"short");
    for (wchar_t letter : {L'P', L'H'}) {
        const std::wstring name = std::wstring(1, towlower(letter)) + L".iso";
        RunResult r = Run(letter, (dir + L"\\" + name).c_str());
        EXPECT_FALSE(r.ok);
        ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(r, 5));
        EXPECT_EQ(r.lines[4].rfind(L"Ошибка:\t38, ", 0), 0u) << r.lines[4];
        ExpectFolderHolds(dir, {name + L".log"});
        DeleteFileW((dir + L"\\" + name + L".log").c_str());
    }
    const Expectation e = Expect(L'H');
    RunResult r = Run(L'H', (dir + L"\\h.iso").c_str());
    ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(r, 5));
    EXPECT_EQ(r.lines[2], L"Размер:\t" + GroupDigits(e.size + 2 * 1048576 + 12288) + L" байт");

    RunResult hashes = Run(L'H', nullptr);
    ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(hashes, 4));
    EXPECT_EQ(hashes.lines[3].rfind(L"Ошибка:\t38, ", 0), 0u) << hashes.lines[3];
}

TEST_F(DiscRun, VolumeOverFourGibibytes) {
    const std::wstring image = ScratchDir(L"big") + L"\\g.iso";
    const Expectation e = Expect(L'G');
    ASSERT_GT(e.size, 0x100000000ull);
    RunResult r = Run(L'G', image.c_str());
    EXPECT_TRUE(r.ok) << r.report;
    ExpectSuccessLines(r.lines, e, L"4`296`028`160", image);
    EXPECT_EQ(r.max, 4097 + 1);
    EXPECT_EQ(r.pos, r.max);

    // The image has the whole length; its first and last mebibytes are the disc's.
    HANDLE hImage = CreateFileW(image.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE hIso = CreateFileW(IsoPath(L'G').c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hImage, INVALID_HANDLE_VALUE);
    ASSERT_NE(hIso, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    GetFileSizeEx(hImage, &size);
    EXPECT_EQ(static_cast<uint64_t>(size.QuadPart), e.size);
    std::vector<uint8_t> a(1048576), b(1048576);
    for (int64_t offset : {int64_t(0), int64_t(e.size) - 1048576}) {
        LARGE_INTEGER at;
        at.QuadPart = offset;
        DWORD na = 0, nb = 0;
        SetFilePointerEx(hImage, at, nullptr, FILE_BEGIN);
        SetFilePointerEx(hIso, at, nullptr, FILE_BEGIN);
        ReadFile(hImage, a.data(), 1048576, &na, nullptr);
        ReadFile(hIso, b.data(), 1048576, &nb, nullptr);
        EXPECT_EQ(na, 1048576u);
        EXPECT_TRUE(na == nb && a == b) << "differs at " << offset;
    }
    CloseHandle(hImage);
    CloseHandle(hIso);
    DeleteFileW(image.c_str());
}

TEST_F(DiscRun, NoDisc) {
    const std::wstring dir = ScratchDir(L"nodisc");
    const std::wstring image = dir + L"\\l.iso";
    RunResult r = Run(L'L', image.c_str());
    EXPECT_FALSE(r.ok);
    ExpectHeader(r, L"L:\\");
    ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(r, 3));
    EXPECT_FALSE(FileExists(image));
    ExpectSaved(image + L".log", r.report);
    // Nothing was started: the display is as it was.
    EXPECT_EQ(r.status, L"");
    EXPECT_EQ(r.title, L"Создание образа CD/DVD");
}

TEST_F(DiscRun, SizeZero) {
    const std::wstring image = ScratchDir(L"zero") + L"\\j.iso";
    RunResult r = Run(L'J', image.c_str());
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.lines.size(), 3u) << r.report;
    EXPECT_EQ(r.lines[2], L"Размер:\t0 байт");
    EXPECT_FALSE(FileExists(image));
    ExpectSaved(image + L".log", r.report);
}

TEST_F(DiscRun, VolumeCannotBeOpened) {
    const std::wstring image = ScratchDir(L"noopen") + L"\\k.iso";
    RunResult r = Run(L'K', image.c_str());
    EXPECT_FALSE(r.ok);
    ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(r, 4));
    EXPECT_EQ(r.lines[2], L"Размер:\t1`048`576 байт");
    EXPECT_FALSE(FileExists(image));
    ExpectSaved(image + L".log", r.report);
}

TEST_F(DiscRun, ImageCannotBeCreated) {
    // A folder that does not exist: the report file cannot be written there either.
    const std::wstring missing = ScratchDir(L"create") + L"\\no such folder\\d.iso";
    RunResult r = Run(L'D', missing.c_str());
    EXPECT_FALSE(r.ok);
    ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(r, 5));
    EXPECT_EQ(r.lines[3], L"Файл:\t\"" + missing + L"\"");
    EXPECT_EQ(r.lines[4].rfind(L"Ошибка:\t3, ", 0), 0u) << r.lines[4];

    // A read-only file system.
    const std::wstring ro = EnvDir(L"ORVANE_DRIVES_RO") + L"\\d.iso";
    r = Run(L'D', ro.c_str());
    EXPECT_FALSE(r.ok);
    ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(r, 5));
    EXPECT_FALSE(FileExists(ro));
}

// The image is pre-sized sparsely, so the room runs out during the copy. On this
// target a write that only partly fits answers success with the bytes it stored
// (Wine here: 8 KiB of 1 MiB), and the run must report that as a full disk.
// For H the write that does not fit is that of the last block.
TEST_F(DiscRun, TargetWithoutRoom) {
    const std::wstring dir = TargetDir(L"ORVANE_DRIVES_SMALL");
    for (wchar_t letter : {L'D', L'H'}) {
        const std::wstring image = dir + L"\\" + letter + L".iso";
        RunResult r = Run(letter, image.c_str());
        EXPECT_FALSE(r.ok);
        ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(r, 5));
        EXPECT_EQ(r.lines[4].rfind(L"Ошибка:\t112, ", 0), 0u) << r.lines[4];
        ExpectSaved(image + L".log", r.report);
        ExpectFolderHolds(dir, {std::wstring(1, letter) + L".iso.log"});
        DeleteFileW((image + L".log").c_str());
    }
}

// A Save run that fails after its whole preparation keeps the image it was to
// replace as it was. I has unreadable sectors 12 KiB before the end of its file
// system, in a block whose first part reads well: the short read there is no
// end of the volume. On the flush-failing target the disc is read whole but
// the image never reaches the disk: it must not take the old one's place.
TEST_F(DiscRun, FailedSaveKeepsTheOldImage) {
    const struct {
        wchar_t letter;
        std::wstring dir;
        int unread;  // blocks not read
    } cases[] = {{L'I', ScratchDir(L"readerror"), 1}, {L'D', TargetDir(L"ORVANE_DRIVES_FLUSHFAIL"), 0}};
    const std::vector<uint8_t> old = ReadBytes(IsoPath(L'E'));
    for (const auto& c : cases) {
        const std::wstring image = c.dir + L"\\old.iso";
        ASSERT_TRUE(WriteBytes(image, old));
        RunResult r = Run(c.letter, image.c_str());
        EXPECT_FALSE(r.ok);
        ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(r, 5));
        EXPECT_EQ(r.lines[3], L"Файл:\t\"" + image + L"\"");
        EXPECT_TRUE(ReadBytes(image) == old) << "the old image was touched";
        ExpectSaved(image + L".log", r.report);
        ExpectFolderHolds(c.dir, {L"old.iso", L"old.iso.log"});
        EXPECT_EQ(r.pos, r.max - c.unread);
    }

    RunResult hashes = Run(L'I', nullptr);
    EXPECT_FALSE(hashes.ok);
    ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(hashes, 4));
}

TEST_F(DiscRun, ReportFileHeldByAnotherWriter) {
    const std::wstring image = ScratchDir(L"held") + L"\\d.iso";
    const Expectation e = Expect(L'D');
    HANDLE h = CreateFileW((image + L".log").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    RunResult r = Run(L'D', image.c_str());
    CloseHandle(h);
    EXPECT_TRUE(r.ok) << r.report;
    ExpectSuccessLines(r.lines, e, GroupDigits(e.size), image);
    EXPECT_TRUE(ReadBytes(image) == ReadBytes(IsoPath(L'D')));
    EXPECT_TRUE(ReadBytes(image + L".log").empty());
}

// A target that cannot take the image is refused before the disc is read: a
// read-only file (which Wine would replace where Windows refuses), a folder, a
// file another program holds, without delete sharing or sharing everything (a
// viewer, a virus scanner), a path whose temporary name would pass the
// system's limit (".partial", or ".99.partial" when the first names are
// taken; the second just reaches it: a name of MAX_PATH units leaves no room
// for its terminator), a disc of 4 GiB or more for a FAT32 or a FAT16 volume
// (O:, R:). The target is checked first: a drive whose volume cannot be opened
// (K:) fails with the target's error. The report names the file and the
// error; the display never starts, and what stood at the path stays as it was.
TEST_F(DiscRun, TargetThatCannotTakeTheImageIsRefusedBeforeReading) {
    const std::wstring dir = ScratchDir(L"refused");
    const std::wstring readOnly = dir + L"\\read-only.iso", folder = dir + L"\\folder.iso", held = dir + L"\\held.iso";
    const std::wstring shared = dir + L"\\shared.iso";
    const std::wstring tooLong = dir + L"\\" + std::wstring(MAX_PATH - 6 - dir.size(), L'x');
    const std::wstring tooLongForTry99 = dir + L"\\" + std::wstring(MAX_PATH - 12 - dir.size(), L'x');
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    ASSERT_TRUE(WriteBytes(readOnly, old));
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(held, old));
    ASSERT_TRUE(WriteBytes(shared, old));
    HANDLE hHeld = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hHeld, INVALID_HANDLE_VALUE);
    HANDLE hShared = CreateFileW(shared.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hShared, INVALID_HANDLE_VALUE);
    const struct {
        wchar_t letter;
        std::wstring path;
        int code;
    } cases[] = {{L'D', readOnly, 5},       {L'D', folder, 5},         {L'D', held, 32},
                 {L'D', shared, 32},        {L'D', tooLong, 206},      {L'D', tooLongForTry99, 206},
                 {L'G', L"O:\\g.iso", 223}, {L'G', L"R:\\g.iso", 223}, {L'K', readOnly, 5}};
    for (const auto& c : cases) {
        RunResult r = Run(c.letter, c.path.c_str());
        EXPECT_FALSE(r.ok);
        ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(r, 5));
        EXPECT_EQ(r.lines[3], L"Файл:\t\"" + c.path + L"\"");
        EXPECT_EQ(_wtoi(r.lines[4].c_str() + 7), c.code) << r.lines[4];
        EXPECT_EQ(r.status, L"") << "the disc was read";
    }
    CloseHandle(hHeld);
    CloseHandle(hShared);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(ReadBytes(readOnly) == old);
    EXPECT_TRUE(ReadBytes(held) == old);
    EXPECT_TRUE(ReadBytes(shared) == old);
    for (const std::wstring& name : FolderFiles(dir)) EXPECT_EQ(name.find(L".partial"), std::wstring::npos) << name;
}

// A folder takes the chosen path while the run reads: the final move fails
// after the whole disc was read, and the complete image is kept under its
// temporary name, which the report gives after the checksums and before the
// move's error.
TEST_F(DiscRun, ImageThatCannotTakeItsPlaceIsKept) {
    const std::wstring image = ScratchDir(L"noplace") + L"\\d.iso", kept = image + L".partial";
    const Expectation e = Expect(L'D');
    RunResult r = Run(L'D', image.c_str(), [&](HWND) { CreateDirectoryW(image.c_str(), nullptr); });
    EXPECT_FALSE(r.ok);
    ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(r, 10));
    ExpectSuccessLines({r.lines.begin(), r.lines.begin() + 8}, e, GroupDigits(e.size), image);
    EXPECT_EQ(r.lines[8], L"Образ сохранён как:\t\"" + kept + L"\"");
    EXPECT_TRUE(ReadBytes(kept) == ReadBytes(IsoPath(L'D')));
    ExpectSaved(image + L".log", r.report);
}

// The size is asked of the drive's root, whatever the process's current
// folder on that drive is.
TEST_F(DiscRun, SizeIsAskedOfTheDrivesRoot) {
    SetEnvironmentVariableW(L"=E:", L"E:\\no such folder");
    RunResult r = Run(L'E', nullptr);
    SetEnvironmentVariableW(L"=E:", nullptr);
    EXPECT_TRUE(r.ok) << r.report;
    ExpectSuccessLines(r.lines, Expect(L'E'), GroupDigits(Expect(L'E').size), L"");
}

// A run cut short after its preparation: the record's destructor lets go of
// the volume, the image and the buffer.
TEST_F(DiscRun, DestructorReleasesWhatARunStillHolds) {
    const std::wstring dir = ScratchDir(L"cut"), image = dir + L"\\d.iso";
    CTestDialog dlg;
    const long before = HandleCount();
    {
        CDiscJob record;
        CDiscJobTestAccess job(record);
        job.Setup(dlg.Hwnd(), image.c_str(), L'D');
        ASSERT_TRUE(job.Prepare(TRUE)) << record.GetReport().GetString();
        ASSERT_NE(job.Device(), INVALID_HANDLE_VALUE);
        ASSERT_NE(job.Image(), INVALID_HANDLE_VALUE);
        ASSERT_NE(job.Buffer(), nullptr);
        // The image has the volume's length before the first read, under a
        // name of its own: the chosen path is not there yet.
        LARGE_INTEGER size = {};
        EXPECT_TRUE(GetFileSizeEx(job.Image(), &size));
        EXPECT_EQ(static_cast<uint64_t>(size.QuadPart), job.VolumeSize());
        EXPECT_EQ(FolderFiles(dir), std::vector<std::wstring>{L"d.iso.partial"});
    }
    if (before >= 0) {
        EXPECT_EQ(HandleCount(), before);
    }
    // The unfinished image is gone, as after any failed Save run, and nobody
    // holds the volume: it opens without sharing.
    EXPECT_TRUE(FolderFiles(dir).empty());
    HANDLE h = CreateFileW(L"\\\\.\\D:", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);

    // G's image, over 4 GiB, takes the high half of its length too.
    {
        CDiscJob record;
        CDiscJobTestAccess job(record);
        job.Setup(dlg.Hwnd(), (dir + L"\\g.iso").c_str(), L'G');
        ASSERT_TRUE(job.Prepare(TRUE)) << record.GetReport().GetString();
        LARGE_INTEGER size = {};
        EXPECT_TRUE(GetFileSizeEx(job.Image(), &size));
        EXPECT_EQ(static_cast<uint64_t>(size.QuadPart), job.VolumeSize());
    }
}

TEST_F(DiscRun, RawVolumePathAndDrivePath) {
    CDiscJob job;
    CTestDialog dlg;
    job.Run(dlg.Hwnd(), nullptr, L'L');
    EXPECT_STREQ(CDiscJobTestAccess(job).DevicePath(), L"\\\\.\\L:");
    EXPECT_STREQ(CDiscJobTestAccess(job).DevicePath() + 4, L"L:");
    DeleteFileW(std::wstring(CDiscJobTestAccess(job).ReportFilePath()).c_str());
}

// A Save run over an old image, or a Hashes run, of disc E: with some of the
// system's calls failed, and the checks that its end is the truth. What the
// truth is follows from the run's own calls, as the harness recorded them:
// which of them failed, in which order, on which file.
class FailureSweep : public DiscRun {
protected:
    // The access that each file of a run is opened with.
    static constexpr DWORD kLockAccess = FILE_READ_ATTRIBUTES, kVolumeAccess = GENERIC_READ, kProbeAccess = DELETE,
                           kImageAccess = GENERIC_WRITE | DELETE, kReportAccess = GENERIC_WRITE;
    static constexpr DWORD kBlock = 1048576;

    // What the design makes of a run's failures.
    struct Outcome {
        bool failed = false;                  // a failure ended the run: its report ends with that failure's error line
        DWORD code = 0;                       // the code of that line
        size_t lines = 0;                     // the report's lines, the error line included
        bool kept = false;                    // the move failed: the complete image stays under its temporary name
        bool placed = false;                  // the image has taken the chosen path
        DWORD reportCode = 0;                 // the report file could not be written: the unsaved line's code
        bool reportCut = false;               // ... nor the cut report taken out again
        std::vector<std::wstring> undeleted;  // files whose deletion failed in a cleanup
    };

    void Start(bool bSave, wchar_t letter = L'E') {
        m_bSave = bSave;
        m_letter = letter;
        m_name = std::wstring(1, towlower(letter)) + L".iso";
        m_dir = ScratchDir(L"sweep");
        m_image = m_dir + L"\\" + m_name;
        m_log = bSave ? m_image + L".log" : ProgramLogPath();
        // A Save run's report file holds an earlier report: what fails in
        // writing the new one is taken out again. A Hashes run's is new: it
        // goes again.
        m_logBefore = bSave ? L"\xFEFFСтарт:\t01.01.2026 10:00:00\r\nДиск:\t\"EARLIER\"\r\n\r\n" : L"";
        m_disc.clear();
        m_expect = Expectation();
        // F's file system ends on a block boundary: the read after its last block is past the end.
        m_pastEnd = letter == L'F' ? static_cast<int>(Expected().size / kBlock) + 1 : 0;
        m_clean.clear();
    }

    // The disc's bytes and checksums, read once they are needed (never for
    // G:, whose disc is 4 GiB and whose checksums come late).
    const std::vector<uint8_t>& Disc() {
        if (m_disc.empty()) m_disc = ReadBytes(IsoPath(m_letter));
        return m_disc;
    }
    const Expectation& Expected() {
        if (m_expect.sha1.empty()) m_expect = Expect(m_letter);
        return m_expect;
    }

    // The run, and what it took given back; the first run without a fault
    // records the calls of a clean run.
    RunResult RunWith(const failing::Fault& fault, const failing::Fault& second = {}) {
        for (const std::wstring& name : FolderFiles(m_dir)) DeleteFileW((m_dir + L"\\" + name).c_str());
        EXPECT_TRUE(WriteBytes(m_image, kOld));
        DeleteFileW(m_log.c_str());
        if (!m_logBefore.empty()) {
            EXPECT_TRUE(WriteBytes(m_log, {reinterpret_cast<const uint8_t*>(m_logBefore.data()),
                                           reinterpret_cast<const uint8_t*>(m_logBefore.data() + m_logBefore.size())}));
        }
        const failing::CArmed armed(fault, second);
        RunResult r = Run(m_letter, m_bSave ? m_image.c_str() : nullptr);
        m_trace = armed.Trace();
        m_access.clear();
        for (int n = 1; n <= armed.Count(failing::kCreateFileW); ++n) m_access.push_back(armed.CreateAccess(n));
        EXPECT_EQ(armed.OpenHandles(), 0) << "a handle stayed open";
        EXPECT_EQ(armed.LiveAllocations(), 0) << "memory stayed allocated";
        EXPECT_TRUE(armed.ExecutionState() == 0 || armed.ExecutionState() == ES_CONTINUOUS);
        EXPECT_TRUE(fault.nth == 0 || armed.FaultHit(0)) << "no such call";
        EXPECT_TRUE(second.nth == 0 || armed.FaultHit(1)) << "no such second call";
        if (fault.nth == 0 && m_clean.empty()) {
            for (int c = 0; c < failing::kCallCount; ++c) m_counts[c] = armed.Count(static_cast<failing::Call>(c));
            m_clean = m_trace;
            m_cleanAccess = m_access;
            for (int n = 1; n <= static_cast<int>(m_access.size()); ++n)
                if (m_access[n - 1] == kVolumeAccess) m_volumeOpen = n;
        }
        return r;
    }

    // The access asked for the file that a recorded call works on (for
    // CreateFileW its own), or 0 for a call on no file of the run.
    static DWORD AccessOf(const failing::Traced& t, const std::vector<DWORD>& access) {
        const int file = t.call == failing::kCreateFileW ? t.nth : t.file;
        return file >= 1 && file <= static_cast<int>(access.size()) ? access[file - 1] : 0;
    }

    // Where the recorded call i is tried again (the same function on the same
    // file), or 0 when it is not.
    size_t NextTry(size_t i) const {
        for (size_t j = i + 1; j < m_trace.size(); ++j)
            if (m_trace[j].call == m_trace[i].call && m_trace[j].path == m_trace[i].path) return j;
        return 0;
    }

    // The code that the report gives for a recorded failure.
    static DWORD Code(const failing::Traced& t) {
        using namespace failing;
        // A sector read again inside the file system that the drive does not
        // have, or that reads nothing: the disc is shorter than its file system.
        if (t.call == kReadFile) {
            const bool bMissing = t.error == ERROR_INVALID_PARAMETER || t.error == ERROR_SECTOR_NOT_FOUND;
            return t.size < kBlock && (bMissing || t.error == kShort) ? ERROR_HANDLE_EOF : t.error;
        }
        // A write that stores less than it was given: a disk without room.
        return t.error == kShort ? ERROR_DISK_FULL : t.error;
    }

    // Whether the recorded failure i ends the run, by the design; the others it
    // lives with: the lock's handle and its requests, the label, the serial
    // number noted before the header, the FAT check, a block read again by
    // sectors unless the disc may have changed (its read past the file
    // system's end answered as a run-out block is), a probe or a move tried
    // again, the close of anything but the placed image.
    bool EndsRun(size_t i, bool bMoved) const {
        using namespace failing;
        const Traced& t = m_trace[i];
        const DWORD access = AccessOf(t, m_access);
        switch (t.call) {
        case kCreateFileW: return access == kProbeAccess ? !NextTry(i) : access != kLockAccess;
        case kMoveFileExW: return !NextTry(i);
        case kReadFile:
            if (t.size < kBlock) return true;
            if (t.nth == m_pastEnd) return std::find(kRunOut.begin(), kRunOut.end(), t.error) == kRunOut.end();
            return t.error == ERROR_MEDIA_CHANGED;
        case kCloseHandle: return access == kImageAccess && bMoved;
        case kDeviceIoControl:
        case kGetVolumeInformationW:
        case kGetVolumePathNameW:
        case kDeleteFileW: return false;
        default: return true;
        }
    }

    // The outcome of the last run's failures, in the order they came: the
    // first one that ends the run gives the error line, and the report's lines
    // are those added before it (start and disc, size, file, time and
    // checksums, the kept image's line) and the error line; a failure in the
    // cleanup after it adds nothing. A failure of the report file's calls
    // leaves the run as it is and shows in the unsaved line.
    Outcome Judge() const {
        using namespace failing;
        Outcome o;
        bool bSized = false, bFileLine = false, bResults = false, bMoved = false;
        for (size_t i = 0; i < m_trace.size(); ++i) {
            const Traced& t = m_trace[i];
            if (t.call >= kCallCount) continue;
            const DWORD access = AccessOf(t, m_access);
            bFileLine = bFileLine || (t.call == kCreateFileW && access == kImageAccess);
            bResults = bResults || t.call == kMoveFileExW;
            if (!t.error) {
                bSized = bSized || t.call == kGetDiskFreeSpaceExW;
                bMoved = bMoved || t.call == kMoveFileExW;
            } else if (access == kReportAccess || (t.call == kDeleteFileW && t.path == m_log)) {
                if (t.call == kCloseHandle) continue;  // the report is written by then
                o.reportCut = o.reportCode != 0;
                if (!o.reportCode) o.reportCode = Code(t);
            } else if (o.failed) {
                if (t.call == kDeleteFileW) o.undeleted.push_back(t.path);
            } else if (EndsRun(i, bMoved)) {
                o.failed = true;
                o.code = Code(t);
                o.kept = t.call == kMoveFileExW;
                o.placed = bMoved;
                const bool bFiled = m_bSave && (bFileLine || access == kProbeAccess);
                o.lines = 2 + bSized + bFiled + (bResults ? 4 : 0) + o.kept + 1;
            }
        }
        if (!o.failed) o.placed = m_bSave;
        return o;
    }

    // A call that the design tries again while another program holds its file
    // (the target's probe, the image's move) waits before it tries again.
    void ExpectWaitsBetweenTries() const {
        using namespace failing;
        for (size_t i = 0; i < m_trace.size(); ++i) {
            const Traced& t = m_trace[i];
            const bool bHeld = t.error == ERROR_ACCESS_DENIED || t.error == ERROR_SHARING_VIOLATION;
            const size_t next = NextTry(i);
            if (!bHeld || !next || (t.call != kMoveFileExW && AccessOf(t, m_access) != kProbeAccess)) continue;
            EXPECT_TRUE(std::any_of(m_trace.begin() + i, m_trace.begin() + next,
                                    [](const Traced& w) { return w.call == kSleep && w.size > 0; }))
                << Name(t.call) << " #" << m_trace[next].nth << " was tried without a wait";
        }
    }

    // The report: in its file after what the file held, or, when the file
    // could not be written, said so in the line shown after it, and the file
    // as it was (unless taking the cut report out failed as well).
    void ExpectReportFile(const RunResult& r, const Outcome& o) const {
        const std::wstring log = ReadUtf16(m_log);
        if (!o.reportCode) {
            EXPECT_EQ(log, (m_logBefore.empty() ? L"\xFEFF" : m_logBefore) + r.report + L"\r\n");
            EXPECT_EQ(r.shown, r.report);
            return;
        }
        const std::wstring unsaved =
            L"Отчёт не сохранён:\t\"" + m_log + L"\", " + std::to_wstring(o.reportCode) + L", ";
        EXPECT_EQ(r.shown.substr(0, r.report.size()), r.report);
        EXPECT_EQ(r.shown.compare(r.report.size(), unsaved.size(), unsaved), 0) << r.shown.substr(r.report.size());
        if (o.reportCut) {
            EXPECT_EQ(log.substr(0, m_logBefore.size()), m_logBefore);
        } else {
            EXPECT_EQ(log, m_logBefore) << "a report file without the report";
            EXPECT_EQ(FileExists(m_log), !m_logBefore.empty());
        }
    }

    // The path that the kept image's line gives, or empty.
    static std::wstring KeptPath(const std::wstring& report) {
        const std::wstring label = L"Образ сохранён как:\t\"";
        const size_t at = report.find(label);
        if (at == std::wstring::npos) return L"";
        const size_t from = at + label.size();
        return report.substr(from, report.find(L'"', from) - from);
    }

    void ExpectTruth(const RunResult& r) {
        ExpectWaitsBetweenTries();
        const Outcome o = Judge();
        EXPECT_EQ(r.ok != FALSE, !o.failed) << r.report;
        if (!o.failed) {
            ASSERT_NO_FATAL_FAILURE(
                ExpectSuccessLines(r.lines, Expected(), GroupDigits(Expected().size), m_bSave ? m_image : L""));
        } else {
            // The report's lines are the design's count for that failure.
            ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(r, o.lines));
            EXPECT_EQ(std::count_if(r.lines.begin(), r.lines.end(),
                                    [](const std::wstring& l) { return l.rfind(L"Ошибка:", 0) == 0; }),
                      1);
            EXPECT_EQ(r.lines.back().rfind(L"Ошибка:\t" + std::to_wstring(o.code) + L", ", 0), 0u) << r.lines.back();
        }
        ExpectReportFile(r, o);
        // A failed move keeps the complete image, the disc byte for byte, under
        // the name its line gives, beside the chosen path.
        const std::wstring kept = KeptPath(r.report);
        EXPECT_EQ(!kept.empty(), o.kept) << r.report;
        std::vector<std::wstring> files = {m_name};
        if (m_bSave) files.push_back(m_name + L".log");
        if (o.kept && !kept.empty()) {
            EXPECT_EQ(kept.rfind(m_dir + L"\\", 0), 0u) << "kept elsewhere";
            EXPECT_TRUE(ReadBytes(kept) == Disc()) << "the kept image is not the disc";
            files.push_back(kept.substr(m_dir.size() + 1));
        }
        EXPECT_TRUE(ReadBytes(m_image) == (o.placed ? Disc() : kOld)) << "the chosen path lost its image";
        // Nothing the report does not name is left beside it, but what a
        // cleanup could not delete.
        for (const std::wstring& path : o.undeleted)
            if (path.rfind(m_dir + L"\\", 0) == 0 && FileExists(path)) files.push_back(path.substr(m_dir.size() + 1));
        ExpectFolderHolds(m_dir, files);
    }

    // The calls of the last run that the clean run does not make, from its
    // first failure on: its recoveries and its cleanups. The two recordings
    // are set side by side by their longest common subsequence (function,
    // file, and for reads and writes whether more than a sector was asked);
    // what is left over is the run's own.
    std::vector<failing::Traced> OwnCalls() const {
        using namespace failing;
        const auto key = [](const Traced& t, const std::vector<DWORD>& access) {
            const bool sized = t.call == kReadFile || t.call == kWriteFile;
            return std::make_tuple(t.call, AccessOf(t, access), sized && t.size > 2048);
        };
        std::vector<Traced> a, b;
        size_t hit = 0;
        while (hit < m_trace.size() && !m_trace[hit].error) ++hit;
        for (size_t i = hit + 1; i < m_trace.size(); ++i)
            if (m_trace[i].call < kCallCount) a.push_back(m_trace[i]);
        for (size_t i = hit + 1; i < m_clean.size(); ++i)
            if (m_clean[i].call < kCallCount) b.push_back(m_clean[i]);
        std::vector<std::vector<int>> lcs(a.size() + 1, std::vector<int>(b.size() + 1, 0));
        for (size_t i = a.size(); i-- > 0;)
            for (size_t j = b.size(); j-- > 0;)
                lcs[i][j] = key(a[i], m_access) == key(b[j], m_cleanAccess) ? lcs[i + 1][j + 1] + 1
                                                                            : std::max(lcs[i + 1][j], lcs[i][j + 1]);
        std::vector<Traced> own;
        for (size_t i = 0, j = 0; i < a.size();) {
            if (j < b.size() && key(a[i], m_access) == key(b[j], m_cleanAccess)) {
                ++i, ++j;
            } else if (j < b.size() && lcs[i][j + 1] >= lcs[i + 1][j]) {
                ++j;
            } else {
                own.push_back(a[i++]);
            }
        }
        return own;
    }

    // Of n calls (from 1), those the sweep fails: all of a few, of a loop's the
    // first, the second and the last three.
    static std::vector<int> Sample(int n) {
        std::vector<int> nths;
        for (int nth = 1; nth <= n; nth = (nth == 2 && n > 5) ? n - 2 : nth + 1) nths.push_back(nth);
        return nths;
    }

    // One run with its planned failures, checked and counted.
    RunResult Try(const failing::Fault& fault, const failing::Fault& second = {}) {
        SCOPED_TRACE(m_kind + Describe(fault) + (second.nth ? ", then " + Describe(second) : std::string()));
        RunResult r = RunWith(fault, second);
        ExpectTruth(r);
        for (const failing::Traced& t : m_trace)
            if (t.error) m_failedCalls.insert(t.call);
        ++m_tried[second.nth ? 2 : fault.lasting];
        m_succeeded += r.ok;
        return r;
    }

    // After a failure, each call of the run's own fails in turn, with each
    // error of its row, once for each path that a failure takes (the same
    // calls, on the same files, after a failure of the same function).
    void TryOwnCalls(const failing::Fault& fault) {
        using namespace failing;
        std::map<Call, std::vector<int>> own;
        std::vector<std::pair<Call, DWORD>> path = {{fault.call, fault.lasting}};
        for (const Traced& t : OwnCalls()) {
            own[t.call].push_back(t.nth);
            path.push_back({t.call, AccessOf(t, m_access)});
        }
        if (own.empty() || !m_paths.insert(path).second) return;
        for (const auto& calls : own) {
            if (fault.lasting && calls.first == fault.call) continue;  // they fail already
            for (int at : Sample(static_cast<int>(calls.second.size())))
                for (DWORD error : kErrors.at(calls.first))
                    ASSERT_NO_FATAL_FAILURE(Try(fault, {calls.first, calls.second[at - 1], error}));
        }
    }

    // Each function that the sweep fails, with each error that Windows documents for it.
    const std::map<failing::Call, std::vector<DWORD>> kErrors = {
        {failing::kCreateFileW, {5, 32, 21, 3, 112, 206}},
        {failing::kReadFile, {21, 23, 27, 87, 1110, 1117, 1167, failing::kShort}},
        {failing::kWriteFile, {112, 5, 33, 1117, failing::kShort}},
        {failing::kSetFilePointerEx, {87, 112, 5}},
        {failing::kSetEndOfFile, {87, 112, 5}},
        {failing::kFlushFileBuffers, {1117, 112}},
        {failing::kSetFileInformationByHandle, {5, 87}},
        {failing::kMoveFileExW, {5, 32, 17, 1117}},
        {failing::kGetDiskFreeSpaceExW, {21, 1005, 3}},
        {failing::kGetVolumeInformationW, {21, 1005, 3}},
        {failing::kGetVolumePathNameW, {21, 1005, 3}},
        {failing::kDeviceIoControl, {1, 50, 87, 21}},
        {failing::kVirtualAlloc, {8}},
        {failing::kDeleteFileW, {5, 32}},
        {failing::kGetVolumeInformationByHandleW, {21, 1110, 5}},
        {failing::kCloseHandle, {6, 64}}};
    const std::vector<uint8_t> kOld = {'o', 'l', 'd'};
    // What a drive answers for a run-out block, and what one that is gone, not
    // ready or holds another disc answers.
    const std::vector<DWORD> kRunOut = {1, 23, 27, 30, 38, 87, 1117};
    const std::vector<DWORD> kGone = {21, 34, 55, 1006, 1110, 1167, 1617};
    bool m_bSave = true;
    wchar_t m_letter = L'E';
    std::wstring m_name, m_dir, m_image, m_log, m_logBefore;
    std::vector<uint8_t> m_disc;
    Expectation m_expect;
    int m_counts[failing::kCallCount] = {};
    int m_volumeOpen = 0, m_pastEnd = 0;
    // The last run's calls, and the access that each of its CreateFileW calls
    // asked for; the same of the clean run.
    std::vector<failing::Traced> m_trace, m_clean;
    std::vector<DWORD> m_access, m_cleanAccess;
    // The sweep's count of runs (failed once, from a call on, inside a
    // recovery or cleanup) and of those that succeeded; the paths met.
    std::string m_kind;
    int m_tried[3] = {}, m_succeeded = 0;
    std::set<std::vector<std::pair<failing::Call, DWORD>>> m_paths;
    std::set<failing::Call> m_failedCalls;
};

// Every call of a Save run over an old image and of a Hashes run to the system
// fails in turn, once and from then on, with each error that Windows documents
// for it; and after each failure, each call that the run makes beyond a clean
// run's (a recovery, a cleanup) fails in turn as well. Each run ends in the
// truth: it succeeded with a complete, true report where the design lives
// with its failures, or its report ends with the one error line of the
// failure that ended it, after the lines the design gives for that failure;
// the chosen path holds the old image unless the image took its place; a
// failed move keeps the complete image under the name the report gives;
// nothing else is left beside it but what a cleanup could not delete; what the
// run took is given back; the report is in its file or the unsaved line says
// so; and a call tried again while its file was held was waited for.
TEST_F(FailureSweep, EveryFailingCallEndsTheRunTruly) {
    using namespace failing;
    for (const bool bSave : {true, false}) {
        Start(bSave);
        m_kind = bSave ? "Save, " : "Hashes, ";
        const RunResult clean = RunWith(Fault());
        ASSERT_TRUE(clean.ok) << clean.report;
        for (const auto& row : kErrors)
            for (int nth : Sample(m_counts[row.first]))
                for (DWORD error : row.second)
                    for (const bool bLasting : {false, true}) {
                        const Fault fault{row.first, nth, error, nullptr, bLasting};
                        ASSERT_NO_FATAL_FAILURE(Try(fault));
                        ASSERT_NO_FATAL_FAILURE(TryOwnCalls(fault));
                    }
        // Another disc in the drive when the volume is opened (D:'s volume
        // opened for E:): the run fails with ERROR_MEDIA_CHANGED before it
        // reads or creates anything, after the start, disc and size lines.
        // Another disc once the last block has been read (the medium's second
        // confirmation answers for D:): the run fails with it all the same.
        EXPECT_EQ(Try({kCreateFileW, m_volumeOpen, ERROR_MEDIA_CHANGED, L"\\\\.\\D:"}).lines.size(), 4u);
        Try({kGetVolumeInformationByHandleW, 2, ERROR_MEDIA_CHANGED, L"D:\\"});
    }
    // The read past F's file system's end answered as a run-out block ends
    // the disc; answered as by a drive that is gone, it fails the run.
    Start(true, L'F');
    m_kind = "past the end, ";
    for (const auto* errors : {&kRunOut, &kGone})
        for (DWORD error : *errors) ASSERT_NO_FATAL_FAILURE(Try({kReadFile, m_pastEnd, error}));
    // The FAT check asks for the target's volume only for a disc over 4 GiB
    // (G:): its failure lets the run go on, here to a buffer that cannot be
    // had, so that the disc is not read.
    Start(true, L'G');
    m_kind = "over 4 GiB, ";
    for (DWORD error : kErrors.at(kGetVolumePathNameW))
        for (const bool bLasting : {false, true})
            ASSERT_NO_FATAL_FAILURE(
                Try({kGetVolumePathNameW, 1, error, nullptr, bLasting}, {kVirtualAlloc, 1, ERROR_NOT_ENOUGH_MEMORY}));
    // Every function of the table has failed in some run.
    for (const auto& row : kErrors) EXPECT_EQ(m_failedCalls.count(row.first), 1u) << Name(row.first) << " never failed";
    std::printf("%d failures tried: %d once, %d from their call on, %d inside a recovery or cleanup; %d runs ok\n",
                m_tried[0] + m_tried[1] + m_tried[2], m_tried[0], m_tried[1], m_tried[2], m_succeeded);
}
