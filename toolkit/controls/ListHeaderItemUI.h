#pragma once
#include "core/ContainerUI.h"

namespace SkinUI {

// One column of a list header: text, state images, a separator image and a grip at one
// edge that resizes the column when dragged. Pressing it off the grip sends "headerclick".
class SKINUI_API CListHeaderItemUI : public CContainerUI {
public:
    CListHeaderItemUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    void SetEnabled(bool bEnable = true) override;

    bool IsDragable() const;
    void SetDragable(bool bDragable);
    // > 0: the grip lies at the right edge; < 0: at the left edge, |width| wide.
    int GetSepWidth() const;
    void SetSepWidth(int iWidth);
    UINT GetTextStyle() const;
    void SetTextStyle(UINT uStyle);
    DWORD GetTextColor() const;
    void SetTextColor(DWORD dwTextColor);
    RECT GetTextPadding() const;
    void SetTextPadding(RECT rc);
    void SetFont(int index);
    bool IsShowHtml() const;
    void SetShowHtml(bool bShowHtml = true);
    LPCTSTR GetSepImage() const;
    void SetSepImage(LPCTSTR pStrImage);
    void SetScale(int nScale);
    int GetScale() const;

    void DoEvent(TEventUI& event) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    // The separator strip in window coordinates.
    RECT GetThumbRect() const;

    void PaintText(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;

protected:
    // The separator strip widened by 4 pixels towards the inside: where a press drags.
    RECT GetGripRect() const;

    POINT m_ptLastMouse;
    bool m_bDragable;
    UINT m_uButtonState;
    int m_iSepWidth;
    DWORD m_dwTextColor;
    int m_iFont;
    UINT m_uTextStyle;
    bool m_bShowHtml;
    RECT m_rcTextPadding;
    CImageAttribute m_diSep;
    int m_nScale;
};

} // namespace SkinUI
