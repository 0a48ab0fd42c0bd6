#define _CRT_SECURE_NO_WARNINGS
#include "WorkerHarness.h"

#include "TestFiles.h"

#include "progress/Progress.h"
#include "log/Log.h"
#include "sys/Folder.h"
#include "update/UpdateWorker.h"

#include <windows.h>
#include <commctrl.h>
#include <mbctype.h>

#include <stdio.h>
#include <string.h>

const char kTestRoot[] = "C:\\varnock-tests\\update\\";

namespace {

WorkerRun* g_run = nullptr;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_UPDATE_DONE && g_run) {
        g_run->doneCount++;
        g_run->code = static_cast<int>(wParam);
        g_run->detail = static_cast<long>(lParam);
        return 0;
    }
    if (message == WM_UPDATE_PROGRESS) {
        ShowFileProgress(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI WorkerThread(LPVOID) {
    return UpdateWorker(nullptr);
}

void SetInstallPath(const char* key, const char* value) {
    if (!value) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
        return;
    }
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(handle, "InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(strlen(value) + 1));
    RegCloseKey(handle);
}

} // namespace

WorkerRun RunWorker() {
    _setmbcp(_MB_CP_ANSI);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VarnockWorkerHost";
    RegisterClassA(&windowClass);

    WorkerRun run;
    g_run = &run;
    HWND host = CreateWindowA("VarnockWorkerHost", "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
    g_hDialog = host;
    g_hStepBar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 300, 20, host, nullptr, nullptr,
                               nullptr);
    g_hFileBar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD, 0, 30, 300, 20, host, nullptr,
                               nullptr, nullptr);
    g_hFileLabel = CreateWindowA("STATIC", "ファイル展開中：", WS_CHILD, 0, 60, 300, 20, host,
                                 nullptr, nullptr, nullptr);

    HANDLE thread = CreateThread(nullptr, 0, WorkerThread, nullptr, 0, nullptr);
    DWORD deadline = GetTickCount() + 60000;
    // Pump until the thread has ended and its posted message has been handled.
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0 && run.doneCount > 0)
            break;
        if (GetTickCount() > deadline)
            break;
        MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT);
    }
    // A second completion message would be in the queue by now.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    CloseHandle(thread);

    run.stepPos = static_cast<int>(SendMessageA(g_hStepBar, PBM_GETPOS, 0, 0));
    run.stepMax = static_cast<int>(SendMessageA(g_hStepBar, PBM_GETRANGE, FALSE, 0));
    run.filePos = static_cast<int>(SendMessageA(g_hFileBar, PBM_GETPOS, 0, 0));
    run.fileMax = static_cast<int>(SendMessageA(g_hFileBar, PBM_GETRANGE, FALSE, 0));
    char text[256] = "";
    GetWindowTextA(g_hFileLabel, text, sizeof text);
    run.label = text;
    DestroyWindow(host);
    g_hDialog = g_hStepBar = g_hFileBar = g_hFileLabel = nullptr;
    g_run = nullptr;
    return run;
}

void SetServerPath(const char* value) {
    SetInstallPath("SOFTWARE\\TOLVANE\\BaseSrv", value);
}
void SetClientRoot(const char* value) {
    SetInstallPath("SOFTWARE\\TOLVANE\\InstRoot", value);
}

void ResetTestRoot() {
    _setmbcp(_MB_CP_ANSI);
    DeleteTree(kTestRoot, 1);
    MakePath(kTestRoot);
    snprintf(LogFilePath, sizeof LogFilePath, "%slog.txt", kTestRoot);
    SetEnvironmentVariableA("VARNOCK_PROBE_LOG", (std::string(kTestRoot) + "probe.txt").c_str());
    SetEnvironmentVariableA("VARNOCK_PROBE_EXIT", nullptr);
}

std::string InstallProduct() {
    ResetTestRoot();
    const std::string root = kTestRoot;
    SetServerPath((root + "Product\\BaseSrv").c_str());
    SetClientRoot((root + "Client").c_str());
    MakeFolders(root + "Client\\TV\\CLI");
    return root + "Product\\TMP\\WUTMP\\";
}

void UninstallProduct() {
    SetServerPath(nullptr);
    SetClientRoot(nullptr);
}

std::string ReadFile(const std::string& path) {
    std::string content;
    ReadWholeFile(path, &content);
    return content;
}

bool Exists(const std::string& path) {
    return PathExists(path);
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeFolders(const std::string& path) {
    MakePath(path.c_str());
}

std::string ProbePath(const char* name) {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    char* slash = strrchr(self, '\\');
    if (slash)
        slash[1] = '\0';
    return std::string(self) + "probe\\" + name;
}

std::vector<std::string> LogMessages(const char* sourceFile) {
    std::vector<std::string> messages;
    std::string log = ReadFile(LogFilePath);
    std::string marker = std::string("] ") + sourceFile + " ";
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find("\r\n", start);
        if (end == std::string::npos)
            end = log.size();
        std::string line = log.substr(start, end - start);
        size_t at = line.find(marker);
        size_t colon = line.find(" : ");
        if (at != std::string::npos && colon != std::string::npos)
            messages.push_back(line.substr(colon + 3));
        start = end + 2;
    }
    return messages;
}
