#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include "controls/ActiveXWnd.h"
#include "controls/ActiveXCtrl.h"
#include "controls/ActiveXUI.h"

namespace SkinUI {

CActiveXWnd::CActiveXWnd() : m_pOwner(NULL) {}

HWND CActiveXWnd::Init(CActiveXCtrl* pOwner, HWND hWndParent)
{
    m_pOwner = pOwner;
    const UINT uStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    Create(hWndParent, L"UIActiveX", uStyle, 0, 0, 0, 0, 0, NULL);
    return m_hWnd;
}

void CActiveXWnd::Detach()
{
    m_pOwner = NULL;
}

LPCTSTR CActiveXWnd::GetWindowClassName() const
{
    return L"ActiveXWnd";
}

void CActiveXWnd::OnFinalMessage(HWND /*hWnd*/)
{
    // The site deletes this object after destroying the window.
}

void CActiveXWnd::DoVerb(LONG iVerb)
{
    if (m_pOwner == NULL || m_pOwner->GetOwner() == NULL) return;
    IOleObject* pUnk = NULL;
    m_pOwner->GetOwner()->GetControl(IID_IOleObject, reinterpret_cast<LPVOID*>(&pUnk));
    if (pUnk == NULL) return;
    IOleClientSite* pOleClientSite = NULL;
    m_pOwner->QueryInterface(IID_IOleClientSite, reinterpret_cast<LPVOID*>(&pOleClientSite));
    const RECT rcPos = m_pOwner->GetOwner()->GetPos();
    pUnk->DoVerb(iVerb, NULL, pOleClientSite, 0, m_hWnd, &rcPos);
    if (pOleClientSite != NULL) pOleClientSite->Release();
    pUnk->Release();
}

LRESULT CActiveXWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lRes = 0;
    bool bHandled = true;
    switch (uMsg) {
    case WM_PAINT:
        lRes = OnPaint(uMsg, wParam, lParam, bHandled);
        break;
    case WM_SETFOCUS:
        lRes = OnSetFocus(uMsg, wParam, lParam, bHandled);
        break;
    case WM_KILLFOCUS:
        lRes = OnKillFocus(uMsg, wParam, lParam, bHandled);
        break;
    case WM_ERASEBKGND:
        lRes = OnEraseBkgnd(uMsg, wParam, lParam, bHandled);
        break;
    case WM_MOUSEACTIVATE:
        lRes = OnMouseActivate(uMsg, wParam, lParam, bHandled);
        break;
    case WM_MOUSEWHEEL:
        // Kept from the parent: the skin around the object must not scroll with it.
        break;
    default:
        bHandled = false;
    }
    if (!bHandled) return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    return lRes;
}

LRESULT CActiveXWnd::OnMouseActivate(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& bHandled)
{
    if (m_pOwner == NULL || m_pOwner->GetOwner() == NULL) return 0;
    IOleObject* pUnk = NULL;
    m_pOwner->GetOwner()->GetControl(IID_IOleObject, reinterpret_cast<LPVOID*>(&pUnk));
    if (pUnk == NULL) return 0;
    DWORD dwMiscStatus = 0;
    pUnk->GetMiscStatus(DVASPECT_CONTENT, &dwMiscStatus);
    pUnk->Release();
    if ((dwMiscStatus & OLEMISC_NOUIACTIVATE) != 0) return 0;
    if (!m_pOwner->m_bInPlaceActive) DoVerb(OLEIVERB_INPLACEACTIVATE);
    bHandled = false;
    return 0;
}

LRESULT CActiveXWnd::OnSetFocus(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& bHandled)
{
    bHandled = false;
    if (m_pOwner == NULL) return 0;
    m_pOwner->m_bFocused = true;
    if (!m_pOwner->m_bUIActivated) DoVerb(OLEIVERB_UIACTIVATE);
    return 0;
}

LRESULT CActiveXWnd::OnKillFocus(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& bHandled)
{
    bHandled = false;
    if (m_pOwner != NULL) m_pOwner->m_bFocused = false;
    return 0;
}

LRESULT CActiveXWnd::OnEraseBkgnd(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& bHandled)
{
    if (m_pOwner == NULL || m_pOwner->m_pViewObject == NULL) bHandled = false;
    return 1;
}

LRESULT CActiveXWnd::OnPaint(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& /*bHandled*/)
{
    PAINTSTRUCT ps = {};
    ::BeginPaint(m_hWnd, &ps);
    ::EndPaint(m_hWnd, &ps);
    return 1;
}

} // namespace SkinUI
