// CImageList: owns one common-controls image list. The calls that add images
// and set the background colour run inside the module's activation context,
// so that they reach version 6 of the common controls.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // Appends a copy of the icon; the index of the new image, or -1.
    int Add(HICON hIcon);
    COLORREF SetBkColor(COLORREF cr);
    BOOL DeleteImageList();

    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

    HIMAGELIST m_hImageList = nullptr;
};
