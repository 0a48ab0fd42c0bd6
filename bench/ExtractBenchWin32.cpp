// extract_bench.exe ARCHIVE FOLDER [--bare]: times ExtractFolderPack as the update worker runs it,
// with the worker's callbacks moving the bars and the label of a window that a second thread owns
// and pumps, as the progress dialog's thread does (--bare: no progress callback). FOLDER must be
// absolute. Prints one line: the extraction's seconds, the seconds until that window had handled
// every progress message, the extractor's code and the file bar's position.
//
// extract_bench.exe --digest FILE COPY: the worker's payload step on FILE mapped into memory, as
// the payload resource is: prints the seconds of its SHA-256 through the system (CNG) and of
// writing it to COPY with one WriteFile, as WriteResourceToFile does.
#include "folderpack/extract/Extractor.h"
#include "progress/Progress.h"
#include "sys/Handle.h"
#include "sys/Sha256.h"
#include "update/UpdateWorker.h"

#include <windows.h>
#include <commctrl.h>
#include <mbctype.h>
#include <stdio.h>
#include <string.h>

namespace {

const UINT kCaughtUp = WM_APP + 100; // handled after every message posted before it
HANDLE g_ready = nullptr;
HANDLE g_caughtUp = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCaughtUp) {
        SetEvent(g_caughtUp);
        return 0;
    }
    if (message == WM_UPDATE_PROGRESS) { // as the progress dialog handles it
        ShowFileProgress(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The dialog's thread: a window with the two bars and the label, pumped until WM_QUIT.
DWORD WINAPI DialogThread(LPVOID) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VarnockExtractBench";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("VarnockExtractBench", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                0, 420, 160, nullptr, nullptr, windowClass.hInstance, nullptr);
    g_hDialog = window;
    g_hStepBar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 400, 20, window,
                               nullptr, nullptr, nullptr);
    g_hFileBar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 70, 400, 20, window,
                               nullptr, nullptr, nullptr);
    g_hFileLabel = CreateWindowA("STATIC", "ファイル展開中：", WS_CHILD | WS_VISIBLE, 10, 40, 400,
                                 20, window, nullptr, nullptr, nullptr);
    SetEvent(g_ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    DestroyWindow(window);
    return 0;
}

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

int Digest(const char* path, const char* copy) {
    OwnedHandle file(
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size;
    if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0xFFFFFFFFll)
        return 1;
    OwnedHandle mapping(CreateFileMappingA(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    const void* bytes =
        mapping.IsValid() ? MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (!bytes)
        return 1;
    DWORD length = static_cast<DWORD>(size.QuadPart);
    double start = Seconds();
    char hex[2 * SHA256_DIGEST_SIZE + 1];
    int hashed = Sha256Hex(bytes, length, hex);
    double hashing = Seconds() - start;
    start = Seconds();
    OwnedHandle out(CreateFileA(copy, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    int wrote = out.IsValid() && WriteFile(out.Get(), bytes, length, &written, nullptr) &&
                written == length;
    out.Close();
    double writing = Seconds() - start;
    UnmapViewOfFile(bytes);
    printf("%.3f %.3f %s\n", hashing, writing, hex);
    return hashed && wrote ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && !strcmp(argv[1], "--digest"))
        return Digest(argv[2], argv[3]);
    if (argc < 3) {
        fputs("usage: extract_bench.exe ARCHIVE FOLDER [--bare]\n", stderr);
        return 2;
    }
    _setmbcp(_MB_CP_ANSI);
    int bare = argc > 3 && !strcmp(argv[3], "--bare");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    g_ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_caughtUp = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, DialogThread, nullptr, 0, &threadId);
    if (!g_ready || !g_caughtUp || !thread || WaitForSingleObject(g_ready, 10000) != WAIT_OBJECT_0)
        return 3;
    SetStepRange(6);
    SetFileRange(1000);

    double start = Seconds();
    int result =
        ExtractFolderPack(argv[2], argv[1], OverwriteCallback, bare ? nullptr : ProgressCallback);
    double extracted = Seconds() - start;
    PostMessageA(g_hDialog, kCaughtUp, 0, 0);
    WaitForSingleObject(g_caughtUp, INFINITE);
    double shown = Seconds() - start;
    int position = static_cast<int>(SendMessageA(g_hFileBar, PBM_GETPOS, 0, 0));

    printf("%.3f %.3f %d %d\n", extracted, shown, result, position);
    PostThreadMessageA(threadId, WM_QUIT, 0, 0);
    WaitForSingleObject(thread, 10000);
    return result == 0 ? 0 : 1;
}
