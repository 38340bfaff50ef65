// The access violation handler of the test programs (CrashExit.h): this
// program runs itself again, and the copy breaks in a window procedure while
// the system creates the window. Wine calls that procedure back from its
// window manager and swallows the exception ("KiUserCallbackDispatcher ignoring
// exception"): without the handler the copy would go on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "CrashExit.h"

namespace {

const wchar_t kChildVariable[] = L"ORVANE_TEST_BREAK_IN_WINDOW_PROCEDURE";

LRESULT CALLBACK BreakingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_CREATE) {
        volatile ULONG_PTR nBadAddress = 0x10;
        *reinterpret_cast<volatile int*>(nBadAddress) = 1;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// The child's part: a window whose procedure writes to address 0x10 on WM_CREATE.
void BreakInWindowProcedure() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BreakingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"orvane crash test";
    RegisterClassW(&wc);
    HWND hWnd =
        CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    PostMessageW(hWnd, WM_APP, 0, 0);
    PostQuitMessage(0);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(hWnd);
}

// Runs this program's one test again in a child process with the variable set;
// gives its exit code and what it wrote.
DWORD RunChild(std::string& output) {
    wchar_t szExe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, szExe, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(szExe) + L"\" --gtest_filter=CrashExit.*";
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hRead = nullptr, hWrite = nullptr;
    if (!CreatePipe(&hRead, &hWrite, &sa, 0)) return 0;
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = hWrite;
    PROCESS_INFORMATION pi = {};
    SetEnvironmentVariableW(kChildVariable, L"1");
    const BOOL bStarted = CreateProcessW(szExe, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableW(kChildVariable, nullptr);
    CloseHandle(hWrite);
    DWORD nExit = 0;
    if (bStarted) {
        if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 0);
        char buf[4096];
        DWORD n = 0;
        while (ReadFile(hRead, buf, sizeof(buf), &n, nullptr) && n) output.append(buf, n);
        GetExitCodeProcess(pi.hProcess, &nExit);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(hRead);
    return nExit;
}

// The number after marker on the line that holds both (0 when absent).
ULONG_PTR HexAfter(const std::string& text, const std::string& lineHolds, const std::string& marker) {
    for (size_t p = 0, e; p < text.size(); p = e + 1) {
        e = text.find('\n', p);
        if (e == std::string::npos) e = text.size();
        const std::string line = text.substr(p, e - p);
        const size_t m = line.find(marker);
        if (line.find(lineHolds) != std::string::npos && m != std::string::npos)
            return std::strtoull(line.c_str() + m + marker.size(), nullptr, 16);
    }
    return 0;
}

}  // namespace

TEST(CrashExit, AccessViolationInWindowProcedureEndsTheProgramAndSaysWhere) {
    if (GetEnvironmentVariableW(kChildVariable, nullptr, 0)) {
        BreakInWindowProcedure();
        FAIL() << "the access violation did not end the program";
    }
    std::string output;
    EXPECT_EQ(kAccessViolationExitCode, RunChild(output)) << output;
    EXPECT_NE(std::string::npos, output.find("access violation, code 0x00000000C0000005")) << output;
    EXPECT_NE(std::string::npos, output.find("writing 0x0000000000000010")) << output;
    EXPECT_NE(std::string::npos, output.find("stack: 0x")) << output;
    // The faulting address lies in this program's code, as the module list printed at start places it.
    const ULONG_PTR nBase = HexAfter(output, "support_tests.exe", "module "),
                    nSize = HexAfter(output, "support_tests.exe", "size ");
    const ULONG_PTR nAt = HexAfter(output, "access violation", ", at ");
    EXPECT_TRUE(nBase && nAt >= nBase && nAt < nBase + nSize) << output;
}
