// fopen is the portable way these tools open files; MSVC would steer toward fopen_s.
#define _CRT_SECURE_NO_WARNINGS

#include "folderpack/core/FileInput.h"

#include "folderpack/core/FileSeek.h"

#define FP_INPUT_BUFFER_SIZE 0x40000

FpFileInput::~FpFileInput() {
    if (m_file)
        fclose(m_file);
}

int FpFileInput::Open(const char* path) {
    m_file = fopen(path, "rb");
    if (!m_file)
        return FP_ERR_OPEN;
    setvbuf(m_file, nullptr, _IOFBF, FP_INPUT_BUFFER_SIZE);
    m_size = FpFileLength(m_file);
    return FP_OK;
}

int FpFileInput::Read(void* buffer, uint32_t length) {
    if (!m_file)
        return FP_ERR_READ;
    size_t n = fread(buffer, 1, length, m_file);
    m_position += n;
    return n == length ? FP_OK : FP_ERR_READ;
}
