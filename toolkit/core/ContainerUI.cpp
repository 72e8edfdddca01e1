#include <windows.h>
#include <wchar.h>
#include <stdlib.h>
#include <string.h>
#include "core/ContainerUI.h"
#include "core/ScrollBarUI.h"
#include "core/RenderClip.h"
#include "core/AttributeValue.h"

namespace SkinUI {

namespace {

bool SameSize(const SIZE& a, const SIZE& b)
{
    return a.cx == b.cx && a.cy == b.cy;
}

bool IsMouseEvent(int type)
{
    return type >= UIEVENT__MOUSEBEGIN && type <= UIEVENT__MOUSEEND;
}

// Below this many children a scan of the list is cheaper than a hash of their addresses.
const int kChildSetMinimum = 32;

} // namespace

CContainerUI::CContainerUI()
    : m_iChildPadding(0), m_bAutoDestroy(true), m_bDelayedDestroy(true), m_bMouseChildEnabled(true),
      m_bScrollProcess(false), m_nScrollStepSize(0), m_pVerticalScrollBar(NULL), m_pHorizontalScrollBar(NULL),
      m_iFindHint(0)
{
    ::SetRectEmpty(&m_rcInset);
}

CContainerUI::~CContainerUI()
{
    // Children go at once: the manager may be gone before a queued cleanup would run.
    m_bDelayedDestroy = false;
    RemoveAll();
    delete m_pVerticalScrollBar;
    m_pVerticalScrollBar = NULL;
    delete m_pHorizontalScrollBar;
    m_pHorizontalScrollBar = NULL;
    for (int i = 0; i < m_aRelativeBases.GetSize(); i++) delete static_cast<RelativeBase*>(m_aRelativeBases[i]);
    m_aRelativeBases.Empty();
}

LPCTSTR CContainerUI::GetClass() const
{
    return L"ContainerUI";
}

LPVOID CContainerUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"IContainer") == 0) return static_cast<IContainerUI*>(this);
    if (wcscmp(pstrName, L"Container") == 0) return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

// ---- the child list ----

CControlUI* CContainerUI::GetItemAt(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_items.GetSize()) return NULL;
    return static_cast<CControlUI*>(m_items[iIndex]);
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const
{
    if (pControl == NULL) return -1;
    if (m_childSet.GetSize() > 0 && !m_childSet.Contains(pControl)) return -1;
    const int nCount = m_items.GetSize();
    for (int iNear = m_iFindHint - 1; iNear <= m_iFindHint + 1; iNear++) {
        if (iNear >= 0 && iNear < nCount && m_items[iNear] == pControl) return m_iFindHint = iNear;
    }
    const int iIndex = m_items.Find(pControl);
    if (iIndex >= 0) m_iFindHint = iIndex;
    return iIndex;
}

bool CContainerUI::HasChild(CControlUI* pControl) const
{
    if (m_childSet.GetSize() > 0) return m_childSet.Contains(pControl);
    return m_items.Find(pControl) >= 0;
}

bool CContainerUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    // Checked first: a move to a bad index must not drop the child from the list.
    const int iOld = GetItemIndex(pControl);
    if (iOld < 0 || iIndex < 0 || iIndex >= m_items.GetSize()) return false;
    NeedUpdate();
    m_items.Remove(iOld);
    return m_items.InsertAt(iIndex, pControl);
}

int CContainerUI::GetCount() const
{
    return m_items.GetSize();
}

bool CContainerUI::Add(CControlUI* pControl)
{
    // Not the virtual AddAt: a derived container's Add and AddAt each add their own rules.
    return CContainerUI::AddAt(pControl, m_items.GetSize());
}

bool CContainerUI::AddAt(CControlUI* pControl, int iIndex)
{
    // Refused before anything is registered: a refused child must leave no trace, and a
    // child listed twice would be deleted twice.
    if (pControl == NULL || pControl == this) return false;
    if (iIndex < 0 || iIndex > m_items.GetSize() || HasChild(pControl)) return false;
    if (m_pManager != NULL) m_pManager->InitControls(pControl, this);
    if (IsVisible()) NeedLayout();
    // Always: a child moved here from a hidden container must not stay hidden.
    pControl->SetInternVisible(IsVisible());
    if (!m_items.InsertAt(iIndex, pControl)) return false;
    m_iFindHint = iIndex;
    if (m_childSet.GetSize() > 0) {
        m_childSet.Insert(pControl);
    } else if (m_items.GetSize() >= kChildSetMinimum) {
        for (int i = 0; i < m_items.GetSize(); i++) m_childSet.Insert(m_items[i]);
    }
    // A set that could not take every child is no answer for strangers.
    if (m_childSet.GetSize() > 0 && m_childSet.GetSize() != m_items.GetSize()) m_childSet.Clear();
    return true;
}

void CContainerUI::NeedLayout()
{
    // Asked once per layout: until the pending one has placed this container, its area is
    // already invalid and the manager already knows, and asking again costs a server round
    // trip per child added or removed.
    if (!IsUpdateNeeded()) NeedUpdate();
}

