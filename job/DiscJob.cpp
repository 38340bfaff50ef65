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
// short by an exception reaches this point with something still open: the buffer
// is freed, the unfinished image discarded (pre-sized, it would pass for a whole
// image), and the medium unlocked before the volume closes.
CDiscJob::~CDiscJob() {
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

void CDiscJob::LockMedium(BOOL bLock) {
    PREVENT_MEDIA_REMOVAL pmr = {};
    pmr.PreventMediaRemoval = bLock ? TRUE : FALSE;
    DWORD nReturned = 0;
    // A drive that refuses the request is read all the same: the result is not examined.
    DeviceIoControl(m_hDevice, IOCTL_STORAGE_MEDIA_REMOVAL, &pmr, 1, nullptr, 0, &nReturned, nullptr);
}
