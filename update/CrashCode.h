// Exit codes that say a setup program was ended by an exception, not by its own choice.
#pragma once

#include <windows.h>

// IsCrashCode returns 1 when `exitCode` is one of these, and 0 for every other code (which then
// decides nothing: the program ran to its end):
//   0xC0000000 to 0xCFFFFFFF  an NTSTATUS error: access violation, stack overflow, heap
//                             corruption, a fail-fast (0xC0000409), ...
//   0x80000003                STATUS_BREAKPOINT: a breakpoint reached with no debugger attached
//   0xE06D7363                a C++ exception that no handler caught (the compiler's "msc" code)
//   0xE0434352                an unhandled .NET exception (CLR 4 and later, "CCR")
//   0xE0434F4D                an unhandled .NET exception (CLR 1 and 2, "COM")
int IsCrashCode(DWORD exitCode);
