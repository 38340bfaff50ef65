// The program's entry point and its one application object.
#include "OrvaneApp.h"

COrvaneApp theApp;

namespace {

// Every DLL that the process loads after start-up (the Save As dialog, the shell
// and the common controls load more as they go) comes from System32 only, never
// from the program's own folder, where a planted DLL of the right name could be
// picked up: the program is often run from a download folder. Windows 7 has the
// call only with its update KB2533623, so it is looked up rather than imported;
// kernel32 is loaded already, and looking it up loads nothing.
struct DllSearchLimit {
    DllSearchLimit();
};

DllSearchLimit::DllSearchLimit() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE hKernel32 = ::GetModuleHandleW(L"kernel32.dll");
    auto pfn = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(hKernel32, "SetDefaultDllDirectories")));
    if (pfn) pfn(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// Constructed before every other static object of the program: the first of
// them already asks user32 for a window message, and user32 loads further DLLs.
__attribute__((init_priority(101))) DllSearchLimit g_dllSearchLimit;

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow) {
    // A drive without a disc answers with an error code instead of a system box
    // that would stall a run on its worker thread.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
