#include <windows.h>
#include <wchar.h>
#include "controls/ComboUI.h"
#include "controls/OwnedNativeWindow.h"
#include "core/AttributeValue.h"
#include "core/RenderEngine.h"
#include "core/ScrollBarUI.h"

namespace SkinUI {

namespace {

#ifndef CS_DROPSHADOW
#define CS_DROPSHADOW 0x00020000
#endif

inline bool IsTrueValue(LPCTSTR pstrValue)
{
    return wcscmp(pstrValue, L"true") == 0;
}

inline IListItemUI* AsListItem(CControlUI* pControl)
{
    return pControl != NULL ? static_cast<IListItemUI*>(pControl->GetInterface(L"ListItem")) : NULL;
}

// Drops every reference pManager keeps to pControl and the controls below it.
void ReapTree(CPaintManagerUI& manager, CControlUI* pControl)
{
    IContainerUI* pContainer = static_cast<IContainerUI*>(pControl->GetInterface(L"IContainer"));
    if (pContainer != NULL) {
        for (int i = 0; i < pContainer->GetCount(); i++) ReapTree(manager, pContainer->GetItemAt(i));
    }
    manager.ReapObjects(pControl);
}

} // namespace

// ---- CComboWnd --------------------------------------------------------------------------

CComboWnd::CComboWnd() : m_pOwner(NULL), m_pLayout(NULL), m_iOldSel(-1) {}

LPCTSTR CComboWnd::GetWindowClassName() const
{
    return L"ComboWnd";
}

UINT CComboWnd::GetClassStyle() const
{
    return CWindowWnd::GetClassStyle() | CS_DROPSHADOW;
}

CVerticalLayoutUI* CComboWnd::GetLayout() const
{
    return m_pLayout;
}

bool CComboWnd::HoldsRows() const
{
    return m_pLayout != NULL && m_pLayout->GetCount() > 0;
}

CPaintManagerUI* CComboWnd::GetPaintManager()
{
    return &m_pm;
}

void CComboWnd::Detach()
{
    m_pOwner = NULL;
}

void CComboWnd::Init(CComboUI* pOwner)
{
    // 1. Owner and the selection to restore on Escape.
    m_pLayout = NULL;
    m_pOwner = pOwner;
    m_iOldSel = pOwner->GetCurSel();
    CPaintManagerUI* pManager = pOwner->GetManager();
    HWND hWndOwner = pManager->GetPaintWindow();
    // 2. Below the combo, as wide as the drop-box width or the combo.
    const SIZE szDrop = pOwner->GetDropBoxSize();
    const RECT rcOwner = pOwner->GetPos();
    RECT rc = rcOwner;
    rc.top = rcOwner.bottom;
    rc.bottom = rc.top + szDrop.cy;
    if (szDrop.cx > 0) rc.right = rc.left + szDrop.cx;
    // 3. As high as the visible rows need (plus the frame), at most the drop-box height.
    const SIZE szAvailable = { rc.right - rc.left, rc.bottom - rc.top };
    int cyContent = 0;
    for (int i = 0; i < pOwner->GetCount(); i++) {
        CControlUI* pControl = pOwner->GetItemAt(i);
        if (!pControl->IsVisible()) continue;
        cyContent += pControl->EstimateSize(szAvailable).cy;
    }
    cyContent += 4;
    const int cyPopup = cyContent < szDrop.cy ? cyContent : szDrop.cy;
    rc.bottom = rc.top + cyPopup;
    RECT rcScreen = rc;
    ::MapWindowPoints(hWndOwner, HWND_DESKTOP, reinterpret_cast<LPPOINT>(&rcScreen), 2);
    // 4. A popup that would leave the work area of the owner's monitor opens upwards.
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(hWndOwner, MONITOR_DEFAULTTOPRIMARY), &info);
    if (rcScreen.bottom > info.rcWork.bottom) {
        rc.bottom = rcOwner.top;
        rc.top = rc.bottom - cyPopup;
        rcScreen = rc;
        ::MapWindowPoints(hWndOwner, HWND_DESKTOP, reinterpret_cast<LPPOINT>(&rcScreen), 2);
    }
    // 5. The window; a failed creation has already run the final message.
    if (Create(hWndOwner, NULL, WS_POPUP, WS_EX_TOOLWINDOW, rcScreen) == NULL) return;
    // 6. Shown with the focus; the top-level window keeps its caption active meanwhile.
    HWND hWndTop = m_hWnd;
    while (::GetParent(hWndTop) != NULL) hWndTop = ::GetParent(hWndTop);
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::SendMessageW(hWndTop, WM_NCACTIVATE, TRUE, 0);
}

