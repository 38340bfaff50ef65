// Finding the windows of a dialog under test, reading them, and waiting for
// them to appear or go: the test thread polls, since the dialogs run on other
// threads (or in another process) and tell it nothing.
#pragma once

#include <windows.h>

#include <string>

// Polls f every 20 ms until it yields true or ms have passed; false on a timeout.
template <class F>
bool WaitFor(F f, DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    for (;;) {
        if (f()) return true;
        if (::GetTickCount64() >= end) return false;
        ::Sleep(20);
    }
}

// The whole text of a window, asked through WM_GETTEXT so that it works for
// windows of other threads and processes too; empty for a null handle.
std::wstring WindowText(HWND hWnd);

// The window that has the keyboard focus on thread tid.
HWND FocusOfThread(DWORD tid);

// The visible top-level window of thread tid with this title; null when none
// appears within the timeout.
HWND WaitForThreadWindow(DWORD tid, const std::wstring& title, DWORD dwTimeoutMs = 10000);

// A visible dialog-class window owned by hOwner; with pszTitle, only one with
// that title; with pszNotTitle, only one with another title.
HWND FindOwnedDialog(HWND hOwner, const wchar_t* pszTitle = nullptr, const wchar_t* pszNotTitle = nullptr);
// The same, waited for; null when none appears within the timeout.
HWND WaitForOwnedDialog(HWND hOwner, DWORD dwTimeoutMs, const wchar_t* pszTitle = nullptr,
                        const wchar_t* pszNotTitle = nullptr);

// Waits until the window is gone; false on a timeout.
bool WaitForWindowGone(HWND hWnd, DWORD dwTimeoutMs = 10000);
