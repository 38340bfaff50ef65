// The optical drive list of the main dialog (control 1000, ComboBoxEx32).
#include "OrvaneDlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include "RunDialog.h"
#include "ShellEvents.h"
#include "UniqueResource.h"
#include "resource.h"

namespace {
// "X:\" exactly: the only form that fits an item's root field.
bool IsDriveRoot(LPCWSTR pszRoot) {
    if (!pszRoot) return false;
    const wchar_t ch = pszRoot[0];
    const bool bLetter = (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z');
    return bLetter && pszRoot[1] == L':' && pszRoot[2] == L'\\' && pszRoot[3] == L'\0';
}
}  // namespace

void COrvaneDlg::FillDriveList() {
    DWORD dwMask = ::GetLogicalDrives();
    int nPos = 0;
    wchar_t szRoot[4];
    for (wchar_t chLetter = L'A'; dwMask != 0; dwMask >>= 1, ++chLetter) {
        if (dwMask & 1) {
            ::wsprintfW(szRoot, L"%c:\\", chLetter);
            nPos = AddDriveItem(nPos, szRoot);
        }
    }
    if (m_driveList.GetCount() <= 0) {
        // No drive at all: no stale name in the field; the buttons keep their state.
        SelectDriveItem(-1);
        return;
    }

    m_driveList.SetCurSel(0);
    UpdateButtons();
    ::InvalidateRect(m_driveList, nullptr, TRUE);
}

int COrvaneDlg::AddDriveItem(int nPos, LPCWSTR pszRoot) {
    // A longer path (a volume mounted in a folder) does not fit the record and
    // is not an optical drive's root: it is not listed.
    if (!IsDriveRoot(pszRoot)) return nPos;
    if (::GetDriveTypeW(pszRoot) != DRIVE_CDROM) return nPos;

    CLocalMemory<DriveItemData> data(static_cast<DriveItemData*>(::LocalAlloc(LPTR, sizeof(DriveItemData))));
    if (!data.IsValid()) return nPos;
    ::lstrcpynW(data.Get()->szRoot, pszRoot, ARRAYSIZE(data.Get()->szRoot));
    if (m_driveList.InsertItem(CBEIF_LPARAM, nPos, nullptr, 0, 0, reinterpret_cast<LPARAM>(data.Get())) == -1)
        return nPos;
    // From here on the item owns its record.
    data.Detach();

    wchar_t szVolumeName[MAX_PATH];
    const BOOL bMedia = ::GetVolumeInformationW(pszRoot, szVolumeName, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0);
    UpdateDriveItem(nPos, bMedia);
    return nPos + 1;
}

void COrvaneDlg::UpdateDriveItem(int nItem, BOOL bMedia) {
    auto* pData = reinterpret_cast<DriveItemData*>(m_driveList.GetItemData(nItem));
    if (!pData) return;

    if (bMedia)
        pData->dwFlags |= DIF_MEDIA;
    else
        pData->dwFlags &= ~static_cast<DWORD>(DIF_MEDIA);

    SHFILEINFOW sfi = {};
    ::SHGetFileInfoW(pData->szRoot, 0, &sfi, sizeof(sfi),
                     SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME | SHGFI_ICON | SHGFI_SMALLICON);
    // The shell's icon is destroyed once the image list holds its own copy.
    const int nImage = ImageOfShellIcon(sfi.iIcon, CIconHandle(sfi.hIcon));

    if (m_driveList.SetItem(CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM, nItem, sfi.szDisplayName,
                            nImage, nImage, reinterpret_cast<LPARAM>(pData))) {
        // The closed list's field keeps the text and icon it showed when the
        // item was selected: select the item again so that it shows the new ones.
        if (nItem == m_driveList.GetCurSel())
            SelectDriveItem(nItem);
        else
            UpdateButtons();
        ::InvalidateRect(m_driveList, nullptr, TRUE);
    }
}

int COrvaneDlg::ImageOfShellIcon(int nShellIcon, HICON hIcon) {
    // One image per distinct shell icon, however often drives are updated.
    int nImage;
    if (m_iconMap.Lookup(nShellIcon, nImage)) return nImage;
    nImage = m_imageList.Add(hIcon);
    if (nImage >= 0) m_iconMap[nShellIcon] = nImage;
    // Some list controls (Wine's) place their edit field by the size of the
    // list's first image, and the list was empty when it was attached: attach
    // it again now that it has one, or the field hides the icon.
    if (nImage == 0) m_driveList.SetImageList(m_imageList);
    return nImage;
}

DriveItemData* COrvaneDlg::GetDriveItemData(int nItem) {
    if (nItem < 0 || nItem >= m_driveList.GetCount()) return nullptr;
    return reinterpret_cast<DriveItemData*>(m_driveList.GetItemData(nItem));
}

const DriveItemData* COrvaneDlg::GetSelectedDriveData() {
    const int nSel = m_driveList.GetCurSel();
    return nSel == -1 ? nullptr : GetDriveItemData(nSel);
}

int COrvaneDlg::FindDriveItem(BOOL bExact) {
    const int nCount = m_driveList.GetCount();
    int i = 0;
    for (; i < nCount; ++i) {
        const DriveItemData* pData = GetDriveItemData(i);
        if (!pData) continue;
        const int c = ::lstrcmpW(g_szEventPath, pData->szRoot);
        if (c == 0) return bExact ? i : -1;
        if (c < 0) break;
    }
    return bExact ? -1 : (nCount < 0 ? 0 : i);
}

void COrvaneDlg::UpdateButtons() {
    // While a run works its worker holds the buttons; they wait for its end.
    if (CRunDialog::IsRunInProgress(m_hWnd)) return;
    // With no drive selected the buttons keep their state: a run started then
    // finds no drive and only gives the dialog back.
    const DriveItemData* pData = GetSelectedDriveData();
    if (!pData) return;
    const BOOL bEnable = (pData->dwFlags & DIF_MEDIA) != 0;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), bEnable);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_HASHES), bEnable);
}

