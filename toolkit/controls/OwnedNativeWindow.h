#pragma once
#include <windows.h>
#include "core/PaintManager.h"

namespace SkinUI {

// A control's native window that owns itself (it deletes itself in its final message after
// clearing the control's pointer). The control going away first detaches and destroys it,
// so none of its later messages writes into the freed control; a window object whose
// native window was never made has no final message and is deleted here. A window that
// holds the native focus hands it to the control's paint window on the way: that runs no
// program code while the control goes (pManager is the control's manager, or null).
template <class TWindow>
void DestroyOwnedNativeWindow(TWindow*& pWindow, CPaintManagerUI* pManager)
{
    if (pWindow == NULL) return;
    TWindow* p = pWindow;
    pWindow = NULL;
    p->Detach();
    HWND hWnd = p->GetHWND();
    CPaintManagerUI::CNativeFocusHold hold(pManager);
    if (::IsWindow(hWnd))
        ::DestroyWindow(hWnd);
    else
        delete p;
}

} // namespace SkinUI
