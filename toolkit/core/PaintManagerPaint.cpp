#include <windows.h>
#include "core/PaintManager.h"
#include "core/ControlUI.h"
#include "core/RenderEngine.h"
#include "core/GdiScope.h"

namespace SkinUI {

namespace {

// The controls one partial layout has placed already: each is placed at most once per
// paint, so a control that flags itself again from its own SetPos cannot hang the thread.
struct TLayoutPass {
    CStdPtrArray placed;
};

CControlUI* CALLBACK FindPendingLayout(CControlUI* pThis, LPVOID pData)
{
    const TLayoutPass* pPass = static_cast<const TLayoutPass*>(pData);
    return pThis->IsUpdateNeeded() && pPass->placed.Find(pThis) < 0 ? pThis : NULL;
}

} // namespace

// ---- invalidation ----

void CPaintManagerUI::NeedUpdate()
{
    m_bUpdateNeeded = true;
}

void CPaintManagerUI::Invalidate(RECT& rcItem)
{
    if (rcItem.left < 0) rcItem.left = 0;
    if (rcItem.top < 0) rcItem.top = 0;
    if (rcItem.right < rcItem.left) rcItem.right = rcItem.left;
    if (rcItem.bottom < rcItem.top) rcItem.bottom = rcItem.top;
    // An empty rectangle adds nothing to the update region, but asking costs a server round
    // trip: controls not yet laid out ask once each while a skin is built.
    if (m_hWndPaint == NULL || ::IsRectEmpty(&rcItem)) return;
    if (m_dwPaintThread != 0 && ::GetCurrentThreadId() != m_dwPaintThread) {
        // Worker threads do not touch the dirty rect; they ask for a whole layered repaint.
        if (m_bLayered) ::InterlockedExchange(&m_lForeignInvalidate, 1);
        ::InvalidateRect(m_hWndPaint, &rcItem, FALSE);
        return;
    }
    if (m_bLayered) ::UnionRect(&m_rcLayeredUpdate, &m_rcLayeredUpdate, &rcItem);
    ::InvalidateRect(m_hWndPaint, &rcItem, FALSE);
}

const BYTE* CPaintManagerUI::GetLayeredBits(SIZE* pSize) const
{
    if (pSize != NULL) *pSize = m_szOffscreen;
    return m_pOffscreenBits;
}

// ---- the paint road ----

void CPaintManagerUI::OnPaint()
{
    // 1-2. Nothing to update, or nothing to paint it with.
    RECT rcUpdate = {};
    if (!::GetUpdateRect(m_hWndPaint, &rcUpdate, FALSE)) return;
    PAINTSTRUCT ps = {};
    if (m_pRoot == NULL) {
        ::BeginPaint(m_hWndPaint, &ps);
        ::EndPaint(m_hWndPaint, &ps);
        return;
    }
    CLifeGuardScope guard(this);
    RECT rcClient = {};
    ::GetClientRect(m_hWndPaint, &rcClient);
    // 3. Lay out what asked for it (the whole tree when the root did), before the paint
    //    begins: what the layout invalidates joins this paint instead of asking for another,
    //    and "windowinit" handlers do not run inside a paint. A minimised window keeps the
    //    request (and "windowinit") until it has a client area again.
    const bool bIconic = ::IsIconic(m_hWndPaint) != FALSE;
    if (m_bUpdateNeeded && !bIconic && !::IsRectEmpty(&rcClient)) {
        m_bUpdateNeeded = false;
        LayoutTree(rcClient);
        if (!guard.Alive() || IsPaintWindowGone()) return;
    }
    // 4. A focus move waiting for the layout.
    if (m_bFocusNeeded) {
        SetNextTabControl();
        if (!guard.Alive() || IsPaintWindowGone()) return;
    }
    // 5. Begin.
    ::BeginPaint(m_hWndPaint, &ps);
    // 6-7. Paint into the back buffer and put it on the screen.
    if (m_bLayered)
        PaintLayered(ps, rcClient);
    else
        PaintNormal(ps, rcClient);
    // 8. End.
    ::EndPaint(m_hWndPaint, &ps);
    // 9. A control asked for a layout while painting: one more paint follows.
    if (m_bUpdateNeeded && !bIconic) ::InvalidateRect(m_hWndPaint, NULL, FALSE);
}

void CPaintManagerUI::LayoutTree(const RECT& rcClient)
{
    // Placing a control may run code that closes the window (a size handler's focus move, a
    // control made at its first placement): the pass ends there.
    CLifeGuardScope guard(this);
    if (m_pRoot->IsUpdateNeeded()) {
        // 1. The whole tree.
        m_pRoot->SetPos(rcClient);
        if (!guard.Alive() || IsPaintWindowGone()) return;
        DropOffscreen();
    } else {
        // 2. Only the controls that asked, each once.
        TLayoutPass pass;
        for (;;) {
            CControlUI* pControl = m_pRoot->FindControl(FindPendingLayout, &pass, UIFIND_VISIBLE | UIFIND_SELF_FIRST);
            if (pControl == NULL || !pass.placed.Add(pControl)) break;
            pControl->SetPos(pControl->GetPos());
            if (!guard.Alive() || IsPaintWindowGone()) return;
        }
        for (int i = 0; i < pass.placed.GetSize(); i++) {
            if (static_cast<CControlUI*>(pass.placed[i])->IsUpdateNeeded()) {
                ::OutputDebugStringW(L"SkinUI: a control asked for a new layout from inside its own; "
                                     L"it is placed again at the next paint\n");
                m_bUpdateNeeded = true;
                break;
            }
        }
    }
    // 3. A layered window repaints all of itself after a layout.
    if (m_bLayered) m_rcLayeredUpdate = rcClient;
    // 4. The tree is in place for the first time.
    if (m_bFirstLayout) {
        m_bFirstLayout = false;
        SendNotify(m_pRoot, L"windowinit", 0, 0, false);
    }
}

bool CPaintManagerUI::EnsureOffscreen(const RECT& rcClient)
{
    const int cx = rcClient.right - rcClient.left;
    const int cy = rcClient.bottom - rcClient.top;
    if (cx <= 0 || cy <= 0) return false;
    // The buffer follows the client size and the mode, or the paint rect could leave it.
    const bool bLayeredBuffer = m_pOffscreenBits != NULL;
    if (m_hDcOffscreen != NULL && m_szOffscreen.cx == cx && m_szOffscreen.cy == cy && bLayeredBuffer == m_bLayered) {
        return true;
    }
    DropOffscreen();
    m_hDcOffscreen = ::CreateCompatibleDC(m_hDcPaint);
    if (m_bLayered)
        m_hbmpOffscreen = CRenderEngine::CreateBitmap(m_hDcPaint, cx, cy, &m_pOffscreenBits);
    else
        m_hbmpOffscreen = ::CreateCompatibleBitmap(m_hDcPaint, cx, cy);
    if (m_hDcOffscreen == NULL || m_hbmpOffscreen == NULL || (m_bLayered && m_pOffscreenBits == NULL)) {
        DropOffscreen();
        return false;
    }
    m_szOffscreen.cx = cx;
    m_szOffscreen.cy = cy;
    return true;
}

void CPaintManagerUI::PaintLayered(const PAINTSTRUCT& ps, const RECT& rcClient)
{
    // 1. The style that UpdateLayeredWindow needs.
    const LONG_PTR dwExStyle = ::GetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE);
    if ((dwExStyle & WS_EX_LAYERED) == 0) ::SetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE, dwExStyle | WS_EX_LAYERED);
    // 2. What to repaint: the update rect with everything invalidated since the last paint.
    RECT rcPaint = {};
    if (m_bOffscreenPaint || ::InterlockedExchange(&m_lForeignInvalidate, 0) != 0) {
        rcPaint = rcClient;
        m_bOffscreenPaint = false;
    } else {
        ::UnionRect(&rcPaint, &ps.rcPaint, &m_rcLayeredUpdate);
    }
    ::SetRectEmpty(&m_rcLayeredUpdate);
    // 3. The buffer, and the paint rect kept inside it.
    if (!EnsureOffscreen(rcClient)) return;
    const RECT rcBuffer = { 0, 0, m_szOffscreen.cx, m_szOffscreen.cy };
    RECT rcClipped = {};
    ::IntersectRect(&rcClipped, &rcPaint, &rcBuffer);
    rcPaint = rcClipped;
    const int nStride = m_szOffscreen.cx * 4;
    // 4. Clear the paint rect to transparent.
    CScopedSelect selectBitmap(m_hDcOffscreen, m_hbmpOffscreen);
    const int nSaved = ::SaveDC(m_hDcOffscreen);
    // Translucent fills cover whole items: outside the cleared rect they would blend twice.
    ::IntersectClipRect(m_hDcOffscreen, rcPaint.left, rcPaint.top, rcPaint.right, rcPaint.bottom);
    ::GdiFlush();
    for (int y = rcPaint.top; y < rcPaint.bottom; y++) {
        ::ZeroMemory(m_pOffscreenBits + y * nStride + rcPaint.left * 4, (rcPaint.right - rcPaint.left) * 4);
    }
    // 5. The tree, the caret and the post-paint controls.
    if (!::IsRectEmpty(&rcPaint)) {
        m_pRoot->DoPaint(m_hDcOffscreen, rcPaint);
        DrawCaret(m_hDcOffscreen, rcPaint);
        for (int i = 0; i < m_aPostPaintControls.GetSize(); i++) {
            static_cast<CControlUI*>(m_aPostPaintControls[i])->DoPostPaint(m_hDcOffscreen, rcPaint);
        }
    }
    // 6. The rich edit's area stays opaque whatever the painting left in its alpha.
    const RECT& rcCorner = m_rcRichEditCorner;
    if (rcCorner.left > 0 || rcCorner.top > 0 || rcCorner.right > 0 || rcCorner.bottom > 0) {
        RECT rcOpaque = { rcClient.left + rcCorner.left, rcClient.top + rcCorner.top, rcClient.right - rcCorner.right,
                          rcClient.bottom - rcCorner.bottom };
        RECT rcForce = {};
        if (::IntersectRect(&rcForce, &rcOpaque, &rcPaint)) {
            ::GdiFlush();
            for (int y = rcForce.top; y < rcForce.bottom; y++) {
                BYTE* pRow = m_pOffscreenBits + y * nStride;
                for (int x = rcForce.left; x < rcForce.right; x++) pRow[x * 4 + 3] = 255;
            }
        }
    }
    ::RestoreDC(m_hDcOffscreen, nSaved);
    // 7. Hand the buffer to the window; the skin's "alpha" is the constant opacity on top of
    //    the per-pixel one. The window must have no frame: its rect is the client rect.
    RECT rcWnd = {};
    ::GetWindowRect(m_hWndPaint, &rcWnd);
    POINT ptPos = { rcWnd.left, rcWnd.top };
    SIZE szWnd = { rcWnd.right - rcWnd.left, rcWnd.bottom - rcWnd.top };
    POINT ptSrc = { 0, 0 };
    BLENDFUNCTION bf = { AC_SRC_OVER, 0, static_cast<BYTE>(m_nOpacity), AC_SRC_ALPHA };
    ::UpdateLayeredWindow(m_hWndPaint, NULL, &ptPos, &szWnd, m_hDcOffscreen, &ptSrc, 0, &bf, ULW_ALPHA);
}

