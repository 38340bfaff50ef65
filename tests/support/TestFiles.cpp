#include "TestFiles.h"

#include <algorithm>
#include <sstream>

namespace files {

namespace {

// A folder's entries but "." and "..", with whether each is a folder.
std::vector<std::pair<std::wstring, bool>> Entries(const std::wstring& dir) {
    std::vector<std::pair<std::wstring, bool>> entries;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..")
            entries.push_back({name, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return entries;
}

// Removes everything inside the folder, read-only files and folders included.
void EmptyFolder(const std::wstring& dir) {
    for (const auto& entry : Entries(dir)) {
        const std::wstring path = dir + L"\\" + entry.first;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (entry.second) {
            EmptyFolder(path);
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    }
}

}  // namespace

std::wstring Env(const wchar_t* name) {
    const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return std::wstring();
    std::wstring value(n, L'\0');
    value.resize(GetEnvironmentVariableW(name, &value[0], n));
    return value;
}

std::wstring EnvDir(const wchar_t* name) {
    const std::wstring unixPath = Env(name);
    if (unixPath.empty()) return unixPath;
    std::wstring path = L"Z:" + unixPath;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

Expectation Expect(wchar_t letter) {
    Expectation e;
    const std::wstring dir = EnvDir(L"ORVANE_DRIVES_EXPECT");
    if (dir.empty()) return e;
    const std::wstring path = dir + L"\\" + static_cast<wchar_t>(towlower(letter)) + L".txt";
    // Some expectations are computed while the tests already run.
    for (int i = 0; i < 900 && !FileExists(path); ++i) Sleep(200);
    const std::vector<uint8_t> bytes = ReadBytes(path);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string crc, md5, sha1;
    in >> e.size >> crc >> md5 >> sha1;
    e.crc.assign(crc.begin(), crc.end());
    e.md5.assign(md5.begin(), md5.end());
    e.sha1.assign(sha1.begin(), sha1.end());
    return e;
}

std::wstring IsoPath(wchar_t letter) {
    return EnvDir(L"ORVANE_DRIVES_ISO") + L"\\" + static_cast<wchar_t>(towlower(letter)) + L".iso";
}

std::wstring ScratchDir(const wchar_t* name) {
    std::wstring dir = EnvDir(L"ORVANE_TEST_WORK") + L"\\scratch";
    CreateDirectoryW(dir.c_str(), nullptr);
    dir += L"\\";
    dir += name;
    CreateDirectoryW(dir.c_str(), nullptr);
    EmptyFolder(dir);
    return dir;
}

std::wstring TargetDir(const wchar_t* name) {
    const std::wstring dir = EnvDir(name);
    if (!dir.empty()) EmptyFolder(dir);
    return dir;
}

std::wstring ProgramLogPath() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring path = exe;
    return path.substr(0, path.rfind(L'\\') + 1) + L"orvane.log";
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size;
    GetFileSizeEx(h, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD n = 0;
    size_t done = 0;
    while (done < bytes.size() &&
           ReadFile(h, bytes.data() + done, static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24)), &n,
                    nullptr) &&
           n > 0)
        done += n;
    bytes.resize(done);
    CloseHandle(h);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    const bool bWritten =
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
    return CloseHandle(h) && bWritten;
}

std::wstring ReadUtf16(const std::wstring& path) {
    const std::vector<uint8_t> b = ReadBytes(path);
    std::wstring s;
    for (size_t i = 0; i + 1 < b.size(); i += 2) s += static_cast<wchar_t>(b[i] | (b[i + 1] << 8));
    return s;
}

std::vector<std::wstring> FolderFiles(const std::wstring& dir) {
    std::vector<std::wstring> names;
    for (const auto& entry : Entries(dir))
        if (!entry.second) names.push_back(entry.first);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (;;) {
        const size_t pos = text.find(L"\r\n", start);
        if (pos == std::wstring::npos) {
            if (start < text.size()) lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, pos - start));
        start = pos + 2;
    }
}

std::wstring GroupDigits(uint64_t value) {
    const std::wstring digits = std::to_wstring(value);
    std::wstring out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += L'`';
        out += digits[i];
    }
    return out;
}

}  // namespace files
