#include "sys/Folder.h"

#include "sys/TreeWalk.h"

int DeleteTree(const char* folder, int continueOnError) {
    TreeWalkResult result;
    WalkTree(folder, continueOnError, &result);
    SetLastError(result.Error());
    return result.listed;
}
