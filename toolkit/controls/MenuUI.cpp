#include <windows.h>
#include <wchar.h>
#include "controls/MenuUI.h"
#include "controls/ListHeaderUI.h"
#include "controls/MenuElementUI.h"

namespace SkinUI {

CMenuUI::CMenuUI()
{
    if (GetHeader() != NULL) GetHeader()->SetVisible(false);
}

CMenuUI::~CMenuUI() {}

LPCTSTR CMenuUI::GetClass() const
{
    return L"MenuUI";
}

LPVOID CMenuUI::GetInterface(LPCTSTR pstrName)
{
    if (_wcsicmp(pstrName, L"Menu") == 0) return static_cast<CMenuUI*>(this);
    return CListUI::GetInterface(pstrName);
}

void CMenuUI::DoEvent(TEventUI& event)
{
    CListUI::DoEvent(event);
}

void CMenuUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    CListUI::SetAttribute(pstrName, pstrValue);
}

SIZE CMenuUI::EstimateSize(SIZE szAvailable)
{
    SIZE cXY = { 0, 0 };
    for (int i = 0; i < GetCount(); i++) {
        CControlUI* pItem = GetItemAt(i);
        if (!pItem->IsVisible()) continue;
        const SIZE sz = pItem->EstimateSize(szAvailable);
        cXY.cy += sz.cy;
        if (cXY.cx < sz.cx) cXY.cx = sz.cx;
    }
    return cXY;
}

int CMenuUI::GetItemIndex(CControlUI* pControl) const
{
    if (CMenuElementUI::AsMenuElement(pControl) == NULL) return -1;
    return CListUI::GetItemIndex(pControl);
}

bool CMenuUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    if (CMenuElementUI::AsMenuElement(pControl) == NULL) return false;
    return CListUI::SetItemIndex(pControl, iIndex);
}

bool CMenuUI::Add(CControlUI* pControl)
{
    CMenuElementUI* pItem = CMenuElementUI::AsMenuElement(pControl);
    if (pItem == NULL) return false;
    // Its sub-items show in its sub-menu only.
    pItem->HideSubItems();
    return CListUI::Add(pControl);
}

bool CMenuUI::AddAt(CControlUI* pControl, int iIndex)
{
    CMenuElementUI* pItem = CMenuElementUI::AsMenuElement(pControl);
    if (pItem == NULL) return false;
    // Its sub-items show in its sub-menu only.
    pItem->HideSubItems();
    return CListUI::AddAt(pControl, iIndex);
}

bool CMenuUI::Remove(CControlUI* pControl)
{
    if (CMenuElementUI::AsMenuElement(pControl) == NULL) return false;
    return CListUI::Remove(pControl);
}

} // namespace SkinUI
