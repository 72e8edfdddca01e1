#include <windows.h>
#include <windowsx.h>
#include <imm.h>
#include <richedit.h>
#include <textserv.h>
#include <stdlib.h>
#include <wchar.h>
#include <vector>
#include "controls/RichEditUI.h"
#include "controls/TxtWinHost.h"
#include "core/AttributeValue.h"
#include "core/GdiScope.h"
#include "core/RenderEngine.h"
#include "core/ScrollBarUI.h"

namespace SkinUI {

namespace {

const DWORD kDropAndLinkEvents = ENM_DROPFILES | ENM_LINK;
const int kMaxZoom = 64;

inline bool IsTrueValue(LPCTSTR pstrValue)
{
    return wcscmp(pstrValue, L"true") == 0;
}

inline bool IsMouseMessage(UINT uMsg)
{
    return uMsg >= WM_MOUSEFIRST && uMsg <= WM_MOUSELAST;
}

inline bool IsKeyMessage(UINT uMsg)
{
    return uMsg >= WM_KEYFIRST && uMsg <= WM_KEYLAST;
}

// The paint manager's questions about a focused rich edit and the caret it placed.
bool WantTabOf(CControlUI* pControl)
{
    CRichEditUI* pRichEdit = static_cast<CRichEditUI*>(pControl->GetInterface(L"RichEdit"));
    return pRichEdit != NULL && pRichEdit->IsWantTab();
}

DWORD CaretColorOf(CControlUI* pControl)
{
    CRichEditUI* pRichEdit = static_cast<CRichEditUI*>(pControl->GetInterface(L"RichEdit"));
    return pRichEdit != NULL ? pRichEdit->GetTextColor() : 0;
}

} // namespace

CRichEditUI::CRichEditUI()
    : m_pTwh(NULL), m_bVScrollBarFixing(false), m_bWantTab(true), m_bWantReturn(true), m_bWantCtrlReturn(true),
      m_bRich(true), m_bReadOnly(false), m_bWordWrap(false), m_dwTextColor(0xFF000001), m_iFont(-1),
      m_iLimitText(32767), m_lTwhStyle(ES_MULTILINE), m_bInited(false), m_fAccumulateDBC(false), m_uButtonState(0),
      m_dwTipValueColor(0xFFBAC0C5)
{
    ::SetRectEmpty(&m_rcTextPadding);
    CPaintManagerUI::SetWantTabQuery(&WantTabOf);
    CPaintManagerUI::SetCaretColorQuery(&CaretColorOf);
}

CRichEditUI::~CRichEditUI()
{
    // No message may reach the engine once it is gone: the filter goes first, and the host
    // pointer is cleared before the engine is released, so callbacks during its teardown
    // find no host.
    if (m_pManager != NULL) m_pManager->RemoveMessageFilter(this);
    if (m_pTwh != NULL) {
        CTxtWinHost* pHost = m_pTwh;
        m_pTwh = NULL;
        pHost->Release();
    }
}

LPCTSTR CRichEditUI::GetClass() const
{
    return L"RichEditUI";
}

LPVOID CRichEditUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"RichEdit") == 0) return static_cast<CRichEditUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CRichEditUI::GetControlFlags() const
{
    return IsEnabled() ? (UIFLAG_TABSTOP | UIFLAG_SETCURSOR) : 0;
}

CTxtWinHost* CRichEditUI::GetTextHost() const
{
    return m_pTwh;
}

// ---- stored settings ----

bool CRichEditUI::IsWantTab() const
{
    return m_bWantTab;
}
void CRichEditUI::SetWantTab(bool bWantTab)
{
    m_bWantTab = bWantTab;
}
bool CRichEditUI::IsWantReturn() const
{
    return m_bWantReturn;
}
void CRichEditUI::SetWantReturn(bool bWantReturn)
{
    m_bWantReturn = bWantReturn;
}
bool CRichEditUI::IsWantCtrlReturn() const
{
    return m_bWantCtrlReturn;
}
void CRichEditUI::SetWantCtrlReturn(bool bWantCtrlReturn)
{
    m_bWantCtrlReturn = bWantCtrlReturn;
}

bool CRichEditUI::IsRich() const
{
    return m_bRich;
}
void CRichEditUI::SetRich(bool bRich)
{
    m_bRich = bRich;
    if (m_pTwh != NULL) m_pTwh->SetRichTextFlag(bRich);
}

bool CRichEditUI::IsReadOnly() const
{
    return m_bReadOnly;
}
void CRichEditUI::SetReadOnly(bool bReadOnly)
{
    m_bReadOnly = bReadOnly;
    if (m_pTwh != NULL) m_pTwh->SetReadOnly(bReadOnly);
}

bool CRichEditUI::GetWordWrap() const
{
    return m_bWordWrap;
}
void CRichEditUI::SetWordWrap(bool bWordWrap)
{
    m_bWordWrap = bWordWrap;
    if (m_pTwh != NULL) m_pTwh->SetWordWrap(bWordWrap);
}

int CRichEditUI::GetFont() const
{
    return m_iFont;
}
void CRichEditUI::SetFont(int index)
{
    m_iFont = index;
    if (m_pTwh != NULL && m_pManager != NULL) m_pTwh->SetFont(m_pManager->GetFont(m_iFont));
}

