// _vsnprintf is the formatter this writer uses; MSVC would steer toward _vsnprintf_s.
#define _CRT_SECURE_NO_WARNINGS

#include "log/Log.h"
#include "log/LogHeader.h"
#include "sys/Handle.h"
#include "sys/NamedMutex.h"

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

char LogFilePath[260];

static const char LOG_LOCK_NAME[] = "MERVIC_MUTEX";
static const DWORD LOG_LOCK_WAIT_MS = 10000;
static const size_t LOG_MESSAGE_LIMIT = 1023;
static const unsigned long long LOG_ROTATE_SIZE = 0x10000;

// Process-wide; used only by the thread that holds the lock.
static char g_logMessage[LOG_MESSAGE_LIMIT + 1];
static char g_logHeader[LOG_HEADER_BUFFER_SIZE];

// Formats the caller's message, cut to LOG_MESSAGE_LIMIT bytes. _vsnprintf leaves a text
// that fills its limit without a NUL, so the buffer is terminated here in every case.
static size_t FormatLogMessage(const char* format, va_list args) {
    memset(g_logMessage, 0, sizeof g_logMessage);
    _vsnprintf(g_logMessage, LOG_MESSAGE_LIMIT, format ? format : "", args);
    g_logMessage[LOG_MESSAGE_LIMIT] = '\0';
    return strlen(g_logMessage);
}

// Low 32 bits of the file's size; 0 when it cannot be read (no file yet, for instance).
static DWORD LogFileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return 0;
    return data.nFileSizeLow;
}

// Everything done while the lock is held; the file is closed before returning.
static void WriteLine(const LogSite& site, const char* format, va_list args) {
    size_t messageLength = FormatLogMessage(format, args);

    SYSTEMTIME now;
    GetLocalTime(&now);
    DWORD threadId = GetCurrentThreadId();
    size_t headerLength = static_cast<size_t>(
        FormatLogHeader(g_logHeader, now, site.sourceFile, site.line, threadId));

    unsigned long long lineLength = headerLength + messageLength + 2;
    if (LogFileSize(site.logPath) + lineLength > LOG_ROTATE_SIZE && !site.backupPath.IsEmpty()) {
        remove(site.backupPath);
        rename(site.logPath, site.backupPath);
    }

    OwnedHandle file(CreateFileA(site.logPath, GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, NULL));
    if (!file.IsValid())
        return;
    // With the high half passed, the end is found whatever the size; a failed move would
    // leave the pointer at the start, where writing would overwrite older lines.
    LONG high = 0;
    if (SetFilePointer(file.Get(), 0, &high, FILE_END) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return;
    DWORD written;
    WriteFile(file.Get(), g_logHeader, static_cast<DWORD>(headerLength), &written, NULL);
    WriteFile(file.Get(), g_logMessage, static_cast<DWORD>(messageLength), &written, NULL);
    WriteFile(file.Get(), "\r\n", 2, &written, NULL);
}

void LogWrite(const LogSite& site, const char* format, ...) {
    // Also ours when the previous owner ended without releasing it.
    NamedMutex lock;
    if (!lock.Acquire(LOG_LOCK_NAME, LOG_LOCK_WAIT_MS))
        return;
    va_list args;
    va_start(args, format);
    WriteLine(site, format, args);
    va_end(args);
}
