#include "app/Varnock.h"

#include "app/LogPath.h"
#include "dialogs/VarnockDlg.h"
#include "framework/ResourceString.h"
#include "log/Log.h"
#include "res/ResourceIds.h"

#include <windows.h>

CVarnockApp theApp;

BOOL CVarnockApp::InitInstance() {
    AfxEnableControlContainer();

    // A temporary folder too long for the buffer leaves LogFilePath empty: nothing is logged.
    char tempFolder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof tempFolder, tempFolder);
    if (length > 0 && length < sizeof tempFolder)
        BuildLogPath(tempFolder, LogFilePath, sizeof LogFilePath);

    LOG_WRITE("====================【開始】====================");

    CString caption = ResourceString(IDS_CAPTION);
    CString question = ResourceString(IDS_QUESTION);
    if (MessageBoxA(nullptr, question, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) !=
        IDYES) {
        SetExitCode(ERROR_CANCELLED);
        return FALSE;
    }

    Enable3dControls();

    CVarnockDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    SetExitCode(dialog.GetCompletionCode());
    return FALSE;
}
