// The form Windows itself gives an absolute path, for paths read from outside (the registry).
#pragma once

#include <stddef.h>

// CanonicalPath writes into `out` (capacity bytes) the form the system reads `path` as: "/" as
// "\", runs of separators as one, "." and ".." components resolved, trailing dots and blanks of
// a component dropped (GetFullPathNameA). A final separator stays when `path` has one.
//
// Only a fully qualified path is taken: a drive letter, a colon and a separator ("C:\..."), or a
// UNC path ("\\server\share..."). Returns 1 with the canonical form in `out`, and 0 with `out`
// empty (capacity > 0) when `path` is null, empty, ends in a lead byte, is relative to the
// current folder or drive ("TOLVANE\BaseSrv", "C:BaseSrv", "\BaseSrv"), is a device or verbatim
// path ("\\.\", "\\?\": the system takes those unnormalised), or when the canonical form does
// not fit in `capacity` bytes with its NUL. Touches no file.
int CanonicalPath(const char* path, char* out, size_t capacity);
