#include "DialogThread.h"

#include <objbase.h>

#include "ScriptCachePin.h"
#include "WindowWaits.h"

namespace {
// Sees each message that a window procedure of the thread has handled. The
// first dialog of the process that has handled WM_INITDIALOG lays out its
// font's script cache, before the test can start anything on other threads:
// the test programs run under Wine, whose text layout is not safe for two
// threads (ScriptCachePin.h). On Windows this would not be needed.
LRESULT CALLBACK AfterWindowProc(int nCode, WPARAM wParam, LPARAM lParam) {
    const auto* pMsg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (nCode == HC_ACTION && pMsg->message == WM_INITDIALOG) PinScriptCache(pMsg->hwnd);
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}
}  // namespace

DialogThread::DialogThread(std::function<INT_PTR()> body) {
    m_thread = std::thread([this, body] {
        m_tid = ::GetCurrentThreadId();
        ::CoInitialize(nullptr);
        HHOOK hHook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, AfterWindowProc, nullptr, ::GetCurrentThreadId());
        m_result = body();
        if (hHook) ::UnhookWindowsHookEx(hHook);
        ::CoUninitialize();
        m_finished = true;
    });
    while (m_tid == 0) ::Sleep(1);
}

DialogThread::~DialogThread() {
    if (m_thread.joinable()) m_thread.join();
}

INT_PTR DialogThread::Join(DWORD dwTimeoutMs) {
    if (!WaitFor([&] { return m_finished.load(); }, dwTimeoutMs)) return -2;
    if (m_thread.joinable()) m_thread.join();
    return m_result;
}
