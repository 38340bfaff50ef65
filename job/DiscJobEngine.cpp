// The engine of one run: the raw volume in 1 MiB blocks through the three hash
// objects and, in a Save run, into the image file.
#include "DiscJob.h"

#include <algorithm>

#include "RunHashes.h"
#include "resource.h"

namespace {

// The seconds since nStart, by the performance counter.
double SecondsSince(const LARGE_INTEGER& nStart) {
    LARGE_INTEGER nEnd, nFrequency;
    QueryPerformanceCounter(&nEnd);
    QueryPerformanceFrequency(&nFrequency);
    return static_cast<double>(nEnd.QuadPart - nStart.QuadPart) / static_cast<double>(nFrequency.QuadPart);
}

// What a drive answers for a run-out block, the unreadable sectors that
// track-at-once recording leaves on a CD-R after its file system: a data error
// or a sector that cannot be found or read, or a request past what the drive
// holds. A drive that is gone, not ready or holds another disc answers
// otherwise (21, 55, 1006, 1110, 1167, 1617, 34 ...): that is no end of the disc,
// and the run fails with it rather than succeed with a tail cut short. Any
// answer not named here fails the run too.
bool IsRunOutAnswer(DWORD nError) {
    switch (nError) {
    case ERROR_INVALID_FUNCTION:
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_READ_FAULT:
    case ERROR_HANDLE_EOF:
    case ERROR_INVALID_PARAMETER:
    case ERROR_IO_DEVICE: return true;
    default: return false;
    }
}

}  // namespace

BOOL CDiscJob::Run(HWND hDlg, const wchar_t* pszImagePath, wchar_t chDrive) {
    const BOOL bSave = Setup(hDlg, pszImagePath, chDrive);
    if (Prepare(bSave) && CopyAndHash()) {
        Finish(FALSE);
        return TRUE;
    }
    Finish(TRUE);
    return FALSE;
}

BOOL CDiscJob::Setup(HWND hDlg, const wchar_t* pszImagePath, wchar_t chDrive) {
    m_hDlg = hDlg;
    m_hProgress = GetDlgItem(hDlg, IDC_PROGRESS);
    wsprintfW(m_szDevice, L"\\\\.\\%c:", chDrive);
    wsprintfW(m_szRoot, L"%c:\\", chDrive);
    if (!pszImagePath || !pszImagePath[0]) return FALSE;
    m_strImagePath = pszImagePath;
    return TRUE;
}

BOOL CDiscJob::Prepare(BOOL bSave) {
    NoteMedium();
    WriteReportHeader();

    // The size is asked of the drive's root: "X:" alone would name the process's
    // current folder on that drive.
    ULARGE_INTEGER nFree = {}, nTotal = {}, nTotalFree = {};
    if (!GetDiskFreeSpaceExW(m_szRoot, &nFree, &nTotal, &nTotalFree)) {
        AppendErrorLine();
        return FALSE;
    }
    m_nVolumeSize = nTotal.QuadPart;
    AppendSizeLine(m_nVolumeSize);
    if (m_nVolumeSize == 0) return FALSE;

    if (bSave && !CheckTarget()) return FALSE;
    if (!OpenDevice()) return FALSE;
    if (bSave && !CreateImage()) return FALSE;

    StartProgress(bSave);

    m_pBuffer.Reset(static_cast<BYTE*>(VirtualAlloc(nullptr, kBlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)));
    if (!m_pBuffer.IsValid()) {
        AppendErrorLine();
        return FALSE;
    }
    return TRUE;
}

