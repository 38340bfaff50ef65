#include "Wnd.h"

#include <map>
#include <memory>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

namespace {
// Windows belong to the thread that created them, and so do their objects:
// each thread keeps its own handle maps.
thread_local std::map<HWND, CWnd*> t_permanent;
thread_local std::map<HWND, std::unique_ptr<CWnd>> t_temporary;
}  // namespace

CWnd::~CWnd() { Detach(); }

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    auto it = t_permanent.find(hWnd);
    return it == t_permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (!hWnd) return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd)) return p;
    std::unique_ptr<CWnd>& slot = t_temporary[hWnd];
    if (!slot) {
        slot = std::make_unique<CWnd>();
        slot->m_hWnd = hWnd;
    }
    return slot.get();
}

void CWnd::SubclassWindow(HWND hWnd) {
    m_hWnd = hWnd;
    t_permanent[hWnd] = this;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
}

void CWnd::Detach() {
    if (!m_hWnd) return;
    auto it = t_permanent.find(m_hWnd);
    if (it != t_permanent.end() && it->second == this) t_permanent.erase(it);
    if (m_pfnSuper && ::IsWindow(m_hWnd))
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
}

LRESULT CWnd::Default() {
    if (!m_pCurrentMsg || !m_pfnSuper) return 0;
    return ::CallWindowProcW(m_pfnSuper, m_hWnd, m_pCurrentMsg->nMessage, m_pCurrentMsg->wParam,
                             m_pCurrentMsg->lParam);
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
