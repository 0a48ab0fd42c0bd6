#include "framework/CWinApp.h"

static CWinApp* s_app = nullptr;

CWinApp::CWinApp() : m_pMainWnd(nullptr), m_hInstance(nullptr), m_exitCode(0) {
    s_app = this;
}

CWinApp::~CWinApp() {
    if (s_app == this)
        s_app = nullptr;
}

BOOL CWinApp::InitInstance() {
    return FALSE;
}

void CWinApp::OnHelp() {}

BOOL CWinApp::Enable3dControls() {
    return TRUE;
}

CWinApp* AfxGetApp() {
    return s_app;
}

HINSTANCE AfxGetResourceHandle() {
    if (s_app && s_app->m_hInstance)
        return s_app->m_hInstance;
    return GetModuleHandleA(nullptr);
}

void AfxEnableControlContainer() {}
