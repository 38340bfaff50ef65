// The worker thread of a run: the run's steps in order. It reaches the main
// dialog only through CRunDialog.
#include "JobWorker.h"

#include <objbase.h>

#include <memory>

#include "DiscJob.h"
#include "ProposedFileName.h"
#include "RunDialog.h"

namespace {

// The calling thread's single-threaded COM apartment, for as long as the object
// lives; left alone when the thread already has another.
class CComApartment {
public:
    CComApartment() : m_bInitialized(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~CComApartment() {
        if (m_bInitialized) CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

private:
    const bool m_bInitialized;
};

// Proposes the disc's volume label as the image's name and asks for the path.
BOOL AskImagePath(const CRunDialog& dialog, const wchar_t* pszRoot, wchar_t* pszPath) {
    GetVolumeInformationW(pszRoot, pszPath, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0);
    // A Joliet or UDF label may hold characters that the Save As dialog
    // would refuse in a name.
    MakeProposedFileName(pszPath);
    // The Save As dialog is the shell's, which needs a single-threaded COM
    // apartment on the thread that shows it. Such an apartment must retrieve
    // its messages, which the worker does only while a dialog is open: the
    // apartment lasts for the question alone and is closed before the run
    // opens the volume.
    const CComApartment apartment;
    return dialog.AskImagePath(pszPath);
}

// The run itself and its report. Nothing is reported beyond what the report
// already says: an exception is dropped, and the dialog is unlocked after it
// as after any run.
void RunAndShowReport(const CRunDialog& dialog, const wchar_t* pszPath, wchar_t chDrive) {
    std::unique_ptr<CDiscJob> pJob;
    try {
        pJob = std::make_unique<CDiscJob>();
        pJob->Run(dialog.GetSafeHwnd(), pszPath, chDrive);
        dialog.ShowReport(pJob->GetShownText());
    } catch (...) {
    }
    // The job goes after its report has been shown, exception or not.
    pJob.reset();
}

}  // namespace

DWORD WINAPI SaveThreadProc(LPVOID pParam) {
    JobWorker(static_cast<HWND>(pParam), TRUE);
    return 0;
}

DWORD WINAPI HashThreadProc(LPVOID pParam) {
    JobWorker(static_cast<HWND>(pParam), FALSE);
    return 0;
}

void JobWorker(HWND hDlg, BOOL bSave) {
    // The title shows the progress during the run; keep the idle one.
    CRunDialog dialog(hDlg);
    dialog.KeepTitle();

    // The worker's own copy of the root: the drive may leave the list while
    // the Save As dialog is open. The image path stays empty for Hashes.
    wchar_t szRoot[8] = {};
    wchar_t szPath[MAX_PATH] = {};
    if (dialog.CopySelectedRoot(szRoot, 8) && (!bSave || AskImagePath(dialog, szRoot, szPath)))
        RunAndShowReport(dialog, szPath, szRoot[0]);
    dialog.Unlock();
}
