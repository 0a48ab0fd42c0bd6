// The program's resources as compiled from res/Varnock.rc, read back field by field.
#include "res/ResourceIds.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdlib.h>
#include <string.h>
#include <wctype.h>
#include <string>
#include <vector>

namespace {

// Reads a dialog template in order: numbers, ordinals or strings, with the alignments of the
// standard and the extended form.
class TemplateReader {
public:
    explicit TemplateReader(const void* data) : m_start(static_cast<const BYTE*>(data)) {}

    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    short Short() { return static_cast<short>(Word()); }
    // An ordinal as "#N", a string as itself.
    std::wstring Item() {
        if (Peek() == 0xFFFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        std::wstring text;
        while (WORD c = Word())
            text += static_cast<wchar_t>(c);
        return text;
    }
    void Align() { m_offset = (m_offset + 3) & ~static_cast<size_t>(3); }

private:
    template <typename T> T Take() {
        T value;
        memcpy(&value, m_start + m_offset, sizeof value);
        m_offset += sizeof value;
        return value;
    }
    WORD Peek() {
        WORD value;
        memcpy(&value, m_start + m_offset, sizeof value);
        return value;
    }
    const BYTE* m_start;
    size_t m_offset = 0;
};

const void* Resource(LPCSTR type, int id, DWORD* size = nullptr) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (!found)
        return nullptr;
    if (size)
        *size = SizeofResource(nullptr, found);
    return LockResource(LoadResource(nullptr, found));
}

struct Control {
    int id;
    const wchar_t* cls;
    const wchar_t* text;
    short x, y, cx, cy;
    DWORD style;
};

// A control class as the system matches it: predefined classes by ordinal or by name, names
// without regard to case.
std::wstring ClassName(std::wstring name) {
    if (name == L"#128")
        return L"button";
    if (name == L"#130")
        return L"static";
    for (wchar_t& c : name)
        c = static_cast<wchar_t>(towlower(c));
    return name;
}

} // namespace

TEST(Resources, ProgressDialogTemplate) {
    const void* data = Resource(MAKEINTRESOURCEA(5), IDD_VARNOCK_DIALOG);
    ASSERT_NE(nullptr, data);
    TemplateReader t(data);
    EXPECT_EQ(1, t.Word());      // version
    EXPECT_EQ(0xFFFF, t.Word()); // extended template
    EXPECT_EQ(0u, t.Dword());    // help id
    EXPECT_EQ(0x00040000u, t.Dword());
    EXPECT_EQ(0x90C800C0u, t.Dword());
    WORD count = t.Word();
    EXPECT_EQ(0, t.Short());
    EXPECT_EQ(0, t.Short());
    EXPECT_EQ(218, t.Short());
    EXPECT_EQ(149, t.Short());
    EXPECT_EQ(L"", t.Item()); // menu
    EXPECT_EQ(L"", t.Item()); // class
    EXPECT_EQ(L"Varnock", t.Item());
    EXPECT_EQ(9, t.Word());
    EXPECT_EQ(400, t.Word());    // normal weight
    EXPECT_EQ(0x0100, t.Word()); // not italic (low byte), default character set (high byte)
    EXPECT_EQ(L"ＭＳ Ｐゴシック", t.Item());

    const Control expected[] = {
        {1, L"button", L"OK", 5, 140, 6, 6, 0x40010001},
        {2, L"button", L"ｷｬﾝｾﾙ", 10, 140, 6, 6, 0x40010000},
        {-1, L"static", L"#129", 0, 0, 217, 83, 0x5000000E},
        {1000, L"msctls_progress32", L"Progress1", 5, 105, 205, 10, 0x50800000},
        {-1, L"static", L"ソフトウェアをアップデートしています。しばらくお待ちください。", 5, 90,
         179, 8, 0x50020000},
        {1001, L"msctls_progress32", L"Progress1", 5, 130, 205, 10, 0x50800000},
        {1002, L"static", L"ファイル展開中：", 5, 120, 205, 8, 0x50020000},
    };
    ASSERT_EQ(7, count);
    for (const Control& c : expected) {
        t.Align();
        EXPECT_EQ(0u, t.Dword()); // help id
        EXPECT_EQ(0u, t.Dword()); // extended style
        EXPECT_EQ(c.style, t.Dword()) << c.id;
        EXPECT_EQ(c.x, t.Short());
        EXPECT_EQ(c.y, t.Short());
        EXPECT_EQ(c.cx, t.Short());
        EXPECT_EQ(c.cy, t.Short());
        EXPECT_EQ(c.id, static_cast<int>(t.Dword()));
        EXPECT_EQ(ClassName(c.cls), ClassName(t.Item())) << c.id;
        EXPECT_EQ(c.text, t.Item()) << c.id;
        EXPECT_EQ(0, t.Word()) << c.id; // no creation data
    }
}

