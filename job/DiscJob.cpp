#include "DiscJob.h"

#include <winioctl.h>

CDiscJob::CDiscJob()
    : m_hDlg(nullptr),
      m_hProgress(nullptr),
      m_nVolumeSize(0),
      m_szDevice{},
      m_szRoot{},
      m_nProgress(0),
      m_nBlocks(0),
      m_nTitleFormat(0),
      m_bErrorLine(FALSE) {}

// A run always ends in Finish, which releases everything it held. Only a run cut
// short by an exception reaches this point with something still open.
CDiscJob::~CDiscJob() { Release(); }

// An image still open is an unfinished one and goes; the medium is unlocked,
// and its lock handle closed, before the volume closes.
void CDiscJob::Release() {
    m_pBuffer.Reset();
    if (m_hImage.IsValid()) DiscardImage();
    if (m_hLock.IsValid()) LockMedium(FALSE);
    m_hLock.Reset();
    m_hDevice.Reset();
}

SECURITY_ATTRIBUTES CDiscJob::InheritableAttributes() {
    SECURITY_ATTRIBUTES sa = {};
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = nullptr;
    sa.bInheritHandle = TRUE;
    return sa;
}

BOOL CDiscJob::WriteAll(HANDLE hFile, const void* pBytes, DWORD nCount) {
    DWORD nWritten = 0;
    if (!WriteFile(hFile, pBytes, nCount, &nWritten, nullptr)) return FALSE;
    if (nWritten == nCount) return TRUE;
    // A write that stored less than it was given has run out of room, whatever
    // it answered: it counts as such rather than as success.
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// The ejection control lock is kept by the drive's class driver for the
// handle that took it, and let go when that handle closes: a run that dies
// without its unlock (ended from Task Manager, cut off at logoff, crashed)
// leaves no drive locked until the next reboot, as a device-wide media
// removal lock would.
void CDiscJob::LockMedium(BOOL bLock) {
    BOOLEAN bPrevent = bLock ? TRUE : FALSE;
    DWORD nReturned = 0;
    // A drive that refuses the request is read all the same: the result is not examined.
    DeviceIoControl(m_hLock, IOCTL_STORAGE_EJECTION_CONTROL, &bPrevent, sizeof(bPrevent), nullptr, 0, &nReturned,
                    nullptr);
}
