#include <windows.h>
#include <wchar.h>
#include "controls/ListTextElementUI.h"

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
    if (pstrName != NULL && wcscmp(pstrName, L"ListTextElement") == 0) return static_cast<CListTextElementUI*>(this);
    return CListLabelElementUI::GetInterface(pstrName);
}

UINT CListTextElementUI::GetControlFlags() const
{
    return 4 | ((IsEnabled() && m_nLinks > 0) ? UIFLAG_SETCURSOR : 0);
}

LPCTSTR CListTextElementUI::GetText(int) const
{
    return NULL;
}

void CListTextElementUI::SetText(int, LPCTSTR) {}

void CListTextElementUI::SetOwner(CControlUI* pOwner)
{
    CListElementUI::SetOwner(pOwner);
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

void CListTextElementUI::DoEvent(TEventUI& event)
{
    CListLabelElementUI::DoEvent(event);
}

SIZE CListTextElementUI::EstimateSize(SIZE)
{
    return m_cxyFixed;
}

void CListTextElementUI::DrawItemText(HDC, const RECT&) {}

int CListTextElementUI::LinkAt(POINT) const
{
    return -1;
}

int CListTextElementUI::ColumnCount() const
{
    return 0;
}

} // namespace SkinUI
