#pragma once
// Helpers the web browser and Flash controls share: both pass keys to an in-place object
// and both take events from a player or browser whose arguments must be checked first.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

namespace SkinUI {

// Hands a key message to an in-place object while the keyboard focus is in its host window
// or a window inside it: S_FALSE for any other message or focus, E_NOTIMPL without an
// object, else the object's own answer (S_FALSE when it has no in-place active part).
LRESULT TranslateHostedAccelerator(IUnknown* pObject, HWND hwndHost, MSG* pMsg);

// Connects (bAdvise) pSink to pObject's connection point for iidEvents, or disconnects
// the connection *pdwCookie names. A connection is made once and dropped once: connecting
// with a cookie already held does nothing (S_OK), disconnecting without one too (S_FALSE).
// The cookie is 0 after a disconnection, whatever the object answered, and after a failed
// connection. Returns the first failing result or the last result.
HRESULT ConnectEventSink(IUnknown* pObject, REFIID iidEvents, IUnknown* pSink, BOOL bAdvise, DWORD* pdwCookie);

// Checks an event's arguments against the types it must carry (listed first argument
// first; they arrive last to first; VT_I4 also takes VT_UI4): DISP_E_BADPARAMCOUNT for a
// missing list or another count, DISP_E_TYPEMISMATCH (with *puArgErr set) for another type
// or a by-reference argument that points nowhere, else S_OK.
HRESULT CheckEventArguments(const DISPPARAMS* pDispParams, const VARTYPE* pTypes, UINT nCount, UINT* puArgErr);

} // namespace SkinUI
