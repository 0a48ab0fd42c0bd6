// CWinApp: the application object. Exactly one instance exists, a global of the program's own
// class; the entry point (framework/WinMain.cpp) calls its InitInstance once and ends the
// process with its exit code whatever InitInstance returns.
#pragma once

#include <windows.h>

class CDialog;

// The standard help command; F1 in a framework dialog (WM_HELP) sends it too.
#define ID_HELP 0xE146

class CWinApp {
public:
    // Registers this object as the application (AfxGetApp). A second instance replaces the
    // first as the one AfxGetApp returns.
    CWinApp();
    virtual ~CWinApp();

    // The program's whole run. The result says whether a message loop should follow; this
    // framework has none, so the process ends either way with GetExitCode().
    virtual BOOL InitInstance();

    // The help command. The program ships no help file, so it does nothing.
    virtual void OnHelp();

    // Kept for the dialogs' look: controls get the system's themed look from the manifest
    // (common controls 6), so there is nothing to switch on. Always TRUE.
    BOOL Enable3dControls();

    void SetExitCode(int code) { m_exitCode = code; }
    int GetExitCode() const { return m_exitCode; }

    // The main window while a dialog runs as such: the default owner of dialogs created
    // without a parent. Not owned.
    CDialog* m_pMainWnd;
    // The module the resources come from; set by the entry point before InitInstance.
    HINSTANCE m_hInstance;

private:
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    int m_exitCode;
};

// The application object, or null when the program defines none.
CWinApp* AfxGetApp();

// The module whose resources the framework loads (the executable).
HINSTANCE AfxGetResourceHandle();

// Hosting of ActiveX controls is not offered: the program's dialogs host none. Does nothing.
void AfxEnableControlContainer();
