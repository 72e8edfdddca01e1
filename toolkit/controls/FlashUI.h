#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include "controls/ActiveXUI.h"
#include "controls/FlashEventHandler.h"
#include "core/PaintManager.h"

namespace SkinUI {

// The Flash player as a toolkit control: it keeps the player's interface, is the sink of the
// player's events (handed to an optional, reference-counted CFlashEventHandler) and, as an
// accelerator translator of its manager, passes keys to the player while the focus is
// inside the player's window.
//
// Its sink counts references but never deletes the control: its container does.
class SKINUI_API CFlashUI : public CActiveXUI, public IDispatch, public ITranslateAccelerator {
public:
    CFlashUI();
    ~CFlashUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    // The control holds one reference on a non-null handler; null drops the current one.
    void SetFlashEventHandler(CFlashEventHandler* pHandler);
    // Connects (TRUE) or disconnects (FALSE) the sink; S_FALSE without a player.
    HRESULT RegisterEventHandler(BOOL inAdvise);

    void ReleaseControl() override;
    bool DoCreateControl() override;

    // IUnknown and IDispatch: the player's _IShockwaveFlashEvents sink
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                                     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // ITranslateAccelerator
    LRESULT TranslateAccelerator(MSG* pMsg) override;

protected:
    // The player's events, passed on to the handler (S_OK without one). The strings are
    // the caller's: they are read, never freed here.
    virtual HRESULT OnReadyStateChange(long newState);
    virtual HRESULT OnProgress(long percentDone);
    virtual HRESULT FSCommand(BSTR command, BSTR args);
    virtual HRESULT FlashCall(BSTR request);

    IDispatch* m_pFlash;
    LONG m_dwRef;
    DWORD m_dwCookie;
    CFlashEventHandler* m_pFlashEventHandler;
    // The manager the accelerator translator was added to, null while it is in none.
    CPaintManagerUI* m_pTranslatorManager;
};

} // namespace SkinUI
