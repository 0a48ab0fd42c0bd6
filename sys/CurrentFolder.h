// The current folder, put back on every return.
#pragma once

#include "sys/Folder.h"

// Saves the current folder, which names its drive too, and changes back to it when it goes:
// to the folder, or, when that fails, at least to its drive (Wine keeps no current folder per
// drive, so changing the drive alone would lose the folder). Nothing is put back when nothing
// could be saved.
class CurrentFolderRestorer {
public:
    CurrentFolderRestorer();
    ~CurrentFolderRestorer();
    CurrentFolderRestorer(const CurrentFolderRestorer&) = delete;
    CurrentFolderRestorer& operator=(const CurrentFolderRestorer&) = delete;

    // 1 when the current folder was saved and will be put back; 0 when it could not be read.
    int IsSaved() const { return m_saved; }

private:
    char m_folder[FOLDER_PATH_SIZE];
    int m_drive;
    int m_saved;
};
