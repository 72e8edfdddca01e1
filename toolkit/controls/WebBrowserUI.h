#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <downloadmgr.h>
#include <servprov.h>
#include "controls/ActiveXUI.h"
#include "controls/WebBrowserEventHandler.h"
#include "core/PaintManager.h"
#include "core/SkinString.h"

// The page's window (mshtml.h, a large header, stays with the control's own source).
struct IHTMLWindow2;

namespace SkinUI {

class CWebBrowserUI;

// The download manager the control offers the browser as a service. It is a part of the
// control: its IUnknown is the control's, and its Download is the control's Download.
class CWebBrowserDownloadManager final : public IDownloadManager {
public:
    explicit CWebBrowserDownloadManager(CWebBrowserUI* pOwner);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, LONG grfBINDF,
                                       BINDINFO* pBindInfo, LPCOLESTR pszHeaders, LPCOLESTR pszRedir,
                                       UINT uiCP) override;

private:
    CWebBrowserUI* m_pOwner;
};

// The platform's web browser as a toolkit control. Besides hosting the browser it is the
// pages' document host UI handler, the command target that keeps script errors quiet, the
// service provider of a download manager, the sink of the browser's events and an
// accelerator translator of its manager. Host decisions go to an optional
// CWebBrowserEventHandler; without one each answers a fixed default.
//
// Its COM parts count references but never delete the control: its container does.
class SKINUI_API CWebBrowserUI : public CActiveXUI,
                                 public IDocHostUIHandler,
                                 public IServiceProvider,
                                 public IOleCommandTarget,
                                 public IDispatch,
                                 public ITranslateAccelerator {
public:
    CWebBrowserUI();
    ~CWebBrowserUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

    void SetHomePage(LPCTSTR lpszUrl);
    LPCTSTR GetHomePage();
    void SetAutoNavigation(bool bAuto = true);
    bool IsAutoNavigation();

    // A null handler leaves the current one in place.
    void SetWebBrowserEventHandler(CWebBrowserEventHandler* pEventHandler);
    void Navigate2(LPCTSTR lpszUrl);
    void Refresh();
    void Refresh2(int Level);
    void GoBack();
    void GoForward();
    void NavigateHomePage();
    void NavigateUrl(LPCTSTR lpszUrl);

    // The browser (no reference added), null while none exists.
    IWebBrowser2* GetWebBrowser2();
    // The page's window as a dispatch interface with one reference for the caller, or null.
    IDispatch* GetHtmlWindow();

    // Late-bound helpers on any dispatch interface; an unknown name gives E_FAIL (FindId -1).
    static DISPID FindId(IDispatch* pObj, LPOLESTR pName);
    static HRESULT InvokeMethod(IDispatch* pObj, LPOLESTR pMethod, VARIANT* pVarResult, VARIANT* ps, int cArgs);
    static HRESULT GetProperty(IDispatch* pObj, LPOLESTR pName, VARIANT* pValue);
    static HRESULT SetProperty(IDispatch* pObj, LPOLESTR pName, VARIANT* pValue);

    // Connects (TRUE) or disconnects (FALSE) the control as the sink of the browser's events.
    HRESULT RegisterEventHandler(BOOL inAdvise);

    void ReleaseControl() override;
    bool DoCreateControl() override;
    // A download the browser hands to its host; S_OK without a handler.
    virtual HRESULT Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, LONG grfBINDF, BINDINFO* pBindInfo,
                             LPCOLESTR pszHeaders, LPCOLESTR pszRedir, UINT uiCP);

    // IUnknown (one identity: the IDocHostUIHandler part)
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: the DWebBrowserEvents2 sink
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* iTInfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                                     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD dwID, POINT* pptPosition, IUnknown* pCommandTarget,
                                              IDispatch* pDispatchObjectHit) override;
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* pInfo) override;
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                                     IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                                     IOleInPlaceUIWindow* pDoc) override;
    HRESULT STDMETHODCALLTYPE HideUI() override;
    HRESULT STDMETHODCALLTYPE UpdateUI() override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                           BOOL fFrameWindow) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) override;
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* pchKey, DWORD dwReserved) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) override;
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** ppDispatch) override;
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD dwTranslate, OLECHAR* pchURLIn, OLECHAR** ppchURLOut) override;
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) override;

    // IServiceProvider
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID guidService, REFIID riid, void** ppvObject) override;

    // IOleCommandTarget
    HRESULT STDMETHODCALLTYPE QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[],
                                          OLECMDTEXT* pCmdText) override;
    HRESULT STDMETHODCALLTYPE Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT* pvaIn,
                                   VARIANT* pvaOut) override;

    // ITranslateAccelerator: keys pressed while the focus is inside the browser's window.
    LRESULT TranslateAccelerator(MSG* pMsg) override;

protected:
    // The browser's events, each handed to the handler when one is set.
    virtual void BeforeNavigate2(IDispatch* pDisp, VARIANT*& url, VARIANT* Flags, VARIANT* TargetFrameName,
                                 VARIANT* PostData, VARIANT* Headers, VARIANT_BOOL*& Cancel);
    virtual void NavigateError(IDispatch* pDisp, VARIANT*& url, VARIANT*& TargetFrameName, VARIANT*& StatusCode,
                               VARIANT_BOOL*& Cancel);
    // Makes the control the new page's UI handler first.
    virtual void NavigateComplete2(IDispatch* pDisp, VARIANT*& url);
    virtual void ProgressChange(LONG nProgress, LONG nProgressMax);
    virtual void NewWindow3(IDispatch** pDisp, VARIANT_BOOL*& Cancel, DWORD dwFlags, BSTR bstrUrlContext, BSTR bstrUrl);
    virtual void CommandStateChange(long Command, VARIANT_BOOL Enable);

    IWebBrowser2* m_pWebBrowser2;
    IHTMLWindow2* m_pHtmlWnd2;
    LONG m_dwRef;
    DWORD m_dwCookie;
    CSkinString m_sHomePage;
    CWebBrowserEventHandler* m_pWebBrowserEventHandler;
    bool m_bAutoNavi;
    // The manager the accelerator translator was added to, null while it is in none.
    CPaintManagerUI* m_pTranslatorManager;
    CWebBrowserDownloadManager m_DownloadManager;

private:
    // Runs one browser event after checking its arguments.
    HRESULT RouteEvent(DISPID dispIdMember, DISPPARAMS* pDispParams);
    void ReleaseBrowser();
};

} // namespace SkinUI
