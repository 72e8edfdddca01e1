#pragma once
#include <windows.h>
#include <mshtmhst.h>

#include <memory>
#include <string>

#include "ClientCall.h"
#include "framework/OleControl.h"

// The web browser control's class id.
extern const CLSID kWebBrowserClassId;

// Creates every control site as a CCustomControlSite and makes the scripting object the
// page's external object.
class CCustomOccManager : public COccManager {
public:
    explicit CCustomOccManager(ClientCall* external) : m_pExternal(external) {}
    ~CCustomOccManager() override = default;
    COleControlSite* CreateSite(CWnd* container) override;

private:
    ClientCall* m_pExternal; // not owned
};

// The scripting object the browser gets from GetExternal; set by every CreateSite.
IDispatch* BrowserExternal();

// The browser's host: no context menu, no 3-D border, no new-window or print keys, the
// scripting object as the page's external object, and the browser's own message boxes.
class CCustomControlSite : public COleControlSite {
public:
    explicit CCustomControlSite(CWnd* container);

    class XDocHostUIHandler : public IDocHostUIHandler {
    public:
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;
        HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                         IOleInPlaceUIWindow*) override
        {
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
        HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
        HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg, const GUID*, DWORD) override;
        HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR*, DWORD) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override;
        HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject**) override { return E_NOTIMPL; }

        CCustomControlSite* Site() { return m_site; }
        CCustomControlSite* m_site = nullptr;
    } m_xDocHostUIHandler;

    class XDocHostShowUI : public IDocHostShowUI {
    public:
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE ShowMessage(HWND, LPOLESTR, LPOLESTR, DWORD, LPOLESTR, DWORD, LRESULT*) override
        {
            return S_FALSE;
        }
        HRESULT STDMETHODCALLTYPE ShowHelp(HWND, LPOLESTR, UINT, DWORD, POINT, IDispatch*) override { return S_OK; }

        CCustomControlSite* Site() { return m_site; }
        CCustomControlSite* m_site = nullptr;
    } m_xDocHostShowUI;

protected:
    ~CCustomControlSite() override = default;
    const SITE_INTERFACE_ENTRY* GetInterfaceMap() const override;
};

// Ctrl+O, Ctrl+P and Ctrl+N are kept from the browser (S_OK); every other key goes on to it
// (S_FALSE). The key states come from the platform unless a test gives its own.
typedef SHORT(WINAPI* KeyStateFn)(int key);
HRESULT FilterBrowserAccelerator(const MSG* msg, KeyStateFn keyState = &::GetKeyState,
                                 KeyStateFn asyncKeyState = &::GetAsyncKeyState);

// The browser control's window wrapper: while it lives, every control site comes from its
// manager.
class CWebBrowser2 : public CWnd {
public:
    CWebBrowser2();
    ~CWebBrowser2() override;

    BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                void* context = nullptr);

    // The browser's automation, by dispatch id.
    HRESULT Navigate(const std::wstring& url);
    HRESULT put_Left(long value);
    HRESULT put_Top(long value);
    HRESULT put_Width(long value);
    HRESULT put_Height(long value);
    HRESULT put_Silent(bool value);
    // The current document, or null; the caller releases it.
    IDispatch* get_Document();

    static const DISPID kNavigate = 104;
    static const DISPID kDocument = 203;
    static const DISPID kLeft = 206;
    static const DISPID kTop = 207;
    static const DISPID kWidth = 208;
    static const DISPID kHeight = 209;
    static const DISPID kSilent = 551;

private:
    HRESULT PutLong(DISPID id, long value);
    std::unique_ptr<CCustomOccManager> m_manager;
    ClientCall* m_external; // lives as long as the process
};
