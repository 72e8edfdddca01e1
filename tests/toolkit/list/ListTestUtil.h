#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "../basic/BasicTestUtil.h"
#include "core/DialogBuilder.h"
#include "controls/ListUI.h"
#include "controls/ListLabelElementUI.h"

namespace listtest {

// A row of the tests' own for what no standard row does: "expandable" lets it expand, and
// "refuse" makes it refuse to be selected although it is enabled. It selects on button down,
// hands keys and the wheel to its owner and paints its background colour.
class TestRow : public SkinUI::CControlUI, public SkinUI::IListItemUI {
public:
    TestRow();

    LPCTSTR GetClass() const override { return L"TestRowUI"; }
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void DoEvent(SkinUI::TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int iIndex) override { m_iIndex = iIndex; }
    SkinUI::IListOwnerUI* GetOwner() override { return m_pOwner; }
    void SetOwner(SkinUI::CControlUI* pOwner) override;
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool bSelect = true) override;
    bool IsExpanded() const override { return m_bExpanded; }
    bool Expand(bool bExpand = true) override;
    void DrawItemText(HDC, const RECT&) override {}

    bool expandable = false;
    bool refuse = false;

private:
    int m_iIndex = -1;
    bool m_bSelected = false;
    bool m_bExpanded = false;
    SkinUI::IListOwnerUI* m_pOwner = nullptr;
};

// Makes "TestRow" elements for the skin builder.
class RowFactory : public SkinUI::IDialogBuilderCallback {
public:
    SkinUI::CControlUI* CreateControl(LPCTSTR pstrClass) override;
};

// "n" label rows 20 pixels high with the given attributes, as skin text.
std::wstring Rows(int n, const std::wstring& attributes = L"");

// A window 300 x 200 (unless told otherwise) whose root is a vertical layout around the
// skin text given; the list is the control named "list".
class ListWindowTest : public ::testing::Test {
protected:
    void Open(const std::wstring& body, int w = 300, int h = 200);
    SkinUI::CListUI* List() const { return m_list; }
    SkinUI::CListLabelElementUI* Row(int i) const;
    TestRow* OwnRow(int i) const;
    // Lays the window out again.
    void Relayout();
    // Recorded "itemselect" notifications as (new, old) pairs.
    std::vector<std::pair<int, int>> Selects() const;

    basictest::HostWindow m_win;
    SkinUI::CListUI* m_list = nullptr;
    RowFactory m_factory;
};

bool SameRect(const RECT& a, const RECT& b);
std::string Str(const RECT& rc);

} // namespace listtest
