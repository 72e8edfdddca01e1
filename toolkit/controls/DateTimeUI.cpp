#include <windows.h>
#include <commctrl.h>
#include <wchar.h>
#include "controls/DateTimeUI.h"
#include "controls/OwnedNativeWindow.h"
#include "core/PaintManager.h"

namespace SkinUI {

namespace {

// The picker class must be registered before it is superclassed; once per process.
void InitDateClasses()
{
    static bool s_bDone = false;
    if (s_bDone) return;
    INITCOMMONCONTROLSEX icc = { sizeof(INITCOMMONCONTROLSEX), ICC_DATE_CLASSES };
    ::InitCommonControlsEx(&icc);
    s_bDone = true;
}

} // namespace

// ---- CDateTimeWnd -----------------------------------------------------------------------

CDateTimeWnd::CDateTimeWnd() : m_pOwner(NULL), m_hBkBrush(NULL), m_bInit(false) {}

LPCTSTR CDateTimeWnd::GetWindowClassName() const
{
    return L"DateTimeWnd";
}

LPCTSTR CDateTimeWnd::GetSuperClassName() const
{
    return DATETIMEPICK_CLASSW;
}

void CDateTimeWnd::Detach()
{
    m_pOwner = NULL;
}

void CDateTimeWnd::Init(CDateTimeUI* pOwner)
{
    // 1. The owner writes nothing back until the picker closes with a date. A picker whose
    //    close is still on its way is taken back: that close must not end this edit.
    m_pOwner = pOwner;
    m_close.TakeBack();
    m_pOwner->m_nDTUpdateFlag = CDateTimeUI::DT_NONE;
    CPaintManagerUI* pManager = pOwner->GetManager();
    // The host hears of the window's making and of the focus move, and must not run program
    // code from there: the control and this object must outlive Init.
    CPaintManagerUI::CNativeFocusHold hold(pManager);
    // 2. The window over the whole control; a layered host cannot show a child, so there it
    //    is a popup over the control's screen position.
    if (m_hWnd == NULL) {
        RECT rcPos = pOwner->GetPos();
        UINT uStyle = WS_CHILD;
        if (pManager->IsLayeredWindow()) {
            uStyle = WS_POPUP;
            RECT rcWnd = { 0, 0, 0, 0 };
            ::GetWindowRect(pManager->GetPaintWindow(), &rcWnd);
            ::OffsetRect(&rcPos, rcWnd.left, rcWnd.top);
        }
        InitDateClasses();
        if (Create(pManager->GetPaintWindow(), NULL, uStyle, 0, rcPos) == NULL) return;
        HFONT hFont = pManager->GetFontInfo(pOwner->GetFont())->hFont;
        SendMessageW(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
    }
    // 3. An empty control starts from today.
    if (pOwner->GetText().IsEmpty()) ::GetLocalTime(&pOwner->m_sysTime);
    // 4. The control's time, shown with the native focus.
    SendMessageW(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&pOwner->m_sysTime));
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_bInit = true;
}

HWND CDateTimeWnd::GetDroppedCalendar() const
{
    HWND hCalendar = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, DTM_GETMONTHCAL, 0, 0));
    return hCalendar != NULL && ::IsWindowVisible(hCalendar) ? hCalendar : NULL;
}

LRESULT CDateTimeWnd::KillFocusAnswerForHit(UINT uHit)
{
    return uHit == MCHT_TITLEBTNNEXT || uHit == MCHT_TITLEBTNPREV ? 1 : 0;
}

bool CDateTimeWnd::OwnsWindow(HWND hWnd) const
{
    if (hWnd == NULL) return false;
    if (hWnd == m_hWnd || ::IsChild(m_hWnd, hWnd)) return true;
    HWND hCalendar = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, DTM_GETMONTHCAL, 0, 0));
    return hCalendar != NULL && (hWnd == hCalendar || ::IsChild(hCalendar, hWnd));
}

bool CDateTimeWnd::IsClosing() const
{
    return m_close.IsPending();
}

void CDateTimeWnd::TakeDateAndClose()
{
    if (m_close.IsPending()) return;
    if (m_pOwner != NULL && m_pOwner->m_nDTUpdateFlag == CDateTimeUI::DT_NONE) {
        ::SendMessageW(m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&m_pOwner->m_sysTime));
        m_pOwner->m_nDTUpdateFlag = CDateTimeUI::DT_UPDATE;
        m_pOwner->UpdateText();
    }
    m_close.Ask(m_hWnd);
}

LRESULT CDateTimeWnd::CloseWithDate(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lRes = ::DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
    TakeDateAndClose();
    return lRes;
}

