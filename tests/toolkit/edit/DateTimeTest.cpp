#include <windows.h>
#include <commctrl.h>
#include <string>
#include "../basic/BasicTestUtil.h"
#include "../../common/support/PlaceCursor.h"
#include "controls/DateTimeUI.h"
#include "core/DialogBuilder.h"

using namespace SkinUI;
using basictest::HostWindow;
using basictest::Make;
using basictest::Root;

namespace {

std::wstring DateText(const SYSTEMTIME& st)
{
    wchar_t buf[32];
    _snwprintf(buf, 32, L"%4d-%02d-%02d", st.wYear, st.wMonth, st.wDay);
    return buf;
}

SYSTEMTIME Date(WORD y, WORD m, WORD d)
{
    SYSTEMTIME st = {};
    st.wYear = y;
    st.wMonth = m;
    st.wDay = d;
    return st;
}

// A point of the calendar's client area where its hit test answers the given part.
bool CalendarPoint(HWND hCalendar, UINT uHit, POINT* pt)
{
    RECT rc;
    ::GetClientRect(hCalendar, &rc);
    for (int y = 0; y < rc.bottom; y += 2) {
        for (int x = 0; x < rc.right; x += 2) {
            MCHITTESTINFO hit = {};
            hit.cbSize = MCHITTESTINFO_V1_SIZE;
            hit.pt.x = x;
            hit.pt.y = y;
            ::SendMessageW(hCalendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (hit.uHit == uHit) {
                *pt = hit.pt;
                return true;
            }
        }
    }
    return false;
}

class DateTimeTest : public ::testing::Test {
protected:
    void Open(LPCWSTR extra = L"")
    {
        m_dt = Make<CDateTimeUI>(L"float=\"true\" pos=\"10,10,150,40\"");
        m_dt->ApplyAttributeList(extra);
        m_other = Make<CButtonUI>(L"float=\"true\" pos=\"10,60,150,90\"");
        m_win.Open(Root({ m_dt, m_other }), 200, 120);
    }
    HWND OpenPicker()
    {
        m_win.pm().SetFocus(m_dt);
        m_win.Pump();
        return m_dt->GetNativeWindow() != NULL ? m_dt->GetNativeWindow()->GetHWND() : NULL;
    }
    // The native focus back to the window, with the pointer well away from the picker.
    void FocusAway()
    {
        testsupport::PlaceCursor(1000, 700);
        ::SetFocus(m_win.GetHWND());
        m_win.Pump();
    }
    SYSTEMTIME PickerTime(HWND hPicker)
    {
        SYSTEMTIME st = {};
        ::SendMessageW(hPicker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
        return st;
    }
    HostWindow m_win;
    CDateTimeUI* m_dt = nullptr;
    CButtonUI* m_other = nullptr;
};

TEST_F(DateTimeTest, NewControlShowsTodayAndSetTimeWaitsForUpdateText)
{
    CDateTimeUI dt;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    EXPECT_EQ(std::wstring(dt.GetText().GetData()), DateText(now));
    EXPECT_EQ(dt.GetUpdateState(), 0);
    SYSTEMTIME st = Date(987, 3, 4);
    dt.SetTime(&st);
    EXPECT_EQ(std::wstring(dt.GetText().GetData()), DateText(now));
    dt.UpdateText();
    EXPECT_STREQ(dt.GetText().GetData(), L" 987-03-04");
    EXPECT_STREQ(dt.GetClass(), L"DateTimeUI");
    EXPECT_NE(dt.GetInterface(L"DateTime"), nullptr);
    EXPECT_EQ(dt.GetInterface(L"Button"), nullptr);
}

TEST_F(DateTimeTest, FocusOpensPickerOverControlAndFocusLossWritesDateBack)
{
    Open();
    SYSTEMTIME st = Date(2021, 6, 7);
    m_dt->SetTime(&st);
    m_dt->UpdateText();
    HWND hPicker = OpenPicker();
    ASSERT_NE(hPicker, (HWND)NULL);
    EXPECT_EQ(::GetParent(hPicker), m_win.GetHWND());
    RECT rc;
    ::GetWindowRect(hPicker, &rc);
    ::MapWindowPoints(NULL, m_win.GetHWND(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, 10);
    EXPECT_EQ(rc.top, 10);
    EXPECT_EQ(rc.right, 150);
    EXPECT_EQ(rc.bottom, 40);
    EXPECT_EQ(DateText(PickerTime(hPicker)), L"2021-06-07");
    // Under Wine the picker keeps a hidden calendar: it must not count as a drop-down.
    HWND hCalendar = reinterpret_cast<HWND>(::SendMessageW(hPicker, DTM_GETMONTHCAL, 0, 0));
    if (hCalendar != NULL) {
        EXPECT_FALSE(::IsWindowVisible(hCalendar));
    }

    SYSTEMTIME picked = Date(2020, 3, 4);
    ::SendMessageW(hPicker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&picked));
    FocusAway();
    EXPECT_FALSE(::IsWindow(hPicker));
    EXPECT_EQ(m_dt->GetNativeWindow(), nullptr);
    EXPECT_STREQ(m_dt->GetText().GetData(), L"2020-03-04");
    EXPECT_EQ(m_dt->GetTime().wDay, 4);
}

// The pointer resting on the picker keeps nothing open: whichever way the focus leaves,
// the picker closes and the picked date is kept.
TEST_F(DateTimeTest, FocusLeavingWithThePointerOverThePickerClosesItWithTheDate)
{
    struct Case {
        const char* name;
        bool toolkitFocus; // the manager moves its focus, else only the native focus moves
    };
    const Case cases[] = { { "toolkit focus to another control", true }, { "native focus to the window", false } };
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND hPicker = OpenPicker();
        ASSERT_NE(hPicker, (HWND)NULL);
        RECT rc;
        ::GetWindowRect(hPicker, &rc);
        testsupport::PlaceCursor((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        SYSTEMTIME picked = Date(2018, 5, 6);
        ::SendMessageW(hPicker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&picked));
        if (c.toolkitFocus)
            m_win.pm().SetFocus(m_other);
        else
            ::SetFocus(m_win.GetHWND());
        m_win.Pump();
        EXPECT_FALSE(::IsWindow(hPicker));
        EXPECT_EQ(m_dt->GetNativeWindow(), nullptr);
        EXPECT_STREQ(m_dt->GetText().GetData(), L"2018-05-06");
        m_win.pm().SetFocus(NULL);
        m_dt->SetText(L"");
    }
    testsupport::PlaceCursor(1000, 700);
}

// The drop-down calendar holds the picker open through focus losses (the month arrows say
// so in their answer); the toolkit focus leaving still closes it with the date.
TEST_F(DateTimeTest, DroppedCalendarKeepsThePickerOpenUntilTheToolkitFocusLeaves)
{
    Open();
    HWND hPicker = OpenPicker();
    ASSERT_NE(hPicker, (HWND)NULL);
    // The drop-down button at the picker's right end, pressed as the user would: the calendar
    // shows, and the focus it may take on the way keeps the picker open.
    RECT rc;
    ::GetClientRect(hPicker, &rc);
    const LPARAM button = MAKELPARAM(rc.right - 6, rc.bottom / 2);
    ::PostMessageW(hPicker, WM_LBUTTONDOWN, MK_LBUTTON, button);
    ::PostMessageW(hPicker, WM_LBUTTONUP, 0, button);
    m_win.Pump();
    HWND hCalendar = reinterpret_cast<HWND>(::SendMessageW(hPicker, DTM_GETMONTHCAL, 0, 0));
    ASSERT_NE(hCalendar, (HWND)NULL);
    ASSERT_TRUE(::IsWindowVisible(hCalendar));
    EXPECT_TRUE(::IsWindow(hPicker));
    EXPECT_NE(m_dt->GetNativeWindow(), nullptr);

    // A focus loss is answered by what the pointer rests on in the calendar.
    struct Case {
        UINT hit;
        LRESULT answer;
    };
    const Case cases[] = { { MCHT_TITLEBTNNEXT, 1 }, { MCHT_TITLEBTNPREV, 1 }, { MCHT_CALENDARDATE, 0 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hit);
        POINT pt = {};
        ASSERT_TRUE(CalendarPoint(hCalendar, c.hit, &pt));
        ::ClientToScreen(hCalendar, &pt);
        testsupport::PlaceCursor(pt.x, pt.y);
        EXPECT_EQ(::SendMessageW(hPicker, WM_KILLFOCUS, reinterpret_cast<WPARAM>(m_win.GetHWND()), 0), c.answer);
        m_win.Pump();
        EXPECT_TRUE(::IsWindow(hPicker));
    }

    // The toolkit focus moving on closes the picker, which keeps the date it holds.
    SYSTEMTIME picked = Date(2017, 8, 9);
    ::SendMessageW(hPicker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&picked));
    m_win.pm().SetFocus(m_other);
    m_win.Pump();
    EXPECT_FALSE(::IsWindow(hPicker));
    EXPECT_EQ(m_dt->GetNativeWindow(), nullptr);
    EXPECT_STREQ(m_dt->GetText().GetData(), L"2017-08-09");
    testsupport::PlaceCursor(1000, 700);
}

// The focus leaves, which closes the picker with its date by a posted message, and comes
// back before that message arrives: the same picker edits on, and the close that was on
// its way must not end the new edit without its date.
TEST_F(DateTimeTest, PickerTakenBackWhileItsCloseIsOnTheWayKeepsTheNewEdit)
{
    struct Case {
        const char* name;
        bool press; // a press on the control, else the focus given back in code
    };
    const Case cases[] = { { "a press", true }, { "the focus given back", false } };
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SYSTEMTIME first = Date(2021, 6, 7);
        m_dt->SetTime(&first);
        m_dt->UpdateText();
        HWND hPicker = OpenPicker();
        ASSERT_NE(hPicker, (HWND)NULL);
        testsupport::PlaceCursor(1000, 700);
        // Sent, not posted, so that nothing runs the queue before the picker is taken back.
        m_win.pm().SetFocus(m_other);
        ASSERT_STREQ(m_dt->GetText().GetData(), L"2021-06-07");
        if (c.press) {
            ::SendMessageW(m_win.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 25));
            ::SendMessageW(m_win.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(50, 25));
        } else {
            m_win.pm().SetFocus(m_dt);
        }
        ASSERT_EQ(m_dt, m_win.pm().GetFocus());
        SYSTEMTIME picked = Date(2022, 8, 9);
        ::SendMessageW(hPicker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&picked));
        m_win.Pump();
        EXPECT_TRUE(::IsWindow(hPicker)) << "the earlier close ended the picker taken back";
        ASSERT_NE(m_dt->GetNativeWindow(), nullptr);
        EXPECT_EQ(m_dt->GetNativeWindow()->GetHWND(), hPicker);

