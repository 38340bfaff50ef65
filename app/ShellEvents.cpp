// The main dialog's reactions to the shell's change notifications: a disc
// inserted into or removed from a listed drive, an optical drive added or
// removed. Every reaction runs on the dialog's thread, between the lock and the
// unlock of the notification.
#include <windows.h>
#include <shlobj.h>

#include "OrvaneDlg.h"
#include "ShellEvents.h"

wchar_t g_szEventPath[MAX_PATH];

LRESULT COrvaneDlg::OnShellEvent(WPARAM wParam, LPARAM lParam) {
    // New delivery: wParam is the notification's lock handle, lParam the
    // sending process's id.
    PIDLIST_ABSOLUTE* pidls = nullptr;
    LONG lEvent = 0;
    HANDLE hLock =
        SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam), static_cast<DWORD>(lParam), &pidls, &lEvent);
    if (!hLock) return 0;
    if (pidls && pidls[0]) DispatchShellEvent(pidls[0], lEvent);
    SHChangeNotification_Unlock(hLock);
    return 0;
}

void COrvaneDlg::DispatchShellEvent(PCIDLIST_ABSOLUTE pidl, LONG lEvent) {
    if (!SHGetPathFromIDListW(pidl, g_szEventPath)) return;
    // Exact codes only: an event with any further flag bit is not one of ours.
    // SHCNE_INTERRUPT only says that the hardware raised the event (a disc put
    // into a drive), so it is not counted as such a bit.
    switch (lEvent & ~static_cast<LONG>(SHCNE_INTERRUPT)) {
    case SHCNE_MEDIAINSERTED: OnMediaChanged(TRUE); break;
    case SHCNE_MEDIAREMOVED: OnMediaChanged(FALSE); break;
    case SHCNE_DRIVEREMOVED: OnDriveRemoved(); break;
    case SHCNE_DRIVEADD: OnDriveAdded(); break;
    default: break;
    }
}

void COrvaneDlg::OnMediaChanged(BOOL bInserted) {
    if (GetDriveTypeW(g_szEventPath) != DRIVE_CDROM) return;
    int i = FindDriveItem(true);
    if (i == -1) return;
    UpdateDriveItem(i, bInserted);
}

void COrvaneDlg::OnDriveRemoved() {
    int nItem = FindDriveItem(true);
    if (nItem == -1) return;
    const int nSel = m_driveList.GetCurSel();
    if (m_driveList.DeleteItem(nItem) == CB_ERR) return;
    // A drive removed before the selected one: the same drive, one up. The
    // selected drive itself: the one before it (none before the first).
    if (nItem <= nSel) SelectDriveItem(nSel - 1);
}

void COrvaneDlg::OnDriveAdded() {
    int nItem = FindDriveItem(false);
    if (nItem == -1) return;
    const int nSel = m_driveList.GetCurSel();
    if (AddDriveItem(nItem, g_szEventPath) == nItem) return;
    // Added at or after the selected item's position, the selection moves one
    // down: at its own position that keeps the selected drive, after it the
    // selection goes to the item that follows; with no selection, the first
    // item. Added before it, the list keeps its selected item itself.
    if (nSel <= nItem) SelectDriveItem(nSel + 1);
}
