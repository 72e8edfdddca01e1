#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <new>
#include <string>
#include <vector>
#include "../basic/BasicTestUtil.h"
#include "controls/MenuWnd.h"
#include "controls/MenuUI.h"
#include "controls/MenuElementUI.h"

using namespace SkinUI;

namespace {

// A menu with a leaf, an item with three sub-items, a separator and two check items that
// show "check.png" as their check mark; "wrap" is checked by the skin.
const wchar_t kSkin[] = L"<Window>"
                        L"<Menu>"
                        L"<MenuElement name=\"open\" text=\"Open\"/>"
                        L"<MenuElement name=\"recent\" text=\"Recent\" expland=\"true\">"
                        L"<MenuElement name=\"r1\" text=\"One\"/>"
                        L"<MenuElement name=\"r2\" text=\"Two\"/>"
                        L"<MenuElement name=\"r3\" text=\"Three\"/>"
                        L"</MenuElement>"
                        L"<MenuElement name=\"sep\" linetype=\"true\"/>"
                        L"<MenuElement name=\"wrap\" checkitem=\"true\" ischeck=\"true\" icon=\"check.png\" text=\"Wrap\"/>"
                        L"<MenuElement name=\"bold\" checkitem=\"true\" icon=\"check.png\" text=\"Bold\"/>"
                        L"</Menu>"
                        L"</Window>";
// Four items of 30 and the separator of 6, each 130 wide; sub-items 3 x 30.
const int kMenuW = 130;
const int kMenuH = 126;
const int kSubH = 90;
const uint32_t kIconColor = 0xFFFF0000;

// The main window of the menus: it records the choices posted to it, with the name that
// was current when each arrived.
class MainWindow : public basictest::HostWindow {
public:
    struct Choice {
        LPARAM lParam;
        std::wstring name;
    };
    std::vector<Choice> choices;

protected:
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_MENUCLICK) {
            choices.push_back(Choice{ lParam, CMenuWnd::GetClickedMenuName().GetData() });
            return 0;
        }
        return HostWindow::HandleMessage(uMsg, wParam, lParam);
    }
};

RECT ScreenRect(HWND hWnd)
{
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

RECT WorkArea()
{
    const POINT pt = { 0, 0 };
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromPoint(pt, MONITOR_DEFAULTTOPRIMARY), &mi);
    return mi.rcWork;
}

BOOL CALLBACK CountMenuWindow(HWND hWnd, LPARAM lParam)
{
    wchar_t szClass[64] = {};
    ::GetClassNameW(hWnd, szClass, 64);
    if (wcscmp(szClass, L"SkinMenuWnd") == 0) ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

// Menu windows of this thread that still exist.
int LiveMenuWindows()
{
    int n = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountMenuWindow, reinterpret_cast<LPARAM>(&n));
    return n;
}

int Receivers()
{
    return CMenuWnd::GetGlobalContextMenuObserver().GetReceiverCount();
}

int g_destroyed = 0;
bool CountDestroy(void*)
{
    ++g_destroyed;
    return true;
}

// A menu item whose memory is never reused: deleted, it is filled with 0xDD, so that a call
// through it afterwards crashes (its table pointer is gone) and a write into it shows.
class QuarantinedItem : public CMenuElementUI {
public:
    static void* operator new(size_t n)
    {
        static size_t s_used = 0;
        n = (n + 15) & ~static_cast<size_t>(15);
        if (s_used + n > sizeof(s_store)) throw std::bad_alloc();
        void* p = s_store + s_used;
        s_used += n;
        return p;
    }
    static void operator delete(void* p, size_t n)
    {
        memset(p, 0xDD, n);
        Dead().push_back(std::string(static_cast<char*>(p), n));
        DeadAt().push_back(static_cast<char*>(p));
    }
    static int Deleted() { return static_cast<int>(Dead().size()); }
    // Every deleted item still holds nothing but the fill.
    static bool Untouched()
    {
        for (size_t i = 0; i < Dead().size(); i++) {
            if (std::string(DeadAt()[i], Dead()[i].size()) != Dead()[i]) return false;
        }
        return true;
    }

private:
    static std::vector<std::string>& Dead()
    {
        static std::vector<std::string> s_dead;
        return s_dead;
    }
    static std::vector<char*>& DeadAt()
    {
        static std::vector<char*> s_at;
        return s_at;
    }
    alignas(16) static char s_store[64 * 1024];
};
alignas(16) char QuarantinedItem::s_store[64 * 1024];

