// Whether anyone can see, and so answer, what the program shows.
#pragma once

#include <windows.h>

// IsWindowStationVisible returns 1 when someone can answer the process: its session is not
// session 0 and its window station is visible (the interactive WinSta0 of a logged-on user).
// It returns 0 for session 0 (services, and agents that start programs into session 0's WinSta0,
// which reports itself visible although nobody has seen session 0 since Windows Vista), for a
// station without WSF_VISIBLE (a service's or a deployment agent's own), and when the session or
// the station's flags cannot be read: what cannot be examined cannot be trusted to be seen.
int IsWindowStationVisible();

// StationIsAnswerable is the decision itself: `sessionKnown` and `flagsKnown` say whether the
// session id and the station's UOI_FLAGS could be read. Returns 1 or 0 as above.
int StationIsAnswerable(int sessionKnown, DWORD sessionId, int flagsKnown, DWORD stationFlags);
