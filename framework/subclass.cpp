// Subclassing of field controls (see subclass.h).
#include "framework/subclass.h"

namespace lysora {

void SubclassWindow(HWND hwnd, const char* property, WNDPROC proc)
{
    if (!GetPropA(hwnd, property)) {
        LONG_PTR replaced = SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        SetPropA(hwnd, property, reinterpret_cast<HANDLE>(replaced));
    }
}

void SubclassControl(HWND hwnd, const char* property, WNDPROC proc)
{
    SubclassWindow(hwnd, property, proc);
    SetClassLongPtrA(hwnd, GCL_STYLE, GetClassLongPtrA(hwnd, GCL_STYLE) | CS_DBLCLKS);
}

WNDPROC ReplacedProcedure(HWND hwnd, UINT msg, const char* property)
{
    auto replaced = reinterpret_cast<WNDPROC>(GetPropA(hwnd, property));
    if (msg == WM_NCDESTROY)
        RemovePropA(hwnd, property);
    return replaced;
}

} // namespace lysora
