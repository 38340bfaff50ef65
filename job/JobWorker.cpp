// The worker thread of a run. It is the one file of job/ that meets the user
// interface of app/: it shows the run's report in app/'s result dialog. The
// drive list's records stay in app/: the worker asks the dialog for the
// selected root by message and never reads a record.
#include "JobWorker.h"

#include <commctrl.h>
#include <objbase.h>

#include <memory>
#include <vector>

#include "DiscJob.h"
#include "FileDialog.h"
#include "ProposedFileName.h"
#include "ResultDialog.h"
#include "RunInProgress.h"
#include "SelectedRootMessage.h"
#include "String.h"
#include "resource.h"

namespace {

// The buttons a run locks, in the order it disables and enables them:
// "Сохранить", "Выход", "Хэши", "Обновить".
const int kRunButtons[] = {IDOK, IDCANCEL, IDC_HASHES, IDC_REFRESH};

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

// Copies the selected drive's root path ("D:\") from the dialog, which reads
// the selection and its item's record in one step on its own thread. FALSE
// when nothing is selected or the item has no record.
BOOL CopySelectedRoot(HWND hDlg, wchar_t* pszRoot, int cchRoot) {
    return SendMessageW(hDlg, g_uCopySelectedRootMsg, static_cast<WPARAM>(cchRoot),
                        reinterpret_cast<LPARAM>(pszRoot)) == TRUE;
}

}  // namespace

void EnableRunButtons(HWND hDlg, BOOL bEnable) {
    for (int id : kRunButtons) EnableWindow(GetDlgItem(hDlg, id), bEnable);
}

DWORD WINAPI SaveThreadProc(LPVOID pParam) {
    JobWorker(static_cast<HWND>(pParam), TRUE);
    return 0;
}

DWORD WINAPI HashThreadProc(LPVOID pParam) {
    JobWorker(static_cast<HWND>(pParam), FALSE);
    return 0;
}

void JobWorker(HWND hDlg, BOOL bSave) {
    // The Save As dialog is the shell's, which needs a single-threaded COM
    // apartment on the thread that shows it; it lasts until after the report.
    const CComApartment apartment;
    // The press has locked the buttons already; marking and disabling again is
    // harmless and keeps the worker whole on its own.
    MarkRunInProgress(hDlg);
    EnableRunButtons(hDlg, FALSE);

    // The title shows the progress during the run; keep the idle one.
    const int nTitle = GetWindowTextLengthW(hDlg);
    std::vector<wchar_t> title(static_cast<size_t>(nTitle) + 1);
    GetWindowTextW(hDlg, title.data(), nTitle + 1);
    const CString strTitle(title.data());

    wchar_t szRoot[8] = {};
    if (CopySelectedRoot(hDlg, szRoot, 8)) {
        // Proposed name in, chosen image path out; stays empty for Hashes.
        wchar_t szPath[MAX_PATH];
        ZeroMemory(szPath, sizeof(szPath));

        BOOL bGo = TRUE;
        if (bSave) {
            GetVolumeInformationW(szRoot, szPath, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0);
            // A Joliet or UDF label may hold characters that the Save As
            // dialog would refuse in a name.
            MakeProposedFileName(szPath);
            bGo = AskImagePath(hDlg, szPath);
        }

        if (bGo) {
            std::unique_ptr<CDiscJob> pJob;
            try {
                pJob = std::make_unique<CDiscJob>();
                pJob->Run(hDlg, szPath, szRoot[0]);
                // The report, modal to the main dialog, on this thread.
                CResultDialog dlgResult(CWnd::FromHandle(hDlg), pJob->GetShownText());
                dlgResult.DoModal();
            } catch (...) {
                // Nothing to report beyond what the report already says; the
                // dialog is restored below as after any run.
            }
            // The job goes after its report has been shown, exception or not.
            pJob.reset();
        }
    }

    // Back to idle: title, then the four buttons, all enabled, and only
    // then the mark, so that no new run starts while this one still holds them.
    SetWindowTextW(hDlg, strTitle);
    EnableRunButtons(hDlg, TRUE);
    ClearRunInProgress(hDlg);
}

BOOL AskImagePath(HWND hOwner, wchar_t* pszPath) {
    // OFN_NOCHANGEDIR: the chosen folder must not become the process's current
    // folder, which would hold it open (a USB stick could not be removed).
    CFileDialog dlg(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR, nullptr, nullptr,
                    0, TRUE);
    OPENFILENAMEW& ofn = dlg.GetOFN();
    ofn.hwndOwner = hOwner;
    ofn.lpstrFile = pszPath;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrFilter = L"Файл образа CD/DVD (*.iso)\0*.iso\0";
    ofn.lpstrDefExt = L"iso";
    return dlg.DoModal() == IDOK;
}
