#pragma once
#include <ole2.h>
#include <oleidl.h>
#include "core/SkinDefs.h"

namespace SkinUI {

class CActiveXCtrl;

// The in-place frame handed to an object by its site's GetWindowContext. It reaches the
// owning control through the site (whose owner is cleared on release), so a frame the object
// keeps past the control's life answers E_UNEXPECTED instead of touching freed memory.
// Deletes itself at a count of zero.
class SKINUI_API CActiveXFrameWnd : public IOleInPlaceFrame {
public:
    explicit CActiveXFrameWnd(CActiveXCtrl* pSite);
    CActiveXFrameWnd(const CActiveXFrameWnd&) = delete;
    CActiveXFrameWnd& operator=(const CActiveXFrameWnd&) = delete;

    // The object made active by SetActiveObject (no reference added), or null.
    IOleInPlaceActiveObject* GetActiveObject() const { return m_pActiveObject; }

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObject) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    // IOleWindow
    STDMETHOD(GetWindow)(HWND* phwnd) override;
    STDMETHOD(ContextSensitiveHelp)(BOOL fEnterMode) override;

    // IOleInPlaceUIWindow
    STDMETHOD(GetBorder)(LPRECT lprectBorder) override;
    STDMETHOD(RequestBorderSpace)(LPCBORDERWIDTHS pborderwidths) override;
    STDMETHOD(SetBorderSpace)(LPCBORDERWIDTHS pborderwidths) override;
    STDMETHOD(SetActiveObject)(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR pszObjName) override;

    // IOleInPlaceFrame
    STDMETHOD(InsertMenus)(HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths) override;
    STDMETHOD(SetMenu)(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) override;
    STDMETHOD(RemoveMenus)(HMENU hmenuShared) override;
    STDMETHOD(SetStatusText)(LPCOLESTR pszStatusText) override;
    STDMETHOD(EnableModeless)(BOOL fEnable) override;
    STDMETHOD(TranslateAccelerator)(LPMSG lpmsg, WORD wID) override;

protected:
    // Deleted through Release only.
    virtual ~CActiveXFrameWnd();

    LONG m_dwRef;
    CActiveXCtrl* m_pSite;
    IOleInPlaceActiveObject* m_pActiveObject;
};

} // namespace SkinUI
