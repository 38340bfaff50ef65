#include "Wnd.h"

#include <map>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

namespace {
// Windows belong to the thread that created them, and so do their objects: a
// window's permanent object is found under its thread and handle. The maps are
// process-wide and guarded by a lock rather than thread-local objects, whose
// destructors would run in the thread-exit callbacks, under the loader lock,
// at the end of every worker thread.
SRWLOCK g_mapLock = SRWLOCK_INIT;
typedef std::pair<DWORD, HWND> ThreadWindow;
std::map<ThreadWindow, CWnd*>& PermanentMap() {
    static std::map<ThreadWindow, CWnd*>* p = new std::map<ThreadWindow, CWnd*>;
    return *p;
}
// Temporary objects carry nothing but their handle; they stay for the life of
// the process (one per handle ever asked for), as the process ends without
// running their destructors.
std::map<HWND, CWnd*>& TemporaryMap() {
    static std::map<HWND, CWnd*>* p = new std::map<HWND, CWnd*>;
    return *p;
}
}  // namespace

CWnd::~CWnd() { Detach(); }

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    AcquireSRWLockShared(&g_mapLock);
    auto& map = PermanentMap();
    auto it = map.find(ThreadWindow(::GetCurrentThreadId(), hWnd));
    CWnd* p = it == map.end() ? nullptr : it->second;
    ReleaseSRWLockShared(&g_mapLock);
    return p;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (!hWnd) return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd)) return p;
    AcquireSRWLockExclusive(&g_mapLock);
    CWnd*& slot = TemporaryMap()[hWnd];
    if (!slot) {
        slot = new CWnd();
        slot->m_hWnd = hWnd;
    }
    CWnd* p = slot;
    ReleaseSRWLockExclusive(&g_mapLock);
    return p;
}

void CWnd::SubclassWindow(HWND hWnd) {
    m_hWnd = hWnd;
    m_dwThreadId = ::GetCurrentThreadId();
    AcquireSRWLockExclusive(&g_mapLock);
    PermanentMap()[ThreadWindow(m_dwThreadId, hWnd)] = this;
    ReleaseSRWLockExclusive(&g_mapLock);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
}

void CWnd::Detach() {
    if (!m_hWnd) return;
    AcquireSRWLockExclusive(&g_mapLock);
    auto& map = PermanentMap();
    auto it = map.find(ThreadWindow(m_dwThreadId, m_hWnd));
    if (it != map.end() && it->second == this) map.erase(it);
    ReleaseSRWLockExclusive(&g_mapLock);
    if (m_pfnSuper && ::IsWindow(m_hWnd))
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
}

LRESULT CWnd::Default() {
    if (!m_pCurrentMsg || !m_pfnSuper) return 0;
    return ::CallWindowProcW(m_pfnSuper, m_hWnd, m_pCurrentMsg->nMessage, m_pCurrentMsg->wParam, m_pCurrentMsg->lParam);
}

LRESULT CWnd::WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam) {
    UINT nCode = 0, nID = 0;
    if (nMessage == WM_COMMAND) {
        // Menus and accelerators (no control window) are plain commands, code 0.
        nCode = lParam ? HIWORD(wParam) : 0;
        nID = LOWORD(wParam);
    } else if (nMessage == WM_NOTIFY && lParam) {
        const NMHDR* pHdr = reinterpret_cast<const NMHDR*>(lParam);
        nCode = pHdr->code;
        nID = static_cast<UINT>(pHdr->idFrom);
    }
    if (const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(nMessage, nCode, nID))
        return pEntry->pfn(this, wParam, lParam);
    return Default();
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (!pWnd) return ::DefWindowProcW(hWnd, nMessage, wParam, lParam);

    // Nested messages (sent while one is being handled) keep their own record.
    const CurrentMessage msg = {nMessage, wParam, lParam};
    const CurrentMessage* pOuter = pWnd->m_pCurrentMsg;
    pWnd->m_pCurrentMsg = &msg;

    LRESULT lResult;
    if (nMessage == WM_NCDESTROY) {
        // The last message of the window: let its own procedure finish, then let go.
        lResult = pWnd->Default();
        pWnd->m_pCurrentMsg = pOuter;
        pWnd->Detach();
        return lResult;
    }
    lResult = pWnd->WindowProc(nMessage, wParam, lParam);
    pWnd->m_pCurrentMsg = pOuter;
    return lResult;
}
