#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <memory>

#include "Wnd.h"

class COleControlSite;

// Makes the site of every ActiveX control the framework creates. A program installs its own
// manager with AfxEnableControlContainer(manager) to give its sites more interfaces.
class COccManager {
public:
    virtual ~COccManager() = default;
    // A new site for a control in `container`, holding one reference for the container;
    // null when it cannot be made.
    virtual COleControlSite* CreateSite(CWnd* container);
};

// One interface a derived site adds: GetInterfaceMap returns a table of them, ended by a
// row with a null iid. `get` returns the nested implementation inside the site.
struct SITE_INTERFACE_ENTRY {
    const IID* iid;
    IUnknown* (*get)(COleControlSite* site);
};

class COleContainerFrame;
class COleEventSink;

// Hosts one ActiveX control in a window: the control's client site, in-place site, control
// site and ambient properties, the container's in-place frame, and the event sink that
// hands the control's events to the container's event map. Its reference count keeps it
// alive while the control still holds it; the container drops its own reference in
// DestroyControl.
class COleControlSite : public IOleClientSite, public IOleInPlaceSite, public IOleControlSite, public IDispatch {
public:
    explicit COleControlSite(CWnd* container);

    // Creates the control of `clsid` in place at `rect` (the container's client coordinates)
    // as child `id`; `wrapper` (may be null) is attached to the control's window.
    HRESULT CreateControl(CWnd* wrapper, REFCLSID clsid, LPCWSTR name, DWORD style, const RECT& rect, UINT id);
    // Disconnects the events, deactivates and closes the control, lets the wrapper go and
    // drops the container's reference (the site may be gone afterwards).
    void DestroyControl();
    void AttachWrapper(CWnd* wrapper);
    void ForgetWrapper() { m_pWrapper = nullptr; }

    // The control's automation: `args` in their natural order.
    HRESULT InvokeHelper(DISPID id, WORD flags, VARIANT* result, const VARIANT* args = nullptr, UINT count = 0);
    HRESULT SetProperty(DISPID id, const VARIANT& value);
    HRESULT GetProperty(DISPID id, VARIANT* value);
    // A keyboard message for the control while it has the focus: TRUE when the control took it.
    BOOL ForwardKeyboard(MSG* msg);

    UINT GetCtrlID() const { return m_nID; }
    HWND GetControlWindow() const { return m_hWndCtrl; }
    IOleObject* GetControlObject() const { return m_pObject; }
    CWnd* GetContainer() const { return m_pContainer; }
    RECT GetRect() const { return m_rect; }

    // Lookup through the interface map first, then the site's own interfaces.
    HRESULT ExternalQueryInterface(REFIID iid, void** object);
    ULONG ExternalAddRef();
    ULONG ExternalRelease();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return ExternalQueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ExternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ExternalRelease(); }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow and IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    // The control asks for a new place (the browser does so for Left/Top/Width/Height).
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT rect) override;

    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override;

protected:
    virtual ~COleControlSite();
    // The interfaces a derived site adds; null (the default) for none.
    virtual const SITE_INTERFACE_ENTRY* GetInterfaceMap() const { return nullptr; }

private:
    friend class COleContainerFrame;
    void ConnectEvents();

    LONG m_refs = 1;
    CWnd* m_pContainer;
    CWnd* m_pWrapper = nullptr;
    UINT m_nID = 0;
    HWND m_hWndCtrl = nullptr;
    RECT m_rect{};
    IOleObject* m_pObject = nullptr;
    IOleInPlaceObject* m_pInPlaceObject = nullptr;
    IOleInPlaceActiveObject* m_pActiveObject = nullptr;
    IConnectionPoint* m_pEventPoint = nullptr;
    DWORD m_eventCookie = 0;
    std::unique_ptr<COleContainerFrame> m_pFrame;
    std::unique_ptr<COleEventSink> m_pSink;
};

// The default manager when the program installs none.
COccManager* AfxGetDefaultOccManager();
