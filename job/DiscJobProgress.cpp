// The progress display of a run: the dialog's bar (1001), status line (1002) and title.
#include "DiscJob.h"

#include <commctrl.h>

#include "resource.h"

namespace {

// Shows the current percentage in the status line and the dialog's title.
void ShowProgress(HWND hDlg, const CString& strCaption, UINT nTitleFormat, double dPercent) {
    CString strStatus;
    strStatus.Format(IDS_PROGRESS_STATUS, strCaption.GetString(), dPercent);
    SetDlgItemTextW(hDlg, IDC_STATUS, strStatus);
    CString strTitle;
    strTitle.Format(nTitleFormat, dPercent);
    SetWindowTextW(hDlg, strTitle);
}

}  // namespace

void CDiscJob::StartProgress(BOOL bSave) {
    m_nBlocks =
        static_cast<int>(static_cast<uint32_t>(m_nVolumeSize / kBlockSize)) + ((m_nVolumeSize % kBlockSize) ? 1 : 0);
    m_nProgress = 0;

    SendMessageW(m_hProgress, PBM_SETRANGE32, 0, m_nBlocks);
    SendMessageW(m_hProgress, PBM_SETPOS, 0, 0);
    SendMessageW(m_hProgress, PBM_SETSTEP, 1, 0);

    if (bSave) {
        m_strCaption.Format(L"\"%s\"", m_strImagePath.AfterLast(L'\\').GetString());
        m_nTitleFormat = IDS_TITLE_SAVE;
    } else {
        m_strCaption.LoadString(IDS_CAPTION_HASH);
        m_nTitleFormat = IDS_TITLE_HASH;
    }
    ShowProgress(m_hDlg, m_strCaption, m_nTitleFormat, 0.0);
}

void CDiscJob::StepProgress() {
    // The display is held at the block count: a volume that is an exact multiple
    // of 1 MiB ends with one more, empty read, which must not carry the display
    // beyond 100 % or the bar past its maximum.
    if (m_nProgress / 100 < m_nBlocks) {
        SendMessageW(m_hProgress, PBM_STEPIT, 0, 0);
        m_nProgress += 100;
    }
    ShowProgress(m_hDlg, m_strCaption, m_nTitleFormat,
                 m_nBlocks > 0 ? static_cast<double>(m_nProgress) / static_cast<double>(m_nBlocks) : 0.0);
}
