#include "DialogThread.h"

#include <objbase.h>

DialogThread::DialogThread(std::function<INT_PTR()> body) {
    m_thread = std::thread([this, body] {
        m_tid = ::GetCurrentThreadId();
        ::CoInitialize(nullptr);
        m_result = body();
        ::CoUninitialize();
        m_finished = true;
    });
    while (m_tid == 0) ::Sleep(1);
}

DialogThread::~DialogThread() {
    if (m_thread.joinable()) m_thread.join();
}

INT_PTR DialogThread::Join(DWORD dwTimeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!m_finished && ::GetTickCount() - start < dwTimeoutMs) ::Sleep(10);
    if (!m_finished) return -2;
    m_thread.join();
    return m_result;
}

namespace {
struct FindState {
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK FindTitled(HWND hWnd, LPARAM lParam) {
    auto* state = reinterpret_cast<FindState*>(lParam);
    if (::IsWindowVisible(hWnd) && WindowText(hWnd) == *state->title) {
        state->found = hWnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND WaitForThreadWindow(DWORD tid, const std::wstring& title, DWORD dwTimeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        FindState state = {&title, nullptr};
        ::EnumThreadWindows(tid, FindTitled, reinterpret_cast<LPARAM>(&state));
        if (state.found) return state.found;
        if (::GetTickCount() - start > dwTimeoutMs) return nullptr;
        ::Sleep(20);
    }
}

bool WaitForWindowGone(HWND hWnd, DWORD dwTimeoutMs) {
    const DWORD start = ::GetTickCount();
    while (::IsWindow(hWnd)) {
        if (::GetTickCount() - start > dwTimeoutMs) return false;
        ::Sleep(10);
    }
    return true;
}

HWND FocusOfThread(DWORD tid) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(tid, &info) ? info.hwndFocus : nullptr;
}

std::wstring WindowText(HWND hWnd) {
    wchar_t buf[1024] = {};
    ::SendMessageW(hWnd, WM_GETTEXT, ARRAYSIZE(buf), reinterpret_cast<LPARAM>(buf));
    return buf;
}
