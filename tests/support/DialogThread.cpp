#include "DialogThread.h"

#include <objbase.h>

#include "WindowWaits.h"

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
    if (!WaitFor([&] { return m_finished.load(); }, dwTimeoutMs)) return -2;
    if (m_thread.joinable()) m_thread.join();
    return m_result;
}
