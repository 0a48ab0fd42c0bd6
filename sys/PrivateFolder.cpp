#include "sys/PrivateFolder.h"

#include <sddl.h>

PrivateFolderSecurity::PrivateFolderSecurity() : m_descriptor(NULL) {
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(PRIVATE_FOLDER_SDDL, SDDL_REVISION_1,
                                                              &m_descriptor, NULL))
        m_descriptor = NULL;
}

PrivateFolderSecurity::~PrivateFolderSecurity() {
    if (m_descriptor)
        LocalFree(m_descriptor);
}

int CreatePrivateFolder(const char* path) {
    PrivateFolderSecurity security;
    if (!security.Get())
        return 0;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, security.Get(), FALSE};
    return CreateDirectoryA(path, &attributes) ? 1 : 0;
}
