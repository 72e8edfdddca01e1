#include <windows.h>
#include <wchar.h>
#include "controls/ListContainerElementUI.h"
#include "controls/ListElementUI.h"

namespace SkinUI {

CListContainerElementUI::CListContainerElementUI() : m_iIndex(-1), m_bSelected(false), m_uButtonState(0), m_pOwner(NULL)
{
}

LPCTSTR CListContainerElementUI::GetClass() const
{
    return L"ListContainerElementUI";
}

LPVOID CListContainerElementUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"ListItem") == 0) return static_cast<IListItemUI*>(this);
    if (pstrName != NULL && wcscmp(pstrName, L"ListContainerElement") == 0)
        return static_cast<CListContainerElementUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CListContainerElementUI::GetControlFlags() const
{
    return 4;
}

bool CListContainerElementUI::Activate()
{
    return CContainerUI::Activate();
}

void CListContainerElementUI::SetPos(RECT rc)
{
    CHorizontalLayoutUI::SetPos(rc);
}

void CListContainerElementUI::SetVisible(bool bVisible)
{
    CContainerUI::SetVisible(bVisible);
}

void CListContainerElementUI::SetEnabled(bool bEnable)
{
    CContainerUI::SetEnabled(bEnable);
}

void CListContainerElementUI::DoEvent(TEventUI& event)
{
    PassToOwner(event);
}

void CListContainerElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    CHorizontalLayoutUI::SetAttribute(pstrName, pstrValue);
}

void CListContainerElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    CContainerUI::DoPaint(hDC, rcPaint);
}

int CListContainerElementUI::GetIndex() const
{
    return m_iIndex;
}

void CListContainerElementUI::SetIndex(int iIndex)
{
    m_iIndex = iIndex;
}

IListOwnerUI* CListContainerElementUI::GetOwner()
{
    return m_pOwner;
}

void CListContainerElementUI::SetOwner(CControlUI* pOwner)
{
    m_pOwner = pOwner != NULL ? static_cast<IListOwnerUI*>(pOwner->GetInterface(L"IListOwner")) : NULL;
}

bool CListContainerElementUI::IsSelected() const
{
    return m_bSelected;
}

bool CListContainerElementUI::Select(bool bSelect)
{
    m_bSelected = bSelect;
    return true;
}

bool CListContainerElementUI::IsExpanded() const
{
    return false;
}

bool CListContainerElementUI::Expand(bool)
{
    return false;
}

void CListContainerElementUI::DrawItemText(HDC, const RECT&) {}

void CListContainerElementUI::DrawItemBk(HDC, const RECT&) {}

void CListContainerElementUI::Invalidate()
{
    CListRowPaint::InvalidateRow(this);
}

UINT CListContainerElementUI::GetButtonState() const
{
    return m_uButtonState;
}

void CListContainerElementUI::PassToOwner(TEventUI& event)
{
    if (m_pOwner != NULL)
        m_pOwner->DoEvent(event);
    else
        CContainerUI::DoEvent(event);
}

} // namespace SkinUI
