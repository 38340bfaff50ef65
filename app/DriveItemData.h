// The record behind each item of the drive list; the item owns it (LocalAlloc).
// Only the drive list reads and writes it, on the dialog's thread; a run gets
// the selected item's root through the dialog (RunDialog.h).
#pragma once

#include <windows.h>

#define DIF_MEDIA 0x00000001  // a readable disc is in the drive

struct DriveItemData {
    DWORD dwFlags;
    wchar_t szRoot[4];  // "X:\" and its terminating zero
};
static_assert(sizeof(DriveItemData) == 12, "DriveItemData is 12 bytes");
