// The engine of one run: the raw volume in 1 MiB blocks through the three hash
// objects and, in a Save run, into the image file.
#include "DiscJob.h"

#include <algorithm>

#include "HashCRC32.h"
#include "HashMD5.h"
#include "HashSHA1.h"
#include "resource.h"

BOOL CDiscJob::Run(HWND hDlg, const wchar_t* pszImagePath, wchar_t chDrive) {
    m_hDlg = hDlg;
    m_hProgress = GetDlgItem(hDlg, IDC_PROGRESS);
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

    // The size is asked of the drive's root: "X:" alone would name the process's
    // current folder on that drive.
    const wchar_t szRoot[4] = {m_szDevice[4], L':', L'\\', 0};
    ULARGE_INTEGER nFree = {}, nTotal = {}, nTotalFree = {};
    if (!GetDiskFreeSpaceExW(szRoot, &nFree, &nTotal, &nTotalFree)) {
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
    m_hDevice = CreateFileW(m_szDevice, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (m_hDevice == INVALID_HANDLE_VALUE) {
        AppendErrorLine();
        return FALSE;
    }
    LockMedium(TRUE);
    return TRUE;
}

BOOL CDiscJob::CreateImage() {
    AppendFileLine();

    // The image is written under a name of its own beside the chosen path, so
    // that the path keeps what it holds until the run has succeeded and the
    // final move is a rename on one volume. CREATE_NEW never takes the name of
    // a file that exists; the next number is tried instead.
    SECURITY_ATTRIBUTES sa = InheritableAttributes();
    for (int n = 0;; ++n) {
        if (n == 0)
            m_strTempPath = m_strImagePath + L".partial";
        else
            m_strTempPath.Format(L"%s.%d.partial", m_strImagePath.GetString(), n);
        m_hImage = CreateFileW(m_strTempPath, GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, &sa, CREATE_NEW,
                               FILE_ATTRIBUTE_ARCHIVE, nullptr);
        if (m_hImage != INVALID_HANDLE_VALUE) break;
        if (GetLastError() != ERROR_FILE_EXISTS || n == 99) {
            AppendErrorLine();
            return FALSE;
        }
    }
    // Whatever ends the run before the image is complete, the process's end
    // included, the unfinished file goes with its handle.
    if (!SetDeleteOnClose(TRUE)) {
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

BOOL CDiscJob::SetDeleteOnClose(BOOL bDelete) {
    FILE_DISPOSITION_INFO info = {};
    info.DeleteFile = bDelete ? TRUE : FALSE;
    return SetFileInformationByHandle(m_hImage, FileDispositionInfo, &info, sizeof(info));
}

BOOL CDiscJob::CopyAndHash() {
    NHash::NCRC::CHashCRC32 crc;
    NHash::NStandart::CHashMD5a md5;
    NHash::NStandart::CHashSHA1 sha1;

    // Bytes of the volume go to the three hashes and, in a Save run, to the image.
    auto take = [&](const BYTE* pBytes, DWORD n) -> BOOL {
        crc.Update(pBytes, n);
        md5.Update(pBytes, n);
        sha1.Update(pBytes, n);
        if (m_hImage == INVALID_HANDLE_VALUE) return TRUE;
        DWORD nWritten = 0;
        if (!WriteFile(m_hImage, pBytes, n, &nWritten, nullptr)) {
            AppendErrorLine();
            return FALSE;
        }
        if (nWritten != n) {
            // A write that stored less than it was given has run out of room,
            // whatever it answered: report it as such rather than as success.
            SetLastError(ERROR_DISK_FULL);
            AppendErrorLine();
            return FALSE;
        }
        return TRUE;
    };

    LARGE_INTEGER nStart, nEnd, nFrequency;
    QueryPerformanceCounter(&nStart);

    uint64_t nPos = 0;  // bytes of the volume taken before this block
    for (;;) {
        DWORD nRead = 0;
        const BOOL bRead = ReadFile(m_hDevice, m_pBuffer, kBlockSize, &nRead, nullptr);
        if (!bRead)
            nRead = 0;  // nothing of a failed read is taken
        else if (!take(m_pBuffer, nRead))
            return FALSE;
        DWORD nBlock = nRead;

        // Before the end of the file system a failed or short read is no end:
        // the rest of the block up to that end is read again sector by sector,
        // so that every readable byte is taken and a fault is found where it
        // is. Past that end a failed read ends the volume like a short one (the
        // run-out blocks that track-at-once recording leaves on a CD-R).
        if ((!bRead || nRead < kBlockSize) && nPos + nRead < m_nVolumeSize) {
            const uint64_t nEndOfRange = std::min<uint64_t>(nPos + kBlockSize, m_nVolumeSize);
            LARGE_INTEGER at;
            at.QuadPart = static_cast<LONGLONG>(nPos + nBlock);
            if (!SetFilePointerEx(m_hDevice, at, nullptr, FILE_BEGIN)) {
                AppendErrorLine();
                return FALSE;
            }
            while (nPos + nBlock < nEndOfRange) {
                DWORD nGot = 0;
                if (!ReadFile(m_hDevice, m_pBuffer + nBlock, std::min(kSectorSize, kBlockSize - nBlock), &nGot,
                              nullptr)) {
                    AppendErrorLine();
                    return FALSE;
                }
                if (nGot == 0) {
                    // The volume ends before its file system does: a truncated disc.
                    SetLastError(ERROR_HANDLE_EOF);
                    AppendErrorLine();
                    return FALSE;
                }
                if (!take(m_pBuffer + nBlock, nGot)) return FALSE;
                nBlock += nGot;
            }
        }

        nPos += nBlock;
        StepProgress();
        if (nBlock != kBlockSize) break;
    }

    QueryPerformanceCounter(&nEnd);
    QueryPerformanceFrequency(&nFrequency);
    const double dSeconds =
        static_cast<double>(nEnd.QuadPart - nStart.QuadPart) / static_cast<double>(nFrequency.QuadPart);

    uint8_t abCrc[4], abMd5[16], abSha1[20];
    crc.Final(abCrc, sizeof(abCrc), 0, 0);
    md5.Final(abMd5, sizeof(abMd5), 0, 0);
    sha1.Final(abSha1, sizeof(abSha1), 0, 0);
    const uint32_t nCrc = static_cast<uint32_t>(abCrc[0]) | static_cast<uint32_t>(abCrc[1]) << 8 |
                          static_cast<uint32_t>(abCrc[2]) << 16 | static_cast<uint32_t>(abCrc[3]) << 24;

    // The image takes its place before the report calls the run a success.
    if (m_hImage != INVALID_HANDLE_VALUE && !CommitImage()) return FALSE;
    AppendResultLines(dSeconds, nCrc, abMd5, abSha1);
    return TRUE;
}

// Every byte on the disk first (a delayed write failure shows here), the file
// cut to the bytes written, kept at its close, and moved onto the chosen path,
// which only now loses what it held. Each step's failure fails the run.
BOOL CDiscJob::CommitImage() {
    if (!FlushFileBuffers(m_hImage) || !SetEndOfFile(m_hImage) || !SetDeleteOnClose(FALSE) ||
        !MoveFileExW(m_strTempPath, m_strImagePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        AppendErrorLine();
        return FALSE;
    }
    const BOOL bClosed = CloseHandle(m_hImage);
    m_hImage = INVALID_HANDLE_VALUE;
    m_strTempPath.Empty();
    if (!bClosed) {
        AppendErrorLine();
        return FALSE;
    }
    return TRUE;
}

// The unfinished image of a failed run: marked again (a failed move may have
// cleared the mark) and closed, which deletes it. Should it be there all the
// same, it is deleted by name, and a failure to do so is reported.
void CDiscJob::DiscardImage() {
    SetDeleteOnClose(TRUE);
    CloseHandle(m_hImage);
    m_hImage = INVALID_HANDLE_VALUE;
    if (GetFileAttributesW(m_strTempPath) != INVALID_FILE_ATTRIBUTES && !DeleteFileW(m_strTempPath)) AppendErrorLine();
    m_strTempPath.Empty();
}

// A successful run has already moved and closed its image (CommitImage); an
// image still open here belongs to a failed run and is discarded.
void CDiscJob::Finish(BOOL /*bFailed*/) {
    Release();
    SaveReport();
}
