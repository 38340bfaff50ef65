#include "FailingCalls.h"

#include <shellapi.h>

#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace failing {

namespace {

struct State {
    DWORD thread = 0;  // the armed thread, 0 when unarmed
    Fault faults[2];
    bool hit[2] = {};
    int counts[kWrappedCount] = {};
    std::vector<DWORD> createAccess;
    std::vector<Traced> trace;
    std::map<HANDLE, int> handles;  // open handle -> the CreateFileW call that opened it
    std::set<void*> memory;
    std::set<HICON> icons;
    EXECUTION_STATE executionState = 0;
};
State g_state;

// The functions the wrappers stand in for, as the import table held them.
void* g_real[kWrappedCount] = {};

template <class F>
F Real(int call) {
    return reinterpret_cast<F>(g_real[call]);
}

bool Armed() { return g_state.thread == GetCurrentThreadId(); }

// Counts and records an armed call, on the handle h (or none). The planned
// error when the call is to fail (kShort for a short answer), else 0. A call
// to be asked of another path answers 0 and sets *ppszInstead.
DWORD Planned(Call call, HANDLE h = nullptr, DWORD size = 0, const wchar_t* pszPath = nullptr,
              const wchar_t** ppszInstead = nullptr) {
    if (!Armed()) return 0;
    const int nth = ++g_state.counts[call];
    DWORD error = 0;
    for (int i = 0; i < 2 && !error; ++i) {
        const Fault& f = g_state.faults[i];
        if (f.nth == 0 || f.call != call || (nth != f.nth && !(f.lasting && nth > f.nth))) continue;
        g_state.hit[i] = true;
        error = f.error;
        if (f.pszInstead && ppszInstead) *ppszInstead = f.pszInstead;
    }
    const auto open = g_state.handles.find(h);
    g_state.trace.push_back({call, nth, open == g_state.handles.end() ? 0 : open->second, size, error,
                             pszPath ? std::wstring(pszPath) : std::wstring()});
    return ppszInstead && *ppszInstead ? 0 : error;
}

// Ends an armed call: a failure's error, or, on success, the code of the
// wrappers' own that Windows may leave. Returns whether the call succeeded.
BOOL Answer(DWORD error, BOOL bResult) {
    if (!Armed()) return bResult;
    if (error && error != kShort) {
        SetLastError(error);
        return FALSE;
    }
    if (bResult) SetLastError(kLeftOnSuccess);
    return bResult;
}

DWORD PlannedOn(Call call, HANDLE h) { return Planned(call, h); }
DWORD PlannedOn(Call call, LPCWSTR pszPath) { return Planned(call, nullptr, 0, pszPath); }

// A function whose first argument is the file it works on: a handle or a path.
template <Call C, typename File, typename... A>
BOOL WINAPI FailingOnFile(File file, A... args) {
    const DWORD error = PlannedOn(C, file);
    if (error) return Answer(error, FALSE);
    return Answer(0, Real<BOOL(WINAPI*)(File, A...)>(C)(file, args...));
}

template <Call C, typename File, typename... A>
void* FileWrapper(BOOL(WINAPI*)(File, A...)) {
    return reinterpret_cast<void*>(&FailingOnFile<C, File, A...>);
}

HANDLE WINAPI FailingCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how,
                                 DWORD flags, HANDLE hTemplate) {
    if (Armed()) g_state.createAccess.push_back(access);
    const wchar_t* pszInstead = nullptr;
    const DWORD error = Planned(kCreateFileW, nullptr, 0, name, &pszInstead);
    if (error) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    if (pszInstead) name = pszInstead;
    const HANDLE h = Real<decltype(&CreateFileW)>(kCreateFileW)(name, access, share, sa, how, flags, hTemplate);
    if (Armed() && h != INVALID_HANDLE_VALUE) g_state.handles[h] = g_state.counts[kCreateFileW];
    return h;
}

// Another path for the volume's serial number: the answer of that drive's root.
BOOL WINAPI FailingGetVolumeInformationByHandleW(HANDLE h, LPWSTR name, DWORD nName, LPDWORD pSerial, LPDWORD pMax,
                                                 LPDWORD pFlags, LPWSTR fs, DWORD nFs) {
    const wchar_t* pszInstead = nullptr;
    const DWORD error = Planned(kGetVolumeInformationByHandleW, h, 0, nullptr, &pszInstead);
    if (error) return Answer(error, FALSE);
    if (pszInstead)
        return Answer(0, Real<decltype(&GetVolumeInformationW)>(kGetVolumeInformationW)(
                             pszInstead, name, nName, pSerial, pMax, pFlags, fs, nFs));
    return Answer(0, Real<decltype(&GetVolumeInformationByHandleW)>(kGetVolumeInformationByHandleW)(
                         h, name, nName, pSerial, pMax, pFlags, fs, nFs));
}

