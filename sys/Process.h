// Running a child process to its end.
#pragma once

#include <windows.h>

// RunAndWait starts a process with CreateProcessA and waits for it without time-out.
// `applicationName` may be null: the system then takes the program from the first token of
// `commandLine` by its own rules (an unquoted path with blanks may pick another program).
// `commandLine` is copied first and stays unchanged; it may be null when `applicationName`
// is given. The child inherits the environment and the current folder, no handles, and runs
// at normal priority.
//
// Returns non-zero when the process was started, has ended and its exit code was stored in
// `*exitCode` (unless `exitCode` is null); a non-zero exit code is no failure. Returns 0 when
// the copy of the command line cannot be allocated (last error ERROR_NOT_ENOUGH_MEMORY),
// when the process cannot be created (the creation's last error reaches the caller
// unchanged), or when the wait or the reading of the exit code fails. The process and
// thread handles are closed before returning.
int RunAndWait(const char* applicationName, const char* commandLine, DWORD* exitCode);
