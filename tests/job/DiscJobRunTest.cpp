// Whole runs on the virtual drives of tests/tools/drives.sh, from the drive
// letter to the saved report, and the faults a run must end cleanly in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

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

// A Save run over an old image, or a Hashes run, of disc E: with one of the
// system's calls failed, and the checks that its end is the truth.
class FailureSweep : public DiscRun {
protected:
    void Start(bool bSave, wchar_t letter = L'E') {
        m_bSave = bSave;
        m_letter = letter;
        m_name = std::wstring(1, towlower(letter)) + L".iso";
        m_dir = ScratchDir(L"sweep");
        m_image = m_dir + L"\\" + m_name;
        m_log = bSave ? m_image + L".log" : ProgramLogPath();
        m_disc = ReadBytes(IsoPath(letter));
        m_expect = Expect(letter);
        // F's file system ends on a block boundary: the read after its last block is past the end.
        m_pastEnd = letter == L'F' ? static_cast<int>(m_expect.size / 1048576) + 1 : 0;
    }

    // The run, and what it took given back; a run without a fault records the calls it made.
    RunResult RunWith(const failing::Fault& fault) {
        for (const std::wstring& name : FolderFiles(m_dir)) DeleteFileW((m_dir + L"\\" + name).c_str());
        EXPECT_TRUE(WriteBytes(m_image, kOld));
        DeleteFileW(m_log.c_str());
        const failing::CArmed armed(fault);
        RunResult r = Run(m_letter, m_bSave ? m_image.c_str() : nullptr);
        m_trace = armed.Trace();
        m_access.clear();
        for (int n = 1; n <= armed.Count(failing::kCreateFileW); ++n) m_access.push_back(armed.CreateAccess(n));
        EXPECT_EQ(armed.OpenHandles(), 0) << "a handle stayed open";
        EXPECT_EQ(armed.LiveAllocations(), 0) << "memory stayed allocated";
        EXPECT_TRUE(armed.ExecutionState() == 0 || armed.ExecutionState() == ES_CONTINUOUS);
        EXPECT_TRUE(fault.nth == 0 || armed.FaultHit()) << "no such call";
        for (int c = 0; c < failing::kCallCount && fault.nth == 0; ++c)
            m_counts[c] = armed.Count(static_cast<failing::Call>(c));
        if (fault.nth == 0) m_lockOpen = m_volumeOpen = m_probeOpen = 0;
        for (int n = 1; n <= m_counts[failing::kCreateFileW] && fault.nth == 0; ++n) {
            const DWORD access = armed.CreateAccess(n);
            if (access == FILE_READ_ATTRIBUTES) m_lockOpen = n;
            if (access == GENERIC_READ) m_volumeOpen = n;
            if (access == DELETE) m_probeOpen = n;
        }
        return r;
    }

    // Failures the design lives with: the lock (its handle and its request),
    // the label and the serial number noted before the header, a block read
    // again by sectors unless the disc may have changed, a read past the file
    // system's end answered as a run-out block is, the target's probe and the
    // move tried again.
    bool Tolerated(const failing::Fault& f) const {
        using namespace failing;
        const bool held = f.error == ERROR_ACCESS_DENIED || f.error == ERROR_SHARING_VIOLATION;
        const bool runOut = std::find(kRunOut.begin(), kRunOut.end(), f.error) != kRunOut.end();
        return f.call == kDeviceIoControl || f.call == kGetVolumeInformationW ||
               (f.call == kCreateFileW && (f.nth == m_lockOpen || (f.nth == m_probeOpen && held))) ||
               (f.call == kReadFile && (f.nth == m_pastEnd ? runOut : f.error != ERROR_MEDIA_CHANGED)) ||
               (f.call == kMoveFileExW && held);
    }

    // A call that the design tries again while another program holds its file
    // (the target's probe, the image's move) waits before it tries again.
    void ExpectWaitsBetweenTries() const {
        using namespace failing;
        for (size_t i = 0; i < m_trace.size(); ++i) {
            const Traced& t = m_trace[i];
            const bool retried = t.call == kMoveFileExW || (t.call == kCreateFileW && m_access[t.nth - 1] == DELETE);
            if (!retried || (t.error != ERROR_ACCESS_DENIED && t.error != ERROR_SHARING_VIOLATION)) continue;
            bool bWaited = false;
            for (size_t j = i + 1; j < m_trace.size(); ++j) {
                if (m_trace[j].call == t.call && m_trace[j].path == t.path) {
                    EXPECT_TRUE(bWaited) << Name(t.call) << " #" << m_trace[j].nth << " was tried without a wait";
                    break;
                }
                bWaited = bWaited || (m_trace[j].call == kSleep && m_trace[j].size > 0);
            }
        }
    }

