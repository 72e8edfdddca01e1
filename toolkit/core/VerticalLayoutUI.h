#pragma once
#include "core/ContainerUI.h"

namespace SkinUI {

// Stacks its children from top to bottom. With a separator ("sepheight") the strip at one
// edge is a splitter that resizes the layout itself.
class SKINUI_API CVerticalLayoutUI : public CContainerUI
{
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

protected:
    int m_iSepHeight;
    UINT m_uButtonState;
    POINT m_ptLastMouse;
    RECT m_rcNewPos;
    bool m_bImmMode;
};

} // namespace SkinUI
