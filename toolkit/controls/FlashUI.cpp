#include <windows.h>
#include <wchar.h>
#include "controls/FlashUI.h"
#include "controls/ComGuids.h"
#include "controls/WebBrowserSupport.h"

namespace SkinUI {

namespace {

// The player's published event ids.
const DISPID kReadyStateChange = -609;
const DISPID kProgress = 0x7A6;
const DISPID kFSCommand = 0x96;
const DISPID kFlashCall = 0xC5;

const VARTYPE kOneLong[] = { VT_I4 };
const VARTYPE kOneString[] = { VT_BSTR };
const VARTYPE kTwoStrings[] = { VT_BSTR, VT_BSTR };

// A null BSTR is the empty string.
inline LPCTSTR Text(BSTR s)
{
    return s != NULL ? s : L"";
}

} // namespace

CFlashUI::CFlashUI() : m_pFlash(NULL), m_dwRef(0), m_dwCookie(0), m_pFlashEventHandler(NULL), m_pTranslatorManager(NULL)
{
    m_clsid = CLSID_ShockwaveFlash;
}

CFlashUI::~CFlashUI()
{
    SetFlashEventHandler(NULL);
    CFlashUI::ReleaseControl();
}

LPCTSTR CFlashUI::GetClass() const
{
    return L"Flash";
}

LPVOID CFlashUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"Flash") == 0) return static_cast<CFlashUI*>(this);
    return CActiveXUI::GetInterface(pstrName);
}

void CFlashUI::SetFlashEventHandler(CFlashEventHandler* pHandler)
{
    // The new reference is taken before the old one is dropped: setting the same handler
    // again must not end it.
    if (pHandler != NULL) pHandler->AddRef();
    if (m_pFlashEventHandler != NULL) m_pFlashEventHandler->Release();
    m_pFlashEventHandler = pHandler;
}

HRESULT CFlashUI::RegisterEventHandler(BOOL inAdvise)
{
    if (m_pFlash == NULL) return S_FALSE;
    return ConnectEventSink(m_pFlash, DIID__IShockwaveFlashEvents, static_cast<IDispatch*>(this), inAdvise,
                            &m_dwCookie);
}

void CFlashUI::ReleaseControl()
{
    // 1. Nothing of this control stays registered with the manager or the player.
    if (m_pTranslatorManager != NULL) {
        m_pTranslatorManager->RemoveTranslateAccelerator(static_cast<ITranslateAccelerator*>(this));
        m_pTranslatorManager = NULL;
    }
    RegisterEventHandler(FALSE);
    // 2. The player, then the object and its site.
    if (m_pFlash != NULL) {
        m_pFlash->Release();
        m_pFlash = NULL;
    }
    CActiveXUI::ReleaseControl();
}

bool CFlashUI::DoCreateControl()
{
    // 1. The object, sited and active.
    if (!CActiveXUI::DoCreateControl()) return false;
    // 2. The player and its event connection.
    GetControl(IID_IShockwaveFlash, reinterpret_cast<LPVOID*>(&m_pFlash));
    RegisterEventHandler(TRUE);
    // 3. Keys for the player pass through this control.
    CPaintManagerUI* pManager = GetManager();
    if (pManager != NULL && m_pTranslatorManager == NULL) {
        pManager->AddTranslateAccelerator(static_cast<ITranslateAccelerator*>(this));
        m_pTranslatorManager = pManager;
    }
    return true;
}

HRESULT CFlashUI::QueryInterface(REFIID riid, void** ppvObject)
{
    if (ppvObject == NULL) return E_POINTER;
    *ppvObject = NULL;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, DIID__IShockwaveFlashEvents))
        *ppvObject = static_cast<IDispatch*>(this);
    if (*ppvObject == NULL) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG CFlashUI::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef));
}

ULONG CFlashUI::Release()
{
    return static_cast<ULONG>(::InterlockedDecrement(&m_dwRef));
}

HRESULT CFlashUI::GetTypeInfoCount(UINT* /*pctinfo*/)
{
    return E_NOTIMPL;
}

HRESULT CFlashUI::GetTypeInfo(UINT /*iTInfo*/, LCID /*lcid*/, ITypeInfo** /*ppTInfo*/)
{
    return E_NOTIMPL;
}

HRESULT CFlashUI::GetIDsOfNames(REFIID /*riid*/, LPOLESTR* /*rgszNames*/, UINT /*cNames*/, LCID /*lcid*/,
                                DISPID* /*rgDispId*/)
{
    return E_NOTIMPL;
}

HRESULT CFlashUI::Invoke(DISPID dispIdMember, REFIID /*riid*/, LCID /*lcid*/, WORD /*wFlags*/, DISPPARAMS* pDispParams,
                         VARIANT* /*pVarResult*/, EXCEPINFO* /*pExcepInfo*/, UINT* puArgErr)
{
    // Each routed event is checked against the arguments it must carry; the strings stay
    // the player's.
    HRESULT hr = S_OK;
    switch (dispIdMember) {
    case kReadyStateChange:
        hr = CheckEventArguments(pDispParams, kOneLong, 1, puArgErr);
        return FAILED(hr) ? hr : OnReadyStateChange(pDispParams->rgvarg[0].lVal);
    case kProgress:
        hr = CheckEventArguments(pDispParams, kOneLong, 1, puArgErr);
        return FAILED(hr) ? hr : OnProgress(pDispParams->rgvarg[0].lVal);
    case kFSCommand:
        hr = CheckEventArguments(pDispParams, kTwoStrings, 2, puArgErr);
        return FAILED(hr) ? hr : FSCommand(pDispParams->rgvarg[1].bstrVal, pDispParams->rgvarg[0].bstrVal);
    case kFlashCall:
        hr = CheckEventArguments(pDispParams, kOneString, 1, puArgErr);
        return FAILED(hr) ? hr : FlashCall(pDispParams->rgvarg[0].bstrVal);
    default:
        return S_OK;
    }
}

HRESULT CFlashUI::OnReadyStateChange(long newState)
{
    if (m_pFlashEventHandler != NULL) return m_pFlashEventHandler->OnReadyStateChange(newState);
    return S_OK;
}

HRESULT CFlashUI::OnProgress(long percentDone)
{
    if (m_pFlashEventHandler != NULL) return m_pFlashEventHandler->OnProgress(percentDone);
    return S_OK;
}

HRESULT CFlashUI::FSCommand(BSTR command, BSTR args)
{
    if (m_pFlashEventHandler != NULL) return m_pFlashEventHandler->FSCommand(Text(command), Text(args));
    return S_OK;
}

HRESULT CFlashUI::FlashCall(BSTR request)
{
    if (m_pFlashEventHandler != NULL) return m_pFlashEventHandler->FlashCall(Text(request));
    return S_OK;
}

LRESULT CFlashUI::TranslateAccelerator(MSG* pMsg)
{
    return TranslateHostedAccelerator(m_pFlash, GetHostWindow(), pMsg);
}

} // namespace SkinUI
