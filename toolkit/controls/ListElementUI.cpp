#include <windows.h>
#include <wchar.h>
#include "controls/ListElementUI.h"
#include "controls/ListUI.h"
#include "core/ContainerUI.h"
#include "core/RenderEngine.h"
#include "core/ScrollBarUI.h"

namespace SkinUI {

// ---- helpers shared by all rows ----

void CListRowPaint::InvalidateRow(CControlUI* pRow)
{
    if (!pRow->IsVisible()) return;
    CControlUI* pParent = pRow->GetParent();
    CContainerUI* pContainer = pParent != NULL ? static_cast<CContainerUI*>(pParent->GetInterface(L"Container")) : NULL;
    if (pContainer == NULL) {
        pRow->Invalidate();
        return;
    }
    CPaintManagerUI* pManager = pRow->GetManager();
    if (pManager == NULL) return;
    // 1. The container's inner area: its rectangle less the inset and the visible bars.
    RECT rcParent = pContainer->GetPos();
    const RECT rcInset = pContainer->GetInset();
    rcParent.left += rcInset.left;
    rcParent.top += rcInset.top;
    rcParent.right -= rcInset.right;
    rcParent.bottom -= rcInset.bottom;
    CScrollBarUI* pVertical = pContainer->GetVerticalScrollBar();
    if (pVertical != NULL && pVertical->IsVisible()) rcParent.right -= pVertical->GetFixedWidth();
    CScrollBarUI* pHorizontal = pContainer->GetHorizontalScrollBar();
    if (pHorizontal != NULL && pHorizontal->IsVisible()) rcParent.bottom -= pHorizontal->GetFixedHeight();
    // 2. The row clipped to it and then to every further ancestor; nothing shown, nothing to paint.
    RECT rcInvalidate;
    const RECT rcRow = pRow->GetPos();
    if (!::IntersectRect(&rcInvalidate, &rcRow, &rcParent)) return;
    for (CControlUI* pAncestor = pContainer->GetParent(); pAncestor != NULL; pAncestor = pAncestor->GetParent()) {
        RECT rcTemp = rcInvalidate;
        const RECT& rcAncestor = pAncestor->GetPos();
        if (!::IntersectRect(&rcInvalidate, &rcTemp, &rcAncestor)) return;
    }
    pManager->Invalidate(rcInvalidate);
}

DWORD CListRowPaint::BkColor(const TListInfoUI& info, int iIndex, UINT uButtonState, bool bSelected, bool bEnabled)
{
    DWORD dwColor = info.dwBkColor;
    if (info.bAlternateBk && iIndex % 2 != 0) dwColor = 0;
    if ((uButtonState & UISTATE_HOT) != 0) dwColor = info.dwHotBkColor;
    if (bSelected) dwColor = info.dwSelectedBkColor;
    if (!bEnabled) dwColor = info.dwDisabledBkColor;
    return dwColor;
}

DWORD CListRowPaint::TextColor(const TListInfoUI& info, UINT uButtonState, bool bSelected, bool bEnabled)
{
    DWORD dwColor = info.dwTextColor;
    if ((uButtonState & UISTATE_HOT) != 0) dwColor = info.dwHotTextColor;
    if (bSelected) dwColor = info.dwSelectedTextColor;
    if (!bEnabled) dwColor = info.dwDisabledTextColor;
    return dwColor;
}

void CListRowPaint::DrawRowText(CControlUI* pRow, HDC hDC, const TListInfoUI& info, const RECT& rcItem,
                                UINT uButtonState, bool bSelected)
{
    CPaintManagerUI* pManager = pRow->GetManager();
    const CSkinString sText = pRow->GetText();
    if (sText.IsEmpty() || pManager == NULL) return;
    const DWORD dwColor = TextColor(info, uButtonState, bSelected, pRow->IsEnabled());
    RECT rcText = rcItem;
    rcText.left += info.rcTextPadding.left;
    rcText.right -= info.rcTextPadding.right;
    rcText.top += info.rcTextPadding.top;
    rcText.bottom -= info.rcTextPadding.bottom;
    const UINT uStyle = info.uTextStyle | DT_SINGLELINE;
    if (info.bShowHtml) {
        int nLinks = 0;
        CRenderEngine::DrawHtmlText(hDC, pManager, rcText, sText, dwColor, NULL, NULL, nLinks, uStyle);
    } else {
        CRenderEngine::DrawText(hDC, pManager, rcText, sText, dwColor, info.nFont, uStyle);
    }
}

bool CListRowPaint::DrawStateImage(CControlUI* pRow, HDC hDC, TListInfoUI& info, UINT uButtonState, bool bSelected,
                                   bool bEnabled)
{
    if (!bEnabled && pRow->DrawImage(hDC, info.diDisabled)) return true;
    if (bSelected && pRow->DrawImage(hDC, info.diSelected)) return true;
    if ((uButtonState & UISTATE_HOT) != 0 && pRow->DrawImage(hDC, info.diHot)) return true;
    return false;
}

void CListRowPaint::DrawLine(CControlUI* pRow, HDC hDC, const TListInfoUI& info, const RECT& rcItem)
{
    if (info.dwLineColor == 0) return;
    RECT rcLine = { rcItem.left, rcItem.bottom - 1, rcItem.right, rcItem.bottom - 1 };
    CRenderEngine::DrawLine(hDC, rcLine, 1, pRow->GetAdjustColor(info.dwLineColor));
}

// ---- input shared by all rows ----

bool CListRowInput::IsMouseEvent(const TEventUI& event)
{
    return event.type >= UIEVENT__MOUSEBEGIN && event.type <= UIEVENT__MOUSEEND;
}

bool CListRowInput::Select(CControlUI* pRow, bool& bSelected, IListOwnerUI* pOwner, int iIndex, bool bSelect)
{
    if (!pRow->IsEnabled()) return false;
    if (bSelect == bSelected) return true;
    bSelected = bSelect;
    if (bSelect && pOwner != NULL) pOwner->SelectItem(iIndex);
    CListRowPaint::InvalidateRow(pRow);
    return true;
}

void CListRowInput::AfterSetVisible(CControlUI* pRow, bool& bSelected, IListOwnerUI* pOwner)
{
    if (pRow->IsVisible() || !bSelected) return;
    bSelected = false;
    if (pOwner != NULL) pOwner->SelectItem(-1);
}

void CListRowInput::NotifyActivate(CControlUI* pRow)
{
    CPaintManagerUI* pManager = pRow->GetManager();
    if (pManager != NULL) pManager->SendNotify(pRow, L"itemactivate");
}

bool CListRowInput::ActivationEvent(CControlUI* pRow, TEventUI& event)
{
    const bool bReturn = event.type == UIEVENT_KEYDOWN && event.key == VK_RETURN;
    if (event.type != UIEVENT_LBUTTONDBLCLK && !bReturn) return false;
    if (!pRow->IsEnabled()) return !bReturn; // a disabled row's Return goes on to the owner
    pRow->Activate();
    CListRowPaint::InvalidateRow(pRow);
    return true;
}

bool CListRowInput::PointerEvent(CControlUI* pRow, IListItemUI* pItem, UINT& uButtonState, TEventUI& event)
{
    switch (event.type) {
    case UIEVENT_LBUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        if (pRow->IsEnabled()) {
            pItem->Select();
            CListRowPaint::InvalidateRow(pRow);
        }
        return true;
    case UIEVENT_LBUTTONUP:
        if (pRow->IsEnabled() && pRow->GetManager() != NULL) pRow->GetManager()->SendNotify(pRow, L"itemclick");
        return true;
    case UIEVENT_MOUSEMOVE:
        return true;
    case UIEVENT_MOUSEENTER:
        if (pRow->IsEnabled()) {
            uButtonState |= UISTATE_HOT;
            CListRowPaint::InvalidateRow(pRow);
        }
        return true;
    case UIEVENT_MOUSELEAVE:
        if ((uButtonState & UISTATE_HOT) != 0) {
            uButtonState &= ~UISTATE_HOT;
            CListRowPaint::InvalidateRow(pRow);
        }
        return true;
    default:
        return false;
    }
}

// ---- CListElementUI ----

CListElementUI::CListElementUI() : m_iIndex(-1), m_bSelected(false), m_uButtonState(0), m_pOwner(NULL) {}

LPCTSTR CListElementUI::GetClass() const
{
    return L"ListElementUI";
}

LPVOID CListElementUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"ListItem") == 0) return static_cast<IListItemUI*>(this);
    if (wcscmp(pstrName, L"ListElement") == 0) return static_cast<CListElementUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

