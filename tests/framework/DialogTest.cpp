// Message maps, CDialog and CWnd under a real dialog: which handler a message
// reaches, what goes on to the default processing, and the handle maps.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Dialog.h"
#include "DialogThread.h"
#include "WindowWaits.h"

namespace {

UINT g_uTestMsg = ::RegisterWindowMessageW(L"orvane framework test message");

class CBaseTestDlg : public CDialog {
public:
    CBaseTestDlg() : CDialog(1) {}
    std::vector<std::string> m_log;
    int m_nInits = 0;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override {
        ++m_nInits;
        return CDialog::OnInitDialog();
    }
    void OnOther() { m_log.push_back("base other"); }
    void OnBaseOnly() { m_log.push_back("base only"); }
};

BEGIN_MESSAGE_MAP(CBaseTestDlg, CDialog)
    ON_BN_CLICKED(100, &CBaseTestDlg::OnOther)
    ON_BN_CLICKED(101, &CBaseTestDlg::OnBaseOnly)
END_MESSAGE_MAP()

class CDerivedTestDlg : public CBaseTestDlg {
protected:
    DECLARE_MESSAGE_MAP()
    void OnOtherDerived() { m_log.push_back("derived other"); }
    void OnNotifyOther(NMHDR* pHdr, LRESULT* pResult) {
        m_log.push_back("notify " + std::to_string(pHdr->code));
        *pResult = 42;
    }
    LRESULT OnTestMessage(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam) + 1; }
    void OnSysCommand(UINT nID, LPARAM) {
        m_log.push_back("syscommand " + std::to_string(nID));
        Default();
    }
};

BEGIN_MESSAGE_MAP(CDerivedTestDlg, CBaseTestDlg)
    ON_BN_CLICKED(100, &CDerivedTestDlg::OnOtherDerived)
    ON_NOTIFY(1234, 100, &CDerivedTestDlg::OnNotifyOther)
    ON_REGISTERED_MESSAGE(g_uTestMsg, &CDerivedTestDlg::OnTestMessage)
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

// The test dialog modal on a thread of its own; the thread goes with the object.
struct RunningDialog {
    CDerivedTestDlg dlg;
    CWnd* pPermanentAfter = reinterpret_cast<CWnd*>(1);
    HWND hDlg = nullptr;
    DialogThread thread{[this] {
        const INT_PTR nResult = dlg.DoModal();
        pPermanentAfter = CWnd::FromHandlePermanent(hDlg);
        return nResult;
    }};

    RunningDialog() { hDlg = WaitForThreadWindow(thread.ThreadId(), L"framework test"); }
    ~RunningDialog() {
        if (hDlg && ::IsWindow(hDlg)) ::SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    }
};

TEST(MessageMap, DerivedEntriesComeFirstAndUnlistedMessagesGetTheDefault) {
    RunningDialog run;
    ASSERT_NE(run.hDlg, nullptr);
    EXPECT_EQ(run.dlg.m_hWnd, run.hDlg);
    EXPECT_EQ(run.dlg.m_nInits, 1);

    ::SendMessageW(run.hDlg, WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), 0);
    ::SendMessageW(run.hDlg, WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), 0);
    // Same control, another notification code: no entry.
    ::SendMessageW(run.hDlg, WM_COMMAND, MAKEWPARAM(100, BN_DOUBLECLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(run.hDlg, 100)));
    // An accelerator (code 1, no control window) is a plain command.
    ::SendMessageW(run.hDlg, WM_COMMAND, MAKEWPARAM(101, 1), 0);

    NMHDR hdr = {nullptr, 100, 1234};
    EXPECT_EQ(::SendMessageW(run.hDlg, WM_NOTIFY, 100, reinterpret_cast<LPARAM>(&hdr)), 42);
    NMHDR other = {nullptr, 101, 1234};
    EXPECT_EQ(::SendMessageW(run.hDlg, WM_NOTIFY, 101, reinterpret_cast<LPARAM>(&other)), 0);

    EXPECT_EQ(::SendMessageW(run.hDlg, g_uTestMsg, 41, 0), 42);

    const std::vector<std::string> expected = {"derived other", "base only", "base only", "notify 1234"};
    EXPECT_EQ(run.dlg.m_log, expected);

    // The temporary object of another thread: the same one each time, not the dialog.
    CWnd* pTemp = CWnd::FromHandle(run.hDlg);
    ASSERT_NE(pTemp, nullptr);
    EXPECT_NE(pTemp, static_cast<CWnd*>(&run.dlg));
    EXPECT_EQ(pTemp->m_hWnd, run.hDlg);
    EXPECT_EQ(CWnd::FromHandle(run.hDlg), pTemp);
    EXPECT_EQ(CWnd::FromHandlePermanent(run.hDlg), nullptr);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);

    // A handled system command whose handler asks for the default processing:
    // SC_CLOSE then becomes the cancel command, which CDialog ends the dialog with.
    ::SendMessageW(run.hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_EQ(run.thread.Join(), IDCANCEL);
    EXPECT_EQ(run.dlg.m_log.back(), "syscommand " + std::to_string(SC_CLOSE));
    EXPECT_EQ(run.pPermanentAfter, nullptr);
    EXPECT_EQ(run.dlg.m_hWnd, nullptr);
}

TEST(MessageMap, OkCommandReachesTheBaseDialog) {
    RunningDialog run;
    ASSERT_NE(run.hDlg, nullptr);
    ::PostMessageW(run.hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(run.thread.Join(), IDOK);
}

}  // namespace
