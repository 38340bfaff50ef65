#include "ReadingSpan.h"

#include "RunDialog.h"

void CReadingSpan::Begin(HWND hDlg) {
    if (m_bActive) return;
    m_bActive = true;
    m_hDlg = hDlg;
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    CRunDialog(m_hDlg).SetReading(TRUE);
}

void CReadingSpan::End() {
    if (!m_bActive) return;
    m_bActive = false;
    CRunDialog(m_hDlg).SetReading(FALSE);
    SetThreadExecutionState(ES_CONTINUOUS);
}
