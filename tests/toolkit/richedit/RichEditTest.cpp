#include <windows.h>
#include <richedit.h>
#include <string>
#include <vector>
#include "RichEditFixture.h"
#include "../container/TreeTestUtil.h"
#include "core/DialogBuilder.h"
#include "core/ScrollBarUI.h"

using namespace SkinUI;
using richtest::ControlHeld;
using richtest::RichEditTest;
using richtest::Str;
using treetest::Rc;
using treetest::Str;

namespace {

TEST_F(RichEditTest, TextRoundTripsThroughTheEngineIncludingNonAscii)
{
    Open(L"text=\"first\"");
    ASSERT_NE(Host(), nullptr);
    // Text given before the engine existed reached it through the create record.
    EXPECT_EQ(Str(m_edit->GetText()), L"first");
    const std::wstring wide = L"\x4E2D\x6587 \x00E9\x00DF \xD83D\xDE00 end";
    m_edit->SetText(wide.c_str());
    EXPECT_EQ(Str(m_edit->GetText()), wide);
    EXPECT_EQ(m_edit->GetTextLength(), static_cast<long>(wide.size()));
    m_edit->SetText(L"");
    EXPECT_EQ(Str(m_edit->GetText()), L"");
    EXPECT_EQ(m_edit->GetTextLength(), 0);

    m_edit->SetText(L"hello");
    m_edit->AppendText(L" world");
    m_edit->InsertText(0, L">");
    EXPECT_EQ(Str(m_edit->GetText()), L">hello world");
    m_edit->SetSel(1, 6);
    EXPECT_EQ(Str(m_edit->GetSelText()), L"hello");
    long start = 0, end = 0;
    m_edit->GetSel(start, end);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 6);
    m_edit->SetSelNone();
    EXPECT_EQ(Str(m_edit->GetSelText()), L"");
    m_edit->SetSelAll();
    EXPECT_EQ(Str(m_edit->GetSelText()), L">hello world");

    // Undo takes back an undoable replacement.
    m_edit->SetSel(-1, -1);
    m_edit->ReplaceSel(L"!", true);
    EXPECT_EQ(Str(m_edit->GetText()), L">hello world!");
    EXPECT_TRUE(m_edit->Undo());
    EXPECT_EQ(Str(m_edit->GetText()), L">hello world");
}

TEST_F(RichEditTest, TypingIntoTheFocusedBoxReportsTextChanged)
{
    Open();
    // Not focused: the characters are not the box's.
    Type(L"zz");
    EXPECT_EQ(Str(m_edit->GetText()), L"");
    Focus();
    m_win.Clear();
    Type(L"ab\x4E2D");
    EXPECT_EQ(Str(m_edit->GetText()), L"ab\x4E2D");
    EXPECT_EQ(m_win.Count(L"textchanged", m_edit), 3);
    // A change by code is reported as well.
    m_win.Clear();
    m_edit->SetText(L"new");
    EXPECT_GE(m_win.Count(L"textchanged", m_edit), 1);
    // The event mask keeps the change notifications when drops are switched on and off.
    EXPECT_TRUE(m_edit->GetEventMask() & ENM_CHANGE);
    m_edit->SetDropAcceptFile(true);
    EXPECT_EQ(m_edit->GetEventMask() & (ENM_CHANGE | ENM_DROPFILES | ENM_LINK),
              static_cast<DWORD>(ENM_CHANGE | ENM_DROPFILES | ENM_LINK));
    m_edit->SetDropAcceptFile(false);
    EXPECT_EQ(m_edit->GetEventMask() & (ENM_CHANGE | ENM_DROPFILES | ENM_LINK), static_cast<DWORD>(ENM_CHANGE));
}

struct ReturnCase {
    LPCWSTR attributes;
    bool control;
    int lines;   // lines after one Return in "ab"
    int returns; // "return" notifications
};

