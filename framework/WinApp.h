// CWinApp: the application object. The program defines exactly one, as a
// global; the entry point AfxWinMain runs its InitInstance.
#pragma once

#include "String.h"
#include "Wnd.h"

#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

class CWinApp : public CCmdTarget {
public:
    // The application's name is accepted for the familiar signature; the
    // program takes its name from its resources.
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;

    // The program's start-up. TRUE would ask for an application message loop,
    // which this framework does not have: the entry point then ends as well.
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // Names the registry key under which the application would keep settings.
    // Only the name is kept: nothing is written to the registry.
    void SetRegistryKey(LPCWSTR lpszRegistryKey);
    const wchar_t* GetRegistryKey() const { return m_strRegistryKey; }

    // ID_HELP: the application has no help file, so there is nothing to open.
    void OnHelp();

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

private:
    CString m_strRegistryKey;
};

// The extended application class; nothing beyond CWinApp is needed here.
class CWinAppEx : public CWinApp {
public:
    explicit CWinAppEx(LPCWSTR lpszAppName = nullptr) : CWinApp(lpszAppName) {}
};

// The application object, or null before it is constructed.
CWinApp* AfxGetApp();

// The body of the program's wWinMain: runs the application object.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);

// Prepares for ActiveX controls in dialogs. The program's dialogs hold none,
// so there is nothing to prepare.
void AfxEnableControlContainer();
