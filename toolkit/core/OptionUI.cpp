#include <windows.h>
#include <wchar.h>
#include "core/OptionUI.h"
#include "core/RenderEngine.h"

namespace SkinUI {

COptionUI::COptionUI() : m_bSelected(false), m_dwSelectedBkColor(0), m_dwSelectedTextColor(0), m_pGroupManager(NULL) {}

COptionUI::~COptionUI()
{
    LeaveGroup();
}

LPCTSTR COptionUI::GetClass() const
{
    return L"OptionUI";
}

LPVOID COptionUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Option") == 0) return static_cast<COptionUI*>(this);
    return CButtonUI::GetInterface(pstrName);
}

void COptionUI::JoinGroup()
{
    if (m_sGroupName.IsEmpty() || m_pManager == NULL) return;
    if (m_pGroupManager != NULL && m_pGroupManager != m_pManager) LeaveGroup();
    m_pManager->AddOptionGroup(m_sGroupName, this);
    m_pGroupManager = m_pManager;
}

void COptionUI::LeaveGroup()
{
    // The group may belong to a window that has gone meanwhile (a combo's drop-down takes
    // its rows into groups of its own, and its manager dies when it closes).
    if (m_pGroupManager != NULL && !m_sGroupName.IsEmpty() && CPaintManagerUI::IsThreadManager(m_pGroupManager))
        m_pGroupManager->RemoveOptionGroup(m_sGroupName, this);
    m_pGroupManager = NULL;
}

void COptionUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    CControlUI::SetManager(pManager, pParent, bInit);
    if (bInit) JoinGroup();
}

LPCTSTR COptionUI::GetGroup() const
{
    return m_sGroupName;
}

void COptionUI::SetGroup(LPCTSTR pStrGroupName)
{
    if (pStrGroupName != NULL) {
        if (m_sGroupName == pStrGroupName) return;
        LeaveGroup();
        m_sGroupName = pStrGroupName;
    } else {
        if (m_sGroupName.IsEmpty()) return;
        LeaveGroup();
        m_sGroupName.Empty();
    }
    JoinGroup();
    Selected(m_bSelected);
}

bool COptionUI::IsSelected() const
{
    return m_bSelected;
}

void COptionUI::Selected(bool bSelected)
{
    m_bSelected = bSelected;
    if (m_bSelected)
        m_uButtonState |= UISTATE_SELECTED;
    else
        m_uButtonState &= ~UISTATE_SELECTED;

    if (m_pManager != NULL) {
        if (!m_sGroupName.IsEmpty()) {
            // Losing the selection is reported only by the member that took it.
            if (!m_bSelected) {
                Invalidate();
                return;
            }
            // A missing list is an empty group: nobody to deselect.
            CStdPtrArray* aOptionGroup = m_pManager->GetOptionGroup(m_sGroupName);
            for (int i = 0; aOptionGroup != NULL && i < aOptionGroup->GetSize(); i++) {
                CControlUI* pControl = static_cast<CControlUI*>(aOptionGroup->GetAt(i));
                COptionUI* pOption = static_cast<COptionUI*>(pControl->GetInterface(L"Option"));
                if (pOption != NULL && pOption != this) pOption->Selected(false);
            }
        }
        // A notifier may close and delete the window, and this option with it.
        CControlLifeGuard guard(this);
        m_pManager->SendNotify(this, L"selectchanged");
        if (!guard.Alive()) return;
    }
    Invalidate();
}

bool COptionUI::Activate()
{
    CControlLifeGuard guard(this);
    if (!CButtonUI::Activate()) return false;
    // The "click" notifier may have deleted the window and this option.
    if (!guard.Alive()) return true;
    if (!m_sGroupName.IsEmpty())
        Selected(true);
    else
        Selected(!m_bSelected);
    return true;
}

void COptionUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = m_bSelected ? UISTATE_SELECTED : 0;
}

LPCTSTR COptionUI::GetSelectedImage()
{
    return m_diSelected.GetAttributeString();
}

