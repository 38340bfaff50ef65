#include "ShellNotifyRegistration.h"

#include "ShellEvents.h"

void CShellNotifyRegistration::Unregister() {
    if (m_uRegId != 0) {
        SHChangeNotifyDeregister(m_uRegId);
        m_uRegId = 0;
    }
    if (m_pFolder) {
        m_pFolder->Release();
        m_pFolder = nullptr;
    }
}

HRESULT CShellNotifyRegistration::Register(HWND hwnd) {
    const UINT uMsg = g_uShellEventMsg;
    Unregister();

    IShellFolder* pDesktop = nullptr;
    HRESULT hr = SHGetDesktopFolder(&pDesktop);
    if (FAILED(hr)) return hr;

    // The watched folder is This PC (My Computer), wherever the desktop lists
    // it: the drives are its children. It is watched recursively, as some
    // shells (Wine's) hand a drive's event only to registrations on the drive
    // itself or recursive ones above it.
    PIDLIST_ABSOLUTE pidl = nullptr;
    hr = SHGetFolderLocation(hwnd, CSIDL_DRIVES, nullptr, 0, &pidl);
    if (FAILED(hr) || !pidl) {
        pDesktop->Release();
        return FAILED(hr) ? hr : E_FAIL;
    }

    hr = pDesktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&m_pFolder));
    if (FAILED(hr)) {
        m_pFolder = nullptr;
        CoTaskMemFree(pidl);
        pDesktop->Release();
        return hr;
    }

    SHChangeNotifyEntry entry = {};
    entry.pidl = pidl;
    entry.fRecursive = TRUE;
    m_uRegId = SHChangeNotifyRegister(hwnd, SHCNRF_InterruptLevel | SHCNRF_ShellLevel | SHCNRF_NewDelivery,
                                      SHCNE_MEDIAINSERTED | SHCNE_MEDIAREMOVED | SHCNE_DRIVEREMOVED | SHCNE_DRIVEADD,
                                      uMsg, 1, &entry);
    hr = m_uRegId != 0 ? S_OK : E_FAIL;
    if (m_uRegId == 0) {
        // Not registered: keep no folder bound either.
        m_pFolder->Release();
        m_pFolder = nullptr;
    }

    CoTaskMemFree(pidl);
    pDesktop->Release();
    return hr;
}
