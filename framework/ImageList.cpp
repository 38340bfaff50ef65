#include "ImageList.h"

#include "ActivationContext.h"

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
    DeleteImageList();
    CActivationContextScope actCtx;
    m_hImageList = ::ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
    return m_hImageList != nullptr;
}

int CImageList::Add(HICON hIcon) {
    CActivationContextScope actCtx;
    return ::ImageList_ReplaceIcon(m_hImageList, -1, hIcon);
}

COLORREF CImageList::SetBkColor(COLORREF cr) {
    CActivationContextScope actCtx;
    return ::ImageList_SetBkColor(m_hImageList, cr);
}

BOOL CImageList::DeleteImageList() {
    if (!m_hImageList) return FALSE;
    CActivationContextScope actCtx;
    const BOOL bOk = ::ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return bOk;
}
