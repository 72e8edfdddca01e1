#pragma once
#include "core/LabelUI.h"

namespace SkinUI {

// A label for longer, word-wrapped text with clickable links (markup only) and an optional
// drop shadow (plain text only).
class SKINUI_API CTextUI : public CLabelUI {
public:
    enum { MAX_LINK = 8 };

    CTextUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;
    void SetText(LPCTSTR pstrText) override;

    void SetShadowColor(DWORD dwColor);
    DWORD GetShadowColor() const;
    // The target of link nIndex as the last paint laid it out; null outside the links.
    CSkinString* GetLinkContent(int nIndex);

    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintText(HDC hDC) override;

protected:
    int LinkAt(POINT pt) const;
    void ForgetLinks();

    int m_nLinks;
    RECT m_rcLinks[MAX_LINK];
    CSkinString m_sLinks[MAX_LINK];
    int m_nHoverLink;
    DWORD m_dwShadowColor;
};

} // namespace SkinUI
