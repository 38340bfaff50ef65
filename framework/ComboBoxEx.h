// CComboBoxEx: an extended combo box control (ComboBoxEx32), reached through
// its window handle. Each operation is one message to the control; the item
// operations fill its COMBOBOXEXITEMW from their arguments, and only the
// fields that the mask names are read.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CComboBoxEx {
public:
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    operator HWND() const { return m_hWnd; }

    // The index of the new item, or -1.
    int InsertItem(UINT nMask, int nIndex, LPCWSTR pszText, int nImage, int nSelImage, LPARAM lParam) {
        const COMBOBOXEXITEMW item = MakeItem(nMask, nIndex, pszText, nImage, nSelImage, lParam);
        return static_cast<int>(Send(CBEM_INSERTITEMW, &item));
    }
    // Index -1 is the closed list's field.
    BOOL SetItem(UINT nMask, int nIndex, LPCWSTR pszText, int nImage, int nSelImage, LPARAM lParam) {
        const COMBOBOXEXITEMW item = MakeItem(nMask, nIndex, pszText, nImage, nSelImage, lParam);
        return static_cast<BOOL>(Send(CBEM_SETITEMW, &item));
    }
    BOOL GetItem(COMBOBOXEXITEMW* pItem) const { return static_cast<BOOL>(Send(CBEM_GETITEMW, pItem)); }
    // The item's lParam, read with CBEM_GETITEMW; 0 when there is no such item.
    LPARAM GetItemData(int nIndex) const {
        COMBOBOXEXITEMW item = MakeItem(CBEIF_LPARAM, nIndex, nullptr, 0, 0, 0);
        return GetItem(&item) ? item.lParam : 0;
    }
    // The number of items left, or CB_ERR when there is no such item.
    int DeleteItem(int nIndex) { return static_cast<int>(::SendMessageW(m_hWnd, CBEM_DELETEITEM, nIndex, 0)); }

    // CB_ERR (-1) when no item is selected.
    int GetCurSel() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0)); }
    // -1 clears the selection; CB_ERR then, and for an index out of range.
    int SetCurSel(int nSelect) { return static_cast<int>(::SendMessageW(m_hWnd, CB_SETCURSEL, nSelect, 0)); }
    int GetCount() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0)); }
    // The image list that was attached before.
    HIMAGELIST SetImageList(HIMAGELIST hImageList) {
        return reinterpret_cast<HIMAGELIST>(Send(CBEM_SETIMAGELIST, hImageList));
    }
    // The edit field of the drop-down, or null.
    HWND GetEditCtrl() const { return reinterpret_cast<HWND>(::SendMessageW(m_hWnd, CBEM_GETEDITCONTROL, 0, 0)); }

private:
    LRESULT Send(UINT nMessage, const void* pArgument) const {
        return ::SendMessageW(m_hWnd, nMessage, 0, reinterpret_cast<LPARAM>(pArgument));
    }
    static COMBOBOXEXITEMW MakeItem(UINT nMask, int nIndex, LPCWSTR pszText, int nImage, int nSelImage, LPARAM lParam) {
        COMBOBOXEXITEMW item = {};
        item.mask = nMask;
        item.iItem = nIndex;
        item.pszText = const_cast<LPWSTR>(pszText);
        item.iImage = nImage;
        item.iSelectedImage = nSelImage;
        item.lParam = lParam;
        return item;
    }

    HWND m_hWnd = nullptr;
};
