#include <windows.h>
#include <wchar.h>
#include "controls/MenuElementUI.h"
#include "controls/MenuWnd.h"
#include "controls/ListElementUI.h"
#include "controls/OwnedNativeWindow.h"
#include "core/AttributeValue.h"
#include "core/RenderEngine.h"

namespace SkinUI {

namespace {

const int kDefaultWidth = 130;
const int kDefaultHeight = 30;
const int kLineHeight = 6;
// The icon is centred in the item's first 26 pixels, the arrow in its last 20.
const int kIconColumn = 26;
const int kArrowColumn = 20;

bool IsTrueText(LPCTSTR pstrValue)
{
    return wcscmp(pstrValue, L"true") == 0;
}

} // namespace

CMenuElementUI::CMenuElementUI()
    : m_pWindow(NULL), m_bDrawLine(false), m_dwLineColor(0xFFBCBFC4), m_bCheckItem(false),
      m_bShowExplandIcon(false)
{
    m_rcLinePadding.left = 29;
    m_rcLinePadding.top = 0;
    m_rcLinePadding.right = 7;
    m_rcLinePadding.bottom = 0;
    m_szIconSize.cx = 16;
    m_szIconSize.cy = 16;
    m_cxyFixed.cx = kDefaultWidth;
    m_cxyFixed.cy = kDefaultHeight;
}

CMenuElementUI::~CMenuElementUI()
{
    // An open sub-menu goes now, before the sub-items: its final message must find no owner
    // to write into, and the sub-items must not keep its manager, which goes with it.
    if (m_pWindow != NULL) {
        CContainerUI::SetManager(m_pManager, m_pParent, false);
        for (int i = 0; i < GetCount(); i++) {
            CMenuElementUI* pSubItem = AsMenuElement(GetItemAt(i));
            if (pSubItem != NULL) pSubItem->SetOwner(NULL);
        }
        DestroyOwnedNativeWindow(m_pWindow, m_pManager);
    }
}

CMenuElementUI* CMenuElementUI::AsMenuElement(CControlUI* pControl)
{
    return pControl != NULL ? static_cast<CMenuElementUI*>(pControl->GetInterface(L"MenuElement")) : NULL;
}

LPCTSTR CMenuElementUI::GetClass() const
{
    return L"MenuElementUI";
}

LPVOID CMenuElementUI::GetInterface(LPCTSTR pstrName)
{
    if (_wcsicmp(pstrName, L"MenuElement") == 0) return static_cast<CMenuElementUI*>(this);
    return CListContainerElementUI::GetInterface(pstrName);
}

CMenuWnd* CMenuElementUI::GetMenuWnd() const
{
    return m_pWindow;
}

int CMenuElementUI::GetSubItemCount() const
{
    int nCount = 0;
    for (int i = 0; i < GetCount(); i++) {
        if (AsMenuElement(GetItemAt(i)) != NULL) nCount++;
    }
    return nCount;
}

void CMenuElementUI::HideSubItems()
{
    for (int i = 0; i < GetCount(); i++) {
        CMenuElementUI* pSubItem = AsMenuElement(GetItemAt(i));
        if (pSubItem != NULL) pSubItem->SetInternVisible(false);
    }
}

void CMenuElementUI::SetInternVisible(bool bVisible)
{
    CListContainerElementUI::SetInternVisible(bVisible);
    if (m_pWindow == NULL) HideSubItems();
}

void CMenuElementUI::SetVisible(bool bVisible)
{
    CListContainerElementUI::SetVisible(bVisible);
    if (m_pWindow == NULL) HideSubItems();
}

void CMenuElementUI::SetSubItemsAside(CStdPtrArray& aAll)
{
    aAll = m_items;
    CStdPtrArray aOwn;
    for (int i = 0; i < aAll.GetSize(); i++) {
        if (AsMenuElement(static_cast<CControlUI*>(aAll[i])) == NULL) aOwn.Add(aAll[i]);
    }
    m_items = aOwn;
}

CControlUI* CMenuElementUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags)
{
    if ((uFlags & UIFIND_HITTEST) == 0 || GetSubItemCount() == 0)
        return CListContainerElementUI::FindControl(Proc, pData, uFlags);
    // While the sub-menu is open the sub-items are visible at positions of its window: a
    // point of this window must not find them.
    CStdPtrArray aAll;
    SetSubItemsAside(aAll);
    CControlUI* pResult = CListContainerElementUI::FindControl(Proc, pData, uFlags);
    m_items = aAll;
    return pResult;
}