// A short answer asks the system for half the bytes, so that the file's
// position stays true to what was read or written; for a read, in whole
// sectors of 2048 bytes, as a drive answers (one sector answered short
// reads nothing).
template <Call C, typename Buffer>
BOOL WINAPI FailingTransfer(HANDLE h, Buffer p, DWORD n, LPDWORD pDone, LPOVERLAPPED pOverlapped) {
    const DWORD error = Planned(C, h, n);
    if (error && error != kShort) return Answer(error, FALSE);
    if (error == kShort) n = C == kReadFile ? n / 2 / 2048 * 2048 : n / 2;
    return Answer(0, Real<BOOL(WINAPI*)(HANDLE, Buffer, DWORD, LPDWORD, LPOVERLAPPED)>(C)(h, p, n, pDone, pOverlapped));
}

// A function that fails with a null result: the planned error, or what it
// gives, kept account of by keep.
template <Call C, typename R, typename Keep, typename... A>
R FailingOrNull(Keep keep, A... args) {
    const DWORD error = Planned(C);
    if (error) {
        SetLastError(error);
        return nullptr;
    }
    const R result = Real<R(WINAPI*)(A...)>(C)(args...);
    if (Armed() && result) {
        keep(result);
        SetLastError(kLeftOnSuccess);
    }
    return result;
}

LPVOID WINAPI FailingVirtualAlloc(LPVOID p, SIZE_T n, DWORD type, DWORD protect) {
    return FailingOrNull<kVirtualAlloc, LPVOID>([](LPVOID pNew) { g_state.memory.insert(pNew); }, p, n, type, protect);
}

// A close that fails has closed the handle all the same.
BOOL WINAPI FailingCloseHandle(HANDLE h) {
    const DWORD error = Planned(kCloseHandle, h);
    if (Armed()) g_state.handles.erase(h);
    const BOOL bClosed = Real<decltype(&CloseHandle)>(kCloseHandle)(h);
    return Answer(error, bClosed);
}

HANDLE WINAPI FailingCreateRemoteThread(HANDLE hProcess, LPSECURITY_ATTRIBUTES sa, SIZE_T stack,
                                        LPTHREAD_START_ROUTINE pfn, LPVOID param, DWORD flags, LPDWORD pId) {
    return FailingOrNull<kCreateRemoteThread, HANDLE>([](HANDLE) {}, hProcess, sa, stack, pfn, param, flags, pId);
}

BOOL WINAPI TrackedVirtualFree(LPVOID p, SIZE_T n, DWORD type) {
    Planned(kVirtualFree);
    if (Armed() && type == MEM_RELEASE) g_state.memory.erase(p);
    return Answer(0, Real<decltype(&VirtualFree)>(kVirtualFree)(p, n, type));
}

EXECUTION_STATE WINAPI TrackedSetThreadExecutionState(EXECUTION_STATE state) {
    Planned(kSetThreadExecutionState);
    if (Armed()) g_state.executionState = state;
    return Real<decltype(&SetThreadExecutionState)>(kSetThreadExecutionState)(state);
}

void WINAPI TrackedSleep(DWORD ms) {
    Planned(kSleep, nullptr, ms);
    if (!Armed()) Real<decltype(&Sleep)>(kSleep)(ms);
}

DWORD_PTR WINAPI TrackedSHGetFileInfoW(LPCWSTR path, DWORD attributes, SHFILEINFOW* psfi, UINT cb, UINT flags) {
    Planned(kSHGetFileInfoW);
    const DWORD_PTR result = Real<decltype(&SHGetFileInfoW)>(kSHGetFileInfoW)(path, attributes, psfi, cb, flags);
    if (Armed() && result && psfi && (flags & SHGFI_ICON) && psfi->hIcon) g_state.icons.insert(psfi->hIcon);
    return result;
}

BOOL WINAPI TrackedDestroyIcon(HICON hIcon) {
    Planned(kDestroyIcon);
    if (Armed()) g_state.icons.erase(hIcon);
    return Answer(0, Real<decltype(&DestroyIcon)>(kDestroyIcon)(hIcon));
}

// Points this executable's import slot of DLL's NAME at pReplacement and
// keeps what it held in *ppOriginal. A function it does not import is left.
void PatchImport(const char* dll, const char* name, void* pReplacement, void** ppOriginal) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + rva); d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + d->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
            DWORD old = 0;
            VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
            *ppOriginal = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(pReplacement);
            VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
        }
    }
}

