// Failures of the system's calls on demand, for the job tests. Wine answers
// only a few of the errors that Windows documents; these wrappers give the
// others. They take the place of a few kernel32 functions in this test
// executable's import table, which the program's code, linked into it, calls
// through. Unarmed, or on another thread, a wrapper only passes the call on.
//
// Armed on a thread, the wrappers count each function's calls, fail the one
// planned call with its error code (or answer a read or write short: TRUE with
// half the bytes, or open another path), and keep account of what the calls hand out: the handles
// of CreateFileW until CloseHandle, the memory of VirtualAlloc until
// VirtualFree, and the execution state last set.
#pragma once

#include <windows.h>

#include <string>

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
    kCallCount
};

// The error code that stands for "answer short" in a planned failure.
constexpr DWORD kShort = 0xFFFFFFFF;

// The nth call (from 1) of one function, failed with one error; nth 0 fails none.
// With pszInstead, the planned call is not failed but asked of another drive
// (another disc in the drive): CreateFileW opens that volume, and
// GetVolumeInformationByHandleW answers for that root; error is then the code
// the run must fail with.
struct Fault {
    Call call = kCreateFileW;
    int nth = 0;
    DWORD error = 0;
    const wchar_t* pszInstead = nullptr;
};

std::string Describe(const Fault& fault);

// Arms the wrappers on the calling thread for the object's life.
class CArmed {
public:
    explicit CArmed(Fault fault = Fault());
    ~CArmed();
    CArmed(const CArmed&) = delete;
    CArmed& operator=(const CArmed&) = delete;

    int Count(Call call) const;
    // The access that the nth CreateFileW call (from 1) asked for.
    DWORD CreateAccess(int nth) const;
    bool FaultHit() const;
    int OpenHandles() const;
    int LiveAllocations() const;
    // The last state passed to SetThreadExecutionState, or 0 when none was.
    EXECUTION_STATE ExecutionState() const;
};

}  // namespace failing
