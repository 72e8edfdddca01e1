#pragma once
#include "core/SkinDefs.h"
#include "core/SkinString.h"
#include "core/Delegate.h"
#include "core/ImageAttribute.h"
#include "core/PaintManager.h"

namespace SkinUI {

// Control flags (GetControlFlags).
#define UIFLAG_TABSTOP 0x00000001
#define UIFLAG_SETCURSOR 0x00000002

// Find flags (FindControl), combined by OR.
#define UIFIND_ALL 0x00000000
#define UIFIND_VISIBLE 0x00000001
#define UIFIND_ENABLED 0x00000002
#define UIFIND_HITTEST 0x00000004
#define UIFIND_REVERSE 0x00000008
#define UIFIND_SELF_FIRST 0x80000000

// State bits of controls that track the mouse.
#define UISTATE_FOCUSED 0x00000001
#define UISTATE_SELECTED 0x00000002
#define UISTATE_DISABLED 0x00000004
#define UISTATE_HOT 0x00000008
#define UISTATE_PUSHED 0x00000010
#define UISTATE_CAPTURED 0x00000040

// Relative placement: shares (percent) of the parent's size change added to a float
// control's edges and size.
// Setting the fixed XY, size or percentages by code clears parentSize, so the container takes
// a new recording of the geometry it places from; the float write-back of SetPos does not.
typedef struct tagTRelativePosUI {
    bool relative;
    SIZE parentSize; // zero until the first float placement records it
    int moveXPercent;
    int moveYPercent;
    int zoomXPercent;
    int zoomYPercent;
} TRelativePosUI;

// Base of every toolkit control. The order of the virtual operations is the control
// interface: derived controls and the paint manager rely on it.
class SKINUI_API CControlUI {
public:
    CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual ~CControlUI();
    virtual CSkinString GetName() const;
    virtual void SetName(LPCTSTR pstrName);
    virtual LPCTSTR GetClass() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetControlFlags() const;
    virtual bool Activate();
    virtual CPaintManagerUI* GetManager() const;
    virtual void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true);
    virtual CControlUI* GetParent() const;
    virtual CSkinString GetText() const;
    virtual void SetText(LPCTSTR pstrText);
    virtual const RECT& GetPos() const;
    virtual void SetPos(RECT rc);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;
    virtual RECT GetPadding() const;
    virtual void SetPadding(RECT rcPadding);
    virtual SIZE GetFixedXY() const;
    virtual void SetFixedXY(SIZE szXY);
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);
    virtual void SetRelativePos(SIZE szMove, SIZE szZoom);
    virtual void SetRelativeParentSize(SIZE sz);
    virtual TRelativePosUI GetRelativePos() const;
    virtual bool IsRelativePos() const;
    virtual CSkinString GetToolTip() const;
    virtual void SetToolTip(LPCTSTR pstrText);
    virtual void SetToolTipWidth(int nWidth);
    virtual int GetToolTipWidth();
    virtual TCHAR GetShortcut() const;
    virtual void SetShortcut(TCHAR ch);
    virtual bool IsContextMenuUsed() const;
    virtual void SetContextMenuUsed(bool bMenuUsed);
    virtual const CSkinString& GetUserData();
    virtual void SetUserData(LPCTSTR pstrText);
    virtual UINT_PTR GetTag() const;
    virtual void SetTag(UINT_PTR pTag);
    virtual bool IsVisible() const;
    virtual void SetVisible(bool bVisible = true);
    virtual void SetInternVisible(bool bVisible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool bEnable = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool bEnable = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool bEnable = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool bFloat = true);
    virtual CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags);
    virtual void Init();
    virtual void DoInit();
    virtual void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual SIZE EstimateSize(SIZE szAvailable);
    virtual void DoPaint(HDC hDC, const RECT& rcPaint);
    virtual void PaintBkColor(HDC hDC);
    virtual void PaintBkImage(HDC hDC);
    virtual void PaintStatusImage(HDC hDC);
    virtual void PaintText(HDC hDC);
    virtual void PaintBorder(HDC hDC);
    virtual void DoPostPaint(HDC hDC, const RECT& rcPaint);

    // Layout and repaint requests.
    bool IsUpdateNeeded() const;
    void NeedUpdate();
    void NeedParentUpdate();
    void Invalidate();

    // Virtual-window name: the own one when set, else the parent's.
    void SetVirtualWnd(LPCTSTR pstrValue);
    CSkinString GetVirtualWnd() const;

    // Colours (AARRGGBB, 0 = not set).
    DWORD GetAdjustColor(DWORD dwColor);
    bool IsColorHSL() const;
    void SetColorHSL(bool bColorHSL);
    DWORD GetBkColor() const;
    void SetBkColor(DWORD dwBackColor);
    DWORD GetBkColor2() const;
    void SetBkColor2(DWORD dwBackColor);
    DWORD GetBkColor3() const;
    void SetBkColor3(DWORD dwBackColor);
    DWORD GetBorderColor() const;
    void SetBorderColor(DWORD dwBorderColor);
    DWORD GetFocusBorderColor() const;
    void SetFocusBorderColor(DWORD dwBorderColor);

    // Borders.
    int GetBorderSize() const;
    void SetBorderSize(int nSize);
    void SetBorderSize(RECT rc);
    int GetLeftBorderSize() const;
    void SetLeftBorderSize(int nSize);
    int GetTopBorderSize() const;
    void SetTopBorderSize(int nSize);
    int GetRightBorderSize() const;
    void SetRightBorderSize(int nSize);
    int GetBottomBorderSize() const;
    void SetBottomBorderSize(int nSize);
    int GetBorderStyle() const;
    void SetBorderStyle(int nStyle);
    SIZE GetBorderRound() const;
    void SetBorderRound(SIZE cxyRound);

    // Images: the attribute strings of the seven image descriptions.
    LPCTSTR GetBkImage();
    void SetBkImage(LPCTSTR pStrImage);
    LPCTSTR GetForeImage();
    void SetForeImage(LPCTSTR pStrImage);
    LPCTSTR GetNormalImage();
    void SetNormalImage(LPCTSTR pStrImage);
    LPCTSTR GetHotImage();
    void SetHotImage(LPCTSTR pStrImage);
    LPCTSTR GetPushedImage();
    void SetPushedImage(LPCTSTR pStrImage);
    LPCTSTR GetFocusedImage();
    void SetFocusedImage(LPCTSTR pStrImage);
    LPCTSTR GetDisabledImage();
    void SetDisabledImage(LPCTSTR pStrImage);

    // Draws an image description over the item rectangle; the second form places it at
    // rc (relative to the item), the third applies extra key='value' pairs. The stored
    // description is never changed by the last two.
    bool DrawImage(HDC hDC, CImageAttribute& image);
    bool DrawImage(HDC hDC, CImageAttribute& image, const RECT& rc);
    bool DrawImage(HDC hDC, CImageAttribute& image, LPCTSTR pStrModify);

    // name="value" pairs separated by single blanks.
    CControlUI* ApplyAttributeList(LPCTSTR pstrList);

