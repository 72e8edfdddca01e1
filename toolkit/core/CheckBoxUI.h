#pragma once
#include "core/OptionUI.h"

namespace SkinUI {

// An option used as a check box; it answers "Option" as its interface.
class SKINUI_API CCheckBoxUI : public COptionUI {
public:
    LPCTSTR GetClass() const override;

    void SetCheck(bool bCheck);
    bool GetCheck() const;
};

} // namespace SkinUI
