#include "framework/AccessibleName.h"

#include <initguid.h> // defines the annotation's identifiers in this file

#include <oleacc.h>

namespace {

const UINT kNameCodePage = 932;
const int kMaxName = 256; // bytes with the NUL, and so at most as many UTF-16 units

// `name` set as the control's annotated name: S_OK, or the failure of COM or of the service.
HRESULT Annotate(HWND control, const wchar_t* name) {
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // RPC_E_CHANGED_MODE: COM already runs on this thread, in another apartment; usable.
    if (FAILED(init) && init != RPC_E_CHANGED_MODE)
        return init;
    IAccPropServices* services = nullptr;
    HRESULT result = CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IAccPropServices, reinterpret_cast<void**>(&services));
    if (SUCCEEDED(result)) {
        result = services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                          PROPID_ACC_NAME, name);
        services->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return result;
}

} // namespace

int SetAccessibleName(HWND control, const char* name) {
    if (!control || !IsWindow(control) || !name)
        return 0;
    wchar_t wide[kMaxName];
    if (!MultiByteToWideChar(kNameCodePage, MB_ERR_INVALID_CHARS, name, -1, wide, kMaxName))
        return 0;
    if (SUCCEEDED(Annotate(control, wide)))
        return 1;
    return SetWindowTextW(control, wide) ? 2 : 0;
}
