#pragma once
#include "core/LabelUI.h"

namespace SkinUI {

// A label that follows the mouse and keyboard through the state bits, paints an image per
// state, sends "click" when activated and can switch a tab layout bound to it by name.
class SKINUI_API CButtonUI : public CLabelUI {
public:
    CButtonUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    void SetHotBkColor(DWORD dwColor);
    DWORD GetHotBkColor() const;
    void SetHotTextColor(DWORD dwColor);
    DWORD GetHotTextColor() const;
    void SetPushedTextColor(DWORD dwColor);
    DWORD GetPushedTextColor() const;
    void SetFocusedTextColor(DWORD dwColor);
    DWORD GetFocusedTextColor() const;
    LPCTSTR GetHotForeImage();
    void SetHotForeImage(LPCTSTR pStrImage);
    LPCTSTR GetPushedForeImage();
    void SetPushedForeImage(LPCTSTR pStrImage);

    void BindTabIndex(int nTabIndex);
    void BindTabLayoutName(LPCTSTR pStrTabLayoutName);
    // Selects page nIndex (the bound index when negative) of the bound tab layout.
    void BindTriggerTabSel(int nIndex = -1);
    void RemoveBindTabIndex();
    int GetBindTabLayoutIndex() const;
    CSkinString GetBindTabLayoutName() const;

    UINT GetButtonState() const;

protected:
    // Focus and enablement are kept in the state bits only while painting.
    void RefreshPaintState();
    // Draws the fore image of the current state: the one passed when usable, else the plain one.
    void PaintForeImage(HDC hDC, CImageAttribute* pStateFore);
    void DrawLabelText(HDC hDC, DWORD dwColor);

    UINT m_uButtonState;
    DWORD m_dwHotBkColor;
    DWORD m_dwHotTextColor;
    DWORD m_dwPushedTextColor;
    DWORD m_dwFocusedTextColor;
    CImageAttribute m_diHotFore;
    CImageAttribute m_diPushedFore;
    int m_iBindTabIndex;
    CSkinString m_sBindTabLayoutName;
};

} // namespace SkinUI
