#include <windows.h>
#include <wchar.h>
#include "controls/MenuWnd.h"
#include "controls/MenuUI.h"
#include "controls/MenuElementUI.h"
#include "core/ContainerUI.h"

namespace SkinUI {

// ---- ObserverImpl -----------------------------------------------------------------------

ObserverImpl::ObserverImpl() : m_pMainManager(NULL), m_pCheckInfo(NULL) {}

ObserverImpl::~ObserverImpl()
{
    // Receivers still registered at process exit must not leave a dead observer later.
    CStdPtrArray receivers(m_aReceivers);
    m_aReceivers.Empty();
    for (int i = 0; i < receivers.GetSize(); i++) {
        ReceiverImpl* pReceiver = dynamic_cast<ReceiverImpl*>(static_cast<ReceiverImplBase*>(receivers[i]));
        if (pReceiver != NULL) pReceiver->ForgetObserver(this);
    }
}

void ObserverImpl::AddReceiver(ReceiverImplBase* receiver)
{
    if (receiver == NULL) return;
    m_aReceivers.Add(receiver);
    receiver->AddObserver(this);
}

void ObserverImpl::RemoveReceiver(ReceiverImplBase* receiver)
{
    if (receiver == NULL) return;
    int i = m_aReceivers.Find(receiver);
    if (i >= 0) m_aReceivers.Remove(i);
}

int ObserverImpl::RBroadcast(ContextMenuParam param)
{
    // Receivers only post their closing, so the list stays as it is meanwhile; the bound is
    // checked anyway.
    for (int i = m_aReceivers.GetSize() - 1; i >= 0; i--) {
        if (i >= m_aReceivers.GetSize()) continue;
        static_cast<ReceiverImplBase*>(m_aReceivers[i])->Receive(param);
    }
    return 0;
}

void ObserverImpl::SetManger(CPaintManagerUI* pManager)
{
    if (pManager != NULL) m_pMainManager = pManager;
}

CPaintManagerUI* ObserverImpl::GetManager() const
{
    return m_pMainManager;
}

void ObserverImpl::SetMenuCheckInfo(MenuCheckInfo* pInfo)
{
    m_pCheckInfo = pInfo;
}

MenuCheckInfo* ObserverImpl::GetMenuCheckInfo() const
{
    return m_pCheckInfo;
}

int ObserverImpl::GetReceiverCount() const
{
    return m_aReceivers.GetSize();
}

ReceiverImplBase* ObserverImpl::GetReceiver(int iIndex) const
{
    return static_cast<ReceiverImplBase*>(m_aReceivers.GetAt(iIndex));
}

// ---- ReceiverImpl -----------------------------------------------------------------------

ReceiverImpl::ReceiverImpl() {}

ReceiverImpl::~ReceiverImpl()
{
    RemoveObserver();
}

void ReceiverImpl::AddObserver(ObserverImplBase* observer)
{
    m_aObservers.Add(observer);
}

void ReceiverImpl::RemoveObserver()
{
    CStdPtrArray observers(m_aObservers);
    m_aObservers.Empty();
    for (int i = 0; i < observers.GetSize(); i++) static_cast<ObserverImplBase*>(observers[i])->RemoveReceiver(this);
}

int ReceiverImpl::Receive(ContextMenuParam)
{
    return 0;
}

void ReceiverImpl::ForgetObserver(ObserverImplBase* observer)
{
    int i = m_aObservers.Find(observer);
    if (i >= 0) m_aObservers.Remove(i);
}

// ---- CMenuWnd ---------------------------------------------------------------------------

CSkinString CMenuWnd::s_clickedMenuItem;

CMenuWnd::CMenuWnd()
    : m_xml(L""), m_pOwner(NULL), m_pLayout(NULL), m_dwAlignment(eMenuAlignment_Left | eMenuAlignment_Top),
      m_bBuilt(false), m_pbGone(NULL)
{
    m_BasedPoint.x = 0;
    m_BasedPoint.y = 0;
}

ObserverImpl& CMenuWnd::GetGlobalContextMenuObserver()
{
    static ObserverImpl s_observer;
    return s_observer;
}

void CMenuWnd::SetClickedMenuName(const CSkinString& sName)
{
    s_clickedMenuItem = sName;
}

CSkinString CMenuWnd::GetClickedMenuName()
{
    return s_clickedMenuItem;
}

CMenuWnd* CMenuWnd::CreateMenu(CMenuElementUI* pOwner, STRINGorID xml, POINT point, CPaintManagerUI* pMainManager,
                               MenuCheckInfo* pCheckInfo, DWORD dwAlignment)
{
    CMenuWnd* pMenu = new CMenuWnd;
    if (!pMenu->Init(pOwner, xml, point, pMainManager, pCheckInfo, dwAlignment)) return NULL;
    return pMenu;
}

bool CMenuWnd::Init(CMenuElementUI* pOwner, STRINGorID xml, POINT point, CPaintManagerUI* pMainManager,
                    MenuCheckInfo* pCheckInfo, DWORD dwAlignment)
{
    // 1. The arguments. A menu needs a window to belong to: the main window for a top-level
    //    menu, the owner's window for a sub-menu; without one nothing opens.
    m_pLayout = NULL;
    m_BasedPoint = point;
    m_xml = xml;
    m_pOwner = pOwner;
    m_dwAlignment = dwAlignment;
    CPaintManagerUI* pParentManager = pOwner != NULL ? pOwner->GetManager() : pMainManager;
    if (pParentManager == NULL || pParentManager->GetPaintWindow() == NULL) {
        if (pOwner != NULL && pOwner->m_pWindow == this) pOwner->m_pWindow = NULL;
        delete this;
        return false;
    }

    // 2. A top-level menu states the main window and the check map for the menus it opens;
    //    a map of an earlier caller must never outlive its menu here.
    ObserverImpl& observer = GetGlobalContextMenuObserver();
    if (pOwner == NULL) {
        observer.SetManger(pMainManager);
        observer.SetMenuCheckInfo(pCheckInfo);
    }

    // 3. Registered before the window exists, so that its own focus changes count as
    //    changes between menu windows.
    observer.AddReceiver(this);

    // 4. The window builds, sizes and places itself in WM_CREATE. A window that fails during
    //    creation may have deleted this object already.
    bool bGone = false;
    m_pbGone = &bGone;
    RECT rcEmpty = { 0, 0, 0, 0 };
    HWND hWnd = Create(pParentManager->GetPaintWindow(), NULL, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, rcEmpty);
    if (bGone) return false;
    m_pbGone = NULL;
    m_xml = STRINGorID(L"");
    if (hWnd == NULL) {
        RemoveObserver();
        if (pOwner != NULL && pOwner->m_pWindow == this) pOwner->m_pWindow = NULL;
        delete this;
        return false;
    }
    // 5. A skin that could not be built leaves no window behind.
    if (!m_bBuilt) {
        ::DestroyWindow(hWnd);
        return false;
    }

    // 6. Shown; the main window keeps an active caption while the menu has the focus.
    ::ShowWindow(hWnd, SW_SHOW);
    HWND hTop = hWnd;
    for (HWND hParent = ::GetParent(hTop); hParent != NULL; hParent = ::GetParent(hTop)) hTop = hParent;
    ::SendMessageW(hTop, WM_NCACTIVATE, TRUE, 0L);
    return true;
}

LPCTSTR CMenuWnd::GetWindowClassName() const
{
    return L"SkinMenuWnd";
}

CMenuUI* CMenuWnd::GetMenuUI() const
{
    CControlUI* pRoot = m_pm.GetRoot();
    return pRoot != NULL ? static_cast<CMenuUI*>(pRoot->GetInterface(L"Menu")) : NULL;
}

CPaintManagerUI* CMenuWnd::GetManager()
{
    return &m_pm;
}

CMenuElementUI* CMenuWnd::GetOwner() const
{
    return m_pOwner;
}

void CMenuWnd::Detach()
{
    m_pOwner = NULL;
}

CMenuWnd* CMenuWnd::MenuAt(int iIndex)
{
    return dynamic_cast<CMenuWnd*>(GetGlobalContextMenuObserver().GetReceiver(iIndex));
}

CControlUI* CMenuWnd::CreateControl(LPCTSTR pstrClass)
{
    if (_wcsicmp(pstrClass, L"Menu") == 0) return new CMenuUI;
    if (_wcsicmp(pstrClass, L"MenuElement") == 0) return new CMenuElementUI;
    return NULL;
}

void CMenuWnd::Notify(TNotifyUI& msg)
{
    // Controls placed inside items report their clicks and values to the main window.
    CPaintManagerUI* pMain = GetGlobalContextMenuObserver().GetManager();
    if (pMain == NULL) return;
    if (msg.type == L"click" || msg.type == L"valuechanged") pMain->SendNotify(msg, false);
}

int CMenuWnd::Receive(ContextMenuParam param)
{
    switch (param.command) {
    case ContextMenuParam::kCloseAll:
        Close(1);
        break;
    case ContextMenuParam::kCloseSubMenus:
        // Only the windows opened from hWnd, directly or further down; hWnd itself stays.
        for (HWND hParent = ::GetParent(m_hWnd); hParent != NULL; hParent = ::GetParent(hParent)) {
            if (hParent == param.hWnd) {
                Close(1);
                break;
            }
        }
        break;
    default:
        break;
    }
    return 1;
}

LRESULT CMenuWnd::OnCreate()
{
    m_bBuilt = m_pOwner != NULL ? BuildSubMenu() : BuildMenu();
    return 0;
}

bool CMenuWnd::BuildMenu()
{
    // 1. The tree from the skin, through this window's callback for the menu's own names.
    m_pm.Init(m_hWnd);
    CDialogBuilder builder;
    CControlUI* pRoot = builder.Create(m_xml, NULL, this, &m_pm);
    if (pRoot == NULL) return false;

    // 2. Attached and placed; the shadow is made only for the final placement.
    CShadowUI* pShadow = m_pm.GetShadow();
    const bool bShowShadow = pShadow->IsShowShadow();
    pShadow->ShowShadow(false);
    m_pm.AttachDialog(pRoot);
    m_pm.AddNotifier(this);
    ResizeMenu();
    pShadow->ShowShadow(bShowShadow);
    pShadow->Create(&m_pm);
    return true;
}

bool CMenuWnd::BuildSubMenu()
{
    // 1. No caption, children clipped; the frame is recomputed at the current size.
    LONG lStyle = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    lStyle = (lStyle & ~static_cast<LONG>(WS_CAPTION)) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, lStyle);
    RECT rcClient = { 0, 0, 0, 0 };
    ::GetClientRect(m_hWnd, &rcClient);
    ::SetWindowPos(m_hWnd, NULL, rcClient.left, rcClient.top, rcClient.right - rcClient.left,
                   rcClient.bottom - rcClient.top, SWP_FRAMECHANGED);