void COptionUI::SetSelectedImage(LPCTSTR pStrImage)
{
    m_diSelected.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR COptionUI::GetSelectedHotImage()
{
    return m_diSelectedHot.GetAttributeString();
}

void COptionUI::SetSelectedHotImage(LPCTSTR pStrImage)
{
    m_diSelectedHot.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR COptionUI::GetSelectedPushedImage()
{
    return m_diSelectedPushed.GetAttributeString();
}

void COptionUI::SetSelectedPushedImage(LPCTSTR pStrImage)
{
    m_diSelectedPushed.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR COptionUI::GetSelectedForedImage()
{
    return m_diSelectedFore.GetAttributeString();
}

void COptionUI::SetSelectedForedImage(LPCTSTR pStrImage)
{
    m_diSelectedFore.SetAttributeString(pStrImage);
    Invalidate();
}

void COptionUI::SetSelectedBkColor(DWORD dwBkColor)
{
    m_dwSelectedBkColor = dwBkColor;
}

DWORD COptionUI::GetSelectBkColor() const
{
    return m_dwSelectedBkColor;
}

void COptionUI::SetSelectedTextColor(DWORD dwTextColor)
{
    m_dwSelectedTextColor = dwTextColor;
}

DWORD COptionUI::GetSelectedTextColor()
{
    if (m_dwSelectedTextColor == 0 && m_pManager != NULL) m_dwSelectedTextColor = m_pManager->GetDefaultFontColor();
    return m_dwSelectedTextColor;
}

void COptionUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"group") == 0)
        SetGroup(pstrValue);
    else if (wcscmp(pstrName, L"selected") == 0)
        Selected(wcscmp(pstrValue, L"true") == 0);
    else if (wcscmp(pstrName, L"selectedimage") == 0)
        SetSelectedImage(pstrValue);
    else if (wcscmp(pstrName, L"selectedhotimage") == 0)
        SetSelectedHotImage(pstrValue);
    else if (wcscmp(pstrName, L"selectedpushedimage") == 0)
        SetSelectedPushedImage(pstrValue);
    else if (wcscmp(pstrName, L"selectedforeimage") == 0)
        SetSelectedForedImage(pstrValue);
    else if (wcscmp(pstrName, L"selectedbkcolor") == 0)
        SetSelectedBkColor(ParseColorValue(pstrValue));
    else if (wcscmp(pstrName, L"selectedtextcolor") == 0)
        SetSelectedTextColor(ParseColorValue(pstrValue));
    else
        CButtonUI::SetAttribute(pstrName, pstrValue);
}

void COptionUI::PaintStatusImage(HDC hDC)
{
    CImageAttribute* pChosen = NULL;
    if ((m_uButtonState & UISTATE_PUSHED) && m_bSelected && m_diSelectedPushed.IsLoadSuccess()) {
        pChosen = &m_diSelectedPushed;
    } else if ((m_uButtonState & UISTATE_HOT) && m_bSelected && m_diSelectedHot.IsLoadSuccess()) {
        pChosen = &m_diSelectedHot;
    } else if (m_uButtonState & UISTATE_SELECTED) {
        if (m_diSelected.IsLoadSuccess()) {
            pChosen = &m_diSelected;
        } else if (m_dwSelectedBkColor != 0) {
            CRenderEngine::DrawColor(hDC, m_rcPaint, GetAdjustColor(m_dwSelectedBkColor));
            return;
        }
    }
    if (pChosen != NULL && DrawImage(hDC, *pChosen)) {
        if (m_bSelected && m_diSelectedFore.IsLoadSuccess())
            DrawImage(hDC, m_diSelectedFore);
        else if (m_diFore.IsLoadSuccess())
            DrawImage(hDC, m_diFore);
        return;
    }
    // The button's look already carries the fore image: a second draw would darken a
    // translucent one, so only the selected fore image may still go over it.
    CButtonUI::PaintStatusImage(hDC);
    if (m_bSelected && m_diSelectedFore.IsLoadSuccess()) DrawImage(hDC, m_diSelectedFore);
}

void COptionUI::PaintText(HDC hDC)
{
    if (!(m_uButtonState & UISTATE_SELECTED)) {
        CButtonUI::PaintText(hDC);
        return;
    }
    if (m_pManager == NULL) return;
    if (m_dwDisabledTextColor == 0) m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
    DWORD dwColor = m_dwSelectedTextColor != 0 ? m_dwSelectedTextColor : m_dwTextColor;
    if (dwColor == 0) dwColor = m_pManager->GetDefaultFontColor();
    if (!IsEnabled()) dwColor = m_dwDisabledTextColor;
    DrawLabelText(hDC, dwColor);
}

} // namespace SkinUI
