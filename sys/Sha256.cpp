#include "sys/Sha256.h"

#include <windows.h>

#include <bcrypt.h>

#include "sys/Handle.h"

namespace {

struct AlgorithmKind {
    typedef BCRYPT_ALG_HANDLE Type;
    static BCRYPT_ALG_HANDLE Empty() { return NULL; }
    static bool IsValid(BCRYPT_ALG_HANDLE handle) { return handle != NULL; }
    static void Close(BCRYPT_ALG_HANDLE handle) { BCryptCloseAlgorithmProvider(handle, 0); }
};
typedef UniqueHandle<AlgorithmKind> AlgorithmHandle;

struct HashKind {
    typedef BCRYPT_HASH_HANDLE Type;
    static BCRYPT_HASH_HANDLE Empty() { return NULL; }
    static bool IsValid(BCRYPT_HASH_HANDLE handle) { return handle != NULL; }
    static void Close(BCRYPT_HASH_HANDLE handle) { BCryptDestroyHash(handle); }
};
typedef UniqueHandle<HashKind> HashHandle;

int Succeeded(NTSTATUS status) {
    return status >= 0;
}

} // namespace

int Sha256(const void* data, size_t size, unsigned char digest[SHA256_DIGEST_SIZE]) {
    if ((!data && size != 0) || size > 0xFFFFFFFFu)
        return 0;
    AlgorithmHandle algorithm;
    if (!Succeeded(BCryptOpenAlgorithmProvider(algorithm.Out(), BCRYPT_SHA256_ALGORITHM, NULL, 0)))
        return 0;
    // The hash object's memory is left to the provider (null buffer, length 0).
    HashHandle hash;
    if (!Succeeded(BCryptCreateHash(algorithm.Get(), hash.Out(), NULL, 0, NULL, 0, 0)))
        return 0;
    if (size != 0 &&
        !Succeeded(BCryptHashData(hash.Get(), static_cast<PUCHAR>(const_cast<void*>(data)),
                                  static_cast<ULONG>(size), 0)))
        return 0;
    return Succeeded(BCryptFinishHash(hash.Get(), digest, SHA256_DIGEST_SIZE, 0)) ? 1 : 0;
}

int Sha256Hex(const void* data, size_t size, char hex[2 * SHA256_DIGEST_SIZE + 1]) {
    static const char kDigits[] = "0123456789abcdef";
    unsigned char digest[SHA256_DIGEST_SIZE];
    hex[0] = '\0';
    if (!Sha256(data, size, digest))
        return 0;
    for (int i = 0; i < SHA256_DIGEST_SIZE; i++) {
        hex[2 * i] = kDigits[digest[i] >> 4];
        hex[2 * i + 1] = kDigits[digest[i] & 15];
    }
    hex[2 * SHA256_DIGEST_SIZE] = '\0';
    return 1;
}
