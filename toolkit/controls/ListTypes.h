#pragma once
#include "core/ContainerUI.h"
#include "core/ImageAttribute.h"
#include "core/PaintManager.h"

namespace SkinUI {

class CListHeaderUI;

// Styling shared by every row of one list or one combo box; the rows read it through their
// owner when they paint. Only the images are constructed here: the owner sets the defaults.
typedef struct tagTListInfoUI {
    enum { kMaxColumns = 32 };

    int nColumns;
    RECT rcColumn[kMaxColumns];
    int nFont;
    UINT uTextStyle;
    RECT rcTextPadding;
    DWORD dwTextColor;
    DWORD dwBkColor;
    CImageAttribute diBk;
    bool bAlternateBk;
    DWORD dwSelectedTextColor;
    DWORD dwSelectedBkColor;
    CImageAttribute diSelected;
    DWORD dwHotTextColor;
    DWORD dwHotBkColor;
    CImageAttribute diHot;
    DWORD dwDisabledTextColor;
    DWORD dwDisabledBkColor;
    CImageAttribute diDisabled;
    DWORD dwLineColor;
    bool bShowHtml;
    bool bMultiExpandable;
} TListInfoUI;

// Supplies the cell texts of text rows; owned by the application, never by the list.
class IListCallbackUI {
public:
    virtual LPCTSTR GetColumnText(CControlUI* pList, int iItem, int iSubItem) = 0;
};

// What a row needs of whoever holds it: a list, a combo box, a tree or a menu.
class IListOwnerUI {
public:
    virtual TListInfoUI* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int iIndex, bool bTakeFocus = false) = 0;
    virtual void DoEvent(TEventUI& event) = 0;
};

class IListUI : public IListOwnerUI {
public:
    virtual CListHeaderUI* GetHeader() const = 0;
    virtual CContainerUI* GetList() const = 0;
    virtual IListCallbackUI* GetTextCallback() const = 0;
    virtual void SetTextCallback(IListCallbackUI* pCallback) = 0;
    virtual bool ExpandItem(int iIndex, bool bExpand = true) = 0;
    virtual int GetExpandedItem() const = 0;
};

// A row as its owner sees it.
class IListItemUI {
public:
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int iIndex) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* pOwner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool bSelect = true) = 0;
    virtual bool IsExpanded() const = 0;
    virtual bool Expand(bool bExpand = true) = 0;
    virtual void DrawItemText(HDC hDC, const RECT& rcItem) = 0;
};

} // namespace SkinUI
