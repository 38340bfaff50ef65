// The main dialog's "a run is working" mark. It lives on the dialog's window
// (a window property), so the user-interface thread and a run's worker thread
// both reach it through the window, as they reach everything else they share.
//
// While the mark is set, only one run works: the dialog starts no second one,
// its button rule does not enable "Сохранить" or "Хэши", and it cannot be
// closed, so no run is cut off with a half-written image and no report. With
// the mark goes the system menu's Close (grayed, and with it the caption's
// close button).
//
// A second mark, "a run is reading", lasts only while the run reads the disc
// and writes what it read (ReadingSpan.h). While it is set the dialog refuses
// to let the session end (WM_QUERYENDSESSION), and a shutdown block reason
// tells Windows why; a run that only waits for the user in the Save As or the
// result dialog lets a logoff go on.
//
// The system menu and the block reason belong to the dialog's thread: from any
// other thread a mark is set or cleared through one synchronous message
// (g_uRunInProgressMsg, g_uRunReadingMsg), which the dialog answers with
// ApplyRunInProgress or ApplyRunReading.
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
// Sets or clears the mark with its Close state; on the dialog's thread only.
// Returns 1, the answer to g_uRunInProgressMsg.
LRESULT ApplyRunInProgress(HWND hDlg, BOOL bMark);

// Registered message: wParam TRUE sets the reading mark, FALSE clears it; answered 1.
extern const UINT g_uRunReadingMsg;
// Sets or clears the reading mark from any thread.
void SetRunReading(HWND hDlg, BOOL bReading);
BOOL IsRunReading(HWND hDlg);
// Sets or clears the reading mark with its shutdown block reason; on the
// dialog's thread only. Returns 1, the answer to g_uRunReadingMsg.
LRESULT ApplyRunReading(HWND hDlg, BOOL bReading);