void CRichEditUI::SetFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    if (m_pTwh == NULL || pStrFontName == NULL) return;
    // 1. The stock GUI font with the given face (cut to fit with its terminator) and size.
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &lf);
    wcsncpy(lf.lfFaceName, pStrFontName, LF_FACESIZE - 1);
    lf.lfFaceName[LF_FACESIZE - 1] = L'\0';
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -nSize;
    // 2. Bold adds to the stock weight, as the manager's fonts do.
    if (bBold) lf.lfWeight += FW_BOLD;
    if (bUnderline) lf.lfUnderline = TRUE;
    if (bItalic) lf.lfItalic = TRUE;
    // 3. The host copies what it needs; the font itself is not kept.
    CScopedGdiObject<HFONT> font(::CreateFontIndirectW(&lf));
    if (font.Get() != NULL) m_pTwh->SetFont(font.Get());
}

LONG CRichEditUI::GetWinStyle() const
{
    return m_lTwhStyle;
}
void CRichEditUI::SetWinStyle(LONG lStyle)
{
    m_lTwhStyle = lStyle;
}

DWORD CRichEditUI::GetTextColor() const
{
    return m_dwTextColor;
}
void CRichEditUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
    if (m_pTwh != NULL) m_pTwh->SetColor(dwTextColor);
}

int CRichEditUI::GetLimitText() const
{
    return m_iLimitText;
}
void CRichEditUI::SetLimitText(int iChars)
{
    m_iLimitText = iChars;
    if (m_pTwh != NULL) m_pTwh->LimitText(iChars);
}

bool CRichEditUI::IsAccumulateDBCMode() const
{
    return m_fAccumulateDBC;
}
void CRichEditUI::SetAccumulateDBCMode(bool bDBCMode)
{
    m_fAccumulateDBC = bDBCMode;
}

RECT CRichEditUI::GetTextPadding() const
{
    return m_rcTextPadding;
}
void CRichEditUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

LPCTSTR CRichEditUI::GetTipValue() const
{
    return m_sTipValue.GetData();
}
void CRichEditUI::SetTipValue(LPCTSTR pStrTipValue)
{
    m_sTipValue = pStrTipValue != NULL ? pStrTipValue : L"";
}

DWORD CRichEditUI::GetTipValueColor() const
{
    return m_dwTipValueColor;
}
void CRichEditUI::SetTipValueColor(LPCTSTR pStrColor)
{
    m_dwTipValueColor = ParseAttributeColor(pStrColor);
}

UINT CRichEditUI::GetButtonState() const
{
    return m_uButtonState;
}

void CRichEditUI::SetEnabled(bool bEnable)
{
    if (IsEnabled() == bEnable) return;
    if (m_pTwh != NULL && m_pManager != NULL)
        m_pTwh->SetColor(bEnable ? m_dwTextColor : m_pManager->GetDefaultDisabledColor());
    CContainerUI::SetEnabled(bEnable);
}

// ---- the engine's messages ----

HRESULT CRichEditUI::TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* plresult)
{
    if (m_pTwh == NULL) return S_FALSE;
    // Return is the box's own only while the policy gives it the key.
    if (msg == WM_KEYDOWN && LOWORD(wparam) == VK_RETURN) {
        const bool bControl = ::GetKeyState(VK_CONTROL) < 0;
        if (!m_bWantReturn || (bControl && !m_bWantCtrlReturn)) {
            if (m_pManager != NULL) m_pManager->SendNotify(this, L"return");
            return S_OK;
        }
    }
    return m_pTwh->GetTextServices()->TxSendMessage(msg, wparam, lparam, plresult);
}

LRESULT CRichEditUI::Send(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT lDefault) const
{
    // The getters are const to their callers; the engine's answer changes nothing here.
    LRESULT lResult = lDefault;
    const_cast<CRichEditUI*>(this)->TxSendMessage(msg, wParam, lParam, &lResult);
    return lResult;
}

bool CRichEditUI::OnTxViewChanged()
{
    return true;
}

void CRichEditUI::OnTxNotify(DWORD iNotify, void* pv)
{
    switch (iNotify) {
    case EN_CHANGE:
        if (m_pManager != NULL) m_pManager->SendNotify(this, L"textchanged");
        break;
    case EN_MSGFILTER:
    case EN_SELCHANGE:
    case EN_DROPFILES:
    case EN_PROTECTED:
    case EN_STOPNOUNDO:
    case EN_SAVECLIPBOARD:
    case EN_OLEOPFAILED:
    case EN_OBJECTPOSITIONS:
    case EN_LINK:
    case EN_DRAGDROPDONE: {
        // The window's program sees these as WM_NOTIFY reflected to the paint window.
        if (pv == NULL || m_pManager == NULL) break;
        HWND hWnd = m_pManager->GetPaintWindow();
        NMHDR* pHeader = static_cast<NMHDR*>(pv);
        const LONG_PTR lId = ::GetWindowLongPtrW(hWnd, GWLP_ID);
        pHeader->hwndFrom = hWnd;
        pHeader->idFrom = static_cast<UINT_PTR>(lId);
        pHeader->code = iNotify;
        ::SendMessageW(hWnd, WM_NOTIFY, static_cast<WPARAM>(lId), reinterpret_cast<LPARAM>(pHeader));
        break;
    }
    default:
        break;
    }
}

// ---- text ----

long CRichEditUI::GetTextLength(DWORD dwFlags) const
{
    GETTEXTLENGTHEX textLenEx = { dwFlags, 1200 };
    return static_cast<long>(Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&textLenEx), 0));
}

