// Folders that only administrators and the system may change.
#pragma once

#include <windows.h>

// The descriptor given to every private folder, that of a program folder: a protected DACL
// (nothing inherited from the parent) granting full control to Administrators and SYSTEM and
// read and execute (0x1200a9) to Users, inherited by everything inside. So a file moved out of
// the folder on its volume, which keeps its descriptor, stays readable by a service of another
// account, while no one but an administrator can write, plant or replace anything in it.
#define PRIVATE_FOLDER_SDDL "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"

// The security descriptor of a private folder, built from PRIVATE_FOLDER_SDDL, and freed with
// the object.
class PrivateFolderSecurity {
public:
    PrivateFolderSecurity();
    ~PrivateFolderSecurity();
    PrivateFolderSecurity(const PrivateFolderSecurity&) = delete;
    PrivateFolderSecurity& operator=(const PrivateFolderSecurity&) = delete;
    // The descriptor, or null when it could not be built (the last error says why).
    PSECURITY_DESCRIPTOR Get() const { return m_descriptor; }

private:
    PSECURITY_DESCRIPTOR m_descriptor;
};

// CreatePrivateFolder creates the folder `path` (shorter than 260 bytes, its parent existing)
// afresh with the private folder's descriptor. Returns 1 when this call created it, and 0, with
// the last error set, when the descriptor cannot be built or the folder cannot be created:
// ERROR_ALREADY_EXISTS when anything (a folder, a file, a link) is already at `path`, which is
// then left as it is.
int CreatePrivateFolder(const char* path);
