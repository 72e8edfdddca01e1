#include <windows.h>
#include <stdlib.h>
#include <wchar.h>
#include <vector>
#include "controls/EditUI.h"
#include "controls/OwnedNativeWindow.h"
#include "core/ColorRef.h"
#include "core/PaintManager.h"
#include "core/RenderEngine.h"

namespace SkinUI {

namespace {

const UINT kReflectedCommand = WM_COMMAND + 0x2000;
const UINT kReflectedCtlColorEdit = WM_CTLCOLOREDIT + 0x2000;
const UINT kReflectedCtlColorStatic = WM_CTLCOLORSTATIC + 0x2000;
const DWORD kPlatformColors = 0xFFFFFFFF;

inline bool IsTrueValue(LPCTSTR pstrValue)
{
    return wcscmp(pstrValue, L"true") == 0;
}

} // namespace

// ---- CEditWnd ---------------------------------------------------------------------------

CEditWnd::CEditWnd() : m_pOwner(NULL), m_hBkBrush(NULL), m_bInit(false) {}

LPCTSTR CEditWnd::GetWindowClassName() const
{
    return L"EditWnd";
}

LPCTSTR CEditWnd::GetSuperClassName() const
{
    return L"Edit";
}

void CEditWnd::Detach()
{
    m_pOwner = NULL;
}

void CEditWnd::CloseLater()
{
    m_close.Ask(m_hWnd);
}

bool CEditWnd::IsClosing() const
{
    return m_close.IsPending();
}

void CEditWnd::TakeBack()
{
    m_close.TakeBack();
    CPaintManagerUI::CNativeFocusHold hold(m_pOwner != NULL ? m_pOwner->GetManager() : NULL);
    ::SetFocus(m_hWnd);
}

RECT CEditWnd::CalcEditPos() const
{
    // 1. The control's rectangle less the label's text padding.
    RECT rcPos = m_pOwner->GetPos();
    const RECT rcInset = m_pOwner->GetTextPadding();
    rcPos.left += rcInset.left;
    rcPos.top += rcInset.top;
    rcPos.right -= rcInset.right;
    rcPos.bottom -= rcInset.bottom;
    // 2. A rectangle taller than one line of the font is narrowed to that line, centred.
    const LONG lEditHeight = m_pOwner->GetManager()->GetFontInfo(m_pOwner->GetFont())->tm.tmHeight;
    if (lEditHeight < rcPos.bottom - rcPos.top) {
        rcPos.top += (rcPos.bottom - rcPos.top - lEditHeight) / 2;
        rcPos.bottom = rcPos.top + lEditHeight;
    }
    return rcPos;
}

void CEditWnd::Init(CEditUI* pOwner)
{
    // 1. Owner and place; a layered host cannot show a child, so the edit becomes a popup
    //    over the control's screen position.
    m_pOwner = pOwner;
    CPaintManagerUI* pManager = pOwner->GetManager();
    // The host hears of the window's making and of the focus move, and must not run program
    // code from there: the control and this object must outlive Init.
    CPaintManagerUI::CNativeFocusHold hold(pManager);
    RECT rcPos = CalcEditPos();
    UINT uStyle = WS_CHILD | ES_AUTOHSCROLL;
    if (pManager->IsLayeredWindow()) {
        uStyle = WS_POPUP | WS_VISIBLE | ES_AUTOHSCROLL;
        RECT rcWnd = { 0, 0, 0, 0 };
        ::GetWindowRect(pManager->GetPaintWindow(), &rcWnd);
        ::OffsetRect(&rcPos, rcWnd.left, rcWnd.top);
    }
    if (pOwner->IsPasswordMode()) uStyle |= ES_PASSWORD;
    // 2. The window; a failed creation has already run the final message.
    if (Create(pManager->GetPaintWindow(), NULL, uStyle, 0, rcPos) == NULL) return;
    // 3. Font, limits and text as the control holds them.
    HFONT hFont = pManager->GetFontInfo(pOwner->GetFont())->hFont;
    SendMessageW(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
    SendMessageW(EM_LIMITTEXT, pOwner->GetMaxChar());
    if (pOwner->IsPasswordMode()) SendMessageW(EM_SETPASSWORDCHAR, static_cast<WPARAM>(pOwner->GetPasswordChar()));
    ::SetWindowTextW(m_hWnd, pOwner->GetText().GetData());
    SendMessageW(EM_SETMODIFY, FALSE);
    // The label's text padding already places the window: no inner margins.
    SendMessageW(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
    ::EnableWindow(m_hWnd, pOwner->IsEnabled() ? TRUE : FALSE);
    SendMessageW(EM_SETREADONLY, pOwner->IsReadOnly() ? TRUE : FALSE);
    // 4. Styles the control adds (digits only), then shown with the native focus.
    const LONG_PTR lStyle = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) | pOwner->GetWindowStyls();
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, lStyle);
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_bInit = true;
}

LRESULT CEditWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_close.IsStale(uMsg)) return 0;
    if (uMsg == WM_KILLFOCUS) {
        LRESULT lRes = ::DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
        CloseLater();
        return lRes;
    }
    if (uMsg == kReflectedCommand) {
        const UINT uCode = HIWORD(wParam);
        if (uCode == EN_CHANGE) {
            if (!m_bInit || m_pOwner == NULL) return 0;
            const int nLen = ::GetWindowTextLengthW(m_hWnd) + 1;
            std::vector<wchar_t> text(static_cast<size_t>(nLen), L'\0');
            ::GetWindowTextW(m_hWnd, text.data(), nLen);
            // Assigned directly: SetText would write the text back into this window.
            m_pOwner->m_sText = text.data();
            m_pOwner->GetManager()->SendNotify(m_pOwner, L"textchanged");
        } else if (uCode == EN_UPDATE) {
            ::InvalidateRect(m_hWnd, NULL, FALSE);
        }
        return 0;
    }
    if (uMsg == WM_KEYDOWN && wParam == VK_RETURN) {
        if (m_pOwner != NULL) m_pOwner->GetManager()->SendNotify(m_pOwner, L"return");
        return 0;
    }
    if (uMsg == kReflectedCtlColorEdit || uMsg == kReflectedCtlColorStatic) {
        if (m_pOwner == NULL || m_pOwner->GetNativeEditBkColor() == kPlatformColors) return 0;
        HDC hDC = reinterpret_cast<HDC>(wParam);
        ::SetBkMode(hDC, TRANSPARENT);
        DWORD dwTextColor = m_pOwner->GetNativeEditTextColor();
        if (dwTextColor == 0) dwTextColor = m_pOwner->GetTextColor();
        ::SetTextColor(hDC, ToColorRef(dwTextColor));
        if (m_hBkBrush == NULL) m_hBkBrush = ::CreateSolidBrush(ToColorRef(m_pOwner->GetNativeEditBkColor()));
        return reinterpret_cast<LRESULT>(m_hBkBrush);
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CEditWnd::OnFinalMessage(HWND /*hWnd*/)
{
    if (m_pOwner != NULL) {
        m_pOwner->Invalidate();
        m_pOwner->m_pWindow = NULL;
    }
    if (m_hBkBrush != NULL) ::DeleteObject(m_hBkBrush);
    delete this;
}

// ---- CEditUI ----------------------------------------------------------------------------

CEditUI::CEditUI()
    : m_pWindow(NULL), m_uMaxChar(255), m_bReadOnly(false), m_bPasswordMode(false), m_cPasswordChar(L'*'),
      m_uButtonState(0), m_dwTipValueColor(0xFFBAC0C5), m_dwEditbkColor(kPlatformColors), m_dwEditTextColor(0),
      m_iWindowStyls(0)
{
    ::SetRect(&m_rcTextPadding, 4, 3, 4, 3);
    SetBkColor(0xFFFFFFFF);
}

CEditUI::~CEditUI()
{
    DestroyOwnedNativeWindow(m_pWindow, m_pManager);
}

LPCTSTR CEditUI::GetClass() const
{
    return L"EditUI";
}

LPVOID CEditUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Edit") == 0) return static_cast<CEditUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

UINT CEditUI::GetControlFlags() const
{
    return IsEnabled() ? (UIFLAG_TABSTOP | UIFLAG_SETCURSOR) : 0;
}

CEditWnd* CEditUI::GetNativeWindow() const
{
    return m_pWindow;
}

UINT CEditUI::GetButtonState() const
{
    return m_uButtonState;
}

void CEditUI::OpenNativeWindow()
{
    CEditWnd* pWindow = new CEditWnd;
    m_pWindow = pWindow;
    pWindow->Init(this);
    // A window that could not be made leaves no half-open state behind.
    if (m_pWindow != NULL && !::IsWindow(m_pWindow->GetHWND())) DestroyOwnedNativeWindow(m_pWindow, m_pManager);
}

void CEditUI::SelectNativeText()
{
    if (m_pWindow == NULL) return;
    const int nSize = ::GetWindowTextLengthW(m_pWindow->GetHWND());
    ::SendMessageW(m_pWindow->GetHWND(), EM_SETSEL, 0, nSize == 0 ? 1 : nSize);
}

void CEditUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pParent != NULL)
            m_pParent->DoEvent(event);
        else
            CLabelUI::DoEvent(event);
        return;
    }
    if (event.type == UIEVENT_SETCURSOR && IsEnabled()) {
        ::SetCursor(::LoadCursorW(NULL, IDC_IBEAM));
        return;
    }
    if (event.type == UIEVENT_SIZE && m_pWindow != NULL) m_pManager->SetFocusNeeded(this);
    if (event.type == UIEVENT_MOUSEWHEEL && m_pWindow != NULL) return;
    if (event.type == UIEVENT_SETFOCUS && IsEnabled()) {
        if (m_pWindow != NULL) {
            // Back before the close of the edit arrived (a "killfocus" receiver gave the
            // focus back): the same edit goes on.
            if (m_pWindow->IsClosing()) m_pWindow->TakeBack();
            return;
        }
        OpenNativeWindow();
        Invalidate();
    }
    if (event.type == UIEVENT_KILLFOCUS) {
        // The native edit belongs to the focus: it closes also where the native focus never
        // left it (the control was hidden, or the focus moved on in code).
        if (m_pWindow != NULL) m_pWindow->CloseLater();
        if (IsEnabled()) Invalidate();
    }
    if (event.type == UIEVENT_LBUTTONDOWN || event.type == UIEVENT_LBUTTONDBLCLK || event.type == UIEVENT_RBUTTONDOWN) {
        if (!IsEnabled()) return;
        GetManager()->ReleaseCapture();
        // The press took the native focus to the host on its way, and the edit asked for its
        // close: a press on the focused edit keeps it.
        if (IsFocused() && m_pWindow != NULL && m_pWindow->IsClosing()) m_pWindow->TakeBack();
        if (IsFocused() && m_pWindow == NULL) {
            OpenNativeWindow();
            if (::PtInRect(&m_rcItem, event.mousePos)) SelectNativeText();
        } else if (m_pWindow != NULL) {
            SelectNativeText();
        }
        return;
    }
    if (event.type == UIEVENT_MOUSEMOVE || event.type == UIEVENT_LBUTTONUP || event.type == UIEVENT_CONTEXTMENU) return;
    if (event.type == UIEVENT_MOUSEENTER) {
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    }
    if (event.type == UIEVENT_MOUSELEAVE) {
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    }
    CLabelUI::DoEvent(event);
}

void CEditUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CEditUI::SetText(LPCTSTR pstrText)
{
    m_sText = pstrText != NULL ? pstrText : L"";
    // The window's change notification reports "textchanged".
    if (m_pWindow != NULL) ::SetWindowTextW(m_pWindow->GetHWND(), m_sText.GetData());
    Invalidate();
}

void CEditUI::SetMaxChar(UINT uMax)
{
    m_uMaxChar = uMax;
    if (m_pWindow != NULL) ::SendMessageW(m_pWindow->GetHWND(), EM_LIMITTEXT, m_uMaxChar, 0);
}

UINT CEditUI::GetMaxChar() const
{
    return m_uMaxChar;
}

void CEditUI::SetReadOnly(bool bReadOnly)
{
    if (m_bReadOnly == bReadOnly) return;
    m_bReadOnly = bReadOnly;
    if (m_pWindow != NULL) ::SendMessageW(m_pWindow->GetHWND(), EM_SETREADONLY, m_bReadOnly ? TRUE : FALSE, 0);
    Invalidate();
}

bool CEditUI::IsReadOnly() const
{
    return m_bReadOnly;
}

void CEditUI::SetNumberOnly(bool bNumberOnly)
{
    if (bNumberOnly)
        m_iWindowStyls |= ES_NUMBER;
    else
        m_iWindowStyls &= ~ES_NUMBER;
}

