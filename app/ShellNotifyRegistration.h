// The main dialog's registration for the shell's change notifications.
#pragma once

#include <windows.h>
#include <shlobj.h>

class CShellNotifyRegistration {
public:
    CShellNotifyRegistration() = default;
    ~CShellNotifyRegistration() { Unregister(); }
    CShellNotifyRegistration(const CShellNotifyRegistration&) = delete;
    CShellNotifyRegistration& operator=(const CShellNotifyRegistration&) = delete;

    HRESULT Register(HWND hWnd);
    void Unregister();

    IShellFolder* m_pFolder = nullptr;
    ULONG m_uRegId = 0;
};
