#include "sys/RemoveTree.h"

#include "sys/TreeWalk.h"

namespace {

void SystemWait(DWORD milliseconds) {
    Sleep(milliseconds);
}

void (*g_wait)(DWORD) = SystemWait;

} // namespace

void SetRemoveTreeWait(void (*wait)(DWORD milliseconds)) {
    g_wait = wait ? wait : SystemWait;
}

DWORD RemoveTree(const char* folder) {
    for (int waits = 0;; ++waits) {
        TreeWalkResult pass;
        WalkTree(folder, 1, &pass);
        if (pass.refused)
            return pass.Error();
        if (pass.top == TREE_TOP_GONE)
            return 0;
        int pending = pass.top == TREE_TOP_PENDING;
        if ((!pass.brief && !pending) || waits == REMOVE_TREE_WAITS) {
            if (pass.Error())
                return pass.Error();
            return pending ? ERROR_DELETE_PENDING : ERROR_ALREADY_EXISTS;
        }
        g_wait(REMOVE_TREE_WAIT_MS);
    }
}
