// The banner's scaling and the bars' accessible names, on a modeless copy of the test dialog.
#include "framework/AccessibleName.h"
#include "framework/ScaledBitmap.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <string>
#include <vector>

namespace {

class DialogLook : public testing::Test {
protected:
    void SetUp() override {
        m_dialog = CreateDialogParamA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(200), nullptr,
            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        ASSERT_NE(m_dialog, nullptr);
    }
    void TearDown() override {
        DestroyWindow(m_dialog);
        for (HBITMAP bitmap : m_bitmaps)
            DeleteObject(bitmap);
    }

    // A bitmap static showing a new width x height bitmap; null for a static without one.
    HWND Picture(int width, int height) {
        HWND control = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, 1,
                                       1, m_dialog, nullptr, nullptr, nullptr);
        if (width > 0) {
            HDC screen = GetDC(nullptr);
            m_bitmaps.push_back(CreateCompatibleBitmap(screen, width, height));
            ReleaseDC(nullptr, screen);
            SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(m_bitmaps.back()));
        }
        return control;
    }

    static SIZE Size(HWND control) {
        RECT rect;
        GetWindowRect(control, &rect);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }

    // `width` x `height` dialog units in pixels.
    SIZE Pixels(int width, int height) {
        RECT rect = {0, 0, width, height};
        MapDialogRect(m_dialog, &rect);
        return SIZE{rect.right, rect.bottom};
    }

    HWND m_dialog = nullptr;
    std::vector<HBITMAP> m_bitmaps;
};

TEST_F(DialogLook, TheBannerFillsItsControlWithItsShapeKept) {
    // A bitmap already of the control's size is left alone: the dialog stays as it was.
    SIZE box = Pixels(100, 40);
    CScaledBitmap same;
    HWND control = Picture(box.cx, box.cy);
    EXPECT_EQ(same.Fit(control, 100, 40), 0);
    EXPECT_EQ(same.Get(), nullptr);

    // Half as wide: doubled, and limited by the width.
    CScaledBitmap wide;
    control = Picture(box.cx / 2, box.cy / 4);
    ASSERT_EQ(wide.Fit(control, 100, 40), 1);
    // The bitmap the static gave up is deleted, not leaked.
    EXPECT_EQ(GetObjectType(m_bitmaps.back()), 0u);
    m_bitmaps.pop_back();
    EXPECT_EQ(reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0)),
              wide.Get());
    SIZE size = Size(control);
    EXPECT_EQ(size.cx, box.cx);
    EXPECT_EQ(size.cy, MulDiv(box.cy / 4, box.cx, box.cx / 2));
    EXPECT_EQ(wide.Fit(control, 100, 40), -1); // the copy is not stretched again

    // A tall bitmap is limited by the height.
    CScaledBitmap tall;
    control = Picture(box.cx / 8, box.cy / 2);
    ASSERT_EQ(tall.Fit(control, 100, 40), 1);
    m_bitmaps.pop_back();
    EXPECT_EQ(Size(control).cy, box.cy);

    CScaledBitmap none;
    EXPECT_EQ(none.Fit(Picture(0, 0), 100, 40), -1);
    EXPECT_EQ(none.Fit(Picture(4, 4), 100, 40), -1); // beyond 8 times the bitmap
}

// The name as an MSAA client reads it.
std::wstring AccName(HWND control) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return L"(no object)";
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring text = object->get_accName(self, &name) == S_OK && name ? name : L"(no name)";
    SysFreeString(name);
    object->Release();
    return text;
}

TEST_F(DialogLook, AProgressBarsNameReachesAccessibilityClients) {
    HWND bar = CreateWindowExA(0, "msctls_progress32", "Progress1", WS_CHILD | WS_VISIBLE, 0, 0,
                               100, 10, m_dialog, nullptr, nullptr, nullptr);
    ASSERT_NE(bar, nullptr);
    int way = SetAccessibleName(bar, "全体の進行状況");
    EXPECT_TRUE(way == 1 || way == 2) << way;
    EXPECT_EQ(AccName(bar), L"全体の進行状況");

    // Too long for a name: nothing changes.
    EXPECT_EQ(SetAccessibleName(bar, std::string(300, 'x').c_str()), 0);
    EXPECT_EQ(AccName(bar), L"全体の進行状況");
}

} // namespace