void CContainerUI::ChildLeaves(CControlUI* /*pControl*/) {}

void CContainerUI::ReleaseChild(CControlUI* pControl)
{
    ChildLeaves(pControl);
    ForgetRelativeBase(pControl);
    if (!m_bAutoDestroy) return;
    if (m_bDelayedDestroy && m_pManager != NULL)
        m_pManager->AddDelayedCleanup(pControl);
    else
        delete pControl;
}

void CContainerUI::ReleaseChildren(const CStdPtrArray& aGone)
{
    for (int i = 0; i < aGone.GetSize(); i++) ForgetRelativeBase(static_cast<CControlUI*>(aGone[i]));
    if (!m_bAutoDestroy) return;
    // Queued children run no code of the program until the cleanup message.
    CPaintManagerUI* pCleanup = m_bDelayedDestroy ? m_pManager : NULL;
    for (int i = 0; i < aGone.GetSize(); i++) {
        CControlUI* pControl = static_cast<CControlUI*>(aGone[i]);
        if (pCleanup != NULL)
            pCleanup->AddDelayedCleanup(pControl);
        else
            delete pControl;
    }
}

void CContainerUI::RemoveItemAt(int iIndex)
{
    CControlUI* pControl = static_cast<CControlUI*>(m_items[iIndex]);
    NeedLayout();
    // Unlinked first, so destroy handlers never see a dead child in the list.
    m_items.Remove(iIndex);
    m_childSet.Erase(pControl);
    m_iFindHint = iIndex;
    ReleaseChild(pControl);
}

bool CContainerUI::Remove(CControlUI* pControl)
{
    const int iIndex = GetItemIndex(pControl);
    if (iIndex < 0) return false;
    RemoveItemAt(iIndex);
    return true;
}

bool CContainerUI::RemoveAt(int iIndex)
{
    if (iIndex < 0 || iIndex >= m_items.GetSize()) return false;
    RemoveItemAt(iIndex);
    return true;
}

bool CContainerUI::RemoveRange(int iFirst, int nCount)
{
    const int nSize = m_items.GetSize();
    if (iFirst < 0 || nCount < 0 || iFirst > nSize - nCount) return false;
    if (nCount == 0) return true;
    NeedLayout();
    // Unlinked first, so destroy handlers never see a dead child in the list.
    CStdPtrArray gone(nCount);
    CStdPtrArray kept(nSize - nCount);
    for (int i = 0; i < nSize; i++) {
        if (i >= iFirst && i < iFirst + nCount)
            gone.Add(m_items[i]);
        else
            kept.Add(m_items[i]);
    }
    m_items = kept;
    for (int i = 0; i < nCount; i++) m_childSet.Erase(gone[i]);
    m_iFindHint = iFirst;
    ReleaseChildren(gone);
    return true;
}

void CContainerUI::RemoveAll()
{
    CStdPtrArray items(m_items);
    m_items.Empty();
    m_childSet.Clear();
    NeedUpdate();
    ReleaseChildren(items);
}

// ---- settings ----

RECT CContainerUI::GetInset() const
{
    return m_rcInset;
}

void CContainerUI::SetInset(RECT rcInset)
{
    m_rcInset = rcInset;
    NeedUpdate();
}

int CContainerUI::GetChildPadding() const
{
    return m_iChildPadding;
}

void CContainerUI::SetChildPadding(int iPadding)
{
    m_iChildPadding = iPadding;
    NeedUpdate();
}

bool CContainerUI::IsAutoDestroy() const
{
    return m_bAutoDestroy;
}

void CContainerUI::SetAutoDestroy(bool bAuto)
{
    m_bAutoDestroy = bAuto;
}

bool CContainerUI::IsDelayedDestroy() const
{
    return m_bDelayedDestroy;
}

void CContainerUI::SetDelayedDestroy(bool bDelayed)
{
    m_bDelayedDestroy = bDelayed;
}

bool CContainerUI::IsMouseChildEnabled() const
{
    return m_bMouseChildEnabled;
}

void CContainerUI::SetMouseChildEnabled(bool bEnable)
{
    m_bMouseChildEnabled = bEnable;
}

void CContainerUI::SetScrollStepSize(int nSize)
{
    if (nSize > 0) m_nScrollStepSize = nSize;
}

int CContainerUI::GetScrollStepSize() const
{
    return m_nScrollStepSize;
}

CScrollBarUI* CContainerUI::GetVerticalScrollBar() const
{
    return m_pVerticalScrollBar;
}

CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const
{
    return m_pHorizontalScrollBar;
}

// ---- propagation ----

void CContainerUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    // Children first, so they are initialised before the container itself.
    for (int i = 0; i < m_items.GetSize(); i++) static_cast<CControlUI*>(m_items[i])->SetManager(pManager, this, bInit);
    if (m_pVerticalScrollBar != NULL) m_pVerticalScrollBar->SetManager(pManager, this, bInit);
    if (m_pHorizontalScrollBar != NULL) m_pHorizontalScrollBar->SetManager(pManager, this, bInit);
    CControlUI::SetManager(pManager, pParent, bInit);
}

void CContainerUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible) return;
    // Hiding takes the focus from this container or a child, and a "killfocus" notifier may
    // close and delete the window, and this container with it.
    CControlLifeGuard guard(this);
    CControlUI::SetVisible(bVisible);
    for (int i = 0; guard.Alive() && i < m_items.GetSize(); i++)
        static_cast<CControlUI*>(m_items[i])->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool bVisible)
{
    CControlLifeGuard guard(this);
    CControlUI::SetInternVisible(bVisible);
    for (int i = 0; guard.Alive() && i < m_items.GetSize(); i++)
        static_cast<CControlUI*>(m_items[i])->SetInternVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool bEnable)
{
    if (m_bEnabled == bEnable) return;
    m_bEnabled = bEnable;
    // Deliberately overwrites each child's own flag: re-enabling a panel re-enables all.
    for (int i = 0; i < m_items.GetSize(); i++) static_cast<CControlUI*>(m_items[i])->SetEnabled(bEnable);
    Invalidate();
}

void CContainerUI::SetMouseEnabled(bool bEnable)
{
    if (m_pVerticalScrollBar != NULL) m_pVerticalScrollBar->SetMouseEnabled(bEnable);
    if (m_pHorizontalScrollBar != NULL) m_pHorizontalScrollBar->SetMouseEnabled(bEnable);
    CControlUI::SetMouseEnabled(bEnable);
}

// ---- scrolling ----

SIZE CContainerUI::GetScrollPos() const
{
    SIZE sz = { 0, 0 };
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible()) sz.cy = m_pVerticalScrollBar->GetScrollPos();
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible())
        sz.cx = m_pHorizontalScrollBar->GetScrollPos();
    return sz;
}

SIZE CContainerUI::GetScrollRange() const
{
    SIZE sz = { 0, 0 };
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible())
        sz.cy = m_pVerticalScrollBar->GetScrollRange();
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible())
        sz.cx = m_pHorizontalScrollBar->GetScrollRange();
    return sz;
}

void CContainerUI::SetScrollPos(SIZE szPos)
{
    int cx = 0;
    int cy = 0;
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible()) {
        const int iLast = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        cy = m_pVerticalScrollBar->GetScrollPos() - iLast;
    }
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible()) {
        const int iLast = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        cx = m_pHorizontalScrollBar->GetScrollPos() - iLast;
    }
    if (cx == 0 && cy == 0) return;

    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible() || pControl->IsFloat()) continue;
        RECT rc = pControl->GetPos();
        ::OffsetRect(&rc, -cx, -cy);
        pControl->SetPos(rc);
    }
    Invalidate();
}

int CContainerUI::LineStepY() const
{
    if (m_nScrollStepSize > 0) return m_nScrollStepSize;
    if (m_pManager != NULL) return m_pManager->GetDefaultFontInfo()->tm.tmHeight + 8;
    return 8;
}

int CContainerUI::LineStepX() const
{
    return m_nScrollStepSize > 0 ? m_nScrollStepSize : 8;
}

int CContainerUI::PageStepY() const
{
    int iPage = m_rcItem.bottom - m_rcItem.top - m_rcInset.top - m_rcInset.bottom;
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible())
        iPage -= m_pHorizontalScrollBar->GetFixedHeight();
    return iPage;
}

int CContainerUI::PageStepX() const
{
    int iPage = m_rcItem.right - m_rcItem.left - m_rcInset.left - m_rcInset.right;
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible())
        iPage -= m_pVerticalScrollBar->GetFixedWidth();
    return iPage;
}

void CContainerUI::ScrollBy(int cx, int cy)
{
    SIZE sz = GetScrollPos();
    sz.cx += cx;
    sz.cy += cy;
    SetScrollPos(sz);
}

void CContainerUI::LineUp()
{
    ScrollBy(0, -LineStepY());
}

void CContainerUI::LineDown()
{
    ScrollBy(0, LineStepY());
}

void CContainerUI::PageUp()
{
    ScrollBy(0, -PageStepY());
}

void CContainerUI::PageDown()
{
    ScrollBy(0, PageStepY());
}

void CContainerUI::HomeUp()
{
    SIZE sz = GetScrollPos();
    sz.cy = 0;
    SetScrollPos(sz);
}

void CContainerUI::EndDown()
{
    SIZE sz = GetScrollPos();
    sz.cy = GetScrollRange().cy;
    SetScrollPos(sz);
}

void CContainerUI::LineLeft()
{
    ScrollBy(-LineStepX(), 0);
}

void CContainerUI::LineRight()
{
    ScrollBy(LineStepX(), 0);
}

void CContainerUI::PageLeft()
{
    ScrollBy(-PageStepX(), 0);
}

void CContainerUI::PageRight()
{
    ScrollBy(PageStepX(), 0);
}

