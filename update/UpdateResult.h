// Completion codes of one update run, carried in the wParam of WM_UPDATE_DONE.
#pragma once

enum UpdateResult {
    UPDATE_OK = 0,                // every step succeeded; lParam 0
    UPDATE_ERR_THREAD = 1,        // the worker thread could not start; lParam: system error
    UPDATE_ERR_NOT_SERVER = 2,    // server installation path missing or empty
    UPDATE_ERR_INTERNAL = 3,      // path without a backslash, client root missing, path too long
    UPDATE_ERR_WRITE_ARCHIVE = 4, // the work folder or the archive file could not be made, a
                                  // leftover could not be removed, or the payload is damaged or
                                  // does not fit; lParam: 0 when the archive file could not be
                                  // written, else a system error
    UPDATE_ERR_EXTRACT = 5,       // extraction failed; lParam: the extractor's code
    UPDATE_ERR_SETUP = 6,         // neither setup program could be run; lParam: system error
    UPDATE_ERR_NO_FEATURE = 7,    // the client feature folder does not exist
    UPDATE_ERR_BUSY = 8,          // another update holds the update lock; lParam 0
    UPDATE_ERR_SETUP_CRASHED = 9  // the setup program ended by an exception (IsCrashCode,
                                  // update/CrashCode.h); lParam: its exit code
};

#define UPDATE_RESULT_COUNT 10
