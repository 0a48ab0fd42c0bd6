// Helpers shared by the sys tests: private folders on the prefix's C: drive, checks and
// clean-up through the wide calls (independent of the code under test).
#pragma once

#include <windows.h>

#include <string>

// A fresh, empty folder for the running test: C:\varnock-tests\sys\<suite>.<test>\ .
std::string TestFolder();

// The UTF-16 form of a code-page-932 string.
std::wstring Wide(const std::string& text);

// Attributes through the wide call with the \\?\ prefix, whatever the length.
DWORD WideAttributes(const std::string& path);
bool WideExists(const std::string& path);

// Removes a file or a folder tree through the wide calls.
void RemoveAll(const std::string& path);

// Creates a file holding `content` through the wide calls.
bool WriteFileBytes(const std::string& path, const std::string& content);

// The folder that holds the running test executable, with a final separator.
std::string ExecutableFolder();
