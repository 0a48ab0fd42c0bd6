// The few things fpack does differently on Linux and on Windows (ToolPlatformPosix.cpp,
// ToolPlatformWin32.cpp).
#pragma once

#include <stdio.h>

#include <string>

// 1 when `stream` is a terminal.
int IsTerminal(FILE* stream);

// Moves the file `from` to `to`, replacing `to`. 1 on success.
int MoveReplacing(const char* from, const char* to);

// An archive name (code page 932) as the terminal shows it; bytes that cannot be shown come out as
// \xNN escapes.
std::string DisplayName(const char* cp932);

// Sets up the process (locale, console, memory allocation) before any output.
void InitConsole();
