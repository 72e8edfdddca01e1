// The skin's element names and the classes they make. A control class joins the skin
// format with one row here (and its header above, when it has a new one).
#include "core/DialogBuilder.h"

#include "core/ButtonUI.h"
#include "core/CheckBoxUI.h"
#include "core/ChildLayoutUI.h"
#include "core/ContainerUI.h"
#include "core/ControlUI.h"
#include "core/HorizontalLayoutUI.h"
#include "core/LabelUI.h"
#include "core/OptionUI.h"
#include "core/ProgressUI.h"
#include "core/ScrollBarUI.h"
#include "core/SliderUI.h"
#include "core/TabLayoutUI.h"
#include "core/TextUI.h"
#include "core/TileLayoutUI.h"
#include "core/VerticalLayoutUI.h"
#include "controls/ActiveXUI.h"
#include "controls/DateTimeUI.h"
#include "controls/EditUI.h"
#include "controls/GifAnimUI.h"
#include "controls/RichEditUI.h"
#include "controls/ComboUI.h"
#include "controls/ListContainerElementUI.h"
#include "controls/ListLabelElementUI.h"
#include "controls/ListTextElementUI.h"
#include "controls/FlashUI.h"
#include "controls/WebBrowserUI.h"
#include "controls/ListHeaderItemUI.h"
#include "controls/ListHeaderUI.h"
#include "controls/ListUI.h"
#include "controls/TreeNodeUI.h"
#include "controls/TreeViewUI.h"

namespace SkinUI {

namespace {

template <class T>
CControlUI* Make()
{
    return new T;
}

const SkinControlEntry kControls[] = {
    { L"Control", &Make<CControlUI> },
    { L"Container", &Make<CContainerUI> },
    { L"VerticalLayout", &Make<CVerticalLayoutUI> },
    { L"HorizontalLayout", &Make<CHorizontalLayoutUI> },
    { L"TileLayout", &Make<CTileLayoutUI> },
    { L"TabLayout", &Make<CTabLayoutUI> },
    { L"ChildLayout", &Make<CChildLayoutUI> },
    { L"Label", &Make<CLabelUI> },
    { L"Text", &Make<CTextUI> },
    { L"Button", &Make<CButtonUI> },
    { L"Option", &Make<COptionUI> },
    { L"CheckBox", &Make<CCheckBoxUI> },
    { L"Progress", &Make<CProgressUI> },
    { L"Slider", &Make<CSliderUI> },
    { L"ScrollBar", &Make<CScrollBarUI> },
    { L"Edit", &Make<CEditUI> },
    { L"DateTime", &Make<CDateTimeUI> },
    { L"GifAnim", &Make<CGifAnimUI> },
    { L"RichEdit", &Make<CRichEditUI> },
    { L"ListLabelElement", &Make<CListLabelElementUI> },
    { L"ListTextElement", &Make<CListTextElementUI> },
    { L"ListContainerElement", &Make<CListContainerElementUI> },
    { L"Combo", &Make<CComboUI> },
    { L"ActiveX", &Make<CActiveXUI> },
    { L"WebBrowser", &Make<CWebBrowserUI> },
    { L"Flash", &Make<CFlashUI> },
    { L"List", &Make<CListUI> },
    { L"ListHeader", &Make<CListHeaderUI> },
    { L"ListHeaderItem", &Make<CListHeaderItemUI> },
    { L"TreeView", &Make<CTreeViewUI> },
    { L"TreeNode", &Make<CTreeNodeUI> },
};

// "TreeNode" elements are made and linked by the tree view.
const SkinTreeNodeLinks kTreeNodeLinks = { &CTreeViewUI::BuilderCreateNode, &CTreeViewUI::BuilderAddToNode,
                                           &CTreeViewUI::BuilderAddToView };

} // namespace

const SkinControlEntry* GetSkinControlTable(int* pnCount)
{
    *pnCount = static_cast<int>(sizeof(kControls) / sizeof(kControls[0]));
    return kControls;
}

const SkinTreeNodeLinks& GetSkinTreeNodeLinks()
{
    return kTreeNodeLinks;
}

} // namespace SkinUI
