#include "folderpack/core/FolderPackFormat.h"

#include <string.h>

const char* FpResultName(int code) {
    switch (code) {
    case FP_OK:
        return "FP_OK";
    case FP_ERR_CREATE:
        return "FP_ERR_CREATE";
    case FP_ERR_WRITE:
        return "FP_ERR_WRITE";
    case FP_ERR_NAME:
        return "FP_ERR_NAME";
    case FP_ERR_LIMIT:
        return "FP_ERR_LIMIT";
    case FP_ERR_OPEN:
        return "FP_ERR_OPEN";
    case FP_ERR_NOMEM:
        return "FP_ERR_NOMEM";
    case FP_ERR_READ:
        return "FP_ERR_READ";
    case FP_ERR_FORMAT:
        return "FP_ERR_FORMAT";
    case FP_ERR_SIZE:
        return "FP_ERR_SIZE";
    case FP_ERR_EXISTS:
        return "FP_ERR_EXISTS";
    default:
        return "FP_ERR_UNKNOWN";
    }
}

int FpIsResultCode(int code) {
    return strcmp(FpResultName(code), "FP_ERR_UNKNOWN") != 0; // the one list of codes
}