void CComboWnd::OnCreate()
{
    CPaintManagerUI* pOwnerManager = m_pOwner->GetManager();
    m_pm.Init(m_hWnd);
    m_pLayout = new CVerticalLayoutUI;
    m_pm.UseParentResource(pOwnerManager);
    m_pLayout->SetManager(&m_pm, NULL, true);
    LPCTSTR pDefaultAttributes = pOwnerManager->GetDefaultAttributeList(L"VerticalLayout");
    if (pDefaultAttributes != NULL) m_pLayout->ApplyAttributeList(pDefaultAttributes);
    RECT rcInset = { 1, 1, 1, 1 };
    m_pLayout->SetInset(rcInset);
    m_pLayout->SetBkColor(0xFFFFFFFF);
    m_pLayout->SetBorderColor(0xFFC6C7D2);
    m_pLayout->SetBorderSize(1);
    // The rows stay the combo's: the layout only borrows them.
    m_pLayout->SetAutoDestroy(false);
    m_pLayout->EnableScrollBar(true, false);
    // The skin's drop-box attributes win over everything above.
    m_pLayout->ApplyAttributeList(m_pOwner->GetDropBoxAttributeList());
    for (int i = 0; i < m_pOwner->GetCount(); i++) m_pLayout->Add(m_pOwner->GetItemAt(i));
    m_pm.AttachDialog(m_pLayout);
    m_pm.AddNotifier(this);
}

void CComboWnd::GiveRowsBack()
{
    if (m_pOwner == NULL || m_pLayout == NULL) return;
    for (int i = 0; i < m_pLayout->GetCount(); i++) ReapTree(m_pm, m_pLayout->GetItemAt(i));
    m_pLayout->RemoveAll();
    m_pOwner->SetManager(m_pOwner->GetManager(), m_pOwner->GetParent(), false);
}

bool CComboWnd::ForwardToOwner(int type, WPARAM wParam, LPARAM lParam, TCHAR chKey)
{
    TEventUI event = {};
    event.type = type;
    event.sender = m_pOwner;
    event.timestamp = ::GetTickCount();
    event.key = chKey;
    event.wParam = wParam;
    event.lParam = lParam;
    HWND hWnd = m_hWnd;
    m_pOwner->DoEvent(event);
    // A notifier may have closed the drop-down (removing the rows does): this object is gone.
    if (!::IsWindow(hWnd)) return false;
    EnsureVisible(m_pOwner->GetCurSel());
    return true;
}