UINT CListElementUI::GetControlFlags() const
{
    // A row is reached through its owner's keys, never by tabbing.
    return 4;
}

bool CListElementUI::Activate()
{
    if (!CControlUI::Activate()) return false;
    CListRowInput::NotifyActivate(this);
    return true;
}

void CListElementUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    CListRowInput::AfterSetVisible(this, m_bSelected, m_pOwner);
}

void CListElementUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CListElementUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && CListRowInput::IsMouseEvent(event)) {
        PassToOwner(event);
        return;
    }
    if (CListRowInput::ActivationEvent(this, event)) return;
    PassToOwner(event);
}

void CListElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    // Any value selects: skins written as selected="false" rely on it.
    if (wcscmp(pstrName, L"selected") == 0)
        Select();
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

int CListElementUI::GetIndex() const
{
    // A list numbers its rows lazily; the row's read settles it when needed.
    CListUI::SettleRowIndex(this, m_pOwner, m_iIndex);
    return m_iIndex;
}

void CListElementUI::SetIndex(int iIndex)
{
    m_iIndex = iIndex;
}

IListOwnerUI* CListElementUI::GetOwner()
{
    return m_pOwner;
}

void CListElementUI::SetOwner(CControlUI* pOwner)
{
    m_pOwner = pOwner != NULL ? static_cast<IListOwnerUI*>(pOwner->GetInterface(L"IListOwner")) : NULL;
}