CSkinString CRichEditUI::GetText() const
{
    const long lLen = GetTextLength(GTL_DEFAULT);
    if (m_pTwh == NULL || lLen <= 0) return CSkinString();
    std::vector<WCHAR> text(static_cast<size_t>(lLen) + 1, L'\0');
    GETTEXTEX gt = {};
    gt.cb = static_cast<DWORD>((lLen + 1) * sizeof(WCHAR));
    gt.flags = GT_DEFAULT;
    gt.codepage = 1200;
    Send(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(text.data()));
    return CSkinString(text.data());
}

void CRichEditUI::SetText(LPCTSTR pstrText)
{
    m_sText = pstrText != NULL ? pstrText : L"";
    if (m_pTwh == NULL) return;
    m_pTwh->SetColor(m_dwTextColor);
    SetSel(0, -1);
    ReplaceSel(m_sText.GetData(), false);
}

bool CRichEditUI::GetModify() const
{
    return Send(EM_GETMODIFY, 0, 0) == 1;
}

void CRichEditUI::SetModify(bool bModified) const
{
    Send(EM_SETMODIFY, bModified ? TRUE : FALSE, 0);
}

void CRichEditUI::GetSel(CHARRANGE& cr) const
{
    Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
}

void CRichEditUI::GetSel(long& nStartChar, long& nEndChar) const
{
    CHARRANGE cr = { nStartChar, nEndChar };
    GetSel(cr);
    nStartChar = cr.cpMin;
    nEndChar = cr.cpMax;
}

int CRichEditUI::SetSel(CHARRANGE& cr)
{
    return static_cast<int>(Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr)));
}

int CRichEditUI::SetSel(long nStartChar, long nEndChar)
{
    CHARRANGE cr = { nStartChar, nEndChar };
    return SetSel(cr);
}

void CRichEditUI::ReplaceSel(LPCTSTR lpszNewText, bool bCanUndo)
{
    Send(EM_REPLACESEL, bCanUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(lpszNewText));
}

CSkinString CRichEditUI::GetSelText() const
{
    if (m_pTwh == NULL) return CSkinString();
    CHARRANGE cr = { 0, 0 };
    GetSel(cr);
    if (cr.cpMax <= cr.cpMin) return CSkinString();
    std::vector<WCHAR> text(static_cast<size_t>(cr.cpMax - cr.cpMin) + 1, L'\0');
    Send(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
    return CSkinString(text.data());
}

int CRichEditUI::SetSelAll()
{
    return SetSel(0, -1);
}

int CRichEditUI::SetSelNone()
{
    return SetSel(-1, 0);
}

WORD CRichEditUI::GetSelectionType() const
{
    return static_cast<WORD>(Send(EM_SELECTIONTYPE, 0, 0));
}

CSkinString CRichEditUI::GetTextRange(long nStartChar, long nEndChar) const
{
    // The end -1 is the platform's "to the end"; the buffer is sized from the resolved range.
    if (m_pTwh == NULL) return CSkinString();
    if (nEndChar == -1) nEndChar = GetTextLength(GTL_DEFAULT);
    if (nStartChar < 0 || nEndChar <= nStartChar) return CSkinString();
    std::vector<WCHAR> text(static_cast<size_t>(nEndChar - nStartChar) + 1, L'\0');
    TEXTRANGEW tr = { { nStartChar, nEndChar }, text.data() };
    Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&tr));
    return CSkinString(text.data());
}

CSkinString CRichEditUI::GetLine(int nIndex, int nMaxLength) const
{
    // The first code unit of the buffer tells the engine its size, and the copy it makes is
    // not terminated: the answer's length is what it reports.
    if (m_pTwh == NULL || nMaxLength < 1) return CSkinString();
    std::vector<WCHAR> text(static_cast<size_t>(nMaxLength) + 1, L'\0');
    text[0] = static_cast<WCHAR>(nMaxLength > 0xFFFF ? 0xFFFF : nMaxLength);
    LRESULT lCopied = Send(EM_GETLINE, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(text.data()));
    if (lCopied < 0) lCopied = 0;
    if (lCopied > nMaxLength) lCopied = nMaxLength;
    text[static_cast<size_t>(lCopied)] = L'\0';
    return CSkinString(text.data());
}

void CRichEditUI::HideSelection(bool bHide, bool bChangeStyle)
{
    Send(EM_HIDESELECTION, bHide ? TRUE : FALSE, bChangeStyle ? TRUE : FALSE);
}

void CRichEditUI::ScrollCaret()
{
    Send(EM_SCROLLCARET, 0, 0);
}

int CRichEditUI::InsertText(long nInsertAfterChar, LPCTSTR lpstrText, bool bCanUndo)
{
    const int nRet = SetSel(nInsertAfterChar, nInsertAfterChar);
    ReplaceSel(lpstrText, bCanUndo);
    return nRet;
}

int CRichEditUI::AppendText(LPCTSTR lpstrText, bool bCanUndo)
{
    const int nRet = SetSel(-1, -1);
    ReplaceSel(lpstrText, bCanUndo);
    return nRet;
}

// ---- formats ----

DWORD CRichEditUI::GetDefaultCharFormat(CHARFORMAT2W& cf) const
{
    cf.cbSize = sizeof(CHARFORMAT2W);
    return static_cast<DWORD>(Send(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf)));
}

bool CRichEditUI::SetDefaultCharFormat(CHARFORMAT2W& cf)
{
    if (m_pTwh == NULL) return false;
    cf.cbSize = sizeof(CHARFORMAT2W);
    if (Send(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf)) != 1) return false;
    // The host answers later questions with what the engine made of it.
    CHARFORMAT2W cfNew = {};
    cfNew.cbSize = sizeof(CHARFORMAT2W);
    Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cfNew));
    m_pTwh->SetCharFormat(cfNew);
    return true;
}