void CContainerUI::HomeLeft()
{
    SIZE sz = GetScrollPos();
    sz.cx = 0;
    SetScrollPos(sz);
}

void CContainerUI::EndRight()
{
    SIZE sz = GetScrollPos();
    sz.cx = GetScrollRange().cx;
    SetScrollPos(sz);
}

void CContainerUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal)
{
    if (!bEnableVertical && m_pVerticalScrollBar != NULL) {
        delete m_pVerticalScrollBar;
        m_pVerticalScrollBar = NULL;
    } else if (bEnableVertical && m_pVerticalScrollBar == NULL) {
        m_pVerticalScrollBar = new CScrollBarUI;
        m_pVerticalScrollBar->SetOwner(this);
        m_pVerticalScrollBar->SetManager(m_pManager, NULL, false);
        if (m_pManager != NULL) {
            LPCTSTR pDefault = m_pManager->GetDefaultAttributeList(L"VScrollBar");
            if (pDefault != NULL) m_pVerticalScrollBar->ApplyAttributeList(pDefault);
        }
    }

    if (!bEnableHorizontal && m_pHorizontalScrollBar != NULL) {
        delete m_pHorizontalScrollBar;
        m_pHorizontalScrollBar = NULL;
    } else if (bEnableHorizontal && m_pHorizontalScrollBar == NULL) {
        m_pHorizontalScrollBar = new CScrollBarUI;
        m_pHorizontalScrollBar->SetHorizontal(true);
        m_pHorizontalScrollBar->SetOwner(this);
        m_pHorizontalScrollBar->SetManager(m_pManager, NULL, false);
        if (m_pManager != NULL) {
            LPCTSTR pDefault = m_pManager->GetDefaultAttributeList(L"HScrollBar");
            if (pDefault != NULL) m_pHorizontalScrollBar->ApplyAttributeList(pDefault);
        }
    }
    NeedUpdate();
}

// ---- placement ----

RECT CContainerUI::GetInsetRect() const
{
    RECT rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    return rc;
}

RECT CContainerUI::GetInnerRect() const
{
    RECT rc = GetInsetRect();
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible())
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible())
        rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    return rc;
}

int CContainerUI::ClampToLimits(int iLength, int iMin, int iMax)
{
    if (iLength < iMin) iLength = iMin;
    if (iLength > iMax) iLength = iMax;
    return iLength;
}

void CContainerUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    if (m_items.IsEmpty()) return;
    // 1. The whole area inside the inset; the bars are not subtracted here.
    const RECT rcInner = GetInsetRect();
    // 2. Every visible child covers it, floating children keep their anchors.
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat())
            SetFloatPos(i);
        else
            pControl->SetPos(rcInner);
    }
}

int CContainerUI::PlaceLine(SIZE szAvailable, POINT ptStart, bool bVertical)
{
    // Sizes are read "along" the axis and "across" it; a horizontal line is the vertical
    // one with x and y exchanged.
    const int cxyAlong = bVertical ? szAvailable.cy : szAvailable.cx;
    const int cxyAcross = bVertical ? szAvailable.cx : szAvailable.cy;

    // 1. First pass: the fixed lengths and the number of children that share the rest.
    int nAdjustables = 0;
    int cxyFixed = 0;
    int nEstimateNum = 0;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible() || pControl->IsFloat()) continue;
        const SIZE sz = pControl->EstimateSize(szAvailable);
        int cxy = bVertical ? sz.cy : sz.cx;
        if (cxy == 0)
            nAdjustables++;
        else if (bVertical)
            cxy = ClampToLimits(cxy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        else
            cxy = ClampToLimits(cxy, pControl->GetMinWidth(), pControl->GetMaxWidth());
        const RECT rcPadding = pControl->GetPadding();
        cxyFixed += cxy + (bVertical ? rcPadding.top + rcPadding.bottom : rcPadding.left + rcPadding.right);
        nEstimateNum++;
    }

    // 2. The share of each automatic child; the remainder of the division stays empty.
    int cxyExpand = 0;
    if (nAdjustables > 0) {
        cxyExpand = (cxyAlong - cxyFixed - m_iChildPadding * (nEstimateNum - 1)) / nAdjustables;
        if (cxyExpand < 0) cxyExpand = 0;
    }

    // 3. Second pass: one child after the other; across the axis a child takes its fixed
    //    size or the whole room minus its padding.
    int iPos = bVertical ? ptStart.y : ptStart.x;
    const int iAcross = bVertical ? ptStart.x : ptStart.y;
    int cxyRemaining = cxyAlong;
    int cxyNeeded = 0;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const RECT rcPadding = pControl->GetPadding();
        const int iPadBefore = bVertical ? rcPadding.top : rcPadding.left;
        const int iPadAfter = bVertical ? rcPadding.bottom : rcPadding.right;
        const int iCrossBefore = bVertical ? rcPadding.left : rcPadding.top;
        const int iCrossAfter = bVertical ? rcPadding.right : rcPadding.bottom;

        cxyRemaining -= iPadBefore;
        SIZE szOffer;
        szOffer.cx = bVertical ? cxyAcross : cxyRemaining;
        szOffer.cy = bVertical ? cxyRemaining : cxyAcross;
        const SIZE sz = pControl->EstimateSize(szOffer);
        int cxy = bVertical ? sz.cy : sz.cx;
        if (cxy == 0) cxy = cxyExpand;
        int cxyCross = bVertical ? pControl->GetFixedWidth() : pControl->GetFixedHeight();
        if (cxyCross == 0) cxyCross = cxyAcross - iCrossBefore - iCrossAfter;
        if (cxyCross < 0) cxyCross = 0;
        if (bVertical) {
            cxy = ClampToLimits(cxy, pControl->GetMinHeight(), pControl->GetMaxHeight());
            cxyCross = ClampToLimits(cxyCross, pControl->GetMinWidth(), pControl->GetMaxWidth());
        } else {
            cxy = ClampToLimits(cxy, pControl->GetMinWidth(), pControl->GetMaxWidth());
            cxyCross = ClampToLimits(cxyCross, pControl->GetMinHeight(), pControl->GetMaxHeight());
        }

        const int iStart = iPos + iPadBefore;
        const int iCrossStart = iAcross + iCrossBefore;
        RECT rcCtrl;
        if (bVertical)
            ::SetRect(&rcCtrl, iCrossStart, iStart, iCrossStart + cxyCross, iStart + cxy);
        else
            ::SetRect(&rcCtrl, iStart, iCrossStart, iStart + cxy, iCrossStart + cxyCross);
        pControl->SetPos(rcCtrl);

        iPos += iPadBefore + cxy + iPadAfter + m_iChildPadding;
        cxyNeeded += iPadBefore + cxy + iPadAfter;
        cxyRemaining -= cxy + iPadAfter + m_iChildPadding;
    }
    return cxyNeeded + m_iChildPadding * (nEstimateNum - 1);
}

