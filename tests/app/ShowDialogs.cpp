// Shows the program's dialogs for screenshots: the application's start-up with
// its main dialog, optionally with the About box or a result dialog over it,
// opened as the program opens them. Closes everything after a few seconds.
//
// usage: show_dialogs.exe main|list|about|result [seconds]
//   list: the main dialog with its drive list dropped down
#include <windows.h>

#include <cwchar>
#include <thread>

#include "OrvaneApp.h"
#include "ResultDialog.h"
#include "WindowWaits.h"
#include "resource.h"

namespace {

const wchar_t kSampleReport[] =
    L"Старт:\t08.12.2026 20:15:01\r\n"
    L"Диск:\t\"PHOTOS_2010\"\r\n"
    L"Размер:\t734`003`200 байт\r\n"
    L"Файл:\t\"C:\\users\\Public\\Documents\\PHOTOS_2010.iso\"\r\n"
    L"Время:\t2 мин. 13.57 сек.\r\n"
    L"CRC-32:\t3610A686\r\n"
    L"MD5:\t5EB63BBBE01EEED093CB22BB8F5ACDC3\r\n"
    L"SHA-1:\t2AAE6C35C94FCFB415DBE95F408B9CE91EE846ED\r\n";

HWND WaitForMainDialog() {
    HWND hDlg = nullptr;
    const bool bShown = WaitFor(
        [&] { return (hDlg = ::FindWindowW(L"#32770", L"Создание образа CD/DVD")) && ::IsWindowVisible(hDlg); }, 10000);
    return bShown ? hDlg : nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t* mode = argc > 1 ? argv[1] : L"main";
    const int seconds = argc > 2 ? _wtoi(argv[2]) : 8;

    std::thread driver([mode, seconds] {
        HWND hDlg = WaitForMainDialog();
        if (!hDlg) return;
        ::Sleep(1000);  // let the dialog paint first
        if (wcscmp(mode, L"list") == 0) {
            ::PostMessageW(::GetDlgItem(hDlg, IDC_DRIVES), CB_SHOWDROPDOWN, TRUE, 0);
        } else if (wcscmp(mode, L"about") == 0) {
            ::PostMessageW(hDlg, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        } else if (wcscmp(mode, L"result") == 0) {
            // As a run's worker shows its report: on a thread of its own, owned by the main dialog.
            std::thread([hDlg] {
                CResultDialog dlg(CWnd::FromHandle(hDlg), kSampleReport);
                dlg.DoModal();
            }).detach();
        }
        ::Sleep(static_cast<DWORD>(seconds) * 1000);
        ::ExitProcess(0);
    });
    driver.detach();

    COrvaneApp app;
    app.InitInstance();
    return 0;
}
