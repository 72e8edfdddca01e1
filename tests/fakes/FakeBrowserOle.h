#pragma once
// The OLE side shared by the stand-in browser and the stand-in Flash player: a windowed
// in-place object (a plain child window in the host window its site gives) with one
// outgoing event interface. Each call a host makes is noted in the log below, and every
// object of these fakes is counted while it lives, so a test can prove that a host let go
// of everything.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <string>
#include <vector>

namespace fakes {

// What the browser and player fakes were asked, one line per call, in order.
std::vector<std::wstring> BrowserLog();
void ClearBrowserLog();
void NoteBrowserCall(const std::wstring& line);
// How many log lines are exactly line.
int CountBrowserCalls(const std::wstring& line);
// Objects of the browser and player fakes (objects, documents, windows, events) alive now.
int LiveBrowserObjects();
void CountBrowserObject(int delta);

// What a test lets the fakes answer; reset by ResetBrowserScript.
struct BrowserScript {
    // IOleInPlaceActiveObject::TranslateAccelerator's answer.
    HRESULT keyAnswer = S_OK;
    // The script-error event fails to give this property ("errorCode"...); empty: none fails.
    std::wstring failingErrorProperty;
};
BrowserScript& Script();
void ResetBrowserScript();

class FakeOleObject;

// The object's one connection point; its references are the object's.
class FakeConnectionPoint final : public IConnectionPoint {
public:
    FakeConnectionPoint(FakeOleObject* pOwner, REFIID iid);

    // The connected sink (no reference added), null when none.
    IDispatch* Sink() const { return m_pSink; }
    DWORD Cookie() const { return m_dwCookie; }
    // Drops the sink as an object that closes for good would.
    void Disconnect();
    // Calls the sink with the arguments given first to last (they travel last to first).
    HRESULT Fire(DISPID id, VARIANT* pArgs, UINT nCount);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) override;

private:
    FakeOleObject* m_pOwner;
    IID m_iid;
    IDispatch* m_pSink;
    DWORD m_dwCookie;
};

// A windowed ActiveX object: creatable as IOleControl, sited, activated in place in the
// host window of its site, with keys offered through IOleInPlaceActiveObject.
class FakeOleObject : public IOleObject,
                      public IOleInPlaceObject,
                      public IOleInPlaceActiveObject,
                      public IOleControl,
                      public IPersistStreamInit,
                      public IConnectionPointContainer {
public:
    FakeOleObject(REFIID eventsIid, LPCWSTR name);
    FakeOleObject(const FakeOleObject&) = delete;
    FakeOleObject& operator=(const FakeOleObject&) = delete;

    // The references callers hold now.
    LONG Refs() const { return m_refs; }
    // The page's own child window while in-place active, else null.
    HWND Window() const { return m_hWnd; }
    RECT ObjectRect() const { return m_rcObject; }
    IOleClientSite* Site() const { return m_pSite; }
    FakeConnectionPoint& Events() { return m_point; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* pClientSite) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** ppClientSite) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD dwSaveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG iVerb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* pdwStatus) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override { return S_OK; }

    // IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitNew() override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

protected:
    virtual ~FakeOleObject();
    // The object's own main interface for iid (browser, player), or null.
    virtual void* QueryOwn(REFIID riid) = 0;
    // Closing: what the derived object lets go of.
    virtual void OnClose() {}
    void Note(const std::wstring& what) const;

private:
    LONG m_refs;
    std::wstring m_name;
    IOleClientSite* m_pSite;
    IOleInPlaceFrame* m_pFrame;
    HWND m_hWnd;
    RECT m_rcObject;
    FakeConnectionPoint m_point;
};

} // namespace fakes
