// The process exit status of an update run, as deployment tools read it.
#pragma once

#include <windows.h>

// The exit status for the completion code `code` (an UpdateResult; a value outside the table
// counts as UPDATE_ERR_INTERNAL) after a setup program that ended with `setupExitCode` (0 when
// none ran):
//   UPDATE_OK         0, or 3010 / 1641 when the setup program returned that (success, restart
//                     needed / restart started)
//   UPDATE_ERR_BUSY   1618 (ERROR_INSTALL_ALREADY_RUNNING), which deployment tools retry
//   any other code    the code itself, 1 to 7 or 9
// A No at the question is no completion code: the program ends with 1223 (ERROR_CANCELLED).
int ExitStatus(int code, DWORD setupExitCode);
