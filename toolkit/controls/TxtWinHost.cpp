#include <windows.h>
#include <richedit.h>
#include <textserv.h>
#include <wchar.h>
#include "controls/TxtWinHost.h"
#include "controls/ComGuids.h"
#include "controls/RichEditUI.h"
#include "core/ColorRef.h"
#include "core/PaintManager.h"
#include "core/ScrollBarUI.h"

namespace SkinUI {

namespace {

// Property flags of the host.
const DWORD kFlagAutoWordSel = 0x001;
const DWORD kFlagWordWrap = 0x002;
const DWORD kFlagAllowBeep = 0x004;
const DWORD kFlagRichText = 0x008;
const DWORD kFlagSaveSelection = 0x010;
const DWORD kFlagInPlaceActive = 0x020;
const DWORD kFlagTransparent = 0x040;
const DWORD kFlagTimer = 0x080;
const DWORD kFlagCaptured = 0x100;

const LONG kDefaultMaxLength = 32767;
const LONG kHimetricPerInch = 2540;
const LONG kTwipsPerInch = 1440;
const LONG kDefaultTab = 720;
// The scroll-bar and scrolling bits the engine may see: WS_VSCROLL, WS_HSCROLL,
// ES_AUTOVSCROLL, ES_AUTOHSCROLL and ES_DISABLENOSCROLL.
const DWORD kScrollStyleBits = 0x3020C0;
// A count the engine's own AddRef/Release pairs can never bring to zero while the host is
// being torn down.
const LONG kDyingRefCount = 0x40000000;

// The engine's entry; the library stays loaded for the life of the process, since every
// engine made from it runs its code.
PCreateTextServices LoadCreateTextServices()
{
    static PCreateTextServices s_pfn = NULL;
    static bool s_bTried = false;
    if (!s_bTried) {
        s_bTried = true;
        HMODULE hModule = ::LoadLibraryW(L"msftedit.dll");
        if (hModule != NULL)
            s_pfn = reinterpret_cast<PCreateTextServices>(
                reinterpret_cast<void (*)()>(::GetProcAddress(hModule, "CreateTextServices")));
    }
    return s_pfn;
}

// The text of lfFaceName into the format's face (both 32 units, always terminated).
void CopyFaceName(WCHAR* pDest, const WCHAR* pSrc)
{
    wcsncpy(pDest, pSrc, LF_FACESIZE - 1);
    pDest[LF_FACESIZE - 1] = L'\0';
}

} // namespace

CTxtWinHost::CTxtWinHost()
    : m_pOwner(NULL), m_cRef(0), m_pTextServices(NULL), m_dwStyle(0), m_dwFlags(0), m_lSelBarWidth(0),
      m_cchTextMost(kDefaultMaxLength), m_laccelpos(-1), m_chPasswordChar(0)
{
    ::SetRectEmpty(&m_rcClient);
    m_sizelExtent.cx = 0;
    m_sizelExtent.cy = 0;
    ::ZeroMemory(&m_cf, sizeof(m_cf));
    ::ZeroMemory(&m_pf, sizeof(m_pf));
}

CTxtWinHost::~CTxtWinHost()
{
    // A host whose creation failed before the engine existed has nothing to deactivate.
    m_cRef = kDyingRefCount;
    if (m_pTextServices != NULL) {
        ITextServices* pServices = m_pTextServices;
        pServices->OnTxInPlaceDeactivate();
        m_pTextServices = NULL;
        pServices->Release();
    }
}

CTxtWinHost* CTxtWinHost::Create(CRichEditUI* pOwner, const CREATESTRUCTW* pcs)
{
    CTxtWinHost* pHost = new CTxtWinHost;
    if (pHost->Init(pOwner, pcs)) return pHost;
    delete pHost;
    return NULL;
}

bool CTxtWinHost::Init(CRichEditUI* pOwner, const CREATESTRUCTW* pcs)
{
    // 1. Owner and the creator's reference.
    m_pOwner = pOwner;
    m_cRef = 1;
    if (pOwner == NULL || pOwner->GetManager() == NULL) return false;
    // 2. Default formats from the control's font.
    if (!InitDefaultCharFormat(pOwner->GetManager()->GetFont(pOwner->GetFont()))) return false;
    InitDefaultParaFormat();
    // 3. Style, rich text and length limit as the control holds them.
    m_dwStyle = ES_MULTILINE;
    SetFlag(kFlagRichText, pOwner->IsRich());
    m_cchTextMost = pOwner->GetLimitText() > 0 ? pOwner->GetLimitText() : kDefaultMaxLength;
    // 4. The record's style; words wrap unless the box scrolls sideways.
    if (pcs != NULL) {
        m_dwStyle = static_cast<DWORD>(pcs->style);
        if ((m_dwStyle & (ES_AUTOHSCROLL | WS_HSCROLL)) == 0) SetFlag(kFlagWordWrap, true);
    }
    // A password box masks its text: with no character the engine would show it plainly.
    if (m_dwStyle & ES_PASSWORD) m_chPasswordChar = L'*';
    // 5. Alignment.
    if (m_dwStyle & ES_CENTER)
        m_pf.wAlignment = PFA_CENTER;
    else if (m_dwStyle & ES_RIGHT)
        m_pf.wAlignment = PFA_RIGHT;
    // 6. In place from the start.
    SetFlag(kFlagInPlaceActive, true);
    // 7. The engine, reached through its ITextServices.
    PCreateTextServices pfnCreate = LoadCreateTextServices();
    if (pfnCreate == NULL) return false;
    IUnknown* pUnknown = NULL;
    if (FAILED(pfnCreate(NULL, this, &pUnknown)) || pUnknown == NULL) return false;
    void* pServices = NULL;
    const HRESULT hr = pUnknown->QueryInterface(IID_ITextServices, &pServices);
    pUnknown->Release();
    if (FAILED(hr) || pServices == NULL) return false;
    m_pTextServices = static_cast<ITextServices*>(pServices);
    ApplyMaxLength();
    // 8. The initial text.
    if (pcs != NULL && pcs->lpszName != NULL && pcs->lpszName[0] != L'\0') {
        if (FAILED(m_pTextServices->TxSetText(pcs->lpszName))) return false;
    }
    return true;
}

int CTxtWinHost::PaintDeviceCaps(int nIndex) const
{
    // A manager without a window has no paint DC: the screen stands in for it.
    HDC hDC = m_pOwner->GetManager()->GetPaintDC();
    if (hDC != NULL) return ::GetDeviceCaps(hDC, nIndex);
    HDC hScreen = ::GetDC(NULL);
    const int nValue = ::GetDeviceCaps(hScreen, nIndex);
    ::ReleaseDC(NULL, hScreen);
    return nValue;
}

bool CTxtWinHost::ApplyFont(HFONT hFont)
{
    LOGFONTW lf;
    if (hFont == NULL || ::GetObjectW(hFont, sizeof(LOGFONTW), &lf) != static_cast<int>(sizeof(LOGFONTW))) return false;
    m_cf.yHeight = lf.lfHeight * -kTwipsPerInch / PaintDeviceCaps(LOGPIXELSY);
    if (lf.lfWeight >= FW_BOLD) m_cf.dwEffects |= CFE_BOLD;
    if (lf.lfItalic) m_cf.dwEffects |= CFE_ITALIC;
    if (lf.lfUnderline) m_cf.dwEffects |= CFE_UNDERLINE;
    m_cf.bCharSet = lf.lfCharSet;
    m_cf.bPitchAndFamily = lf.lfPitchAndFamily;
    CopyFaceName(m_cf.szFaceName, lf.lfFaceName);
    return true;
}

bool CTxtWinHost::InitDefaultCharFormat(HFONT hFont)
{
    ::ZeroMemory(&m_cf, sizeof(m_cf));
    m_cf.cbSize = sizeof(CHARFORMAT2W);
    m_cf.crTextColor = ToColorRef(m_pOwner->GetTextColor());
    m_cf.yOffset = 0;
    m_cf.dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_OFFSET | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;
    return ApplyFont(hFont);
}

void CTxtWinHost::InitDefaultParaFormat()
{
    ::ZeroMemory(&m_pf, sizeof(m_pf));
    m_pf.cbSize = sizeof(PARAFORMAT2);
    m_pf.dwMask = PFM_ALL;
    m_pf.wAlignment = PFA_LEFT;
    m_pf.cTabCount = 1;
    m_pf.rgxTabs[0] = kDefaultTab;
}

void CTxtWinHost::SetFlag(DWORD dwFlag, bool bOn)
{
    if (bOn)
        m_dwFlags |= dwFlag;
    else
        m_dwFlags &= ~dwFlag;
}

bool CTxtWinHost::HasFlag(DWORD dwFlag) const
{
    return (m_dwFlags & dwFlag) != 0;
}

void CTxtWinHost::NotifyBits(DWORD dwMask, DWORD dwBits)
{
    if (m_pTextServices != NULL) m_pTextServices->OnTxPropertyBitsChange(dwMask, dwBits);
}

// ---- IUnknown ----

HRESULT STDMETHODCALLTYPE CTxtWinHost::QueryInterface(REFIID riid, void** ppvObject)
{
    if (ppvObject == NULL) return E_POINTER;
    if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, IID_ITextHost)) {
        AddRef();
        *ppvObject = static_cast<ITextHost*>(this);
        return S_OK;
    }
    *ppvObject = NULL;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CTxtWinHost::AddRef()
{
    return static_cast<ULONG>(++m_cRef);
}

