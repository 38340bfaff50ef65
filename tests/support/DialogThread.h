// Runs a modal dialog on a thread of its own, as the program runs its dialogs,
// so that the test thread can drive it through window messages.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

class DialogThread {
public:
    // body runs on the new thread (COM initialised there) and returns the modal result.
    explicit DialogThread(std::function<INT_PTR()> body);
    // Waits for the thread, however long it takes.
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
