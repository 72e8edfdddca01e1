#pragma once
#include <windows.h>

namespace SkinUI {

// A control's native window that owns itself (it deletes itself in its final message after
// clearing the control's pointer). The control going away first detaches and destroys it,
// so none of its later messages writes into the freed control; a window object whose
// native window was never made has no final message and is deleted here.
template <class TWindow>
void DestroyOwnedNativeWindow(TWindow*& pWindow)
{
    if (pWindow == NULL) return;
    TWindow* p = pWindow;
    pWindow = NULL;
    p->Detach();
    HWND hWnd = p->GetHWND();
    if (::IsWindow(hWnd))
        ::DestroyWindow(hWnd);
    else
        delete p;
}

} // namespace SkinUI
