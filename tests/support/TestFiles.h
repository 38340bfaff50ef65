// The files of the test environment (tests/tools/with-test-env.sh and
// drives.sh), as the program sees them through Wine's Z: drive: the drives'
// images and expected checksums, scratch folders, report files, and files
// read back as bytes, text or lines.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace files {

// An environment variable's value; empty when it is not set.
std::wstring Env(const wchar_t* name);
// The Windows path of the Unix folder that an environment variable names
// (Wine maps / to Z:), without a trailing backslash; empty when it is not set.
std::wstring EnvDir(const wchar_t* name);

// What a virtual drive yields: byte count and checksums (upper-case hex), as
// rhash computed them; empty texts when there is no expectation for the drive.
struct Expectation {
    uint64_t size = 0;
    std::wstring crc, md5, sha1;
};
Expectation Expect(wchar_t letter);
// The image file that drive LETTER serves (its ISO).
std::wstring IsoPath(wchar_t letter);

// An empty folder for one test's files, under the environment's work folder:
// whatever an earlier run in the same environment left there goes first.
// Windows path, no trailing backslash.
std::wstring ScratchDir(const wchar_t* name);
// One of the environment's target folders (ORVANE_DRIVES_SMALL, ...), which
// an environment variable names, emptied in the same way.
std::wstring TargetDir(const wchar_t* name);
// The report file of Hashes runs: orvane.log beside the running executable.
std::wstring ProgramLogPath();

bool FileExists(const std::wstring& path);
// The whole file; empty when it cannot be read.
std::vector<uint8_t> ReadBytes(const std::wstring& path);
// Creates or replaces the file with these bytes; false when that fails.
bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
// A file's contents as UTF-16 code units (bytes taken in pairs,
// little-endian), a report file's byte-order mark included.
std::wstring ReadUtf16(const std::wstring& path);
// Names of the files in a folder, sorted; its folders are not listed.
std::vector<std::wstring> FolderFiles(const std::wstring& dir);

// A report's lines, without their CR LF. An unterminated last piece is kept.
std::vector<std::wstring> SplitLines(const std::wstring& text);
// A byte count as a report's size line writes it: digit groups of three,
// separated by grave accents.
std::wstring GroupDigits(uint64_t value);

}  // namespace files
