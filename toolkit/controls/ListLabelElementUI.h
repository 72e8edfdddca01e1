#pragma once
#include "controls/ListElementUI.h"

namespace SkinUI {

// A row that shows its one text in the owner's row styling.
class SKINUI_API CListLabelElementUI : public CListElementUI {
public:
    CListLabelElementUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void DoEvent(TEventUI& event) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    void DrawItemText(HDC hDC, const RECT& rcItem) override;
};

} // namespace SkinUI
