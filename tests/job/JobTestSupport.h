// Shared helpers of the job tests: the record's steps and fields, a window
// standing in for the main dialog, and the lines of a successful report. The
// files and drives of the test environment are the kit's (TestFiles.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DiscJob.h"
#include "TestFiles.h"

// The tests' one way to a job record's steps and fields, which the record
// keeps to itself.
class CDiscJobTestAccess {
public:
    explicit CDiscJobTestAccess(CDiscJob& job) : m_job(job) {}

    HANDLE Device() const { return m_job.m_hDevice; }
    HANDLE Lock() const { return m_job.m_hLock; }
    HANDLE Image() const { return m_job.m_hImage; }
    const BYTE* Buffer() const { return m_job.m_pBuffer; }
    const wchar_t* DevicePath() const { return m_job.m_szDevice; }
    uint64_t VolumeSize() const { return m_job.m_nVolumeSize; }
    int Blocks() const { return m_job.m_nBlocks; }
    const CString& Caption() const { return m_job.m_strCaption; }
    CString& ImagePath() { return m_job.m_strImagePath; }
    CString& Report() { return m_job.m_strReport; }
    void SetVolumeSize(uint64_t nSize) { m_job.m_nVolumeSize = nSize; }

    BOOL Setup(HWND hDlg, const wchar_t* pszImagePath, wchar_t chDrive) {
        return m_job.Setup(hDlg, pszImagePath, chDrive);
    }
    BOOL Prepare(BOOL bSave) { return m_job.Prepare(bSave); }
    void StartProgress(BOOL bSave) { m_job.StartProgress(bSave); }
    void StepProgress() { m_job.StepProgress(); }
    void AppendSizeLine(uint64_t nSize) { m_job.AppendSizeLine(nSize); }
    void AppendErrorLine() { m_job.AppendErrorLine(); }
    void AppendResultLines(double dSeconds, uint32_t nCrc, const uint8_t* pMd5, const uint8_t* pSha1) {
        m_job.AppendResultLines(dSeconds, nCrc, pMd5, pSha1);
    }
    static CString DigestToHex(const uint8_t* pBytes, size_t nCount) { return CDiscJob::DigestToHex(pBytes, nCount); }
    CString ReportFilePath() const { return m_job.ReportFilePath(); }
    BOOL SaveReport() { return m_job.SaveReport(); }

private:
    CDiscJob& m_job;
};

namespace jobtest {

// A top-level window holding a progress bar (1001) and a status line (1002),
// as the main dialog does. Destroyed with the object.
class CTestDialog {
public:
    CTestDialog();
    ~CTestDialog();
    HWND Hwnd() const { return m_hWnd; }
    std::wstring Title() const;
    std::wstring Status() const;
    int BarPos() const;
    int BarMax() const;
    // Called each time a run sets the title, that is at every step of its
    // progress, while the run goes on: a test acts in the middle of a run.
    void OnTitle(std::function<void()> fn) { m_onTitle = std::move(fn); }

private:
    static LRESULT CALLBACK TitleProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    HWND m_hWnd;
    WNDPROC m_pfnProc;
    std::function<void()> m_onTitle;
};

// True when the virtual drives of tests/tools/drives.sh are set up.
bool DrivesAvailable();
// Number of open handles of this process, or -1 when the system does not say.
long HandleCount();

// The lines of a successful report after the start and disc lines are as a
// run of LETTER should give them (size, optional file, time, three checksums).
void ExpectSuccessLines(const std::vector<std::wstring>& lines, const files::Expectation& e,
                        const std::wstring& sizeText, const std::wstring& imagePath);

}  // namespace jobtest