void COrvaneDlg::OnSelchangeDrives() {
    UpdateButtons();
    HWND hEdit = m_driveList.GetEditCtrl();
    if (hEdit) {
        ::SendMessageW(hEdit, EM_SETSEL, 0, 0);
        ::SendMessageW(hEdit, EM_SCROLLCARET, 0, 0);
    }
}

void COrvaneDlg::SelectDriveItem(int nItem) {
    if (m_driveList.SetCurSel(nItem) == CB_ERR) {
        // No selection: the field would go on showing the drive selected last,
        // even one that has left the list. Empty it, icon and text.
        m_driveList.SetItem(CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE, -1, L"", -1, -1, 0);
    }
    OnSelchangeDrives();
}

void COrvaneDlg::OnDeleteItemDrives(NMHDR* pNMHDR, LRESULT* pResult) {
    // The deleted item's record goes with this owner.
    const auto* pItem = reinterpret_cast<const NMCOMBOBOXEXW*>(pNMHDR);
    const CLocalMemory<DriveItemData> record(reinterpret_cast<DriveItemData*>(pItem->ceItem.lParam));
    *pResult = 0;
}

LRESULT COrvaneDlg::OnCopySelectedRoot(WPARAM wParam, LPARAM lParam) {
    auto* pszRoot = reinterpret_cast<wchar_t*>(lParam);
    const int cchRoot = static_cast<int>(wParam);
    if (!pszRoot || cchRoot <= 0) return FALSE;
    pszRoot[0] = L'\0';
    const DriveItemData* pData = GetSelectedDriveData();
    if (!pData || ::lstrlenW(pData->szRoot) >= cchRoot) return FALSE;
    ::lstrcpynW(pszRoot, pData->szRoot, cchRoot);
    return TRUE;
}

void COrvaneDlg::OnRefresh() {
    // A run reads the selected drive from the list: the list stays as it is
    // until the run has ended.
    if (CRunDialog::IsRunInProgress(m_hWnd)) return;
    m_shellNotify.Unregister();
    m_driveList.SetCurSel(-1);
    while (m_driveList.DeleteItem(0) != CB_ERR) {
    }
    FillDriveList();
    m_shellNotify.Register(m_hWnd);
}
