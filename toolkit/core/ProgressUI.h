#pragma once
#include "core/LabelUI.h"

namespace SkinUI {

// Shows a value between a minimum and a maximum by drawing the fore image over the filled
// part: from the left, or from the bottom; stretched into it or cut to it.
class SKINUI_API CProgressUI : public CLabelUI {
public:
    CProgressUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;

    bool IsHorizontal() const;
    void SetHorizontal(bool bHorizontal = true);
    bool IsStretchForeImage() const;
    void SetStretchForeImage(bool bStretchForeImage = true);
    int GetMinValue() const;
    void SetMinValue(int nMin);
    int GetMaxValue() const;
    void SetMaxValue(int nMax);
    int GetValue() const;
    // Takes only a changed value within [minimum, maximum]; anything else is ignored (no
    // repaint either: callers may repeat the same value per data chunk).
    void SetValue(int nValue);

protected:
    // The range as geometry may divide by: at least 1 even before a paint repaired it.
    long long GeometryRange() const;
    // The value's distance from the minimum, the value clamped to the limits first.
    long long GeometryOffset() const;

    bool m_bHorizontal;
    bool m_bStretchForeImage;
    int m_nMax;
    int m_nMin;
    int m_nValue;
    CSkinString m_sForeImageModify;
};

} // namespace SkinUI
