#pragma once
#include <ole2.h>
#include "core/WindowWnd.h"

namespace SkinUI {

class CActiveXCtrl;

// The native child window a windowed object lives in, placed over its control. Its site
// owns it: the site destroys the native window and deletes the object; the final message
// deletes nothing.
class SKINUI_API CActiveXWnd final : public CWindowWnd {
public:
    CActiveXWnd();

    // Creates the window as a child of hWndParent at size 0; null on failure.
    HWND Init(CActiveXCtrl* pOwner, HWND hWndParent);
    // The site is going away: no further message reaches it.
    void Detach();

    LPCTSTR GetWindowClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

protected:
    // Asks the hosted object to run a verb in this window; nothing without site, owner or
    // object.
    void DoVerb(LONG iVerb);

    LRESULT OnMouseActivate(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    LRESULT OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    LRESULT OnEraseBkgnd(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    LRESULT OnPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);

    CActiveXCtrl* m_pOwner;
};

} // namespace SkinUI