ULONG STDMETHODCALLTYPE CTxtWinHost::Release()
{
    const LONG cRef = --m_cRef;
    if (cRef == 0) delete this;
    return static_cast<ULONG>(cRef);
}

// ---- ITextHost ----

HDC CTxtWinHost::TxGetDC()
{
    return m_pOwner->GetManager()->GetPaintDC();
}

INT CTxtWinHost::TxReleaseDC(HDC /*hdc*/)
{
    // The DC is the manager's.
    return 1;
}

WINBOOL CTxtWinHost::TxShowScrollBar(INT fnBar, WINBOOL fShow)
{
    CScrollBarUI* pVertical = m_pOwner->GetVerticalScrollBar();
    CScrollBarUI* pHorizontal = m_pOwner->GetHorizontalScrollBar();
    if ((fnBar == SB_VERT || fnBar == SB_BOTH) && pVertical != NULL) pVertical->SetVisible(fShow == TRUE);
    if ((fnBar == SB_HORZ || fnBar == SB_BOTH) && pHorizontal != NULL) pHorizontal->SetVisible(fShow == TRUE);
    return TRUE;
}

WINBOOL CTxtWinHost::TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags)
{
    // The bars are made on demand; the arrows' state only says whether one is shown.
    const bool bShow = fuArrowflags != ESB_DISABLE_BOTH;
    if (fuSBFlags == SB_VERT) {
        m_pOwner->EnableScrollBar(true, m_pOwner->GetHorizontalScrollBar() != NULL);
        m_pOwner->GetVerticalScrollBar()->SetVisible(bShow);
    } else if (fuSBFlags == SB_HORZ) {
        m_pOwner->EnableScrollBar(m_pOwner->GetVerticalScrollBar() != NULL, true);
        m_pOwner->GetHorizontalScrollBar()->SetVisible(bShow);
    } else if (fuSBFlags == SB_BOTH) {
        m_pOwner->EnableScrollBar(true, true);
        m_pOwner->GetVerticalScrollBar()->SetVisible(bShow);
        m_pOwner->GetHorizontalScrollBar()->SetVisible(bShow);
    }
    return TRUE;
}

