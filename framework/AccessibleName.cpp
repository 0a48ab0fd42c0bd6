#include "framework/AccessibleName.h"

#include <initguid.h> // defines the annotation's identifiers in this file

#include <oleacc.h>

namespace {

const UINT kNameCodePage = 932;
const int kMaxName = 256; // bytes with the NUL, and so at most as many UTF-16 units

typedef HRESULT(WINAPI* CoInitializeExFn)(void*, DWORD);
typedef HRESULT(WINAPI* CoCreateInstanceFn)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
typedef void(WINAPI* CoUninitializeFn)();

// A function of `module`, or null.
template <typename Fn> Fn Function(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// `name` set as the control's annotated name through COM, which is loaded only here (from
// the system folder: the program imports system DLLs alone): S_OK, or the failure of COM or
// of the service.
HRESULT Annotate(HWND control, const wchar_t* name) {
    HMODULE com = LoadLibraryExA("ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!com)
        return HRESULT_FROM_WIN32(GetLastError());
    CoInitializeExFn initialize = Function<CoInitializeExFn>(com, "CoInitializeEx");
    CoCreateInstanceFn create = Function<CoCreateInstanceFn>(com, "CoCreateInstance");
    CoUninitializeFn uninitialize = Function<CoUninitializeFn>(com, "CoUninitialize");
    HRESULT result = initialize && create && uninitialize
                         ? initialize(nullptr, COINIT_APARTMENTTHREADED)
                         : E_NOTIMPL;
    bool initialised = SUCCEEDED(result);
    // RPC_E_CHANGED_MODE: COM already runs on this thread, in another apartment; usable.
    if (initialised || result == RPC_E_CHANGED_MODE) {
        IAccPropServices* services = nullptr;
        result = create(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                        reinterpret_cast<void**>(&services));
        if (SUCCEEDED(result)) {
            result = services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT),
                                              CHILDID_SELF, PROPID_ACC_NAME, name);
            services->Release();
        }
        if (initialised)
            uninitialize();
    }
    FreeLibrary(com);
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