DWORD CRichEditUI::GetSelectionCharFormat(CHARFORMAT2W& cf) const
{
    cf.cbSize = sizeof(CHARFORMAT2W);
    return static_cast<DWORD>(Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf)));
}

bool CRichEditUI::SetSelectionCharFormat(CHARFORMAT2W& cf)
{
    if (m_pTwh == NULL) return false;
    cf.cbSize = sizeof(CHARFORMAT2W);
    return Send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf)) == 1;
}

bool CRichEditUI::SetWordCharFormat(CHARFORMAT2W& cf)
{
    if (m_pTwh == NULL) return false;
    cf.cbSize = sizeof(CHARFORMAT2W);
    return Send(EM_SETCHARFORMAT, SCF_SELECTION | SCF_WORD, reinterpret_cast<LPARAM>(&cf)) == 1;
}

DWORD CRichEditUI::GetParaFormat(PARAFORMAT2& pf) const
{
    pf.cbSize = sizeof(PARAFORMAT2);
    return static_cast<DWORD>(Send(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf)));
}

bool CRichEditUI::SetParaFormat(PARAFORMAT2& pf)
{
    if (m_pTwh == NULL) return false;
    pf.cbSize = sizeof(PARAFORMAT2);
    if (Send(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf)) != 1) return false;
    m_pTwh->SetParaFormat(pf);
    return true;
}

// ---- engine settings ----

bool CRichEditUI::GetZoom(int& nNum, int& nDen) const
{
    return Send(EM_GETZOOM, reinterpret_cast<WPARAM>(&nNum), reinterpret_cast<LPARAM>(&nDen)) == 1;
}

bool CRichEditUI::SetZoom(int nNum, int nDen)
{
    if (static_cast<UINT>(nNum) > kMaxZoom || static_cast<UINT>(nDen) > kMaxZoom) return false;
    return Send(EM_SETZOOM, static_cast<WPARAM>(nNum), static_cast<LPARAM>(nDen)) == 1;
}

bool CRichEditUI::SetZoomOff()
{
    return Send(EM_SETZOOM, 0, 0) == 1;
}

bool CRichEditUI::GetAutoURLDetect() const
{
    return Send(EM_GETAUTOURLDETECT, 0, 0) == 1;
}

bool CRichEditUI::SetAutoURLDetect(bool bAutoDetect)
{
    return Send(EM_AUTOURLDETECT, bAutoDetect ? TRUE : FALSE, 0) == 0;
}

DWORD CRichEditUI::GetEventMask() const
{
    return static_cast<DWORD>(Send(EM_GETEVENTMASK, 0, 0));
}

DWORD CRichEditUI::SetEventMask(DWORD dwEventMask)
{
    return static_cast<DWORD>(Send(EM_SETEVENTMASK, 0, static_cast<LPARAM>(dwEventMask)));
}

bool CRichEditUI::SetDropAcceptFile(bool bAccept)
{
    const DWORD dwMask = GetEventMask();
    const DWORD dwNew = bAccept ? (dwMask | kDropAndLinkEvents) : (dwMask & ~kDropAndLinkEvents);
    return SetEventMask(dwNew) == 0;
}

// ---- editing ----

bool CRichEditUI::Redo()
{
    return Send(EM_REDO, 0, 0) == 1;
}

bool CRichEditUI::Undo()
{
    return Send(EM_UNDO, 0, 0) == 1;
}

void CRichEditUI::Clear()
{
    Send(WM_CLEAR, 0, 0);
}

void CRichEditUI::Copy()
{
    Send(WM_COPY, 0, 0);
}

void CRichEditUI::Cut()
{
    Send(WM_CUT, 0, 0);
}

void CRichEditUI::Paste()
{
    Send(WM_PASTE, 0, 0);
}

void CRichEditUI::EmptyUndoBuffer()
{
    Send(EM_EMPTYUNDOBUFFER, 0, 0);
}

UINT CRichEditUI::SetUndoLimit(UINT nLimit)
{
    return static_cast<UINT>(Send(EM_SETUNDOLIMIT, nLimit, 0));
}

long CRichEditUI::StreamIn(int nFormat, EDITSTREAM& es)
{
    return static_cast<long>(Send(EM_STREAMIN, static_cast<WPARAM>(nFormat), reinterpret_cast<LPARAM>(&es)));
}

long CRichEditUI::StreamOut(int nFormat, EDITSTREAM& es)
{
    return static_cast<long>(Send(EM_STREAMOUT, static_cast<WPARAM>(nFormat), reinterpret_cast<LPARAM>(&es)));
}

IDropTarget* CRichEditUI::GetTxDropTarget()
{
    IDropTarget* pdt = NULL;
    if (m_pTwh == NULL || m_pTwh->GetTextServices()->TxGetDropTarget(&pdt) != S_OK) return NULL;
    return pdt;
}

// ---- lines and positions ----

int CRichEditUI::GetLineCount() const
{
    return static_cast<int>(Send(EM_GETLINECOUNT, 0, 0));
}

int CRichEditUI::LineIndex(int nLine) const
{
    return static_cast<int>(Send(EM_LINEINDEX, static_cast<WPARAM>(nLine), 0));
}

int CRichEditUI::LineLength(int nLine) const
{
    return static_cast<int>(Send(EM_LINELENGTH, static_cast<WPARAM>(nLine), 0));
}

