// Helpers shared by the sys tests: private folders on the prefix's C: drive, checks and
// clean-up through the wide calls (independent of the code under test).
#pragma once

#include <windows.h>

#include <string>

#include "TestFiles.h"

// A fresh, empty folder for the running test: C:\varnock-tests\sys\<suite>.<test>\ .
std::string TestFolder();

// The folder that holds the running test executable, with a final separator.
std::string ExecutableFolder();