    // 2. A body of its own over the owner window's resources.
    CPaintManagerUI* pOwnerManager = m_pOwner->GetManager();
    m_pm.Init(m_hWnd);
    m_pLayout = new CMenuUI;
    m_pm.UseParentResource(pOwnerManager);
    m_pLayout->SetManager(&m_pm, NULL, true);

    // 3. The skin's menu styling.
    LPCTSTR pDefaultAttributes = pOwnerManager->GetDefaultAttributeList(L"Menu");
    if (pDefaultAttributes != NULL) m_pLayout->ApplyAttributeList(pDefaultAttributes);

    // 4. The items stay the owner's: neither the body nor its row list may delete them.
    m_pLayout->SetAutoDestroy(false);
    m_pLayout->GetList()->SetAutoDestroy(false);

    // 5. The owner's sub-items become this menu's rows.
    for (int i = 0; i < m_pOwner->GetCount(); i++) {
        CMenuElementUI* pItem = CMenuElementUI::AsMenuElement(m_pOwner->GetItemAt(i));
        if (pItem == NULL) continue;
        pItem->SetOwner(m_pLayout);
        static_cast<IContainerUI*>(m_pLayout)->Add(pItem);
    }

    // 6. The owner window's shadow and drawing settings.
    CShadowUI* pShadow = m_pm.GetShadow();
    pOwnerManager->GetShadow()->CopyShadow(pShadow);
    const bool bShowShadow = pShadow->IsShowShadow();
    pShadow->ShowShadow(false);
    m_pm.SetUseLayeredWindow(pOwnerManager->IsLayeredWindow());
    m_pm.SetUseGdiplusText(pOwnerManager->IsUseGdiplusText());

