#include "JobWorker.h"

// Placeholder until the worker is built: a started thread does nothing.
DWORD WINAPI SaveThreadProc(LPVOID) { return 0; }
DWORD WINAPI HashThreadProc(LPVOID) { return 0; }
void JobWorker(HWND, BOOL) {}
BOOL AskImagePath(HWND, wchar_t*) { return FALSE; }
