#pragma once
#include "core/ContainerUI.h"

namespace SkinUI {

// Fills itself from a second skin file ("xmlfile") when it is initialised. It answers
// neither "IContainer" nor "Container": elements written inside it in a skin are not
// added to it.
class SKINUI_API CChildLayoutUI : public CContainerUI {
public:
    CChildLayoutUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    // Builds the file as the only child; an unbuildable file leaves the layout empty.
    void Init() override;

    void SetChildLayoutXML(LPCTSTR pXML);
    CSkinString GetChildLayoutXML() const;

    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

protected:
    CSkinString m_pstrXMLFile;
};

} // namespace SkinUI