    // 7. Attached and placed beside the owner's menu.
    m_pm.AttachDialog(m_pLayout);
    m_pm.AddNotifier(this);
    ResizeSubMenu();
    pShadow->ShowShadow(bShowShadow);
    pShadow->Create(&m_pm);
    return true;
}

namespace {

RECT WorkAreaOf(HWND hWnd)
{
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTOPRIMARY), &mi);
    return mi.rcWork;
}

RECT InsetOf(CControlUI* pControl)
{
    RECT rc = { 0, 0, 0, 0 };
    if (pControl == NULL) return rc;
    CContainerUI* pContainer = static_cast<CContainerUI*>(pControl->GetInterface(L"Container"));
    if (pContainer != NULL) rc = pContainer->GetInset();
    return rc;
}

} // namespace

void CMenuWnd::ResizeMenu()
{
    CControlUI* pRoot = m_pm.GetRoot();
    if (pRoot == NULL) return;

    // 1. The size the menu asks for within the work area.
    const RECT rcWork = WorkAreaOf(m_hWnd);
    SIZE szAvailable = { rcWork.right - rcWork.left, rcWork.bottom - rcWork.top };
    szAvailable = pRoot->EstimateSize(szAvailable);
    m_pm.SetInitSize(szAvailable.cx, szAvailable.cy);
    const SIZE szInit = m_pm.GetInitSize();

    // 2. The corner the alignment names lies at the point; the work area does not limit it.
    RECT rc = { m_BasedPoint.x, m_BasedPoint.y, m_BasedPoint.x + szInit.cx, m_BasedPoint.y + szInit.cy };
    if (m_dwAlignment & eMenuAlignment_Right) {
        rc.right = m_BasedPoint.x;
        rc.left = m_BasedPoint.x - szInit.cx;
    }
    if (m_dwAlignment & eMenuAlignment_Bottom) {
        rc.bottom = m_BasedPoint.y;
        rc.top = m_BasedPoint.y - szInit.cy;
    }

    // 3. In front, with the body's vertical inset added to the height.
    ::SetForegroundWindow(m_hWnd);
    ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
    const RECT rcInset = InsetOf(pRoot);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, rc.left, rc.top, rc.right - rc.left,
                   rc.bottom - rc.top + rcInset.top + rcInset.bottom, SWP_SHOWWINDOW);
}

