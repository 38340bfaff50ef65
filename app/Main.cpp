// The program's entry point and its one application object.
#include "OrvaneApp.h"

COrvaneApp theApp;

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow) {
    // A drive without a disc answers with an error code instead of a system box
    // that would stall a run on its worker thread.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