        m_win.pm().SetFocus(m_other);
        m_win.Pump();
        EXPECT_FALSE(::IsWindow(hPicker));
        EXPECT_EQ(m_dt->GetNativeWindow(), nullptr);
        EXPECT_STREQ(m_dt->GetText().GetData(), L"2022-08-09");
        m_win.pm().SetFocus(NULL);
    }
}

TEST_F(DateTimeTest, DeleteClearsAndReopeningStartsTodayEscapeKeepsText)
{
    Open();
    HWND hPicker = OpenPicker();
    ASSERT_NE(hPicker, (HWND)NULL);
    ::PostMessageW(hPicker, WM_KEYUP, VK_DELETE, 0xC0000001);
    m_win.Pump();
    EXPECT_FALSE(::IsWindow(hPicker));
    EXPECT_EQ(m_dt->GetNativeWindow(), nullptr);
    EXPECT_STREQ(m_dt->GetText().GetData(), L"");

    // Reopened on an empty control: today's date.
    m_win.pm().SetFocus(NULL);
    SYSTEMTIME old = Date(2001, 1, 2);
    m_dt->SetTime(&old);
    hPicker = OpenPicker();
    ASSERT_NE(hPicker, (HWND)NULL);
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    EXPECT_EQ(DateText(PickerTime(hPicker)), DateText(now));

    // Escape: the picked date is dropped, text and time stay.
    m_dt->SetText(L"keep");
    SYSTEMTIME before = m_dt->GetTime();
    SYSTEMTIME picked = Date(2019, 9, 9);
    ::SendMessageW(hPicker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&picked));
    ::PostMessageW(hPicker, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    m_win.Pump();
    EXPECT_FALSE(::IsWindow(hPicker));
    FocusAway();
    EXPECT_STREQ(m_dt->GetText().GetData(), L"keep");
    EXPECT_EQ(m_dt->GetTime().wYear, before.wYear);
    EXPECT_EQ(m_dt->GetTime().wDay, before.wDay);
}

