// Files and expectations that the end-to-end tests compare against: the drive
// images and checksums that tests/tools/drives.sh made (with rhash), report
// files, and scratch folders, all reached through Wine's Z: drive.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace files {

// A Unix path as the program sees it: /a/b is Z:\a\b.
inline std::wstring FromUnix(const std::wstring& unixPath) {
    std::wstring s = L"Z:" + unixPath;
    for (auto& c : s)
        if (c == L'/') c = L'\\';
    return s;
}

inline std::wstring Env(const wchar_t* name) {
    wchar_t buf[1024] = {};
    DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    return (n && n < 1024) ? std::wstring(buf) : std::wstring();
}

inline bool ReadAll(const std::wstring& path, std::string& out) {
    out.clear();
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char buf[1 << 16];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof(buf), &n, nullptr) && n) out.append(buf, n);
    CloseHandle(h);
    return true;
}

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A report file: FF FE, then UTF-16 little-endian text.
inline std::wstring ReadReportFile(const std::wstring& path) {
    std::string bytes;
    if (!ReadAll(path, bytes) || bytes.size() < 2) return L"";
    if (static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xFE)
        return L"<no byte-order mark>";
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    memcpy(&text[0], bytes.data() + 2, text.size() * 2);
    return text;
}

inline bool EndsWith(const std::wstring& s, const std::wstring& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

inline size_t CountOf(const std::wstring& s, const std::wstring& what) {
    size_t n = 0;
    for (size_t p = s.find(what); p != std::wstring::npos; p = s.find(what, p + what.size())) ++n;
    return n;
}

// "SIZE CRC32 MD5 SHA1" of drive letter's volume, as rhash computed them.
struct Expect {
    std::wstring size, crc, md5, sha1;
};
inline Expect ExpectFor(wchar_t letter) {
    Expect e;
    std::string text;
    std::wstring dir = Env(L"ORVANE_DRIVES_EXPECT");
    if (dir.empty() || !ReadAll(FromUnix(dir) + L"\\" + wchar_t(towlower(letter)) + L".txt", text)) return e;
    std::wstring w(text.begin(), text.end());
    std::wstring* fields[] = {&e.size, &e.crc, &e.md5, &e.sha1};
    size_t pos = 0;
    for (auto* f : fields) {
        while (pos < w.size() && iswspace(w[pos])) ++pos;
        size_t end = pos;
        while (end < w.size() && !iswspace(w[end])) ++end;
        *f = w.substr(pos, end - pos);
        pos = end;
    }
    return e;
}

inline std::wstring IsoOf(wchar_t letter) {
    return FromUnix(Env(L"ORVANE_DRIVES_ISO")) + L"\\" + wchar_t(towlower(letter)) + L".iso";
}

// A fresh empty folder under the test environment's work folder.
inline std::wstring ScratchDir(const wchar_t* name) {
    std::wstring dir = FromUnix(Env(L"ORVANE_TEST_WORK")) + L"\\" + name;
    CreateDirectoryW(dir.c_str(), nullptr);
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((dir + L"\\" + fd.cFileName).c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    return dir;
}

inline int FileCount(const std::wstring& dir) {
    int n = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return n;
}

// The report file of Hashes runs: orvane.log beside the running executable.
inline std::wstring HashesLogPath() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring s = exe;
    return s.substr(0, s.rfind(L'\\') + 1) + L"orvane.log";
}

}  // namespace files
