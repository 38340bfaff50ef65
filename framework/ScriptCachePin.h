// Wine's text layout shares one script cache per font among all the threads of
// a process and builds it without a lock (seen with Wine 8.0): two threads that
// lay out text in the same font at once, such as a dialog's edit field on the
// user-interface thread and a dialog shown by a worker thread, can corrupt the
// process heap, and the process then hangs on the heap lock. Laying out text in
// the font once, before a second thread draws anything, and keeping that cache
// for the life of the process leaves the other threads nothing to build.
// Windows needs none of this: several user-interface threads are a supported
// design there, and these functions are only called under Wine.
#pragma once

#include <windows.h>

// True when the process runs under Wine, whose ntdll exports wine_get_version.
bool IsRunningUnderWine();

// Once per process: lays out a Latin and a Cyrillic sample in the font of hWnd
// (ScriptItemize, ScriptShape, ScriptPlace) and keeps the font's script cache
// until the process ends. Later calls do nothing. Call it on the window's thread
// before any other thread shows a window in the same font.
void PinScriptCache(HWND hWnd);
