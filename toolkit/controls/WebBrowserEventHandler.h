#pragma once
#include <windows.h>
#include <ole2.h>
#include <mshtmhst.h>

namespace SkinUI {

// What a program decides for the pages of a CWebBrowserUI. Every operation has the answer
// the control gives when no handler is set, so a program overrides only what it cares about.
// The control does not own its handler.
class CWebBrowserEventHandler {
public:
    // Browser events, with the browser's own argument objects: setting *Cancel to
    // VARIANT_TRUE stops the navigation or the new window.
    virtual void BeforeNavigate2(IDispatch* /*pDisp*/, VARIANT*& /*url*/, VARIANT* /*Flags*/,
                                 VARIANT* /*TargetFrameName*/, VARIANT* /*PostData*/, VARIANT* /*Headers*/,
                                 VARIANT_BOOL*& /*Cancel*/)
    {
    }
    virtual void NavigateError(IDispatch* /*pDisp*/, VARIANT*& /*url*/, VARIANT*& /*TargetFrameName*/,
                               VARIANT*& /*StatusCode*/, VARIANT_BOOL*& /*Cancel*/)
    {
    }
    virtual void NavigateComplete2(IDispatch* /*pDisp*/, VARIANT*& /*url*/) {}
    virtual void ProgressChange(LONG /*nProgress*/, LONG /*nProgressMax*/) {}
    virtual void NewWindow3(IDispatch** /*pDisp*/, VARIANT_BOOL*& /*Cancel*/, DWORD /*dwFlags*/,
                            BSTR /*bstrUrlContext*/, BSTR /*bstrUrl*/)
    {
    }
    virtual void CommandStateChange(LONG /*Command*/, VARIANT_BOOL /*Enable*/) {}

    // The page's host decisions (the document host UI handler's operations).
    virtual HRESULT ShowContextMenu(DWORD /*dwID*/, POINT* /*pptPosition*/, IUnknown* /*pCommandTarget*/,
                                    IDispatch* /*pDispatchObjectHit*/)
    {
        return S_FALSE;
    }
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO* /*pInfo*/) { return E_NOTIMPL; }
    virtual HRESULT ShowUI(DWORD /*dwID*/, IOleInPlaceActiveObject* /*pActiveObject*/,
                           IOleCommandTarget* /*pCommandTarget*/, IOleInPlaceFrame* /*pFrame*/,
                           IOleInPlaceUIWindow* /*pDoc*/)
    {
        return S_OK;
    }
    virtual HRESULT HideUI() { return S_OK; }
    virtual HRESULT UpdateUI() { return S_OK; }
    virtual HRESULT EnableModeless(BOOL /*fEnable*/) { return E_NOTIMPL; }
    virtual HRESULT OnDocWindowActivate(BOOL /*fActivate*/) { return E_NOTIMPL; }
    virtual HRESULT OnFrameWindowActivate(BOOL /*fActivate*/) { return E_NOTIMPL; }
    virtual HRESULT ResizeBorder(LPCRECT /*prcBorder*/, IOleInPlaceUIWindow* /*pUIWindow*/, BOOL /*fFrameWindow*/)
    {
        return E_NOTIMPL;
    }
    virtual HRESULT TranslateAccelerator(LPMSG /*lpMsg*/, const GUID* /*pguidCmdGroup*/, DWORD /*nCmdID*/)
    {
        return S_FALSE;
    }
    virtual HRESULT GetOptionKeyPath(LPOLESTR* /*pchKey*/, DWORD /*dwReserved*/) { return E_NOTIMPL; }
    virtual HRESULT GetDropTarget(IDropTarget* /*pDropTarget*/, IDropTarget** /*ppDropTarget*/) { return S_FALSE; }
    virtual HRESULT GetExternal(IDispatch** /*ppDispatch*/) { return S_FALSE; }
    virtual HRESULT TranslateUrl(DWORD /*dwTranslate*/, OLECHAR* /*pchURLIn*/, OLECHAR** ppchURLOut)
    {
        if (ppchURLOut != NULL) *ppchURLOut = NULL;
        return E_NOTIMPL;
    }
    virtual HRESULT FilterDataObject(IDataObject* /*pDO*/, IDataObject** ppDORet)
    {
        if (ppDORet != NULL) *ppDORet = NULL;
        return E_NOTIMPL;
    }

    // A download the browser hands to its host (the download manager's call).
    virtual HRESULT Download(IMoniker* /*pmk*/, IBindCtx* /*pbc*/, DWORD /*dwBindVerb*/, LONG /*grfBINDF*/,
                             BINDINFO* /*pBindInfo*/, LPCOLESTR /*pszHeaders*/, LPCOLESTR /*pszRedir*/, UINT /*uiCP*/)
    {
        return S_OK;
    }

protected:
    // Never deleted through this interface: the program owns its handler.
    ~CWebBrowserEventHandler() {}
};

} // namespace SkinUI
