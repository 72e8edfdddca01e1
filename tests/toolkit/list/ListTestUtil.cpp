#include "ListTestUtil.h"
#include <wchar.h>
#include "core/RenderEngine.h"

using namespace SkinUI;

namespace listtest {

TestRow::TestRow()
{
    m_cxyFixed.cy = 20;
}

LPVOID TestRow::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"ListItem") == 0) return static_cast<IListItemUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

void TestRow::SetOwner(CControlUI* pOwner)
{
    m_pOwner = pOwner == NULL ? NULL : static_cast<IListOwnerUI*>(pOwner->GetInterface(L"IListOwner"));
}

bool TestRow::Select(bool bSelect)
{
    if (!IsEnabled() || (bSelect && refuse)) return false;
    if (bSelect == m_bSelected) return true;
    m_bSelected = bSelect;
    if (bSelect && m_pOwner != NULL) m_pOwner->SelectItem(m_iIndex);
    Invalidate();
    return true;
}

bool TestRow::Expand(bool bExpand)
{
    if (!expandable) return false;
    m_bExpanded = bExpand;
    return true;
}

void TestRow::DoEvent(TEventUI& event)
{
    switch (event.type) {
    case UIEVENT_LBUTTONDOWN:
        if (IsEnabled()) Select(true);
        return;
    case UIEVENT_KEYDOWN:
    case UIEVENT_MOUSEWHEEL:
        if (m_pOwner != NULL) m_pOwner->DoEvent(event);
        return;
    default:
        CControlUI::DoEvent(event);
    }
}

void TestRow::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"refuse") == 0)
        refuse = wcscmp(pstrValue, L"true") == 0;
    else if (wcscmp(pstrName, L"expandable") == 0)
        expandable = wcscmp(pstrValue, L"true") == 0;
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

void TestRow::DoPaint(HDC hDC, const RECT& rcPaint)
{
    RECT rc;
    if (!::IntersectRect(&rc, &rcPaint, &m_rcItem)) return;
    if (m_dwBackColor != 0) CRenderEngine::DrawColor(hDC, m_rcItem, m_dwBackColor);
}

CControlUI* RowFactory::CreateControl(LPCTSTR pstrClass)
{
    if (wcscmp(pstrClass, L"TestRow") == 0) return new TestRow;
    return NULL;
}

std::wstring Rows(int n, const std::wstring& attributes)
{
    std::wstring out;
    for (int i = 0; i < n; ++i) out += L"<ListLabelElement height=\"20\" " + attributes + L"/>";
    return out;
}

void ListWindowTest::Open(const std::wstring& body, int w, int h)
{
    const std::wstring xml = L"<Window><VerticalLayout>" + body + L"</VerticalLayout></Window>";
    CDialogBuilder builder;
    CControlUI* pRoot = builder.Create(xml.c_str(), NULL, &m_factory);
    ASSERT_TRUE(pRoot != NULL);
    m_win.Open(pRoot, w, h);
    m_list = static_cast<CListUI*>(m_win.pm().FindControl(L"list"));
    ASSERT_TRUE(m_list != NULL);
    ASSERT_STREQ(L"ListUI", m_list->GetClass());
}

CListLabelElementUI* ListWindowTest::Row(int i) const
{
    return static_cast<CListLabelElementUI*>(m_list->GetItemAt(i));
}

TestRow* ListWindowTest::OwnRow(int i) const
{
    return static_cast<TestRow*>(m_list->GetItemAt(i));
}

void ListWindowTest::Relayout()
{
    m_list->NeedUpdate();
    m_win.Update();
}

std::vector<std::pair<int, int>> ListWindowTest::Selects() const
{
    std::vector<std::pair<int, int>> out;
    for (const basictest::Note& n : m_win.notes)
        if (n.type == L"itemselect") out.emplace_back(static_cast<int>(n.wParam), static_cast<int>(n.lParam));
    return out;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return ::EqualRect(&a, &b) != FALSE;
}

std::string Str(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom) + ")";
}

} // namespace listtest
