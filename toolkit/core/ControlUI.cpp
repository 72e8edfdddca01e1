#include "core/ControlUI.h"

namespace SkinUI {

CSkinString CControlUI::GetName() const
{
    return m_sName;
}

CSkinString CControlUI::GetVirtualWnd() const
{
    if (!m_sVirtualWnd.IsEmpty())
        return m_sVirtualWnd;
    CControlUI* pParent = GetParent();
    if (pParent != NULL)
        return pParent->GetVirtualWnd();
    return CSkinString();
}

bool CControlUI::IsUpdateNeeded() const
{
    return m_bUpdateNeeded;
}

void CControlUI::NeedUpdate()
{
    if (!IsVisible())
        return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager != NULL)
        m_pManager->NeedUpdate();
}

void CControlUI::Invalidate()
{
    if (!IsVisible())
        return;
    // Only the part that every ancestor shows needs painting again.
    RECT rcInvalidate = m_rcItem;
    for (CControlUI* pParent = GetParent(); pParent != NULL; pParent = pParent->GetParent()) {
        RECT rcTemp = rcInvalidate;
        const RECT& rcParent = pParent->GetPos();
        if (!::IntersectRect(&rcInvalidate, &rcTemp, &rcParent))
            return;
    }
    if (m_pManager != NULL)
        m_pManager->Invalidate(rcInvalidate);
}

} // namespace SkinUI