CContainerUI::RelativeBase* CContainerUI::FindRelativeBase(CControlUI* pControl)
{
    for (int i = 0; i < m_aRelativeBases.GetSize(); i++) {
        RelativeBase* pBase = static_cast<RelativeBase*>(m_aRelativeBases[i]);
        if (pBase->pControl == pControl) return pBase;
    }
    return NULL;
}

void CContainerUI::ForgetRelativeBase(CControlUI* pControl)
{
    for (int i = 0; i < m_aRelativeBases.GetSize(); i++) {
        RelativeBase* pBase = static_cast<RelativeBase*>(m_aRelativeBases[i]);
        if (pBase->pControl == pControl) {
            m_aRelativeBases.Remove(i);
            delete pBase;
            return;
        }
    }
}

void CContainerUI::SetFloatPos(int iIndex)
{
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == NULL || !pControl->IsVisible() || !pControl->IsFloat()) return;

    SIZE szXY = pControl->GetFixedXY();
    SIZE szFixed = { pControl->GetFixedWidth(), pControl->GetFixedHeight() };
    const TRelativePosUI rel = pControl->GetRelativePos();
    RelativeBase* pBase = NULL;
    SIZE szGrowth = { 0, 0 };

    // 1. Relative placement works from the geometry of the first recording; it is taken
    //    again when code changed the child's geometry or shares since the last placement.
    if (rel.relative) {
        const SIZE szParent = { m_rcItem.right - m_rcItem.left, m_rcItem.bottom - m_rcItem.top };
        const int percents[4] = { rel.moveXPercent, rel.moveYPercent, rel.zoomXPercent, rel.zoomYPercent };
        pBase = FindRelativeBase(pControl);
        const bool bCurrent = pBase != NULL && rel.parentSize.cx != 0 && SameSize(pBase->szLastXY, szXY) &&
                              SameSize(pBase->szLastFixed, szFixed) &&
                              memcmp(pBase->percents, percents, sizeof(percents)) == 0;
        if (!bCurrent) {
            if (pBase == NULL) {
                pBase = new RelativeBase;
                pBase->pControl = pControl;
                if (!m_aRelativeBases.Add(pBase)) {
                    delete pBase;
                    return;
                }
            }
            pBase->szParent = rel.parentSize.cx != 0 ? rel.parentSize : szParent;
            pBase->szXY = szXY;
            pBase->szFixed = szFixed;
            memcpy(pBase->percents, percents, sizeof(percents));
        }
        szGrowth.cx = szParent.cx - pBase->szParent.cx;
        szGrowth.cy = szParent.cy - pBase->szParent.cy;
        szXY = pBase->szXY;
        szFixed = pBase->szFixed;
    }

    // 2. Anchor by the sign of the fixed offsets: negative ones count from the far edges.
    RECT rcCtrl;
    if (szXY.cx >= 0) {
        rcCtrl.left = m_rcItem.left + szXY.cx;
        rcCtrl.right = rcCtrl.left + szFixed.cx;
    } else {
        rcCtrl.right = m_rcItem.right + szXY.cx;
        rcCtrl.left = rcCtrl.right - szFixed.cx;
    }
    if (szXY.cy >= 0) {
        rcCtrl.top = m_rcItem.top + szXY.cy;
        rcCtrl.bottom = rcCtrl.top + szFixed.cy;
    } else {
        rcCtrl.bottom = m_rcItem.bottom + szXY.cy;
        rcCtrl.top = rcCtrl.bottom - szFixed.cy;
    }

    // 3. Move and stretch by the shares of the parent's growth.
    if (pBase != NULL) {
        rcCtrl.left += szGrowth.cx * rel.moveXPercent / 100;
        rcCtrl.top += szGrowth.cy * rel.moveYPercent / 100;
        rcCtrl.right = rcCtrl.left + szGrowth.cx * rel.zoomXPercent / 100 + szFixed.cx;
        rcCtrl.bottom = rcCtrl.top + szGrowth.cy * rel.zoomYPercent / 100 + szFixed.cy;
        const SIZE szParent = { m_rcItem.right - m_rcItem.left, m_rcItem.bottom - m_rcItem.top };
        pControl->SetRelativeParentSize(szParent);
    }

    // 4. The child writes its anchored geometry back; remember it to notice later changes.
    pControl->SetPos(rcCtrl);
    if (pBase != NULL) {
        pBase->szLastXY = pControl->GetFixedXY();
        pBase->szLastFixed.cx = pControl->GetFixedWidth();
        pBase->szLastFixed.cy = pControl->GetFixedHeight();
    }
}