LRESULT CDateTimeWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_close.IsStale(uMsg)) return 0;
    if (uMsg == WM_NOTIFY) {
        ::SetFocus(m_hWnd);
    } else if (uMsg == WM_KILLFOCUS) {
        // While the drop-down is shown the picker stays open; only the month arrows answer 1.
        HWND hCalendar = GetDroppedCalendar();
        if (hCalendar != NULL) {
            MCHITTESTINFO hit = {};
            hit.cbSize = MCHITTESTINFO_V1_SIZE;
            ::GetCursorPos(&hit.pt);
            ::ScreenToClient(hCalendar, &hit.pt);
            ::SendMessageW(hCalendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            return KillFocusAnswerForHit(hit.uHit);
        }
        // The focus moving into the picker's own parts (its calendar on the way to being
        // dropped) keeps it open. Anywhere else it closes with the date, wherever the pointer
        // rests: a picker left open without the focus would never be told again.
        if (OwnsWindow(reinterpret_cast<HWND>(wParam))) return 0;
        return CloseWithDate(uMsg, wParam, lParam);
    } else if (uMsg == WM_KEYUP && (wParam == VK_DELETE || wParam == VK_BACK)) {
        LRESULT lRes = ::DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
        if (m_pOwner != NULL) {
            m_pOwner->m_nDTUpdateFlag = CDateTimeUI::DT_DELETE;
            m_pOwner->UpdateText();
        }
        m_close.Ask(m_hWnd);
        return lRes;
    } else if (uMsg == WM_KEYUP && wParam == VK_ESCAPE) {
        LRESULT lRes = ::DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
        if (m_pOwner != NULL) m_pOwner->m_nDTUpdateFlag = CDateTimeUI::DT_KEEP;
        m_close.Ask(m_hWnd);
        return lRes;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CDateTimeWnd::OnFinalMessage(HWND /*hWnd*/)
{
    if (m_hBkBrush != NULL) ::DeleteObject(m_hBkBrush);
    if (m_pOwner != NULL) {
        m_pOwner->m_pWindow = NULL;
        m_pOwner->Invalidate();
    }
    delete this;
}

// ---- CDateTimeUI ------------------------------------------------------------------------

CDateTimeUI::CDateTimeUI() : m_nDTUpdateFlag(DT_UPDATE), m_bReadOnly(false), m_pWindow(NULL)
{
    ::GetLocalTime(&m_sysTime);
    UpdateText();
    m_nDTUpdateFlag = DT_NONE;
}

CDateTimeUI::~CDateTimeUI()
{
    DestroyOwnedNativeWindow(m_pWindow, m_pManager);
}

LPCTSTR CDateTimeUI::GetClass() const
{
    return L"DateTimeUI";
}

LPVOID CDateTimeUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"DateTime") == 0) return static_cast<CDateTimeUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

SYSTEMTIME& CDateTimeUI::GetTime()
{
    return m_sysTime;
}

void CDateTimeUI::SetTime(SYSTEMTIME* pst)
{
    m_nDTUpdateFlag = DT_UPDATE;
    m_sysTime = *pst;
    Invalidate();
}

void CDateTimeUI::SetReadOnly(bool bReadOnly)
{
    m_bReadOnly = bReadOnly;
    Invalidate();
}

bool CDateTimeUI::IsReadOnly() const
{
    return m_bReadOnly;
}

int CDateTimeUI::GetUpdateState() const
{
    return m_nDTUpdateFlag;
}

CDateTimeWnd* CDateTimeUI::GetNativeWindow() const
{
    return m_pWindow;
}

void CDateTimeUI::UpdateText()
{
    if (m_nDTUpdateFlag == DT_DELETE) {
        SetText(L"");
    } else if (m_nDTUpdateFlag == DT_UPDATE) {
        CSkinString sText;
        sText.SmallFormat(L"%4d-%02d-%02d", m_sysTime.wYear, m_sysTime.wMonth, m_sysTime.wDay);
        SetText(sText.GetData());
    }
}

void CDateTimeUI::OpenNativeWindow()
{
    CDateTimeWnd* pWindow = new CDateTimeWnd;
    m_pWindow = pWindow;
    pWindow->Init(this);
    // A window that could not be made leaves no half-open state behind.
    if (m_pWindow != NULL && !::IsWindow(m_pWindow->GetHWND())) DestroyOwnedNativeWindow(m_pWindow, m_pManager);
}

void CDateTimeUI::ShowNativeWindow()
{
    CPaintManagerUI::CNativeFocusHold hold(m_pManager);
    m_pWindow->Init(this);
    m_pWindow->ShowWindow(true, true);
}

void CDateTimeUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pParent != NULL)
            m_pParent->DoEvent(event);
        else
            CButtonUI::DoEvent(event);
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
            // Coming back before the picker's close arrived: the same picker edits on.
            if (m_pWindow->IsClosing()) ShowNativeWindow();
            return;
        }
        OpenNativeWindow();
        if (m_pWindow != NULL) {
            CPaintManagerUI::CNativeFocusHold hold(m_pManager);
            m_pWindow->ShowWindow(true, true);
        }
    }
    if (event.type == UIEVENT_KILLFOCUS) {
        // The toolkit focus leaving ends the edit even where the native focus did not pass
        // through the picker (a dropped calendar holds it): the date is kept.
        if (m_pWindow != NULL) m_pWindow->TakeDateAndClose();
        if (IsEnabled()) Invalidate();
    }
    if (event.type == UIEVENT_LBUTTONDOWN || event.type == UIEVENT_LBUTTONDBLCLK || event.type == UIEVENT_RBUTTONDOWN) {
        if (IsEnabled()) {
            m_pManager->ReleaseCapture();
            if (IsFocused() && m_pWindow == NULL) {
                OpenNativeWindow();
            } else if (m_pWindow != NULL) {
                ShowNativeWindow();
            }
        }
        return;
    }
    CButtonUI::DoEvent(event);
}

} // namespace SkinUI
