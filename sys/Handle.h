// Small owning types for Win32 handles: each closes what it holds when it goes, so every return
// from the function that made it releases the handle. Closing never changes the last error.
#pragma once

#include <windows.h>

// 1 for a handle that names an object: neither null nor INVALID_HANDLE_VALUE (some functions
// fail with the one, some with the other).
inline int IsValidHandle(HANDLE handle) {
    return handle != NULL && handle != INVALID_HANDLE_VALUE;
}

// UniqueHandle<Kind>: one handle of a kind, which says its type, its empty value, which values
// name an object and how one is closed.
template <class Kind> class UniqueHandle {
public:
    typedef typename Kind::Type Type;

    UniqueHandle() : m_handle(Kind::Empty()) {}
    explicit UniqueHandle(Type handle) : m_handle(handle) {}
    ~UniqueHandle() { Close(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    // 1 while the handle names an object.
    int IsValid() const { return Kind::IsValid(m_handle) ? 1 : 0; }
    Type Get() const { return m_handle; }
    // Closes the handle held, if any, and holds `handle` instead.
    void Reset(Type handle) {
        Close();
        m_handle = handle;
    }
    // Closes the handle now, if it names an object; the object then holds none.
    void Close() {
        if (Kind::IsValid(m_handle)) {
            DWORD error = GetLastError();
            Kind::Close(m_handle);
            SetLastError(error);
        }
        m_handle = Kind::Empty();
    }
    // For a function that stores a new handle: closes the one held and gives its place.
    Type* Out() {
        Close();
        return &m_handle;
    }

private:
    Type m_handle;
};

// Files, folders opened for their times, processes, threads, mutexes: CloseHandle.
struct KernelHandleKind {
    typedef HANDLE Type;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE handle) { return IsValidHandle(handle) != 0; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};
typedef UniqueHandle<KernelHandleKind> OwnedHandle;

// A listing from FindFirstFile: FindClose.
struct FindHandleKind {
    typedef HANDLE Type;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE handle) { return IsValidHandle(handle) != 0; }
    static void Close(HANDLE handle) { FindClose(handle); }
};
typedef UniqueHandle<FindHandleKind> FindHandle;

// A module loaded with LoadLibrary(Ex): FreeLibrary.
struct LibraryKind {
    typedef HMODULE Type;
    static HMODULE Empty() { return NULL; }
    static bool IsValid(HMODULE module) { return module != NULL; }
    static void Close(HMODULE module) { FreeLibrary(module); }
};
typedef UniqueHandle<LibraryKind> LoadedLibrary;

// An open registry key: RegCloseKey.
struct RegistryKeyKind {
    typedef HKEY Type;
    static HKEY Empty() { return NULL; }
    static bool IsValid(HKEY key) { return key != NULL; }
    static void Close(HKEY key) { RegCloseKey(key); }
};
typedef UniqueHandle<RegistryKeyKind> RegistryKey;
