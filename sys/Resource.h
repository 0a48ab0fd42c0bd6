// Writing the program's own embedded resources to files.
#pragma once

#include <windows.h>

// The resource type that holds embedded files.
#define RESOURCE_FILE_TYPE "IDH_FILE"
// The resource type beside it that holds an embedded file's SHA-256: 64 hexadecimal characters.
#define RESOURCE_DIGEST_TYPE "IDH_DIGEST"
// The identifier of the update payload in both types.
#define RESOURCE_PAYLOAD_ID 130
// The resource type whose resource RESOURCE_PAYLOAD_ID, holding exactly the bytes of
// RESOURCE_CONSENT_TEXT (no terminator), is the release engineer's consent to update without
// asking where nobody can answer.
#define RESOURCE_CONSENT_TYPE "IDH_UNATTENDED"
#define RESOURCE_CONSENT_TEXT "UNATTENDED"

// FindResourceBytes finds the resource `resourceName` of type `type` in the program's own module.
// Returns 1 with `*data` and `*size` naming its bytes as loaded (valid for the life of the
// process; with a size of 0 `*data` may be null), and 0, with both set to null and 0, when it is
// not there or cannot be loaded.
int FindResourceBytes(const char* resourceName, const char* type, const void** data, DWORD* size);

// WriteResourceToFile writes the resource `resourceName` of type "IDH_FILE" from the
// program's own module to the file `path` (shorter than 260 bytes: the ANSI calls are used).
// The name is usually an integer identifier, e.g. MAKEINTRESOURCEA(130).
//
// When something exists at `path`: with `overwrite` 0 the call returns 0 and changes
// nothing; otherwise the read-only bit is cleared and the file deleted, and when that fails
// (for instance a folder stands there) the call returns 0 and the file stays, read-only bit
// cleared. The new file is created with CREATE_ALWAYS, no sharing, write-through.
//
// Returns 1 when the whole resource is in the file (a resource of size 0 gives an empty
// file). Returns 0 when the file cannot be created; when the resource is not found (an empty
// file stays at `path`); and after a short write (the partly written file stays). A deleted
// old file is never restored. The file is closed on every path.
int WriteResourceToFile(const char* resourceName, const char* path, int overwrite);
