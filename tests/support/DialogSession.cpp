#include "DialogSession.h"

#include <commctrl.h>

#include "RunDialog.h"
#include "ShellEvents.h"

namespace {
// Upper bound for one step of the session, never a measured time: within the
// time limits of the suites that use it (30 s and more, tests/e2e/CMakeLists.txt).
const DWORD kSessionWait = 20000;
}  // namespace

DialogSession::DialogSession() {
    m_pDlg = new ObservedOrvaneDlg();
    // As the application starts the dialog: COM (the thread's own), common
    // controls, modal loop.
    m_thread = std::make_unique<DialogThread>([this] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), 0xFF};
        InitCommonControlsEx(&icc);
        const INT_PTR nResult = m_pDlg->DoModal();
        // As the application does: the dialog object goes (ending its shell
        // registration) before COM.
        delete m_pDlg;
        m_pDlg = nullptr;
        return nResult;
    });
    WaitFor([&] { return (m_hDlg = drive::FindMainDialog()) != nullptr || m_thread->Finished(); }, kSessionWait);
}

DialogSession::~DialogSession() {
    Close();
    // A dialog that would not close is left to the process's end.
    if (!WaitFor([&] { return m_thread->Finished(); }, kSessionWait)) static_cast<void>(m_thread.release());
}

bool DialogSession::Close() {
    if (!m_hDlg || !IsWindow(m_hDlg)) return true;
    // Close any result dialog first, then wait until the run has ended.
    if (HWND hResult = FindOwnedDialog(m_hDlg, drive::kResultTitle)) drive::Press(hResult, IDOK);
    WaitFor([&] { return drive::IsItemEnabled(m_hDlg, IDCANCEL) && !CRunDialog::IsRunInProgress(m_hDlg); },
            kSessionWait);
    drive::Press(m_hDlg, IDCANCEL);
    return WaitFor([&] { return m_thread->Finished(); }, kSessionWait);
}

void DialogSession::Notify(LONG lEvent, const wchar_t* pszPath) {
    // Only registrations of this process hear it under Wine: the dialog's own.
    SHChangeNotify(lEvent, SHCNF_PATHW, pszPath, nullptr);
    // Wine delivers the message synchronously; a round trip through the
    // dialog's thread makes sure that nothing of it is still pending.
    SendMessageW(m_hDlg, WM_NULL, 0, 0);
}

int DialogSession::Count() const { return static_cast<int>(SendMessageW(List(), CB_GETCOUNT, 0, 0)); }

int DialogSession::Selection() const { return static_cast<int>(SendMessageW(List(), CB_GETCURSEL, 0, 0)); }

std::wstring DialogSession::ItemText(int i) const {
    wchar_t buf[MAX_PATH] = {};
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT;
    item.iItem = i;
    item.pszText = buf;
    item.cchTextMax = MAX_PATH;
    if (!SendMessageW(List(), CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return L"";
    return buf;
}

namespace {
std::wstring RootOf(HWND hList, int i) {
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_LPARAM;
    item.iItem = i;
    if (!SendMessageW(hList, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) || !item.lParam) return L"";
    return reinterpret_cast<const DriveItemData*>(item.lParam)->szRoot;
}
}  // namespace

std::wstring DialogSession::SelectedRoot() const {
    int i = Selection();
    return i < 0 ? L"" : RootOf(List(), i);
}

std::wstring DialogSession::Roots() const {
    std::wstring s;
    for (int i = 0, n = Count(); i < n; ++i) {
        std::wstring root = RootOf(List(), i);
        s += root.empty() ? L'?' : root[0];
    }
    return s;
}

std::wstring DialogSession::FieldText() const {
    return WindowText(reinterpret_cast<HWND>(SendMessageW(List(), CBEM_GETEDITCONTROL, 0, 0)));
}

int DialogSession::IndexOf(wchar_t chLetter) const {
    std::wstring roots = Roots();
    size_t pos = roots.find(chLetter);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

void DialogSession::Select(int i) {
    SendMessageW(List(), CB_SETCURSEL, i, 0);
    SendMessageW(m_hDlg, WM_COMMAND, MAKEWPARAM(1000, CBN_SELCHANGE), reinterpret_cast<LPARAM>(List()));
}

bool DialogSession::FlushPosted() {
    const int target = Selection() == 0 ? -1 : 0;
    PostMessageW(List(), CB_SETCURSEL, static_cast<WPARAM>(target), 0);
    return WaitFor([&] { return Selection() == target; }, kSessionWait);
}
