// A stand-in for the update worker, so that the dialog can be driven through outcomes the real
// worker never produces. VARNOCK_SCRIPT="CODE,DETAIL[,RELEASE]": moves both bars to their
// ends the way the worker does (ten entries), waits for the file RELEASE to exist when one is
// named, then posts WM_UPDATE_DONE with CODE and DETAIL.
#include "progress/Progress.h"
#include "update/UpdateWorker.h"

#include <stdlib.h>

UINT UpdateWorker(LPVOID) {
    char script[512] = "";
    GetEnvironmentVariableA("VARNOCK_SCRIPT", script, sizeof script);
    char* field = script;
    long long code = strtoll(field, &field, 10);
    long long detail = *field == ',' ? strtoll(field + 1, &field, 10) : 0;
    const char* release = *field == ',' ? field + 1 : "";

    SetStepRange(6);
    SetFileRange(1000);
    for (int step = 1; step <= 3; ++step) {
        Sleep(30);
        SetStepPos(step);
    }
    const int entries = 10;
    for (int entry = 1; entry <= entries; ++entry) {
        Sleep(30);
        PostFileProgress(entry, entries);
    }
    SetStepPos(4);
    while (release[0] && GetFileAttributesA(release) == INVALID_FILE_ATTRIBUTES)
        Sleep(50);
    SetStepPos(5);
    SetStepPos(6);
    PostMessageA(g_hDialog, WM_UPDATE_DONE, static_cast<WPARAM>(code), static_cast<LPARAM>(detail));
    return 0;
}