bool CEditUI::IsNumberOnly() const
{
    return (m_iWindowStyls & ES_NUMBER) != 0;
}

int CEditUI::GetWindowStyls() const
{
    return m_iWindowStyls;
}

void CEditUI::SetPasswordMode(bool bPasswordMode)
{
    if (m_bPasswordMode == bPasswordMode) return;
    m_bPasswordMode = bPasswordMode;
    Invalidate();
}

bool CEditUI::IsPasswordMode() const
{
    return m_bPasswordMode;
}

void CEditUI::SetPasswordChar(TCHAR cPasswordChar)
{
    if (m_cPasswordChar == cPasswordChar) return;
    m_cPasswordChar = cPasswordChar;
    if (m_pWindow != NULL)
        ::SendMessageW(m_pWindow->GetHWND(), EM_SETPASSWORDCHAR, static_cast<WPARAM>(m_cPasswordChar), 0);
    Invalidate();
}

TCHAR CEditUI::GetPasswordChar() const
{
    return m_cPasswordChar;
}

void CEditUI::SetNativeEditBkColor(DWORD dwBkColor)
{
    m_dwEditbkColor = dwBkColor;
}

DWORD CEditUI::GetNativeEditBkColor() const
{
    return m_dwEditbkColor;
}

void CEditUI::SetNativeEditTextColor(LPCTSTR pStrColor)
{
    m_dwEditTextColor = ParseColorValue(pStrColor);
}

