#pragma once
#include "controls/ListUI.h"

namespace SkinUI {

// The body of a menu window: a list without a visible header whose rows are menu items
// ("MenuElement"); it takes no other children.
class SKINUI_API CMenuUI : public CListUI {
public:
    CMenuUI();
    ~CMenuUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    // The widest visible item by the sum of the visible items' heights.
    SIZE EstimateSize(SIZE szAvailable) override;

    // IContainerUI: menu items only. An added item's sub-items stay hidden until its
    // sub-menu opens.
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
};

} // namespace SkinUI
