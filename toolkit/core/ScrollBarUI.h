#pragma once
#include "core/SkinDefs.h"
#include "core/ControlUI.h"

namespace SkinUI {

class CContainerUI;

// Two arrow buttons, a track and a thumb sized by the visible share. An owned bar (a
// container's) asks its owner to scroll; a bar without owner keeps its own position and
// reports each step with the notification "scroll".
class SKINUI_API CScrollBarUI : public CControlUI {
public:
    CScrollBarUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    CContainerUI* GetOwner() const;
    void SetOwner(CContainerUI* pOwner);

    void SetEnabled(bool bEnable = true) override;
    void SetFocus() override;
    void SetVisible(bool bVisible = true) override;

    bool IsHorizontal();
    void SetHorizontal(bool bHorizontal = true);
    int GetScrollRange() const;
    void SetScrollRange(int nRange);
    int GetScrollPos() const;
    void SetScrollPos(int nPos);
    int GetLineSize() const;
    void SetLineSize(int nSize);

    bool GetShowButton1();
    void SetShowButton1(bool bShow);
    bool GetShowButton2();
    void SetShowButton2(bool bShow);

    LPCTSTR GetButton1NormalImage();
    void SetButton1NormalImage(LPCTSTR pStrImage);
    LPCTSTR GetButton1HotImage();
    void SetButton1HotImage(LPCTSTR pStrImage);
    LPCTSTR GetButton1PushedImage();
    void SetButton1PushedImage(LPCTSTR pStrImage);
    LPCTSTR GetButton1DisabledImage();
    void SetButton1DisabledImage(LPCTSTR pStrImage);

    LPCTSTR GetButton2NormalImage();
    void SetButton2NormalImage(LPCTSTR pStrImage);
    LPCTSTR GetButton2HotImage();
    void SetButton2HotImage(LPCTSTR pStrImage);
    LPCTSTR GetButton2PushedImage();
    void SetButton2PushedImage(LPCTSTR pStrImage);
    LPCTSTR GetButton2DisabledImage();
    void SetButton2DisabledImage(LPCTSTR pStrImage);

    LPCTSTR GetThumbNormalImage();
    void SetThumbNormalImage(LPCTSTR pStrImage);
    LPCTSTR GetThumbHotImage();
    void SetThumbHotImage(LPCTSTR pStrImage);
    LPCTSTR GetThumbPushedImage();
    void SetThumbPushedImage(LPCTSTR pStrImage);
    LPCTSTR GetThumbDisabledImage();
    void SetThumbDisabledImage(LPCTSTR pStrImage);

    LPCTSTR GetRailNormalImage();
    void SetRailNormalImage(LPCTSTR pStrImage);
    LPCTSTR GetRailHotImage();
    void SetRailHotImage(LPCTSTR pStrImage);
    LPCTSTR GetRailPushedImage();
    void SetRailPushedImage(LPCTSTR pStrImage);
    LPCTSTR GetRailDisabledImage();
    void SetRailDisabledImage(LPCTSTR pStrImage);

    // The background images are the control's own normal/hot/pushed/disabled images.
    LPCTSTR GetBkNormalImage();
    void SetBkNormalImage(LPCTSTR pStrImage);
    LPCTSTR GetBkHotImage();
    void SetBkHotImage(LPCTSTR pStrImage);
    LPCTSTR GetBkPushedImage();
    void SetBkPushedImage(LPCTSTR pStrImage);
    LPCTSTR GetBkDisabledImage();
    void SetBkDisabledImage(LPCTSTR pStrImage);

    void SetPos(RECT rc) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    // Laid-out parts, in window coordinates (all zero when absent).
    const RECT& GetButton1Rect() const;
    const RECT& GetButton2Rect() const;
    const RECT& GetThumbRect() const;

    void PaintBk(HDC hDC);
    void PaintButton1(HDC hDC);
    void PaintButton2(HDC hDC);
    void PaintThumb(HDC hDC);
    void PaintRail(HDC hDC);

protected:
    // Auto-repeat and drag ticks.
    enum { kTimerId = 10, kTimerPeriod = 50, kRepeatDelayTicks = 5 };

    void StepLineBack();
    void StepLineForward();
    void StepPageBack();
    void StepPageForward();
    void NotifyScroll();
    // Length of the track between the shown buttons along the bar.
    int GetTrackLength() const;
    // One part's image by its state: disabled, pushed, hot when usable, else normal.
    bool PaintPart(HDC hDC, const RECT& rcPart, UINT uState, CImageAttribute& normal, CImageAttribute& hot,
                   CImageAttribute& pushed, CImageAttribute& disabled);

    bool m_bHorizontal;
    int m_nRange;
    int m_nScrollPos;
    int m_nLineSize;
    CContainerUI* m_pOwner;
    POINT m_ptLastMouse;
    int m_nLastScrollPos;
    int m_nLastScrollOffset;
    int m_nScrollRepeatDelay;

    bool m_bShowButton1;
    RECT m_rcButton1;
    UINT m_uButton1State;
    CImageAttribute m_diButton1Normal;
    CImageAttribute m_diButton1Hot;
    CImageAttribute m_diButton1Pushed;
    CImageAttribute m_diButton1Disabled;

    bool m_bShowButton2;
    RECT m_rcButton2;
    UINT m_uButton2State;
    CImageAttribute m_diButton2Normal;
    CImageAttribute m_diButton2Hot;
    CImageAttribute m_diButton2Pushed;
    CImageAttribute m_diButton2Disabled;

    RECT m_rcThumb;
    UINT m_uThumbState;
    CImageAttribute m_diThumbNormal;
    CImageAttribute m_diThumbHot;
    CImageAttribute m_diThumbPushed;
    CImageAttribute m_diThumbDisabled;

    CImageAttribute m_diRailNormal;
    CImageAttribute m_diRailHot;
    CImageAttribute m_diRailPushed;
    CImageAttribute m_diRailDisabled;
};

} // namespace SkinUI
