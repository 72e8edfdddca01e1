#include <windows.h>
#include <wchar.h>
#include "controls/ListLabelElementUI.h"
#include "core/RenderEngine.h"

namespace SkinUI {

CListLabelElementUI::CListLabelElementUI() {}

LPCTSTR CListLabelElementUI::GetClass() const
{
    return L"ListLabelElementUI";
}

LPVOID CListLabelElementUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"ListLabelElement") == 0) return static_cast<CListLabelElementUI*>(this);
    return CListElementUI::GetInterface(pstrName);
}

void CListLabelElementUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && CListRowInput::IsMouseEvent(event)) {
        CListElementUI::DoEvent(event);
        return;
    }
    if (CListRowInput::PointerEvent(this, this, m_uButtonState, event)) return;
    CListElementUI::DoEvent(event);
}

SIZE CListLabelElementUI::EstimateSize(SIZE)
{
    SIZE cXY = { 0, 0 };
    if (m_pOwner == NULL) return cXY;
    TListInfoUI* pInfo = m_pOwner->GetListInfo();
    cXY = m_cxyFixed;
    if (pInfo == NULL || m_pManager == NULL) return cXY;
    const RECT rcPadding = pInfo->rcTextPadding;
    if (cXY.cy == 0) cXY.cy = m_pManager->GetFontInfo(pInfo->nFont)->tm.tmHeight + 8 + rcPadding.top + rcPadding.bottom;
    if (cXY.cx == 0) {
        // The text's own width on one line, measured without the horizontal alignment.
        RECT rcText = { 0, 0, 9999, cXY.cy };
        const UINT uStyle = (pInfo->uTextStyle & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT | DT_SINGLELINE;
        if (pInfo->bShowHtml) {
            int nLinks = 0;
            CRenderEngine::DrawHtmlText(m_pManager->GetPaintDC(), m_pManager, rcText, m_sText, 0, NULL, NULL, nLinks,
                                        uStyle);
        } else {
            CRenderEngine::DrawText(m_pManager->GetPaintDC(), m_pManager, rcText, m_sText, 0, pInfo->nFont, uStyle);
        }
        cXY.cx = rcText.right - rcText.left + rcPadding.left + rcPadding.right;
    }
    return cXY;
}

void CListLabelElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;
    DrawItemBk(hDC, m_rcItem);
    DrawItemText(hDC, m_rcItem);
}

void CListLabelElementUI::DrawItemText(HDC hDC, const RECT& rcItem)
{
    if (m_pOwner == NULL) return;
    TListInfoUI* pInfo = m_pOwner->GetListInfo();
    if (pInfo == NULL) return;
    CListRowPaint::DrawRowText(this, hDC, *pInfo, rcItem, m_uButtonState, IsSelected());
}

} // namespace SkinUI