TEST(Resources, AboutBoxTemplate) {
    const void* data = Resource(MAKEINTRESOURCEA(5), IDD_ABOUTBOX);
    ASSERT_NE(nullptr, data);
    TemplateReader t(data);
    EXPECT_EQ(0x80C800C0u, t.Dword());
    EXPECT_EQ(0u, t.Dword());
    WORD count = t.Word();
    EXPECT_EQ(0, t.Short());
    EXPECT_EQ(0, t.Short());
    EXPECT_EQ(235, t.Short());
    EXPECT_EQ(55, t.Short());
    EXPECT_EQ(L"", t.Item());
    EXPECT_EQ(L"", t.Item());
    EXPECT_EQ(L"Varnockのﾊﾞｰｼﾞｮﾝ情報", t.Item());
    EXPECT_EQ(9, t.Word());
    EXPECT_EQ(L"ＭＳ Ｐゴシック", t.Item());

    const Control expected[] = {
        {0xFFFF, L"static", L"#128", 11, 17, 20, 20, 0x50000003},
        {0xFFFF, L"static", L"Varnock Version 1.0", 40, 10, 119, 8, 0x50020080},
        {0xFFFF, L"static", nullptr, 40, 25, 119, 8, 0x50020000},
        {1, L"button", L"OK", 178, 7, 50, 14, 0x50030001},
    };
    ASSERT_EQ(4, count);
    for (const Control& c : expected) {
        t.Align();
        EXPECT_EQ(c.style, t.Dword());
        EXPECT_EQ(0u, t.Dword());
        EXPECT_EQ(c.x, t.Short());
        EXPECT_EQ(c.y, t.Short());
        EXPECT_EQ(c.cx, t.Short());
        EXPECT_EQ(c.cy, t.Short());
        EXPECT_EQ(c.id, t.Word());
        EXPECT_EQ(ClassName(c.cls), ClassName(t.Item()));
        std::wstring text = t.Item();
        if (c.text)
            EXPECT_EQ(c.text, text);
        else
            EXPECT_FALSE(text.empty()); // the notice line
        EXPECT_EQ(0, t.Word());
    }
}

TEST(Resources, StringsInCodePage932) {
    char text[256];
    ASSERT_GT(LoadStringA(nullptr, IDS_ABOUTBOX, text, sizeof text), 0);
    EXPECT_STREQ("Varnock のﾊﾞｰｼﾞｮﾝ情報(&A)...", text);
    ASSERT_GT(LoadStringA(nullptr, IDS_CAPTION, text, sizeof text), 0);
    EXPECT_STREQ("TOLVANE Windows Update 支援機能アップデート", text);
    ASSERT_GT(LoadStringA(nullptr, IDS_QUESTION, text, sizeof text), 0);
    EXPECT_STREQ("Windows Update 支援機能をアップデートします。\nよろしいですか？", text);
    ASSERT_GT(LoadStringA(nullptr, IDS_DONE, text, sizeof text), 0);
    EXPECT_STREQ("ソフトウェアのアップデートが正常に終了しました。", text);
    // Spot-check the bytes: half-width katakana are single bytes, ソ is 83 5C.
    LoadStringA(nullptr, IDS_ABOUTBOX, text, sizeof text);
    EXPECT_EQ(0, memcmp("Varnock \x82\xcc\xca\xde", text, 12));
    LoadStringA(nullptr, IDS_DONE, text, sizeof text);
    EXPECT_EQ(0, memcmp("\x83\x5c", text, 2));
}

TEST(Resources, IconAndBanner) {
    // Group icon: one image, 32x32, 16 colours, 4 bits per pixel.
    const BYTE* group = static_cast<const BYTE*>(Resource(MAKEINTRESOURCEA(14), IDR_MAINFRAME));
    ASSERT_NE(nullptr, group);
    WORD images;
    memcpy(&images, group + 4, 2);
    EXPECT_EQ(1, images);
    EXPECT_EQ(32, group[6]);
    EXPECT_EQ(32, group[7]);
    EXPECT_EQ(16, group[8]);
    WORD bits;
    memcpy(&bits, group + 12, 2);
    EXPECT_EQ(4, bits);
    EXPECT_NE(nullptr, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)));

    const BITMAPINFOHEADER* banner =
        static_cast<const BITMAPINFOHEADER*>(Resource(MAKEINTRESOURCEA(2), IDB_BANNER));
    ASSERT_NE(nullptr, banner);
    EXPECT_EQ(380, banner->biWidth);
    EXPECT_EQ(125, abs(banner->biHeight));
    EXPECT_EQ(8, banner->biBitCount);
}

TEST(Resources, ManifestAndVersion) {
    DWORD size = 0;
    const char* manifest = static_cast<const char*>(Resource(MAKEINTRESOURCEA(24), 1, &size));
    ASSERT_NE(nullptr, manifest);
    std::string text(manifest, size);
    EXPECT_NE(std::string::npos, text.find("level=\"requireAdministrator\""));
    EXPECT_NE(std::string::npos, text.find("name=\"Microsoft.Windows.Common-Controls\" "
                                           "version=\"6.0.0.0\""));

    const BYTE* version = static_cast<const BYTE*>(Resource(MAKEINTRESOURCEA(16), 1, &size));
    ASSERT_NE(nullptr, version);
    std::wstring all(reinterpret_cast<const wchar_t*>(version), size / 2);
    EXPECT_NE(std::wstring::npos, all.find(L"VS_VERSION_INFO"));
    EXPECT_NE(std::wstring::npos, all.find(L"Varnock.exe"));
    const VS_FIXEDFILEINFO* fixed = nullptr;
    for (DWORD i = 0; i + sizeof(DWORD) <= size; i += 4) {
        DWORD signature;
        memcpy(&signature, version + i, sizeof signature);
        if (signature == 0xFEEF04BD) {
            fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(version + i);
            break;
        }
    }
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
}
