#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "../basic/BasicTestUtil.h"
#include "core/DialogBuilder.h"
#include "controls/ListUI.h"

namespace listtest {

// A small row of the tests' own: selects on button down, reports "itemclick" on button up and
// "itemactivate" on activation, hands keys and the wheel to its owner, and paints its
// background colour (or kSelected while selected). "expandable" lets it expand, "key" is
// what the sorting tests order by.
class TestRow : public SkinUI::CControlUI, public SkinUI::IListItemUI {
public:
    static const DWORD kSelected = 0xFF2040C0;
    static int s_live;

    TestRow();
    ~TestRow() override;

    LPCTSTR GetClass() const override { return L"TestRowUI"; }
    LPVOID GetInterface(LPCTSTR pstrName) override;
    bool Activate() override;
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

    int key = 0;
    bool expandable = false;
    int activations = 0;

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

// "n" rows of the given attributes, as skin text.
std::wstring Rows(int n, const std::wstring& attributes = L"");

// A window 300 x 200 (unless told otherwise) whose root is a vertical layout around the
// skin text given; the list is the control named "list".
class ListWindowTest : public ::testing::Test {
protected:
    void SetUp() override { TestRow::s_live = 0; }
    void Open(const std::wstring& body, int w = 300, int h = 200);
    SkinUI::CListUI* List() const { return m_list; }
    TestRow* Row(int i) const;
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
