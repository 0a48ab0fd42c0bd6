// What fpack embed reads from an executable's bytes before it lets Windows rewrite them.
// Portable; every offset is checked against the bytes given.
#pragma once

#include <stddef.h>

struct PeFacts {
    int isSigned;   // the certificate table (data directory 4) is not empty
    int hasSymbols; // the file header points to a COFF symbol or string table
};

// 1 when `data` (`size` bytes) starts with a PE image header: "MZ", a PE header offset inside
// the bytes, "PE\0\0", a file header and a PE32 or PE32+ optional header wholly inside the bytes;
// `*facts` is then filled in. 0 for anything else, `*facts` unchanged.
int PeReadFacts(const unsigned char* data, size_t size, PeFacts* facts);
