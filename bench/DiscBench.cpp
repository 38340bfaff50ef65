// disc_bench: one Save or Hashes run on a drive, timed from start to saved report.
// usage: disc_bench.exe LETTER [IMAGE]   (no image: a Hashes run)
// Prints the seconds that Run took and the run's report.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "DiscJob.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: disc_bench LETTER [IMAGE]\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    // The run updates a window laid out like the main dialog, as in the program.
    HWND hDlg = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 10, 60, 300, 20, hDlg,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(1001)), GetModuleHandleW(nullptr), nullptr);
    CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 20, 300, 20, hDlg,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(1002)), GetModuleHandleW(nullptr), nullptr);

    LARGE_INTEGER t0, t1, f;
    QueryPerformanceFrequency(&f);
    CDiscJob* job = new CDiscJob();
    QueryPerformanceCounter(&t0);
    const BOOL ok = job->Run(hDlg, argc > 2 ? argv[2] : nullptr, argv[1][0]);
    QueryPerformanceCounter(&t1);
    const double seconds = static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart);

    // The report goes out as UTF-8 so that a Unix terminal shows it.
    const CString& report = job->GetReport();
    const int n = WideCharToMultiByte(CP_UTF8, 0, report, report.GetLength(), nullptr, 0, nullptr, nullptr);
    char* utf8 = new char[static_cast<size_t>(n) + 1];
    WideCharToMultiByte(CP_UTF8, 0, report, report.GetLength(), utf8, n, nullptr, nullptr);
    utf8[n] = 0;
    printf("seconds %.3f\n%s", seconds, utf8);
    delete[] utf8;
    delete job;
    DestroyWindow(hDlg);
    return ok ? 0 : 1;
}
