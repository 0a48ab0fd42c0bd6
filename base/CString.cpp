#include "base/CString.h"

#include <stdlib.h>
#include <string.h>

CString::CString() : m_data(nullptr), m_length(0), m_capacity(0) {}

CString::CString(const char* text) : CString() {
    *this = text;
}

CString::CString(const CString& other) : CString() {
    Assign(other, other.m_length);
}

CString::~CString() {
    free(m_data);
}

CString& CString::operator=(const CString& other) {
    if (this != &other)
        Assign(other, other.m_length);
    return *this;
}

CString& CString::operator=(const char* text) {
    Assign(text, text ? strlen(text) : 0);
    return *this;
}

CString& CString::operator+=(const char* text) {
    size_t add = text ? strlen(text) : 0;
    if (add == 0 || !Reserve(m_length + add))
        return *this;
    memcpy(m_data + m_length, text, add);
    m_length += add;
    m_data[m_length] = '\0';
    return *this;
}

void CString::Assign(const char* bytes, size_t length) {
    if (length == 0 || !bytes) {
        Empty();
        return;
    }
    if (bytes >= m_data && bytes < m_data + m_capacity) {
        // Assigning from our own storage: copy first.
        CString copy;
        copy.Assign(bytes, length);
        *this = copy;
        return;
    }
    if (!Reserve(length)) {
        Empty();
        return;
    }
    memcpy(m_data, bytes, length);
    m_length = length;
    m_data[length] = '\0';
}

void CString::Empty() {
    m_length = 0;
    if (m_data)
        m_data[0] = '\0';
}

bool CString::Reserve(size_t length) {
    if (length < m_capacity)
        return true;
    if (length + 1 == 0)
        return false;
    size_t capacity = m_capacity ? m_capacity : 16;
    while (capacity <= length)
        capacity = capacity * 2 > capacity ? capacity * 2 : length + 1;
    char* grown = static_cast<char*>(realloc(m_data, capacity));
    if (!grown)
        return false;
    m_data = grown;
    m_capacity = capacity;
    return true;
}
