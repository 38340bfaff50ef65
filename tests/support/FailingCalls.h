// Failures of the system's calls on demand, for the Windows suites. Wine
// answers only a few of the errors that Windows documents; these wrappers give
// the others. They take the place of a few functions of kernel32, shell32 and
// user32 in the test executable's import table, which the program's code,
// linked into it, calls through. Unarmed, or on another thread, a wrapper only
// passes the call on.
//
// Armed on a thread, the wrappers count each function's calls, fail the
// planned calls with their error codes (or answer a read or write short: TRUE
// with half the bytes, a read's in whole sectors; or open another path), and
// record every call in order. They keep account of what the calls hand out:
// the handles of CreateFileW until CloseHandle, the memory of VirtualAlloc
// until VirtualFree, the shell's icons until DestroyIcon, the execution state
// last set, and the waits asked for (Sleep), which an armed thread does not
// wait: nothing holds its files. A function whose success leaves the thread's
// last-error code undefined sets a code of its own when it succeeds, as
// Windows may (CreateFileW does not: its success may set ERROR_ALREADY_EXISTS
// by design). A failed CloseHandle has closed the handle all the same.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace failing {

enum Call {
    kCreateFileW,
    kReadFile,
    kWriteFile,
    kSetFilePointerEx,
    kSetEndOfFile,
    kFlushFileBuffers,
    kSetFileInformationByHandle,
    kMoveFileExW,
    kGetDiskFreeSpaceExW,
    kGetVolumeInformationW,
    kGetVolumePathNameW,
    kDeviceIoControl,
    kVirtualAlloc,
    kDeleteFileW,
    kGetVolumeInformationByHandleW,
    kCloseHandle,
    kCreateRemoteThread,
    kCallCount,
    // Only kept account of, never failed.
    kVirtualFree = kCallCount,
    kSetThreadExecutionState,
    kSleep,
    kSHGetFileInfoW,
    kDestroyIcon,
    kWrappedCount
};

// The error code that stands for "answer short" in a planned failure.
constexpr DWORD kShort = 0xFFFFFFFF;
// The last-error code that the wrappers leave on success where Windows
// promises none: no system code has this value.
constexpr DWORD kLeftOnSuccess = 0x20000F1C;

// The nth call (from 1) of one function failed with one error; nth 0 fails
// none. A lasting failure fails every later call of the function too.
// With pszInstead, the planned call is not failed but asked of another drive
// (another disc in the drive): CreateFileW opens that volume, and
// GetVolumeInformationByHandleW answers for that root; error is then the code
// the run must fail with.
struct Fault {
    Call call = kCreateFileW;
    int nth = 0;
    DWORD error = 0;
    const wchar_t* pszInstead = nullptr;
    bool lasting = false;
};

// The wrapped function's name, and a fault as "ReadFile #2: 21".
const char* Name(Call call);
std::string Describe(const Fault& fault);

// One call as the armed thread made it.
struct Traced {
    Call call;
    int nth;            // the function's nth call, from 1
    int file;           // the CreateFileW call (nth) that opened the call's handle, or 0
    DWORD size;         // bytes asked of ReadFile and WriteFile, milliseconds of Sleep
    DWORD error;        // the planned failure's error, kShort, or 0 when it was not failed
                        // (for a call asked of another path: the code the run must fail with)
    std::wstring path;  // the file named by CreateFileW and DeleteFileW, the source of MoveFileExW
};

// Arms the wrappers on the calling thread for the object's life, with up to
// two planned failures.
class CArmed {
public:
    explicit CArmed(Fault fault = Fault(), Fault second = Fault());
    ~CArmed();
    CArmed(const CArmed&) = delete;
    CArmed& operator=(const CArmed&) = delete;

    int Count(Call call) const;
    // The access that the nth CreateFileW call (from 1) asked for.
    DWORD CreateAccess(int nth) const;
    // Whether the first (0) or the second (1) planned failure was met.
    bool FaultHit(int i = 0) const;
    const std::vector<Traced>& Trace() const;
    int OpenHandles() const;
    int LiveAllocations() const;
    // Icons that SHGetFileInfoW handed out and that are not destroyed yet.
    int LiveIcons() const;
    // The last state passed to SetThreadExecutionState, or 0 when none was.
    EXECUTION_STATE ExecutionState() const;
};

}  // namespace failing
