#include "tools/VersionResource.h"

#include <string.h>

namespace {

// One node of the tree: wLength, wValueLength, wType, a NUL-terminated UTF-16 key, the value and
// the children, each aligned on 4 bytes from the resource's start.
struct Node {
    uint16_t type = 0;
    std::u16string key;
    std::vector<unsigned char> value;
    uint16_t valueLength = 0; // as stored: bytes for binary values, characters for text
    std::vector<Node> children;
};

uint16_t Load16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}

size_t Align4(size_t offset) {
    return (offset + 3) & ~size_t(3);
}

int Parse(const std::vector<unsigned char>& bytes, size_t start, size_t end, int depth,
          Node& node) {
    if (depth > 8 || end - start < 6)
        return 0;
    size_t length = Load16(&bytes[start]);
    if (length < 6 || length > end - start)
        return 0;
    end = start + length;
    node.valueLength = Load16(&bytes[start + 2]);
    node.type = Load16(&bytes[start + 4]);
    size_t at = start + 6;
    for (;;) {
        if (end - at < 2)
            return 0;
        char16_t c = char16_t(Load16(&bytes[at]));
        at += 2;
        if (!c)
            break;
        node.key += c;
    }
    at = Align4(at);
    size_t valueBytes = node.type == 1 ? size_t(node.valueLength) * 2 : node.valueLength;
    if (at > end || valueBytes > end - at)
        return 0;
    node.value.assign(bytes.begin() + at, bytes.begin() + at + valueBytes);
    at = Align4(at + valueBytes);
    while (at < end) {
        node.children.emplace_back();
        if (!Parse(bytes, at, end, depth + 1, node.children.back()))
            return 0;
        at = Align4(at + Load16(&bytes[at]));
    }
    return 1;
}

void Store16(std::vector<unsigned char>& out, size_t at, size_t value) {
    out[at] = (unsigned char)(value & 0xff);
    out[at + 1] = (unsigned char)(value >> 8 & 0xff);
}

void Pad4(std::vector<unsigned char>& out) {
    while (out.size() % 4)
        out.push_back(0);
}

void Write(const Node& node, std::vector<unsigned char>& out) {
    size_t start = out.size();
    out.resize(start + 6);
    Store16(out, start + 2, node.valueLength);
    Store16(out, start + 4, node.type);
    for (char16_t c : node.key) {
        out.push_back((unsigned char)(c & 0xff));
        out.push_back((unsigned char)(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    Pad4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const Node& child : node.children) {
        Pad4(out);
        Write(child, out);
    }
    Store16(out, start, out.size() - start);
}

void SetText(Node& node, const std::string& text) {
    node.value.clear();
    for (char c : text) {
        node.value.push_back((unsigned char)c);
        node.value.push_back(0);
    }
    node.value.push_back(0);
    node.value.push_back(0);
    node.valueLength = uint16_t(text.size() + 1);
    node.type = 1;
}

void Store32(std::vector<unsigned char>& value, size_t at, uint32_t word) {
    for (int i = 0; i < 4; i++)
        value[at + i] = (unsigned char)(word >> (8 * i));
}

} // namespace

int ParseVersion(const char* text, uint16_t parts[4]) {
    int count = 0;
    const char* p = text;
    for (int i = 0; i < 4; i++)
        parts[i] = 0;
    while (count < 4) {
        if (*p < '0' || *p > '9')
            return 0;
        uint32_t value = 0;
        for (; *p >= '0' && *p <= '9'; p++) {
            value = value * 10 + uint32_t(*p - '0');
            if (value > 65535)
                return 0;
        }
        parts[count++] = uint16_t(value);
        if (!*p)
            return 1;
        if (*p++ != '.')
            return 0;
    }
    return 0;
}

int RestampVersion(const std::vector<unsigned char>& in, const uint16_t parts[4],
                   std::vector<unsigned char>& out) {
    Node root;
    if (in.size() > 0xffff || !Parse(in, 0, in.size(), 0, root))
        return 0;
    const uint32_t kSignature = 0xFEEF04BD;
    if (root.value.size() < 52 || (root.value[0] | root.value[1] << 8 | root.value[2] << 16 |
                                   uint32_t(root.value[3]) << 24) != kSignature)
        return 0;
    uint32_t high = uint32_t(parts[0]) << 16 | parts[1];
    uint32_t low = uint32_t(parts[2]) << 16 | parts[3];
    Store32(root.value, 8, high);  // dwFileVersionMS
    Store32(root.value, 12, low);  // dwFileVersionLS
    Store32(root.value, 16, high); // dwProductVersionMS
    Store32(root.value, 20, low);  // dwProductVersionLS
    std::string text;
    for (int i = 0; i < 4; i++)
        text += (i ? "." : "") + std::to_string(parts[i]);
    for (Node& block : root.children) {
        if (block.key != u"StringFileInfo")
            continue;
        for (Node& table : block.children) {
            for (Node& entry : table.children) {
                if (entry.key == u"FileVersion" || entry.key == u"ProductVersion")
                    SetText(entry, text);
            }
        }
    }
    std::vector<unsigned char> result;
    Write(root, result);
    if (result.size() > 0xffff)
        return 0;
    out.swap(result);
    return 1;
}
