#include "app/Varnock.h"

#include "app/CodePage.h"
#include "app/LogPath.h"
#include "app/WindowStation.h"
#include "dialogs/UnattendedRun.h"
#include "dialogs/VarnockDlg.h"
#include "framework/ResourceString.h"
#include "log/Log.h"
#include "res/ResourceIds.h"
#include "update/Consent.h"

#include <windows.h>

CVarnockApp theApp;

namespace {

// The log's line numbers of start-up's sites, fixed so that logs compare across versions.
const int kLogBannerLine = 53;
const int kLogNobodyLine = 54;
const int kLogUnattendedLine = 55;
const int kLogCodePageLine = 56;

} // namespace

BOOL CVarnockApp::InitInstance() {
    AfxEnableControlContainer();

    // A temporary folder too long for the buffer leaves LogFilePath empty: nothing is logged.
    char tempFolder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof tempFolder, tempFolder);
    if (length > 0 && length < sizeof tempFolder)
        BuildLogPath(tempFolder, LogFilePath, sizeof LogFilePath);

    LOG_WRITE_AT(kLogBannerLine, "====================【開始】====================");

    // Every text and payload name is code page 932: in any other, the question would read as
    // question marks and names would split at trail bytes 0x5C.
    int canAnswer = IsWindowStationVisible();
    UINT codePage = GetACP();
    int has932 = IsValidCodePage(PROGRAM_CODE_PAGE) != 0;
    if (!HasProgramCodePage(codePage, has932)) {
        LOG_WRITE_AT(kLogCodePageLine,
                     "コードページ %u では動作できないため、アップデートを行いませんでした。",
                     codePage);
        if (canAnswer)
            ShowCodePageRefusal(codePage, has932);
        SetExitCode(CODE_PAGE_EXIT_STATUS);
        return FALSE;
    }

    // Where nobody can see the question it would wait for ever: update without asking only
    // when the build carries the release engineer's consent, else end as after a No.
    if (!canAnswer) {
        if (!HasUnattendedConsent()) {
            LOG_WRITE_AT(kLogNobodyLine,
                         "応答できる利用者がいないため、アップデートを行いませんでした。");
            SetExitCode(ERROR_CANCELLED);
            return FALSE;
        }
        LOG_WRITE_AT(kLogUnattendedLine, "無人実行のため、確認なしでアップデートします。");
        SetExitCode(RunWithoutDialog());
        return FALSE;
    }

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
    SetExitCode(dialog.GetExitStatus());
    return FALSE;
}