    void ExpectTruth(const RunResult& r, const failing::Fault& f) {
        ExpectWaitsBetweenTries();
        // A write answered short is a disk without room.
        const std::wstring code = std::to_wstring(f.error == failing::kShort ? ERROR_DISK_FULL : f.error);
        const bool saved = ReadUtf16(m_log) == L"\xFEFF" + r.report + L"\r\n";
        EXPECT_TRUE(saved || r.shown.find(L"\", " + code + L", ", r.report.size()) != std::wstring::npos)
            << "the report is neither saved nor said to be unsaved";
        EXPECT_EQ(FileExists(m_log), saved) << "a report file without the report";
        std::vector<std::wstring> files = {m_name};
        if (m_bSave && saved) files.push_back(m_name + L".log");
        // A failure the design lives with leaves a successful run; any other
        // fails the run, or, in the report file, shows in the unsaved line.
        EXPECT_EQ(r.ok != FALSE, Tolerated(f) || !saved) << r.report;
        if (r.ok) {
            ASSERT_NO_FATAL_FAILURE(
                ExpectSuccessLines(r.lines, m_expect, GroupDigits(m_expect.size), m_bSave ? m_image : L""));
        } else {
            ASSERT_NO_FATAL_FAILURE(ExpectErrorLast(r, r.lines.size()));
            EXPECT_EQ(std::count_if(r.lines.begin(), r.lines.end(),
                                    [](const std::wstring& l) { return l.rfind(L"Ошибка:", 0) == 0; }),
                      1);
            EXPECT_EQ(r.lines.back().rfind(L"Ошибка:\t" + code + L", ", 0), 0u) << r.lines.back();
            const std::wstring keptLine = L"Образ сохранён как:\t\"" + m_dir + L"\\";
            const size_t kept = r.report.find(keptLine);
            if (kept != std::wstring::npos) {
                const size_t name = kept + keptLine.size();
                files.push_back(r.report.substr(name, r.report.find(L'"', name) - name));
            }
        }
        EXPECT_TRUE(ReadBytes(m_image) == (m_bSave && r.ok ? m_disc : kOld)) << "the chosen path lost its image";
        ExpectFolderHolds(m_dir, files);
    }

    const std::vector<uint8_t> kOld = {'o', 'l', 'd'};
    // What a drive answers for a run-out block, and what one that is gone, not
    // ready or holds another disc answers.
    const std::vector<DWORD> kRunOut = {1, 23, 27, 30, 38, 87, 1117};
    const std::vector<DWORD> kGone = {21, 34, 55, 1006, 1110, 1167, 1617};
    bool m_bSave = true;
    wchar_t m_letter = L'E';
    std::wstring m_name, m_dir, m_image, m_log;
    std::vector<uint8_t> m_disc;
    Expectation m_expect;
    int m_counts[failing::kCallCount] = {};
    // The last run's calls, and the access that each of its CreateFileW calls asked for.
    std::vector<failing::Traced> m_trace;
    std::vector<DWORD> m_access;
    int m_lockOpen = 0, m_volumeOpen = 0, m_probeOpen = 0, m_pastEnd = 0;
};

// Every call of a Save run over an old image and of a Hashes run to the system
// fails in turn, once, with each error that Windows documents for it. Each run
// ends in the truth: it succeeded with a complete, true report where the
// design tolerates the failure, or its report ends with the failure's one
// error line; the chosen path holds the old image unless the run succeeded;
// nothing the report does not name is left beside it; what the run took is
// given back; and the report is in its file or the unsaved line says so.
TEST_F(FailureSweep, EveryFailingCallEndsTheRunTruly) {
    using namespace failing;
    const struct {
        Call call;
        std::vector<DWORD> errors;
    } kErrors[] = {{kCreateFileW, {5, 32, 21, 3, 112, 206}},
                   {kReadFile, {21, 23, 27, 87, 1110, 1117, 1167, kShort}},
                   {kWriteFile, {112, 5, 33, 1117, kShort}},
                   {kSetFilePointerEx, {87, 112, 5}},
                   {kSetEndOfFile, {87, 112, 5}},
                   {kFlushFileBuffers, {1117, 112}},
                   {kSetFileInformationByHandle, {5, 87}},
                   {kMoveFileExW, {5, 32, 17, 1117}},
                   {kGetDiskFreeSpaceExW, {21, 1005, 3}},
                   {kGetVolumeInformationW, {21, 1005, 3}},
                   {kGetVolumePathNameW, {21, 1005, 3}},
                   {kDeviceIoControl, {1, 50, 87, 21}},
                   {kVirtualAlloc, {8}},
                   {kDeleteFileW, {5, 32}},
                   {kGetVolumeInformationByHandleW, {21, 1110, 5}}};
    int tried = 0, succeeded = 0;
    const auto tryFault = [&](const Fault& fault, const std::string& kind) {
        SCOPED_TRACE(kind + Describe(fault));
        RunResult r = RunWith(fault);
        ExpectTruth(r, fault);
        ++tried;
        succeeded += r.ok;
        return r;
    };
    for (const bool bSave : {true, false}) {
        Start(bSave);
        const std::string kind = bSave ? "Save, " : "Hashes, ";
        const RunResult clean = RunWith(Fault());
        ASSERT_TRUE(clean.ok) << clean.report;
        for (const auto& row : kErrors) {
            // The copy loop's calls: the first, the second and the last three.
            const int n = m_counts[row.call];
            for (int nth = 1; nth <= n; nth = (nth == 2 && n > 5) ? n - 2 : nth + 1)
                for (DWORD error : row.errors) ASSERT_NO_FATAL_FAILURE(tryFault({row.call, nth, error}, kind));
        }
        // Another disc in the drive when the volume is opened (D:'s volume
        // opened for E:): the run fails with ERROR_MEDIA_CHANGED before it
        // reads or creates anything, after the start, disc and size lines.
        // Another disc once the last block has been read (the medium's second
        // confirmation answers for D:): the run fails with it all the same.
        EXPECT_EQ(tryFault({kCreateFileW, m_volumeOpen, ERROR_MEDIA_CHANGED, L"\\\\.\\D:"}, kind).lines.size(), 4u);
        tryFault({kGetVolumeInformationByHandleW, 2, ERROR_MEDIA_CHANGED, L"D:\\"}, kind);
    }
    // The read past F's file system's end answered as a run-out block ends
    // the disc; answered as by a drive that is gone, it fails the run.
    Start(true, L'F');
    for (const auto* errors : {&kRunOut, &kGone})
        for (DWORD error : *errors) ASSERT_NO_FATAL_FAILURE(tryFault({kReadFile, m_pastEnd, error}, "past the end, "));
    std::printf("%d failures tried, %d of them tolerated\n", tried, succeeded);
}
