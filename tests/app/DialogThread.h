// Runs a modal dialog on a thread of its own, as the program runs its dialogs,
// so that the test thread can drive it through window messages.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class DialogThread {
public:
    // body runs on the new thread (COM initialised there) and returns the modal result.
    explicit DialogThread(std::function<INT_PTR()> body);
    ~DialogThread();
    DialogThread(const DialogThread&) = delete;
    DialogThread& operator=(const DialogThread&) = delete;

    DWORD ThreadId() const { return m_tid; }
    bool Finished() const { return m_finished; }
    // Waits for the thread to end and gives the body's result (-2 on a timeout).
    INT_PTR Join(DWORD dwTimeoutMs = 10000);

private:
    std::thread m_thread;
    std::atomic<DWORD> m_tid{0};
    std::atomic<bool> m_finished{false};
    INT_PTR m_result = -2;
};

// The visible top-level window of thread tid with this title; null when none
// appears within the timeout.
HWND WaitForThreadWindow(DWORD tid, const std::wstring& title, DWORD dwTimeoutMs = 10000);
// Waits until the window is gone; false on a timeout.
bool WaitForWindowGone(HWND hWnd, DWORD dwTimeoutMs = 10000);
// The window that has the keyboard focus on thread tid.
HWND FocusOfThread(DWORD tid);
std::wstring WindowText(HWND hWnd);