::testing::AssertionResult RectIs(const RECT& rc, LONG l, LONG t, LONG r, LONG b)
{
    if (rc.left == l && rc.top == t && rc.right == r && rc.bottom == b) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom
                                         << ") instead of (" << l << "," << t << "," << r << "," << b << ")";
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<uint8_t> rgba(16 * 16 * 4);
        for (size_t i = 0; i < rgba.size(); i += 4) {
            rgba[i] = 0xFF;
            rgba[i + 3] = 0xFF;
        }
        ASSERT_TRUE(painttest::WriteFileBytes(m_dir / L"check.png", painttest::EncodePng(16, 16, rgba)));
        CPaintManagerUI::SetResourcePath(m_dir.path().c_str());
        m_main.Open(basictest::Root({}), 300, 200);
        g_destroyed = 0;
    }
    void TearDown() override
    {
        ContextMenuParam param = { ContextMenuParam::kCloseAll, NULL };
        CMenuWnd::GetGlobalContextMenuObserver().RBroadcast(param);
        m_main.Pump();
    }

    // At 100, 100 inside the work area: nothing there reaches its edges.
    CMenuWnd* Open(LPCWSTR pstrSkin = kSkin)
    {
        const RECT rcWork = WorkArea();
        return Open(POINT{ rcWork.left + 100, rcWork.top + 100 }, 6, pstrSkin);
    }
    CMenuWnd* Open(POINT pt, DWORD dwAlignment = 6, LPCWSTR pstrSkin = kSkin)
    {
        CMenuWnd* pMenu = CMenuWnd::CreateMenu(NULL, pstrSkin, pt, &m_main.pm(), &m_checks, dwAlignment);
        m_main.Pump();
        return pMenu;
    }
    static CMenuElementUI* Item(CMenuWnd* pMenu, LPCWSTR name)
    {
        return static_cast<CMenuElementUI*>(pMenu->GetManager()->FindControl(name));
    }
    void Post(HWND hWnd, UINT uMsg, WPARAM wParam, CControlUI* pAt)
    {
        const RECT rc = pAt->GetPos();
        ::PostMessageW(hWnd, uMsg, wParam, MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
        m_main.Pump();
    }
    void Hover(HWND hWnd, CControlUI* pItem) { Post(hWnd, WM_MOUSEMOVE, 0, pItem); }
    void Click(HWND hWnd, CControlUI* pItem)
    {
        Hover(hWnd, pItem);
        Post(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, pItem);
        Post(hWnd, WM_LBUTTONUP, 0, pItem);
    }
    // The top-level menu at (left + x, top + y) of the work area with "recent"'s sub-menu
    // opened by hovering it.
    HWND OpenSubMenu(CMenuWnd* pMenu)
    {
        CMenuElementUI* pRecent = Item(pMenu, L"recent");
        Hover(pMenu->GetHWND(), pRecent);
        return pRecent->GetMenuWnd() != NULL ? pRecent->GetMenuWnd()->GetHWND() : NULL;
    }

    painttest::TempDir m_dir;
    MainWindow m_main;
    MenuCheckInfo m_checks;
};

