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
// Whether attributes read from any GetFileAttributes call name a folder (INVALID names none).
inline bool IsFolderAttributes(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Removes a file or a folder tree of any depth, read-only entries included. A folder link is
// removed itself, never entered.
void RemoveAll(const std::string& path);

// The whole content of a file (opened with read and write sharing); false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* out);

// Creates or replaces a file holding exactly `content`.
bool WriteWholeFile(const std::string& path, const std::string& content);

// A host symbolic link at `link` to the folder `target` (both Windows paths), made by the host's
// own `ln -s` (Wine starts Unix programs): links Wine's CreateSymbolicLink cannot make. The
// target's Unix path and the link's own name must hold no blank. False when not under Wine or
// when no link was made. Remove it with RemoveHostLink, never with DeleteFile.
bool MakeHostLink(const std::string& link, const std::string& target);
void RemoveHostLink(const std::string& link);