WINBOOL CTxtWinHost::TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, WINBOOL /*fRedraw*/)
{
    // The engine reports the content's extent; the bar scrolls what the text area cannot show.
    CScrollBarUI* pBar = NULL;
    LONG lPage = 0;
    if (fnBar == SB_VERT) {
        pBar = m_pOwner->GetVerticalScrollBar();
        lPage = m_rcClient.bottom - m_rcClient.top;
    } else if (fnBar == SB_HORZ) {
        pBar = m_pOwner->GetHorizontalScrollBar();
        lPage = m_rcClient.right - m_rcClient.left;
    }
    if (pBar == NULL) return TRUE;
    const LONG lRange = nMaxPos - nMinPos - lPage;
    if (lRange <= 0) {
        pBar->SetVisible(false);
    } else {
        pBar->SetVisible(true);
        pBar->SetScrollRange(static_cast<int>(lRange));
    }
    return TRUE;
}

WINBOOL CTxtWinHost::TxSetScrollPos(INT fnBar, INT nPos, WINBOOL /*fRedraw*/)
{
    CScrollBarUI* pBar = NULL;
    if (fnBar == SB_VERT)
        pBar = m_pOwner->GetVerticalScrollBar();
    else if (fnBar == SB_HORZ)
        pBar = m_pOwner->GetHorizontalScrollBar();
    if (pBar != NULL) pBar->SetScrollPos(nPos);
    return TRUE;
}