TEST_F(MenuTest, OpensAtPointWithItemsSeparatorAndCheckMarksFromSkin)
{
    CMenuWnd* pMenu = Open();
    ASSERT_NE(pMenu, nullptr);
    const RECT rcWork = WorkArea();
    const POINT pt = { rcWork.left + 100, rcWork.top + 100 };
    const HWND hMenu = pMenu->GetHWND();
    wchar_t szClass[64] = {};
    ::GetClassNameW(hMenu, szClass, 64);
    EXPECT_STREQ(szClass, L"SkinMenuWnd");
    EXPECT_TRUE(::IsWindowVisible(hMenu));
    EXPECT_EQ(::GetWindowLongPtrW(hMenu, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
              WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    EXPECT_EQ(::GetParent(hMenu), m_main.GetHWND());
    EXPECT_TRUE(RectIs(ScreenRect(hMenu), pt.x, pt.y, pt.x + kMenuW, pt.y + kMenuH));
    EXPECT_EQ(Receivers(), 1);

    // The items from the skin; sub-items stay out of the menu until their sub-menu opens.
    CMenuUI* pBody = pMenu->GetMenuUI();
    ASSERT_NE(pBody, nullptr);
    EXPECT_EQ(pBody->GetCount(), 5);
    EXPECT_EQ(Item(pMenu, L"recent")->GetSubItemCount(), 3);
    EXPECT_FALSE(Item(pMenu, L"r1")->IsVisible());
    EXPECT_TRUE(RectIs(Item(pMenu, L"open")->GetPos(), 0, 0, kMenuW, 30));
    EXPECT_TRUE(RectIs(Item(pMenu, L"sep")->GetPos(), 0, 60, kMenuW, 66));
    EXPECT_TRUE(RectIs(Item(pMenu, L"bold")->GetPos(), 0, 96, kMenuW, 126));

    // The separator: 6 high, disabled, deaf to the mouse.
    CMenuElementUI* pSep = Item(pMenu, L"sep");
    EXPECT_TRUE(pSep->IsLineType());
    EXPECT_EQ(pSep->GetFixedHeight(), 6);
    EXPECT_FALSE(pSep->IsEnabled());
    EXPECT_FALSE(pSep->IsMouseEnabled());

    // "ischeck" went into the caller's map; the unchecked item has no entry.
    ASSERT_EQ(m_checks.count(L"wrap"), 1u);
    EXPECT_TRUE(m_checks[L"wrap"]);
    EXPECT_EQ(m_checks.count(L"bold"), 0u);
    EXPECT_TRUE(Item(pMenu, L"wrap")->GetChecked());
    EXPECT_FALSE(Item(pMenu, L"bold")->GetChecked());

    // The check mark shows on the checked item only, centred in the first 26 pixels.
    painttest::Canvas canvas(kMenuW, kMenuH, 0xFF000000);
    RECT rcAll = { 0, 0, kMenuW, kMenuH };
    pBody->DoPaint(canvas.dc(), rcAll);
    ::GdiFlush();
    EXPECT_EQ(basictest::Rgb(canvas.At(5, 66 + 7)), basictest::Rgb(kIconColor));
    EXPECT_EQ(basictest::Rgb(canvas.At(20, 66 + 22)), basictest::Rgb(kIconColor));
    EXPECT_NE(basictest::Rgb(canvas.At(4, 66 + 7)), basictest::Rgb(kIconColor));
    EXPECT_NE(basictest::Rgb(canvas.At(12, 96 + 15)), basictest::Rgb(kIconColor));
    // The separator line across the item's middle, inside its padding.
    EXPECT_EQ(basictest::Rgb(canvas.At(60, 63)), 0xBCBFC4u);
    EXPECT_NE(basictest::Rgb(canvas.At(20, 63)), 0xBCBFC4u);
}

TEST_F(MenuTest, CallersStateWinsOverSkinAndNullMapTurnsChecksOff)
{
    m_checks[L"wrap"] = false;
    m_checks[L"bold"] = true;
    CMenuWnd* pMenu = Open();
    ASSERT_NE(pMenu, nullptr);
    EXPECT_FALSE(m_checks[L"wrap"]);
    EXPECT_FALSE(Item(pMenu, L"wrap")->GetChecked());
    EXPECT_TRUE(Item(pMenu, L"bold")->GetChecked());
    ContextMenuParam param = { ContextMenuParam::kCloseAll, NULL };
    CMenuWnd::GetGlobalContextMenuObserver().RBroadcast(param);
    m_main.Pump();

    // A later menu without a map never sees the earlier caller's.
    const RECT rcWork = WorkArea();
    pMenu = CMenuWnd::CreateMenu(NULL, kSkin, POINT{ rcWork.left + 100, rcWork.top + 100 }, &m_main.pm(), NULL, 6);
    m_main.Pump();
    ASSERT_NE(pMenu, nullptr);
    EXPECT_EQ(CMenuWnd::GetGlobalContextMenuObserver().GetMenuCheckInfo(), nullptr);
    EXPECT_FALSE(Item(pMenu, L"bold")->GetChecked());
    Click(pMenu->GetHWND(), Item(pMenu, L"bold"));
    ASSERT_EQ(m_main.choices.size(), 1u);
    EXPECT_EQ(m_main.choices[0].lParam, 0);
    EXPECT_TRUE(m_checks[L"bold"]);
}

TEST_F(MenuTest, AlignmentPutsTheNamedCornerAtThePointEvenBeyondTheWorkArea)
{
    const RECT rcWork = WorkArea();
    struct Case {
        DWORD dwAlignment;
        POINT pt;
        RECT rcWant;
    } cases[] = {
        { 6, { rcWork.left + 200, rcWork.top + 200 },
          { rcWork.left + 200, rcWork.top + 200, rcWork.left + 200 + kMenuW, rcWork.top + 200 + kMenuH } },
        { 0x18, { rcWork.left + 200, rcWork.top + 200 },
          { rcWork.left + 200 - kMenuW, rcWork.top + 200 - kMenuH, rcWork.left + 200, rcWork.top + 200 } },
        { 6, { rcWork.right - 10, rcWork.bottom - 10 },
          { rcWork.right - 10, rcWork.bottom - 10, rcWork.right - 10 + kMenuW, rcWork.bottom - 10 + kMenuH } },
        { 0x18, { rcWork.right - 10, rcWork.bottom - 10 },
          { rcWork.right - 10 - kMenuW, rcWork.bottom - 10 - kMenuH, rcWork.right - 10, rcWork.bottom - 10 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dwAlignment);
        CMenuWnd* pMenu = Open(c.pt, c.dwAlignment);
        ASSERT_NE(pMenu, nullptr);
        EXPECT_TRUE(RectIs(ScreenRect(pMenu->GetHWND()), c.rcWant.left, c.rcWant.top, c.rcWant.right, c.rcWant.bottom));
        ::SendMessageW(pMenu->GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
        m_main.Pump();
        EXPECT_EQ(LiveMenuWindows(), 0);
    }
}

TEST_F(MenuTest, HoverOpensSubMenuBesideParentAndHoveringLeafClosesIt)
{
    CMenuWnd* pMenu = Open();
    ASSERT_NE(pMenu, nullptr);
    const HWND hMenu = pMenu->GetHWND();
    const HWND hSub = OpenSubMenu(pMenu);
    ASSERT_NE(hSub, (HWND)NULL);
    EXPECT_TRUE(::IsWindowVisible(hSub));
    EXPECT_EQ(::GetParent(hSub), hMenu);
    EXPECT_EQ(Receivers(), 2);
    EXPECT_EQ(pMenu->GetMenuUI()->GetCurSel(), 1);

    // Level with the item, 2 pixels more than the items' width to the parent's right.
    const RECT rcParent = ScreenRect(hMenu);
    EXPECT_TRUE(
        RectIs(ScreenRect(hSub), rcParent.right, rcParent.top + 30, rcParent.right + 2 + kMenuW, rcParent.top + 30 + kSubH));

    // The sub-items are the sub-menu's rows now.
    CMenuElementUI* pR2 = Item(pMenu, L"r2");
    CMenuWnd* pSubWnd = Item(pMenu, L"recent")->GetMenuWnd();
    EXPECT_TRUE(pR2->IsVisible());
    EXPECT_EQ(pR2->GetManager(), pSubWnd->GetManager());
    EXPECT_EQ(pSubWnd->GetMenuUI()->GetCount(), 3);
    EXPECT_TRUE(RectIs(pR2->GetPos(), 0, 30, kMenuW + 2, 60));

    // Hovering the item's own area again finds the item, not a sub-item lying at the same
    // coordinates of the other window.
    EXPECT_EQ(pMenu->GetManager()->FindControl(POINT{ 10, 40 }), Item(pMenu, L"recent"));

    // A leaf of the parent closes the sub-menu, not the menu.
    Hover(hMenu, Item(pMenu, L"open"));
    EXPECT_FALSE(::IsWindow(hSub));
    EXPECT_TRUE(::IsWindow(hMenu));
    EXPECT_EQ(Receivers(), 1);
    EXPECT_EQ(Item(pMenu, L"recent")->GetMenuWnd(), nullptr);
    EXPECT_FALSE(pR2->IsVisible());
    EXPECT_EQ(pR2->GetManager(), pMenu->GetManager());
    EXPECT_EQ(pMenu->GetMenuUI()->GetCurSel(), 0);

    // The item's size is its own again: it opens a second time the same way.
    const HWND hSub2 = OpenSubMenu(pMenu);
    ASSERT_NE(hSub2, (HWND)NULL);
    EXPECT_TRUE(
        RectIs(ScreenRect(hSub2), rcParent.right, rcParent.top + 30, rcParent.right + 2 + kMenuW, rcParent.top + 30 + kSubH));
}

TEST_F(MenuTest, ThirdLevelOpensBesideSecondAndHoveringLeafThereClosesOnlyIt)
{
    CMenuWnd* pMenu = Open(L"<Window><Menu>"
                           L"<MenuElement name=\"top\" text=\"Top\">"
                           L"<MenuElement name=\"mid\" text=\"Mid\">"
                           L"<MenuElement name=\"x1\" text=\"X1\"/><MenuElement name=\"x2\" text=\"X2\"/>"
                           L"</MenuElement>"
                           L"<MenuElement name=\"leaf\" text=\"Leaf\"/>"
                           L"</MenuElement>"
                           L"<MenuElement name=\"other\" text=\"Other\"/>"
                           L"</Menu></Window>");
    ASSERT_NE(pMenu, nullptr);
    const RECT rcMenu = ScreenRect(pMenu->GetHWND());
    EXPECT_EQ(rcMenu.bottom - rcMenu.top, 60);
    Hover(pMenu->GetHWND(), Item(pMenu, L"top"));
    ASSERT_NE(Item(pMenu, L"top")->GetMenuWnd(), nullptr);
    const HWND hSub = Item(pMenu, L"top")->GetMenuWnd()->GetHWND();
    const RECT rcSub = ScreenRect(hSub);
    EXPECT_TRUE(RectIs(rcSub, rcMenu.right, rcMenu.top, rcMenu.right + 2 + kMenuW, rcMenu.top + 60));
    // The third level waits hidden inside the second.
    EXPECT_FALSE(Item(pMenu, L"x1")->IsVisible());
    EXPECT_TRUE(Item(pMenu, L"mid")->IsVisible());

    CMenuElementUI* pMid = Item(pMenu, L"mid");
    Hover(hSub, pMid);
    ASSERT_NE(pMid->GetMenuWnd(), nullptr);
    const HWND hSub2 = pMid->GetMenuWnd()->GetHWND();
    EXPECT_EQ(::GetParent(hSub2), hSub);
    EXPECT_EQ(Receivers(), 3);
    EXPECT_TRUE(RectIs(ScreenRect(hSub2), rcSub.right, rcSub.top, rcSub.right + 2 + kMenuW, rcSub.top + 60));

    // A leaf of the second level closes the third only.
    Hover(hSub, Item(pMenu, L"leaf"));
    EXPECT_FALSE(::IsWindow(hSub2));
    EXPECT_TRUE(::IsWindow(hSub));
    EXPECT_TRUE(::IsWindow(pMenu->GetHWND()));
    EXPECT_EQ(Receivers(), 2);
    EXPECT_FALSE(Item(pMenu, L"x1")->IsVisible());

    // Reopened, its choice closes all three.
    Hover(hSub, pMid);
    ASSERT_NE(pMid->GetMenuWnd(), nullptr);
    Click(pMid->GetMenuWnd()->GetHWND(), Item(pMenu, L"x2"));
    ASSERT_EQ(m_main.choices.size(), 1u);
    EXPECT_EQ(m_main.choices[0].name, L"x2");
    EXPECT_EQ(LiveMenuWindows(), 0);
    EXPECT_EQ(Receivers(), 0);
}

TEST_F(MenuTest, SkinDefaultsStyleEveryLevelAndDrawTheArrow)
{
    // An 8 x 8 blue arrow.
    std::vector<uint8_t> rgba(8 * 8 * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i + 2] = 0xFF;
        rgba[i + 3] = 0xFF;
    }
    ASSERT_TRUE(painttest::WriteFileBytes(m_dir / L"arrow.png", painttest::EncodePng(8, 8, rgba)));
    CMenuWnd* pMenu = Open(L"<Window>"
                           L"<Default name=\"Menu\" value=\"inset=&quot;0,3,0,3&quot;\"/>"
                           L"<Default name=\"ExplandIcon\" value=\"arrow.png\"/>"
                           L"<Menu>"
                           L"<MenuElement name=\"top\" text=\"Top\" expland=\"true\">"
                           L"<MenuElement name=\"a\" text=\"A\"/><MenuElement name=\"b\" text=\"B\"/>"
                           L"</MenuElement>"
                           L"<MenuElement name=\"other\" text=\"Other\"/>"
                           L"</Menu></Window>");
    ASSERT_NE(pMenu, nullptr);
    // The insets come on top of the items' height, on the top level and in the sub-menu.
    const RECT rcMenu = ScreenRect(pMenu->GetHWND());
    EXPECT_EQ(rcMenu.bottom - rcMenu.top, 60 + 6);
    EXPECT_TRUE(RectIs(Item(pMenu, L"top")->GetPos(), 0, 3, kMenuW, 33));
    Hover(pMenu->GetHWND(), Item(pMenu, L"top"));
    ASSERT_NE(Item(pMenu, L"top")->GetMenuWnd(), nullptr);
    const RECT rcSub = ScreenRect(Item(pMenu, L"top")->GetMenuWnd()->GetHWND());
    EXPECT_EQ(rcSub.bottom - rcSub.top, 60 + 6);
    EXPECT_TRUE(RectIs(Item(pMenu, L"b")->GetPos(), 0, 33, kMenuW + 2, 63));

    // The arrow is centred in the last 20 pixels of the item; the other item has none.
    painttest::Canvas canvas(kMenuW, 66, 0xFF000000);
    RECT rcAll = { 0, 0, kMenuW, 66 };
    pMenu->GetMenuUI()->DoPaint(canvas.dc(), rcAll);
    ::GdiFlush();
    const int left = (20 - 8) / 2 + kMenuW - 20;
    const int top = 3 + (30 - 8) / 2;
    EXPECT_EQ(basictest::Rgb(canvas.At(left, top)), 0x0000FFu);
    EXPECT_EQ(basictest::Rgb(canvas.At(left + 7, top + 7)), 0x0000FFu);
    EXPECT_NE(basictest::Rgb(canvas.At(left - 1, top)), 0x0000FFu);
    EXPECT_NE(basictest::Rgb(canvas.At(left, top + 30)), 0x0000FFu);
}

TEST_F(MenuTest, SubMenuTurnsAtTheWorkAreasRightAndBottomEdges)
{
    const RECT rcWork = WorkArea();
    const int wideW = rcWork.right - rcWork.left - 100;
    wchar_t szWide[1024];
    _snwprintf(szWide, 1024,
               L"<Window><Menu><MenuElement name=\"open\" width=\"%d\" text=\"Open\"/>"
               L"<MenuElement name=\"recent\" text=\"Recent\"><MenuElement name=\"r1\"/><MenuElement name=\"r2\"/>"
               L"<MenuElement name=\"r3\"/></MenuElement></Menu></Window>",
               wideW);
    szWide[1023] = L'\0';
    struct Case {
        const wchar_t* name;
        POINT pt;
        LPCWSTR skin;
        int menuW;
    } cases[] = {
        // Beyond the right edge: on the parent's left, exactly the items' width.
        { L"right", { rcWork.right - kMenuW - 10, rcWork.top + 100 }, kSkin, kMenuW },
        // Beyond the bottom edge: it ends at the item's top.
        { L"bottom", { rcWork.left + 100, rcWork.bottom - 70 }, kSkin, kMenuW },
        // Turned left it would leave the area at the left: back to the right, without the
        // 2 pixels.
        { L"both sides", { rcWork.left + 50, rcWork.top + 100 }, szWide, wideW },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMenuWnd* pMenu = Open(c.pt, 6, c.skin);
        ASSERT_NE(pMenu, nullptr);
        const RECT rcParent = ScreenRect(pMenu->GetHWND());
        ASSERT_EQ(rcParent.right - rcParent.left, c.menuW);
        const HWND hSub = OpenSubMenu(pMenu);
        ASSERT_NE(hSub, (HWND)NULL);
        const RECT rcSub = ScreenRect(hSub);
        const LONG itemTop = rcParent.top + 30;
        if (wcscmp(c.name, L"right") == 0) {
            EXPECT_TRUE(RectIs(rcSub, rcParent.left - kMenuW, itemTop, rcParent.left, itemTop + kSubH));
        } else if (wcscmp(c.name, L"bottom") == 0) {
            EXPECT_TRUE(RectIs(rcSub, rcParent.right, itemTop - kSubH, rcParent.right + 2 + kMenuW, itemTop));
        } else {
            EXPECT_TRUE(RectIs(rcSub, rcParent.right, itemTop, rcParent.right + kMenuW, itemTop + kSubH));
        }
        ContextMenuParam param = { ContextMenuParam::kCloseAll, NULL };
        CMenuWnd::GetGlobalContextMenuObserver().RBroadcast(param);
        m_main.Pump();
        EXPECT_EQ(LiveMenuWindows(), 0);
    }
}

TEST_F(MenuTest, ChoosingLeafPostsItsNameTogglesCheckAndClosesEveryMenu)
{
    struct Case {
        const wchar_t* name;
        bool inSubMenu;
        LPARAM lParam;
        int mapEntries; // entries of the map afterwards ("wrap" comes from the skin)
        bool stored;    // the item's value in the map afterwards
    } cases[] = {
        { L"open", false, 0, 1, false },
        { L"bold", false, 1, 2, true },
        { L"wrap", false, 0, 1, false },
        { L"r2", true, 0, 1, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_checks.clear();
        m_main.choices.clear();
        CMenuWnd* pMenu = Open();
        ASSERT_NE(pMenu, nullptr);
        HWND hTarget = pMenu->GetHWND();
        if (c.inSubMenu) {
            hTarget = OpenSubMenu(pMenu);
            ASSERT_NE(hTarget, (HWND)NULL);
        }
        Click(hTarget, Item(pMenu, c.name));
        ASSERT_EQ(m_main.choices.size(), 1u);
        EXPECT_EQ(m_main.choices[0].name, c.name);
        EXPECT_EQ(m_main.choices[0].lParam, c.lParam);
        EXPECT_EQ(static_cast<int>(m_checks.size()), c.mapEntries);
        if (m_checks.count(c.name) != 0) {
            EXPECT_EQ(m_checks[c.name], c.stored);
        }
        EXPECT_EQ(CMenuWnd::GetClickedMenuName(), c.name);
        EXPECT_EQ(LiveMenuWindows(), 0);
        EXPECT_EQ(Receivers(), 0);
    }
}

TEST_F(MenuTest, EscapeOrLeftClosesOnlyItsSubMenuRightReopensAndFocusOnMainWindowClosesAll)
{
    CMenuWnd* pMenu = Open();
    ASSERT_NE(pMenu, nullptr);
    const HWND hMenu = pMenu->GetHWND();
    const HWND hSub = OpenSubMenu(pMenu);
    ASSERT_NE(hSub, (HWND)NULL);
    ::PostMessageW(hSub, WM_KEYDOWN, VK_ESCAPE, 1);
    m_main.Pump();
    EXPECT_FALSE(::IsWindow(hSub));
    ASSERT_TRUE(::IsWindow(hMenu));
    EXPECT_EQ(Item(pMenu, L"recent")->GetMenuWnd(), nullptr);
    EXPECT_EQ(::GetFocus(), hMenu);
    // The item whose sub-menu closed has the focus: Right opens it again, Left closes it.
    ASSERT_EQ(pMenu->GetManager()->GetFocus(), Item(pMenu, L"recent"));
    ::PostMessageW(hMenu, WM_KEYDOWN, VK_RIGHT, 1);
    m_main.Pump();
    ASSERT_NE(Item(pMenu, L"recent")->GetMenuWnd(), nullptr);
    const HWND hSub2 = Item(pMenu, L"recent")->GetMenuWnd()->GetHWND();
    ::PostMessageW(hSub2, WM_KEYDOWN, VK_LEFT, 1);
    m_main.Pump();
    EXPECT_FALSE(::IsWindow(hSub2));
    ASSERT_TRUE(::IsWindow(hMenu));

    ::SetFocus(m_main.GetHWND());
    m_main.Pump();
    EXPECT_FALSE(::IsWindow(hMenu));
    EXPECT_EQ(Receivers(), 0);
}

TEST_F(MenuTest, RightButtonIsIgnoredAndBroadcastClosesAll)
{
    CMenuWnd* pMenu = Open();
    ASSERT_NE(pMenu, nullptr);
    const HWND hMenu = pMenu->GetHWND();
    const HWND hSub = OpenSubMenu(pMenu);
    ASSERT_NE(hSub, (HWND)NULL);
    CMenuElementUI* pOpen = Item(pMenu, L"open");
    Post(hMenu, WM_RBUTTONDOWN, MK_RBUTTON, pOpen);
    Post(hMenu, WM_RBUTTONUP, 0, pOpen);
    Post(hMenu, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hMenu), pOpen);
    EXPECT_EQ(pMenu->GetMenuUI()->GetCurSel(), 1);
    EXPECT_TRUE(::IsWindow(hSub));
    EXPECT_TRUE(m_main.choices.empty());

    ContextMenuParam param = { ContextMenuParam::kCloseAll, NULL };
    CMenuWnd::GetGlobalContextMenuObserver().RBroadcast(param);
    m_main.Pump();
    EXPECT_FALSE(::IsWindow(hSub));
    EXPECT_FALSE(::IsWindow(hMenu));
    EXPECT_EQ(Receivers(), 0);
    EXPECT_TRUE(m_main.choices.empty());
}

TEST_F(MenuTest, ItemRemovedWhileItsSubMenuIsOpenTakesTheSubMenuWithIt)
{
    CMenuWnd* pMenu = Open();
    ASSERT_NE(pMenu, nullptr);
    const HWND hMenu = pMenu->GetHWND();
    // An item with sub-items whose memory shows any use after they are deleted.
    CMenuElementUI* pOwner = new QuarantinedItem;
    pOwner->SetName(L"owner");
    pOwner->SetText(L"Owner");
    for (int i = 0; i < 3; i++) {
        CMenuElementUI* pSubItem = new QuarantinedItem;
        pSubItem->SetText(L"Sub");
        pOwner->Add(pSubItem);
    }
    ASSERT_TRUE(pMenu->GetMenuUI()->AddAt(pOwner, 0));
    m_main.Update();
    Hover(hMenu, pOwner);
    ASSERT_NE(pOwner->GetMenuWnd(), nullptr);
    const HWND hSub = pOwner->GetMenuWnd()->GetHWND();
    Hover(hSub, pOwner->GetItemAt(1));

    ASSERT_TRUE(pMenu->GetMenuUI()->Remove(pOwner));
    m_main.Pump();
    EXPECT_EQ(QuarantinedItem::Deleted(), 4);
    EXPECT_FALSE(::IsWindow(hSub));
    EXPECT_EQ(Receivers(), 1);

    // The menu goes on working without the item, and nothing touched the deleted ones.
    EXPECT_EQ(pMenu->GetMenuUI()->GetCount(), 5);
    Hover(hMenu, Item(pMenu, L"recent"));
    Click(hMenu, Item(pMenu, L"open"));
    ASSERT_EQ(m_main.choices.size(), 1u);
    EXPECT_EQ(m_main.choices[0].name, L"open");
    EXPECT_EQ(LiveMenuWindows(), 0);
    EXPECT_TRUE(QuarantinedItem::Untouched());
}

TEST_F(MenuTest, MainWindowGoingWithOpenSubMenuTakesEveryMenu)
{
    CMenuWnd* pMenu = Open();
    ASSERT_NE(pMenu, nullptr);
    CMenuElementUI* pRecent = Item(pMenu, L"recent");
    for (int i = 0; i < pRecent->GetCount(); i++) pRecent->GetItemAt(i)->destroyHandlers += &CountDestroy;
    ASSERT_NE(OpenSubMenu(pMenu), (HWND)NULL);
    ::DestroyWindow(m_main.GetHWND());
    m_main.Pump();
    EXPECT_EQ(LiveMenuWindows(), 0);
    EXPECT_EQ(Receivers(), 0);
    EXPECT_EQ(g_destroyed, 3);
}

TEST_F(MenuTest, NothingOpensWithoutMainWindowOrWithSkinThatBuildsNothing)
{
    const RECT rcWork = WorkArea();
    const POINT pt = { rcWork.left + 100, rcWork.top + 100 };
    ASSERT_TRUE(painttest::WriteFileBytes(m_dir / L"broken.xml", "Menu"));
    struct Case {
        const wchar_t* name;
        LPCWSTR skin;
        bool withMain;
    } cases[] = {
        { L"no main window", kSkin, false },
        { L"unknown elements", L"<Window><Nothing/></Window>", true },
        { L"missing file", L"missing.xml", true },
        { L"no markup", L"broken.xml", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMenuWnd* pMenu = CMenuWnd::CreateMenu(NULL, c.skin, pt, c.withMain ? &m_main.pm() : NULL, &m_checks, 6);
        m_main.Pump();
        EXPECT_EQ(pMenu, nullptr);
        EXPECT_EQ(LiveMenuWindows(), 0);
        EXPECT_EQ(Receivers(), 0);
    }
}

TEST_F(MenuTest, ClickOfControlInsideItemReachesMainWindow)
{
    CMenuWnd* pMenu = Open(L"<Window><Menu><MenuElement name=\"vol\" text=\"Volume\">"
                           L"<Button name=\"mute\" width=\"20\" height=\"20\"/></MenuElement>"
                           L"<MenuElement name=\"other\" text=\"Other\"/></Menu></Window>");
    ASSERT_NE(pMenu, nullptr);
    CControlUI* pMute = pMenu->GetManager()->FindControl(L"mute");
    ASSERT_NE(pMute, nullptr);
    m_main.Clear();
    Click(pMenu->GetHWND(), pMute);
    // Only the click is passed on; the menu stays open as no item was chosen.
    ASSERT_EQ(m_main.Types(), std::vector<std::wstring>{ L"click" });
    EXPECT_EQ(m_main.notes[0].sender, pMute);
    EXPECT_TRUE(::IsWindow(pMenu->GetHWND()));
    EXPECT_TRUE(m_main.choices.empty());
}

} // namespace
