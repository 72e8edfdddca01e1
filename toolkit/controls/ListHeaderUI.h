#pragma once
#include "core/HorizontalLayoutUI.h"

namespace SkinUI {

// The header row of a list: a horizontal layout of CListHeaderItemUI columns. With
// "scaleheader" every column takes its "scale" as a percentage of the list's width.
class SKINUI_API CListHeaderUI : public CHorizontalLayoutUI {
public:
    CListHeaderUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    void SetScaleHeader(bool bIsScale);
    bool IsScaleHeader() const;

    SIZE EstimateSize(SIZE szAvailable) override;
    void SetPos(RECT rc) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

protected:
    bool m_bIsScaleHeader;
};

} // namespace SkinUI
