#pragma once
#include <map>
#include "core/SkinDefs.h"
#include "core/SkinString.h"
#include "core/SkinRect.h"
#include "core/StdPtrArray.h"
#include "core/WindowWnd.h"
#include "core/PaintManager.h"
#include "core/DialogBuilder.h"

namespace SkinUI {

class CMenuUI;
class CMenuElementUI;

// The message a chosen menu item posts to the main window: wParam 0, lParam 1 when the item
// is checked after the click, else 0; CMenuWnd::GetClickedMenuName() holds the item's name.
// What it means is the receiving program's business.
#define WM_MENUCLICK (WM_USER + 121)

// Check states of the menu's check items by item name, owned by whoever opens the menu, so a
// menu built again shows the states of earlier choices. Unnamed check items share the key "".
typedef std::map<CSkinString, bool> MenuCheckInfo;

// What a broadcast to the open menu windows asks for.
struct ContextMenuParam {
    enum {
        kCloseAll = 1,       // every menu window closes
        kCloseSubMenus = 2   // the menu windows whose chain of parent windows reaches hWnd close
    };
    WPARAM command;
    HWND hWnd;
};

class ReceiverImplBase;

class ObserverImplBase {
public:
    virtual void AddReceiver(ReceiverImplBase* receiver) = 0;
    virtual void RemoveReceiver(ReceiverImplBase* receiver) = 0;
    virtual int RBroadcast(ContextMenuParam param) = 0;
    virtual void SetManger(CPaintManagerUI* pManager) = 0;
    virtual CPaintManagerUI* GetManager() const = 0;
    virtual void SetMenuCheckInfo(MenuCheckInfo* pInfo) = 0;
    virtual MenuCheckInfo* GetMenuCheckInfo() const = 0;

protected:
    ~ObserverImplBase() {}
};

class ReceiverImplBase {
public:
    virtual void AddObserver(ObserverImplBase* observer) = 0;
    virtual void RemoveObserver() = 0;
    virtual int Receive(ContextMenuParam param) = 0;

protected:
    ~ReceiverImplBase() {}
};

// Ties the open menu windows of the process together: they register as receivers and close
// on its broadcasts. It also keeps the main window's manager and the caller's check map of
// the last top-level menu opened; neither is owned.
class SKINUI_API ObserverImpl : public ObserverImplBase {
public:
    ObserverImpl();
    virtual ~ObserverImpl();
    ObserverImpl(const ObserverImpl&) = delete;
    ObserverImpl& operator=(const ObserverImpl&) = delete;

    void AddReceiver(ReceiverImplBase* receiver) override;
    void RemoveReceiver(ReceiverImplBase* receiver) override;
    // From the last registered receiver to the first; answers 0.
    int RBroadcast(ContextMenuParam param) override;
    // A null manager is ignored.
    void SetManger(CPaintManagerUI* pManager) override;
    CPaintManagerUI* GetManager() const override;
    void SetMenuCheckInfo(MenuCheckInfo* pInfo) override;
    MenuCheckInfo* GetMenuCheckInfo() const override;

    int GetReceiverCount() const;
    ReceiverImplBase* GetReceiver(int iIndex) const;

protected:
    CStdPtrArray m_aReceivers;
    CPaintManagerUI* m_pMainManager;
    MenuCheckInfo* m_pCheckInfo;
};

// A member of observers; it leaves all of them when it goes.
class SKINUI_API ReceiverImpl : public ReceiverImplBase {
public:
    ReceiverImpl();
    virtual ~ReceiverImpl();
    ReceiverImpl(const ReceiverImpl&) = delete;
    ReceiverImpl& operator=(const ReceiverImpl&) = delete;

    void AddObserver(ObserverImplBase* observer) override;
    void RemoveObserver() override;
    int Receive(ContextMenuParam param) override;
    // The observer is going away without removing this receiver itself.
    void ForgetObserver(ObserverImplBase* observer);

protected:
    CStdPtrArray m_aObservers;
};

// A popup menu window: topmost, a tool window, built from a skin whose "Menu" holds
// "MenuElement" items (created by this window's own builder callback), or, for a sub-menu,
// from the sub-items of the item it was opened from. It closes on a broadcast, on Escape or
// Left, and when the focus leaves the menu windows; the object deletes itself in its final
// message.
class SKINUI_API CMenuWnd : public CWindowWnd,
                            public ReceiverImpl,
                            public INotifyUI,
                            public IDialogBuilderCallback {
public:
    // Alignment bits: right edge at the point (opens to the left), bottom edge at the point
    // (opens upward); left and top, the default, put the top-left corner there.
    enum {
        eMenuAlignment_Left = 1 << 1,
        eMenuAlignment_Top = 1 << 2,
        eMenuAlignment_Right = 1 << 3,
        eMenuAlignment_Bottom = 1 << 4
    };

    CMenuWnd();

    // Opens a menu at a screen point: a top-level menu (pOwner null) from the skin, with the
    // main window's manager (it receives the choice) and the caller's check map (null turns
    // check states off); a sub-menu from its owner item. Null when nothing was opened: a
    // top-level menu without a main manager, a skin that could not be built.
    static CMenuWnd* CreateMenu(CMenuElementUI* pOwner, STRINGorID xml, POINT point, CPaintManagerUI* pMainManager,
                                MenuCheckInfo* pCheckInfo = NULL,
                                DWORD dwAlignment = eMenuAlignment_Left | eMenuAlignment_Top);
    // As CreateMenu, on a new object. False when nothing was opened; the object is gone then.
    bool Init(CMenuElementUI* pOwner, STRINGorID xml, POINT point, CPaintManagerUI* pMainManager,
              MenuCheckInfo* pCheckInfo = NULL, DWORD dwAlignment = eMenuAlignment_Left | eMenuAlignment_Top);

    static ObserverImpl& GetGlobalContextMenuObserver();
    static void SetClickedMenuName(const CSkinString& sName);
    static CSkinString GetClickedMenuName();

    // The menu body at the root of this window, null when the skin's root is no menu.
    CMenuUI* GetMenuUI() const;
    CPaintManagerUI* GetManager();
    CMenuElementUI* GetOwner() const;
    // The owner item is going away: nothing may reach it any more.
    void Detach();

    LPCTSTR GetWindowClassName() const override;
    int Receive(ContextMenuParam param) override;
    void Notify(TNotifyUI& msg) override;
    // "Menu" and "MenuElement", in any case.
    CControlUI* CreateControl(LPCTSTR pstrClass) override;

protected:
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

    LRESULT OnCreate();
    bool BuildMenu();
    bool BuildSubMenu();
    void OnKillFocus(HWND hWndFocus);
    void ResizeMenu();
    void ResizeSubMenu();
    // Gives the owner item and its sub-items back to the owner's own window.
    void ReturnOwner();
    // The registered menu windows, in registration order.
    static CMenuWnd* MenuAt(int iIndex);

    POINT m_BasedPoint;
    STRINGorID m_xml; // read while the window is created only
    CPaintManagerUI m_pm;
    CMenuElementUI* m_pOwner;
    CMenuUI* m_pLayout;
    DWORD m_dwAlignment;
    bool m_bBuilt;
    bool* m_pbGone; // set by the final message while Init waits for the creation

    static CSkinString s_clickedMenuItem;
};

} // namespace SkinUI
