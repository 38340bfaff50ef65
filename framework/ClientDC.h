// CClientDC: the device context of a window's client area, from GetDC to ReleaseDC.
#pragma once

#include "Wnd.h"

class CClientDC {
public:
    explicit CClientDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd), m_hDC(::GetDC(m_hWnd)) {}
    ~CClientDC() {
        if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;

    // Null when the window has no device context to give.
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};
