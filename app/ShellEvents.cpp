#include "OrvaneDlg.h"
#include "ShellEvents.h"

wchar_t g_szEventPath[MAX_PATH];

// The dialog does not react to shell events yet.
LRESULT COrvaneDlg::OnShellEvent(WPARAM, LPARAM) { return 0; }

void COrvaneDlg::DispatchShellEvent(PCIDLIST_ABSOLUTE, LONG) {}
void COrvaneDlg::OnMediaChanged(BOOL) {}
void COrvaneDlg::OnDriveAdded() {}
void COrvaneDlg::OnDriveRemoved() {}
