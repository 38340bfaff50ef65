#include "FailingCalls.h"

#include <cstring>
#include <set>
#include <vector>

namespace failing {

namespace {

const char* const kNames[kCallCount] = {"CreateFileW",
                                        "ReadFile",
                                        "WriteFile",
                                        "SetFilePointerEx",
                                        "SetEndOfFile",
                                        "FlushFileBuffers",
                                        "SetFileInformationByHandle",
                                        "MoveFileExW",
                                        "GetDiskFreeSpaceExW",
                                        "GetVolumeInformationW",
                                        "GetVolumePathNameW",
                                        "DeviceIoControl",
                                        "VirtualAlloc",
                                        "DeleteFileW",
                                        "GetVolumeInformationByHandleW"};

struct State {
    DWORD thread = 0;  // the armed thread, 0 when unarmed
    Fault fault;
    int counts[kCallCount] = {};
    bool hit = false;
    std::vector<DWORD> createAccess;
    std::set<HANDLE> handles;
    std::set<void*> memory;
    EXECUTION_STATE executionState = 0;
};
State g_state;

// The functions the wrappers stand in for, as the import table held them:
// the calls that can fail, then three that are only kept account of.
enum Tracked { kCloseHandle = kCallCount, kVirtualFree, kSetThreadExecutionState, kWrappedCount };
void* g_real[kWrappedCount] = {};

template <class F>
F Real(int call) {
    return reinterpret_cast<F>(g_real[call]);
}

bool Armed() { return g_state.thread == GetCurrentThreadId(); }

// Counts an armed call. True when it is the planned failure, with the
// failure's last-error code set; *pAltered is set instead for a short answer
// or another path.
bool Fails(Call call, bool* pAltered = nullptr) {
    if (!Armed()) return false;
    if (++g_state.counts[call] != g_state.fault.nth || g_state.fault.call != call) return false;
    g_state.hit = true;
    if (g_state.fault.error == kShort || g_state.fault.pszInstead) {
        if (pAltered) *pAltered = true;
        return false;
    }
    SetLastError(g_state.fault.error);
    return true;
}

template <Call C, typename... A>
BOOL WINAPI FailingBool(A... args) {
    if (Fails(C)) return FALSE;
    return Real<BOOL(WINAPI*)(A...)>(C)(args...);
}

template <Call C, typename... A>
void* BoolWrapper(BOOL(WINAPI*)(A...)) {
    return reinterpret_cast<void*>(&FailingBool<C, A...>);
}

HANDLE WINAPI FailingCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how,
                                 DWORD flags, HANDLE hTemplate) {
    if (Armed()) g_state.createAccess.push_back(access);
    bool bInstead = false;
    if (Fails(kCreateFileW, &bInstead)) return INVALID_HANDLE_VALUE;
    if (bInstead) name = g_state.fault.pszInstead;
    const HANDLE h = Real<decltype(&CreateFileW)>(kCreateFileW)(name, access, share, sa, how, flags, hTemplate);
    if (Armed() && h != INVALID_HANDLE_VALUE) g_state.handles.insert(h);
    return h;
}

// Another path for the volume's serial number: the answer of that drive's root.
BOOL WINAPI FailingGetVolumeInformationByHandleW(HANDLE h, LPWSTR name, DWORD nName, LPDWORD pSerial, LPDWORD pMax,
                                                 LPDWORD pFlags, LPWSTR fs, DWORD nFs) {
    bool bInstead = false;
    if (Fails(kGetVolumeInformationByHandleW, &bInstead)) return FALSE;
    if (bInstead)
        return Real<decltype(&GetVolumeInformationW)>(kGetVolumeInformationW)(g_state.fault.pszInstead, name, nName,
                                                                              pSerial, pMax, pFlags, fs, nFs);
    return Real<decltype(&GetVolumeInformationByHandleW)>(kGetVolumeInformationByHandleW)(h, name, nName, pSerial, pMax,
                                                                                          pFlags, fs, nFs);
}

// A short answer asks the system for half the bytes, so that the file's
// position stays true to what was read or written.
template <Call C, typename Buffer>
BOOL WINAPI FailingTransfer(HANDLE h, Buffer p, DWORD n, LPDWORD pDone, LPOVERLAPPED pOverlapped) {
    bool bShort = false;
    if (Fails(C, &bShort)) return FALSE;
    return Real<BOOL(WINAPI*)(HANDLE, Buffer, DWORD, LPDWORD, LPOVERLAPPED)>(C)(h, p, bShort ? n / 2 : n, pDone,
                                                                                pOverlapped);
}

LPVOID WINAPI FailingVirtualAlloc(LPVOID p, SIZE_T n, DWORD type, DWORD protect) {
    if (Fails(kVirtualAlloc)) return nullptr;
    LPVOID pNew = Real<decltype(&VirtualAlloc)>(kVirtualAlloc)(p, n, type, protect);
    if (Armed() && pNew) g_state.memory.insert(pNew);
    return pNew;
}

BOOL WINAPI TrackedCloseHandle(HANDLE h) {
    if (Armed()) g_state.handles.erase(h);
    return Real<decltype(&CloseHandle)>(kCloseHandle)(h);
}

BOOL WINAPI TrackedVirtualFree(LPVOID p, SIZE_T n, DWORD type) {
    if (Armed() && type == MEM_RELEASE) g_state.memory.erase(p);
    return Real<decltype(&VirtualFree)>(kVirtualFree)(p, n, type);
}

EXECUTION_STATE WINAPI TrackedSetThreadExecutionState(EXECUTION_STATE state) {
    if (Armed()) g_state.executionState = state;
    return Real<decltype(&SetThreadExecutionState)>(kSetThreadExecutionState)(state);
}

// Points this executable's import slot of kernel32's NAME at pReplacement and
// keeps what it held in *ppOriginal.
void PatchImport(const char* name, void* pReplacement, void** ppOriginal) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + rva); d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + d->Name), "kernel32.dll") != 0) continue;
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

