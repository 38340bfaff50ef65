#include "SelectedRootMessage.h"

UINT g_uCopySelectedRootMsg = ::RegisterWindowMessageW(L"orvane: copy the selected drive's root");
