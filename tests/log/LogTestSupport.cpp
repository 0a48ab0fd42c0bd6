#include "tests/log/LogTestSupport.h"

#include "log/Log.h"

#include <stdio.h>
#include <string.h>

std::string FreshTestFolder(const char* name) {
    CreateDirectoryA("C:\\varnock-tests", NULL);
    CreateDirectoryA("C:\\varnock-tests\\log", NULL);
    char folder[MAX_PATH];
    snprintf(folder, sizeof folder, "C:\\varnock-tests\\log\\%s-%lu\\", name,
             GetCurrentProcessId());
    RemoveAll(folder);
    CreateDirectoryA(folder, NULL);
    return folder;
}

void RemoveTestFolder(const std::string& folder) {
    RemoveAll(folder);
}

void SetLogFilePath(const std::string& path) {
    snprintf(LogFilePath, sizeof LogFilePath, "%s", path.c_str());
}

bool SplitLogLines(const std::string& text, std::vector<std::string>* lines) {
    lines->clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            return false;
        std::string line = text.substr(start, end - start);
        if (line.find_first_of("\r\n") != std::string::npos)
            return false;
        lines->push_back(line);
        start = end + 2;
    }
    return true;
}

HelperProcess::HelperProcess() {
    memset(&m_info, 0, sizeof m_info);
}

HelperProcess::~HelperProcess() {
    if (!m_info.hProcess)
        return;
    if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_info.hProcess, 99);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
    CloseHandle(m_info.hThread);
    CloseHandle(m_info.hProcess);
}

bool HelperProcess::Start(const std::string& arguments) {
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, program, sizeof program);
    if (length == 0 || length >= sizeof program)
        return false;
    char* name = strrchr(program, '\\');
    if (!name)
        return false;
    std::string path = std::string(program, name + 1) + "log_test_helper.exe";
    std::string commandLine = "\"" + path + "\" " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    return CreateProcessA(path.c_str(), buffer.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                          &m_info) != 0;
}

long HelperProcess::Wait(DWORD milliseconds) {
    if (!m_info.hProcess || WaitForSingleObject(m_info.hProcess, milliseconds) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    if (!GetExitCodeProcess(m_info.hProcess, &code))
        return -1;
    return static_cast<long>(code);
}

TestEvent::TestEvent(const char* purpose, BOOL manualReset) {
    char name[96];
    snprintf(name, sizeof name, "VarnockLogTest_%s_%lu", purpose, GetCurrentProcessId());
    m_name = name;
    m_handle = CreateEventA(NULL, manualReset, FALSE, name);
}

TestEvent::~TestEvent() {
    if (m_handle)
        CloseHandle(m_handle);
}
