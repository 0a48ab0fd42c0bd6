#include "app/WindowStation.h"

int StationIsAnswerable(int sessionKnown, DWORD sessionId, int flagsKnown, DWORD stationFlags) {
    if (!sessionKnown || sessionId == 0)
        return 0;
    return flagsKnown && (stationFlags & WSF_VISIBLE) != 0;
}

int IsWindowStationVisible() {
    DWORD sessionId = 0;
    int sessionKnown = ProcessIdToSessionId(GetCurrentProcessId(), &sessionId) != 0;
    USEROBJECTFLAGS flags = {};
    DWORD needed = 0;
    HWINSTA station = GetProcessWindowStation(); // not to be closed
    int flagsKnown =
        station && GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, &needed);
    return StationIsAnswerable(sessionKnown, sessionId, flagsKnown, flags.dwFlags);
}
