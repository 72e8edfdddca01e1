#include <windows.h>
#include <stdlib.h>
#include <string>
#include "../basic/BasicTestUtil.h"
#include "controls/EditUI.h"
#include "core/DialogBuilder.h"

using namespace SkinUI;
using basictest::HostWindow;
using basictest::Make;
using basictest::Root;

namespace {

HWND NativeEdit(CEditUI* pEdit)
{
    return pEdit->GetNativeWindow() != NULL ? pEdit->GetNativeWindow()->GetHWND() : NULL;
}

void TypeInto(HostWindow& win, HWND hEdit, LPCWSTR text)
{
    for (LPCWSTR p = text; *p != L'\0'; p++) ::PostMessageW(hEdit, WM_CHAR, *p, 1);
    win.Pump();
}

class EditTest : public ::testing::Test {
protected:
    void Open(LPCWSTR extra = L"")
    {
        m_edit = Make<CEditUI>(L"float=\"true\" pos=\"10,10,150,40\"");
        m_edit->ApplyAttributeList(extra);
        m_other = Make<CEditUI>(L"float=\"true\" pos=\"10,60,150,90\"");
        m_win.Open(Root({ m_edit, m_other }), 200, 120);
    }
    HostWindow m_win;
    CEditUI* m_edit = nullptr;
    CEditUI* m_other = nullptr;
};

TEST_F(EditTest, FocusOpensChildOverTextAreaTypingReportsAndFocusLossCloses)
{
    Open(L"text=\"ab\"");
    m_win.pm().SetFocus(m_edit);
    m_win.Pump();
    HWND hEdit = NativeEdit(m_edit);
    ASSERT_NE(hEdit, (HWND)NULL);
    EXPECT_EQ(::GetParent(hEdit), m_win.GetHWND());
    EXPECT_TRUE(::GetWindowLongPtrW(hEdit, GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(::GetFocus(), hEdit);
    // The window lies at the computed rectangle: padding off, one font line centred.
    RECT rcWant = m_edit->GetNativeWindow()->CalcEditPos();
    RECT rcWnd;
    ::GetWindowRect(hEdit, &rcWnd);
    ::MapWindowPoints(NULL, m_win.GetHWND(), reinterpret_cast<POINT*>(&rcWnd), 2);
    EXPECT_EQ(rcWnd.left, 14);
    EXPECT_EQ(rcWnd.right, 146);
    EXPECT_EQ(rcWnd.top, rcWant.top);
    EXPECT_EQ(rcWnd.bottom, rcWant.bottom);
    const int h = m_win.pm().GetFontInfo(-1)->tm.tmHeight;
    EXPECT_EQ(rcWant.bottom - rcWant.top, h);
    EXPECT_EQ(rcWant.top, 13 + (24 - h) / 2);

    wchar_t buf[32] = {};
    ::GetWindowTextW(hEdit, buf, 32);
    EXPECT_STREQ(buf, L"ab");

    ::SendMessageW(hEdit, EM_SETSEL, 2, 2);
    TypeInto(m_win, hEdit, L"cd");
    EXPECT_STREQ(m_edit->GetText().GetData(), L"abcd");
    EXPECT_EQ(m_win.Count(L"textchanged", m_edit), 2);

    m_win.Clear();
    ::PostMessageW(hEdit, WM_KEYDOWN, VK_RETURN, 1);
    m_win.Pump();
    EXPECT_EQ(m_win.Types(), std::vector<std::wstring>{ L"return" });
    EXPECT_STREQ(m_edit->GetText().GetData(), L"abcd");

    // SetText while open goes through the window and is reported.
    m_win.Clear();
    m_edit->SetText(L"xyz");
    m_win.Pump();
    EXPECT_EQ(m_win.Count(L"textchanged", m_edit), 1);
    ::GetWindowTextW(hEdit, buf, 32);
    EXPECT_STREQ(buf, L"xyz");

    // The native focus moves elsewhere: the window closes itself and the pointer is cleared.
    ::SetFocus(m_win.GetHWND());
    m_win.Pump();
    EXPECT_FALSE(::IsWindow(hEdit));
    EXPECT_EQ(m_edit->GetNativeWindow(), nullptr);
    EXPECT_STREQ(m_edit->GetText().GetData(), L"xyz");

    // Without a window SetText reports nothing.
    m_win.Clear();
    m_edit->SetText(L"q");
    m_win.Pump();
    EXPECT_EQ(m_win.Count(L"textchanged"), 0);
}

TEST_F(EditTest, LayeredHostGetsPopupAtScreenPosition)
{
    m_win.pm().SetUseLayeredWindow(true);
    Open(L"text=\"ab\"");
    m_win.pm().SetFocus(m_edit);
    m_win.Pump();
    HWND hEdit = NativeEdit(m_edit);
    ASSERT_NE(hEdit, (HWND)NULL);
    const LONG_PTR style = ::GetWindowLongPtrW(hEdit, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CHILD);
    EXPECT_TRUE(::IsWindowVisible(hEdit));
    RECT rcHost, rcWnd;
    ::GetWindowRect(m_win.GetHWND(), &rcHost);
    ::GetWindowRect(hEdit, &rcWnd);
    const RECT rcWant = m_edit->GetNativeWindow()->CalcEditPos();
    EXPECT_EQ(rcWnd.left, rcHost.left + rcWant.left);
    EXPECT_EQ(rcWnd.top, rcHost.top + rcWant.top);
    // The popup's notifications reach its owner, which reflects them back as for a child.
    TypeInto(m_win, hEdit, L"c");
    EXPECT_EQ(m_win.Count(L"textchanged", m_edit), 1);
    ::SetFocus(m_win.GetHWND());
    m_win.Pump();
    EXPECT_FALSE(::IsWindow(hEdit));
    EXPECT_EQ(m_edit->GetNativeWindow(), nullptr);
}

TEST_F(EditTest, ClickOnEmptyEditSelectsZeroToOneAndFocusMovesBetweenEdits)
{
    Open();
    m_win.Click(50, 25);
    HWND hEdit = NativeEdit(m_edit);
    ASSERT_NE(hEdit, (HWND)NULL);
    DWORD start = 9, end = 9;
    ::SendMessageW(hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u); // the platform clamps 0..1 of an empty text to 0..0
    m_win.Click(50, 75);
    EXPECT_FALSE(::IsWindow(hEdit));
    EXPECT_EQ(m_edit->GetNativeWindow(), nullptr);
    EXPECT_NE(NativeEdit(m_other), (HWND)NULL);
}

TEST_F(EditTest, StateFollowsIntoOpenWindow)
{
    Open(L"maxchar=\"0\" numberonly=\"true\" password=\"true\" passwordchar=\"#\"");
    m_win.pm().SetFocus(m_edit);
    m_win.Pump();
    HWND hEdit = NativeEdit(m_edit);
    ASSERT_NE(hEdit, (HWND)NULL);
    EXPECT_TRUE(::GetWindowLongPtrW(hEdit, GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(::SendMessageW(hEdit, EM_GETPASSWORDCHAR, 0, 0), L'#');
    // "maxchar" 0 is passed as 0, which the platform reads as its largest limit.
    EXPECT_NE(::SendMessageW(hEdit, EM_GETLIMITTEXT, 0, 0), 255);
    m_edit->SetMaxChar(3);
    EXPECT_EQ(::SendMessageW(hEdit, EM_GETLIMITTEXT, 0, 0), 3);
    m_edit->SetReadOnly(true);
    EXPECT_TRUE(::GetWindowLongPtrW(hEdit, GWL_STYLE) & ES_READONLY);
    m_edit->SetReadOnly(false);
    m_edit->SetPasswordChar(L'$');
    EXPECT_EQ(::SendMessageW(hEdit, EM_GETPASSWORDCHAR, 0, 0), L'$');
    // Digits only: a letter is refused by the native edit.
    TypeInto(m_win, hEdit, L"1a2");
    EXPECT_STREQ(m_edit->GetText().GetData(), L"12");
}

TEST_F(EditTest, DestroyedWhileOpenTakesItsWindowAlong)
{
    Open();
    m_win.pm().SetFocus(m_edit);
    m_win.Pump();
    HWND hEdit = NativeEdit(m_edit);
    ASSERT_NE(hEdit, (HWND)NULL);
    // The manager forgets its focus without moving the native focus: only the control's
    // destructor can close the window, whose later messages must not reach the freed control.
    static_cast<CContainerUI*>(m_win.pm().GetRoot())->Remove(m_edit);
    m_edit = nullptr;
    m_win.Pump();
    EXPECT_FALSE(::IsWindow(hEdit));
    ::SetFocus(m_win.GetHWND());
    m_win.Pump();
}

TEST_F(EditTest, DisabledEditOpensNothingAndHidingCloses)
{
    Open(L"enabled=\"false\"");
    EXPECT_EQ(m_edit->GetControlFlags(), 0u);
    m_win.Click(50, 25);
    EXPECT_EQ(m_edit->GetNativeWindow(), nullptr);
    EXPECT_EQ(m_edit->GetButtonState() & UISTATE_HOT, 0u);
    EXPECT_EQ(m_other->GetControlFlags(), static_cast<UINT>(UIFLAG_TABSTOP | UIFLAG_SETCURSOR));
    // A hovered edit that is disabled drops every state bit.
    m_win.Move(50, 75);
    EXPECT_NE(m_other->GetButtonState() & UISTATE_HOT, 0u);
    m_other->SetEnabled(false);
    EXPECT_EQ(m_other->GetButtonState(), 0u);
    m_other->SetEnabled(true);

    m_win.pm().SetFocus(m_other);
    m_win.Pump();
    HWND hEdit = NativeEdit(m_other);
    ASSERT_NE(hEdit, (HWND)NULL);
    m_other->SetVisible(false);
    m_win.Pump();
    EXPECT_FALSE(::IsWindow(hEdit));
    EXPECT_EQ(m_other->GetNativeWindow(), nullptr);
}

TEST(EditMask, SurrogatePairIsOneCharacter)
{
    struct Case {
        LPCWSTR text;
        LPCWSTR masked;
    } cases[] = {
        { L"", L"" },
        { L"a", L"*" },
        { L"ab", L"**" },
        { L"\xD83D\xDE00", L"*" },
        { L"a\xD83D\xDE00"
          L"b",
          L"***" },
        { L"\xD83D", L"*" },
        { L"\xDE00\xD83D", L"**" },
    };
    for (const Case& c : cases) EXPECT_STREQ(CEditUI::MaskText(c.text, L'*').GetData(), c.masked) << c.text;
}

// Pixels of the edits' text areas: the masked or hint rendering equals a plain rendering of
// the expected text.
class EditPaintTest : public ::testing::Test {
protected:
    std::vector<uint32_t> TextPixels(LPCWSTR attributes, LPCWSTR text = NULL)
    {
        HostWindow win;
        CEditUI* p = Make<CEditUI>(L"float=\"true\" pos=\"0,0,120,30\" textcolor=\"#FF000000\"");
        p->ApplyAttributeList(attributes);
        if (text != NULL) p->SetText(text);
        win.Open(Root({ p }), 120, 30);
        painttest::Canvas canvas(120, 30, 0xFF808080);
        win.PaintTo(canvas);
        std::vector<uint32_t> px;
        for (int y = 0; y < 30; y++)
            for (int x = 0; x < 120; x++) px.push_back(basictest::Rgb(canvas.At(x, y)));
        return px;
    }
    // Some pixel lies near the colour (smoothed text edges are blends).
    static bool Has(const std::vector<uint32_t>& px, uint32_t rgb)
    {
        for (uint32_t v : px) {
            int d = 0;
            for (int shift = 0; shift < 24; shift += 8)
                d += abs(static_cast<int>((v >> shift) & 0xFF) - static_cast<int>((rgb >> shift) & 0xFF));
            if (d < 60) return true;
        }
        return false;
    }
};

TEST_F(EditPaintTest, PasswordPaintsOneCharacterPerCharacter)
{
    const auto pair = TextPixels(L"password=\"true\"", L"a\xD83D\xDE00");
    const auto two = TextPixels(L"text=\"**\"");
    const auto three = TextPixels(L"text=\"***\"");
    EXPECT_EQ(pair, two);
    EXPECT_NE(pair, three);
    EXPECT_TRUE(Has(two, 0x000000));
}

TEST_F(EditPaintTest, HintPaintsInTipColourForEmptyTextOrTextEqualToTip)
{
    const LPCWSTR tip = L"tipvalue=\"Hint\" tipvaluecolor=\"#FFFF0000\" ";
    const auto empty = TextPixels((std::wstring(tip)).c_str());
    const auto equal = TextPixels((std::wstring(tip) + L"text=\"Hint\"").c_str());
    const auto own = TextPixels((std::wstring(tip) + L"textcolor=\"#FF0000FF\" text=\"HHHH\"").c_str());
    EXPECT_TRUE(Has(empty, 0xFF0000));
    EXPECT_EQ(empty, equal);
    EXPECT_FALSE(Has(own, 0xFF0000));
    EXPECT_TRUE(Has(own, 0x0000FF));
    // Disabled: the hint takes the disabled colour.
    const auto disabled =
        TextPixels((std::wstring(tip) + L"enabled=\"false\" disabledtextcolor=\"#FF00FF00\"").c_str());
    EXPECT_FALSE(Has(disabled, 0xFF0000));
    EXPECT_TRUE(Has(disabled, 0x00FF00));
}

TEST(EditBuilder, ElementNameMakesAnEdit)
{
    int n = 0;
    const SkinControlEntry* table = GetSkinControlTable(&n);
    CControlUI* p = NULL;
    for (int i = 0; i < n; i++)
        if (wcscmp(table[i].pstrName, L"Edit") == 0) p = table[i].pfnCreate();
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->GetClass(), L"EditUI");
    EXPECT_NE(p->GetInterface(L"Edit"), nullptr);
    EXPECT_NE(p->GetInterface(L"Label"), nullptr);
    delete p;
}

} // namespace
