#include "ReadingSpan.h"

#include "RunInProgress.h"

void CReadingSpan::Begin(HWND hDlg) {
    if (m_bActive) return;
    m_bActive = true;
    m_hDlg = hDlg;
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    SetRunReading(m_hDlg, TRUE);
}

void CReadingSpan::End() {
    if (!m_bActive) return;
    m_bActive = false;
    SetRunReading(m_hDlg, FALSE);
    SetThreadExecutionState(ES_CONTINUOUS);
}