void CContainerUI::ProcessScrollBar(RECT rc, int cxRequired, int cyRequired)
{
    (void)cxRequired; // the horizontal range belongs to the horizontal layout
    // 1. The horizontal bar sits under the children's rectangle.
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible()) {
        RECT rcBar = { rc.left, rc.bottom, rc.right, rc.bottom + m_pHorizontalScrollBar->GetFixedHeight() };
        m_pHorizontalScrollBar->SetPos(rcBar);
    }
    if (m_pVerticalScrollBar == NULL) return;

    const int cyAvailable = rc.bottom - rc.top;
    // 2. Content taller than the room shows the bar, and the layout runs again without
    //    the bar's width.
    if (cyRequired > cyAvailable && !m_pVerticalScrollBar->IsVisible()) {
        m_pVerticalScrollBar->SetVisible(true);
        m_pVerticalScrollBar->SetScrollRange(cyRequired - cyAvailable);
        m_pVerticalScrollBar->SetScrollPos(0);
        m_bScrollProcess = true;
        SetPos(m_rcItem);
        m_bScrollProcess = false;
        return;
    }
    if (!m_pVerticalScrollBar->IsVisible()) return;

    // 3. Content that fits hides it again (not while the pass that showed it runs).
    const int iRange = cyRequired - cyAvailable;
    if (iRange <= 0 && !m_bScrollProcess) {
        m_pVerticalScrollBar->SetVisible(false);
        m_pVerticalScrollBar->SetScrollPos(0);
        m_pVerticalScrollBar->SetScrollRange(0);
        SetPos(m_rcItem);
        return;
    }

    // 4. Place and range it; a clamped position needs the children moved once more.
    RECT rcBar = { rc.right, rc.top, rc.right + m_pVerticalScrollBar->GetFixedWidth(), rc.bottom };
    m_pVerticalScrollBar->SetPos(rcBar);
    if (m_pVerticalScrollBar->GetScrollRange() == iRange) return;
    const int iLastPos = m_pVerticalScrollBar->GetScrollPos();
    m_pVerticalScrollBar->SetScrollRange(abs(iRange));
    if (m_pVerticalScrollBar->GetScrollRange() == 0) {
        m_pVerticalScrollBar->SetVisible(false);
        m_pVerticalScrollBar->SetScrollPos(0);
    }
    if (m_pVerticalScrollBar->GetScrollPos() < iLastPos) SetPos(m_rcItem);
}

// ---- input ----