bool CRichEditUI::LineScroll(int nLines, int nChars)
{
    return Send(EM_LINESCROLL, static_cast<WPARAM>(nChars), static_cast<LPARAM>(nLines)) == 1;
}

CPoint CRichEditUI::GetCharPos(long lChar) const
{
    POINTL pt = { 0, 0 };
    Send(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&pt), static_cast<LPARAM>(lChar));
    return CPoint(static_cast<int>(pt.x), static_cast<int>(pt.y));
}

CPoint CRichEditUI::PosFromChar(UINT nChar) const
{
    return GetCharPos(static_cast<long>(nChar));
}

long CRichEditUI::LineFromChar(long nIndex) const
{
    return static_cast<long>(Send(EM_EXLINEFROMCHAR, 0, static_cast<LPARAM>(nIndex)));
}

int CRichEditUI::CharFromPos(CPoint pt) const
{
    POINTL ptl = { pt.x, pt.y };
    return static_cast<int>(Send(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&ptl)));
}

// ---- scrolling ----

bool CRichEditUI::IsPlainTextWithBar() const
{
    return !m_bRich && m_pTwh != NULL && m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible();
}

void CRichEditUI::SendScroll(UINT msg, WORD wCode)
{
    Send(msg, MAKEWPARAM(wCode, 0), 0);
}

void CRichEditUI::SetScrollPos(SIZE szPos)
{
    // 1. The bars take the new positions; the deltas say which way the engine scrolls.
    int cx = 0;
    int cy = 0;
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible()) {
        const int iLastScrollPos = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        cy = m_pVerticalScrollBar->GetScrollPos() - iLastScrollPos;
    }
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible()) {
        const int iLastScrollPos = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        cx = m_pHorizontalScrollBar->GetScrollPos() - iLastScrollPos;
    }
    // 2. Vertical: a plain-text engine may answer with an older position; a move down keeps
    //    the bar where it was put.
    if (cy != 0) {
        const bool bFix = IsPlainTextWithBar();
        const int iPos = bFix ? m_pVerticalScrollBar->GetScrollPos() : 0;
        const WPARAM wParam = MAKEWPARAM(SB_THUMBPOSITION, m_pVerticalScrollBar->GetScrollPos());
        Send(WM_VSCROLL, wParam, 0);
        if (bFix && cy > 0 && m_pVerticalScrollBar->GetScrollPos() <= iPos) m_pVerticalScrollBar->SetScrollPos(iPos);
    }
    // 3. Horizontal.
    if (cx != 0) {
        const WPARAM wParam = MAKEWPARAM(SB_THUMBPOSITION, m_pHorizontalScrollBar->GetScrollPos());
        Send(WM_HSCROLL, wParam, 0);
    }
}

void CRichEditUI::LineUp()
{
    SendScroll(WM_VSCROLL, SB_LINEUP);
}

void CRichEditUI::LineDown()
{
    // A plain-text engine that does not move at the last line leaves the bar at its end.
    if (!IsPlainTextWithBar()) {
        SendScroll(WM_VSCROLL, SB_LINEDOWN);
        return;
    }
    const int iPos = m_pVerticalScrollBar->GetScrollPos();
    SendScroll(WM_VSCROLL, SB_LINEDOWN);
    if (m_pVerticalScrollBar->GetScrollPos() <= iPos)
        m_pVerticalScrollBar->SetScrollPos(m_pVerticalScrollBar->GetScrollRange());
}

void CRichEditUI::PageUp()
{
    SendScroll(WM_VSCROLL, SB_PAGEUP);
}

void CRichEditUI::PageDown()
{
    SendScroll(WM_VSCROLL, SB_PAGEDOWN);
}

void CRichEditUI::HomeUp()
{
    SendScroll(WM_VSCROLL, SB_TOP);
}

void CRichEditUI::EndDown()
{
    SendScroll(WM_VSCROLL, SB_BOTTOM);
}

void CRichEditUI::LineLeft()
{
    SendScroll(WM_HSCROLL, SB_LINELEFT);
}

void CRichEditUI::LineRight()
{
    SendScroll(WM_HSCROLL, SB_LINERIGHT);
}

void CRichEditUI::PageLeft()
{
    SendScroll(WM_HSCROLL, SB_PAGELEFT);
}

void CRichEditUI::PageRight()
{
    SendScroll(WM_HSCROLL, SB_PAGERIGHT);
}

void CRichEditUI::HomeLeft()
{
    SendScroll(WM_HSCROLL, SB_LEFT);
}

void CRichEditUI::EndRight()
{
    SendScroll(WM_HSCROLL, SB_RIGHT);
}

// ---- life, layout, input ----

void CRichEditUI::DoInit()
{
    if (m_bInited) return;
    // 1. The engine with the style and text gathered from the attributes.
    CREATESTRUCTW cs = {};
    cs.style = m_lTwhStyle;
    cs.lpszName = m_sText.GetData();
    m_pTwh = CTxtWinHost::Create(this, &cs);
    // 2. Drawn over the control's own background, fed by the window's messages.
    if (m_pTwh != NULL) {
        m_pTwh->SetTransparent(true);
        LRESULT lResult = 0;
        m_pTwh->GetTextServices()->TxSendMessage(EM_SETLANGOPTIONS, 0, 0, &lResult);
        m_pTwh->OnTxInPlaceActivate(NULL);
        // The engine reports no change until its event mask asks for it.
        SetEventMask(GetEventMask() | ENM_CHANGE);
        m_pManager->AddMessageFilter(this);
        if (!IsEnabled()) m_pTwh->SetColor(m_pManager->GetDefaultDisabledColor());
    }
    m_bInited = true;
}