TEST_F(RichEditTest, ReturnPolicyInsertsOrNotifies)
{
    const ReturnCase cases[] = {
        { L"", false, 2, 0 },
        { L"", true, 2, 0 },
        { L"wantreturn=\"false\"", false, 1, 1 },
        { L"wantreturn=\"false\"", true, 1, 1 },
        { L"wantctrlreturn=\"false\"", true, 1, 1 },
        { L"wantctrlreturn=\"false\"", false, 2, 0 },
    };
    for (const ReturnCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "attributes ["
                                        << std::string(c.attributes, c.attributes + wcslen(c.attributes))
                                        << "] control " << c.control);
        richtest::RecordingHost win;
        CRichEditUI* pEdit = basictest::Make<CRichEditUI>(L"float=\"true\" pos=\"0,0,200,100\" text=\"ab\"");
        pEdit->ApplyAttributeList(c.attributes);
        win.Open(basictest::Root({ pEdit }), 220, 120);
        win.pm().SetFocus(pEdit);
        win.Pump();
        pEdit->SetSel(-1, -1);
        win.Clear();
        {
            ControlHeld held(c.control);
            ::PostMessageW(win.GetHWND(), WM_KEYDOWN, VK_RETURN, 1);
            ::PostMessageW(win.GetHWND(), WM_KEYUP, VK_RETURN, 0xC0000001);
            PumpTranslated();
        }
        EXPECT_EQ(pEdit->GetLineCount(), c.lines);
        EXPECT_EQ(win.Count(L"return", pEdit), c.returns);
        EXPECT_EQ(Str(pEdit->GetText()).substr(0, 2), L"ab");
    }
}

TEST_F(RichEditTest, TabStaysInTheBoxUnlessItIsNotWanted)
{
    Open();
    Focus();
    Key(VK_TAB);
    EXPECT_EQ(m_win.pm().GetFocus(), m_edit);
    EXPECT_EQ(Str(m_edit->GetText()), L"\t");
    m_edit->SetWantTab(false);
    Key(VK_TAB);
    EXPECT_EQ(m_win.pm().GetFocus(), m_button);
    EXPECT_EQ(Str(m_edit->GetText()), L"\t");
}

TEST_F(RichEditTest, ReadOnlyRefusesTypingUntilSwitchedOff)
{
    Open(L"readonly=\"true\" text=\"keep\"");
    EXPECT_TRUE(m_edit->IsReadOnly());
    Focus();
    m_edit->SetSel(-1, -1);
    Type(L"x");
    EXPECT_EQ(Str(m_edit->GetText()), L"keep");
    // Code still changes the text of a read-only box.
    m_edit->SetText(L"code");
    EXPECT_EQ(Str(m_edit->GetText()), L"code");
    m_edit->SetReadOnly(false);
    m_edit->SetSel(-1, -1);
    Type(L"x");
    EXPECT_EQ(Str(m_edit->GetText()), L"codex");
}

TEST_F(RichEditTest, LimitStopsTypingAndZeroRestoresTheDefault)
{
    Open(L"maxchar=\"3\"");
    Focus();
    Type(L"abcdef");
    EXPECT_EQ(Str(m_edit->GetText()), L"abc");
    m_edit->SetLimitText(0);
    DWORD dwMax = 0;
    Host()->TxGetMaxLength(&dwMax);
    EXPECT_EQ(dwMax, 32767u);
    Type(L"d");
    EXPECT_EQ(Str(m_edit->GetText()), L"abcd");
}

TEST_F(RichEditTest, TextRangeAndLineEdgeCases)
{
    Open();
    m_edit->SetText(L"one\rtwo\rthree");
    struct RangeCase {
        long start, end;
        LPCWSTR text;
    } ranges[] = {
        { 0, 3, L"one" }, { 4, -1, L"two\rthree" }, { 0, -1, L"one\rtwo\rthree" }, { 2, 2, L"" },
        { 5, 2, L"" },    { -1, 3, L"" },           { 8, 100, L"three" },
    };
    for (const RangeCase& r : ranges)
        EXPECT_EQ(Str(m_edit->GetTextRange(r.start, r.end)), r.text) << r.start << ".." << r.end;
    struct LineCase {
        int index, max;
        LPCWSTR text;
    } lines[] = {
        { 0, 10, L"one\r" }, { 1, 10, L"two\r" }, { 2, 3, L"thr" }, { 2, 10, L"three\r" },
        { 0, 0, L"" },       { 0, -5, L"" },      { 7, 10, L"" },
    };
    for (const LineCase& l : lines)
        EXPECT_EQ(Str(m_edit->GetLine(l.index, l.max)), l.text) << l.index << " max " << l.max;
    EXPECT_EQ(m_edit->GetLineCount(), 3);
    EXPECT_EQ(m_edit->LineIndex(1), 4);
    EXPECT_EQ(m_edit->LineLength(4), 3);
    EXPECT_EQ(m_edit->LineFromChar(9), 2);
}

