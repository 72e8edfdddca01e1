#pragma once
#include "core/ProgressUI.h"

namespace SkinUI {

// A progress bar with a draggable thumb and wheel steps; reports "valuechanged" when a drag
// or a wheel notch ends and optionally "movevaluechanged" during a drag.
class SKINUI_API CSliderUI : public CProgressUI {
public:
    CSliderUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;

    // Ignored while the thumb is being dragged.
    void SetValue(int nValue);
    void SetChangeStep(int step);
    int GetChangeStep() const;
    void SetThumbSize(SIZE szXY);
    RECT GetThumbRect() const;
    LPCTSTR GetThumbImage() const;
    void SetThumbImage(LPCTSTR pStrImage);
    LPCTSTR GetThumbHotImage() const;
    void SetThumbHotImage(LPCTSTR pStrImage);
    LPCTSTR GetThumbPushedImage() const;
    void SetThumbPushedImage(LPCTSTR pStrImage);
    void SetCanSendMove(bool bCanSend);
    bool GetCanSendMove() const;
    UINT GetButtonState() const;

protected:
    int ValueFromPoint(POINT pt) const;

    SIZE m_szThumb;
    UINT m_uButtonState;
    int m_nStep;
    CImageAttribute m_diThumb;
    CImageAttribute m_diThumbHot;
    CImageAttribute m_diThumbPushed;
    bool m_bSendMove;
};

} // namespace SkinUI
