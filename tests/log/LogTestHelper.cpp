// The other process of the log tests:
//   hold READY RELEASE          take the log's lock, signal READY, keep the lock until RELEASE
//                               is signalled (at most 60 s), then release it
//   abandon                     take the lock and end without releasing it
//   probe                       take the lock within 2 s and release it
//   write LOG COUNT TAG START   wait for START, then log COUNT lines "TAG nnnn" to LOG
// Exit codes: 0 done, 2 bad arguments, 3 lock not obtained, 4 event not found.
#include "log/Log.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HANDLE OpenLock() {
    return CreateMutexA(NULL, FALSE, "MERVIC_MUTEX");
}

static bool Owned(DWORD wait) {
    return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

static int Hold(const char* readyName, const char* releaseName) {
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, releaseName);
    if (!ready || !release)
        return 4;
    HANDLE lock = OpenLock();
    if (!lock || !Owned(WaitForSingleObject(lock, 10000)))
        return 3;
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    ReleaseMutex(lock);
    CloseHandle(lock);
    CloseHandle(ready);
    CloseHandle(release);
    return 0;
}

static int Abandon() {
    HANDLE lock = OpenLock();
    if (!lock || !Owned(WaitForSingleObject(lock, 10000)))
        return 3;
    return 0; // the process ends still owning the lock
}

static int Probe() {
    HANDLE lock = OpenLock();
    if (!lock || !Owned(WaitForSingleObject(lock, 2000)))
        return 3;
    ReleaseMutex(lock);
    CloseHandle(lock);
    return 0;
}

static int Write(const char* logPath, int count, const char* tag, const char* startName) {
    snprintf(LogFilePath, sizeof LogFilePath, "%s", logPath);
    HANDLE start = OpenEventA(SYNCHRONIZE, FALSE, startName);
    if (!start)
        return 4;
    WaitForSingleObject(start, 30000);
    CloseHandle(start);
    for (int i = 0; i < count; ++i)
        LOG_WRITE("%s %04d", tag, i);
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "hold") == 0)
        return Hold(argv[2], argv[3]);
    if (argc == 2 && strcmp(argv[1], "abandon") == 0)
        return Abandon();
    if (argc == 2 && strcmp(argv[1], "probe") == 0)
        return Probe();
    if (argc == 6 && strcmp(argv[1], "write") == 0)
        return Write(argv[2], atoi(argv[3]), argv[4], argv[5]);
    return 2;
}
