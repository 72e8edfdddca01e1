#include <windows.h>
#include <wchar.h>
#include "controls/ListTextElementUI.h"
#include "core/RenderEngine.h"

namespace SkinUI {

CListTextElementUI::CListTextElementUI() : m_nLinks(0), m_nHoverLink(-1), m_pListOwner(NULL)
{
    ::ZeroMemory(m_rcLinks, sizeof(m_rcLinks));
}

CListTextElementUI::~CListTextElementUI()
{
    for (int i = 0; i < m_aTexts.GetSize(); i++)
        delete static_cast<CSkinString*>(m_aTexts[i]);
}

LPCTSTR CListTextElementUI::GetClass() const
{
    return L"ListTextElementUI";
}

LPVOID CListTextElementUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"ListTextElement") == 0) return static_cast<CListTextElementUI*>(this);
    return CListLabelElementUI::GetInterface(pstrName);
}

UINT CListTextElementUI::GetControlFlags() const
{
    return 4 | ((IsEnabled() && m_nLinks > 0) ? UIFLAG_SETCURSOR : 0);
}

int CListTextElementUI::ColumnCount() const
{
    if (m_pListOwner == NULL) return 0;
    TListInfoUI* pInfo = m_pListOwner->GetListInfo();
    if (pInfo == NULL) return 0;
    return pInfo->nColumns < TListInfoUI::kMaxColumns ? pInfo->nColumns : static_cast<int>(TListInfoUI::kMaxColumns);
}

LPCTSTR CListTextElementUI::GetText(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_aTexts.GetSize()) return NULL;
    const CSkinString* pText = static_cast<const CSkinString*>(m_aTexts[iIndex]);
    return pText != NULL ? pText->GetData() : NULL;
}

void CListTextElementUI::SetText(int iIndex, LPCTSTR pstrText)
{
    const int nColumns = ColumnCount();
    if (m_pListOwner == NULL || iIndex < 0 || iIndex >= nColumns) return;
    while (m_aTexts.GetSize() < nColumns)
        m_aTexts.Add(NULL);
    CSkinString* pText = static_cast<CSkinString*>(m_aTexts[iIndex]);
    if (pText == NULL) {
        if (pstrText == NULL) return;
        m_aTexts.SetAt(iIndex, new CSkinString(pstrText));
    } else {
        LPCTSTR pstrNew = pstrText != NULL ? pstrText : L"";
        if (wcscmp(pText->GetData(), pstrNew) == 0) return;
        *pText = pstrNew;
    }
    Invalidate();
}

void CListTextElementUI::SetOwner(CControlUI* pOwner)
{
    CListLabelElementUI::SetOwner(pOwner);
    m_pListOwner = pOwner != NULL ? static_cast<IListUI*>(pOwner->GetInterface(L"IList")) : NULL;
}

CSkinString* CListTextElementUI::GetLinkContent(int iIndex)
{
    if (iIndex >= 0 && iIndex < m_nLinks) return &m_sLinks[iIndex];
    return NULL;
}

int CListTextElementUI::GetLinkCount() const
{
    return m_nLinks;
}

int CListTextElementUI::LinkAt(POINT pt) const
{
    for (int i = 0; i < m_nLinks; i++) {
        if (::PtInRect(&m_rcLinks[i], pt)) return i;
    }
    return -1;
}

void CListTextElementUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && CListRowInput::IsMouseEvent(event)) {
        if (m_pListOwner != NULL)
            m_pListOwner->DoEvent(event);
        else
            CListLabelElementUI::DoEvent(event);
        return;
    }
    // Links first; the rest is the label's.
    if (event.type == UIEVENT_SETCURSOR && LinkAt(event.mousePos) >= 0) {
        ::SetCursor(::LoadCursorW(NULL, IDC_HAND));
        return;
    }
    if (event.type == UIEVENT_LBUTTONUP && IsEnabled()) {
        const int iLink = LinkAt(event.mousePos);
        if (iLink >= 0) {
            if (m_pManager != NULL) m_pManager->SendNotify(this, L"link", static_cast<WPARAM>(iLink));
            return;
        }
    }
    if (m_nLinks > 0 && event.type == UIEVENT_MOUSEMOVE) {
        const int iHover = LinkAt(event.mousePos);
        if (iHover != m_nHoverLink) {
            m_nHoverLink = iHover;
            Invalidate();
        }
    }
    if (m_nLinks > 0 && event.type == UIEVENT_MOUSELEAVE && m_nHoverLink != -1) {
        Invalidate();
        m_nHoverLink = -1;
    }
    CListLabelElementUI::DoEvent(event);
}

SIZE CListTextElementUI::EstimateSize(SIZE)
{
    SIZE cXY = m_cxyFixed;
    if (m_pListOwner == NULL) return cXY;
    TListInfoUI* pInfo = m_pListOwner->GetListInfo();
    if (cXY.cy == 0 && m_pManager != NULL && pInfo != NULL)
        cXY.cy = m_pManager->GetFontInfo(pInfo->nFont)->tm.tmHeight + 8 + pInfo->rcTextPadding.top +
                 pInfo->rcTextPadding.bottom;
    return cXY;
}

void CListTextElementUI::DrawItemText(HDC hDC, const RECT& rcItem)
{
    if (m_pListOwner == NULL || m_pManager == NULL) return;
    TListInfoUI* pInfo = m_pListOwner->GetListInfo();
    if (pInfo == NULL) return;
    const DWORD dwColor = CListRowPaint::TextColor(*pInfo, m_uButtonState, IsSelected(), IsEnabled());
    IListCallbackUI* pCallback = m_pListOwner->GetTextCallback();
    const UINT uStyle = pInfo->uTextStyle | DT_SINGLELINE;
    const RECT& rcPadding = pInfo->rcTextPadding;
    const int nColumns = ColumnCount();
    // The links of all columns share the row's eight slots, in column order.
    m_nLinks = 0;
    for (int i = 0; i < nColumns; i++) {
        RECT rcCell = { pInfo->rcColumn[i].left + rcPadding.left, rcItem.top + rcPadding.top,
                        pInfo->rcColumn[i].right - rcPadding.right, rcItem.bottom - rcPadding.bottom };
        LPCTSTR pstrText = pCallback != NULL ? pCallback->GetColumnText(this, GetIndex(), i) : GetText(i);
        if (pstrText == NULL) pstrText = L"";
        if (pInfo->bShowHtml) {
            int nFree = MAX_LINK - m_nLinks;
            if (nFree > 0) {
                CRenderEngine::DrawHtmlText(hDC, m_pManager, rcCell, pstrText, dwColor, &m_rcLinks[m_nLinks],
                                            &m_sLinks[m_nLinks], nFree, uStyle);
                m_nLinks += nFree;
            } else {
                nFree = 0;
                CRenderEngine::DrawHtmlText(hDC, m_pManager, rcCell, pstrText, dwColor, NULL, NULL, nFree, uStyle);
            }
        } else {
            CRenderEngine::DrawText(hDC, m_pManager, rcCell, pstrText, dwColor, pInfo->nFont, uStyle);
        }
    }
    for (int i = m_nLinks; i < MAX_LINK; i++) {
        ::ZeroMemory(&m_rcLinks[i], sizeof(RECT));
        m_sLinks[i].Empty();
    }
}

} // namespace SkinUI
