#include "Resources.h"

HINSTANCE AfxFindResourceHandle(LPCWSTR, LPCWSTR) { return GetModuleHandleW(nullptr); }