LRESULT CComboWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // The combo box and its rows are worked on from here: a notifier that closes the owner's
    // window leaves them in place until this message is over.
    CPaintManagerUI* pOwnerManager = m_pOwner != NULL ? m_pOwner->GetManager() : NULL;
    CFinalMessageHold ownerHold(pOwnerManager != NULL ? pOwnerManager->GetPaintWindow() : NULL);
    switch (uMsg) {
    case WM_CREATE:
        if (m_pOwner == NULL) return -1;
        OnCreate();
        return 0;
    case WM_KILLFOCUS:
        if (reinterpret_cast<HWND>(wParam) != m_hWnd) PostMessageW(WM_CLOSE);
        break;
    case WM_CLOSE:
        if (m_pOwner != NULL) {
            GiveRowsBack();
            m_pOwner->SetPos(m_pOwner->GetPos());
            m_pOwner->SetFocus();
        }
        break;
    case WM_KEYDOWN:
        if (m_pOwner == NULL) break;
        if (wParam == VK_RETURN) {
            PostMessageW(WM_KILLFOCUS);
            break;
        }
        if (wParam == VK_ESCAPE) {
            HWND hWnd = m_hWnd;
            m_pOwner->SelectItem(m_iOldSel, true);
            if (!::IsWindow(hWnd)) return 0; // closed (and deleted) by a notifier
            EnsureVisible(m_iOldSel);
            PostMessageW(WM_KILLFOCUS);
            break;
        }
        ForwardToOwner(UIEVENT_KEYDOWN, wParam, lParam, static_cast<TCHAR>(wParam));
        return 0;
    case WM_LBUTTONUP: {
        // The point of the release itself: the shared pointer may have moved on since.
        POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
        // Leaving the popup by its own scroll bar would make it useless.
        CControlUI* pControl = m_pm.FindControl(pt);
        if (pControl != NULL && wcscmp(pControl->GetClass(), L"ScrollBarUI") != 0) PostMessageW(WM_KILLFOCUS);
        break;
    }
    case WM_MOUSEWHEEL:
        if (m_pOwner == NULL) break;
        ForwardToOwner(UIEVENT_MOUSEWHEEL, static_cast<short>(HIWORD(wParam)) < 0 ? 1 : 0, lParam, 0);
        return 0;
    default:
        break;
    }
    LRESULT lRes = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CComboWnd::OnFinalMessage(HWND /*hWnd*/)
{
    if (m_pOwner != NULL) {
        // Destroyed without WM_CLOSE (its owner window went first): the rows must not keep
        // this popup's manager, which goes with this object.
        GiveRowsBack();
        m_pOwner->m_pWindow = NULL;
        m_pOwner->m_uButtonState &= ~UISTATE_PUSHED;
        m_pOwner->Invalidate();
    }
    delete this;
}

void CComboWnd::Notify(TNotifyUI& msg)
{
    if (msg.type == L"windowinit") EnsureVisible(m_iOldSel);
}

void CComboWnd::EnsureVisible(int iIndex)
{
    if (m_pOwner == NULL || m_pLayout == NULL || m_pOwner->GetCurSel() < 0) return;
    CControlUI* pItem = m_pLayout->GetItemAt(iIndex);
    if (pItem == NULL) return;
    const RECT rcItem = pItem->GetPos();
    RECT rcList = m_pLayout->GetPos();
    CScrollBarUI* pHorizontal = m_pLayout->GetHorizontalScrollBar();
    if (pHorizontal != NULL && pHorizontal->IsVisible()) rcList.bottom -= pHorizontal->GetFixedHeight();
    if (rcItem.top >= rcList.top && rcItem.bottom < rcList.bottom) return;
    int dy = 0;
    if (rcItem.top < rcList.top) dy = rcItem.top - rcList.top;
    if (rcItem.bottom > rcList.bottom) dy = rcItem.bottom - rcList.bottom;
    Scroll(0, dy);
}

void CComboWnd::Scroll(int dx, int dy)
{
    if (m_pLayout == NULL || (dx == 0 && dy == 0)) return;
    SIZE sz = m_pLayout->GetScrollPos();
    sz.cx += dx;
    sz.cy += dy;
    m_pLayout->SetScrollPos(sz);
}

// ---- CComboUI ---------------------------------------------------------------------------