// The wrapped functions, by Call: name, the DLL that exports them, and the wrapper.
const char kKernel32[] = "kernel32.dll";
const struct {
    const char* name;
    const char* dll;
    void* wrapper;
} kWrapped[kWrappedCount] = {
    {"CreateFileW", kKernel32, reinterpret_cast<void*>(&FailingCreateFileW)},
    {"ReadFile", kKernel32, reinterpret_cast<void*>(&FailingTransfer<kReadFile, LPVOID>)},
    {"WriteFile", kKernel32, reinterpret_cast<void*>(&FailingTransfer<kWriteFile, LPCVOID>)},
    {"SetFilePointerEx", kKernel32, FileWrapper<kSetFilePointerEx>(&SetFilePointerEx)},
    {"SetEndOfFile", kKernel32, FileWrapper<kSetEndOfFile>(&SetEndOfFile)},
    {"FlushFileBuffers", kKernel32, FileWrapper<kFlushFileBuffers>(&FlushFileBuffers)},
    {"SetFileInformationByHandle", kKernel32, FileWrapper<kSetFileInformationByHandle>(&SetFileInformationByHandle)},
    {"MoveFileExW", kKernel32, FileWrapper<kMoveFileExW>(&MoveFileExW)},
    {"GetDiskFreeSpaceExW", kKernel32, FileWrapper<kGetDiskFreeSpaceExW>(&GetDiskFreeSpaceExW)},
    {"GetVolumeInformationW", kKernel32, FileWrapper<kGetVolumeInformationW>(&GetVolumeInformationW)},
    {"GetVolumePathNameW", kKernel32, FileWrapper<kGetVolumePathNameW>(&GetVolumePathNameW)},
    {"DeviceIoControl", kKernel32, FileWrapper<kDeviceIoControl>(&DeviceIoControl)},
    {"VirtualAlloc", kKernel32, reinterpret_cast<void*>(&FailingVirtualAlloc)},
    {"DeleteFileW", kKernel32, FileWrapper<kDeleteFileW>(&DeleteFileW)},
    {"GetVolumeInformationByHandleW", kKernel32, reinterpret_cast<void*>(&FailingGetVolumeInformationByHandleW)},
    {"CloseHandle", kKernel32, reinterpret_cast<void*>(&FailingCloseHandle)},
    {"CreateRemoteThread", kKernel32, reinterpret_cast<void*>(&FailingCreateRemoteThread)},
    {"VirtualFree", kKernel32, reinterpret_cast<void*>(&TrackedVirtualFree)},
    {"SetThreadExecutionState", kKernel32, reinterpret_cast<void*>(&TrackedSetThreadExecutionState)},
    {"Sleep", kKernel32, reinterpret_cast<void*>(&TrackedSleep)},
    {"SHGetFileInfoW", "shell32.dll", reinterpret_cast<void*>(&TrackedSHGetFileInfoW)},
    {"DestroyIcon", "user32.dll", reinterpret_cast<void*>(&TrackedDestroyIcon)}};

void Install() {
    static bool s_bInstalled = false;
    if (s_bInstalled) return;
    s_bInstalled = true;
    for (int i = 0; i < kWrappedCount; ++i)
        PatchImport(kWrapped[i].dll, kWrapped[i].name, kWrapped[i].wrapper, &g_real[i]);
}

}  // namespace

const char* Name(Call call) { return kWrapped[call].name; }

std::string Describe(const Fault& fault) {
    const std::string what = fault.pszInstead        ? std::string("another path")
                             : fault.error == kShort ? std::string("short")
                                                     : std::to_string(fault.error);
    return std::string(Name(fault.call)) + " #" + std::to_string(fault.nth) + (fault.lasting ? " on" : "") + ": " +
           what;
}

CArmed::CArmed(Fault fault, Fault second) {
    Install();
    g_state = State();
    g_state.faults[0] = fault;
    g_state.faults[1] = second;
    g_state.thread = GetCurrentThreadId();
}

CArmed::~CArmed() { g_state.thread = 0; }

int CArmed::Count(Call call) const { return g_state.counts[call]; }
DWORD CArmed::CreateAccess(int nth) const {
    return nth >= 1 && nth <= static_cast<int>(g_state.createAccess.size()) ? g_state.createAccess[nth - 1] : 0;
}
bool CArmed::FaultHit(int i) const { return g_state.hit[i]; }
const std::vector<Traced>& CArmed::Trace() const { return g_state.trace; }
int CArmed::OpenHandles() const { return static_cast<int>(g_state.handles.size()); }
int CArmed::LiveAllocations() const { return static_cast<int>(g_state.memory.size()); }
int CArmed::LiveIcons() const { return static_cast<int>(g_state.icons.size()); }
EXECUTION_STATE CArmed::ExecutionState() const { return g_state.executionState; }

}  // namespace failing