void CMenuWnd::ResizeSubMenu()
{
    // 1. The owner item on the screen and the room there is.
    HWND hParentWnd = m_pOwner->GetManager()->GetPaintWindow();
    RECT rcItem = m_pOwner->GetPos();
    ::MapWindowPoints(hParentWnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&rcItem), 2);
    const RECT rcWork = WorkAreaOf(m_hWnd);
    const SIZE szAvailable = { rcWork.right - rcWork.left, rcWork.bottom - rcWork.top };

    // 2. The sub-items one below the other.
    int cx = 0;
    int cy = 0;
    for (int i = 0; i < m_pOwner->GetCount(); i++) {
        CControlUI* pItem = CMenuElementUI::AsMenuElement(m_pOwner->GetItemAt(i));
        if (pItem == NULL) continue;
        const SIZE sz = pItem->EstimateSize(szAvailable);
        cy += sz.cy;
        if (cx < sz.cx) cx = sz.cx;
    }

    // 3-4. Beside the parent menu window, level with the item.
    RECT rcParent = { 0, 0, 0, 0 };
    ::GetWindowRect(hParentWnd, &rcParent);
    RECT rc = { rcParent.right, rcItem.top, rcParent.right + 2 + cx, rcItem.top + cy };

    // 5. A menu of this chain that already opened beyond the parent's right or bottom edge
    //    sets the direction.
    bool bReachBottom = false;
    bool bReachRight = false;
    const int nReceivers = GetGlobalContextMenuObserver().GetReceiverCount();
    for (int i = 0; i < nReceivers; i++) {
        CMenuWnd* pMenu = MenuAt(i);
        if (pMenu == NULL) continue;
        RECT rcMenu = { 0, 0, 0, 0 };
        ::GetWindowRect(pMenu->GetHWND(), &rcMenu);
        bReachRight = rcMenu.left >= rcParent.right;
        bReachBottom = rcMenu.top >= rcParent.bottom;
        if (pMenu->GetHWND() == hParentWnd || bReachBottom || bReachRight) break;
    }

    // 6. That direction reversed.
    if (bReachBottom) {
        rc.bottom = rcParent.top;
        rc.top = rc.bottom - cy;
    }
    if (bReachRight) {
        rc.right = rcParent.left;
        rc.left = rc.right - cx;
    }

    // 7-10. Inside the work area: above the item's top, left of the parent, and back where
    //       that leaves the area at the top or the left.
    if (rc.bottom > rcWork.bottom) {
        rc.bottom = rc.top;
        rc.top = rc.bottom - cy;
    }
    if (rc.right > rcWork.right) {
        rc.right = rcParent.left;
        rc.left = rc.right - cx;
    }
    if (rc.top < rcWork.top) {
        rc.top = rcItem.top;
        rc.bottom = rc.top + cy;
    }
    if (rc.left < rcWork.left) {
        rc.left = rcParent.right;
        rc.right = rc.left + cx;
    }

    // 11. The body's vertical inset comes on top.
    const RECT rcInset = InsetOf(m_pLayout);
    ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top + rcInset.top + rcInset.bottom,
                 FALSE);
}

