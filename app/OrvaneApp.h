// The application object: runs the main dialog between COM start-up and shut-down.
#pragma once

#include "WinApp.h"

class COrvaneApp : public CWinAppEx {
public:
    COrvaneApp() = default;

    BOOL InitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()
};

extern COrvaneApp theApp;
