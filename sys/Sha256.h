// SHA-256 through the system's own cryptography (CNG, bcrypt.dll).
#pragma once

#include <stddef.h>

#define SHA256_DIGEST_SIZE 32

// Sha256 hashes the `size` bytes at `data` (null only with size 0) into `digest`. Returns 1 on
// success, 0 when the provider cannot be opened, a hash object cannot be made, or the input is
// longer than 4 GiB - 1 bytes; `digest` is then undefined. Every CNG handle is closed before
// returning.
int Sha256(const void* data, size_t size, unsigned char digest[SHA256_DIGEST_SIZE]);

// Sha256Hex writes the digest of `size` bytes at `data` into `hex` as 64 lowercase hexadecimal
// characters followed by a NUL. Returns 1 on success, 0 as Sha256 (then `hex` is the empty text).
int Sha256Hex(const void* data, size_t size, char hex[2 * SHA256_DIGEST_SIZE + 1]);