TEST_F(RichEditTest, FormatsReachTheEngine)
{
    static_assert(sizeof(CHARFORMAT2W) == 116, "CHARFORMAT2W");
    static_assert(sizeof(PARAFORMAT2) == 188, "PARAFORMAT2");
    Open(L"text=\"styled text\"");
    // Bold on a selection only.
    m_edit->SetSel(0, 6);
    CHARFORMAT2W bold = {};
    bold.dwMask = CFM_BOLD;
    bold.dwEffects = CFE_BOLD;
    EXPECT_TRUE(m_edit->SetSelectionCharFormat(bold));
    CHARFORMAT2W got = {};
    m_edit->GetSelectionCharFormat(got);
    EXPECT_TRUE(got.dwEffects & CFE_BOLD);
    m_edit->SetSel(7, 11);
    m_edit->GetSelectionCharFormat(got);
    EXPECT_FALSE((got.dwMask & CFM_BOLD) && (got.dwEffects & CFE_BOLD));

    // A face name longer than the record holds is cut with its terminator.
    const std::wstring longName(40, L'F');
    m_edit->SetFont(longName.c_str(), 20, true, false, true);
    const CHARFORMATW* pcf = NULL;
    Host()->TxGetCharFormat(&pcf);
    const CHARFORMAT2W* pcf2 = reinterpret_cast<const CHARFORMAT2W*>(pcf);
    EXPECT_EQ(pcf2->cbSize, sizeof(CHARFORMAT2W));
    EXPECT_EQ(std::wstring(pcf2->szFaceName), std::wstring(31, L'F'));
    EXPECT_TRUE(pcf2->dwEffects & CFE_BOLD);
    EXPECT_TRUE(pcf2->dwEffects & CFE_ITALIC);
    const int dpi = ::GetDeviceCaps(m_win.pm().GetPaintDC(), LOGPIXELSY);
    EXPECT_EQ(pcf2->yHeight, 20 * 1440 / dpi);

    // Colour: ARGB in, platform colour out, for the host and the engine alike.
    m_edit->SetTextColor(0xFF112233);
    EXPECT_EQ(pcf2->crTextColor, RGB(0x11, 0x22, 0x33));
    CHARFORMAT2W cfEngine = {};
    m_edit->GetDefaultCharFormat(cfEngine);
    EXPECT_EQ(cfEngine.crTextColor, RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(std::wstring(cfEngine.szFaceName), std::wstring(31, L'F'));
    EXPECT_TRUE(cfEngine.dwEffects & CFE_BOLD);
    // A default format set through the engine is what the host answers from then on.
    CHARFORMAT2W cf = {};
    cf.dwMask = CFM_COLOR;
    cf.crTextColor = RGB(0x44, 0x55, 0x66);
    EXPECT_TRUE(m_edit->SetDefaultCharFormat(cf));
    CHARFORMAT2W cfDefault = {};
    m_edit->GetDefaultCharFormat(cfDefault);
    EXPECT_EQ(cfDefault.crTextColor, RGB(0x44, 0x55, 0x66));

    // Paragraph alignment through the engine and into the host's default.
    PARAFORMAT2 pf = {};
    pf.dwMask = PFM_ALIGNMENT;
    pf.wAlignment = PFA_CENTER;
    EXPECT_TRUE(m_edit->SetParaFormat(pf));
    PARAFORMAT2 pfGot = {};
    m_edit->GetParaFormat(pfGot);
    EXPECT_EQ(pfGot.wAlignment, PFA_CENTER);
    const PARAFORMAT* ppf = NULL;
    Host()->TxGetParaFormat(&ppf);
    EXPECT_EQ(ppf->wAlignment, PFA_CENTER);
}

TEST_F(RichEditTest, DisabledBoxUsesTheDefaultDisabledColour)
{
    m_win.pm().SetDefaultDisabledColor(0xFF00FF00);
    Open(L"textcolor=\"#FF0000FF\" text=\"MMMM\"");
    auto tinted = [this](int channel) {
        painttest::Canvas canvas(240, 170, 0xFFFFFFFF);
        m_win.PaintTo(canvas);
        int n = 0;
        for (int y = 10; y < 40; y++)
            for (int x = 10; x < 100; x++) {
                const uint32_t v = canvas.At(x, y);
                bool bTinted = painttest::Ch(v, channel) > 0x80;
                for (int other = 0; other < 3; other++)
                    if (other != channel && painttest::Ch(v, other) > 0x60) bTinted = false;
                n += bTinted ? 1 : 0;
            }
        return n;
    };
    const CHARFORMATW* pcf = NULL;
    Host()->TxGetCharFormat(&pcf);
    EXPECT_EQ(pcf->crTextColor, RGB(0, 0, 0xFF));
    EXPECT_GT(tinted(0), 0);
    EXPECT_EQ(tinted(1), 0);
    m_edit->SetEnabled(false);
    EXPECT_EQ(pcf->crTextColor, RGB(0, 0xFF, 0));
    EXPECT_EQ(tinted(0), 0);
    EXPECT_GT(tinted(1), 0);
    EXPECT_EQ(m_edit->GetControlFlags(), 0u);
    m_edit->SetEnabled(true);
    EXPECT_EQ(pcf->crTextColor, RGB(0, 0, 0xFF));
    EXPECT_GT(tinted(0), 0);
    EXPECT_EQ(m_edit->GetControlFlags(), static_cast<UINT>(UIFLAG_TABSTOP | UIFLAG_SETCURSOR));
}

TEST_F(RichEditTest, VerticalBarFollowsTheEngine)
{
    Open(L"vscrollbar=\"true\"");
    m_win.Update();
    CScrollBarUI* pBar = m_edit->GetVerticalScrollBar();
    const bool bShownEmpty = pBar != NULL && pBar->IsVisible();
    std::wstring text;
    for (int i = 0; i < 40; i++) text += L"line\r";
    m_edit->SetText(text.c_str());
    m_win.Update();
    pBar = m_edit->GetVerticalScrollBar();
    ASSERT_NE(pBar, nullptr);
    EXPECT_TRUE(pBar->IsVisible());
    EXPECT_GT(pBar->GetScrollRange(), 0);
    // The bar's place is beside the text area, which loses its width.
    EXPECT_EQ(pBar->GetPos().right, 210);
    EXPECT_EQ(Host()->GetControlRect().right, 210 - pBar->GetFixedWidth());
    // Scrolling down moves the engine's view and the bar with it.
    m_edit->EndDown();
    EXPECT_GT(pBar->GetScrollPos(), 0);
    EXPECT_GT(m_edit->CharFromPos(CPoint(20, 20)), 100);
    m_edit->HomeUp();
    EXPECT_EQ(pBar->GetScrollPos(), 0);
    // The plain wheel scrolls through the container's steps; with Control it zooms instead.
    m_win.Wheel(100, 60, -WHEEL_DELTA);
    EXPECT_GT(pBar->GetScrollPos(), 0);
    m_edit->HomeUp();
    int num = 0, den = 0;
    m_edit->GetZoom(num, den);
    EXPECT_EQ(num, 0);
    POINT ptScreen = { 100, 60 };
    ::ClientToScreen(Wnd(), &ptScreen);
    {
        ControlHeld held(true);
        ::SendMessageW(Wnd(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), MAKELPARAM(ptScreen.x, ptScreen.y));
    }
    EXPECT_EQ(pBar->GetScrollPos(), 0);
    m_edit->GetZoom(num, den);
    EXPECT_NE(num, den);
    EXPECT_TRUE(m_edit->SetZoomOff());
    // Short text again: no bar.
    m_edit->SetText(L"short");
    m_win.Update();
    EXPECT_FALSE(pBar->IsVisible());
    EXPECT_FALSE(bShownEmpty);
}

TEST_F(RichEditTest, TextAndHintArePaintedIntoTheBuffer)
{
    Open(L"textcolor=\"#FF000000\" tipvalue=\"Hint\" tipvaluecolor=\"#FFFF0000\"");
    const RECT rcText = { 10, 10, 210, 110 };
    auto countColour = [&](painttest::Canvas& canvas, uint32_t rgb) {
        int n = 0;
        for (int y = rcText.top; y < rcText.bottom; y++)
            for (int x = rcText.left; x < rcText.right; x++)
                if (basictest::Rgb(canvas.At(x, y)) == rgb) n++;
        return n;
    };
    {
        painttest::Canvas empty(240, 170, 0xFF808080);
        m_win.PaintTo(empty);
        EXPECT_GT(countColour(empty, 0xFF0000), 0);
        EXPECT_EQ(countColour(empty, 0x000000), 0);
    }
    m_edit->SetText(L"MMMM");
    painttest::Canvas text(240, 170, 0xFF808080);
    m_win.PaintTo(text);
    EXPECT_EQ(countColour(text, 0xFF0000), 0);
    EXPECT_GT(countColour(text, 0x000000), 0);
    // The text sits at the text area's top left; the far right stays background.
    for (int y = 10; y < 110; y++)
        for (int x = 150; x < 210; x++) ASSERT_EQ(basictest::Rgb(text.At(x, y)), 0xFFFFFFu) << x << "," << y;
    auto isDark = [](uint32_t v) { return painttest::Ch(v, 0) + painttest::Ch(v, 1) + painttest::Ch(v, 2) < 0x180; };
    int dark = 0;
    for (int y = 10; y < 30; y++)
        for (int x = 10; x < 60; x++) dark += isDark(text.At(x, y)) ? 1 : 0;
    EXPECT_GT(dark, 20);
}

TEST_F(RichEditTest, PasswordBoxPaintsMaskCharacters)
{
    auto paint = [](LPCWSTR attributes, LPCWSTR text) {
        richtest::RecordingHost win;
        CRichEditUI* pEdit = basictest::Make<CRichEditUI>(
            L"float=\"true\" pos=\"0,0,120,30\" bkcolor=\"#FFFFFFFF\" textcolor=\"#FF000000\"");
        pEdit->ApplyAttributeList(attributes);
        pEdit->SetText(text);
        win.Open(basictest::Root({ pEdit }), 120, 30);
        painttest::Canvas canvas(120, 30, 0xFF808080);
        win.PaintTo(canvas);
        std::vector<uint32_t> px;
        for (int y = 0; y < 30; y++)
            for (int x = 0; x < 120; x++) px.push_back(basictest::Rgb(canvas.At(x, y)));
        EXPECT_EQ(Str(pEdit->GetText()), text);
        return px;
    };
    const auto masked = paint(L"password=\"true\"", L"abc");
    EXPECT_EQ(masked, paint(L"", L"***"));
    EXPECT_NE(masked, paint(L"", L"abc"));
}

TEST_F(RichEditTest, LayeredWindowBlinksTheManagersCaretOnTimer241)
{
    Open(L"textcolor=\"#FF00FF00\"", true);
    m_edit->SetText(L"abc");
    m_win.Update();
    m_edit->SetSel(1, 1);
    Focus();
    ASSERT_EQ(::GetFocus(), Wnd());
    EXPECT_EQ(m_win.pm().GetCurrentCaretRichEdit(), m_edit);
    // The caret stands at the selection, in the text colour, on the back buffer.
    const CPoint pt = m_edit->PosFromChar(1);
    const RECT rcAll = { 0, 0, 240, 170 };
    painttest::Canvas on(240, 170, 0);
    m_win.pm().DrawCaret(on.dc(), rcAll);
    ::GdiFlush();
    EXPECT_EQ(basictest::Rgb(on.At(pt.x, pt.y + 2)), 0x00FF00u);
    // The blink timer takes it off and brings it back.
    ::SendMessageW(Wnd(), WM_TIMER, 241, 0);
    painttest::Canvas off(240, 170, 0);
    m_win.pm().DrawCaret(off.dc(), rcAll);
    ::GdiFlush();
    EXPECT_EQ(off.CountNot(rcAll, 0), 0);
    ::SendMessageW(Wnd(), WM_TIMER, 241, 0);
    painttest::Canvas again(240, 170, 0);
    m_win.pm().DrawCaret(again.dc(), rcAll);
    ::GdiFlush();
    EXPECT_EQ(basictest::Rgb(again.At(pt.x, pt.y + 2)), 0x00FF00u);
    // Focus elsewhere: the caret goes.
    m_win.pm().SetFocus(m_button);
    painttest::Canvas gone(240, 170, 0);
    m_win.pm().DrawCaret(gone.dc(), rcAll);
    ::GdiFlush();
    EXPECT_EQ(gone.CountNot(rcAll, 0), 0);
}

TEST_F(RichEditTest, PlainWindowUsesTheNativeCaret)
{
    Open();
    m_edit->SetText(L"abc");
    m_win.Update();
    m_edit->SetSel(2, 2);
    Focus();
    EXPECT_EQ(m_win.pm().GetCurrentCaretRichEdit(), nullptr);
    POINT pt = { -1, -1 };
    ::GetCaretPos(&pt);
    const CPoint want = m_edit->PosFromChar(2);
    EXPECT_EQ(pt.x, want.x);
    EXPECT_EQ(pt.y, want.y);
}

TEST_F(RichEditTest, MouseFilterTakesClicksOnTheBoxOnly)
{
    Open(L"text=\"click here\"");
    m_win.Click(100, 60);
    EXPECT_EQ(m_win.pm().GetFocus(), m_edit);
    long start = -1, end = -1;
    m_edit->GetSel(start, end);
    EXPECT_EQ(start, end);
    // A click on the button is not the box's.
    m_win.Click(100, 135);
    EXPECT_EQ(m_win.pm().GetFocus(), m_button);
    EXPECT_FALSE(m_win.pm().IsCaptured());
}

TEST_F(RichEditTest, EngineNotificationsReachTheProgramReflected)
{
    Open(L"text=\"abcdef\"");
    m_edit->SetEventMask(m_edit->GetEventMask() | ENM_SELCHANGE);
    m_win.reflectedCodes.clear();
    m_edit->SetSel(1, 3);
    ASSERT_FALSE(m_win.reflectedCodes.empty());
    EXPECT_EQ(m_win.reflectedCodes.back(), static_cast<UINT>(EN_SELCHANGE));
}

TEST_F(RichEditTest, RemovedBoxLeavesNoPathToTheEngine)
{
    Open(L"text=\"abc\"", true);
    Focus();
    EXPECT_EQ(m_win.pm().GetCurrentCaretRichEdit(), m_edit);
    // An engine timer is running when the box goes.
    ASSERT_TRUE(Host()->TxSetTimer(3, 1));
    static_cast<CContainerUI*>(m_win.pm().GetRoot())->Remove(m_edit);
    m_edit = nullptr;
    m_win.Pump();
    m_win.Clear();
    EXPECT_EQ(m_win.pm().GetCurrentCaretRichEdit(), nullptr);
    // Input, timers and paints after the removal find nothing of it.
    Type(L"x");
    ::SendMessageW(Wnd(), WM_TIMER, 1, 0);
    ::SendMessageW(Wnd(), WM_TIMER, 241, 0);
    m_win.Update();
    m_win.Click(100, 60);
    ::Sleep(30);
    m_win.Pump();
    EXPECT_EQ(m_win.Count(L"timer"), 0);
}

TEST_F(RichEditTest, ChildrenStandInOneLineOverTheTextArea)
{
    Open(L"inset=\"5,5,5,5\"");
    CControlUI* pFixed = basictest::Make<CControlUI>(L"width=\"50\" padding=\"2,0,0,0\"");
    CControlUI* pAuto = basictest::Make<CControlUI>(L"height=\"20\"");
    m_edit->Add(pFixed);
    m_edit->Add(pAuto);
    m_win.Update();
    const RECT rcFixed = pFixed->GetPos();
    EXPECT_EQ(rcFixed.left, 17);
    EXPECT_EQ(rcFixed.right, 67);
    EXPECT_EQ(rcFixed.top, 15);
    EXPECT_EQ(rcFixed.bottom, 105);
    const RECT rcAuto = pAuto->GetPos();
    EXPECT_EQ(rcAuto.left, 67);
    EXPECT_EQ(rcAuto.right, 205);
    EXPECT_EQ(rcAuto.bottom - rcAuto.top, 20);
    // The engine's area is the same inner rectangle.
    const RECT rcText = Host()->GetControlRect();
    EXPECT_EQ(rcText.left, 15);
    EXPECT_EQ(rcText.right, 205);
}

// A bar the children range settles on them: it never widens what the automatic children share,
// so it goes away once they fit, keeps its end in reach when they shrink, and a box whose
// first pass shows or hides it is laid out on it at once (text area and bar included).
TEST_F(RichEditTest, HorizontalBarFollowsTheChildren)
{
    // The style alone makes the bar; the engine leaves a box made without "hscrollbar" to it.
    Open(L"hscrollbarstyle=\"\"");
    CScrollBarUI* pBar = m_edit->GetHorizontalScrollBar();
    ASSERT_NE(pBar, nullptr);
    CControlUI* pSpacer = basictest::Make<CControlUI>(L"");
    CControlUI* pButton = basictest::Make<CControlUI>(L"");
    m_edit->Add(pSpacer);
    m_edit->Add(pButton);
    const RECT rcBox = { 10, 10, 210, 110 };

    struct Step {
        const char* what;
        int buttonWidth;
        int scrollTo; // -1: left alone; else the engine's host puts the bar there
        bool shown;
        int range, pos;
        RECT spacer, button;
        int textBottom;
    } steps[] = {
        { "fits", 60, -1, false, 0, 0, Rc(10, 10, 150, 110), Rc(150, 10, 210, 110), 110 },
        { "too wide", 300, -1, true, 100, 0, Rc(10, 10, 10, 94), Rc(10, 10, 310, 94), 94 },
        { "scrolled to the end", 300, 100, true, 100, 100, Rc(-90, 10, -90, 94), Rc(-90, 10, 210, 94), 94 },
        { "narrower, end in reach", 250, -1, true, 50, 50, Rc(-40, 10, -40, 94), Rc(-40, 10, 210, 94), 94 },
        { "fits again", 60, -1, false, 0, 0, Rc(10, 10, 150, 110), Rc(150, 10, 210, 110), 110 },
    };
    for (const Step& s : steps) {
        pButton->SetFixedWidth(s.buttonWidth);
        if (s.scrollTo >= 0) Host()->TxSetScrollPos(SB_HORZ, s.scrollTo, FALSE);
        // Each pass is one window layout; the first settles the box, the second changes nothing.
        for (int pass = 0; pass < 2; pass++) {
            m_edit->SetPos(rcBox);
            EXPECT_EQ(pBar->IsVisible(), s.shown) << s.what << " pass " << pass;
            EXPECT_EQ(pBar->GetScrollRange(), s.range) << s.what << " pass " << pass;
            EXPECT_EQ(pBar->GetScrollPos(), s.pos) << s.what << " pass " << pass;
            EXPECT_EQ(Host()->GetControlRect().bottom, s.textBottom) << s.what << " pass " << pass;
            if (s.shown) {
                EXPECT_EQ(Str(pBar->GetPos()), Str(Rc(10, 94, 210, 110))) << s.what << " pass " << pass;
            }
            EXPECT_EQ(Str(pSpacer->GetPos()), Str(s.spacer)) << s.what << " pass " << pass;
            EXPECT_EQ(Str(pButton->GetPos()), Str(s.button)) << s.what << " pass " << pass;
        }
    }

    // Without children there is nothing left to scroll.
    pButton->SetFixedWidth(300);
    m_edit->SetPos(rcBox);
    ASSERT_TRUE(pBar->IsVisible());
    m_edit->RemoveAll();
    m_edit->SetPos(rcBox);
    EXPECT_FALSE(pBar->IsVisible());
    EXPECT_EQ(pBar->GetScrollRange(), 0);
    EXPECT_EQ(Host()->GetControlRect().bottom, 110);
}

// Where the engine ranges the bar for a long line, children that fit leave it at the text's
// range (they do not take it away), and share only the visible width.
TEST_F(RichEditTest, HorizontalBarScrollsTheTextBesideFittingChildren)
{
    Open(L"hscrollbar=\"true\"");
    m_edit->SetText(L"one line of text that is a good deal wider than the box it is written in");
    m_win.Update();
    CScrollBarUI* pBar = m_edit->GetHorizontalScrollBar();
    ASSERT_NE(pBar, nullptr);
    ASSERT_TRUE(pBar->IsVisible());
    const int iTextRange = pBar->GetScrollRange();
    ASSERT_GT(iTextRange, 0);

    CControlUI* pSpacer = basictest::Make<CControlUI>(L"");
    CControlUI* pButton = basictest::Make<CControlUI>(L"width=\"60\"");
    m_edit->Add(pSpacer);
    m_edit->Add(pButton);
    m_win.Update();
    EXPECT_TRUE(pBar->IsVisible());
    EXPECT_EQ(pBar->GetScrollRange(), iTextRange);
    EXPECT_EQ(Str(pSpacer->GetPos()), Str(Rc(10, 10, 150, 94)));
    EXPECT_EQ(Str(pButton->GetPos()), Str(Rc(150, 10, 210, 94)));

    // A short text needs no bar, and the children get its height back.
    m_edit->SetText(L"short");
    m_win.Update();
    EXPECT_FALSE(pBar->IsVisible());
    EXPECT_EQ(Str(pButton->GetPos()), Str(Rc(150, 10, 210, 110)));
}

TEST(RichEditWithoutHost, OperationsAnswerTheirDefaults)
{
    CRichEditUI edit;
    edit.SetText(L"kept");
    EXPECT_EQ(edit.GetTextHost(), nullptr);
    EXPECT_EQ(Str(edit.GetText()), L"");
    EXPECT_EQ(edit.GetTextLength(), 0);
    EXPECT_EQ(edit.GetLineCount(), 0);
    EXPECT_FALSE(edit.Undo());
    EXPECT_FALSE(edit.SetZoom(65, 1));
    EXPECT_FALSE(edit.SetZoom(2, 1));
    EXPECT_EQ(Str(edit.GetTextRange(0, -1)), L"");
    EXPECT_EQ(Str(edit.GetLine(0, 5)), L"");
    EXPECT_EQ(Str(edit.GetSelText()), L"");
    CHARFORMAT2W cf = {};
    EXPECT_FALSE(edit.SetDefaultCharFormat(cf));
    PARAFORMAT2 pf = {};
    EXPECT_FALSE(edit.SetParaFormat(pf));
    EXPECT_EQ(edit.GetTxDropTarget(), nullptr);
    LRESULT lResult = 7;
    EXPECT_EQ(edit.TxSendMessage(WM_CHAR, L'a', 0, &lResult), S_FALSE);
    EXPECT_EQ(lResult, 7);
}

TEST(RichEditSkin, ElementAndAttributesFromASkin)
{
    richtest::RecordingHost win;
    CDialogBuilder builder;
    CControlUI* pRoot = builder.Create(
        L"<Window><Container><RichEdit name=\"re\" float=\"true\" pos=\"0,0,150,60\" text=\"from skin\" "
        L"wantreturn=\"false\" rich=\"false\" vscrollbar=\"true\" maxchar=\"20\" textpadding=\"2,3,4,5\"/>"
        L"</Container></Window>");
    ASSERT_NE(pRoot, nullptr);
    win.Open(pRoot, 200, 100);
    CControlUI* pControl = win.pm().FindControl(L"re");
    ASSERT_NE(pControl, nullptr);
    EXPECT_STREQ(pControl->GetClass(), L"RichEditUI");
    CRichEditUI* pEdit = static_cast<CRichEditUI*>(pControl->GetInterface(L"RichEdit"));
    ASSERT_EQ(pEdit, static_cast<CRichEditUI*>(pControl));
    EXPECT_NE(pControl->GetInterface(L"IContainer"), nullptr);
    EXPECT_EQ(Str(pEdit->GetText()), L"from skin");
    EXPECT_FALSE(pEdit->IsWantReturn());
    EXPECT_TRUE(pEdit->IsWantTab());
    EXPECT_FALSE(pEdit->IsRich());
    ASSERT_NE(pEdit->GetTextHost(), nullptr);
    EXPECT_TRUE(pEdit->GetTextHost()->GetStyle() & WS_VSCROLL);
    DWORD dwMax = 0;
    pEdit->GetTextHost()->TxGetMaxLength(&dwMax);
    EXPECT_EQ(dwMax, 20u);
    // The text area is the item less the padding (no bar is needed for one line).
    const RECT rc = pEdit->GetTextHost()->GetControlRect();
    EXPECT_EQ(rc.left, 2);
    EXPECT_EQ(rc.top, 3);
    EXPECT_EQ(rc.bottom, 55);
}

} // namespace
