#include "DiscJob.h"

#include <winioctl.h>

CDiscJob::CDiscJob()
    : m_hDevice(INVALID_HANDLE_VALUE),
      m_hImage(INVALID_HANDLE_VALUE),
      m_pBuffer(nullptr),
      m_hDlg(nullptr),
      m_hProgress(nullptr),
      m_nVolumeSize(0),
      m_szDevice{},
      m_nProgress(0),
      m_nBlocks(0),
      m_nTitleFormat(0) {}

// A run always ends in Finish, which releases everything it held. Only a run cut
// short by an exception reaches this point with something still open.
CDiscJob::~CDiscJob() { Release(); }

// The medium is unlocked before the volume closes: the lock belongs to the handle.
void CDiscJob::Release() {
    if (m_pBuffer) {
        VirtualFree(m_pBuffer, 0, MEM_RELEASE);
        m_pBuffer = nullptr;
    }
    if (m_hImage != INVALID_HANDLE_VALUE) DiscardImage();
    if (m_hDevice != INVALID_HANDLE_VALUE) {
        LockMedium(FALSE);
        CloseHandle(m_hDevice);
        m_hDevice = INVALID_HANDLE_VALUE;
    }
}

SECURITY_ATTRIBUTES CDiscJob::InheritableAttributes() {
    SECURITY_ATTRIBUTES sa = {};
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = nullptr;
    sa.bInheritHandle = TRUE;
    return sa;
}

void CDiscJob::LockMedium(BOOL bLock) {
    PREVENT_MEDIA_REMOVAL pmr = {};
    pmr.PreventMediaRemoval = bLock ? TRUE : FALSE;
    DWORD nReturned = 0;
    // A drive that refuses the request is read all the same: the result is not examined.
    DeviceIoControl(m_hDevice, IOCTL_STORAGE_MEDIA_REMOVAL, &pmr, 1, nullptr, 0, &nReturned, nullptr);
}