void CMenuElementUI::SetPos(RECT rc)
{
    if (GetSubItemCount() == 0) {
        CListContainerElementUI::SetPos(rc);
        return;
    }
    // The open sub-menu lays the sub-items out in its own window.
    CStdPtrArray aAll;
    SetSubItemsAside(aAll);
    CListContainerElementUI::SetPos(rc);
    m_items = aAll;
}

bool CMenuElementUI::ShowSubItems()
{
    bool bAny = false;
    for (int i = 0; i < GetCount(); i++) {
        CMenuElementUI* pSubItem = AsMenuElement(GetItemAt(i));
        if (pSubItem == NULL) continue;
        pSubItem->SetVisible(true);
        pSubItem->SetInternVisible(true);
        bAny = true;
    }
    return bAny;
}

void CMenuElementUI::SelectInOwner()
{
    if (m_pOwner != NULL) m_pOwner->SelectItem(GetIndex(), true);
}

void CMenuElementUI::BroadcastCloseSubMenus()
{
    if (m_pManager == NULL) return;
    ContextMenuParam param = { ContextMenuParam::kCloseSubMenus, m_pManager->GetPaintWindow() };
    CMenuWnd::GetGlobalContextMenuObserver().RBroadcast(param);
}

void CMenuElementUI::ChooseLeaf()
{
    // 1. A check item turns over in the caller's map.
    SetChecked(!GetChecked());
    // 2. The main window learns the choice.
    ObserverImpl& observer = CMenuWnd::GetGlobalContextMenuObserver();
    CPaintManagerUI* pMain = observer.GetManager();
    if (pMain != NULL) {
        CMenuWnd::SetClickedMenuName(GetName());
        ::PostMessageW(pMain->GetPaintWindow(), WM_MENUCLICK, 0, GetChecked() ? 1 : 0);
    }
    // 3. Every menu closes.
    ContextMenuParam param = { ContextMenuParam::kCloseAll, m_pManager != NULL ? m_pManager->GetPaintWindow() : NULL };
    observer.RBroadcast(param);
}

void CMenuElementUI::CreateMenuWnd()
{
    if (m_pWindow != NULL || m_pManager == NULL) return;
    m_pWindow = new CMenuWnd;
    // Another sub-menu of this menu window closes; this one opens beside it.
    BroadcastCloseSubMenus();
    POINT pt = { 0, 0 };
    m_pWindow->Init(this, STRINGorID(L""), pt, NULL, NULL);
}

void CMenuElementUI::Enter()
{
    if (m_pWindow != NULL) return;
    if (ShowSubItems()) {
        SelectInOwner();
        CreateMenuWnd();
    } else {
        // A leaf: the sub-menus opened from this menu window close.
        BroadcastCloseSubMenus();
        SelectInOwner();
    }
}

void CMenuElementUI::SubMenuClosed(CControlUI* pListOwner)
{
    for (int i = 0; i < GetCount(); i++) {
        CMenuElementUI* pSubItem = AsMenuElement(GetItemAt(i));
        if (pSubItem == NULL) continue;
        pSubItem->SetOwner(pListOwner);
        pSubItem->SetVisible(false);
        pSubItem->SetInternVisible(false);
    }
    m_pWindow = NULL;
    m_uButtonState &= ~UISTATE_PUSHED;
    Invalidate();
}

void CMenuElementUI::DoEvent(TEventUI& event)
{
    switch (event.type) {
    case UIEVENT_MOUSEENTER:
        CListContainerElementUI::DoEvent(event);
        Enter();
        return;
    case UIEVENT_KEYDOWN:
        if (event.key != VK_RIGHT) break;
        Enter();
        return;
    case UIEVENT_LBUTTONUP:
        if (!IsEnabled()) return;
        CListContainerElementUI::DoEvent(event);
        if (m_pWindow != NULL) return;
        if (ShowSubItems())
            CreateMenuWnd();
        else
            ChooseLeaf();
        return;
    default:
        break;
    }
    CListContainerElementUI::DoEvent(event);
}

void CMenuElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"icon") == 0) {
        SetIcon(pstrValue);
    } else if (wcscmp(pstrName, L"iconsize") == 0) {
        const SIZE sz = ParseAttributeSize(pstrValue);
        SetIconSize(sz.cx, sz.cy);
    } else if (wcscmp(pstrName, L"checkitem") == 0) {
        SetCheckItem(IsTrueText(pstrValue));
    } else if (wcscmp(pstrName, L"ischeck") == 0) {
        // A state the caller's map already holds wins over the skin's.
        MenuCheckInfo* pInfo = CMenuWnd::GetGlobalContextMenuObserver().GetMenuCheckInfo();
        if (pInfo != NULL && pInfo->find(GetName()) == pInfo->end()) SetChecked(IsTrueText(pstrValue));
    } else if (wcscmp(pstrName, L"linetype") == 0) {
        if (IsTrueText(pstrValue)) SetLineType();
    } else if (wcscmp(pstrName, L"expland") == 0) {
        SetShowExplandIcon(IsTrueText(pstrValue));
    } else if (wcscmp(pstrName, L"linecolor") == 0) {
        SetLineColor(ParseAttributeColor(pstrValue));
    } else if (wcscmp(pstrName, L"linepadding") == 0) {
        SetLinePadding(ParseAttributeRect(pstrValue));
    } else if (wcscmp(pstrName, L"height") == 0) {
        SetFixedHeight(_wtoi(pstrValue));
    } else {
        CListContainerElementUI::SetAttribute(pstrName, pstrValue);
    }
}

void CMenuElementUI::SetIcon(LPCTSTR pstrIcon)
{
    if (pstrIcon == NULL || pstrIcon[0] == L'\0') return;
    m_diIcon.SetAttributeString(pstrIcon);
}

void CMenuElementUI::SetIconSize(LONG cx, LONG cy)
{
    m_szIconSize.cx = cx;
    m_szIconSize.cy = cy;
}

SIZE CMenuElementUI::GetIconSize() const
{
    return m_szIconSize;
}

void CMenuElementUI::SetCheckItem(bool bCheckItem)
{
    m_bCheckItem = bCheckItem;
}

bool CMenuElementUI::GetCheckItem() const
{
    return m_bCheckItem;
}

void CMenuElementUI::SetChecked(bool bCheck)
{
    if (!m_bCheckItem) return;
    MenuCheckInfo* pInfo = CMenuWnd::GetGlobalContextMenuObserver().GetMenuCheckInfo();
    if (pInfo == NULL) return;
    (*pInfo)[GetName()] = bCheck;
}

bool CMenuElementUI::GetChecked() const
{
    if (!m_bCheckItem) return false;
    MenuCheckInfo* pInfo = CMenuWnd::GetGlobalContextMenuObserver().GetMenuCheckInfo();
    if (pInfo == NULL || pInfo->empty()) return false;
    MenuCheckInfo::const_iterator it = pInfo->find(GetName());
    return it != pInfo->end() && it->second;
}

void CMenuElementUI::SetLineType()
{
    m_bDrawLine = true;
    if (GetFixedHeight() == 0 || GetFixedHeight() == kDefaultHeight) SetFixedHeight(kLineHeight);
    SetMouseEnabled(false);
    SetMouseChildEnabled(false);
    SetEnabled(false);
}

bool CMenuElementUI::IsLineType() const
{
    return m_bDrawLine;
}

void CMenuElementUI::SetLineColor(DWORD color)
{
    m_dwLineColor = color;
}

DWORD CMenuElementUI::GetLineColor() const
{
    return m_dwLineColor;
}

void CMenuElementUI::SetLinePadding(RECT rcInset)
{
    m_rcLinePadding = rcInset;
}

RECT CMenuElementUI::GetLinePadding() const
{
    return m_rcLinePadding;
}

void CMenuElementUI::SetShowExplandIcon(bool bShow)
{
    m_bShowExplandIcon = bShow;
}