LONG CRichEditUI::NaturalHeight(int iExtraWidth) const
{
    const RECT rcClient = m_pTwh->GetControlRect();
    const SIZEL szExtent = { -1, -1 };
    LONG lWidth = rcClient.right - rcClient.left + iExtraWidth;
    LONG lHeight = 0;
    m_pTwh->GetTextServices()->TxGetNaturalSize(DVASPECT_CONTENT, m_pManager->GetPaintDC(), NULL, NULL,
                                                TXTNS_FITTOCONTENT, &szExtent, &lWidth, &lHeight);
    return lHeight;
}

void CRichEditUI::SetPos(RECT rc)
{
    // A pass that changed the horizontal bar runs once more on the bar as it now stands;
    // what the children and the text need across does not depend on the bar's height.
    if (LayOut(rc)) LayOut(rc);
}

bool CRichEditUI::LayOut(RECT rc)
{
    // 1. The item, then the text area: inside the inset, beside and above the visible bars.
    CControlUI::SetPos(rc);
    rc = GetInsetRect();
    const bool bVScrollBarVisible = m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible();
    if (bVScrollBarVisible) rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    const bool bHScrollBarVisible = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();
    if (bHScrollBarVisible) rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();

    // 2. The engine's area; a bar the engine dropped comes back while the text, laid out
    //    without it, is still taller than the box.
    if (m_pTwh != NULL) {
        RECT rcRich = rc;
        rcRich.left += m_rcTextPadding.left;
        rcRich.top += m_rcTextPadding.top;
        rcRich.right -= m_rcTextPadding.right;
        rcRich.bottom -= m_rcTextPadding.bottom;
        m_pTwh->SetClientRect(&rcRich);
        if (bVScrollBarVisible && (!m_pVerticalScrollBar->IsVisible() || m_bVScrollBarFixing)) {
            const LONG lHeight = NaturalHeight(m_pVerticalScrollBar->GetFixedWidth());
            if (lHeight > rcRich.bottom - rcRich.top) {
                m_pVerticalScrollBar->SetVisible(true);
                m_pVerticalScrollBar->SetScrollPos(0);
                m_bVScrollBarFixing = true;
            } else if (m_bVScrollBarFixing) {
                m_pVerticalScrollBar->SetVisible(false);
                m_bVScrollBarFixing = false;
            }
        }
    }

    // 3. The bars beside and under the text area.
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible()) {
        RECT rcBar = { rc.right, rc.top, rc.right + m_pVerticalScrollBar->GetFixedWidth(), rc.bottom };
        m_pVerticalScrollBar->SetPos(rcBar);
    }
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible()) {
        RECT rcBar = { rc.left, rc.bottom, rc.right, rc.bottom + m_pHorizontalScrollBar->GetFixedHeight() };
        m_pHorizontalScrollBar->SetPos(rcBar);
    }

    // 4. Children in one line from left to right, sharing the visible width only: with the
    //    bar's range added, an automatic child would grow by the range, the range would be
    //    measured from that child and the bar would never go away.
    CScrollBarUI* pHBar = m_pHorizontalScrollBar;
    const bool bHScroll = pHBar != NULL && pHBar->IsVisible();
    const int cxAvailable = rc.right - rc.left;
    const int iPlacedScroll = bHScroll ? pHBar->GetScrollPos() : 0;
    int cxNeeded = 0;
    if (!m_items.IsEmpty()) {
        const SIZE szAvailable = { cxAvailable, rc.bottom - rc.top };
        const POINT ptStart = { rc.left - iPlacedScroll, rc.top };
        cxNeeded = PlaceLine(szAvailable, ptStart, false);
    }
    if (pHBar == NULL) return false;

    // 5. The bar scrolls what the children or the engine's text need beyond the visible
    //    width, so fitting children neither keep it up nor take it from a long line; a hidden
    //    bar in a box without children is the engine's alone.
    if (bHScroll || !m_items.IsEmpty()) {
        int iRange = cxNeeded - cxAvailable;
        const int iTextRange = TextOverflowWidth();
        if (iTextRange > iRange) iRange = iTextRange;
        if (iRange > 0) {
            if (!bHScroll) {
                pHBar->SetVisible(true);
                pHBar->SetScrollPos(0);
            }
            pHBar->SetScrollRange(iRange);
        } else if (bHScroll) {
            pHBar->SetVisible(false);
            pHBar->SetScrollRange(0);
            pHBar->SetScrollPos(0);
        }
    }

    // 6. A bar shown or hidden since step 1 (here or by the engine) moves the text area and
    //    the row, and a shorter range may have pulled the position back: the box is laid out
    //    again on the bar as it stands.
    return pHBar->IsVisible() != bHScrollBarVisible || (bHScroll && pHBar->GetScrollPos() != iPlacedScroll);
}

int CRichEditUI::TextOverflowWidth() const
{
    // The engine ranges the bar only in a box made with one; the overflow is reckoned as the
    // host ranges the engine's own report.
    if (m_pTwh == NULL || (m_pTwh->GetStyle() & WS_HSCROLL) == 0) return 0;
    LONG lMin = 0;
    LONG lMax = 0;
    LONG lPos = 0;
    LONG lPage = 0;
    WINBOOL fEnabled = FALSE;
    if (FAILED(m_pTwh->GetTextServices()->TxGetHScroll(&lMin, &lMax, &lPos, &lPage, &fEnabled))) return 0;
    const RECT rcText = m_pTwh->GetControlRect();
    return static_cast<int>(lMax - lMin - (rcText.right - rcText.left));
}

