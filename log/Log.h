// The program's log: one time-stamped line per call, appended to the file named by LogFilePath,
// serialised across threads and processes by the named mutex "MERVIC_MUTEX", and rotated to a
// single backup (the log's name followed by ".BAK") before it would grow past 65,536 bytes.
//
// A line reads
//   [YYYY/MM/DD hh:mm:ss] <source file> <line> <thread id, lowercase hex> : <message> CR LF
// The message bytes are written exactly as formatted (code page 932 texts, ANSI paths).
//
// Usage:  LOG_WRITE_AT(147, "TOLVANEフォルダ %s .", productFolder);
#pragma once

#include "base/CString.h"

// Full path of the log file, NUL-terminated, in the ANSI code page. Start-up fills it once,
// before the first log call; it is read only when a LogSite is built. While it is empty or
// names a file that cannot be opened, every call writes nothing.
extern char LogFilePath[260];

// Where a log call comes from. Built immediately before its LogWrite call and destroyed right
// after it (LOG_WRITE does both); never copied or kept.
class LogSite {
public:
    // sourcePath: the compile-time path of the calling source file (__FILE__); line: the
    // call's line. Copies LogFilePath into logPath (cut to 259 bytes if it holds no NUL
    // earlier), sets backupPath to logPath followed by ".BAK", and sets sourceFile to the
    // last component of sourcePath: everything after the last backslash or slash (a
    // backslash that is the second byte of a double-byte character does not count), or
    // after the drive's colon when there is neither. A component longer than 259 bytes is
    // cut to its first 259 bytes. A null sourcePath gives an empty sourceFile.
    LogSite(const char* sourcePath, int line);
    virtual ~LogSite();

    char logPath[260];  // the file LogWrite appends to
    CString backupPath; // logPath followed by ".BAK": the file the log is rotated to
    char sourceFile[260];
    int line;

private:
    LogSite(const LogSite&) = delete;
    LogSite& operator=(const LogSite&) = delete;
};

#if defined(__GNUC__)
#define LOG_FORMAT_CHECK __attribute__((format(ms_printf, 2, 3)))
#else
#define LOG_FORMAT_CHECK
#endif

// Appends one line to site.logPath: the header (local time, site.sourceFile, site.line, the
// calling thread's identifier), the message formatted from `format` and its arguments with
// the runtime library's _vsnprintf conventions, then CR LF. The message is cut to its first
// 1,023 bytes (the cut may fall inside a double-byte character).
//
// Waits at most 10,000 ms for the mutex "MERVIC_MUTEX"; a mutex abandoned by a previous
// owner counts as obtained. Everything below happens while holding it.
//
// When the log's current size plus the line's length would exceed 65,536 bytes, the backup
// is deleted and the log renamed to it first, so the new log begins with this line. If that
// fails (say, the backup is read-only), the line is appended to the existing log, which then
// grows past 65,536 bytes, and every later call tries the rotation again.
//
// Returns nothing and never reports a failure. The line is dropped, and nothing on disk
// changes, when the mutex cannot be created or is not obtained in time, when the log cannot
// be opened or created (a missing folder, for instance: if a rotation had just happened, only
// the backup remains until a later call succeeds), or when the end of the log cannot be
// found. A failed or short write is not detected: the rest of the line is still written.
// Thread-safe; the text is formatted into process-wide buffers under the mutex.
void LogWrite(const LogSite& site, const char* format, ...) LOG_FORMAT_CHECK;

// Logs from the calling file with the fixed number `line`, which stays the same whatever else
// the file gains or loses: the program's own sites use it, so a log reads alike across versions.
// The second argument is the format.
#define LOG_WRITE_AT(line, ...) LogWrite(LogSite(__FILE__, line), __VA_ARGS__)

// Logs from the calling file and its source line.
#define LOG_WRITE(...) LOG_WRITE_AT(__LINE__, __VA_ARGS__)
