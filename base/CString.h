// CString: a small growable narrow string (code page 932 bytes, NUL-terminated).
// Only what the program uses: construction, assignment, append, length, emptiness, C view.
// Allocation failure leaves the string empty rather than throwing.
#pragma once

#include <stddef.h>

class CString {
public:
    CString();
    CString(const char* text);
    CString(const CString& other);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(const char* text);
    CString& operator+=(const char* text);

    // Replaces the content by the first `length` bytes of `bytes` (which need no NUL).
    void Assign(const char* bytes, size_t length);

    size_t GetLength() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }
    void Empty();
    operator const char*() const { return m_data ? m_data : ""; }

private:
    bool Reserve(size_t length);

    char* m_data;
    size_t m_length;
    size_t m_capacity;
};
