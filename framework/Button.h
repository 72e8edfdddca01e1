#pragma once
#include "Wnd.h"

// A push button. An owner-drawn one paints itself in DrawItem, which the parent's
// WM_DRAWITEM reaches through reflection.
class CButton : public CWnd {
public:
    BOOL Create(LPCWSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CreateEx(0, L"BUTTON", caption, style, rect, parent, id);
    }
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (message == WM_DRAWITEM) {
            DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
            *result = TRUE;
            return TRUE;
        }
        return CWnd::OnChildNotify(message, wParam, lParam, result);
    }
};
