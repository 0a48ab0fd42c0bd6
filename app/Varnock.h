// CVarnockApp: the application. Writes the start banner to the log, asks whether to update
// and, on Yes, runs the progress dialog until it closes.
#pragma once

#include "framework/CWinApp.h"

class CVarnockApp : public CWinApp {
public:
    // Always FALSE: the process ends when it returns. Exit code: 0 after a successful update,
    // the completion code 1 to 8 after a failure, ERROR_CANCELLED (1223) when the user does
    // not answer Yes.
    BOOL InitInstance() override;
};
