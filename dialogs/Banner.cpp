#include "dialogs/Banner.h"

#include "res/ResourceIds.h"

namespace {

const int kPictureDpi = 96;

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    if (!screen)
        return kPictureDpi;
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The first bitmap static among the children of `dialog`; null when there is none.
HWND BannerControl(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[8] = "";
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Static") == 0 &&
            (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            return child;
    }
    return nullptr;
}

} // namespace

int FitBanner(CScaledBitmap* banner, HWND dialog) {
    if (SystemDpi() == kPictureDpi)
        return 0;
    return banner->Fit(BannerControl(dialog), BANNER_WIDTH_DLU, BANNER_HEIGHT_DLU);
}