CComboUI::CComboUI() : m_pWindow(NULL), m_iCurSel(-1), m_rcTextPadding(), m_uButtonState(0), m_ListInfo()
{
    m_szDropBox.cx = 0;
    m_szDropBox.cy = 150;
    m_ListInfo.nColumns = 0;
    m_ListInfo.nFont = -1;
    m_ListInfo.uTextStyle = DT_VCENTER;
    m_ListInfo.dwTextColor = 0xFF000000;
    m_ListInfo.dwBkColor = 0;
    m_ListInfo.bAlternateBk = false;
    m_ListInfo.dwSelectedTextColor = 0xFF000000;
    m_ListInfo.dwSelectedBkColor = 0xFFC1E3FF;
    m_ListInfo.dwHotTextColor = 0xFF000000;
    m_ListInfo.dwHotBkColor = 0xFFE9F5FF;
    m_ListInfo.dwDisabledTextColor = 0xFFCCCCCC;
    m_ListInfo.dwDisabledBkColor = 0xFFFFFFFF;
    m_ListInfo.dwLineColor = 0;
    m_ListInfo.bShowHtml = false;
    m_ListInfo.bMultiExpandable = false;
}

CComboUI::~CComboUI()
{
    // The open drop-down borrows the rows, which the container base is about to delete.
    CloseDropDown();
}

LPCTSTR CComboUI::GetClass() const
{
    return L"ComboUI";
}

LPVOID CComboUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"Combo") == 0) return static_cast<CComboUI*>(this);
    if (wcscmp(pstrName, L"IListOwner") == 0) return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CComboUI::GetControlFlags() const
{
    return UIFLAG_TABSTOP;
}

void CComboUI::DoInit() {}

CComboWnd* CComboUI::GetDropWindow() const
{
    return m_pWindow;
}

UINT CComboUI::GetButtonState() const
{
    return m_uButtonState;
}

void CComboUI::CloseDropDown()
{
    if (m_pWindow == NULL) return;
    CComboWnd* pWindow = m_pWindow;
    pWindow->GiveRowsBack();
    // Detached before its window goes: the final message must not write into this combo.
    DestroyOwnedNativeWindow(m_pWindow, m_pManager);
    m_uButtonState &= ~UISTATE_PUSHED;
}

bool CComboUI::Activate()
{
    if (!CControlUI::Activate()) return false;
    // The popup needs the owner's window to hang from.
    if (m_pManager == NULL || m_pManager->GetPaintWindow() == NULL) return false;
    if (m_pWindow != NULL) return true;
    m_pWindow = new CComboWnd();
    m_pWindow->Init(this);
    // A window that could not be made leaves no half-open state behind.
    if (m_pWindow != NULL && !::IsWindow(m_pWindow->GetHWND())) {
        m_pWindow->GiveRowsBack();
        DestroyOwnedNativeWindow(m_pWindow, m_pManager);
        return false;
    }
    m_pManager->SendNotify(this, L"dropdown");
    Invalidate();
    return true;
}

CSkinString CComboUI::GetText() const
{
    if (m_iCurSel < 0) return CSkinString();
    CControlUI* pControl = GetItemAt(m_iCurSel);
    return pControl != NULL ? pControl->GetText() : CSkinString();
}

void CComboUI::SetPos(RECT rc)
{
    // Closed, the rows are never laid out inside the combo; open, they are the popup's.
    if (m_pWindow == NULL || !m_pWindow->HoldsRows()) {
        RECT rcNull = { 0, 0, 0, 0 };
        for (int i = 0; i < m_items.GetSize(); i++) static_cast<CControlUI*>(m_items[i])->SetPos(rcNull);
    }
    CControlUI::SetPos(rc);
}

