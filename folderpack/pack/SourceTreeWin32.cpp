#include "folderpack/pack/SourceTree.h"

#include "folderpack/core/FolderPackFormat.h"
#include "folderpack/core/NameCodec.h"
#include "sys/Handle.h"
#include "sys/LongPath.h"

#include <windows.h>

namespace {

uint64_t FileTimeValue(const FILETIME& time) {
    return uint64_t(time.dwLowDateTime) | uint64_t(time.dwHighDateTime) << 32;
}

std::wstring Widen(UINT codePage, const std::string& text) {
    int n = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), &wide[0], n);
    return wide;
}

std::string Narrow(UINT codePage, const std::wstring& wide) {
    int n = WideCharToMultiByte(codePage, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string text(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, 0, wide.data(), int(wide.size()), &text[0], n, nullptr,
                            nullptr);
    return text;
}

std::string Describe(DWORD error) {
    return "system error " + std::to_string(error);
}

class Win32Tree : public FpSourceTree {
public:
    explicit Win32Tree(const char* root);
    int List(const std::string& relative, std::vector<FpSourceItem>& items,
             std::string& error) override;
    int ReadAt(const std::string& relative, uint64_t offset, void* buffer, uint32_t length,
               std::string& error) override;

private:
    // The full extended-length path of `relative` (UTF-8, '/'-separated).
    std::wstring PathOf(const std::string& relative) const;
    std::string Shown(const std::string& relative) const {
        return "\"" + m_shown + relative + "\"";
    }
    std::wstring m_root; // extended-length form, ending with a backslash
    std::string m_shown; // the root as given, for messages
};

Win32Tree::Win32Tree(const char* root) : m_shown(root) {
    std::wstring given = Widen(CP_ACP, root);
    DWORD n = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    if (n > 0 && GetFullPathNameW(given.c_str(), n, &full[0], nullptr) < n)
        full.resize(wcslen(full.c_str()));
    else
        full = given;
    // The longest prefix adds six characters to the path.
    m_root.assign(full.size() + 8, L'\0');
    m_root.resize(BuildExtendedPathW(full.c_str(), &m_root[0], m_root.size()));
    if (m_root.empty() || m_root.back() != L'\\')
        m_root += L'\\';
    if (!m_shown.empty() && m_shown.back() != '\\' && m_shown.back() != '/')
        m_shown += '\\';
}

std::wstring Win32Tree::PathOf(const std::string& relative) const {
    std::wstring path = m_root + Widen(CP_UTF8, relative);
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

int Win32Tree::List(const std::string& relative, std::vector<FpSourceItem>& items,
                    std::string& error) {
    items.clear();
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((PathOf(relative) + L"*").c_str(), &data));
    if (!find.IsValid()) {
        error = Shown(relative) + ": " + Describe(GetLastError());
        return FP_ERR_OPEN;
    }
    int result = FP_OK;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        FpSourceItem item;
        item.nativeName = Narrow(CP_UTF8, name);
        if (!FpUtf8ToCp932(item.nativeName, item.name)) {
            error = Shown(relative + item.nativeName) + ": name has no code page 932 form";
            result = FP_ERR_NAME;
            break;
        }
        item.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        item.size =
            item.isFolder ? 0 : uint64_t(data.nFileSizeLow) | uint64_t(data.nFileSizeHigh) << 32;
        item.creationTime = FileTimeValue(data.ftCreationTime);
        item.lastWriteTime = FileTimeValue(data.ftLastWriteTime);
        items.push_back(item);
    } while (FindNextFileW(find.Get(), &data));
    DWORD last = GetLastError();
    if (result == FP_OK && last != ERROR_NO_MORE_FILES) {
        error = Shown(relative) + ": " + Describe(last);
        result = FP_ERR_OPEN;
    }
    return result;
}

int Win32Tree::ReadAt(const std::string& relative, uint64_t offset, void* buffer, uint32_t length,
                      std::string& error) {
    OwnedHandle file(CreateFileW(PathOf(relative).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsValid()) {
        error = Shown(relative) + ": " + Describe(GetLastError());
        return FP_ERR_OPEN;
    }
    char* p = static_cast<char*>(buffer);
    uint32_t done = 0;
    int result = FP_OK;
    while (done < length) {
        OVERLAPPED at = {};
        at.Offset = DWORD(offset + done);
        at.OffsetHigh = DWORD((offset + done) >> 32);
        DWORD n = 0;
        if (!ReadFile(file.Get(), p + done, length - done, &n, &at) || n == 0) {
            error = Shown(relative) + ": file became shorter while being packed, or " +
                    Describe(GetLastError());
            result = FP_ERR_READ;
            break;
        }
        done += n;
    }
    return result;
}

} // namespace

std::unique_ptr<FpSourceTree> FpOpenSourceTree(const char* root) {
    return std::unique_ptr<FpSourceTree>(new Win32Tree(root));
}
