#pragma once
#include "core/ContainerUI.h"

namespace SkinUI {

// Shows exactly one child (page) at a time and reports a switch with "tabselect"
// (wParam the new index, lParam the old one).
class SKINUI_API CTabLayoutUI : public CContainerUI {
public:
    CTabLayoutUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    void RemoveAll() override;

    int GetCurSel() const;
    virtual bool SelectItem(CControlUI* pControl);
    virtual bool SelectItem(int iIndex);

    void SetPos(RECT rc) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

protected:
    int m_iCurSel;
};

} // namespace SkinUI
