#include "sys/CurrentFolder.h"

#include <direct.h>

CurrentFolderRestorer::CurrentFolderRestorer()
    : m_drive(_getdrive()), m_saved(_getcwd(m_folder, sizeof m_folder) ? 1 : 0) {}

CurrentFolderRestorer::~CurrentFolderRestorer() {
    if (m_saved && _chdir(m_folder) != 0 && m_drive != 0)
        _chdrive(m_drive);
}