void CTxtWinHost::TxInvalidateRect(LPCRECT prc, WINBOOL /*fMode*/)
{
    RECT rc = prc != NULL ? *prc : m_rcClient;
    m_pOwner->GetManager()->Invalidate(rc);
}

void CTxtWinHost::TxViewChange(WINBOOL /*fUpdate*/)
{
    if (m_pOwner->OnTxViewChanged()) m_pOwner->Invalidate();
}

WINBOOL CTxtWinHost::TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight)
{
    CPaintManagerUI* pManager = m_pOwner->GetManager();
    if (pManager->IsLayeredWindow()) {
        // A size of 0 is the platform's "border width", which the engine asks for; the
        // manager draws the caret itself and needs the real size.
        if (xWidth == 0) xWidth = ::GetSystemMetrics(SM_CXBORDER);
        if (yHeight == 0) yHeight = ::GetSystemMetrics(SM_CYBORDER);
        return pManager->CreateCaret(hbmp, xWidth, yHeight) ? TRUE : FALSE;
    }
    return ::CreateCaret(pManager->GetPaintWindow(), hbmp, xWidth, yHeight);
}

WINBOOL CTxtWinHost::TxShowCaret(WINBOOL fShow)
{
    // 1. A plain window shows the native caret.
    CPaintManagerUI* pManager = m_pOwner->GetManager();
    if (!pManager->IsLayeredWindow()) {
        HWND hWnd = pManager->GetPaintWindow();
        return fShow ? ::ShowCaret(hWnd) : ::HideCaret(hWnd);
    }
    // 2. A layered window draws the manager's caret, never in a box that takes no typing.
    if (pManager->GetCurrentCaretRichEdit() == m_pOwner && (m_pOwner->IsReadOnly() || !m_pOwner->Activate())) {
        pManager->ShowCaret(false);
        return TRUE;
    }
    return pManager->ShowCaret(fShow == TRUE) ? TRUE : FALSE;
}

WINBOOL CTxtWinHost::TxSetCaretPos(INT x, INT y)
{
    CPaintManagerUI* pManager = m_pOwner->GetManager();
    if (pManager->IsLayeredWindow()) {
        pManager->SetCaretPos(m_pOwner, x, y);
        return TRUE;
    }
    return ::SetCaretPos(x, y);
}

WINBOOL CTxtWinHost::TxSetTimer(UINT idTimer, UINT uTimeout)
{
    SetFlag(kFlagTimer, true);
    return m_pOwner->GetManager()->SetTimer(m_pOwner, idTimer, uTimeout) ? TRUE : FALSE;
}

void CTxtWinHost::TxKillTimer(UINT idTimer)
{
    m_pOwner->GetManager()->KillTimer(m_pOwner, idTimer);
    SetFlag(kFlagTimer, false);
}

void CTxtWinHost::TxScrollWindowEx(INT /*dx*/, INT /*dy*/, LPCRECT /*lprcScroll*/, LPCRECT /*lprcClip*/,
                                   HRGN /*hrgnUpdate*/, LPRECT /*lprcUpdate*/, UINT /*fuScroll*/)
{
    // The next paint redraws the text area from the engine.
}

void CTxtWinHost::TxSetCapture(WINBOOL fCapture)
{
    if (fCapture)
        m_pOwner->GetManager()->SetCapture();
    else
        m_pOwner->GetManager()->ReleaseCapture();
    SetFlag(kFlagCaptured, fCapture != FALSE);
}

void CTxtWinHost::TxSetFocus()
{
    m_pOwner->SetFocus();
}

void CTxtWinHost::TxSetCursor(HCURSOR hcur, WINBOOL /*fText*/)
{
    ::SetCursor(hcur);
}

WINBOOL CTxtWinHost::TxScreenToClient(LPPOINT lppt)
{
    return ::ScreenToClient(m_pOwner->GetManager()->GetPaintWindow(), lppt);
}

