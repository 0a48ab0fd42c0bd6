// File helpers for the Windows tests: set up and check what the code under test left on disk
// through the wide calls with the \\?\ prefix, independent of that code and of path length.
// Paths are absolute code-page-932 strings.
#pragma once

#include <windows.h>

#include <string>

// The UTF-16 form of a code-page-932 string.
std::wstring Wide(const std::string& text);

// \\?\ + the wide path, trailing separators dropped (a drive root keeps its own).
std::wstring ExtendedPath(const std::string& path);

// Attributes, or INVALID_FILE_ATTRIBUTES; whether anything exists at the path.
DWORD WideAttributes(const std::string& path);
bool PathExists(const std::string& path);

// Removes a file or a folder tree of any depth, read-only entries included. A folder link is
// removed itself, never entered.
void RemoveAll(const std::string& path);

// The whole content of a file (opened with read and write sharing); false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* out);

// Creates or replaces a file holding exactly `content`.
bool WriteWholeFile(const std::string& path, const std::string& content);
