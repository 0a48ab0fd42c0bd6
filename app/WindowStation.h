// Whether anyone can see, and so answer, what the program shows.
#pragma once

// IsWindowStationVisible returns 1 when the process's window station is visible (the
// interactive WinSta0 of a logged-on user), and 0 when it is not: a service's or a deployment
// agent's station (session 0), or when GetProcessWindowStation or GetUserObjectInformation
// (UOI_FLAGS) fails, since a station that cannot be examined cannot be trusted to be seen.
int IsWindowStationVisible();
