// The report's lines and file, exercised on a job record directly. The texts
// themselves are checked with the program's resources (tests/app/ResourcesTest.cpp).
#include <gtest/gtest.h>

#include "JobTestSupport.h"

using namespace files;
using namespace jobtest;

TEST(ReportLines, SizeHasGraveAccentDigitGroups) {
    const struct {
        uint64_t value;
        const wchar_t* text;
    } cases[] = {{0, L"0"},
                 {999, L"999"},
                 {1000, L"1`000"},
                 {1000000, L"1`000`000"},
                 {4700372992ull, L"4`700`372`992"},
                 {18446744073709551615ull, L"18`446`744`073`709`551`615"}};
    for (const auto& c : cases) {
        CDiscJob job;
        CDiscJobTestAccess(job).AppendSizeLine(c.value);
        EXPECT_EQ(std::wstring(job.GetReport()), std::wstring(L"Размер:\t") + c.text + L" байт\r\n");
    }
}

TEST(ReportLines, TimeAndChecksums) {
    uint8_t md5[16], sha1[20];
    for (int i = 0; i < 16; ++i) md5[i] = static_cast<uint8_t>(0x0F * i);
    for (int i = 0; i < 20; ++i) sha1[i] = static_cast<uint8_t>(0xF0 - i);
    CDiscJob job;
    CDiscJobTestAccess(job).AppendResultLines(247.934, 0xABCD, md5, sha1);
    EXPECT_EQ(std::wstring(job.GetReport()),
              L"Время:\t4 мин. 7.93 сек.\r\n"
              L"CRC-32:\t0000ABCD\r\n"
              L"MD5:\t000F1E2D3C4B5A69788796A5B4C3D2E1\r\n"
              L"SHA-1:\tF0EFEEEDECEBEAE9E8E7E6E5E4E3E2E1E0DFDEDD\r\n");

    CDiscJob longRun;
    CDiscJobTestAccess(longRun).AppendResultLines(75 * 60 + 3.0, 0xFFFFFFFFu, md5, sha1);
    EXPECT_EQ(SplitLines(std::wstring(longRun.GetReport()))[0], L"Время:\t75 мин. 3.00 сек.");
    CDiscJob shortRun;
    CDiscJobTestAccess(shortRun).AppendResultLines(0.004, 0, md5, sha1);
    const auto lines = SplitLines(std::wstring(shortRun.GetReport()));
    EXPECT_EQ(lines[0], L"Время:\t0 мин. 0.00 сек.");
    EXPECT_EQ(lines[1], L"CRC-32:\t00000000");

    // Minutes are whole ones, cut, not rounded; the seconds are rounded to
    // hundredths before the split and never read 60.00.
    const struct {
        double seconds;
        const wchar_t* line;
    } times[] = {{278.25, L"Время:\t4 мин. 38.25 сек."},
                 {119.996, L"Время:\t2 мин. 0.00 сек."},
                 {59.995, L"Время:\t1 мин. 0.00 сек."},
                 {59.994, L"Время:\t0 мин. 59.99 сек."}};
    for (const auto& t : times) {
        CDiscJob timed;
        CDiscJobTestAccess(timed).AppendResultLines(t.seconds, 0, md5, sha1);
        EXPECT_EQ(SplitLines(std::wstring(timed.GetReport()))[0], t.line);
    }
}

TEST(ReportLines, ErrorLineHasCodeAndTrimmedSystemText) {
    CDiscJob job;
    SetLastError(ERROR_NOT_READY);
    CDiscJobTestAccess(job).AppendErrorLine();
    const std::wstring report(job.GetReport());
    ASSERT_EQ(report.rfind(L"Ошибка:\t21, ", 0), 0u) << report;
    ASSERT_GE(report.size(), 14u);
    // One CR LF at the end, the system text's own line end removed.
    EXPECT_EQ(report.substr(report.size() - 2), L"\r\n");
    EXPECT_NE(report[report.size() - 3], L'\n');
    EXPECT_NE(report[report.size() - 3], L'\r');
    EXPECT_GT(report.size(), std::wstring(L"Ошибка:\t21, \r\n").size());

    CDiscJob negative;
    SetLastError(0xE0000001u);  // no system text: an empty one, code signed
    CDiscJobTestAccess(negative).AppendErrorLine();
    EXPECT_EQ(std::wstring(negative.GetReport()), L"Ошибка:\t-536870911, \r\n");
}

// A system message with insertion points and no arguments to fill them: the
// text keeps them as they stand instead of reading arguments that are not there.
TEST(ReportLines, ErrorTextWithInsertionPointsStaysUnexpanded) {
    DWORD code = 0;
    std::wstring raw;
    for (DWORD c = 1; c < 16000 && !code; ++c) {
        wchar_t* p = nullptr;
        if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, c, 0, reinterpret_cast<wchar_t*>(&p), 0, nullptr) &&
            p) {
            if (wcsstr(p, L"%1")) {
                code = c;
                raw = p;
            }
            LocalFree(p);
        }
    }
    if (!code) GTEST_SKIP() << "the system has no message with insertion points";
    while (!raw.empty() && (raw.back() == L'\r' || raw.back() == L'\n')) raw.pop_back();
    CDiscJob job;
    SetLastError(code);
    CDiscJobTestAccess(job).AppendErrorLine();
    EXPECT_EQ(std::wstring(job.GetReport()), L"Ошибка:\t" + std::to_wstring(code) + L", " + raw + L"\r\n");
}

