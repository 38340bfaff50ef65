#include "WindowWaits.h"

#include <functional>

namespace {

// The first visible window of an enumeration that match accepts.
struct Search {
    std::function<bool(HWND)> match;
    HWND found = nullptr;
};

BOOL CALLBACK VisitWindow(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    if (!::IsWindowVisible(hWnd) || !search->match(hWnd)) return TRUE;
    search->found = hWnd;
    return FALSE;
}

bool IsDialogClass(HWND hWnd) {
    wchar_t cls[64] = {};
    ::GetClassNameW(hWnd, cls, ARRAYSIZE(cls));
    return ::lstrcmpW(cls, L"#32770") == 0;
}

}  // namespace

std::wstring WindowText(HWND hWnd) {
    if (!hWnd) return std::wstring();
    const LRESULT nLength = ::SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(nLength) + 1, L'\0');
    const LRESULT n = ::SendMessageW(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(n));
    return text;
}

HWND FocusOfThread(DWORD tid) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(tid, &info) ? info.hwndFocus : nullptr;
}

HWND WaitForThreadWindow(DWORD tid, const std::wstring& title, DWORD dwTimeoutMs) {
    Search search{[&](HWND hWnd) { return WindowText(hWnd) == title; }};
    WaitFor(
        [&] {
            ::EnumThreadWindows(tid, VisitWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        dwTimeoutMs);
    return search.found;
}

HWND FindOwnedDialog(HWND hOwner, const wchar_t* pszTitle, const wchar_t* pszNotTitle) {
    Search search{[&](HWND hWnd) {
        if (!IsDialogClass(hWnd) || ::GetWindow(hWnd, GW_OWNER) != hOwner) return false;
        const std::wstring title = WindowText(hWnd);
        return (!pszTitle || title == pszTitle) && (!pszNotTitle || title != pszNotTitle);
    }};
    ::EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForOwnedDialog(HWND hOwner, DWORD dwTimeoutMs, const wchar_t* pszTitle, const wchar_t* pszNotTitle) {
    HWND hFound = nullptr;
    WaitFor([&] { return (hFound = FindOwnedDialog(hOwner, pszTitle, pszNotTitle)) != nullptr; }, dwTimeoutMs);
    return hFound;
}

bool WaitForWindowGone(HWND hWnd, DWORD dwTimeoutMs) {
    return WaitFor([&] { return !::IsWindow(hWnd); }, dwTimeoutMs);
}
