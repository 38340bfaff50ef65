// CWnd: a window handle with a message map. A window becomes an object's
// "permanent" window when the object attaches to it; its messages then run
// through the object's message map, and whatever the map does not handle goes
// on to the window's own procedure (the default processing).
#pragma once

#include "CmdTarget.h"

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object attached to hWnd on this thread, or else a temporary object
    // for the handle, shared by all threads and kept for the life of the
    // process. Null for a null handle.
    static CWnd* FromHandle(HWND hWnd);
    // The object attached to hWnd on this thread, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    LRESULT SendMessage(UINT nMessage, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, nMessage, wParam, lParam);
    }

    // Passes the message being handled to the window's own procedure.
    LRESULT Default();

    HWND m_hWnd = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

    void OnPaint() { Default(); }

    // Makes this object the window's permanent object and routes the window's
    // messages through WindowProc; undone when the window is destroyed.
    void SubclassWindow(HWND hWnd);

    // Runs the handler of the message map, or the default processing.
    virtual LRESULT WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
    void Detach();

    struct CurrentMessage {
        UINT nMessage;
        WPARAM wParam;
        LPARAM lParam;
    };
    WNDPROC m_pfnSuper = nullptr;                   // the window's procedure before subclassing
    DWORD m_dwThreadId = 0;                         // the thread whose permanent object this is
    const CurrentMessage* m_pCurrentMsg = nullptr;  // the message being dispatched
};
