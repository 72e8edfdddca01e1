#pragma once
#include "core/ControlUI.h"

namespace SkinUI {

// One text in a rectangle: alignment, a font of the manager's table, normal and disabled
// colours, inner padding and optionally the inline markup. Always painted on one line.
class SKINUI_API CLabelUI : public CControlUI {
public:
    CLabelUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetText(LPCTSTR pstrText) override;

    void SetTextStyle(UINT uStyle);
    UINT GetTextStyle() const;
    void SetTextColor(DWORD dwTextColor);
    DWORD GetTextColor() const;
    void SetDisabledTextColor(DWORD dwTextColor);
    DWORD GetDisabledTextColor() const;
    void SetFont(int index);
    int GetFont() const;
    void SetTextPadding(RECT rc);
    RECT GetTextPadding() const;
    void SetShowHtml(bool bShowHtml = true);
    bool IsShowHtml() const;

    SIZE EstimateSize(SIZE szAvailable) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintText(HDC hDC) override;

    virtual bool GetAutoCalcWidth() const;
    virtual void SetAutoCalcWidth(bool bAutoCalcWidth);

protected:
    // A colour attribute value: AARRGGBB after an optional "#".
    static DWORD ParseColorValue(LPCTSTR pstrValue);
    static bool IsMouseEvent(const TEventUI& event);
    // Replaces colours still 0 by the manager's defaults (kept from then on).
    void ApplyDefaultColors();
    RECT GetTextRect() const;

    DWORD m_dwTextColor;
    DWORD m_dwDisabledTextColor;
    int m_iFont;
    UINT m_uTextStyle;
    RECT m_rcTextPadding;
    bool m_bShowHtml;
    bool m_bAutoCalcWidth;
};

} // namespace SkinUI
