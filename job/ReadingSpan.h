// The part of a run in which it reads the disc and writes what it read: from
// the volume's opening until the image is in place and the report saved.
// Windows counts neither disc nor processor activity as use, so a laptop left
// alone would go to sleep in the middle of a long copy, and a logoff would cut
// it short. While the span lasts the system stays awake and the main dialog
// refuses the session's end; the dialogs that only wait for the user (Save As,
// the result) block neither.
#pragma once

#include <windows.h>

class CReadingSpan {
public:
    CReadingSpan() = default;
    ~CReadingSpan() { End(); }
    CReadingSpan(const CReadingSpan&) = delete;
    CReadingSpan& operator=(const CReadingSpan&) = delete;

    // Begins the span on the calling thread (the system's awake request is the
    // thread's own); hDlg is the main dialog. Does nothing when it has begun.
    void Begin(HWND hDlg);
    // Ends it, on the same thread; does nothing when it has not begun.
    void End();

private:
    HWND m_hDlg = nullptr;
    bool m_bActive = false;
};
