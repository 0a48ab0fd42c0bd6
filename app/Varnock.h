// CVarnockApp: the application. Writes the start banner to the log, asks whether to update
// and, on Yes, runs the progress dialog until it closes. Where nobody can answer (a window
// station that is not visible) it asks nothing: a build carrying the unattended consent
// (update/Consent.h) updates without the dialog, any other ends as after a No.
#pragma once

#include "framework/CWinApp.h"

class CVarnockApp : public CWinApp {
public:
    // Always FALSE: the process ends when it returns. Exit code: dialogs/ExitStatus.h for a
    // run that updated or failed (0, 3010 or 1641 after success; 1618 when another update
    // runs; the completion code 1 to 7 or 9 after any other failure); ERROR_CANCELLED (1223)
    // when the user does not answer Yes, or when nobody can answer and the build carries no
    // consent; CODE_PAGE_EXIT_STATUS (10, app/CodePage.h) when the process's code page is not
    // 932, before anything is asked.
    BOOL InitInstance() override;
};