DWORD CEditUI::GetNativeEditTextColor() const
{
    return m_dwEditTextColor;
}

void CEditUI::SetSel(long nStartChar, long nEndChar)
{
    if (m_pWindow != NULL) ::SendMessageW(m_pWindow->GetHWND(), EM_SETSEL, nStartChar, nEndChar);
}

void CEditUI::SetSelAll()
{
    SetSel(0, -1);
}

void CEditUI::SetReplaceSel(LPCTSTR lpszReplace)
{
    if (m_pWindow != NULL)
        ::SendMessageW(m_pWindow->GetHWND(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(lpszReplace));
}

void CEditUI::SetTipValue(LPCTSTR pStrTipValue)
{
    m_sTipValue = pStrTipValue != NULL ? pStrTipValue : L"";
}

LPCTSTR CEditUI::GetTipValue()
{
    return m_sTipValue.GetData();
}

void CEditUI::SetTipValueColor(LPCTSTR pStrColor)
{
    m_dwTipValueColor = ParseColorValue(pStrColor);
}

DWORD CEditUI::GetTipValueColor() const
{
    return m_dwTipValueColor;
}

void CEditUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    if (m_pWindow == NULL || m_pWindow->GetHWND() == NULL) return;
    RECT rcPos = m_pWindow->CalcEditPos();
    if (m_pManager->IsLayeredWindow()) {
        RECT rcWnd = { 0, 0, 0, 0 };
        ::GetWindowRect(m_pManager->GetPaintWindow(), &rcWnd);
        ::OffsetRect(&rcPos, rcWnd.left, rcWnd.top);
    }
    ::SetWindowPos(m_pWindow->GetHWND(), NULL, rcPos.left, rcPos.top, rcPos.right - rcPos.left,
                   rcPos.bottom - rcPos.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE CEditUI::EstimateSize(SIZE szAvailable)
{
    if (m_cxyFixed.cy == 0 && m_pManager != NULL) {
        SIZE sz = { m_cxyFixed.cx, m_pManager->GetFontInfo(m_iFont)->tm.tmHeight + 6 };
        return sz;
    }
    return CControlUI::EstimateSize(szAvailable);
}

void CEditUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"readonly") == 0) {
        SetReadOnly(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"numberonly") == 0) {
        SetNumberOnly(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"password") == 0) {
        SetPasswordMode(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"passwordchar") == 0) {
        SetPasswordChar(*pstrValue);
    } else if (wcscmp(pstrName, L"maxchar") == 0) {
        SetMaxChar(static_cast<UINT>(_wtoi(pstrValue)));
    } else if (wcscmp(pstrName, L"tipvalue") == 0) {
        SetTipValue(pstrValue);
    } else if (wcscmp(pstrName, L"tipvaluecolor") == 0) {
        SetTipValueColor(pstrValue);
    } else if (wcscmp(pstrName, L"nativetextcolor") == 0) {
        SetNativeEditTextColor(pstrValue);
    } else if (wcscmp(pstrName, L"nativebkcolor") == 0) {
        SetNativeEditBkColor(ParseColorValue(pstrValue));
    } else {
        CLabelUI::SetAttribute(pstrName, pstrValue);
    }
}