void CMenuWnd::OnKillFocus(HWND hWndFocus)
{
    // Focus moving between menu windows keeps them; anywhere else closes them all.
    const int nReceivers = GetGlobalContextMenuObserver().GetReceiverCount();
    for (int i = 0; i < nReceivers; i++) {
        CMenuWnd* pMenu = MenuAt(i);
        if (pMenu != NULL && pMenu->GetHWND() == hWndFocus) return;
    }
    ContextMenuParam param = { ContextMenuParam::kCloseAll, m_hWnd };
    GetGlobalContextMenuObserver().RBroadcast(param);
}

void CMenuWnd::ReturnOwner()
{
    // The owner and with it the sub-items belong to the owner's window again; its manager
    // outlives this window's.
    if (m_pOwner == NULL || m_pOwner->GetManager() == NULL) return;
    m_pOwner->SetManager(m_pOwner->GetManager(), m_pOwner->GetParent(), false);
}

LRESULT CMenuWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lRes = 0;
    switch (uMsg) {
    case WM_CREATE:
        lRes = OnCreate();
        break;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            // The skin's rounded corners; the window owns the region once it is set.
            RECT rcWnd = { 0, 0, 0, 0 };
            ::GetWindowRect(m_hWnd, &rcWnd);
            const SIZE szRound = m_pm.GetRoundCorner();
            HRGN hRgn = ::CreateRoundRectRgn(0, 0, rcWnd.right - rcWnd.left + 1, rcWnd.bottom - rcWnd.top + 1,
                                             szRound.cx, szRound.cy);
            if (hRgn != NULL && !::SetWindowRgn(m_hWnd, hRgn, TRUE)) ::DeleteObject(hRgn);
        }
        break;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<HWND>(wParam));
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE || wParam == VK_LEFT) Close(1);
        break;
    case WM_CLOSE:
        if (m_pOwner != NULL) {
            ReturnOwner();
            m_pOwner->SetPos(m_pOwner->GetPos());
            m_pOwner->SetFocus();
        }
        break;
    case WM_CONTEXTMENU:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        return 0L;
    default:
        break;
    }
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CMenuWnd::OnFinalMessage(HWND)
{
    // 1. No broadcast reaches this window any more.
    RemoveObserver();
    // 2. A sub-menu hands its items back hidden, also when its window went without WM_CLOSE
    //    (destroyed with the parent menu window): they must not keep this window's manager.
    if (m_pOwner != NULL) {
        ReturnOwner();
        m_pOwner->SubMenuClosed(m_pOwner->GetParent());
        m_pOwner = NULL;
    }
    if (m_pbGone != NULL) *m_pbGone = true;
    delete this;
}

} // namespace SkinUI
