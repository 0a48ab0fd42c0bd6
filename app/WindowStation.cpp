#include "app/WindowStation.h"

#include <windows.h>

int IsWindowStationVisible() {
    HWINSTA station = GetProcessWindowStation(); // not to be closed
    if (!station)
        return 0;
    USEROBJECTFLAGS flags;
    DWORD needed = 0;
    if (!GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, &needed))
        return 0;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}