void CContainerUI::DoEvent(TEventUI& event)
{
    // 1. Without the mouse, mouse events belong to the parent.
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_pParent != NULL)
            m_pParent->DoEvent(event);
        else
            CControlUI::DoEvent(event);
        return;
    }
    // 2. Focus changes only mark the container.
    if (event.type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        return;
    }
    if (event.type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        return;
    }
    // 3. Keys and the wheel scroll the vertical bar, else the horizontal one.
    const bool bVertical =
        m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible() && m_pVerticalScrollBar->IsEnabled();
    const bool bHorizontal = !bVertical && m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible() &&
                             m_pHorizontalScrollBar->IsEnabled();
    if (bVertical || bHorizontal) {
        if (event.type == UIEVENT_KEYDOWN) {
            switch (event.key) {
            case VK_PRIOR:
                bVertical ? PageUp() : PageLeft();
                return;
            case VK_NEXT:
                bVertical ? PageDown() : PageRight();
                return;
            case VK_END:
                bVertical ? EndDown() : EndRight();
                return;
            case VK_HOME:
                bVertical ? HomeUp() : HomeLeft();
                return;
            case VK_UP:
                bVertical ? LineUp() : LineLeft();
                return;
            case VK_DOWN:
                bVertical ? LineDown() : LineRight();
                return;
            default:
                break;
            }
        } else if (event.type == UIEVENT_MOUSEWHEEL) {
            switch (LOWORD(event.wParam)) {
            case 0:
                bVertical ? LineUp() : LineLeft();
                return;
            case 1:
                bVertical ? LineDown() : LineRight();
                return;
            default:
                break;
            }
        }
    }
    CControlUI::DoEvent(event);
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags)
{
    if ((uFlags & UIFIND_VISIBLE) != 0 && !IsVisible()) return NULL;
    if ((uFlags & UIFIND_ENABLED) != 0 && !IsEnabled()) return NULL;
    const bool bHitTest = (uFlags & UIFIND_HITTEST) != 0;
    if (bHitTest) {
        const POINT pt = *static_cast<const POINT*>(pData);
        if (!::PtInRect(&m_rcItem, pt)) return NULL;
        // A container that keeps the mouse from its children is found itself, bars aside.
        if (!m_bMouseChildEnabled) {
            CControlUI* pResult = NULL;
            if (m_pVerticalScrollBar != NULL) pResult = m_pVerticalScrollBar->FindControl(Proc, pData, uFlags);
            if (pResult == NULL && m_pHorizontalScrollBar != NULL)
                pResult = m_pHorizontalScrollBar->FindControl(Proc, pData, uFlags);
            if (pResult == NULL) pResult = CControlUI::FindControl(Proc, pData, uFlags);
            return pResult;
        }
    }

    CControlUI* pResult = NULL;
    if (m_pVerticalScrollBar != NULL) pResult = m_pVerticalScrollBar->FindControl(Proc, pData, uFlags);
    if (pResult == NULL && m_pHorizontalScrollBar != NULL)
        pResult = m_pHorizontalScrollBar->FindControl(Proc, pData, uFlags);
    if (pResult != NULL) return pResult;

    if ((uFlags & UIFIND_SELF_FIRST) != 0) {
        pResult = CControlUI::FindControl(Proc, pData, uFlags);
        if (pResult != NULL) return pResult;
    }

    const RECT rcInner = GetInnerRect();
    const int iCount = m_items.GetSize();
    const bool bReverse = (uFlags & UIFIND_REVERSE) != 0;
    for (int n = 0; n < iCount; n++) {
        // The callback may take children out of the list: indexes past the new end are skipped.
        const int i = bReverse ? iCount - 1 - n : n;
        if (i >= m_items.GetSize()) continue;
        CControlUI* pChild = static_cast<CControlUI*>(m_items[i]);
        pResult = pChild->FindControl(Proc, pData, uFlags);
        if (pResult == NULL) continue;
        if (!bHitTest) return pResult;
        // Children scrolled out of the inner area are not hit; floating ones may lie
        // over the insets and bars.
        if (pChild->IsFloat() || pResult->IsFloat() || ::PtInRect(&rcInner, *static_cast<const POINT*>(pData)))
            return pResult;
    }

    if ((uFlags & UIFIND_SELF_FIRST) != 0) return NULL;
    return CControlUI::FindControl(Proc, pData, uFlags);
}

int CContainerUI::FindSelectable(int iIndex, bool bForward) const
{
    const int iCount = m_items.GetSize();
    if (iCount == 0) return -1;
    if (iIndex < 0) iIndex = 0;
    if (iIndex > iCount - 1) iIndex = iCount - 1;
    if (bForward) {
        for (int i = iIndex; i < iCount; i++) {
            CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
            if (pControl->GetInterface(L"ListItem") != NULL && pControl->IsVisible() && pControl->IsEnabled()) return i;
        }
        return -1;
    }
    for (int i = iIndex; i >= 0; i--) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (pControl->GetInterface(L"ListItem") != NULL && pControl->IsVisible() && pControl->IsEnabled()) return i;
    }
    return FindSelectable(0, true);
}

// ---- attributes ----

void CContainerUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"inset") == 0) {
        SetInset(ParseAttributeRect(pstrValue));
    } else if (wcscmp(pstrName, L"mousechild") == 0) {
        SetMouseChildEnabled(wcscmp(pstrValue, L"true") == 0);
    } else if (wcscmp(pstrName, L"vscrollbar") == 0) {
        EnableScrollBar(wcscmp(pstrValue, L"true") == 0, m_pHorizontalScrollBar != NULL);
    } else if (wcscmp(pstrName, L"vscrollbarstyle") == 0) {
        EnableScrollBar(true, m_pHorizontalScrollBar != NULL);
        if (m_pVerticalScrollBar != NULL) m_pVerticalScrollBar->ApplyAttributeList(pstrValue);
    } else if (wcscmp(pstrName, L"hscrollbar") == 0) {
        EnableScrollBar(m_pVerticalScrollBar != NULL, wcscmp(pstrValue, L"true") == 0);
    } else if (wcscmp(pstrName, L"hscrollbarstyle") == 0) {
        EnableScrollBar(m_pVerticalScrollBar != NULL, true);
        if (m_pHorizontalScrollBar != NULL) m_pHorizontalScrollBar->ApplyAttributeList(pstrValue);
    } else if (wcscmp(pstrName, L"childpadding") == 0) {
        SetChildPadding(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, L"scrollstepsize") == 0) {
        SetScrollStepSize(_wtoi(pstrValue));
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

// ---- painting ----

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    // 1. The container's own part of the paint rectangle, kept clipped throughout.
    RECT rcTemp = { 0, 0, 0, 0 };
    if (!::IntersectRect(&rcTemp, &rcPaint, &m_rcItem)) return;
    CRenderClip clip;
    CRenderClip::GenerateClip(hDC, rcTemp, clip);

    // 2. The container itself.
    CControlUI::DoPaint(hDC, rcPaint);

    // 3. The children: floating ones under the outer clip, the rest inside the inner one.
    if (!m_items.IsEmpty()) {
        const RECT rcInner = GetInnerRect();
        RECT rcInnerPaint = { 0, 0, 0, 0 };
        if (!::IntersectRect(&rcInnerPaint, &rcPaint, &rcInner)) {
            for (int i = 0; i < m_items.GetSize(); i++) {
                CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
                if (!pControl->IsVisible() || !pControl->IsFloat()) continue;
                if (!::IntersectRect(&rcTemp, &rcPaint, &pControl->GetPos())) continue;
                if (!::IntersectRect(&rcTemp, &m_rcItem, &pControl->GetPos())) continue;
                pControl->DoPaint(hDC, rcPaint);
            }
        } else {
            CRenderClip childClip;
            CRenderClip::GenerateClip(hDC, rcInnerPaint, childClip);
            for (int i = 0; i < m_items.GetSize(); i++) {
                CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
                if (!pControl->IsVisible()) continue;
                if (!::IntersectRect(&rcTemp, &rcPaint, &pControl->GetPos())) continue;
                if (pControl->IsFloat()) {
                    if (!::IntersectRect(&rcTemp, &m_rcItem, &pControl->GetPos())) continue;
                    CRenderClip::UseOldClipBegin(hDC, childClip);
                    pControl->DoPaint(hDC, rcPaint);
                    CRenderClip::UseOldClipEnd(hDC, childClip);
                } else {
                    if (!::IntersectRect(&rcTemp, &rcInner, &pControl->GetPos())) continue;
                    pControl->DoPaint(hDC, rcPaint);
                }
            }
        }
    }

    // 4. The bars last, over everything.
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible() &&
        ::IntersectRect(&rcTemp, &rcPaint, &m_pVerticalScrollBar->GetPos()))
        m_pVerticalScrollBar->DoPaint(hDC, rcPaint);
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible() &&
        ::IntersectRect(&rcTemp, &rcPaint, &m_pHorizontalScrollBar->GetPos()))
        m_pHorizontalScrollBar->DoPaint(hDC, rcPaint);
}

// ---- sub-controls by name ----

CControlUI* CContainerUI::FindSubControl(LPCTSTR pstrSubControlName)
{
    if (m_pManager == NULL) return NULL;
    return m_pManager->FindSubControlByName(this, pstrSubControlName);
}

CSkinString CContainerUI::GetSubControlText(LPCTSTR pstrSubControlName)
{
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    return pControl != NULL ? pControl->GetText() : CSkinString(L"");
}

CSkinString CContainerUI::GetSubControlUserData(LPCTSTR pstrSubControlName)
{
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    return pControl != NULL ? pControl->GetUserData() : CSkinString(L"");
}

int CContainerUI::GetSubControlFixedHeight(LPCTSTR pstrSubControlName)
{
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    return pControl != NULL ? pControl->GetFixedHeight() : -1;
}

int CContainerUI::GetSubControlFixedWdith(LPCTSTR pstrSubControlName)
{
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    return pControl != NULL ? pControl->GetFixedWidth() : -1;
}

bool CContainerUI::SetSubControlText(LPCTSTR pstrSubControlName, LPCTSTR pstrText)
{
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    if (pControl == NULL) return false;
    pControl->SetText(pstrText);
    return true;
}

bool CContainerUI::SetSubControlUserData(LPCTSTR pstrSubControlName, LPCTSTR pstrText)
{
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    if (pControl == NULL) return false;
    pControl->SetUserData(pstrText);
    return true;
}

bool CContainerUI::SetSubControlFixedHeight(LPCTSTR pstrSubControlName, int cy)
{
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    if (pControl == NULL) return false;
    pControl->SetFixedHeight(cy);
    return true;
}

bool CContainerUI::SetSubControlFixedWdith(LPCTSTR pstrSubControlName, int cx)
{
    CControlUI* pControl = FindSubControl(pstrSubControlName);
    if (pControl == NULL) return false;
    pControl->SetFixedWidth(cx);
    return true;
}

} // namespace SkinUI
