#include <windows.h>
#include <limits.h>
#include <gtest/gtest.h>
#include "core/ProgressUI.h"
#include "core/SliderUI.h"
#include "BasicTestUtil.h"

using namespace SkinUI;
using namespace basictest;
using painttest::Canvas;
using painttest::Ch;

namespace {

typedef std::vector<std::wstring> Types;

TEST(ProgressValue, OnlyChangedValuesWithinTheLimitsAreTaken)
{
    struct Step {
        int value;
        int expected;
    } steps[] = { { 50, 50 }, { 150, 50 }, { -1, 50 }, { INT_MIN, 50 }, { 100, 100 }, { 0, 0 }, { 101, 0 } };
    CProgressUI p;
    for (const Step& s : steps) {
        p.SetValue(s.value);
        EXPECT_EQ(s.expected, p.GetValue()) << s.value;
    }
    CProgressUI early, late;
    early.ApplyAttributeList(L"value=\"150\" max=\"200\"");
    late.ApplyAttributeList(L"max=\"200\" value=\"150\"");
    EXPECT_EQ(0, early.GetValue()) << "150 is checked against the maximum known then (100)";
    EXPECT_EQ(150, late.GetValue());
    EXPECT_EQ(12, p.GetFixedHeight());
    EXPECT_EQ(static_cast<UINT>(DT_CENTER | DT_SINGLELINE), p.GetTextStyle());
    EXPECT_STREQ(L"ProgressUI", p.GetClass());
    EXPECT_EQ(&p, p.GetInterface(L"Progress"));
    EXPECT_NE(nullptr, p.GetInterface(L"Label"));
}

TEST(ProgressValue, UnchangedValueDoesNotRepaint)
{
    CProgressUI* p = Make<CProgressUI>(L"float=\"true\" pos=\"0,0,200,20\" value=\"30\"");
    HostWindow win;
    win.Open(Root({ p }), 200, 50);
    ASSERT_FALSE(::GetUpdateRect(win.GetHWND(), NULL, FALSE));
    p->SetValue(30);
    p->SetValue(1000);
    EXPECT_FALSE(::GetUpdateRect(win.GetHWND(), NULL, FALSE));
    p->SetValue(31);
    EXPECT_TRUE(::GetUpdateRect(win.GetHWND(), NULL, FALSE));
}

// ---- fill geometry, read back from the pixels ----

const uint32_t kWhite = 0xFFFFFFFF, kFill = 0xFF00C000;

struct FillCase {
    const char* what;
    LPCWSTR attributes; // pos, direction, image, value
    int x, y;           // a pixel to read
    int expected;       // -1: the solid fill colour; -2: untouched (white); else Img(column, row)
};

// The graded image's pixel at (column, row), as a case expects it.
constexpr int Img(int column, int row)
{
    return (column << 16) | (row << 8);
}

class FillTest : public ::testing::TestWithParam<FillCase> {};

TEST_P(FillTest, FilledPart)
{
    const FillCase& c = GetParam();
    CProgressUI* p = Make<CProgressUI>(L"float=\"true\"");
    p->ApplyAttributeList(c.attributes);
    HostWindow win;
    AddSolidImage(win.pm(), L"solid", kFill);
    AddGradedImage(win.pm(), L"graded", 120, 60);
    win.Open(Root({ p }), 200, 100);
    Canvas canvas(200, 100, kWhite);
    win.PaintTo(canvas);
    const uint32_t px = Rgb(canvas.At(c.x, c.y));
    if (c.expected == -1) {
        EXPECT_EQ(Rgb(kFill), px) << std::hex << px;
    } else if (c.expected == -2) {
        EXPECT_EQ(Rgb(kWhite), px) << std::hex << px;
    } else {
        EXPECT_EQ(static_cast<uint32_t>(c.expected), px) << std::hex << px;
    }
}

#define HOR L"pos=\"0,0,200,20\" foreimage=\"solid\" "
#define VER L"pos=\"0,0,20,100\" hor=\"false\" foreimage=\"solid\" "
#define CUT L"pos=\"0,0,200,20\" foreimage=\"graded\" isstretchfore=\"false\" "
#define CUTV L"pos=\"0,0,20,100\" hor=\"false\" foreimage=\"graded\" isstretchfore=\"false\" "
const FillCase kFillCases[] = {
    { "h25_col49_filled", HOR L"value=\"25\"", 49, 10, -1 },
    { "h25_col50_empty", HOR L"value=\"25\"", 50, 10, -2 },
    { "h0_empty", HOR L"value=\"0\"", 0, 10, -2 },
    { "h50_col99_filled", HOR L"value=\"50\"", 99, 10, -1 },
    { "h50_col100_empty", HOR L"value=\"50\"", 100, 10, -2 },
    { "h100_last_col", HOR L"value=\"100\"", 199, 19, -1 },
    { "v75_row25_filled", VER L"value=\"75\"", 10, 25, -1 },
    { "v75_row24_empty", VER L"value=\"75\"", 10, 24, -2 },
    { "v0_bottom_empty", VER L"value=\"0\"", 10, 99, -2 },
    { "v50_row50_filled", VER L"value=\"50\"", 10, 50, -1 },
    { "v100_top", VER L"value=\"100\"", 10, 0, -1 },
    { "cut25_unscaled", CUT L"value=\"25\"", 30, 10, Img(30, 10) },
    { "cut25_end", CUT L"value=\"25\"", 50, 10, -2 },
    { "cut50_unscaled", CUT L"value=\"50\"", 99, 10, Img(99, 10) },
    { "cut100_image_end", CUT L"value=\"100\"", 119, 10, Img(119, 10) },
    { "cut100_past_image", CUT L"value=\"100\"", 150, 10, -2 },
    // The 60-row image sits on the 100-row bar's bottom edge, which the fill grows from.
    { "cutv10_bottom_row", CUTV L"value=\"10\"", 10, 99, Img(10, 59) },
    { "cutv10_fill_top", CUTV L"value=\"10\"", 10, 90, Img(10, 50) },
    { "cutv10_above", CUTV L"value=\"10\"", 10, 89, -2 },
    { "cutv75_unscaled", CUTV L"value=\"75\"", 10, 70, Img(10, 30) },
    { "cutv75_image_top", CUTV L"value=\"75\"", 10, 40, Img(10, 0) },
    { "cutv75_above_image", CUTV L"value=\"75\"", 10, 39, -2 },
    { "cutv100_bottom_row", CUTV L"value=\"100\"", 10, 99, Img(10, 59) },
    // An image taller than the bar keeps the bar's own rows.
    { "cutv50_tall_image", CUTV L"pos=\"0,0,20,40\" value=\"50\"", 10, 20, Img(10, 20) },
    { "range_10_20_at_15", HOR L"min=\"10\" max=\"20\" value=\"15\"", 99, 10, -1 },
    { "range_10_20_at_15_end", HOR L"min=\"10\" max=\"20\" value=\"15\"", 100, 10, -2 },
    { "huge_range_half", HOR L"min=\"-2000000000\" max=\"2000000000\" value=\"0\"", 99, 10, -1 },
    { "huge_range_half_end", HOR L"min=\"-2000000000\" max=\"2000000000\" value=\"0\"", 100, 10, -2 },
};
#undef HOR
#undef VER
#undef CUT
#undef CUTV

void PrintTo(const FillCase& c, std::ostream* os)
{
    *os << c.what;
}

INSTANTIATE_TEST_SUITE_P(Progress, FillTest, ::testing::ValuesIn(kFillCases),
                         [](const ::testing::TestParamInfo<FillCase>& info) { return std::string(info.param.what); });

TEST(ProgressRepair, PaintRepairsAndKeepsTheRange)
{
    CProgressUI* p = Make<CProgressUI>(L"float=\"true\" pos=\"0,0,100,20\" min=\"10\" max=\"10\"");
    CProgressUI* q = Make<CProgressUI>(L"float=\"true\" pos=\"0,30,100,50\" value=\"80\"");
    HostWindow win;
    win.Open(Root({ p, q }), 100, 60);
    q->SetMaxValue(50);
    Canvas canvas(100, 60);
    win.PaintTo(canvas);
    EXPECT_EQ(11, p->GetMaxValue());
    EXPECT_EQ(10, p->GetValue());
    EXPECT_EQ(50, q->GetValue()) << "a value above a lowered maximum is pulled down";
}

// ---- slider ----

class SliderTest : public OneControlTest<CSliderUI> {
protected:
    SliderTest() : OneControlTest(L"float=\"true\" pos=\"0,0,200,20\"", 200, 60) {}
    CSliderUI*& m_slider = m_control;
};

TEST_F(SliderTest, ClickSetsTheValueFromThePoint)
{
    Open();
    struct {
        int x;
        int value;
    } cases[] = { { 199, 100 }, { 195, 100 }, { 3, 0 }, { 5, 0 }, { 100, 50 }, { 52, 24 }, { 0, 0 } };
    for (const auto& c : cases) {
        m_win.Clear();
        m_win.Click(c.x, 10);
        EXPECT_EQ(c.value, m_slider->GetValue()) << c.x;
        EXPECT_EQ(Types{ L"valuechanged" }, m_win.Types()) << c.x;
    }
    // The thumb follows: 50 of 0..100 on a 190 px track.
    m_slider->SetValue(50);
    RECT thumb = m_slider->GetThumbRect();
    EXPECT_EQ(95, thumb.left);
    EXPECT_EQ(5, thumb.top);
    EXPECT_EQ(105, thumb.right);
    EXPECT_EQ(15, thumb.bottom);
}

TEST_F(SliderTest, VerticalMapping)
{
    m_slider = Make<CSliderUI>(L"float=\"true\" pos=\"0,0,20,110\" hor=\"false\"");
    m_win.Open(Root({ m_slider }), 100, 120);
    m_win.Click(10, 109);
    EXPECT_EQ(0, m_slider->GetValue());
    m_win.Click(10, 1);
    EXPECT_EQ(100, m_slider->GetValue());
    m_win.Click(10, 55);
    EXPECT_EQ(50, m_slider->GetValue());
    RECT thumb = m_slider->GetThumbRect();
    EXPECT_EQ(60, thumb.bottom);
    EXPECT_EQ(5, thumb.left);
}

TEST_F(SliderTest, DragReportsMovesThenOneChange)
{
    Open(L"sendmove=\"true\"");
    m_win.Move(20, 10);
    m_win.Down(20, 10);
    const int pressed = m_slider->GetValue();
    EXPECT_EQ(7, pressed);
    m_win.Move(60, 10);
    m_slider->SetValue(90);
    EXPECT_NE(90, m_slider->GetValue()) << "code cannot move a dragged thumb";
    m_win.Move(100, 10);
    m_win.Move(300, 10); // outside the window: captured, still followed
    EXPECT_EQ(100, m_slider->GetValue());
    m_win.Up(100, 10);
    EXPECT_EQ(50, m_slider->GetValue());
    EXPECT_EQ((Types{ L"movevaluechanged", L"movevaluechanged", L"movevaluechanged", L"valuechanged" }), m_win.Types());
    m_slider->SetValue(90);
    EXPECT_EQ(90, m_slider->GetValue());
}

TEST_F(SliderTest, DragWithoutSendMoveReportsOnlyTheEnd)
{
    Open();
    m_win.Move(20, 10);
    m_win.Down(20, 10);
    m_win.Move(60, 10);
    m_win.Move(100, 10);
    m_win.Up(100, 10);
    EXPECT_EQ(Types{ L"valuechanged" }, m_win.Types());
}

TEST_F(SliderTest, WheelStepsAndReportsAlsoAtTheLimit)
{
    Open(L"step=\"5\" value=\"100\"");
    m_win.Wheel(100, 10, WHEEL_DELTA);
    EXPECT_EQ(100, m_slider->GetValue());
    EXPECT_EQ(Types{ L"valuechanged" }, m_win.Types());
    m_win.Wheel(100, 10, -WHEEL_DELTA);
    EXPECT_EQ(95, m_slider->GetValue());
    m_win.Wheel(100, 10, WHEEL_DELTA);
    EXPECT_EQ(100, m_slider->GetValue());
    EXPECT_EQ(3, m_win.Count(L"valuechanged"));
}

TEST_F(SliderTest, DisabledSliderIgnoresClicksAndWheel)
{
    Open(L"enabled=\"false\" value=\"40\"");
    m_win.Click(190, 10);
    m_win.Wheel(100, 10, WHEEL_DELTA);
    m_win.Wheel(100, 10, -WHEEL_DELTA);
    EXPECT_EQ(40, m_slider->GetValue());
    EXPECT_TRUE(m_win.notes.empty());
    EXPECT_EQ(0u, m_slider->GetControlFlags());
    m_slider->SetEnabled(true);
    EXPECT_EQ(UIFLAG_SETCURSOR, m_slider->GetControlFlags());
    EXPECT_EQ(::LoadCursorW(NULL, IDC_HAND), m_win.CursorAt(100, 10));
}

TEST(SliderHover, RepaintsOnlyWhenTheThumbLookChanges)
{
    CSliderUI* slider = Make<CSliderUI>(L"float=\"true\" pos=\"0,0,200,20\" value=\"50\"");
    HostWindow win;
    win.Open(Root({ slider }), 200, 60);
    win.Move(20, 10);
    ::ValidateRect(win.GetHWND(), NULL);
    win.MoveWithoutPaint(30, 10);
    EXPECT_FALSE(::GetUpdateRect(win.GetHWND(), NULL, FALSE)) << "off the thumb, nothing changed";
    win.MoveWithoutPaint(100, 10);
    EXPECT_TRUE(slider->GetButtonState() & UISTATE_HOT);
    EXPECT_TRUE(::GetUpdateRect(win.GetHWND(), NULL, FALSE));
    ::ValidateRect(win.GetHWND(), NULL);
    win.MoveWithoutPaint(101, 10);
    EXPECT_FALSE(::GetUpdateRect(win.GetHWND(), NULL, FALSE)) << "still on the thumb";
    win.MoveWithoutPaint(150, 10);
    EXPECT_FALSE(slider->GetButtonState() & UISTATE_HOT);
    EXPECT_TRUE(::GetUpdateRect(win.GetHWND(), NULL, FALSE));
}

TEST(SliderRobustness, EqualLimitsBeforeAnyPaint)
{
    CSliderUI s;
    s.ApplyAttributeList(L"min=\"10\" max=\"10\" sendmove=\"true\"");
    RECT rc = { 0, 0, 100, 20 };
    s.SetPos(rc);
    RECT thumb = s.GetThumbRect();
    EXPECT_EQ(0, thumb.left);
    SendEvent(s, UIEVENT_LBUTTONDOWN, 50, 10);
    SendEvent(s, UIEVENT_MOUSEMOVE, 60, 10);
    SendEvent(s, UIEVENT_LBUTTONUP, 60, 10);
    EXPECT_EQ(10, s.GetValue());
    // As wide as its thumb.
    CSliderUI narrow;
    RECT rcNarrow = { 0, 0, 10, 10 };
    narrow.SetPos(rcNarrow);
    SendEvent(narrow, UIEVENT_LBUTTONDOWN, 5, 5);
    SendEvent(narrow, UIEVENT_MOUSEMOVE, 5, 5);
    EXPECT_EQ(0, narrow.GetThumbRect().left);
}

TEST(SliderRobustness, ThumbImagesPerState)
{
    CSliderUI* s = Make<CSliderUI>(L"float=\"true\" pos=\"0,0,200,20\" value=\"50\" thumbsize=\"20,20\" "
                                   L"thumbimage=\"t\" thumbhotimage=\"th\" thumbpushedimage=\"tp\"");
    HostWindow win;
    AddSolidImage(win.pm(), L"t", 0xFF0000A0);
    AddSolidImage(win.pm(), L"th", 0xFF00A000);
    AddSolidImage(win.pm(), L"tp", 0xFFA00000);
    win.Open(Root({ s }), 200, 40);
    auto centre = [&]() {
        Canvas c(200, 40, kWhite);
        win.PaintTo(c);
        RECT t = s->GetThumbRect();
        return Rgb(c.At((t.left + t.right) / 2, (t.top + t.bottom) / 2));
    };
    EXPECT_EQ(0x0000A0u, centre());
    win.Move(100, 10);
    EXPECT_EQ(0x00A000u, centre());
    win.Down(100, 10);
    EXPECT_EQ(0xA00000u, centre());
    win.Up(100, 10);
}

} // namespace
