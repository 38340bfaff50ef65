// Globals of the shell change notifications.
#pragma once

#include <windows.h>

// Id of the registered window message "WM_SHELL_CHANGE_NOTIFY_FOR_ORVANE",
// obtained during static initialisation.
extern UINT g_uShellEventMsg;

// File-system path of the item of the shell event being handled (dialog thread only).
extern wchar_t g_szEventPath[MAX_PATH];
