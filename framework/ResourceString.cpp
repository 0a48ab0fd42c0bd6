#include "framework/ResourceString.h"

#include "framework/CWinApp.h"

CString ResourceString(UINT id) {
    char text[1024];
    int length = LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    CString result;
    if (length > 0)
        result.Assign(text, static_cast<size_t>(length));
    return result;
}