TEST_F(DateTimeTest, DisabledOpensNoneHiddenClosesDestroyedTakesWindowAlong)
{
    Open(L"enabled=\"false\"");
    m_win.Click(50, 25);
    EXPECT_EQ(m_dt->GetNativeWindow(), nullptr);
    m_dt->SetEnabled(true);

    HWND hPicker = OpenPicker();
    ASSERT_NE(hPicker, (HWND)NULL);
    testsupport::PlaceCursor(1000, 700);
    m_dt->SetVisible(false);
    m_win.Pump();
    EXPECT_FALSE(::IsWindow(hPicker));
    EXPECT_EQ(m_dt->GetNativeWindow(), nullptr);

    m_dt->SetVisible(true);
    hPicker = OpenPicker();
    ASSERT_NE(hPicker, (HWND)NULL);
    // The manager forgets its focus without moving the native focus: only the destructor can
    // close the picker, whose later messages must not reach the freed control.
    static_cast<CContainerUI*>(m_win.pm().GetRoot())->Remove(m_dt);
    m_dt = nullptr;
    m_win.Pump();
    EXPECT_FALSE(::IsWindow(hPicker));
    FocusAway();
}

TEST(DateTimeDecision, OnlyMonthArrowsKeepTheFocusLossAnswered)
{
    EXPECT_EQ(CDateTimeWnd::KillFocusAnswerForHit(MCHT_TITLEBTNNEXT), 1);
    EXPECT_EQ(CDateTimeWnd::KillFocusAnswerForHit(MCHT_TITLEBTNPREV), 1);
    EXPECT_EQ(CDateTimeWnd::KillFocusAnswerForHit(MCHT_CALENDARDATE), 0);
    EXPECT_EQ(CDateTimeWnd::KillFocusAnswerForHit(MCHT_NOWHERE), 0);
}

TEST(DateTimeBuilder, ElementNameMakesADateTime)
{
    int n = 0;
    const SkinControlEntry* table = GetSkinControlTable(&n);
    CControlUI* p = NULL;
    for (int i = 0; i < n; i++)
        if (wcscmp(table[i].pstrName, L"DateTime") == 0) p = table[i].pfnCreate();
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->GetClass(), L"DateTimeUI");
    delete p;
}

} // namespace
