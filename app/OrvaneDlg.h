// The main dialog (template 102): the optical drive list, the progress of a
// run, and the buttons "Обновить", "Хэши", "Сохранить" and "Выход".
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "ComboBoxEx.h"
#include "Dialog.h"
#include "DriveItemData.h"
#include "ImageList.h"
#include "Map.h"
#include "ShellNotifyRegistration.h"

class COrvaneDlg : public CDialog {
public:
    COrvaneDlg();

    // The drive list (control 1000). Items stand in ascending order of their roots.

    // Lists every optical drive in letter order, selects the first and applies the button rule.
    void FillDriveList();
    // Inserts an item for pszRoot at nPos when it is the root of an optical drive
    // ("X:\" exactly); nPos + 1 when an item was inserted, else nPos.
    int AddDriveItem(int nPos, LPCWSTR pszRoot);
    // Sets or clears the media flag and takes the item's text and icon from the shell.
    void UpdateDriveItem(int nItem, BOOL bMedia);
    // The record behind an item, or null.
    DriveItemData* GetDriveItemData(int nItem);
    // The record behind the selected item, or null when none is selected: the
    // drive that the button rule judges and whose root a run copies.
    const DriveItemData* GetSelectedDriveData();
    // Searches the list for g_szEventPath. bExact: the item's index, or -1 when
    // absent. Otherwise: -1 when listed, else the position to insert it at.
    int FindDriveItem(BOOL bExact);
    // Enables "Сохранить" and "Хэши" when the selected drive holds a readable
    // disc, disables them when it does not; with no drive selected, leaves them.
    void UpdateButtons();
    // Selects an item (-1: none, and the field is emptied), then handles the
    // change as a selection by the user.
    void SelectDriveItem(int nItem);

protected:
    DECLARE_MESSAGE_MAP()

    BOOL OnInitDialog() override;
    void OnCancel() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDeleteItemDrives(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelchangeDrives();
    void OnHashes();
    void OnSave();
    LRESULT OnShellEvent(WPARAM wParam, LPARAM lParam);
    void OnRefresh();
    BOOL OnQueryEndSession();
    LRESULT OnRunInProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnRunReading(WPARAM wParam, LPARAM lParam);
    // A run's worker asks for the selected drive's root (RunDialog.h).
    LRESULT OnCopySelectedRoot(WPARAM wParam, LPARAM lParam);
    // Marks the dialog busy and starts a run's worker thread.
    void StartRun(LPTHREAD_START_ROUTINE pfnThreadProc);

    // The index in m_imageList of the shell's system icon nShellIcon; hIcon,
    // its image, is added the first time the icon is met. -1 when it cannot be.
    int ImageOfShellIcon(int nShellIcon, HICON hIcon);

    // Reactions to shell events.
    void DispatchShellEvent(PCIDLIST_ABSOLUTE pidl, LONG lEvent);
    void OnMediaChanged(BOOL bInserted);
    void OnDriveAdded();
    void OnDriveRemoved();

    // The members go in the reverse order: the shell registration ends first,
    // the image list goes last.
    HICON m_hIcon;
    CComboBoxEx m_driveList;             // the drive list, control 1000
    CImageList m_imageList;              // small icons of the drive list
    CMap<int, int, int, int> m_iconMap;  // shell system image index -> index in m_imageList
    CShellNotifyRegistration m_shellNotify;
};
