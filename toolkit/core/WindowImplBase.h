#pragma once
#include "core/SkinDefs.h"
#include "core/SkinString.h"
#include "core/WindowWnd.h"
#include "core/NotifyPump.h"
#include "core/PaintManager.h"
#include "core/DialogBuilder.h"

namespace SkinUI {

// Base of top-level windows drawn entirely from a skin file: builds the control tree when
// the native window is created, replaces the native caption and frame by the skin's
// "caption" and "sizebox" areas, keeps "maxbtn" and "restorebtn" in step with the window
// state and turns clicks on "closebtn", "minbtn", "maxbtn" and "restorebtn" into window
// commands. The order of the virtual operations below is the class's interface.
class SKINUI_API WindowImplBase : public CWindowWnd,
                                  public CNotifyPump,
                                  public INotifyUI,
                                  public IMessageFilterUI,
                                  public IDialogBuilderCallback {
public:
    WindowImplBase();
    virtual ~WindowImplBase();

    // After the skin is attached; nothing here.
    virtual void InitWindow();
    virtual void OnClick(TNotifyUI& msg);

protected:
    // The skin file name (relative to GetSkinFolder).
    virtual CSkinString GetSkinFile() = 0;
    // Return or Escape pressed in the window; the answer never consumes the key.
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM wParam);

    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcActivate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcCalcSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnWindowPosChanging(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnGetMinMaxInfo(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnMouseWheel(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnMouseHover(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    // Messages no handler above kept; handled arrives as it stands.
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    // The window's style without WS_CAPTION.
    virtual LONG GetStyle();

    // Where the skin comes from. The folder (default empty) is put before the file name,
    // so it is relative to the resource path or the resource zip. A non-null type (default
    // null) makes the file name a decimal resource id of that type in the resource module
    // (the folder is not used then).
    virtual CSkinString GetSkinFolder();
    virtual LPCTSTR GetSkinType();

public:
    // IDialogBuilderCallback: the toolkit's names are enough here.
    CControlUI* CreateControl(LPCTSTR pstrClass) override;
    // INotifyUI: through the message map ("click" reaches OnClick).
    void Notify(TNotifyUI& msg) override;
    // IMessageFilterUI, as the manager's pre-message filter.
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

    CPaintManagerUI* GetPaintManager();

protected:
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

    CPaintManagerUI m_PaintManager;

    SKIN_DECLARE_MESSAGE_MAP()
};

} // namespace SkinUI
