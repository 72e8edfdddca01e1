#pragma once
#include "core/VerticalLayoutUI.h"

namespace SkinUI {

// Places its children from left to right. With a separator ("sepwidth") the strip at one
// edge is a splitter that resizes the layout itself.
class SKINUI_API CHorizontalLayoutUI : public CContainerUI {
public:
    CHorizontalLayoutUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    // > 0: strip at the right edge; < 0: strip of the absolute size at the left edge.
    void SetSepWidth(int iWidth);
    int GetSepWidth() const;
    // Immediate mode resizes during the drag instead of showing a ghost strip.
    void SetSepImmMode(bool bImmediately);
    bool IsSepImmMode() const;
    // The separator strip: at the dragged position when bUseNew and a drag is running.
    RECT GetThumbRect(bool bUseNew = false) const;

    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void DoEvent(TEventUI& event) override;
    void SetPos(RECT rc) override;
    void DoPostPaint(HDC hDC, const RECT& rcPaint) override;

protected:
    int m_iSepWidth;
    TSeparatorDrag m_drag;
};

} // namespace SkinUI
