#include "dialogs/ExitStatus.h"

#include "dialogs/CompletionText.h"
#include "update/UpdateResult.h"

int ExitStatus(int code, DWORD setupExitCode) {
    switch (CompletionCode(code)) {
    case UPDATE_OK:
        return setupExitCode == ERROR_SUCCESS_REBOOT_REQUIRED ||
                       setupExitCode == ERROR_SUCCESS_REBOOT_INITIATED
                   ? static_cast<int>(setupExitCode)
                   : 0;
    case UPDATE_ERR_BUSY:
        return ERROR_INSTALL_ALREADY_RUNNING;
    default:
        return CompletionCode(code);
    }
}
