// The message by which a run's worker takes the selected drive's root path
// ("D:\") from the main dialog. Sent with SendMessageW, it is handled on the
// dialog's thread, where the drive list and its item records live, so the
// selection and its record are read together and the worker never touches a
// record that the list may free at any moment.
//   wParam  capacity of the buffer in UTF-16 units
//   lParam  the buffer (wchar_t*); receives the root, or an empty string
//   result  TRUE when a drive is selected and its root was copied whole
#pragma once

#include <windows.h>

extern UINT g_uCopySelectedRootMsg;
