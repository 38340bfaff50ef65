// Where the program's resources live. The program keeps them all in its own
// executable, so the lookup answers the main module for every type.
#pragma once

#include <windows.h>

HINSTANCE AfxFindResourceHandle(LPCWSTR lpszName, LPCWSTR lpszType);
