#include <windows.h>
#include <wchar.h>
#include "controls/ListLabelElementUI.h"

namespace SkinUI {

CListLabelElementUI::CListLabelElementUI() {}

LPCTSTR CListLabelElementUI::GetClass() const
{
    return L"ListLabelElementUI";
}

LPVOID CListLabelElementUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"ListLabelElement") == 0) return static_cast<CListLabelElementUI*>(this);
    return CListElementUI::GetInterface(pstrName);
}

void CListLabelElementUI::DoEvent(TEventUI& event)
{
    CListElementUI::DoEvent(event);
}

SIZE CListLabelElementUI::EstimateSize(SIZE)
{
    return m_cxyFixed;
}

void CListLabelElementUI::DoPaint(HDC, const RECT&) {}

void CListLabelElementUI::DrawItemText(HDC, const RECT&) {}

} // namespace SkinUI
