#include "JobTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "WindowWaits.h"

namespace jobtest {

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

bool DrivesAvailable() { return !files::Env(L"ORVANE_DRIVES_EXPECT").empty(); }

long HandleCount() {
    DWORD n = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &n) ? static_cast<long>(n) : -1;
}

void ExpectSuccessLines(const std::vector<std::wstring>& lines, const files::Expectation& e,
                        const std::wstring& sizeText, const std::wstring& imagePath) {
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
