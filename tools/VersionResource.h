// Restamping a version resource (VS_VERSIONINFO, as stored in an executable) with another
// version: the fixed file and product versions and the "FileVersion" and "ProductVersion"
// strings of every string table. Portable; the input is bounded and checked throughout.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// Parses "a[.b[.c[.d]]]" (each part 0 to 65535, missing parts 0) into `parts`. 1 on success, 0
// for anything else (`parts` then undefined).
int ParseVersion(const char* text, uint16_t parts[4]);

// Writes into `out` the resource `in` with the version `parts`, its text "a.b.c.d". 1 on
// success; 0 when `in` is not a well-formed VS_VERSIONINFO (a node that overruns its parent, a
// key without its terminator, no VS_FIXEDFILEINFO signature, nesting deeper than 8), with `out`
// then unchanged.
int RestampVersion(const std::vector<unsigned char>& in, const uint16_t parts[4],
                   std::vector<unsigned char>& out);
