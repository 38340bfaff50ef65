// The file name that a Save run proposes for the image: the disc's volume
// label, made fit for a file name.
#pragma once

#include <windows.h>

// Works in place on a zero-terminated label: each character that a file name
// cannot hold (< > : " / \ | ? * and the control characters) becomes "_", and
// trailing dots and blanks are dropped. Nothing may be left: then the name is
// empty and nothing is proposed.
void MakeProposedFileName(wchar_t* pszName);