void Install() {
    static bool s_bInstalled = false;
    if (s_bInstalled) return;
    s_bInstalled = true;
    const struct {
        const char* name;
        void* wrapper;
    } kWrappers[kWrappedCount] = {
        {kNames[kCreateFileW], reinterpret_cast<void*>(&FailingCreateFileW)},
        {kNames[kReadFile], reinterpret_cast<void*>(&FailingTransfer<kReadFile, LPVOID>)},
        {kNames[kWriteFile], reinterpret_cast<void*>(&FailingTransfer<kWriteFile, LPCVOID>)},
        {kNames[kSetFilePointerEx], BoolWrapper<kSetFilePointerEx>(&SetFilePointerEx)},
        {kNames[kSetEndOfFile], BoolWrapper<kSetEndOfFile>(&SetEndOfFile)},
        {kNames[kFlushFileBuffers], BoolWrapper<kFlushFileBuffers>(&FlushFileBuffers)},
        {kNames[kSetFileInformationByHandle], BoolWrapper<kSetFileInformationByHandle>(&SetFileInformationByHandle)},
        {kNames[kMoveFileExW], BoolWrapper<kMoveFileExW>(&MoveFileExW)},
        {kNames[kGetDiskFreeSpaceExW], BoolWrapper<kGetDiskFreeSpaceExW>(&GetDiskFreeSpaceExW)},
        {kNames[kGetVolumeInformationW], BoolWrapper<kGetVolumeInformationW>(&GetVolumeInformationW)},
        {kNames[kGetVolumePathNameW], BoolWrapper<kGetVolumePathNameW>(&GetVolumePathNameW)},
        {kNames[kDeviceIoControl], BoolWrapper<kDeviceIoControl>(&DeviceIoControl)},
        {kNames[kVirtualAlloc], reinterpret_cast<void*>(&FailingVirtualAlloc)},
        {kNames[kDeleteFileW], BoolWrapper<kDeleteFileW>(&DeleteFileW)},
        {kNames[kGetVolumeInformationByHandleW], reinterpret_cast<void*>(&FailingGetVolumeInformationByHandleW)},
        {"CloseHandle", reinterpret_cast<void*>(&TrackedCloseHandle)},
        {"VirtualFree", reinterpret_cast<void*>(&TrackedVirtualFree)},
        {"SetThreadExecutionState", reinterpret_cast<void*>(&TrackedSetThreadExecutionState)}};
    for (int i = 0; i < kWrappedCount; ++i) PatchImport(kWrappers[i].name, kWrappers[i].wrapper, &g_real[i]);
}

}  // namespace

std::string Describe(const Fault& fault) {
    return std::string(kNames[fault.call]) + " #" + std::to_string(fault.nth) + ": " +
           (fault.pszInstead        ? std::string("another path")
            : fault.error == kShort ? std::string("short")
                                    : std::to_string(fault.error));
}

CArmed::CArmed(Fault fault) {
    Install();
    g_state = State();
    g_state.fault = fault;
    g_state.thread = GetCurrentThreadId();
}

CArmed::~CArmed() { g_state.thread = 0; }

int CArmed::Count(Call call) const { return g_state.counts[call]; }
DWORD CArmed::CreateAccess(int nth) const {
    return nth >= 1 && nth <= static_cast<int>(g_state.createAccess.size()) ? g_state.createAccess[nth - 1] : 0;
}
bool CArmed::FaultHit() const { return g_state.hit; }
int CArmed::OpenHandles() const { return static_cast<int>(g_state.handles.size()); }
int CArmed::LiveAllocations() const { return static_cast<int>(g_state.memory.size()); }
EXECUTION_STATE CArmed::ExecutionState() const { return g_state.executionState; }

}  // namespace failing