public:
    CEventSource initHandlers;
    CEventSource destroyHandlers;
    CEventSource sizeHandlers;
    CEventSource eventHandlers;
    CEventSource notifyHandlers;

protected:
    // After a geometry setter: a floating control lays itself out, any other its parent.
    void UpdateAfterGeometryChange();
    // A hidden control gives the focus back at once and is told of it later.
    void DropFocusWhenHidden();

    CPaintManagerUI* m_pManager;
    CControlUI* m_pParent;
    CSkinString m_sVirtualWnd;
    CSkinString m_sName;
    bool m_bUpdateNeeded;
    bool m_bMenuUsed;
    RECT m_rcItem;
    RECT m_rcPadding;
    SIZE m_cXY;
    SIZE m_cxyFixed;
    SIZE m_cxyMin;
    SIZE m_cxyMax;
    bool m_bVisible;
    bool m_bInternVisible;
    bool m_bEnabled;
    bool m_bMouseEnabled;
    bool m_bKeyboardEnabled;
    bool m_bFocused;
    bool m_bFloat;
    bool m_bSetPos; // inside the size notification of SetPos
    TRelativePosUI m_tRelativePos;

    CSkinString m_sText;
    CSkinString m_sToolTip;
    TCHAR m_chShortcut;
    CSkinString m_sUserData;
    UINT_PTR m_pTag;

    DWORD m_dwBackColor;
    DWORD m_dwBackColor2;
    DWORD m_dwBackColor3;
    CImageAttribute m_diBk;
    CImageAttribute m_diFore;
    CImageAttribute m_diNormal;
    CImageAttribute m_diHot;
    CImageAttribute m_diPushed;
    CImageAttribute m_diFocused;
    CImageAttribute m_diDisabled;
    DWORD m_dwBorderColor;
    DWORD m_dwFocusBorderColor;
    bool m_bColorHSL;
    int m_nBorderSize;
    int m_nBorderStyle;
    int m_nTooltipWidth;
    SIZE m_cxyBorderRound;
    RECT m_rcPaint;
    RECT m_rcBorderSize;
};

// Tells a control's own code whether the control still exists after a call that may have
// destroyed it: a notifier may close and delete the window, and with it the whole tree.
// Guards live on the stack of the thread that owns the control.
class SKINUI_API CControlLifeGuard {
public:
    explicit CControlLifeGuard(const CControlUI* pControl);
    ~CControlLifeGuard();
    CControlLifeGuard(const CControlLifeGuard&) = delete;
    CControlLifeGuard& operator=(const CControlLifeGuard&) = delete;
    bool Alive() const { return m_pControl != NULL; }
    // Run by the control's destructor.
    static void ControlGone(const CControlUI* pControl);

private:
    const CControlUI* m_pControl;
    CControlLifeGuard* m_pOuter;
};

} // namespace SkinUI
