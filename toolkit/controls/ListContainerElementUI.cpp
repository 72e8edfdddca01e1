#include <windows.h>
#include <wchar.h>
#include "controls/ListContainerElementUI.h"
#include "controls/ListUI.h"
#include "controls/ListElementUI.h"
#include "controls/ListHeaderUI.h"
#include "core/RenderEngine.h"

namespace SkinUI {

CListContainerElementUI::CListContainerElementUI()
    : m_iIndex(-1), m_bSelected(false), m_uButtonState(0), m_pOwner(NULL), m_pOwnerControl(NULL)
{
}

LPCTSTR CListContainerElementUI::GetClass() const
{
    return L"ListContainerElementUI";
}

LPVOID CListContainerElementUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"ListItem") == 0) return static_cast<IListItemUI*>(this);
    if (wcscmp(pstrName, L"ListContainerElement") == 0) return static_cast<CListContainerElementUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CListContainerElementUI::GetControlFlags() const
{
    // A row is reached through its owner's keys, never by tabbing.
    return 4;
}

bool CListContainerElementUI::Activate()
{
    if (!CContainerUI::Activate()) return false;
    CListRowInput::NotifyActivate(this);
    return true;
}

void CListContainerElementUI::SetPos(RECT rc)
{
    CHorizontalLayoutUI::SetPos(rc);
    FollowHeaderColumns();
}

void CListContainerElementUI::FollowHeaderColumns()
{
    // Only a plain list qualifies: trees and menus keep the layout's own positions.
    if (m_pOwnerControl == NULL || wcscmp(m_pOwnerControl->GetClass(), L"ListUI") != 0) return;
    IListUI* pList = static_cast<IListUI*>(m_pOwnerControl->GetInterface(L"IList"));
    CListHeaderUI* pHeader = pList != NULL ? pList->GetHeader() : NULL;
    if (pHeader == NULL || !pHeader->IsVisible()) return;
    // Children beyond the header's items keep the layout's positions.
    const int nCount = m_items.GetSize();
    for (int i = 0; i < nCount && i < pHeader->GetCount(); i++) {
        const RECT rcHeaderItem = pHeader->GetItemAt(i)->GetPos();
        if (rcHeaderItem.left == 0 && rcHeaderItem.right == 0) continue;
        CControlUI* pChild = static_cast<CControlUI*>(m_items[i]);
        RECT rcChild = pChild->GetPos();
        rcChild.left = rcHeaderItem.left;
        rcChild.right = rcHeaderItem.right;
        pChild->SetPos(rcChild);
    }
}

void CListContainerElementUI::SetVisible(bool bVisible)
{
    CContainerUI::SetVisible(bVisible);
    CListRowInput::AfterSetVisible(this, m_bSelected, m_pOwner);
}

void CListContainerElementUI::SetEnabled(bool bEnable)
{
    CContainerUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CListContainerElementUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && CListRowInput::IsMouseEvent(event)) {
        PassToOwner(event, true);
        return;
    }
    if (CListRowInput::ActivationEvent(this, event)) return;
    if (CListRowInput::PointerEvent(this, this, m_uButtonState, event)) return;
    // The control base reports timers and, when the row wants it, the context menu.
    if (event.type == UIEVENT_TIMER || (event.type == UIEVENT_CONTEXTMENU && IsContextMenuUsed())) {
        CControlUI::DoEvent(event);
        return;
    }
    PassToOwner(event, false);
}

void CListContainerElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    // Any value selects: skins written as selected="false" rely on it.
    if (wcscmp(pstrName, L"selected") == 0)
        Select();
    else
        CHorizontalLayoutUI::SetAttribute(pstrName, pstrValue);
}

void CListContainerElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;
    DrawItemBk(hDC, m_rcItem);
    CHorizontalLayoutUI::DoPaint(hDC, rcPaint);
}

int CListContainerElementUI::GetIndex() const
{
    // A list numbers its rows lazily; the row's read settles it when needed.
    CListUI::SettleRowIndex(this, m_pOwner, m_iIndex);
    return m_iIndex;
}

void CListContainerElementUI::SetIndex(int iIndex)
{
    m_iIndex = iIndex;
}

IListOwnerUI* CListContainerElementUI::GetOwner()
{
    return m_pOwner;
}

void CListContainerElementUI::SetOwner(CControlUI* pOwner)
{
    m_pOwner = pOwner != NULL ? static_cast<IListOwnerUI*>(pOwner->GetInterface(L"IListOwner")) : NULL;
    m_pOwnerControl = m_pOwner != NULL ? pOwner : NULL;
}

bool CListContainerElementUI::IsSelected() const
{
    return m_bSelected;
}

bool CListContainerElementUI::Select(bool bSelect)
{
    return CListRowInput::Select(this, m_bSelected, m_pOwner, GetIndex(), bSelect);
}

bool CListContainerElementUI::IsExpanded() const
{
    return false;
}

bool CListContainerElementUI::Expand(bool)
{
    return false;
}

void CListContainerElementUI::DrawItemText(HDC, const RECT&) {}

void CListContainerElementUI::DrawItemBk(HDC hDC, const RECT& rcItem)
{
    if (m_pOwner == NULL) return;
    TListInfoUI* pInfo = m_pOwner->GetListInfo();
    if (pInfo == NULL) return;
    // 1. The state colour over the row.
    const DWORD dwColor = CListRowPaint::BkColor(*pInfo, GetIndex(), m_uButtonState, IsSelected(), IsEnabled());
    if (dwColor != 0) CRenderEngine::DrawColor(hDC, rcItem, GetAdjustColor(dwColor));
    // 2. A state image ends the background.
    if (CListRowPaint::DrawStateImage(this, hDC, *pInfo, m_uButtonState, IsSelected(), IsEnabled())) return;
    // 3. The row's own image (on even rows only with the alternate background) lets the line
    //    follow; without one the list's row image ends the background.
    if (m_diBk.LoadImageW(m_pManager)) {
        if (!pInfo->bAlternateBk || GetIndex() % 2 == 0) DrawImage(hDC, m_diBk);
    } else if (DrawImage(hDC, pInfo->diBk)) {
        return;
    }
    // 4. The line under the row.
    CListRowPaint::DrawLine(this, hDC, *pInfo, rcItem);
}

void CListContainerElementUI::Invalidate()
{
    CListRowPaint::InvalidateRow(this);
}

UINT CListContainerElementUI::GetButtonState() const
{
    return m_uButtonState;
}

void CListContainerElementUI::PassToOwner(TEventUI& event, bool bToContainer)
{
    if (m_pOwner != NULL)
        m_pOwner->DoEvent(event);
    else if (bToContainer)
        CContainerUI::DoEvent(event);
    else
        CControlUI::DoEvent(event);
}

} // namespace SkinUI
