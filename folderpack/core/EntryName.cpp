#include "folderpack/core/EntryName.h"

#include "folderpack/core/FolderPackFormat.h"

#include <string.h>

namespace {

int IsSeparator(char c) {
    return c == '\\' || c == '/';
}

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// A device name, compared without case on the part before the first dot, blanks after it dropped.
int IsDeviceName(const char* component, size_t length) {
    size_t base = 0;
    while (base < length && component[base] != '.')
        base++;
    while (base > 0 && component[base - 1] == ' ')
        base--;
    char upper[5] = {0};
    if (base < 3 || base > 4)
        return 0;
    for (size_t i = 0; i < base; i++)
        upper[i] = FoldAscii(component[i]);
    if (base == 3)
        return !strcmp(upper, "CON") || !strcmp(upper, "PRN") || !strcmp(upper, "AUX") ||
               !strcmp(upper, "NUL");
    if (upper[3] < '1' || upper[3] > '9')
        return 0;
    upper[3] = 0;
    return !strcmp(upper, "COM") || !strcmp(upper, "LPT");
}

int CheckComponent(const char* component, size_t length) {
    if (length == 0)
        return FP_OK; // doubled or trailing separator: nothing to name
    char last = component[length - 1];
    if (last == '.' || last == ' ')
        return FP_ERR_NAME; // also "." and ".."
    if (IsDeviceName(component, length))
        return FP_ERR_NAME;
    return FP_OK;
}

} // namespace

const char* FpLastBackslash(const char* text) {
    const char* last = nullptr;
    for (const char* p = text; *p; p += FpCharLength(p)) {
        if (*p == '\\')
            last = p;
    }
    return last;
}

int FpEndsInLeadByte(const char* text) {
    for (const char* p = text; *p; p += FpCharLength(p)) {
        if (FpIsLeadByte((unsigned char)p[0]) && p[1] == 0)
            return 1;
    }
    return 0;
}

int FpEndsWithBackslash(const char* text) {
    const char* last = FpLastBackslash(text);
    return last && last[1] == 0;
}

int FpCheckName(const char* name, uint32_t nameLength) {
    if (nameLength < 2 || name[nameLength - 1] != 0)
        return FP_ERR_NAME;
    size_t length = nameLength - 1;
    if (memchr(name, 0, length))
        return FP_ERR_NAME;
    if (IsSeparator(name[0]) || memchr(name, ':', length))
        return FP_ERR_NAME;
    const char* start = name;
    for (const char* p = name;; p += FpCharLength(p)) {
        if (FpIsLeadByte((unsigned char)p[0]) && p[1] == 0)
            return FP_ERR_NAME; // a cut double-byte character would swallow the NUL
        if (*p == 0 || IsSeparator(*p)) {
            if (CheckComponent(start, size_t(p - start)) != FP_OK)
                return FP_ERR_NAME;
            if (*p == 0)
                return FP_OK;
            start = p + 1;
        }
    }
}

int FpCheckNameFits(size_t prefixLength, uint32_t nameLength) {
    if (prefixLength > FP_PATH_BUFFER_SIZE || nameLength > FP_PATH_BUFFER_SIZE - prefixLength)
        return FP_ERR_LIMIT;
    return FP_OK;
}

int FpCheckLeadingParts(const char* path) {
    for (const char* p = path; *p; p += FpCharLength(p)) {
        if (IsSeparator(*p) && p != path && size_t(p - path) >= FP_LEADING_PART_LIMIT)
            return FP_ERR_LIMIT;
    }
    return FP_OK;
}

int FpCheckFolderLength(const char* path) {
    size_t length = 0;
    int endsWithSeparator = 0;
    for (const char* p = path; *p; p += FpCharLength(p)) {
        endsWithSeparator = IsSeparator(*p);
        length = size_t(p - path) + FpCharLength(p);
    }
    if (endsWithSeparator)
        length--;
    return length < FP_LEADING_PART_LIMIT ? FP_OK : FP_ERR_LIMIT;
}

int FpCompareNames(const char* a, const char* b) {
    const char* p = a;
    const char* q = b;
    while (*p && *q) {
        size_t lp = FpCharLength(p);
        size_t lq = FpCharLength(q);
        if (lp == 1 && lq == 1) {
            unsigned char x = (unsigned char)FoldAscii(*p);
            unsigned char y = (unsigned char)FoldAscii(*q);
            if (x != y)
                return x < y ? -1 : 1;
        } else {
            // Double-byte characters compare as their bytes.
            for (size_t i = 0; i < lp && i < lq; i++) {
                if (p[i] != q[i])
                    return (unsigned char)p[i] < (unsigned char)q[i] ? -1 : 1;
            }
            if (lp != lq)
                return lp < lq ? -1 : 1;
        }
        p += lp;
        q += lq;
    }
    if (*p || *q)
        return *p ? 1 : -1;
    return strcmp(a, b);
}