void CEditUI::PaintStatusImage(HDC hDC)
{
    // 1. Focus and enablement are read into the state bits at paint time.
    if (IsFocused())
        m_uButtonState |= UISTATE_FOCUSED;
    else
        m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled())
        m_uButtonState |= UISTATE_DISABLED;
    else
        m_uButtonState &= ~UISTATE_DISABLED;
    // 2. The image of the strongest state; one that did not load gives way to the normal one.
    CImageAttribute* pImage = &m_diNormal;
    if (m_uButtonState & UISTATE_DISABLED)
        pImage = &m_diDisabled;
    else if (m_uButtonState & UISTATE_FOCUSED)
        pImage = &m_diFocused;
    else if (m_uButtonState & UISTATE_HOT)
        pImage = &m_diHot;
    if (pImage != &m_diNormal && !pImage->IsLoadSuccess()) pImage = &m_diNormal;
    DrawImage(hDC, *pImage);
}

CSkinString CEditUI::MaskText(LPCTSTR pstrText, TCHAR cPasswordChar)
{
    // The system's CharNextW may step into a surrogate pair; a pair is one character here.
    CSkinString sMasked;
    for (LPCTSTR p = pstrText; *p != L'\0'; p++) {
        if (IS_HIGH_SURROGATE(p[0]) && IS_LOW_SURROGATE(p[1])) p++;
        sMasked += cPasswordChar;
    }
    return sMasked;
}

void CEditUI::PaintText(HDC hDC)
{
    ApplyDefaultColors();
    if (m_pManager == NULL) return;
    // 1. Hint, masked text or the text itself, in their colours.
    const bool bHint = m_sText.IsEmpty() || m_sText == m_sTipValue;
    CSkinString sText;
    DWORD dwColor = m_dwTextColor;
    if (bHint) {
        sText = m_sTipValue;
        dwColor = m_dwTipValueColor;
    } else {
        sText = m_bPasswordMode ? MaskText(m_sText.GetData(), m_cPasswordChar) : m_sText;
    }
    if (!IsEnabled()) dwColor = m_dwDisabledTextColor;
    // 2. One line inside the text padding.
    RECT rc = GetTextRect();
    CRenderEngine::DrawText(hDC, m_pManager, rc, sText.GetData(), dwColor, m_iFont, m_uTextStyle | DT_SINGLELINE);
}

} // namespace SkinUI
