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

    IEnumIDList* pEnum = nullptr;
    hr = pDesktop->EnumObjects(hwnd, SHCONTF_FOLDERS | SHCONTF_INIT_ON_FIRST_NEXT, &pEnum);
    // S_FALSE with no enumerator means "nothing to enumerate".
    if (FAILED(hr) || !pEnum) {
        pDesktop->Release();
        return FAILED(hr) ? hr : E_FAIL;
    }

    // The watched folder is the desktop's first folder ("My Computer").
    PITEMID_CHILD pidl = nullptr;
    ULONG nFetched = 0;
    hr = pEnum->Next(1, &pidl, &nFetched);
    if (hr != S_OK || nFetched != 1 || !pidl) {
        if (pidl) CoTaskMemFree(pidl);
        pEnum->Release();
        pDesktop->Release();
        return FAILED(hr) ? hr : E_FAIL;
    }

    hr = pDesktop->BindToObject(pidl, nullptr, IID_IShellFolder,
                                reinterpret_cast<void**>(&m_pFolder));
    if (FAILED(hr)) {
        m_pFolder = nullptr;
        CoTaskMemFree(pidl);
        pEnum->Release();
        pDesktop->Release();
        return hr;
    }

    SHChangeNotifyEntry entry = {};
    entry.pidl = pidl;
    entry.fRecursive = FALSE;
    m_uRegId = SHChangeNotifyRegister(
        hwnd, SHCNRF_InterruptLevel | SHCNRF_ShellLevel | SHCNRF_NewDelivery,
        SHCNE_MEDIAINSERTED | SHCNE_MEDIAREMOVED | SHCNE_DRIVEREMOVED | SHCNE_DRIVEADD, uMsg, 1,
        &entry);
    hr = m_uRegId != 0 ? S_OK : E_FAIL;
    if (m_uRegId == 0) {
        // Not registered: keep no folder bound either.
        m_pFolder->Release();
        m_pFolder = nullptr;
    }

    CoTaskMemFree(pidl);
    pEnum->Release();
    pDesktop->Release();
    return hr;
}
