#pragma once
#include "core/ContainerUI.h"

namespace SkinUI {

// A separator drag: UISTATE_CAPTURED while dragging, the last mouse point, the layout's
// rectangle as it would be after the drag, and whether it resizes live ("sepimm").
struct TSeparatorDrag {
    UINT uButtonState;
    POINT ptLastMouse;
    RECT rcNewPos;
    bool bImmMode;
};

// Stacks its children from top to bottom. With a separator ("sepheight") the strip at one
// edge is a splitter that resizes the layout itself.
class SKINUI_API CVerticalLayoutUI : public CContainerUI {
public:
    CVerticalLayoutUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    // > 0: strip at the bottom edge; < 0: strip of the absolute size at the top edge.
    void SetSepHeight(int iHeight);
    int GetSepHeight() const;
    // Immediate mode resizes during the drag instead of showing a ghost strip.
    void SetSepImmMode(bool bImmediately);
    bool IsSepImmMode() const;
    // The separator strip: at the dragged position when bUseNew and a drag is running.
    RECT GetThumbRect(bool bUseNew = false) const;

    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void DoEvent(TEventUI& event) override;
    void SetPos(RECT rc) override;
    void DoPostPaint(HDC hDC, const RECT& rcPaint) override;

    // The separator machinery, shared with the horizontal layout. Strip of a rectangle
    // for a separator size, along y (vertical, kept inside the rectangle) or x (not clamped).
    static RECT SeparatorStrip(const RECT& rc, int iSepSize, bool bVertical);
    // Press, release, move and cursor on the strip of pLayout; answers true when the event
    // was the separator's. The fixed length along the axis is stored directly (the setter
    // would lay the parent out during a ghost drag).
    static bool SeparatorEvent(CControlUI* pLayout, TEventUI& event, int iSepSize, bool bVertical, RECT& rcItem,
                               LONG& cxyFixed, TSeparatorDrag& drag);

protected:
    int m_iSepHeight;
    TSeparatorDrag m_drag;
};

} // namespace SkinUI
