// CShellNotifyRegistration: the main dialog's registration with the shell's
// change notification service for discs inserted and removed and drives added
// and removed. Each event reaches the registered window as the message
// g_uShellEventMsg, delivered the new way (wParam a lock handle, lParam the
// sending process's id).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "ComPtr.h"

class CShellNotifyRegistration {
public:
    CShellNotifyRegistration() = default;
    ~CShellNotifyRegistration() { Unregister(); }
    CShellNotifyRegistration(const CShellNotifyRegistration&) = delete;
    CShellNotifyRegistration& operator=(const CShellNotifyRegistration&) = delete;

    // Ends any previous registration, then watches This PC and everything
    // below it for the four drive and media events on behalf of hwnd.
    // S_OK when registered; otherwise the state stays not registered.
    HRESULT Register(HWND hwnd);
    // Ends the registration and releases the watched folder; harmless when not registered.
    void Unregister();

    bool IsRegistered() const { return m_uRegId != 0; }

    CComPtr<IShellFolder> m_pFolder;
    ULONG m_uRegId = 0;
};
