#include <windows.h>
#include "controls/WebBrowserSupport.h"

namespace SkinUI {

LRESULT TranslateHostedAccelerator(IUnknown* pObject, HWND hwndHost, MSG* pMsg)
{
    if (pMsg == NULL || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return S_FALSE;
    if (pObject == NULL) return E_NOTIMPL;
    if (hwndHost == NULL) return S_FALSE;
    for (HWND hWnd = ::GetFocus(); hWnd != NULL; hWnd = ::GetParent(hWnd)) {
        if (hWnd != hwndHost) continue;
        IOleInPlaceActiveObject* pActive = NULL;
        if (FAILED(pObject->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&pActive))) ||
            pActive == NULL)
            return S_FALSE;
        const HRESULT hr = pActive->TranslateAccelerator(pMsg);
        pActive->Release();
        return hr;
    }
    return S_FALSE;
}

HRESULT ConnectEventSink(IUnknown* pObject, REFIID iidEvents, IUnknown* pSink, BOOL bAdvise, DWORD* pdwCookie)
{
    if (bAdvise && *pdwCookie != 0) return S_OK;
    if (!bAdvise && *pdwCookie == 0) return S_FALSE;
    HRESULT hr = E_POINTER;
    IConnectionPointContainer* pContainer = NULL;
    if (pObject != NULL)
        hr = pObject->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&pContainer));
    if (SUCCEEDED(hr) && pContainer != NULL) {
        IConnectionPoint* pPoint = NULL;
        hr = pContainer->FindConnectionPoint(iidEvents, &pPoint);
        if (SUCCEEDED(hr) && pPoint != NULL) {
            hr = bAdvise ? pPoint->Advise(pSink, pdwCookie) : pPoint->Unadvise(*pdwCookie);
            pPoint->Release();
        }
        pContainer->Release();
    }
    // The object keeps no use for a cookie it was asked to forget, whatever it answered.
    if (!bAdvise || FAILED(hr)) *pdwCookie = 0;
    return hr;
}

HRESULT CheckEventArguments(const DISPPARAMS* pDispParams, const VARTYPE* pTypes, UINT nCount, UINT* puArgErr)
{
    if (pDispParams == NULL || pDispParams->cArgs != nCount || (nCount > 0 && pDispParams->rgvarg == NULL))
        return DISP_E_BADPARAMCOUNT;
    for (UINT i = 0; i < nCount; i++) {
        const UINT index = nCount - 1 - i;
        const VARIANTARG& arg = pDispParams->rgvarg[index];
        // A 32-bit number may come signed or not (the type library's DWORD flags); a
        // by-reference argument is written through by the handler, so it must point somewhere.
        const bool bSameType = arg.vt == pTypes[i] || (pTypes[i] == VT_I4 && arg.vt == VT_UI4);
        const bool bFits = bSameType && ((pTypes[i] & VT_BYREF) == 0 || arg.byref != NULL);
        if (!bFits) {
            if (puArgErr != NULL) *puArgErr = index;
            return DISP_E_TYPEMISMATCH;
        }
    }
    return S_OK;
}

} // namespace SkinUI
