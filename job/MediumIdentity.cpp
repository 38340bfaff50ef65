#include "MediumIdentity.h"

#include <winioctl.h>

// The storage driver counts every change of medium in a drive and answers the
// count of a handle opened with no more than the right to read attributes,
// without spinning the disc up.
BOOL CMediumIdentity::ChangeCount(HANDLE hAttributes, ULONG& nCount) {
    DWORD nReturned = 0;
    if (!DeviceIoControl(hAttributes, IOCTL_STORAGE_CHECK_VERIFY2, nullptr, 0, &nCount, sizeof(nCount), &nReturned,
                         nullptr))
        return FALSE;
    if (nReturned >= sizeof(nCount)) return TRUE;
    SetLastError(ERROR_INVALID_FUNCTION);  // answered, but without the count
    return FALSE;
}

void CMediumIdentity::Note(HANDLE hAttributes, const wchar_t* pszRoot) {
    m_bCount = hAttributes != INVALID_HANDLE_VALUE && ChangeCount(hAttributes, m_nCount);
    m_bSerial = GetVolumeInformationW(pszRoot, nullptr, 0, &m_nSerial, nullptr, nullptr, nullptr, 0) != FALSE;
}

BOOL CMediumIdentity::Confirm(HANDLE hAttributes, HANDLE hVolume) const {
    ULONG nCount = 0;
    if (m_bCount && !ChangeCount(hAttributes, nCount)) return FALSE;
    DWORD nSerial = 0;
    if (m_bSerial && !GetVolumeInformationByHandleW(hVolume, nullptr, 0, &nSerial, nullptr, nullptr, nullptr, 0))
        return FALSE;
    if ((m_bCount && nCount != m_nCount) || (m_bSerial && nSerial != m_nSerial)) {
        SetLastError(ERROR_MEDIA_CHANGED);
        return FALSE;
    }
    return TRUE;
}
