// Entry names: code page 932 byte strings, relative, with backslash or slash separators.
// A byte from 0x81 to 0x9F or 0xE0 to 0xFC opens a double-byte character; its second byte
// (which may be 0x5C) is never a separator. Portable; no locale is consulted.
#pragma once

#include <stddef.h>
#include <stdint.h>

inline int FpIsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Bytes of the character starting at `s`: 2 for a lead byte followed by a non-NUL byte, else 1.
inline size_t FpCharLength(const char* s) {
    return FpIsLeadByte((unsigned char)s[0]) && s[1] != 0 ? 2 : 1;
}

// The last backslash of the NUL-terminated `text`, or null. Slashes are not counted.
const char* FpLastBackslash(const char* text);

// 1 when the last character of the NUL-terminated `text` is a lead byte without its second byte.
int FpEndsInLeadByte(const char* text);

// 1 when the NUL-terminated `text` ends with a backslash, else 0 (0 for the empty text).
int FpEndsWithBackslash(const char* text);

// Screens an entry name as stored: `nameLength` bytes, the last of which is its NUL.
// FP_OK, or FP_ERR_NAME when the name could lead outside the folder it is extracted to or names
// something other than a plain file or folder:
//   - empty, a NUL before the last byte, no NUL at the end, or a lead byte just before the NUL
//     (multibyte searches would take the NUL for its second byte and read on);
//   - absolute (a leading backslash or slash), or holding a colon anywhere (drive letters,
//     alternate data streams);
//   - a component "." or "..", a component ending in a dot or a blank, or a component that is a
//     device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, in any case, with or without an
//     extension).
// Backslash and slash both separate components. A trailing separator (a folder's name) is allowed.
int FpCheckName(const char* name, uint32_t nameLength);

// Checked before a name is read behind a destination prefix of `prefixLength` bytes: FP_OK when
// prefix + name (its NUL included) fit in FP_PATH_BUFFER_SIZE, else FP_ERR_LIMIT.
int FpCheckNameFits(size_t prefixLength, uint32_t nameLength);

// FP_OK when every leading part of the NUL-terminated `path` (the text before any of its
// separators other than one at index 0) is shorter than FP_LEADING_PART_LIMIT bytes, else
// FP_ERR_LIMIT. Folders on the way are made from these parts.
int FpCheckLeadingParts(const char* path);

// FP_OK when the NUL-terminated folder `path`, without one final separator, is shorter than
// FP_LEADING_PART_LIMIT bytes, else FP_ERR_LIMIT: the folder itself is made from it.
int FpCheckFolderLength(const char* path);

// Orders two names as the writer lists them: ASCII letters compared without case (never the second
// byte of a double-byte character), then byte order as a tie-break. <0, 0 or >0.
int FpCompareNames(const char* a, const char* b);