void CComboUI::SetEnabled(bool bEnable)
{
    CContainerUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CComboUI::SelectFound(int iIndex)
{
    if (iIndex >= 0) SelectItem(iIndex, false);
}

void CComboUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.type >= UIEVENT__MOUSEBEGIN && event.type <= UIEVENT__MOUSEEND) {
        if (m_pParent != NULL)
            m_pParent->DoEvent(event);
        else
            CContainerUI::DoEvent(event);
        return;
    }
    switch (event.type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        Invalidate();
        break;
    case UIEVENT_LBUTTONDOWN:
        if (IsEnabled()) {
            Activate();
            // Pushed only while a drop-down is open: its closing is what clears the state.
            if (m_pWindow != NULL) m_uButtonState |= UISTATE_PUSHED;
            m_uButtonState |= UISTATE_CAPTURED;
        }
        return;
    case UIEVENT_LBUTTONUP:
        if ((m_uButtonState & UISTATE_CAPTURED) != 0) {
            m_uButtonState &= ~UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_KEYDOWN:
        switch (event.key) {
        case VK_PRIOR:
        case VK_UP:
            SelectFound(FindSelectable(m_iCurSel - 1, false));
            return;
        case VK_NEXT:
        case VK_DOWN:
            SelectFound(FindSelectable(m_iCurSel + 1, true));
            return;
        case VK_END:
            SelectFound(FindSelectable(GetCount() - 1, true));
            return;
        case VK_HOME:
            SelectFound(FindSelectable(0, false));
            return;
        case VK_F4:
            Activate();
            return;
        default:
            break;
        }
        break;
    case UIEVENT_MOUSEWHEEL:
        if (event.wParam == 1)
            SelectFound(FindSelectable(m_iCurSel + 1, true));
        else
            SelectFound(FindSelectable(m_iCurSel - 1, false));
        return;
    case UIEVENT_MOUSEENTER:
        if (::PtInRect(&m_rcItem, event.mousePos)) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if ((m_uButtonState & UISTATE_HOT) != 0) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

SIZE CComboUI::EstimateSize(SIZE szAvailable)
{
    if (m_cxyFixed.cy != 0 || m_pManager == NULL) return CControlUI::EstimateSize(szAvailable);
    SIZE sz = { m_cxyFixed.cx, m_pManager->GetDefaultFontInfo()->tm.tmHeight + 12 };
    return sz;
}

void CComboUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    // Painted like a button: the rows are never painted in place.
    CControlUI::DoPaint(hDC, rcPaint);
}

void CComboUI::PaintStatusImage(HDC hDC)
{
    if (IsFocused())
        m_uButtonState |= UISTATE_FOCUSED;
    else
        m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled())
        m_uButtonState |= UISTATE_DISABLED;
    else
        m_uButtonState &= ~UISTATE_DISABLED;
    CImageAttribute* pImage = NULL;
    if ((m_uButtonState & UISTATE_DISABLED) != 0)
        pImage = &m_diDisabled;
    else if ((m_uButtonState & UISTATE_PUSHED) != 0)
        pImage = &m_diPushed;
    else if ((m_uButtonState & UISTATE_HOT) != 0)
        pImage = &m_diHot;
    else if ((m_uButtonState & UISTATE_FOCUSED) != 0)
        pImage = &m_diFocused;
    if (pImage != NULL && DrawImage(hDC, *pImage)) return;
    DrawImage(hDC, m_diNormal);
}

void CComboUI::PaintText(HDC hDC)
{
    if (m_iCurSel < 0) return;
    CControlUI* pControl = GetItemAt(m_iCurSel);
    if (pControl == NULL) return;
    RECT rcText = m_rcItem;
    rcText.left += m_rcTextPadding.left;
    rcText.right -= m_rcTextPadding.right;
    rcText.top += m_rcTextPadding.top;
    rcText.bottom -= m_rcTextPadding.bottom;
    IListItemUI* pElement = AsListItem(pControl);
    if (pElement != NULL) {
        pElement->DrawItemText(hDC, rcText);
        return;
    }
    // Any other control shows itself, moved into the text area for the time of the paint.
    const RECT rcOldPos = pControl->GetPos();
    pControl->SetPos(rcText);
    pControl->DoPaint(hDC, rcText);
    pControl->SetPos(rcOldPos);
}

// ---- rows ----

