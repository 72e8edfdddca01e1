#pragma once
#include "core/StdPtrArray.h"
#include "controls/ListLabelElementUI.h"

namespace SkinUI {

// A row of a list with one text per header column, taken from the list's text callback when
// it has one. With the owner's "itemshowhtml" the texts may hold links (8 per row at most);
// their rectangles are those of the last paint.
class SKINUI_API CListTextElementUI : public CListLabelElementUI {
public:
    enum { MAX_LINK = 8 };

    CListTextElementUI();
    ~CListTextElementUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    // The control's own text stays reachable beside the column texts.
    using CListLabelElementUI::GetText;
    using CListLabelElementUI::SetText;
    // The text stored for a column; null when none is stored or the column is out of range.
    LPCTSTR GetText(int iIndex) const;
    // Stores a column text; nothing without a list owner or outside its columns.
    void SetText(int iIndex, LPCTSTR pstrText);

    void SetOwner(CControlUI* pOwner) override;
    // The target of link iIndex as the last paint laid it out; null outside the links.
    CSkinString* GetLinkContent(int iIndex);
    int GetLinkCount() const;

    void DoEvent(TEventUI& event) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DrawItemText(HDC hDC, const RECT& rcItem) override;

protected:
    // Index of the first link rectangle holding pt, -1 when none does.
    int LinkAt(POINT pt) const;
    int ColumnCount() const;

    int m_nLinks;
    RECT m_rcLinks[MAX_LINK];
    CSkinString m_sLinks[MAX_LINK];
    int m_nHoverLink;
    IListUI* m_pListOwner;
    CStdPtrArray m_aTexts; // CSkinString*, owned
};

} // namespace SkinUI
