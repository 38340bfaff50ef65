// The engine of one run: the raw volume in 1 MiB blocks through the three hash
// objects and, in a Save run, into the image file.
#include "DiscJob.h"

#include "HashCRC32.h"
#include "HashMD5.h"
#include "HashSHA1.h"

namespace {

// Handles of a run (volume, image, report file) are inheritable and carry no
// security descriptor of their own.
SECURITY_ATTRIBUTES InheritableAttributes() {
    SECURITY_ATTRIBUTES sa = {};
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = nullptr;
    sa.bInheritHandle = TRUE;
    return sa;
}

}  // namespace

BOOL CDiscJob::Run(HWND hDlg, const wchar_t* pszImagePath, wchar_t chDrive) {
    m_hDlg = hDlg;
    m_hProgress = GetDlgItem(hDlg, 1001);
    wsprintfW(m_szDevice, L"\\\\.\\%c:", chDrive);

    BOOL bSave = FALSE;
    if (pszImagePath && pszImagePath[0]) {
        m_strImagePath = pszImagePath;
        bSave = TRUE;
    }

    if (Prepare(bSave) && CopyAndHash()) {
        Finish(FALSE);
        return TRUE;
    }
    Finish(TRUE);
    return FALSE;
}

BOOL CDiscJob::Prepare(BOOL bSave) {
    WriteReportHeader();

    // The drive path is the letter and the colon at the end of the raw volume path.
    ULARGE_INTEGER nFree = {}, nTotal = {}, nTotalFree = {};
    if (!GetDiskFreeSpaceExW(m_szDevice + 4, &nFree, &nTotal, &nTotalFree)) {
        AppendErrorLine();
        return FALSE;
    }
    m_nVolumeSize = nTotal.QuadPart;
    AppendSizeLine(m_nVolumeSize);
    if (m_nVolumeSize == 0) return FALSE;

    if (!OpenDevice()) return FALSE;
    if (bSave && !CreateImage()) return FALSE;

    StartProgress(bSave);

    m_pBuffer = static_cast<BYTE*>(VirtualAlloc(nullptr, kBlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!m_pBuffer) {
        AppendErrorLine();
        return FALSE;
    }
    return TRUE;
}

BOOL CDiscJob::OpenDevice() {
    SECURITY_ATTRIBUTES sa = InheritableAttributes();
    m_hDevice = CreateFileW(m_szDevice, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (m_hDevice == INVALID_HANDLE_VALUE) {
        AppendErrorLine();
        return FALSE;
    }
    LockMedium(TRUE);
    return TRUE;
}

BOOL CDiscJob::CreateImage() {
    AppendFileLine();

    SECURITY_ATTRIBUTES sa = InheritableAttributes();
    m_hImage = CreateFileW(m_strImagePath, GENERIC_WRITE, 0, &sa, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (m_hImage == INVALID_HANDLE_VALUE) {
        AppendErrorLine();
        return FALSE;
    }

    // Give the image its full length before the first read: a target without
    // room fails here or at the first write that no longer fits.
    LONG nHigh = static_cast<LONG>(m_nVolumeSize >> 32);
    SetFilePointer(m_hImage, static_cast<LONG>(m_nVolumeSize & 0xFFFFFFFFu), &nHigh, FILE_BEGIN);
    if (!SetEndOfFile(m_hImage)) {
        AppendErrorLine();
        return FALSE;
    }
    SetFilePointer(m_hImage, 0, nullptr, FILE_BEGIN);
    return TRUE;
}

BOOL CDiscJob::CopyAndHash() {
    NHash::NCRC::CHashCRC32 crc;
    NHash::NStandart::CHashMD5a md5;
    NHash::NStandart::CHashSHA1 sha1;

    LARGE_INTEGER nStart, nEnd, nFrequency;
    QueryPerformanceCounter(&nStart);

    for (;;) {
        DWORD nRead = 0;
        if (!ReadFile(m_hDevice, m_pBuffer, kBlockSize, &nRead, nullptr)) {
            AppendErrorLine();
            return FALSE;
        }
        crc.Update(m_pBuffer, nRead);
        md5.Update(m_pBuffer, nRead);
        sha1.Update(m_pBuffer, nRead);

        if (m_hImage != INVALID_HANDLE_VALUE) {
            DWORD nWritten = 0;
            if (!WriteFile(m_hImage, m_pBuffer, nRead, &nWritten, nullptr)) {
                AppendErrorLine();
                return FALSE;
            }
            if (nWritten != nRead) {
                // A write that stored less than it was given has run out of room,
                // whatever it answered: report it as such rather than as success.
                SetLastError(ERROR_DISK_FULL);
                AppendErrorLine();
                return FALSE;
            }
        }

        StepProgress();
        if (nRead != kBlockSize) break;
    }

    QueryPerformanceCounter(&nEnd);
    QueryPerformanceFrequency(&nFrequency);
    const double dSeconds = static_cast<double>(nEnd.QuadPart - nStart.QuadPart) /
                            static_cast<double>(nFrequency.QuadPart);

    uint8_t abCrc[4], abMd5[16], abSha1[20];
    crc.Final(abCrc, sizeof(abCrc), 0, 0);
    md5.Final(abMd5, sizeof(abMd5), 0, 0);
    sha1.Final(abSha1, sizeof(abSha1), 0, 0);
    const uint32_t nCrc = static_cast<uint32_t>(abCrc[0]) | static_cast<uint32_t>(abCrc[1]) << 8 |
                          static_cast<uint32_t>(abCrc[2]) << 16 | static_cast<uint32_t>(abCrc[3]) << 24;

    AppendResultLines(dSeconds, nCrc, abMd5, abSha1);
    return TRUE;
}

void CDiscJob::Finish(BOOL bFailed) {
    if (m_pBuffer) {
        VirtualFree(m_pBuffer, 0, MEM_RELEASE);
        m_pBuffer = nullptr;
    }
    if (m_hImage != INVALID_HANDLE_VALUE) {
        // Cut the pre-sized file just behind the last byte written.
        SetEndOfFile(m_hImage);
        CloseHandle(m_hImage);
        m_hImage = INVALID_HANDLE_VALUE;
        if (bFailed) DeleteFileW(m_strImagePath);
    }
    if (m_hDevice != INVALID_HANDLE_VALUE) {
        LockMedium(FALSE);
        CloseHandle(m_hDevice);
        m_hDevice = INVALID_HANDLE_VALUE;
    }
    SaveReport();
}