void CComboUI::RenumberFrom(int iFrom)
{
    for (int i = iFrom; i < GetCount(); i++) {
        IListItemUI* pListItem = AsListItem(GetItemAt(i));
        if (pListItem != NULL) pListItem->SetIndex(i);
    }
}

bool CComboUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    const int iOrginIndex = GetItemIndex(pControl);
    if (iOrginIndex == -1) return false;
    if (iOrginIndex == iIndex) return true;
    IListItemUI* pSelectedListItem = m_iCurSel >= 0 ? AsListItem(GetItemAt(m_iCurSel)) : NULL;
    if (!CContainerUI::SetItemIndex(pControl, iIndex)) return false;
    const int iMin = iOrginIndex < iIndex ? iOrginIndex : iIndex;
    const int iMax = iOrginIndex > iIndex ? iOrginIndex : iIndex;
    for (int i = iMin; i <= iMax && i < GetCount(); i++) {
        IListItemUI* pListItem = AsListItem(GetItemAt(i));
        if (pListItem != NULL) pListItem->SetIndex(i);
    }
    if (m_iCurSel >= 0 && pSelectedListItem != NULL) m_iCurSel = pSelectedListItem->GetIndex();
    return true;
}

bool CComboUI::Add(CControlUI* pControl)
{
    IListItemUI* pListItem = AsListItem(pControl);
    if (pListItem != NULL) {
        pListItem->SetOwner(this);
        pListItem->SetIndex(GetCount());
    }
    return CContainerUI::Add(pControl);
}

bool CComboUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (!CContainerUI::AddAt(pControl, iIndex)) return false;
    IListItemUI* pListItem = AsListItem(pControl);
    if (pListItem != NULL) {
        pListItem->SetOwner(this);
        pListItem->SetIndex(iIndex);
    }
    RenumberFrom(iIndex + 1);
    if (m_iCurSel >= iIndex) m_iCurSel += 1;
    return true;
}

void CComboUI::FixSelectionAfterRemoval(int iIndex)
{
    if (iIndex == m_iCurSel && m_iCurSel >= 0) {
        const int iSel = m_iCurSel;
        m_iCurSel = -1;
        SelectFound(FindSelectable(iSel, false));
    } else if (iIndex < m_iCurSel) {
        m_iCurSel -= 1;
    }
}

bool CComboUI::Remove(CControlUI* pControl)
{
    const int iIndex = GetItemIndex(pControl);
    if (iIndex == -1) return false;
    // The open drop-down must not keep a row that is about to be deleted.
    CloseDropDown();
    if (!CContainerUI::RemoveAt(iIndex)) return false;
    RenumberFrom(iIndex);
    FixSelectionAfterRemoval(iIndex);
    return true;
}

bool CComboUI::RemoveAt(int iIndex)
{
    if (GetItemAt(iIndex) == NULL) return false;
    CloseDropDown();
    if (!CContainerUI::RemoveAt(iIndex)) return false;
    RenumberFrom(iIndex);
    FixSelectionAfterRemoval(iIndex);
    return true;
}

void CComboUI::RemoveAll()
{
    CloseDropDown();
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

// ---- selection ----

TListInfoUI* CComboUI::GetListInfo()
{
    return &m_ListInfo;
}

int CComboUI::GetCurSel() const
{
    return m_iCurSel;
}

bool CComboUI::SelectItem(int iIndex, bool bTakeFocus)
{
    if (iIndex == m_iCurSel) return true;
    const int iOldSel = m_iCurSel;
    // 1. The old row lets go; a failed request below leaves no selection.
    if (m_iCurSel >= 0) {
        CControlUI* pOld = GetItemAt(m_iCurSel);
        if (pOld == NULL) return false;
        IListItemUI* pOldItem = AsListItem(pOld);
        if (pOldItem != NULL) pOldItem->Select(false);
        m_iCurSel = -1;
    }
    // 2. The target: an index past the end means the last row.
    if (iIndex < 0 || m_items.GetSize() == 0) return false;
    if (iIndex >= m_items.GetSize()) iIndex = m_items.GetSize() - 1;
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == NULL || !pControl->IsVisible() || !pControl->IsEnabled()) return false;
    IListItemUI* pListItem = AsListItem(pControl);
    if (pListItem == NULL) return false;
    // 3. Selected, told and shown.
    m_iCurSel = iIndex;
    if (m_pWindow != NULL || bTakeFocus) pControl->SetFocus();
    pListItem->Select(true);
    if (m_pManager != NULL) m_pManager->SendNotify(this, L"itemselect", static_cast<WPARAM>(m_iCurSel), iOldSel);
    Invalidate();
    return true;
}

