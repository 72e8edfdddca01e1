#pragma once
#include <ole2.h>
#include <ocidl.h>
#include "core/ControlUI.h"
#include "core/PaintManager.h"
#include "core/SkinString.h"

namespace SkinUI {

class CActiveXCtrl;

// Embeds an OLE control: made from a class id, a ProgID or a module's class factory, given a
// client site and activated in place inside the control's rectangle. A windowless object
// draws into the paint DC and takes its input through the manager's message filter; any
// other object lives in a CActiveXWnd child window.
//
// Derived controls (browser, player) set m_clsid in their constructor and override
// DoCreateControl/ReleaseControl; their release must chain to CActiveXUI::ReleaseControl so
// that no in-place-active object keeps a site that points at a freed control.
//
// The program initialises OLE (OleInitialize) on the UI thread.
class SKINUI_API CActiveXUI : public CControlUI, public IMessageFilterUI {
    friend class CActiveXCtrl;
    friend class CActiveXWnd;

public:
    CActiveXUI();
    ~CActiveXUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    // The paint window for a windowless object, the CActiveXWnd window otherwise; null
    // while nothing is active.
    HWND GetHostWindow() const;

    bool IsDelayCreate() const;
    void SetDelayCreate(bool bDelayCreate = true);

    // "{...}" is read as a class id, any other text as a ProgID; an unknown one leaves the
    // class id all zero and gives false.
    bool CreateControl(LPCTSTR pstrCLSID);
    bool CreateControl(const CLSID clsid);
    // E_POINTER for a null out, E_PENDING while no object exists, else the object's answer.
    HRESULT GetControl(const IID iid, LPVOID* ppRet);
    CLSID GetClisd() const;
    CSkinString GetModuleName() const;
    void SetModuleName(LPCTSTR pstrText);

    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    void SetPos(RECT rc) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

    // Input of a windowless object (registered as a message filter only for those).
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

    // Drops the object, its site and the message filter; safe on every state.
    virtual void ReleaseControl();
    // Releases what exists, then creates, sites and activates the object; false leaves
    // the control empty, or tells that a "showactivex" receiver deleted it: an override
    // touches nothing of itself after a false answer, and a caller that goes on afterwards
    // holds a CControlLifeGuard.
    virtual bool DoCreateControl();

protected:
    // The object from the named module's class factory, or null; the module stays loaded
    // only when it gave an object.
    IUnknown* CreateFromModule();
    // The host window of a windowed object (a CActiveXWnd child of the paint window).
    HRESULT CreateHostWindow();
    // The item rectangle, moved to (0,0) for a windowed object.
    RECT GetObjectRect() const;
    // A windowed object's host window shown or hidden as the control is.
    void ShowHostWindow();

    CLSID m_clsid;
    CSkinString m_sModuleName;
    bool m_bCreated;
    bool m_bDelayCreate;
    IOleObject* m_pUnk;
    CActiveXCtrl* m_pControl;
    HWND m_hwndHost;
    // The module that served the object; freed after the object when it allows unloading.
    HMODULE m_hModule;
    // The manager whose message filters list this control (once), or null.
    CPaintManagerUI* m_pFilterManager;
};

} // namespace SkinUI