SIZE CRichEditUI::EstimateSize(SIZE szAvailable)
{
    return CControlUI::EstimateSize(szAvailable);
}

void CRichEditUI::DoEvent(TEventUI& event)
{
    // 1. Without the mouse, mouse events belong to the parent.
    const bool bMouseEvent = event.type >= UIEVENT__MOUSEBEGIN && event.type <= UIEVENT__MOUSEEND;
    if (!IsMouseEnabled() && bMouseEvent) {
        if (m_pParent != NULL)
            m_pParent->DoEvent(event);
        else
            CControlUI::DoEvent(event);
        return;
    }
    switch (event.type) {
    case UIEVENT_SETCURSOR:
        // 2. The engine chooses the cursor over its text area.
        if (IsEnabled() && m_pTwh != NULL && m_pTwh->DoSetCursor(NULL, &event.mousePos)) return;
        break;
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS: {
        // 3. The engine follows the focus (caret, selection display).
        const bool bFocus = event.type == UIEVENT_SETFOCUS;
        if (m_pTwh != NULL) {
            m_pTwh->OnTxInPlaceActivate(NULL);
            Send(bFocus ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
        }
        m_bFocused = bFocus;
        Invalidate();
        return;
    }
    case UIEVENT_TIMER:
        // 4. The engine's timers run on the manager's control timers.
        if (m_pTwh != NULL) Send(WM_TIMER, event.wParam, event.lParam);
        break;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_LBUTTONDOWN:
    case UIEVENT_LBUTTONUP:
    case UIEVENT_LBUTTONDBLCLK:
        // 5. The message filter has fed the engine.
        return;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        // 6. Hot state for the images.
        if (IsEnabled()) {
            if (event.type == UIEVENT_MOUSEENTER)
                m_uButtonState |= UISTATE_HOT;
            else
                m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEWHEEL:
        // 7. Control and the wheel zoom in the engine (the filter sent it there).
        if (event.keyState & MK_CONTROL) return;
        break;
    default:
        // 8. Keys went to the engine through the filter.
        if (event.type >= UIEVENT__KEYBEGIN && event.type <= UIEVENT__KEYEND) return;
        break;
    }
    CContainerUI::DoEvent(event);
}

LRESULT CRichEditUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    // 1. Nothing for a hidden or disabled box, no mouse for one without the mouse.
    if (!IsVisible() || !IsEnabled() || m_pTwh == NULL || m_pManager == NULL) return 0;
    if (!IsMouseEnabled() && IsMouseMessage(uMsg)) return 0;
    // 2. The plain wheel scrolls the container; input-method composition follows the caret.
    if (uMsg == WM_MOUSEWHEEL && (LOWORD(wParam) & MK_CONTROL) == 0) return 0;
    HWND hWnd = m_pManager->GetPaintWindow();
    if (uMsg == WM_IME_COMPOSITION) {
        HIMC hIMC = ::ImmGetContext(hWnd);
        if (hIMC == NULL) return 0;
        POINT point = { 0, 0 };
        ::GetCaretPos(&point);
        COMPOSITIONFORM form = {};
        form.dwStyle = CFS_POINT;
        form.ptCurrentPos = point;
        ::ImmSetCompositionWindow(hIMC, &form);
        ::ImmReleaseContext(hWnd, hIMC);
        return 0;
    }
    bool bWasHandled = true;
    if (IsMouseMessage(uMsg) || uMsg == WM_SETCURSOR) {
        // 3. Mouse: only over this box's text area, unless the engine holds the mouse.
        if (!m_pTwh->IsCaptured()) {
            POINT pt = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
            if (uMsg == WM_MOUSEWHEEL) {
                ::ScreenToClient(hWnd, &pt);
            } else if (uMsg == WM_SETCURSOR) {
                ::GetCursorPos(&pt);
                ::ScreenToClient(hWnd, &pt);
            }
            switch (uMsg) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_LBUTTONDBLCLK:
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP:
                if (m_pManager->FindControl(pt) != this) return 0;
                break;
            default:
                break;
            }
            const RECT rcClient = m_pTwh->GetControlRect();
            if (!::PtInRect(&rcClient, pt) || m_pManager->IsCaptured()) return 0;
        }
        if (uMsg == WM_SETCURSOR) {
            bWasHandled = false;
        } else if (uMsg == WM_LBUTTONDOWN || uMsg == WM_LBUTTONDBLCLK || uMsg == WM_RBUTTONDOWN) {
            SetFocus();
            // The focus change may have taken the box out of the tree.
            if (m_pTwh == NULL) return 0;
        }
    } else if (IsKeyMessage(uMsg)) {
        // 4. Keys only while focused.
        if (!IsFocused()) return 0;
    } else if (uMsg == WM_CONTEXTMENU) {
        // 5. The context menu over this box.
        POINT pt = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
        ::ScreenToClient(hWnd, &pt);
        if (m_pManager->FindControl(pt) != this) return 0;
    } else if (uMsg == WM_HELP) {
        bWasHandled = false;
    } else {
        return 0;
    }
    // 6. The engine's answer; keys and a held mouse count as handled even when it failed.
    LRESULT lResult = 0;
    const HRESULT hr = TxSendMessage(uMsg, wParam, lParam, &lResult);
    if (hr == S_OK) {
        bHandled = bWasHandled;
    } else if (IsKeyMessage(uMsg) || uMsg == WM_CHAR || uMsg == WM_IME_CHAR) {
        bHandled = bWasHandled;
    } else if (IsMouseMessage(uMsg) && m_pTwh != NULL && m_pTwh->IsCaptured()) {
        bHandled = bWasHandled;
    }
    return lResult;
}

void CRichEditUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"vscrollbar") == 0) {
        if (IsTrueValue(pstrValue)) m_lTwhStyle |= ES_DISABLENOSCROLL | WS_VSCROLL;
    } else if (wcscmp(pstrName, L"autovscroll") == 0) {
        if (IsTrueValue(pstrValue)) m_lTwhStyle |= ES_AUTOVSCROLL;
    } else if (wcscmp(pstrName, L"hscrollbar") == 0) {
        if (IsTrueValue(pstrValue)) m_lTwhStyle |= ES_DISABLENOSCROLL | WS_HSCROLL;
    } else if (wcscmp(pstrName, L"autohscroll") == 0) {
        if (IsTrueValue(pstrValue)) m_lTwhStyle |= ES_AUTOHSCROLL;
    } else if (wcscmp(pstrName, L"wanttab") == 0) {
        SetWantTab(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"wantreturn") == 0) {
        SetWantReturn(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"wantctrlreturn") == 0) {
        SetWantCtrlReturn(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"rich") == 0) {
        SetRich(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"multiline") == 0) {
        if (wcscmp(pstrValue, L"false") == 0) m_lTwhStyle &= ~ES_MULTILINE;
    } else if (wcscmp(pstrName, L"readonly") == 0) {
        if (IsTrueValue(pstrValue)) {
            m_lTwhStyle |= ES_READONLY;
            m_bReadOnly = true;
        }
    } else if (wcscmp(pstrName, L"password") == 0) {
        if (IsTrueValue(pstrValue)) m_lTwhStyle |= ES_PASSWORD;
    } else if (wcscmp(pstrName, L"align") == 0) {
        m_lTwhStyle =
            static_cast<LONG>(ApplyAlignWords(static_cast<UINT>(m_lTwhStyle), pstrValue, ES_CENTER, ES_RIGHT));
    } else if (wcscmp(pstrName, L"font") == 0) {
        SetFont(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, L"textcolor") == 0) {
        SetTextColor(ParseAttributeColor(pstrValue, true));
    } else if (wcscmp(pstrName, L"maxchar") == 0) {
        SetLimitText(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, L"textpadding") == 0) {
        SetTextPadding(ParseAttributeRect(pstrValue));
    } else if (wcscmp(pstrName, L"tipvalue") == 0) {
        SetTipValue(pstrValue);
    } else if (wcscmp(pstrName, L"tipvaluecolor") == 0) {
        SetTipValueColor(pstrValue);
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

// ---- painting ----

void CRichEditUI::PaintStatusImage(HDC hDC)
{
    // 1. Focus and enablement are read into the state bits at paint time.
    m_uButtonState = IsFocused() ? (m_uButtonState | UISTATE_FOCUSED) : (m_uButtonState & ~UISTATE_FOCUSED);
    m_uButtonState = IsEnabled() ? (m_uButtonState & ~UISTATE_DISABLED) : (m_uButtonState | UISTATE_DISABLED);
    // 2. Disabled, hot, focused, normal; an image that did not load gives way to the normal one.
    CImageAttribute* pImage = &m_diNormal;
    if (m_uButtonState & UISTATE_DISABLED)
        pImage = &m_diDisabled;
    else if (m_uButtonState & UISTATE_HOT)
        pImage = &m_diHot;
    else if (m_uButtonState & UISTATE_FOCUSED)
        pImage = &m_diFocused;
    if (pImage != &m_diNormal && !pImage->IsLoadSuccess()) pImage = &m_diNormal;
    DrawImage(hDC, *pImage);
}

void CRichEditUI::PaintText(HDC hDC)
{
    if (m_pManager == NULL) return;
    // Without an engine the hint still shows, in the area the text would have.
    RECT rcClient = GetInsetRect();
    rcClient.left += m_rcTextPadding.left;
    rcClient.top += m_rcTextPadding.top;
    rcClient.right -= m_rcTextPadding.right;
    rcClient.bottom -= m_rcTextPadding.bottom;
    if (m_pTwh != NULL) {
        // 1. The engine draws its text into the paint DC over the text area.
        rcClient = m_pTwh->GetControlRect();
        RECT rcUpdate = m_rcPaint;
        m_pTwh->GetTextServices()->TxDraw(DVASPECT_CONTENT, 0, NULL, NULL, hDC, NULL,
                                          reinterpret_cast<LPCRECTL>(&rcClient), NULL, &rcUpdate, NULL, 0,
                                          TXTVIEW_ACTIVE);
        // 2. A bar kept up for text that no longer needs it goes at the next layout.
        if (m_bVScrollBarFixing && m_pVerticalScrollBar != NULL) {
            const LONG lHeight = NaturalHeight(m_pVerticalScrollBar->GetFixedWidth());
            if (lHeight <= rcClient.bottom - rcClient.top) NeedUpdate();
        }
    }
    // 3. The hint while the box is empty.
    if (GetTextLength(GTL_DEFAULT) == 0 && !m_sTipValue.IsEmpty()) {
        CRenderEngine::DrawText(hDC, m_pManager, rcClient, m_sTipValue.GetData(), m_dwTipValueColor, m_iFont,
                                DT_VCENTER);
    }
}

} // namespace SkinUI