// ---- settings ----

void CComboUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

RECT CComboUI::GetTextPadding() const
{
    return m_rcTextPadding;
}

CSkinString CComboUI::GetDropBoxAttributeList()
{
    return m_sDropBoxAttributes;
}

void CComboUI::SetDropBoxAttributeList(LPCTSTR pstrList)
{
    m_sDropBoxAttributes = pstrList;
}

SIZE CComboUI::GetDropBoxSize() const
{
    return m_szDropBox;
}

void CComboUI::SetDropBoxSize(SIZE szDropBox)
{
    m_szDropBox = szDropBox;
}

void CComboUI::SetItemFont(int index)
{
    m_ListInfo.nFont = index;
    Invalidate();
}

void CComboUI::SetItemTextStyle(UINT uStyle)
{
    m_ListInfo.uTextStyle = uStyle;
    Invalidate();
}

RECT CComboUI::GetItemTextPadding() const
{
    return m_ListInfo.rcTextPadding;
}

void CComboUI::SetItemTextPadding(RECT rc)
{
    m_ListInfo.rcTextPadding = rc;
    Invalidate();
}

DWORD CComboUI::GetItemTextColor() const
{
    return m_ListInfo.dwTextColor;
}

void CComboUI::SetItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwTextColor = dwTextColor;
    Invalidate();
}

DWORD CComboUI::GetItemBkColor() const
{
    return m_ListInfo.dwBkColor;
}

void CComboUI::SetItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwBkColor = dwBkColor;
}

LPCTSTR CComboUI::GetItemBkImage() const
{
    return m_ListInfo.diBk.GetAttributeString().GetData();
}

void CComboUI::SetItemBkImage(LPCTSTR pStrImage)
{
    m_ListInfo.diBk.SetAttributeString(pStrImage);
}

bool CComboUI::IsAlternateBk() const
{
    return m_ListInfo.bAlternateBk;
}

void CComboUI::SetAlternateBk(bool bAlternateBk)
{
    m_ListInfo.bAlternateBk = bAlternateBk;
}

DWORD CComboUI::GetSelectedItemTextColor() const
{
    return m_ListInfo.dwSelectedTextColor;
}

void CComboUI::SetSelectedItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwSelectedTextColor = dwTextColor;
}

DWORD CComboUI::GetSelectedItemBkColor() const
{
    return m_ListInfo.dwSelectedBkColor;
}

void CComboUI::SetSelectedItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwSelectedBkColor = dwBkColor;
}

LPCTSTR CComboUI::GetSelectedItemImage() const
{
    return m_ListInfo.diSelected.GetAttributeString().GetData();
}

void CComboUI::SetSelectedItemImage(LPCTSTR pStrImage)
{
    m_ListInfo.diSelected.SetAttributeString(pStrImage);
}

DWORD CComboUI::GetHotItemTextColor() const
{
    return m_ListInfo.dwHotTextColor;
}

void CComboUI::SetHotItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwHotTextColor = dwTextColor;
}

DWORD CComboUI::GetHotItemBkColor() const
{
    return m_ListInfo.dwHotBkColor;
}

void CComboUI::SetHotItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwHotBkColor = dwBkColor;
}

