// The worker thread of a run: started by the main dialog's Save and Hashes
// buttons with the dialog's window handle as its only parameter.
#pragma once

#include <windows.h>

DWORD WINAPI SaveThreadProc(LPVOID pParam);
DWORD WINAPI HashThreadProc(LPVOID pParam);

// The whole run on the worker thread, once the press has locked the dialog:
// takes the selected drive, asks for the image path (Save runs), runs the job,
// shows its report and unlocks the dialog.
void JobWorker(HWND hDlg, BOOL bSave);
