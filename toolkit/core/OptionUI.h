#pragma once
#include "core/ButtonUI.h"

namespace SkinUI {

// A button that can be selected. Options sharing a group name are mutually exclusive (the
// group is kept by the paint manager); without a group an option toggles.
class SKINUI_API COptionUI : public CButtonUI {
public:
    COptionUI();
    ~COptionUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    bool Activate() override;
    void SetEnabled(bool bEnable = true) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    virtual void Selected(bool bSelected);
    bool IsSelected() const;
    LPCTSTR GetGroup() const;
    void SetGroup(LPCTSTR pStrGroupName = NULL);

    LPCTSTR GetSelectedImage();
    void SetSelectedImage(LPCTSTR pStrImage);
    LPCTSTR GetSelectedHotImage();
    void SetSelectedHotImage(LPCTSTR pStrImage);
    LPCTSTR GetSelectedPushedImage();
    void SetSelectedPushedImage(LPCTSTR pStrImage);
    LPCTSTR GetSelectedForedImage();
    void SetSelectedForedImage(LPCTSTR pStrImage);
    void SetSelectedBkColor(DWORD dwBkColor);
    DWORD GetSelectBkColor() const;
    void SetSelectedTextColor(DWORD dwTextColor);
    // A colour still 0 becomes the manager's default font colour (kept from then on).
    DWORD GetSelectedTextColor();

protected:
    void JoinGroup();
    void LeaveGroup();

    bool m_bSelected;
    CSkinString m_sGroupName;
    DWORD m_dwSelectedBkColor;
    DWORD m_dwSelectedTextColor;
    CImageAttribute m_diSelected;
    CImageAttribute m_diSelectedHot;
    CImageAttribute m_diSelectedPushed;
    CImageAttribute m_diSelectedFore;

private:
    // The manager whose group list holds this option. The skin builder gives an option its
    // manager only while applying attributes, so the current manager cannot tell.
    CPaintManagerUI* m_pGroupManager;
};

} // namespace SkinUI