LPCTSTR CComboUI::GetHotItemImage() const
{
    return m_ListInfo.diHot.GetAttributeString().GetData();
}

void CComboUI::SetHotItemImage(LPCTSTR pStrImage)
{
    m_ListInfo.diHot.SetAttributeString(pStrImage);
}

DWORD CComboUI::GetDisabledItemTextColor() const
{
    return m_ListInfo.dwDisabledTextColor;
}

void CComboUI::SetDisabledItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwDisabledTextColor = dwTextColor;
}

DWORD CComboUI::GetDisabledItemBkColor() const
{
    return m_ListInfo.dwDisabledBkColor;
}

void CComboUI::SetDisabledItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwDisabledBkColor = dwBkColor;
}

LPCTSTR CComboUI::GetDisabledItemImage() const
{
    return m_ListInfo.diDisabled.GetAttributeString().GetData();
}

void CComboUI::SetDisabledItemImage(LPCTSTR pStrImage)
{
    m_ListInfo.diDisabled.SetAttributeString(pStrImage);
}

DWORD CComboUI::GetItemLineColor() const
{
    return m_ListInfo.dwLineColor;
}

void CComboUI::SetItemLineColor(DWORD dwLineColor)
{
    m_ListInfo.dwLineColor = dwLineColor;
}

bool CComboUI::IsItemShowHtml() const
{
    return m_ListInfo.bShowHtml;
}

void CComboUI::SetItemShowHtml(bool bShowHtml)
{
    if (m_ListInfo.bShowHtml == bShowHtml) return;
    m_ListInfo.bShowHtml = bShowHtml;
    Invalidate();
}

void CComboUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"textpadding") == 0)
        SetTextPadding(ParseAttributeRect(pstrValue));
    else if (wcscmp(pstrName, L"dropbox") == 0)
        SetDropBoxAttributeList(pstrValue);
    else if (wcscmp(pstrName, L"dropboxsize") == 0)
        SetDropBoxSize(ParseAttributeSize(pstrValue));
    else if (wcscmp(pstrName, L"itemfont") == 0)
        m_ListInfo.nFont = _wtoi(pstrValue);
    else if (wcscmp(pstrName, L"itemalign") == 0)
        m_ListInfo.uTextStyle = ApplyAlignWords(m_ListInfo.uTextStyle, pstrValue);
    else if (wcscmp(pstrName, L"itemtextpadding") == 0)
        SetItemTextPadding(ParseAttributeRect(pstrValue));
    else if (wcscmp(pstrName, L"itemtextcolor") == 0)
        SetItemTextColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"itembkcolor") == 0)
        SetItemBkColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"itembkimage") == 0)
        SetItemBkImage(pstrValue);
    else if (wcscmp(pstrName, L"itemaltbk") == 0)
        SetAlternateBk(IsTrueValue(pstrValue));
    else if (wcscmp(pstrName, L"itemselectedtextcolor") == 0)
        SetSelectedItemTextColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"itemselectedbkcolor") == 0)
        SetSelectedItemBkColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"itemselectedimage") == 0)
        SetSelectedItemImage(pstrValue);
    else if (wcscmp(pstrName, L"itemhottextcolor") == 0)
        SetHotItemTextColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"itemhotbkcolor") == 0)
        SetHotItemBkColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"itemhotimage") == 0)
        SetHotItemImage(pstrValue);
    else if (wcscmp(pstrName, L"itemdisabledtextcolor") == 0)
        SetDisabledItemTextColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"itemdisabledbkcolor") == 0)
        SetDisabledItemBkColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"itemdisabledimage") == 0)
        SetDisabledItemImage(pstrValue);
    else if (wcscmp(pstrName, L"itemlinecolor") == 0)
        SetItemLineColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"itemshowhtml") == 0)
        SetItemShowHtml(IsTrueValue(pstrValue));
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

} // namespace SkinUI