TEST(ReportLines, DigestToHexIsUpperCaseWithoutSeparators) {
    const uint8_t bytes[] = {0x00, 0x01, 0x9A, 0xFF, 0x5C};
    EXPECT_EQ(std::wstring(CDiscJobTestAccess::DigestToHex(bytes, 5)), L"00019AFF5C");
    EXPECT_EQ(std::wstring(CDiscJobTestAccess::DigestToHex(bytes, 0)), L"");
}

TEST(ReportFile, PathBesideImageOrProgram) {
    CDiscJob save;
    CDiscJobTestAccess(save).ImagePath() = L"C:\\Images\\PHOTOS_2010.iso";
    EXPECT_EQ(std::wstring(CDiscJobTestAccess(save).ReportFilePath()), L"C:\\Images\\PHOTOS_2010.iso.log");

    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe);
    dir.erase(dir.rfind(L'\\') + 1);
    CDiscJob hashes;
    EXPECT_EQ(std::wstring(CDiscJobTestAccess(hashes).ReportFilePath()), dir + L"orvane.log");
}

TEST(ReportFile, AppendsUtf16WithOneByteOrderMark) {
    const std::wstring dir = ScratchDir(L"report-file");
    const std::wstring image = dir + L"\\два отчёта.iso";
    DeleteFileW((image + L".log").c_str());

    CDiscJob first;
    CDiscJobTestAccess(first).ImagePath() = image.c_str();
    CDiscJobTestAccess(first).Report() = L"Первый\tотчёт\r\n";
    EXPECT_TRUE(CDiscJobTestAccess(first).SaveReport());
    CDiscJob second;
    CDiscJobTestAccess(second).ImagePath() = image.c_str();
    CDiscJobTestAccess(second).Report() = L"Второй\r\n";
    EXPECT_TRUE(CDiscJobTestAccess(second).SaveReport());

    const std::vector<uint8_t> bytes = ReadBytes(image + L".log");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(ReadUtf16(image + L".log"), L"\xFEFFПервый\tотчёт\r\n\r\nВторой\r\n\r\n");
    // Little-endian code units: the first letter after the mark is U+041F.
    EXPECT_EQ(bytes[2], 0x1F);
    EXPECT_EQ(bytes[3], 0x04);
}

TEST(ReportFile, ExistingEmptyFileGetsNoByteOrderMark) {
    const std::wstring dir = ScratchDir(L"report-empty");
    const std::wstring image = dir + L"\\empty.iso";
    HANDLE h = CreateFileW((image + L".log").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);

    CDiscJob job;
    CDiscJobTestAccess(job).ImagePath() = image.c_str();
    CDiscJobTestAccess(job).Report() = L"A\r\n";
    EXPECT_TRUE(CDiscJobTestAccess(job).SaveReport());
    EXPECT_EQ(ReadUtf16(image + L".log"), L"A\r\n\r\n");
}

TEST(ReportFile, UnopenableFileIsNotWritten) {
    const std::wstring dir = ScratchDir(L"report-held");
    const std::wstring image = dir + L"\\held.iso";
    // Another writer holds the report file open without sharing it.
    HANDLE h = CreateFileW((image + L".log").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CDiscJob job;
    CDiscJobTestAccess(job).ImagePath() = image.c_str();
    CDiscJobTestAccess(job).Report() = L"A\r\n";
    EXPECT_FALSE(CDiscJobTestAccess(job).SaveReport());
    CloseHandle(h);
    EXPECT_TRUE(ReadBytes(image + L".log").empty());
    EXPECT_EQ(std::wstring(job.GetReport()), L"A\r\n");
    // What is shown says so, with the file and the system's reason (32: in use).
    SetLastError(ERROR_SHARING_VIOLATION);
    CDiscJob expected;
    CDiscJobTestAccess(expected).AppendErrorLine();
    const std::wstring reason = std::wstring(expected.GetReport()).substr(std::wstring(L"Ошибка:\t").size());
    EXPECT_EQ(std::wstring(job.GetShownText()), L"A\r\nОтчёт не сохранён:\t\"" + image + L".log\", " + reason);
}

// A report file on a full target: the write that falls short fails the save,
// and the file is left as it was.
TEST(ReportFile, ShortWriteIsNotSaved) {
    const std::wstring dir = TargetDir(L"ORVANE_DRIVES_SMALL");
    if (dir.empty()) GTEST_SKIP() << "no small target (run under tests/tools/with-test-env.sh)";
    const std::wstring filler = dir + L"\\filler", image = dir + L"\\full.iso";
    ASSERT_TRUE(WriteBytes(filler, std::vector<uint8_t>(2 * 1048576)));
    ASSERT_TRUE(WriteBytes(image + L".log", {0xFF, 0xFE, 'A', 0}));
    CDiscJob job;
    CDiscJobTestAccess(job).ImagePath() = image.c_str();
    CDiscJobTestAccess(job).Report() = std::wstring(64 * 1024, L'B').c_str();
    EXPECT_FALSE(CDiscJobTestAccess(job).SaveReport());
    EXPECT_TRUE(ReadBytes(image + L".log") == (std::vector<uint8_t>{0xFF, 0xFE, 'A', 0}));
    EXPECT_EQ(std::wstring(job.GetShownText()).find(L"Отчёт не сохранён:\t\"" + image + L".log\", 112, "), 64u * 1024);
    DeleteFileW(filler.c_str());
    DeleteFileW((image + L".log").c_str());
}

TEST(JobRecord, StartsEmpty) {
    CDiscJob job;
    CDiscJobTestAccess record(job);
    EXPECT_EQ(record.Device(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(record.Image(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(record.Buffer(), nullptr);
    EXPECT_TRUE(record.ImagePath().IsEmpty());
    EXPECT_TRUE(record.Caption().IsEmpty());
    EXPECT_TRUE(record.Report().IsEmpty());
}
