#include "ShellNotifyRegistration.h"

// Not registered yet: the drive list changes only through "Обновить".
HRESULT CShellNotifyRegistration::Register(HWND) {
    Unregister();
    return E_NOTIMPL;
}

void CShellNotifyRegistration::Unregister() {
    if (m_uRegId != 0) {
        ::SHChangeNotifyDeregister(m_uRegId);
        m_uRegId = 0;
    }
    if (m_pFolder) {
        m_pFolder->Release();
        m_pFolder = nullptr;
    }
}
