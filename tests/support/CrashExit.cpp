#include "CrashExit.h"

#include <psapi.h>

namespace {

// What the handler may use: filled at start, read only afterwards. The handler
// itself allocates nothing and calls nothing that takes a lock or the loader:
// the heap lock may be held by the thread that broke.
struct ModuleRange {
    ULONG_PTR nBase, nEnd;
};
ModuleRange g_modules[256];
int g_nModules = 0;
HANDLE g_hStdErr = INVALID_HANDLE_VALUE;

// One line of the report, built in a fixed buffer and written at once.
class ReportLine {
public:
    ReportLine& Text(const char* psz) {
        while (*psz && m_n < sizeof(m_buf) - 1) m_buf[m_n++] = *psz++;
        return *this;
    }
    ReportLine& Hex(ULONG_PTR nValue) {
        char sz[19] = "0x";
        for (int i = 0; i < 16; ++i) sz[2 + i] = "0123456789ABCDEF"[(nValue >> (60 - 4 * i)) & 0xF];
        return Text(sz);
    }
    ReportLine& Dec(DWORD nValue) {
        char sz[11] = {};
        int i = 10;
        do sz[--i] = static_cast<char>('0' + nValue % 10);
        while ((nValue /= 10) != 0);
        return Text(sz + i);
    }
    void Write() {
        m_buf[m_n++] = '\n';
        DWORD nWritten = 0;
        ::WriteFile(g_hStdErr, m_buf, m_n, &nWritten, nullptr);
        m_n = 0;
    }

private:
    char m_buf[512];
    DWORD m_n = 0;
};

bool InModule(ULONG_PTR nAddress) {
    for (int i = 0; i < g_nModules; ++i)
        if (nAddress >= g_modules[i].nBase && nAddress < g_modules[i].nEnd) return true;
    return false;
}

// The words of the thread's stack, from the faulting frame up, that point into
// a module: the return addresses among them (and some stale values).
void WriteReturnAddresses(const CONTEXT& ctx) {
    // The top of the thread's stack: StackBase of the thread's NT_TIB, at gs:8.
    ULONG_PTR nStackBase = 0;
    __asm__("movq %%gs:8, %0" : "=r"(nStackBase));
    const auto* pWord = reinterpret_cast<const ULONG_PTR*>(ctx.Rsp);
    const auto* pTop = reinterpret_cast<const ULONG_PTR*>(nStackBase);
    ReportLine line;
    line.Text("crash report: stack:");
    int nFound = 0;
    for (int nRead = 0; pWord < pTop && nFound < 48 && nRead < 8192; ++pWord, ++nRead) {
        if (!InModule(*pWord)) continue;
        line.Text(" ").Hex(*pWord);
        if (++nFound % 6 == 0) line.Write(), line.Text("crash report: stack:");
    }
    if (nFound == 0 || nFound % 6 != 0) line.Write();
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* pInfo) {
    const EXCEPTION_RECORD& rec = *pInfo->ExceptionRecord;
    if (rec.ExceptionCode != EXCEPTION_ACCESS_VIOLATION) return EXCEPTION_CONTINUE_SEARCH;
    const char* pszAccess = rec.ExceptionInformation[0] == 1   ? "writing"
                            : rec.ExceptionInformation[0] == 8 ? "executing"
                                                               : "reading";
    ReportLine()
        .Text("crash report: access violation, code ")
        .Hex(rec.ExceptionCode)
        .Text(", thread ")
        .Dec(::GetCurrentThreadId())
        .Text(", at ")
        .Hex(pInfo->ContextRecord->Rip)
        .Text(", ")
        .Text(pszAccess)
        .Text(" ")
        .Hex(rec.ExceptionInformation[1])
        .Write();
    WriteReturnAddresses(*pInfo->ContextRecord);
    ::TerminateProcess(::GetCurrentProcess(), kAccessViolationExitCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

// Notes and prints the modules loaded at start, then installs the handler
// ahead of every other.
struct CrashExit {
    CrashExit() {
        g_hStdErr = ::GetStdHandle(STD_ERROR_HANDLE);
        HMODULE modules[256];
        DWORD cbNeeded = 0;
        if (!::EnumProcessModules(::GetCurrentProcess(), modules, sizeof(modules), &cbNeeded)) cbNeeded = 0;
        if (cbNeeded > sizeof(modules)) cbNeeded = sizeof(modules);
        const int nCount = static_cast<int>(cbNeeded / sizeof(HMODULE));
        for (int i = 0; i < nCount; ++i) {
            MODULEINFO mi = {};
            char szPath[MAX_PATH] = {};
            if (!::GetModuleInformation(::GetCurrentProcess(), modules[i], &mi, sizeof(mi))) continue;
            ::GetModuleFileNameA(modules[i], szPath, MAX_PATH);
            const auto nBase = reinterpret_cast<ULONG_PTR>(mi.lpBaseOfDll);
            g_modules[g_nModules++] = {nBase, nBase + mi.SizeOfImage};
            ReportLine()
                .Text("crash report: module ")
                .Hex(nBase)
                .Text(" size ")
                .Hex(mi.SizeOfImage)
                .Text(" ")
                .Text(szPath)
                .Write();
        }
        ::AddVectoredExceptionHandler(1, OnException);
    }
};
CrashExit g_crashExit;

}  // namespace
