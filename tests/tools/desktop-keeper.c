/* desktop-keeper: brings up the Wine desktop of its prefix and keeps it up.
 *
 * Asking for the desktop window makes Wine start the prefix's desktop process
 * (explorer.exe /desktop) when it is not running, and wait until it answers.
 * Once another process owns the desktop window, the program creates the file
 * named on its command line (a Windows path) to say so, and then waits until
 * it is ended: Wine ends the desktop process once no program uses the
 * desktop, and the next program to need it would start it again.
 *
 * Exit code 1 when no other process owns the desktop window, 2 when the file
 * cannot be created. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR pszCmdLine, int nShow) {
    DWORD dwOwner = 0;
    HANDLE hFile;
    (void)hInstance;
    (void)hPrevInstance;
    (void)nShow;
    GetWindowThreadProcessId(GetDesktopWindow(), &dwOwner);
    if (dwOwner == 0 || dwOwner == GetCurrentProcessId()) return 1;
    hFile = CreateFileW(pszCmdLine, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE) return 2;
    CloseHandle(hFile);
    Sleep(INFINITE);
    return 0;
}
