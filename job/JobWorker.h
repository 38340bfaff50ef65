// The worker thread of a run: started by the main dialog's Save and Hashes
// buttons with the dialog's window handle as its only parameter.
#pragma once

#include <windows.h>

DWORD WINAPI SaveThreadProc(LPVOID pParam);
DWORD WINAPI HashThreadProc(LPVOID pParam);

// The whole run on the worker thread: locks the dialog's buttons, asks for the
// image path (Save runs), runs the job, shows its report and restores the dialog.
void JobWorker(HWND hDlg, BOOL bSave);

// Enables or disables the buttons a run locks: "Сохранить", "Выход", "Хэши"
// and "Обновить", in that order.
void EnableRunButtons(HWND hDlg, BOOL bEnable);

// The Save As dialog for the image file. pszPath (MAX_PATH units) carries the
// proposed name in and the chosen path out. TRUE when the user confirmed a path.
BOOL AskImagePath(HWND hOwner, wchar_t* pszPath);