void CDiscJob::NoteMedium() {
    // The lock takes a handle of its own, opened with no more than the right
    // to read the volume's attributes, as the ejection control and the count
    // of media changes ask; it is not inheritable, so that no other process
    // can keep the lock alive. Without it the run goes on, unlocked.
    m_hLock.Reset(CreateFileW(m_szDevice, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    m_medium.Note(m_hLock, m_szRoot);
}

BOOL CDiscJob::ConfirmMedium() {
    if (m_medium.Confirm(m_hLock, m_hDevice)) return TRUE;
    AppendErrorLine();
    return FALSE;
}

// The disc is confirmed once its volume is open and locked in the drive: from
// here on it is the one whose label and size the report gives, or the run ends.
BOOL CDiscJob::OpenDevice() {
    SECURITY_ATTRIBUTES sa = InheritableAttributes();
    m_hDevice.Reset(CreateFileW(m_szDevice, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!m_hDevice.IsValid()) {
        AppendErrorLine();
        return FALSE;
    }
    m_reading.Begin(m_hDlg);
    if (m_hLock.IsValid()) LockMedium(TRUE);
    return ConfirmMedium();
}

namespace {

// A virus scanner or an indexer opens a file for a moment once it has been
// written; an open or a move meanwhile fails with "access denied" or "sharing
// violation". Such a call is tried this often, this many milliseconds apart:
// about a second.
const int kHeldTries = 5;
const DWORD kHeldRetryWait = 250;

// Calls fTry until it succeeds, or fails otherwise than a file held by another
// program does, or has been tried kHeldTries times. On failure the thread's
// last-error code is the last try's.
template <class F>
BOOL TryWhileHeld(F fTry) {
    for (int nTry = 1;; ++nTry) {
        if (fTry()) return TRUE;
        const DWORD nError = GetLastError();
        if (nTry == kHeldTries || (nError != ERROR_ACCESS_DENIED && nError != ERROR_SHARING_VIOLATION)) return FALSE;
        Sleep(kHeldRetryWait);
    }
}

// FAT keeps a file's size in 32 bits.
const uint64_t kFatFileLimit = 0xFFFFFFFFull;

// Whether the volume that holds pszPath has a FAT file system (FAT12/16 or FAT32).
bool IsOnFatVolume(const wchar_t* pszPath) {
    wchar_t szVolume[MAX_PATH] = {}, szFileSystem[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(pszPath, szVolume, MAX_PATH)) return false;
    if (!GetVolumeInformationW(szVolume, nullptr, 0, nullptr, nullptr, nullptr, szFileSystem, MAX_PATH + 1))
        return false;
    return lstrcmpiW(szFileSystem, L"FAT") == 0 || lstrcmpiW(szFileSystem, L"FAT32") == 0;
}

}  // namespace

// Everything that would make the image's final move fail, or its writing run
// out on a target with room, is found here, before a whole disc is read for
// nothing. Windows enforces a read-only file where Wine may not; the check
// does not rely on either.
DWORD CDiscJob::TargetError() const {
    // The longest names the run can make: the last temporary name that
    // CreateImage may try, and the report file beside the image.
    const int nLongest = std::max(TempPath(kLastTempNumber).GetLength(), ReportFilePath().GetLength());
    if (nLongest >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
    const DWORD nAttributes = GetFileAttributesW(m_strImagePath);
    if (nAttributes != INVALID_FILE_ATTRIBUTES) {
        if (nAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
        // The move replaces the file through a delete, which fails while any
        // other program has it open, even one that shares delete (a viewer, a
        // virus scanner). This open shares nothing, so it fails against every
        // other handle of the file opened to read, write, execute or delete
        // it, whatever that handle shares, and it waits like the move for one
        // held a moment. It does not see a handle opened only to read the
        // file's attributes, which takes no part in sharing, nor a view of the
        // file mapped by a program that has closed its handle: against those
        // the final move fails, and the complete image is kept under its
        // temporary name, which the report gives.
        const BOOL bFree = TryWhileHeld([this] {
            const CFileHandle hFile(CreateFileW(m_strImagePath, DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            return hFile.IsValid();
        });
        if (!bFree) return GetLastError();
    }
    if (m_nVolumeSize > kFatFileLimit && IsOnFatVolume(m_strImagePath)) return ERROR_FILE_TOO_LARGE;
    return ERROR_SUCCESS;
}

BOOL CDiscJob::CheckTarget() {
    const DWORD nError = TargetError();
    if (nError == ERROR_SUCCESS) return TRUE;
    AppendFileLine();
    SetLastError(nError);
    AppendErrorLine();
    return FALSE;
}

BOOL CDiscJob::CreateImage() {
    AppendFileLine();

    // The image is written under a name of its own beside the chosen path, so
    // that the path keeps what it holds until the run has succeeded and the
    // final move is a rename on one volume. CREATE_NEW never takes the name of
    // a file that exists; the next number is tried instead.
    SECURITY_ATTRIBUTES sa = InheritableAttributes();
    for (int n = 0;; ++n) {
        m_strTempPath = TempPath(n);
        m_hImage.Reset(CreateFileW(m_strTempPath, GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, &sa, CREATE_NEW,
                                   FILE_ATTRIBUTE_ARCHIVE, nullptr));
        if (m_hImage.IsValid()) break;
        if (GetLastError() != ERROR_FILE_EXISTS || n == kLastTempNumber) {
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
    // room fails here or at the first write that no longer fits. Should the
    // move fail, the file is cut where it stands and grows as it is written.
    LONG nHigh = static_cast<LONG>(m_nVolumeSize >> 32);
    SetFilePointer(m_hImage, static_cast<LONG>(m_nVolumeSize & 0xFFFFFFFFu), &nHigh, FILE_BEGIN);
    if (!SetEndOfFile(m_hImage)) {
        AppendErrorLine();
        return FALSE;
    }
    // Checked: unmoved, every write would land after the pre-sized length and a wrong image pass as good.
    const LARGE_INTEGER nStart = {};
    if (!SetFilePointerEx(m_hImage, nStart, nullptr, FILE_BEGIN)) {
        AppendErrorLine();
        return FALSE;
    }
    return TRUE;
}

CString CDiscJob::TempPath(int n) const {
    if (n == 0) return m_strImagePath + kTempSuffix;
    CString strPath;
    strPath.Format(L"%s.%d%s", m_strImagePath.GetString(), n, kTempSuffix);
    return strPath;
}

BOOL CDiscJob::SetDeleteOnClose(BOOL bDelete) {
    FILE_DISPOSITION_INFO info = {};
    info.DeleteFile = bDelete ? TRUE : FALSE;
    return SetFileInformationByHandle(m_hImage, FileDispositionInfo, &info, sizeof(info));
}

BOOL CDiscJob::CopyAndHash() {
    CRunHashes hashes;
    LARGE_INTEGER nStart;
    QueryPerformanceCounter(&nStart);
    uint64_t nPos = 0;  // bytes of the volume taken before this block
    DWORD nBlock = 0;
    do {
        if (!ReadBlock(hashes, nPos, nBlock)) return FALSE;
        nPos += nBlock;
        StepProgress();
    } while (nBlock == kBlockSize);  // the first short block is the last
    const double dSeconds = SecondsSince(nStart);
    return ConfirmMedium() && FinishDigests(hashes, dSeconds);
}

BOOL CDiscJob::ReadBlock(CRunHashes& hashes, uint64_t nPos, DWORD& nBlock) {
    DWORD nRead = 0;
    const BOOL bRead = ReadFile(m_hDevice, m_pBuffer.Get(), kBlockSize, &nRead, nullptr);
    if (!bRead && GetLastError() == ERROR_MEDIA_CHANGED) {
        // Another disc may be in the drive now: reading on would join two
        // discs in one image.
        AppendErrorLine();
        return FALSE;
    }
    const DWORD nError = bRead ? ERROR_SUCCESS : GetLastError();
    if (!bRead)
        nRead = 0;  // nothing of a failed read is taken
    else if (!TakeBytes(hashes, m_pBuffer.Get(), nRead))
        return FALSE;
    nBlock = nRead;
    if (nRead == kBlockSize) return TRUE;
    // Before the end of the file system a failed or short read is no end.
    if (nPos + nRead < m_nVolumeSize) return RereadBySectors(hashes, nPos, nBlock);
    // Past that end a short read ends the volume, and so does a read that
    // fails as a run-out block does.
    if (bRead || IsRunOutAnswer(nError)) return TRUE;
    SetLastError(nError);
    AppendErrorLine();
    return FALSE;
}

// The rest of the block up to the file system's end is read again sector by
// sector, so that every readable byte is taken and a fault is found where it is.
BOOL CDiscJob::RereadBySectors(CRunHashes& hashes, uint64_t nPos, DWORD& nBlock) {
    const uint64_t nEndOfRange = std::min<uint64_t>(nPos + kBlockSize, m_nVolumeSize);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(nPos + nBlock);
    if (!SetFilePointerEx(m_hDevice, at, nullptr, FILE_BEGIN)) {
        AppendErrorLine();
        return FALSE;
    }
    while (nPos + nBlock < nEndOfRange) {
        DWORD nGot = 0;
        if (!ReadFile(m_hDevice, m_pBuffer.Get() + nBlock, std::min(kSectorSize, kBlockSize - nBlock), &nGot,
                      nullptr)) {
            // A drive asked for a sector past its capacity answers "invalid
            // parameter" or "sector not found": inside the file system that
            // too is a disc shorter than its file system.
            const DWORD nError = GetLastError();
            if (nError == ERROR_INVALID_PARAMETER || nError == ERROR_SECTOR_NOT_FOUND) SetLastError(ERROR_HANDLE_EOF);
            AppendErrorLine();
            return FALSE;
        }
        if (nGot == 0) {
            // The volume ends before its file system does: a truncated disc.
            SetLastError(ERROR_HANDLE_EOF);
            AppendErrorLine();
            return FALSE;
        }
        if (!TakeBytes(hashes, m_pBuffer.Get() + nBlock, nGot)) return FALSE;
        nBlock += nGot;
    }
    return TRUE;
}

// Bytes of the volume go to the three hashes and, in a Save run, to the image.
BOOL CDiscJob::TakeBytes(CRunHashes& hashes, const BYTE* pBytes, DWORD nCount) {
    hashes.Update(pBytes, nCount);
    if (!m_hImage.IsValid() || WriteAll(m_hImage, pBytes, nCount)) return TRUE;
    AppendErrorLine();
    return FALSE;
}

BOOL CDiscJob::FinishDigests(const CRunHashes& hashes, double dSeconds) {
    uint32_t nCrc = 0;
    uint8_t abMd5[16], abSha1[20];
    hashes.Final(nCrc, abMd5, abSha1);
    // The checksums describe the image once it is complete on the disk; the
    // run succeeds only when the image has taken its place.
    if (m_hImage.IsValid() && !SealImage()) return FALSE;
    AppendResultLines(dSeconds, nCrc, abMd5, abSha1);
    return !m_hImage.IsValid() || PlaceImage();
}

// Every byte on the disk first (a delayed write failure shows here), the file
// cut to the bytes written, and kept at its close: from here on the image is
// complete and stays, whatever becomes of its move. A failure before that
// fails the run and the unfinished image goes.
BOOL CDiscJob::SealImage() {
    if (!FlushFileBuffers(m_hImage) || !SetEndOfFile(m_hImage) || !SetDeleteOnClose(FALSE)) {
        AppendErrorLine();
        return FALSE;
    }
    return TRUE;
}

namespace {

// MoveFileExW of the complete image onto the chosen path, tried again while
// another program holds one of them.
BOOL MoveIntoPlace(const wchar_t* pszFrom, const wchar_t* pszTo) {
    return TryWhileHeld(
        [=] { return MoveFileExW(pszFrom, pszTo, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH); });
}

}  // namespace

// The complete image moves onto the chosen path, which only now loses what it
// held. When the move fails (a folder has taken the path, another program
// holds the file for longer than a moment), the image stays under its
// temporary name and the report says where, right before the move's error: a
// whole disc's reading is not thrown away.
BOOL CDiscJob::PlaceImage() {
    if (!MoveIntoPlace(m_strTempPath, m_strImagePath)) {
        const DWORD nError = GetLastError();
        m_hImage.Reset();
        AppendKeptImageLine(m_strTempPath);
        m_strTempPath.Empty();
        SetLastError(nError);
        AppendErrorLine();
        return FALSE;
    }
    const BOOL bClosed = m_hImage.Reset();
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
    m_hImage.Reset();
    if (GetFileAttributesW(m_strTempPath) != INVALID_FILE_ATTRIBUTES && !DeleteFileW(m_strTempPath)) AppendErrorLine();
    m_strTempPath.Empty();
}

// A run that got as far as the image's move has closed it (PlaceImage); an
// image still open here belongs to a failed run and is discarded. The failed
// flag cannot make that choice: a run that fails once its image is complete
// (its move or its close failed) keeps the image, under its temporary name when
// the move failed, and a run that succeeded holds no image any more, so the
// open handle alone tells an unfinished image. The run stops reading once its
// report is saved.
void CDiscJob::Finish(BOOL /*bFailed*/) {
    Release();
    SaveReport();
    m_reading.End();
}