SIZE CMenuElementUI::EstimateSize(SIZE szAvailable)
{
    // 1. Visible children decide the size.
    SIZE cXY = { 0, 0 };
    for (int i = 0; i < GetCount(); i++) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible()) continue;
        const SIZE sz = pControl->EstimateSize(szAvailable);
        cXY.cy += sz.cy;
        if (cXY.cx < sz.cx) cXY.cx = sz.cx;
    }
    // 2. Without them the text in the owner's font and padding, with room for the arrow.
    if (cXY.cy == 0 && m_pOwner != NULL && m_pManager != NULL) {
        TListInfoUI* pInfo = m_pOwner->GetListInfo();
        const DWORD dwTextColor = CListRowPaint::TextColor(*pInfo, m_uButtonState, IsSelected(), IsEnabled());
        const int cxWidth = szAvailable.cx > m_cxyFixed.cx ? szAvailable.cx : m_cxyFixed.cx;
        RECT rcText = { pInfo->rcTextPadding.left, 0, cxWidth - pInfo->rcTextPadding.right, 9999 };
        const UINT uStyle = pInfo->uTextStyle | DT_CALCRECT;
        if (pInfo->bShowHtml) {
            int nLinks = 0;
            CRenderEngine::DrawHtmlText(m_pManager->GetPaintDC(), m_pManager, rcText, m_sText, dwTextColor, NULL, NULL,
                                        nLinks, uStyle);
        } else {
            CRenderEngine::DrawText(m_pManager->GetPaintDC(), m_pManager, rcText, m_sText, dwTextColor, pInfo->nFont,
                                    uStyle);
        }
        cXY.cx = rcText.right - rcText.left + pInfo->rcTextPadding.left + pInfo->rcTextPadding.right + kArrowColumn;
        cXY.cy = rcText.bottom - rcText.top + pInfo->rcTextPadding.top + pInfo->rcTextPadding.bottom;
    }
    // 3. The fixed height wins; the fixed width is the least width.
    if (m_cxyFixed.cy != 0) cXY.cy = m_cxyFixed.cy;
    if (cXY.cx < m_cxyFixed.cx) cXY.cx = m_cxyFixed.cx;
    // 4. Kept as the item's size.
    m_cxyFixed = cXY;
    return cXY;
}

void CMenuElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    // 1. Only where the paint meets the item.
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;

    // 2. A separator is one line across the item's middle.
    if (m_bDrawLine) {
        const int y = m_rcItem.top + m_cxyFixed.cy / 2;
        RECT rcLine = { m_rcItem.left + m_rcLinePadding.left, y, m_rcItem.right - m_rcLinePadding.right, y };
        CRenderEngine::DrawLine(hDC, rcLine, 1, m_dwLineColor);
        return;
    }

    // 3. Background, text, icon, arrow, then the controls placed in the item; sub-items
    //    belong to the sub-menu and are never painted here.
    DrawItemBk(hDC, m_rcItem);
    DrawItemText(hDC, m_rcItem);
    DrawItemIcon(hDC, m_rcItem);
    DrawItemExpland(hDC, m_rcItem);
    for (int i = 0; i < GetCount(); i++) {
        CControlUI* pControl = GetItemAt(i);
        if (AsMenuElement(pControl) != NULL || !pControl->IsVisible()) continue;
        pControl->DoPaint(hDC, rcPaint);
    }
}

void CMenuElementUI::DrawItemText(HDC hDC, const RECT& rcItem)
{
    if (m_pOwner == NULL) return;
    CListRowPaint::DrawRowText(this, hDC, *m_pOwner->GetListInfo(), rcItem, m_uButtonState, IsSelected());
}

void CMenuElementUI::DrawItemIcon(HDC hDC, const RECT&)
{
    // The icon of a check item is its check mark.
    if (m_diIcon.GetAttributeString().IsEmpty()) return;
    if (m_bCheckItem && !GetChecked()) return;
    if (!m_diIcon.LoadImageW(m_pManager)) return;
    RECT rcDest = { (kIconColumn - m_szIconSize.cx) / 2, (m_cxyFixed.cy - m_szIconSize.cy) / 2, 0, 0 };
    rcDest.right = rcDest.left + m_szIconSize.cx;
    rcDest.bottom = rcDest.top + m_szIconSize.cy;
    DrawImage(hDC, m_diIcon, rcDest);
}

void CMenuElementUI::DrawItemExpland(HDC hDC, const RECT&)
{
    if (!m_bShowExplandIcon || m_pManager == NULL) return;
    if (m_diExpland.GetAttributeString().IsEmpty()) {
        LPCTSTR pstrArrow = m_pManager->GetDefaultAttributeList(L"ExplandIcon");
        if (pstrArrow == NULL) return;
        m_diExpland.SetAttributeString(pstrArrow);
    }
    if (!m_diExpland.LoadImageW(m_pManager) || m_diExpland.m_imageInfo == NULL) return;
    const int w = m_diExpland.m_imageInfo->width;
    const int h = m_diExpland.m_imageInfo->height;
    RECT rcDest = { (kArrowColumn - w) / 2 + m_cxyFixed.cx - kArrowColumn, (m_cxyFixed.cy - h) / 2, 0, 0 };
    rcDest.right = rcDest.left + w;
    rcDest.bottom = rcDest.top + h;
    DrawImage(hDC, m_diExpland, rcDest);
}

} // namespace SkinUI
