#include "JobTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "WindowWaits.h"

namespace jobtest {

namespace {

std::wstring Widen(const std::string& s) {
    if (s.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

// Wine maps the Unix root to drive Z:.
std::wstring UnixToWindows(const std::string& unixPath) {
    std::wstring w = L"Z:" + Widen(unixPath);
    for (auto& c : w)
        if (c == L'/') c = L'\\';
    while (w.size() > 3 && w.back() == L'\\') w.pop_back();
    return w;
}

}  // namespace

CTestDialog::CTestDialog() {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    m_hWnd = CreateWindowExW(0, L"STATIC", L"Создание образа CD/DVD", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 10, 60, 300, 20, m_hWnd,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(1001)), GetModuleHandleW(nullptr), nullptr);
    CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 20, 300, 20, m_hWnd,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(1002)), GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_pfnProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CTestDialog::TitleProc)));
}

LRESULT CALLBACK CTestDialog::TitleProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    auto* pThis = reinterpret_cast<CTestDialog*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    const LRESULT nResult = CallWindowProcW(pThis->m_pfnProc, hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_SETTEXT && pThis->m_onTitle) pThis->m_onTitle();
    return nResult;
}

CTestDialog::~CTestDialog() { DestroyWindow(m_hWnd); }

std::wstring CTestDialog::Title() const { return WindowText(m_hWnd); }

std::wstring CTestDialog::Status() const { return WindowText(GetDlgItem(m_hWnd, 1002)); }

int CTestDialog::BarPos() const { return static_cast<int>(SendDlgItemMessageW(m_hWnd, 1001, PBM_GETPOS, 0, 0)); }

int CTestDialog::BarMax() const { return static_cast<int>(SendDlgItemMessageW(m_hWnd, 1001, PBM_GETRANGE, FALSE, 0)); }

bool DrivesAvailable() { return std::getenv("ORVANE_DRIVES_EXPECT") != nullptr; }

Expectation Expect(wchar_t letter) {
    Expectation e;
    const std::wstring path = EnvDir("ORVANE_DRIVES_EXPECT") + L"\\" + static_cast<wchar_t>(towlower(letter)) + L".txt";
    // Some expectations are computed while the tests already run.
    for (int i = 0; i < 900 && !FileExists(path); ++i) Sleep(200);
    const std::vector<uint8_t> bytes = ReadBytes(path);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string crc, md5, sha1;
    in >> e.size >> crc >> md5 >> sha1;
    e.crc = Widen(crc);
    e.md5 = Widen(md5);
    e.sha1 = Widen(sha1);
    EXPECT_EQ(e.crc.size(), 8u) << "no expectation for drive " << static_cast<char>(letter);
    return e;
}

std::wstring IsoPath(wchar_t letter) {
    return EnvDir("ORVANE_DRIVES_ISO") + L"\\" + static_cast<wchar_t>(towlower(letter)) + L".iso";
}

std::wstring EnvDir(const char* name) {
    const char* v = std::getenv(name);
    return v ? UnixToWindows(v) : std::wstring();
}

std::wstring ScratchDir(const wchar_t* name) {
    std::wstring dir = EnvDir("ORVANE_TEST_WORK") + L"\\scratch";
    CreateDirectoryW(dir.c_str(), nullptr);
    dir += L"\\";
    dir += name;
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

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

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size());
    CloseHandle(h);
}

std::vector<std::wstring> FolderFiles(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring ReadUtf16(const std::wstring& path) {
    const std::vector<uint8_t> b = ReadBytes(path);
    std::wstring s;
    for (size_t i = 0; i + 1 < b.size(); i += 2) s += static_cast<wchar_t>(b[i] | (b[i + 1] << 8));
    return s;
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
    std::wstring digits = std::to_wstring(value), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += L'`';
        out += digits[i];
    }
    return out;
}

long HandleCount() {
    DWORD n = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &n) ? static_cast<long>(n) : -1;
}

void ExpectSuccessLines(const std::vector<std::wstring>& lines, const Expectation& e, const std::wstring& sizeText,
                        const std::wstring& imagePath) {
    const size_t nFile = imagePath.empty() ? 0 : 1;
    ASSERT_EQ(lines.size(), 7 + nFile);
    EXPECT_EQ(lines[2], L"Размер:\t" + sizeText + L" байт");
    if (nFile) {
        EXPECT_EQ(lines[3], L"Файл:\t\"" + imagePath + L"\"");
    }
    const std::wstring& time = lines[3 + nFile];
    ASSERT_EQ(time.rfind(L"Время:\t", 0), 0u) << time;
    // Whole minutes, then seconds with two decimals and a full stop.
    const size_t min = time.find(L" мин. ");
    ASSERT_NE(min, std::wstring::npos);
    for (size_t i = 7; i < min; ++i) EXPECT_TRUE(iswdigit(time[i])) << time;
    const std::wstring secs = time.substr(min + 6);
    ASSERT_GE(secs.size(), 9u) << time;
    EXPECT_EQ(secs.substr(secs.size() - 5), L" сек.");
    EXPECT_EQ(secs[secs.size() - 8], L'.') << time;
    EXPECT_EQ(lines[4 + nFile], L"CRC-32:\t" + e.crc);
    EXPECT_EQ(lines[5 + nFile], L"MD5:\t" + e.md5);
    EXPECT_EQ(lines[6 + nFile], L"SHA-1:\t" + e.sha1);
}

}  // namespace jobtest
