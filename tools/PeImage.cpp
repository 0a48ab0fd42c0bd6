#include "tools/PeImage.h"

#include <stdint.h>

namespace {

uint32_t Load16(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

uint32_t Load32(const unsigned char* p) {
    return Load16(p) | Load16(p + 2) << 16;
}

} // namespace

int PeReadFacts(const unsigned char* data, size_t size, PeFacts* facts) {
    const size_t kFileHeader = 20;
    const uint32_t kSecurityDirectory = 4;
    if (size < 64 || data[0] != 'M' || data[1] != 'Z')
        return 0;
    size_t pe = Load32(data + 60);
    if (pe > size || size - pe < 4 + kFileHeader)
        return 0;
    if (data[pe] != 'P' || data[pe + 1] != 'E' || data[pe + 2] || data[pe + 3])
        return 0;
    size_t optionalSize = Load16(data + pe + 4 + 16);
    size_t optional = pe + 4 + kFileHeader;
    if (size - optional < optionalSize || optionalSize < 2)
        return 0;
    uint32_t magic = Load16(data + optional);
    size_t directories = magic == 0x20b ? 112 : magic == 0x10b ? 96 : 0;
    if (!directories || optionalSize < directories)
        return 0;
    facts->hasSymbols = Load32(data + pe + 4 + 8) != 0; // PointerToSymbolTable
    facts->isSigned = 0;
    uint32_t count = Load32(data + optional + directories - 4);
    if (count > kSecurityDirectory && optionalSize >= directories + 8 * (kSecurityDirectory + 1)) {
        const unsigned char* security = data + optional + directories + 8 * kSecurityDirectory;
        facts->isSigned = Load32(security) != 0 || Load32(security + 4) != 0;
    }
    return 1;
}
