#pragma once
// A fake OLE control of the tests' own: windowless (IViewObjectEx, IOleInPlaceObjectWindowless)
// or windowed (a child window in its site's window), with configurable answers. Every call a
// host makes is written to one record, so a test reads the order of the creation protocol;
// live objects are counted, so a test sees each one released.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <string>
#include <vector>

namespace fakes {

// Made by the factories RegisterFakeControls registers in the process.
extern const CLSID CLSID_FakeWindowless;
extern const CLSID CLSID_FakeWindowed;
// Served only by the module FakeControlModule.dll (not registered in the process).
extern const CLSID CLSID_FakeModuleOnly;
// The module's factory for this class makes no object.
extern const CLSID CLSID_FakeModuleNoObject;

struct FakeControlOptions {
    // GetMiscStatus's answer.
    DWORD miscStatus = 0;
    // InitNew's answer.
    HRESULT initNewResult = S_OK;
    // Which view interfaces are answered: 3 IViewObjectEx and below, 2 IViewObject2 and
    // IViewObject, 1 IViewObject only, 0 none.
    int viewLevel = 3;
    // Whether IOleInPlaceObjectWindowless is answered (a windowless request without it
    // makes the host fall back to a window).
    bool windowlessInterface = true;
    // QueryHitPoint: HITRESULT_HIT inside the bounds when true, never otherwise.
    bool hitInside = true;
    // Close deactivates the object in place first (a control that does not leaves its
    // host to let go of everything it took at activation).
    bool closeDeactivates = true;
    // Draw fills the bounds with this colour.
    COLORREF fill = RGB(0x20, 0x40, 0x80);
    // A windowless activation takes the focus through the site (as an object that is active
    // at once does), and fails when its site cannot give the window context afterwards.
    bool focusOnActivate = false;
};

// Options for the fake controls made from now on (in this module).
void SetNextOptions(const FakeControlOptions& options);
// The record of calls made on fake controls of this module, one line each, e.g.
// "SetClientSite", "InitNew", "DoVerb -5", "Close"; a test may append its own lines.
std::vector<std::wstring>& Calls();
// Fake controls of this module alive now.
int LiveControls();
// Registers both process-wide fake classes (after OLE is started).
bool RegisterFakeControls();
// Makes a fake control as the factories do: windowless asks its site for windowless
// activation, otherwise for a window.
HRESULT CreateFakeControl(bool windowless, REFIID riid, void** ppv);

class FakeControl : public IOleObject,
                    public IOleControl,
                    public IPersistStreamInit,
                    public IViewObjectEx,
                    public IOleInPlaceObjectWindowless,
                    public IOleInPlaceActiveObject,
                    public IObjectWithSite,
                    public IRunnableObject {
public:
    FakeControl(bool windowless, const FakeControlOptions& options);
    FakeControl(const FakeControl&) = delete;
    FakeControl& operator=(const FakeControl&) = delete;

    // The last one made in this module, null once it is gone.
    static FakeControl* Last();

    LONG Refs() const { return m_refs; }
    // Running locks taken through IRunnableObject and not yet given back; each holds a
    // reference, as a lock keeps a real object alive.
    LONG RunningLocks() const { return m_runningLocks; }
    bool IsActive() const { return m_active; }
    bool IsUIActive() const { return m_uiActive; }
    IOleClientSite* ClientSite() const { return m_clientSite; }
    IUnknown* ObjectSite() const { return m_objectSite; }
    // The object's own window (windowed only) and the window it was made in.
    HWND Window() const { return m_window; }
    HWND ParentWindow() const { return m_parent; }
    // The last rectangles given by SetObjectRects and to Draw.
    RECT ObjectRect() const { return m_objectRect; }
    RECT DrawRect() const { return m_drawRect; }
    SIZEL Extent() const { return m_extent; }
    // Messages delivered through OnWindowMessage, in order.
    const std::vector<UINT>& WindowMessages() const { return m_messages; }
    // What the site's GetWindowContext answered at activation.
    HRESULT ContextResult() const { return m_contextResult; }
    const OLEINPLACEFRAMEINFO& FrameInfo() const { return m_frameInfo; }
    IOleInPlaceFrame* Frame() const { return m_frame; }
    // OnWindowMessage answers this result.
    static constexpr LRESULT kMessageResult = 42;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* pSite) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** ppSite) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR szApp, LPCOLESTR szObj) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD dwSaveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG iVerb, LPMSG, IOleClientSite* pSite, LONG, HWND hwndParent,
                                     LPCRECT lprcPosRect) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override { return S_OK; }
    // IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitNew() override;
    // IViewObject, IViewObject2, IViewObjectEx
    HRESULT STDMETHODCALLTYPE Draw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                                   HDC hdcTargetDev, HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL lprcWBounds,
                                   BOOL(STDMETHODCALLTYPE* pfnContinue)(ULONG_PTR dwContinue),
                                   ULONG_PTR dwContinue) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRect(DWORD, LPRECTL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetViewStatus(DWORD* pdwStatus) override;
    HRESULT STDMETHODCALLTYPE QueryHitPoint(DWORD dwAspect, LPCRECT pRectBounds, POINT ptlLoc, LONG lCloseHint,
                                            DWORD* pHitResult) override;
    HRESULT STDMETHODCALLTYPE QueryHitRect(DWORD, LPCRECT, LPCRECT, LONG, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) override
    {
        return E_NOTIMPL;
    }
    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return S_OK; }
    // IOleInPlaceObject, IOleInPlaceObjectWindowless
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget**) override { return E_NOTIMPL; }
    // IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    // IObjectWithSite
    HRESULT STDMETHODCALLTYPE SetSite(IUnknown* pUnkSite) override;
    HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** ppvSite) override;
    // IRunnableObject
    HRESULT STDMETHODCALLTYPE GetRunningClass(LPCLSID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Run(LPBINDCTX) override { return S_OK; }
    BOOL STDMETHODCALLTYPE IsRunning() override { return TRUE; }
    HRESULT STDMETHODCALLTYPE LockRunning(BOOL fLock, BOOL fLastUnlockCloses) override;
    HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL) override { return S_OK; }

private:
    virtual ~FakeControl();
    HRESULT ActivateInPlace(IOleClientSite* pSite);
    void DropFrame();

    LONG m_refs = 1;
    LONG m_runningLocks = 0;
    bool m_windowless;
    FakeControlOptions m_options;
    IOleClientSite* m_clientSite = nullptr;
    IUnknown* m_objectSite = nullptr;
    IOleInPlaceSite* m_inPlaceSite = nullptr;
    IOleInPlaceFrame* m_frame = nullptr;
    IOleInPlaceUIWindow* m_doc = nullptr;
    bool m_active = false;
    bool m_uiActive = false;
    HWND m_window = nullptr;
    HWND m_parent = nullptr;
    RECT m_objectRect{};
    RECT m_drawRect{};
    SIZEL m_extent{};
    std::vector<UINT> m_messages;
    HRESULT m_contextResult = E_PENDING;
    OLEINPLACEFRAMEINFO m_frameInfo{};
};

} // namespace fakes
