#include "ShellNotifyRegistration.h"

#include "ShellEvents.h"
#include "UniqueResource.h"

void CShellNotifyRegistration::Unregister() {
    if (m_uRegId != 0) {
        SHChangeNotifyDeregister(m_uRegId);
        m_uRegId = 0;
    }
    m_pFolder.Reset();
}

HRESULT CShellNotifyRegistration::Register(HWND hwnd) {
    const UINT uMsg = g_uShellEventMsg;
    Unregister();

    CComPtr<IShellFolder> pDesktop;
    HRESULT hr = SHGetDesktopFolder(pDesktop.Receive());
    if (FAILED(hr)) return hr;

    // The watched folder is This PC (My Computer), wherever the desktop lists
    // it: the drives are its children. It is watched recursively, as some
    // shells (Wine's) hand a drive's event only to registrations on the drive
    // itself or recursive ones above it.
    CItemIdList pidl;
    hr = SHGetFolderLocation(hwnd, CSIDL_DRIVES, nullptr, 0, pidl.Receive());
    if (FAILED(hr) || !pidl.IsValid()) return FAILED(hr) ? hr : E_FAIL;
    // A failed bind leaves the folder null.
    hr = pDesktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(m_pFolder.Receive()));
    if (FAILED(hr)) return hr;

    SHChangeNotifyEntry entry = {};
    entry.pidl = pidl;
    entry.fRecursive = TRUE;
    m_uRegId = SHChangeNotifyRegister(hwnd, SHCNRF_InterruptLevel | SHCNRF_ShellLevel | SHCNRF_NewDelivery,
                                      SHCNE_MEDIAINSERTED | SHCNE_MEDIAREMOVED | SHCNE_DRIVEREMOVED | SHCNE_DRIVEADD,
                                      uMsg, 1, &entry);
    if (m_uRegId != 0) return S_OK;
    // Not registered: keep no folder bound either.
    m_pFolder.Reset();
    return E_FAIL;
}
