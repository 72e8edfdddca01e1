#include <windows.h>
#include <wchar.h>
#include <stdlib.h>
#include "core/TabLayoutUI.h"

namespace SkinUI {

CTabLayoutUI::CTabLayoutUI() : m_iCurSel(-1) {}

LPCTSTR CTabLayoutUI::GetClass() const
{
    return L"TabLayoutUI";
}

LPVOID CTabLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"TabLayout") == 0) return static_cast<CTabLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

bool CTabLayoutUI::Add(CControlUI* pControl)
{
    // The page's own visibility is read before it joins: inside a hidden tab layout every
    // page looks hidden, and none would be selected for the layout's next showing.
    const bool bPageVisible = pControl != NULL && pControl->IsVisible();
    if (!CContainerUI::Add(pControl)) return false;
    // The first visible page becomes the selection; every later one starts hidden.
    if (m_iCurSel == -1 && bPageVisible)
        m_iCurSel = GetItemIndex(pControl);
    else
        pControl->SetVisible(false);
    return true;
}

bool CTabLayoutUI::AddAt(CControlUI* pControl, int iIndex)
{
    const bool bPageVisible = pControl != NULL && pControl->IsVisible();
    if (!CContainerUI::AddAt(pControl, iIndex)) return false;
    if (m_iCurSel == -1 && bPageVisible) {
        m_iCurSel = GetItemIndex(pControl);
        return true;
    }
    // A page inserted at or before the selection shifts it; like any page that is not
    // the selection it is hidden, so two pages never show at once.
    if (m_iCurSel != -1 && iIndex <= m_iCurSel) m_iCurSel += 1;
    pControl->SetVisible(false);
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* pControl)
{
    // The index is taken first: the container's Remove may delete the page at once.
    const int iIndex = GetItemIndex(pControl);
    if (iIndex < 0 || !CContainerUI::Remove(pControl)) return false;
    if (iIndex == m_iCurSel) {
        if (GetCount() > 0) {
            m_iCurSel = 0;
            GetItemAt(0)->SetVisible(true);
        } else {
            m_iCurSel = -1;
        }
        NeedParentUpdate();
    } else if (iIndex < m_iCurSel) {
        m_iCurSel -= 1;
    }
    return true;
}

void CTabLayoutUI::RemoveAll()
{
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    NeedParentUpdate();
}

int CTabLayoutUI::GetCurSel() const
{
    return m_iCurSel;
}

bool CTabLayoutUI::SelectItem(CControlUI* pControl)
{
    const int iIndex = GetItemIndex(pControl);
    if (iIndex < 0) return false;
    return SelectItem(iIndex);
}

bool CTabLayoutUI::SelectItem(int iIndex)
{
    if (iIndex < 0 || iIndex >= m_items.GetSize()) return false;
    if (iIndex == m_iCurSel) return true;

    const int iOldSel = m_iCurSel;
    m_iCurSel = iIndex;
    // The focus notifiers and "tabselect" may close and delete the window, and this layout
    // with it: the switch then ends where it is.
    CControlLifeGuard guard(this);
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* pPage = static_cast<CControlUI*>(m_items[i]);
        if (i != iIndex) {
            pPage->SetVisible(false);
            if (!guard.Alive()) return true;
            continue;
        }
        pPage->SetVisible(true);
        pPage->SetFocus();
        if (!guard.Alive()) return true;
        SetPos(m_rcItem);
    }
    NeedParentUpdate();

    if (m_pManager != NULL) {
        m_pManager->SetNextTabControl();
        if (!guard.Alive()) return true;
        m_pManager->SendNotify(this, L"tabselect", static_cast<WPARAM>(m_iCurSel), static_cast<LPARAM>(iOldSel));
    }
    return true;
}

void CTabLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    rc = GetInsetRect();

    // Only the selected page is placed (over the inner area); floating children keep
    // their anchors and the hidden pages stay where they were.
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        if (i != m_iCurSel) continue;

        const RECT rcPadding = pControl->GetPadding();
        RECT rcPage = rc;
        rcPage.left += rcPadding.left;
        rcPage.top += rcPadding.top;
        rcPage.right -= rcPadding.right;
        rcPage.bottom -= rcPadding.bottom;
        const SIZE szAvailable = { rcPage.right - rcPage.left, rcPage.bottom - rcPage.top };
        SIZE sz = pControl->EstimateSize(szAvailable);
        if (sz.cx == 0) sz.cx = szAvailable.cx > 0 ? szAvailable.cx : 0;
        if (sz.cy == 0) sz.cy = szAvailable.cy > 0 ? szAvailable.cy : 0;
        sz.cx = ClampToLimits(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        sz.cy = ClampToLimits(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        RECT rcCtrl = { rcPage.left, rcPage.top, rcPage.left + sz.cx, rcPage.top + sz.cy };
        pControl->SetPos(rcCtrl);
    }
}

void CTabLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"selectedid") == 0) {
        CControlLifeGuard guard(this);
        SelectItem(_wtoi(pstrValue));
        if (!guard.Alive()) return;
    }
    // Every pair also reaches the container ("selectedid" has no further effect there).
    CContainerUI::SetAttribute(pstrName, pstrValue);
}

} // namespace SkinUI
