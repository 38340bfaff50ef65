#include "ProposedFileName.h"

#include <cwchar>

void MakeProposedFileName(wchar_t* pszName) {
    if (!pszName) return;
    size_t nLength = 0;
    for (wchar_t* p = pszName; *p; ++p, ++nLength) {
        if (*p < 0x20 || std::wcschr(L"<>:\"/\\|?*", *p)) *p = L'_';
    }
    // Windows drops trailing dots and blanks from a file name; a name made of
    // nothing else would name no file at all.
    while (nLength > 0 && (pszName[nLength - 1] == L'.' || pszName[nLength - 1] == L' ')) pszName[--nLength] = L'\0';
}
