// The main dialog's "a run is working" mark. It lives on the dialog's window
// (a window property), so the user-interface thread and a run's worker thread
// both reach it through the window, as they reach everything else they share.
//
// While the mark is set, only one run works: the dialog starts no second one,
// its button rule does not enable "Сохранить" or "Хэши", and it cannot be
// closed, so no run is cut off with a half-written image and no report. With
// the mark go the system menu's Close (grayed, and with it the caption's close
// button) and a shutdown block reason, which tells Windows why the dialog
// refuses to let the session end (WM_QUERYENDSESSION). Both belong to the
// dialog's thread: from any other thread the mark is set or cleared through
// one synchronous message, g_uRunInProgressMsg, which the dialog answers with
// ApplyRunInProgress.
#pragma once

#include <windows.h>

// Registered message: wParam TRUE sets the mark, FALSE clears it; answered 1.
extern const UINT g_uRunInProgressMsg;

// Sets the mark unless it is set already. FALSE when a run is already working.
// Called on the dialog's thread before a worker is started.
BOOL TryMarkRunInProgress(HWND hDlg);
// Sets the mark (the worker, as its first step; harmless when set already).
void MarkRunInProgress(HWND hDlg);
// Clears the mark: the run has ended, or its worker could not be started.
void ClearRunInProgress(HWND hDlg);
BOOL IsRunInProgress(HWND hDlg);
// Sets or clears the mark with its Close state and shutdown block reason; on
// the dialog's thread only. Returns 1, the answer to g_uRunInProgressMsg.
LRESULT ApplyRunInProgress(HWND hDlg, BOOL bMark);
