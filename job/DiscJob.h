// CDiscJob: the state of one Save or Hashes run, and the operations of the run.
// The engine steps, the progress display and the report are defined in files of
// their own (DiscJobEngine.cpp, DiscJobProgress.cpp, DiscJobReport.cpp).
#pragma once

#include <windows.h>
#include <cstdint>

#include "MediumIdentity.h"
#include "ReadingSpan.h"
#include "String.h"
#include "UniqueResource.h"

class CRunHashes;

class CDiscJob {
public:
    CDiscJob();
    ~CDiscJob();
    CDiscJob(const CDiscJob&) = delete;
    CDiscJob& operator=(const CDiscJob&) = delete;

    // One whole run. A non-empty image path makes it a Save run, a null or empty
    // one a Hashes run. TRUE when the whole run succeeded; the report says how it ended.
    BOOL Run(HWND hDlg, const wchar_t* pszImagePath, wchar_t chDrive);

    const CString& GetReport() const { return m_strReport; }
    // What the result dialog shows: the report, and after it the line that
    // says the report file could not be written, when it could not.
    CString GetShownText() const { return m_strReport + m_strUnsaved; }

private:
    // The tests' one way to the steps and the fields (tests/job).
    friend class CDiscJobTestAccess;

    // Size of the transfer buffer, of every read request and the unit of the block count.
    static constexpr DWORD kBlockSize = 0x100000;
    // Sector of an optical disc: the unit in which a failed or short read is read again.
    static constexpr DWORD kSectorSize = 2048;
    // A Save run's temporary image and its report file are named by the
    // chosen path and these suffixes.
    static constexpr wchar_t kTempSuffix[] = L".partial";
    static constexpr wchar_t kReportSuffix[] = L".log";
    // When the temporary name is taken, CreateImage tries the chosen path with
    // ".1" to this number before ".partial", and then gives up.
    static constexpr int kLastTempNumber = 99;

    // Engine steps, in the order Run calls them.
    // Takes the main dialog and its progress bar, builds the raw volume's path
    // and the drive's root from the letter once, and keeps the image path.
    // TRUE for a Save run (a non-empty image path).
    BOOL Setup(HWND hDlg, const wchar_t* pszImagePath, wchar_t chDrive);
    BOOL Prepare(BOOL bSave);
    // Opens the lock handle and notes the disc in the drive, before anything
    // is read of it.
    void NoteMedium();
    // FALSE, with the error line, when the disc in the drive is no longer the
    // one noted (ERROR_MEDIA_CHANGED) or the drive no longer answers.
    BOOL ConfirmMedium();
    // A Save run's target, checked before the disc is read: FALSE, with the
    // file line and the error line, when the chosen path cannot take the image.
    BOOL CheckTarget();
    // The system's error code for a target that cannot take the image, or ERROR_SUCCESS.
    DWORD TargetError() const;
    BOOL OpenDevice();
    BOOL CreateImage();
    // The temporary image's path at CreateImage's try n (0 to kLastTempNumber).
    CString TempPath(int n) const;
    // The copy loop: block after block until the first short one, then the digests.
    BOOL CopyAndHash();
    // Reads the block at byte nPos of the volume and takes what it read;
    // nBlock receives the count of bytes taken.
    BOOL ReadBlock(CRunHashes& hashes, uint64_t nPos, DWORD& nBlock);
    // After a failed or short read before the file system's end: the rest of
    // the block up to that end, sector by sector; nBlock grows by each sector.
    BOOL RereadBySectors(CRunHashes& hashes, uint64_t nPos, DWORD& nBlock);
    // Bytes of the volume to the three hashes and, in a Save run, to the image.
    BOOL TakeBytes(CRunHashes& hashes, const BYTE* pBytes, DWORD nCount);
    // The digests into the report, and the image sealed and put in its place.
    BOOL FinishDigests(const CRunHashes& hashes, double dSeconds);
    void Finish(BOOL bFailed);
    // Frees the buffer, discards an unfinished image and unlocks and closes the
    // volume, whichever of them the run still holds; Finish and the destructor.
    void Release();
    // Handles of a run (volume, image, report file) are inheritable and carry no
    // security descriptor of their own.
    static SECURITY_ATTRIBUTES InheritableAttributes();
    // Writes all of nCount bytes; a write that stores fewer fails with
    // ERROR_DISK_FULL. The image and the report file share it.
    static BOOL WriteAll(HANDLE hFile, const void* pBytes, DWORD nCount);

    // The image is written under a temporary name beside the chosen path, marked
    // to be deleted when its handle closes (also when the process dies).
    // SealImage makes the complete image durable and keeps it at its close;
    // PlaceImage moves it onto the chosen path, or keeps it under its temporary
    // name when that fails; DiscardImage lets an unfinished one go.
    BOOL SealImage();
    BOOL PlaceImage();
    void DiscardImage();
    BOOL SetDeleteOnClose(BOOL bDelete);

    // Progress display on the dialog's progress bar, status line and title.
    void StartProgress(BOOL bSave);
    void StepProgress();

    // Report text and report file.
    void WriteReportHeader();
    void AppendSizeLine(uint64_t nSize);
    void AppendFileLine();
    // The error line for the thread's last-error code. A report holds one at
    // most: a failure while cleaning up after the first adds nothing.
    void AppendErrorLine();
    void AppendKeptImageLine(const CString& strPath);
    void AppendResultLines(double dSeconds, uint32_t nCrc, const uint8_t* pMd5, const uint8_t* pSha1);
    static CString DigestToHex(const uint8_t* pBytes, size_t nCount);
    CString ReportFilePath() const;
    BOOL SaveReport();
    BOOL DropReportFile(CFileHandle& hFile, BOOL bExisted, const CString& strPath);
    // Sets the line shown after the report for a report file that was not
    // written, with the thread's last-error code.
    void NoteUnsavedReport(const CString& strPath);

    // Asks the drive to keep (TRUE) or release (FALSE) its medium, through the
    // lock handle; the answer is not examined.
    void LockMedium(BOOL bLock);

    CFileHandle m_hDevice;
    // A second handle on the volume, for the medium's attributes alone: it
    // holds the medium's lock, which the drive releases when that handle
    // closes, even when the process dies without unlocking, and the drive
    // answers its count of media changes through it.
    CFileHandle m_hLock;
    CFileHandle m_hImage;
    CMediumIdentity m_medium;  // the disc the run reads, as noted before its header
    CVirtualMemory<BYTE> m_pBuffer;
    HWND m_hDlg;
    HWND m_hProgress;
    uint64_t m_nVolumeSize;
    wchar_t m_szDevice[8];  // the raw volume, "\\.\X:"
    wchar_t m_szRoot[4];    // the drive's root, "X:\"
    CString m_strImagePath;
    CString m_strTempPath;  // the unfinished image while a Save run writes it
    CString m_strCaption;
    CString m_strReport;
    CString m_strUnsaved;  // shown after the report when SaveReport failed; never saved
    int m_nProgress;
    int m_nBlocks;
    UINT m_nTitleFormat;
    BOOL m_bErrorLine;  // the report holds its error line
    CReadingSpan m_reading;
};