WINBOOL CTxtWinHost::TxClientToScreen(LPPOINT lppt)
{
    return ::ClientToScreen(m_pOwner->GetManager()->GetPaintWindow(), lppt);
}

HRESULT CTxtWinHost::TxActivate(LONG* /*plOldState*/)
{
    return S_OK;
}

HRESULT CTxtWinHost::TxDeactivate(LONG /*lNewState*/)
{
    return S_OK;
}

HRESULT CTxtWinHost::TxGetClientRect(LPRECT prc)
{
    *prc = m_rcClient;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetViewInset(LPRECT prc)
{
    ::SetRectEmpty(prc);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMATW** ppCF)
{
    // The record is a CHARFORMAT2W; its size field tells the engine so.
    *ppCF = reinterpret_cast<const CHARFORMATW*>(&m_cf);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT** ppPF)
{
    *ppPF = reinterpret_cast<const PARAFORMAT*>(&m_pf);
    return S_OK;
}

COLORREF CTxtWinHost::TxGetSysColor(int nIndex)
{
    return ::GetSysColor(nIndex);
}

HRESULT CTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* pstyle)
{
    *pstyle = HasFlag(kFlagTransparent) ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(DWORD* plength)
{
    *plength = static_cast<DWORD>(m_cchTextMost);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(DWORD* pdwScrollBar)
{
    *pdwScrollBar = m_dwStyle & kScrollStyleBits;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(TCHAR* pch)
{
    *pch = m_chPasswordChar;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(LONG* pcp)
{
    *pcp = m_laccelpos;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetExtent(LPSIZEL lpExtent)
{
    *lpExtent = m_sizelExtent;
    return S_OK;
}

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMATW* /*pcf*/)
{
    return S_OK;
}

HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT* /*ppf*/)
{
    return S_OK;
}

HRESULT CTxtWinHost::TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits)
{
    DWORD dwProperties = 0;
    if (HasFlag(kFlagRichText)) dwProperties |= TXTBIT_RICHTEXT;
    if (m_dwStyle & ES_MULTILINE) dwProperties |= TXTBIT_MULTILINE;
    if (m_dwStyle & ES_READONLY) dwProperties |= TXTBIT_READONLY;
    if (m_dwStyle & ES_PASSWORD) dwProperties |= TXTBIT_USEPASSWORD;
    if (!(m_dwStyle & ES_NOHIDESEL)) dwProperties |= TXTBIT_HIDESELECTION;
    if (HasFlag(kFlagAutoWordSel)) dwProperties |= TXTBIT_AUTOWORDSEL;
    if (HasFlag(kFlagWordWrap)) dwProperties |= TXTBIT_WORDWRAP;
    if (HasFlag(kFlagAllowBeep)) dwProperties |= TXTBIT_ALLOWBEEP;
    if (HasFlag(kFlagSaveSelection)) dwProperties |= TXTBIT_SAVESELECTION;
    *pdwBits = dwProperties & dwMask;
    return S_OK;
}

HRESULT CTxtWinHost::TxNotify(DWORD iNotify, void* pv)
{
    if (iNotify == EN_REQUESTRESIZE && pv != NULL) {
        const REQRESIZE* pResize = static_cast<const REQRESIZE*>(pv);
        RECT rc = m_rcClient;
        rc.right = rc.left + pResize->rc.right;
        rc.bottom = rc.top + pResize->rc.bottom;
        SetClientRect(&rc);
    }
    m_pOwner->OnTxNotify(iNotify, pv);
    return S_OK;
}

HIMC CTxtWinHost::TxImmGetContext()
{
    return NULL;
}

void CTxtWinHost::TxImmReleaseContext(HIMC /*himc*/) {}

HRESULT CTxtWinHost::TxGetSelectionBarWidth(LONG* lSelBarWidth)
{
    *lSelBarWidth = m_lSelBarWidth;
    return S_OK;
}

// ---- host operations ----

ITextServices* CTxtWinHost::GetTextServices() const
{
    return m_pTextServices;
}

DWORD CTxtWinHost::GetStyle() const
{
    return m_dwStyle;
}

void CTxtWinHost::SetClientRect(const RECT* prc)
{
    m_rcClient = *prc;
    m_sizelExtent.cx = ::MulDiv(m_rcClient.right - m_rcClient.left, kHimetricPerInch, PaintDeviceCaps(LOGPIXELSX));
    m_sizelExtent.cy = ::MulDiv(m_rcClient.bottom - m_rcClient.top, kHimetricPerInch, PaintDeviceCaps(LOGPIXELSY));
    NotifyBits(TXTBIT_VIEWINSETCHANGE, TXTBIT_VIEWINSETCHANGE);
}

RECT CTxtWinHost::GetControlRect() const
{
    return m_rcClient;
}

void CTxtWinHost::LimitText(LONG nChars)
{
    m_cchTextMost = nChars > 0 ? nChars : kDefaultMaxLength;
    ApplyMaxLength();
}

void CTxtWinHost::ApplyMaxLength()
{
    // Some engines (Wine's) ignore the change notice and read no limit at creation; the
    // limit message sets the same value on every engine.
    NotifyBits(TXTBIT_MAXLENGTHCHANGE, TXTBIT_MAXLENGTHCHANGE);
    if (m_pTextServices == NULL) return;
    LRESULT lResult = 0;
    m_pTextServices->TxSendMessage(EM_EXLIMITTEXT, 0, static_cast<LPARAM>(m_cchTextMost), &lResult);
}

void CTxtWinHost::SetReadOnly(bool bReadOnly)
{
    if (bReadOnly)
        m_dwStyle |= ES_READONLY;
    else
        m_dwStyle &= ~static_cast<DWORD>(ES_READONLY);
    NotifyBits(TXTBIT_READONLY, bReadOnly ? TXTBIT_READONLY : 0);
}

void CTxtWinHost::SetRichTextFlag(bool bRich)
{
    SetFlag(kFlagRichText, bRich);
    NotifyBits(TXTBIT_RICHTEXT, bRich ? TXTBIT_RICHTEXT : 0);
}

void CTxtWinHost::SetWordWrap(bool bWordWrap)
{
    // Stored, so that the engine's later questions answer the same.
    SetFlag(kFlagWordWrap, bWordWrap);
    NotifyBits(TXTBIT_WORDWRAP, bWordWrap ? TXTBIT_WORDWRAP : 0);
}

void CTxtWinHost::SetTransparent(bool bTransparent)
{
    SetFlag(kFlagTransparent, bTransparent);
    NotifyBits(TXTBIT_BACKSTYLECHANGE, 0);
}

void CTxtWinHost::SetColor(DWORD dwArgb)
{
    m_cf.crTextColor = ToColorRef(dwArgb);
    ApplyCharFormat();
}

void CTxtWinHost::SetFont(HFONT hFont)
{
    if (!ApplyFont(hFont)) return;
    ApplyCharFormat();
}

void CTxtWinHost::ApplyCharFormat()
{
    // Some engines (Wine's) ignore the change notice; setting the default format makes
    // every engine take the same record.
    NotifyBits(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
    if (m_pTextServices == NULL) return;
    LRESULT lResult = 0;
    m_pTextServices->TxSendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&m_cf), &lResult);
}

void CTxtWinHost::SetCharFormat(const CHARFORMAT2W& cf)
{
    m_cf = cf;
}

void CTxtWinHost::SetParaFormat(const PARAFORMAT2& pf)
{
    m_pf = pf;
}

bool CTxtWinHost::IsCaptured() const
{
    return HasFlag(kFlagCaptured);
}

BOOL CTxtWinHost::DoSetCursor(const RECT* prc, const POINT* pt)
{
    const RECT rc = prc != NULL ? *prc : m_rcClient;
    if (pt == NULL || !::PtInRect(&rc, *pt) || m_pTextServices == NULL) return FALSE;
    const RECT* pClient = (HasFlag(kFlagInPlaceActive) && prc == NULL) ? NULL : &rc;
    m_pTextServices->OnTxSetCursor(DVASPECT_CONTENT, -1, NULL, NULL, TxGetDC(), NULL, pClient, pt->x, pt->y);
    return TRUE;
}

HRESULT CTxtWinHost::OnTxInPlaceActivate(LPCRECT prcClient)
{
    if (m_pTextServices == NULL) return E_FAIL;
    SetFlag(kFlagInPlaceActive, true);
    const HRESULT hr = m_pTextServices->OnTxInPlaceActivate(prcClient);
    if (FAILED(hr)) SetFlag(kFlagInPlaceActive, false);
    return hr;
}

} // namespace SkinUI
