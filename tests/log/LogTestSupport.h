// Files, folders and helper processes for the log tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestFiles.h" // ReadWholeFile, WriteWholeFile, PathExists, RemoveAll

// C:\varnock-tests\log\<name>-<process id>\ (trailing backslash), created empty: runs of the
// suite that share the Wine prefix never meet in one folder.
std::string FreshTestFolder(const char* name);
// Deletes such a folder with its contents.
void RemoveTestFolder(const std::string& folder);

// Copies `path` into LogFilePath (cut to fit).
void SetLogFilePath(const std::string& path);

// Splits a log into its lines, CR LF removed. False when the text does not end in CR LF or
// holds a CR or LF outside a CR LF pair.
bool SplitLogLines(const std::string& text, std::vector<std::string>* lines);

// log_test_helper.exe from the test program's own folder; killed on destruction if still
// running.
class HelperProcess {
public:
    HelperProcess();
    ~HelperProcess();
    bool Start(const std::string& arguments);
    // The exit code, or -1 when the process has not ended within `milliseconds`.
    long Wait(DWORD milliseconds);

private:
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;
    PROCESS_INFORMATION m_info;
};

// A handle of the test's own to the log's mutex. A named mutex lives only while some process
// has a handle to it: without one, a lock left owned or abandoned would simply vanish when the
// last handle closed, and the next writer would meet a fresh mutex.
class LockReference {
public:
    LockReference() : m_handle(CreateMutexA(NULL, FALSE, "MERVIC_MUTEX")) {}
    ~LockReference() {
        if (m_handle)
            CloseHandle(m_handle);
    }
    bool IsValid() const { return m_handle != NULL; }

private:
    LockReference(const LockReference&) = delete;
    LockReference& operator=(const LockReference&) = delete;
    HANDLE m_handle;
};

// A named event of a name unique to this process; closed on destruction.
class TestEvent {
public:
    TestEvent(const char* purpose, BOOL manualReset);
    ~TestEvent();
    const std::string& Name() const { return m_name; }
    HANDLE Handle() const { return m_handle; }

private:
    TestEvent(const TestEvent&) = delete;
    TestEvent& operator=(const TestEvent&) = delete;
    std::string m_name;
    HANDLE m_handle;
};
