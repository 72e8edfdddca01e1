#pragma once
#include "core/ContainerUI.h"

namespace SkinUI {

// A grid of equal-width columns; each row is as high as its tallest item and every item
// is centred in its tile.
class SKINUI_API CTileLayoutUI : public CContainerUI {
public:
    CTileLayoutUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    void SetPos(RECT rc) override;

    // A positive item width makes the column count follow the layout's width.
    SIZE GetItemSize() const;
    void SetItemSize(SIZE szItem);
    // After a layout pass: the count that pass used.
    int GetColumns() const;
    void SetColumns(int nCols);

    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

protected:
    SIZE m_szItem;
    int m_nColumns;
};

} // namespace SkinUI
