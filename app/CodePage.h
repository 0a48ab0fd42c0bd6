// The code page the program's texts are written in, and the refusal to run in any other.
#pragma once

#include <stddef.h>
#include <windows.h>

// Every text of the program, and every name in its payload, is code page 932 (Shift-JIS). The
// manifest asks Windows for it whatever the system locale (activeCodePage ja-JP: Windows Server
// 2022, Windows 11 and later, and Wine); older systems with another locale ignore that.
#define PROGRAM_CODE_PAGE 932

// The exit status of a run refused because the process's code page is not PROGRAM_CODE_PAGE.
#define CODE_PAGE_EXIT_STATUS 10

// BuildCodePageMessage writes the refusal's box text into `out` (capacity wide characters, NUL
// included): a Japanese sentence converted from code page 932 when `has932` (the system can
// convert it), then an English one, both naming `activeCodePage`. Without `has932` the English
// sentence alone. Returns 1, or 0 with `out` empty (capacity > 0) when it does not fit.
int BuildCodePageMessage(UINT activeCodePage, int has932, wchar_t* out, size_t capacity);

// HasProgramCodePage returns 1 when a process whose ANSI code page is `activeCodePage` can run
// the update: it is PROGRAM_CODE_PAGE and `has932` (IsValidCodePage(932): the system has it).
// Returns 0 otherwise.
int HasProgramCodePage(UINT activeCodePage, int has932);

// ShowCodePageRefusal shows BuildCodePageMessage's text in a message box with the exclamation
// icon and waits for OK. The caption is the program's (string IDS_CAPTION, read as UTF-16), or
// an English one when it cannot be loaded. Shows nothing when the text cannot be built.
void ShowCodePageRefusal(UINT activeCodePage, int has932);