bool CListElementUI::IsSelected() const
{
    return m_bSelected;
}

bool CListElementUI::Select(bool bSelect)
{
    return CListRowInput::Select(this, m_bSelected, m_pOwner, GetIndex(), bSelect);
}

bool CListElementUI::IsExpanded() const
{
    return false;
}

bool CListElementUI::Expand(bool)
{
    return false;
}

void CListElementUI::Invalidate()
{
    CListRowPaint::InvalidateRow(this);
}

void CListElementUI::DrawItemBk(HDC hDC, const RECT& rcItem)
{
    if (m_pOwner == NULL) return;
    TListInfoUI* pInfo = m_pOwner->GetListInfo();
    if (pInfo == NULL) return;
    // 1. The state colour over the row.
    const DWORD dwColor = CListRowPaint::BkColor(*pInfo, GetIndex(), m_uButtonState, IsSelected(), IsEnabled());
    if (dwColor != 0) CRenderEngine::DrawColor(hDC, rcItem, GetAdjustColor(dwColor));
    // 2. A state image, else the list's row image, ends the background.
    if (CListRowPaint::DrawStateImage(this, hDC, *pInfo, m_uButtonState, IsSelected(), IsEnabled())) return;
    if (DrawImage(hDC, pInfo->diBk)) return;
    // 3. The line under the row.
    CListRowPaint::DrawLine(this, hDC, *pInfo, rcItem);
}

UINT CListElementUI::GetButtonState() const
{
    return m_uButtonState;
}

void CListElementUI::PassToOwner(TEventUI& event)
{
    if (m_pOwner != NULL)
        m_pOwner->DoEvent(event);
    else
        CControlUI::DoEvent(event);
}

} // namespace SkinUI
