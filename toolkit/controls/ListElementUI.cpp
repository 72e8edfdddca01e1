#include <windows.h>
#include <wchar.h>
#include "controls/ListElementUI.h"

namespace SkinUI {

void CListRowPaint::InvalidateRow(CControlUI* pRow)
{
    pRow->Invalidate();
}

DWORD CListRowPaint::BkColor(const TListInfoUI& info, int, UINT, bool, bool)
{
    return info.dwBkColor;
}

DWORD CListRowPaint::TextColor(const TListInfoUI& info, UINT, bool, bool)
{
    return info.dwTextColor;
}

bool CListRowPaint::DrawStateImage(CControlUI*, HDC, TListInfoUI&, UINT, bool, bool)
{
    return false;
}

void CListRowPaint::DrawLine(CControlUI*, HDC, const TListInfoUI&, const RECT&) {}

CListElementUI::CListElementUI() : m_iIndex(-1), m_bSelected(false), m_uButtonState(0), m_pOwner(NULL) {}

LPCTSTR CListElementUI::GetClass() const
{
    return L"ListElementUI";
}

LPVOID CListElementUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"ListItem") == 0) return static_cast<IListItemUI*>(this);
    if (pstrName != NULL && wcscmp(pstrName, L"ListElement") == 0) return static_cast<CListElementUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

UINT CListElementUI::GetControlFlags() const
{
    return 4;
}

bool CListElementUI::Activate()
{
    return CControlUI::Activate();
}

void CListElementUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
}

void CListElementUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
}

void CListElementUI::DoEvent(TEventUI& event)
{
    PassToOwner(event);
}

void CListElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    CControlUI::SetAttribute(pstrName, pstrValue);
}

int CListElementUI::GetIndex() const
{
    return m_iIndex;
}

void CListElementUI::SetIndex(int iIndex)
{
    m_iIndex = iIndex;
}

IListOwnerUI* CListElementUI::GetOwner()
{
    return m_pOwner;
}

void CListElementUI::SetOwner(CControlUI* pOwner)
{
    m_pOwner = pOwner != NULL ? static_cast<IListOwnerUI*>(pOwner->GetInterface(L"IListOwner")) : NULL;
}

bool CListElementUI::IsSelected() const
{
    return m_bSelected;
}

bool CListElementUI::Select(bool bSelect)
{
    m_bSelected = bSelect;
    return true;
}

bool CListElementUI::IsExpanded() const
{
    return false;
}

bool CListElementUI::Expand(bool)
{
    return false;
}

void CListElementUI::Invalidate()
{
    CListRowPaint::InvalidateRow(this);
}

void CListElementUI::DrawItemBk(HDC, const RECT&) {}

UINT CListElementUI::GetButtonState() const
{
    return m_uButtonState;
}

void CListElementUI::PassToOwner(TEventUI& event)
{
    if (m_pOwner != NULL)
        m_pOwner->DoEvent(event);
    else
        CControlUI::DoEvent(event);
}

} // namespace SkinUI
