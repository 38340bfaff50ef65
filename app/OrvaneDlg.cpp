#include "OrvaneDlg.h"

#include <commctrl.h>

#include "AboutDlg.h"
#include "ClientDC.h"
#include "JobWorker.h"
#include "PaintDC.h"
#include "Resources.h"
#include "RunDialog.h"
#include "ScriptCachePin.h"
#include "String.h"
#include "ShellEvents.h"
#include "UniqueResource.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(COrvaneDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_NOTIFY(CBEN_DELETEITEM, IDC_DRIVES, &COrvaneDlg::OnDeleteItemDrives)
    ON_CBN_SELCHANGE(IDC_DRIVES, &COrvaneDlg::OnSelchangeDrives)
    ON_BN_CLICKED(IDC_HASHES, &COrvaneDlg::OnHashes)
    ON_BN_CLICKED(IDOK, &COrvaneDlg::OnSave)
    ON_REGISTERED_MESSAGE(g_uShellEventMsg, &COrvaneDlg::OnShellEvent)
    ON_BN_CLICKED(IDC_REFRESH, &COrvaneDlg::OnRefresh)
    ON_WM_QUERYENDSESSION()
    ON_REGISTERED_MESSAGE(CRunDialog::s_uRunInProgressMsg, &COrvaneDlg::OnRunInProgress)
    ON_REGISTERED_MESSAGE(CRunDialog::s_uRunReadingMsg, &COrvaneDlg::OnRunReading)
    ON_REGISTERED_MESSAGE(CRunDialog::s_uCopySelectedRootMsg, &COrvaneDlg::OnCopySelectedRoot)
END_MESSAGE_MAP()

COrvaneDlg::COrvaneDlg() : CDialog(IDD_ORVANE_DIALOG) {
    m_hIcon = ::LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(IDR_MAINFRAME), RT_GROUP_ICON),
                          MAKEINTRESOURCEW(IDR_MAINFRAME));
}

BOOL COrvaneDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Under Wine only, before a run's worker can show a dialog in the same
    // font: Wine's text layout is not safe for two threads (ScriptCachePin.h).
    if (IsRunningUnderWine()) PinScriptCache(m_hWnd);

    if (HMENU hSysMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        CString strAboutMenu;
        strAboutMenu.LoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            ::AppendMenuW(hSysMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(hSysMenu, MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    // The screen's colour depth, from a device context given back at once. In
    // bits per pixel it is the ILC_COLORn flag of that depth.
    const int nBitsPerPixel = ::GetDeviceCaps(CClientDC(this), BITSPIXEL);
    m_imageList.Create(16, 16, static_cast<UINT>(nBitsPerPixel) | ILC_MASK, 8, 8);
    m_imageList.SetBkColor(::GetSysColor(COLOR_WINDOW));
    m_driveList.Attach(::GetDlgItem(m_hWnd, IDC_DRIVES));
    m_driveList.SetImageList(m_imageList);

    FillDriveList();
    m_shellNotify.Register(m_hWnd);

    return TRUE;  // the focus goes to the first tab stop, "Обновить"
}

void COrvaneDlg::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else if ((nID & 0xFFF0) == SC_CLOSE && CRunDialog::IsRunInProgress(m_hWnd)) {
        // Alt+F4 and the system menu's Close wait for the run to end.
    } else {
        Default();
    }
}

void COrvaneDlg::OnPaint() {
    if (!::IsIconic(m_hWnd)) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);

    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    ::GetClientRect(m_hWnd, &rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
}

HCURSOR COrvaneDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

// Each run gets a thread of its own with the dialog's window as its only
// parameter; the thread is never waited for. One run at a time: the dialog is
// marked busy and its four buttons are locked here, on the dialog's thread,
// before the worker starts, so that neither a second press nor an "Обновить"
// that is already queued acts while the worker gets going.
void COrvaneDlg::OnSave() { StartRun(&SaveThreadProc); }

void COrvaneDlg::OnHashes() { StartRun(&HashThreadProc); }

void COrvaneDlg::StartRun(LPTHREAD_START_ROUTINE pfnThreadProc) {
    CRunDialog dialog(m_hWnd);
    if (!dialog.Lock()) return;
    // CreateRemoteThread on the program's own process is CreateThread with a
    // process handle: the run's thread starts at once with the dialog as
    // parameter. Nothing waits for it, so its handle is closed here at once.
    const CKernelHandle thread(
        ::CreateRemoteThread(::GetCurrentProcess(), nullptr, 0, pfnThreadProc, m_hWnd, 0, nullptr));
    if (thread.IsValid()) return;
    // Nothing started: the dialog goes back to idle, with "Сохранить" and
    // "Хэши" by the selected drive as before the press.
    dialog.Unlock();
    UpdateButtons();
}

// Esc, "Выход" and WM_CLOSE end the dialog only when no run is working, so a
// run is never cut off with a half-written image and no report.
void COrvaneDlg::OnCancel() {
    if (CRunDialog::IsRunInProgress(m_hWnd)) return;
    CDialog::OnCancel();
}

// A logoff or shutdown would cut a copy short: the dialog refuses while a run
// reads the disc, and Windows shows the shutdown block reason set with that
// mark. A run that only waits in the Save As or the result dialog loses
// nothing and lets the session end.
BOOL COrvaneDlg::OnQueryEndSession() { return !CRunDialog::IsRunReading(m_hWnd); }

// A worker sets or clears the run mark through this message, so that the
// system menu changes on the dialog's own thread.
LRESULT COrvaneDlg::OnRunInProgress(WPARAM wParam, LPARAM) {
    return CRunDialog::ApplyRunInProgress(m_hWnd, wParam != 0);
}

// The same for the reading mark and its shutdown block reason.
LRESULT COrvaneDlg::OnRunReading(WPARAM wParam, LPARAM) { return CRunDialog::ApplyRunReading(m_hWnd, wParam != 0); }
