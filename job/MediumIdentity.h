// What tells one disc from another in a drive, noted before a run reads the
// disc's label and size and confirmed once its volume is open and again before
// its checksums are final: a disc changed in between would otherwise give its
// bytes under the first disc's label and size.
#pragma once

#include <windows.h>

class CMediumIdentity {
public:
    // Notes the drive's count of media changes, asked through a handle opened
    // for its attributes alone, and the volume's serial number, asked of the
    // drive's root. What the drive does not answer stays unknown and is not
    // compared later: Wine, for one, answers no count.
    void Note(HANDLE hAttributes, const wchar_t* pszRoot);

    // TRUE when the medium is the one noted, as the same attributes handle and
    // the opened volume (hVolume) tell it now. FALSE, with the thread's
    // last-error code set, when it differs (ERROR_MEDIA_CHANGED) or when what
    // was noted can no longer be asked (the drive's own error).
    BOOL Confirm(HANDLE hAttributes, HANDLE hVolume) const;

private:
    static BOOL ChangeCount(HANDLE hAttributes, ULONG& nCount);

    bool m_bCount = false;
    ULONG m_nCount = 0;
    bool m_bSerial = false;
    DWORD m_nSerial = 0;
};
