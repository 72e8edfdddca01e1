#pragma once
#include "core/SkinDefs.h"
#include "core/StdPtrArray.h"
#include "core/PointerSet.h"
#include "core/ControlUI.h"

namespace SkinUI {

class CScrollBarUI;

// The child list of every container. The skin builder adds children through this
// interface (GetInterface("IContainer") answers this sub-object, never the container), so
// the operations are virtual here and a derived container's Add is the one reached.
class SKINUI_API IContainerUI {
public:
    virtual CControlUI* GetItemAt(int iIndex) const = 0;
    virtual int GetItemIndex(CControlUI* pControl) const = 0;
    virtual bool SetItemIndex(CControlUI* pControl, int iIndex) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* pControl) = 0;
    virtual bool AddAt(CControlUI* pControl, int iIndex) = 0;
    virtual bool Remove(CControlUI* pControl) = 0;
    virtual bool RemoveAt(int iIndex) = 0;
    virtual void RemoveAll() = 0;

protected:
    // Containers are deleted as controls, never through this interface.
    ~IContainerUI() {}
};

// Base of every control that has children: owns them, keeps insets, child padding and up
// to two owned scroll bars, scrolls the children, passes state down the tree and paints the
// children clipped to itself. The base places every child over the whole inner area.
class SKINUI_API CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    virtual ~CContainerUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    // IContainerUI
    CControlUI* GetItemAt(int iIndex) const override;
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    int GetCount() const override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;
    // Takes out nCount children from iFirst on, as that many RemoveAt(iFirst) would, with
    // one move of the children after them; false, changing nothing, for a bad range.
    bool RemoveRange(int iFirst, int nCount);

    // Control interface.
    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    void SetEnabled(bool bEnable = true) override;
    void SetMouseEnabled(bool bEnable = true) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    // Container interface, after the control's.
    virtual RECT GetInset() const;
    virtual void SetInset(RECT rcInset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int iPadding);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool bAuto);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool bDelayed);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool bEnable = true);
    virtual int FindSelectable(int iIndex, bool bForward = true) const;
    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE szPos);
    virtual void SetScrollStepSize(int nSize);
    virtual int GetScrollStepSize() const;
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void HomeUp();
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void HomeLeft();
    virtual void EndRight();
    virtual void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const;
    virtual CScrollBarUI* GetHorizontalScrollBar() const;

    // Children looked up by name below this container.
    CControlUI* FindSubControl(LPCTSTR pstrSubControlName);
    CSkinString GetSubControlText(LPCTSTR pstrSubControlName);
    CSkinString GetSubControlUserData(LPCTSTR pstrSubControlName);
    int GetSubControlFixedHeight(LPCTSTR pstrSubControlName);
    int GetSubControlFixedWdith(LPCTSTR pstrSubControlName);
    bool SetSubControlText(LPCTSTR pstrSubControlName, LPCTSTR pstrText);
    bool SetSubControlUserData(LPCTSTR pstrSubControlName, LPCTSTR pstrText);
    bool SetSubControlFixedHeight(LPCTSTR pstrSubControlName, int cy);
    bool SetSubControlFixedWdith(LPCTSTR pstrSubControlName, int cx);

protected:
    virtual void SetFloatPos(int iIndex);
    // Told of each child that leaves the list, before it is deleted or queued for the
    // delayed cleanup (not while the container itself goes).
    virtual void ChildLeaves(CControlUI* pControl);
    virtual void ProcessScrollBar(RECT rc, int cxRequired, int cyRequired);

    // The item rectangle minus the inset, and GetInnerRect also minus the visible bars.
    RECT GetInsetRect() const;
    RECT GetInnerRect() const;
    // The line placement of the vertical (bVertical) and horizontal layouts: the visible
    // children one after the other along the axis from ptStart (the inner rectangle's
    // corner shifted by the scroll positions), sharing what szAvailable leaves between
    // the automatic ones. Answers the length they need, child padding included.
    int PlaceLine(SIZE szAvailable, POINT ptStart, bool bVertical);
    // A child's length within its limits: the minimum first, the maximum wins.
    static int ClampToLimits(int iLength, int iMin, int iMax);

    CStdPtrArray m_items;
    RECT m_rcInset;
    int m_iChildPadding;
    bool m_bAutoDestroy;
    bool m_bDelayedDestroy;
    bool m_bMouseChildEnabled;
    bool m_bScrollProcess;
    int m_nScrollStepSize;
    CScrollBarUI* m_pVerticalScrollBar;
    CScrollBarUI* m_pHorizontalScrollBar;

private:
    // The geometry a floating, relatively placed child had when the parent size was first
    // recorded; placements add the total growth since then, so growth that arrives in
    // small steps is not lost to truncation.
    struct RelativeBase {
        CControlUI* pControl;
        SIZE szParent; // parent size at the recording
        SIZE szXY;     // fixed XY at the recording
        SIZE szFixed;  // fixed size at the recording
        SIZE szLastXY; // what the last placement wrote back
        SIZE szLastFixed;
        int percents[4]; // move x, move y, zoom x, zoom y at the recording
    };
    int LineStepX() const;
    int LineStepY() const;
    int PageStepX() const;
    int PageStepY() const;
    void ScrollBy(int cx, int cy);
    RelativeBase* FindRelativeBase(CControlUI* pControl);
    void ForgetRelativeBase(CControlUI* pControl);
    void ReleaseChild(CControlUI* pControl);
    // Children already out of the list: a destroy handler may close the window and take
    // this container with it, so how they go is read before the first of them goes.
    void ReleaseChildren(const CStdPtrArray& aGone);
    bool HasChild(CControlUI* pControl) const;
    void NeedLayout();
    void RemoveItemAt(int iIndex);

    CStdPtrArray m_aRelativeBases;
    // The children's addresses, kept once the list is long: refusing a second Add of the
    // same control and answering GetItemIndex for a stranger must not walk every child.
    // Code that sets m_items aside for a while puts the same children back. Empty while
    // the list is short.
    CPointerSet m_childSet;
    // Where the last lookup or removal was: removals run front to back or back to front,
    // and the next child sought sits at or beside it.
    mutable int m_iFindHint;
};

} // namespace SkinUI