void CPaintManagerUI::PaintNormal(const PAINTSTRUCT& ps, const RECT& rcClient)
{
    if (!EnsureOffscreen(rcClient)) return;
    CScopedSelect selectBitmap(m_hDcOffscreen, m_hbmpOffscreen);
    const int nSaved = ::SaveDC(m_hDcOffscreen);
    ::IntersectClipRect(m_hDcOffscreen, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
    m_pRoot->DoPaint(m_hDcOffscreen, ps.rcPaint);
    for (int i = 0; i < m_aPostPaintControls.GetSize(); i++) {
        static_cast<CControlUI*>(m_aPostPaintControls[i])->DoPostPaint(m_hDcOffscreen, ps.rcPaint);
    }
    ::RestoreDC(m_hDcOffscreen, nSaved);
    ::BitBlt(ps.hdc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
             ps.rcPaint.bottom - ps.rcPaint.top, m_hDcOffscreen, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
}

void CPaintManagerUI::DrawCaret(HDC hDC, const RECT& rcPaint)
{
    // 1. A caret whose owner lost the focus stops blinking and is wiped.
    if ((m_pCaretControl != NULL && !m_pCaretControl->IsFocused()) || ::GetFocus() != m_hWndPaint) {
        ::KillTimer(m_hWndPaint, CARET_TIMER_ID);
        if (m_bCaretActive) {
            RECT rcCaret = m_rtCaret;
            Invalidate(rcCaret);
            m_bCaretActive = false;
        }
        return;
    }
    // 2. Only in the blink phase that shows it.
    if (!m_bCaretActive || !m_bCaretShowing || m_pCaretControl == NULL) return;
    // 3-4. Its part of the paint rect, in the text colour.
    RECT rcDraw = {};
    if (!::IntersectRect(&rcDraw, &m_rtCaret, &rcPaint)) return;
    DWORD dwColor = s_pfnCaretColor != NULL ? s_pfnCaretColor(m_pCaretControl) : 0;
    if (dwColor == 0) dwColor = GetDefaultFontColor();
    CRenderEngine::DrawColor(hDC, rcDraw, dwColor);
}

} // namespace SkinUI
