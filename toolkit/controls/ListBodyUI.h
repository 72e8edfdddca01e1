#pragma once
#include "core/VerticalLayoutUI.h"

namespace SkinUI {

class CListUI;

// The application's row order for SortItems: the two row controls (as UINT_PTR) and the
// data given to SortItems. Negative, 0 or positive as for qsort.
typedef int(CALLBACK* PListCompareFunc)(UINT_PTR, UINT_PTR, UINT_PTR);

// The scrolling part of a list: a vertical layout of rows whose widths follow the list's
// header columns, and which drags the header sideways when it scrolls horizontally.
class SKINUI_API CListBodyUI : public CVerticalLayoutUI {
public:
    explicit CListBodyUI(CListUI* pOwner);
    ~CListBodyUI() override;

    void SetScrollPos(SIZE szPos) override;
    void SetPos(RECT rc) override;
    void DoEvent(TEventUI& event) override;

    // Orders the rows with pfnCompare, renumbers them and leaves no selection. Answers 0
    // for a null function. Any deterministic comparator is safe, even an inconsistent one.
    BOOL SortItems(PListCompareFunc pfnCompare, UINT_PTR dwData);

protected:
    // A row that leaves outlives the list when the program keeps it or the delayed cleanup
    // holds it: it must not reach the list through its owner any more.
    void ChildLeaves(CControlUI* pControl) override;
    void ForgetOwner(CControlUI* pRow) const;
    // The comparison handed to the sort: 0 for a missing row or function.
    int CompareItems(CControlUI* pFirst, CControlUI* pSecond) const;
    // Shifts the header columns by dx and stores their rectangles in the list info.
    void MoveHeaderColumns(int dx);

    CListUI* m_pOwner;
    PListCompareFunc m_pCompareFunc;
    UINT_PTR m_compareData;
};

} // namespace SkinUI
