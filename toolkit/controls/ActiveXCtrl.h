#pragma once
#include <ole2.h>
#include <ocidl.h>
#include "core/SkinDefs.h"

namespace SkinUI {

class CActiveXUI;
class CActiveXWnd;

// The client and in-place site of one hosted object. It lives from the object's creation
// until its owner releases it and the object lets go of it; it deletes itself at a count of
// zero. Its COM identity is the windowless in-place site part.
class SKINUI_API CActiveXCtrl : public IOleClientSite,
                                public IOleInPlaceSiteWindowless,
                                public IOleControlSite,
                                public IObjectWithSite,
                                public IOleContainer {
    friend class CActiveXUI;
    friend class CActiveXWnd;

public:
    CActiveXCtrl();
    CActiveXCtrl(const CActiveXCtrl&) = delete;
    CActiveXCtrl& operator=(const CActiveXCtrl&) = delete;

    // The owner is going away: the site drops the object's interfaces it holds, its host
    // window and the owner, so that a site kept alive by the object reaches nothing freed.
    void Detach();

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObject) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    // IOleClientSite
    STDMETHOD(SaveObject)() override;
    STDMETHOD(GetMoniker)(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
    STDMETHOD(GetContainer)(IOleContainer** ppContainer) override;
    STDMETHOD(ShowObject)() override;
    STDMETHOD(OnShowWindow)(BOOL fShow) override;
    STDMETHOD(RequestNewObjectLayout)() override;

    // IOleWindow
    STDMETHOD(GetWindow)(HWND* phwnd) override;
    STDMETHOD(ContextSensitiveHelp)(BOOL fEnterMode) override;

    // IOleInPlaceSite
    STDMETHOD(CanInPlaceActivate)() override;
    STDMETHOD(OnInPlaceActivate)() override;
    STDMETHOD(OnUIActivate)() override;
    STDMETHOD(GetWindowContext)(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    STDMETHOD(Scroll)(SIZE scrollExtant) override;
    STDMETHOD(OnUIDeactivate)(BOOL fUndoable) override;
    STDMETHOD(OnInPlaceDeactivate)() override;
    STDMETHOD(DiscardUndoState)() override;
    STDMETHOD(DeactivateAndUndo)() override;
    STDMETHOD(OnPosRectChange)(LPCRECT lprcPosRect) override;

    // IOleInPlaceSiteEx
    STDMETHOD(OnInPlaceActivateEx)(BOOL* pfNoRedraw, DWORD dwFlags) override;
    STDMETHOD(OnInPlaceDeactivateEx)(BOOL fNoRedraw) override;
    STDMETHOD(RequestUIActivate)() override;

    // IOleInPlaceSiteWindowless
    STDMETHOD(CanWindowlessActivate)() override;
    STDMETHOD(GetCapture)() override;
    STDMETHOD(SetCapture)(BOOL fCapture) override;
    STDMETHOD(GetFocus)() override;
    STDMETHOD(SetFocus)(BOOL fFocus) override;
    STDMETHOD(GetDC)(LPCRECT pRect, DWORD grfFlags, HDC* phDC) override;
    STDMETHOD(ReleaseDC)(HDC hDC) override;
    STDMETHOD(InvalidateRect)(LPCRECT pRect, BOOL fErase) override;
    STDMETHOD(InvalidateRgn)(HRGN hRGN, BOOL fErase) override;
    STDMETHOD(ScrollRect)(INT dx, INT dy, LPCRECT pRectScroll, LPCRECT pRectClip) override;
    STDMETHOD(AdjustRect)(LPRECT prc) override;
    STDMETHOD(OnDefWindowMessage)(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult) override;

    // IOleControlSite
    STDMETHOD(OnControlInfoChanged)() override;
    STDMETHOD(LockInPlaceActive)(BOOL fLock) override;
    STDMETHOD(GetExtendedControl)(IDispatch** ppDisp) override;
    STDMETHOD(TransformCoords)(POINTL* pPtlHimetric, POINTF* pPtfContainer, DWORD dwFlags) override;
    STDMETHOD(TranslateAccelerator)(MSG* pMsg, DWORD grfModifiers) override;
    STDMETHOD(OnFocus)(BOOL fGotFocus) override;
    STDMETHOD(ShowPropertyFrame)() override;

    // IObjectWithSite
    STDMETHOD(SetSite)(IUnknown* pUnkSite) override;
    STDMETHOD(GetSite)(REFIID riid, LPVOID* ppvSite) override;

    // IOleContainer (IParseDisplayName)
    STDMETHOD(ParseDisplayName)(IBindCtx* pbc, LPOLESTR pszDisplayName, ULONG* pchEaten, IMoniker** ppmkOut) override;
    STDMETHOD(EnumObjects)(DWORD grfFlags, IEnumUnknown** ppenum) override;
    STDMETHOD(LockContainer)(BOOL fLock) override;

    // The owning control; null once it has released the site.
    CActiveXUI* GetOwner() const { return m_pOwner; }

protected:
    // Deleted through Release only.
    virtual ~CActiveXCtrl();

    // The CActiveXWnd the windowed object lives in, made when none exists yet.
    HRESULT CreateActiveXWnd();
    // Drops the host window (the site deletes it after destroying its native window).
    void DestroyActiveXWnd();
    // The paint window of the owner's manager, or null.
    HWND GetPaintWindow() const;
    // Removes the owner from its manager's message filters, when it is listed there.
    void RemoveFilter();
    void UnlockRunning();

    LONG m_dwRef;
    CActiveXUI* m_pOwner;
    CActiveXWnd* m_pWindow;
    IUnknown* m_pUnkSite;
    IViewObject* m_pViewObject;
    // An IOleInPlaceObjectWindowless while windowless, a plain IOleInPlaceObject otherwise.
    IOleInPlaceObject* m_pInPlaceObject;
    bool m_bLocked;
    bool m_bFocused;
    bool m_bCaptured;
    bool m_bUIActivated;
    bool m_bInPlaceActive;
    bool m_bWindowless;
    // The view object is an IViewObjectEx (only then may its hit test be asked).
    bool m_bViewObjectEx;
    // The object locked running at activation, referenced; unlocked at deactivation, or at
    // the owner's release for an object that closes without deactivating.
    IUnknown* m_pLockedObject;
    // The frame's accelerator table: one per site, destroyed with it.
    HACCEL m_hAccel;
};

} // namespace SkinUI
