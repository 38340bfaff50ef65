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
    m_pDlg = new CTestableDlg();
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
    m_hDlg = WaitForThreadWindow(m_thread->ThreadId(), drive::kMainTitle, kSessionWait);
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
    WaitFor([&] { return Enabled(IDCANCEL) && !CRunDialog::IsRunInProgress(m_hDlg); }, kSessionWait);
    drive::Press(m_hDlg, IDCANCEL);
    return WaitFor([&] { return m_thread->Finished(); }, kSessionWait);
}

INT_PTR DialogSession::ModalResult() { return m_thread->Join(kSessionWait); }

void DialogSession::Notify(LONG lEvent, const wchar_t* pszPath) {
    // Only registrations of this process hear it under Wine: the dialog's own.
    SHChangeNotify(lEvent, SHCNF_PATHW, pszPath, nullptr);
    // Wine delivers the message synchronously; a round trip through the
    // dialog's thread makes sure that nothing of it is still pending.
    SendMessageW(m_hDlg, WM_NULL, 0, 0);
}

void DialogSession::Command(int id) const {
    SendMessageW(m_hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(m_hDlg, id)));
}

std::vector<DialogSession::Item> DialogSession::Items() const {
    std::vector<Item> items;
    for (int i = 0, n = Count(); i < n; ++i) {
        wchar_t text[MAX_PATH] = {};
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        if (!SendMessageW(List(), CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) item = {};
        items.push_back({text, item.iImage, item.iSelectedImage, reinterpret_cast<const DriveItemData*>(item.lParam)});
    }
    return items;
}

int DialogSession::Count() const { return static_cast<int>(SendMessageW(List(), CB_GETCOUNT, 0, 0)); }

int DialogSession::Selection() const { return static_cast<int>(SendMessageW(List(), CB_GETCURSEL, 0, 0)); }

std::wstring DialogSession::ItemText(int i) const {
    const std::vector<Item> items = Items();
    return i >= 0 && i < static_cast<int>(items.size()) ? items[i].text : L"";
}

std::wstring DialogSession::SelectedRoot() const {
    const int i = Selection();
    const std::vector<Item> items = Items();
    return i < 0 || i >= static_cast<int>(items.size()) || !items[i].data ? L"" : items[i].data->szRoot;
}

std::wstring DialogSession::Roots() const {
    std::wstring s;
    for (const Item& item : Items()) s += item.data ? item.data->szRoot[0] : L'?';
    return s;
}

int DialogSession::ImageCount() const {
    auto hImages = reinterpret_cast<HIMAGELIST>(SendMessageW(List(), CBEM_GETIMAGELIST, 0, 0));
    return hImages ? ImageList_GetImageCount(hImages) : -1;
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
    SendMessageW(List(), CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    SendMessageW(m_hDlg, WM_COMMAND, MAKEWPARAM(1000, CBN_SELCHANGE), reinterpret_cast<LPARAM>(List()));
}

bool DialogSession::FlushPosted() {
    const int target = Selection() == 0 ? -1 : 0;
    PostMessageW(List(), CB_SETCURSEL, static_cast<WPARAM>(target), 0);
    return WaitFor([&] { return Selection() == target; }, kSessionWait);
}
