// The skinned window base on real windows under Xvfb: the state after Create, hit-testing
// against the skin's caption and size box, the window buttons, system commands and the
// default keys. Skins are given as XML text, which the builder reads like a file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PaintTestUtil.h"
#include "SkinTestEnv.h"
#include "core/ControlUI.h"
#include "core/PaintManager.h"
#include "core/WindowImplBase.h"

using namespace SkinUI;

namespace {

testing::Environment* const g_instance = testing::AddGlobalTestEnvironment(new ToolkitInstance);

class SkinWnd : public WindowImplBase {
public:
    explicit SkinWnd(const std::wstring& skin, const std::wstring& folder = L"", LPCTSTR type = NULL)
        : m_skin(skin), m_folder(folder), m_type(type)
    {
    }

    LPCTSTR GetWindowClassName() const override { return L"SkinBaseTestWnd"; }
    CSkinString GetSkinFile() override { return m_skin.c_str(); }
    CSkinString GetSkinFolder() override { return m_folder.c_str(); }
    LPCTSTR GetSkinType() override { return m_type; }
    void InitWindow() override { ++initCalls; }
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override
    {
        keys.push_back(wParam);
        return WindowImplBase::ResponseDefaultKeyEvent(wParam);
    }

    HWND Open()
    {
        HWND hWnd = Create(NULL, L"skin test", WS_OVERLAPPEDWINDOW, 0, 100, 100, 640, 480);
        if (hWnd != NULL) {
            ::ShowWindow(hWnd, SW_SHOWNOACTIVATE);
            ::UpdateWindow(hWnd);
            Pump();
        }
        return hWnd;
    }

    static void Pump()
    {
        MSG msg;
        while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (!CPaintManagerUI::TranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }

    // Client coordinates to the screen point WM_NCHITTEST carries.
    LRESULT HitTest(int x, int y)
    {
        POINT pt = { x, y };
        ::ClientToScreen(m_hWnd, &pt);
        return SendMessageW(WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    }

    void Click(int x, int y)
    {
        LPARAM lp = MAKELPARAM(x, y);
        PostMessageW(WM_MOUSEMOVE, 0, lp);
        PostMessageW(WM_LBUTTONDOWN, MK_LBUTTON, lp);
        PostMessageW(WM_LBUTTONUP, 0, lp);
    }

    bool Visible(LPCTSTR name)
    {
        CControlUI* p = m_PaintManager.FindControl(name);
        return p != NULL && p->IsVisible();
    }

    CPaintManagerUI& Manager() { return m_PaintManager; }
    LONG StyleWithoutCaption() { return GetStyle(); }

    int initCalls = 0;
    std::vector<WPARAM> keys;

private:
    std::wstring m_skin;
    std::wstring m_folder;
    LPCTSTR m_type;
};

// A window that is destroyed with the test, whatever happens.
struct OpenWindow {
    explicit OpenWindow(const std::wstring& skin, const std::wstring& folder = L"", LPCTSTR type = NULL)
        : wnd(skin, folder, type)
    {
        hWnd = wnd.Open();
    }
    ~OpenWindow()
    {
        if (::IsWindow(hWnd)) ::DestroyWindow(hWnd);
    }
    SkinWnd wnd;
    HWND hWnd;
};

TEST(SkinWindow, CreateBuildsTheSkinAndReplacesTheFrame)
{
    OpenWindow w(L"<Window size=\"320,200\" mininfo=\"200,150\" roundcorner=\"8,8\"><VerticalLayout name=\"root\">"
                 L"<Label name=\"title\" text=\"hello\"/></VerticalLayout></Window>");
    ASSERT_TRUE(w.hWnd != NULL);
    EXPECT_EQ(1, w.wnd.initCalls);
    ASSERT_TRUE(w.wnd.Manager().GetRoot() != NULL);
    EXPECT_STREQ(L"root", w.wnd.Manager().GetRoot()->GetName().GetData());
    EXPECT_TRUE(w.wnd.Manager().FindControl(L"title") != NULL);

    LONG style = ::GetWindowLongW(w.hWnd, GWL_STYLE);
    EXPECT_EQ(0, style & WS_CAPTION);
    EXPECT_EQ(WS_CLIPSIBLINGS | WS_CLIPCHILDREN, style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    EXPECT_EQ(0, w.wnd.StyleWithoutCaption() & WS_CAPTION);

    // No frame: the window is its client area, at the screen origin, of the skin's size.
    RECT rcWnd = {}, rcClient = {};
    ::GetWindowRect(w.hWnd, &rcWnd);
    ::GetClientRect(w.hWnd, &rcClient);
    EXPECT_EQ(0, rcWnd.left);
    EXPECT_EQ(0, rcWnd.top);
    EXPECT_EQ(320, rcWnd.right - rcWnd.left);
    EXPECT_EQ(200, rcWnd.bottom - rcWnd.top);
    EXPECT_EQ(320, rcClient.right);
    EXPECT_EQ(200, rcClient.bottom);

    // The rounded region covers the window: the very corner is cut off, the middle is in.
    HRGN hRgn = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(ERROR, ::GetWindowRgn(w.hWnd, hRgn));
    EXPECT_FALSE(::PtInRegion(hRgn, 0, 0));
    EXPECT_TRUE(::PtInRegion(hRgn, 160, 100));
    EXPECT_TRUE(::PtInRegion(hRgn, 319, 100));
    ::DeleteObject(hRgn);

    // Size limits: the skin's minimum, the work area as maximum.
    MINMAXINFO mmi = {};
    w.wnd.SendMessageW(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(200, mmi.ptMinTrackSize.x);
    EXPECT_EQ(150, mmi.ptMinTrackSize.y);
    RECT rcWork = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    EXPECT_EQ(rcWork.right - rcWork.left, mmi.ptMaxTrackSize.x);
    EXPECT_EQ(rcWork.bottom - rcWork.top, mmi.ptMaxTrackSize.y);

    // No non-client area is computed or painted.
    RECT rcCalc = { 10, 10, 50, 50 };
    EXPECT_EQ(0, w.wnd.SendMessageW(WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rcCalc)));
    EXPECT_EQ(10, rcCalc.left);
    EXPECT_EQ(50, rcCalc.bottom);
}

TEST(SkinWindow, TheSkinComesFromAFolderOrAResource)
{
    // The folder is put before the file name, under the resource path.
    painttest::TempDir dir;
    ASSERT_TRUE(::CreateDirectoryW((dir / L"skins").c_str(), NULL));
    ASSERT_TRUE(painttest::WriteFileBytes(dir / L"skins\\main.xml",
                                          "<Window size=\"240,120\"><VerticalLayout name=\"fromfile\"/></Window>"));
    CPaintManagerUI::SetResourcePath(dir.path().c_str());
    {
        OpenWindow w(L"main.xml", L"skins\\");
        ASSERT_TRUE(w.hWnd != NULL);
        EXPECT_TRUE(w.wnd.Manager().FindControl(L"fromfile") != NULL);
    }
    ::DeleteFileW((dir / L"skins\\main.xml").c_str());
    ::RemoveDirectoryW((dir / L"skins").c_str());
    CPaintManagerUI::SetResourcePath(L"");

    // With a type the file name is a resource id of the resource module.
    OpenWindow w(L"103", L"", L"SKINXML");
    ASSERT_TRUE(w.hWnd != NULL);
    EXPECT_TRUE(w.wnd.Manager().FindControl(L"fromres") != NULL);
    RECT rc = {};
    ::GetClientRect(w.hWnd, &rc);
    EXPECT_EQ(200, rc.right);
}

const wchar_t kCaptionSkin[] =
    L"<Window size=\"400,300\" sizebox=\"4,4,6,6\" caption=\"0,0,%d,40\">"
    L"<VerticalLayout name=\"root\" mouse=\"false\">"
    L"<HorizontalLayout name=\"bar\" height=\"40\" mouse=\"false\">"
    L"<Button name=\"b\" width=\"40\"/><Option name=\"o\" width=\"40\"/><Text name=\"t\" width=\"40\"/>"
    L"<Slider name=\"s\" width=\"40\"/><Label name=\"l\" width=\"40\"/><CheckBox name=\"c\" width=\"40\"/>"
    L"<HorizontalLayout name=\"h\" width=\"40\"/><Control name=\"ctl\" width=\"40\"/>"
    L"</HorizontalLayout><Control name=\"body\"/></VerticalLayout></Window>";

std::wstring CaptionSkin(int right)
{
    wchar_t text[1024];
    _snwprintf(text, 1023, kCaptionSkin, right);
    text[1023] = 0;
    return text;
}

TEST(SkinWindow, HitTestFollowsTheSizeBoxAndTheCaption)
{
    struct Row {
        int x, y;
        LRESULT expected;
        const char* what;
    };
    const Row rows[] = {
        // The eight borders; a point on the inner edge is inside.
        { 1, 1, HTTOPLEFT, "top left" },
        { 200, 1, HTTOP, "top" },
        { 396, 1, HTTOPRIGHT, "top right" },
        { 1, 150, HTLEFT, "left" },
        { 3, 150, HTLEFT, "left border's last pixel" },
        { 4, 150, HTCLIENT, "left inner edge" },
        { 394, 150, HTRIGHT, "right border's first pixel" },
        { 393, 150, HTCLIENT, "right inner edge" },
        { 1, 297, HTBOTTOMLEFT, "bottom left" },
        { 200, 294, HTBOTTOM, "bottom border's first pixel" },
        { 200, 293, HTCLIENT, "bottom inner edge" },
        { 398, 298, HTBOTTOMRIGHT, "bottom right" },
        // The caption: buttons, options, texts and sliders take the mouse.
        { 20, 20, HTCLIENT, "button" },
        { 60, 20, HTCLIENT, "option" },
        { 100, 20, HTCLIENT, "text" },
        { 140, 20, HTCLIENT, "slider" },
        { 180, 20, HTCAPTION, "label" },
        { 220, 20, HTCAPTION, "check box" },
        { 260, 20, HTCAPTION, "layout" },
        { 300, 39, HTCAPTION, "control, caption's last row" },
        { 350, 20, HTCLIENT, "no control" },
        { 300, 40, HTCLIENT, "below the caption" },
        { 200, 150, HTCLIENT, "body" },
    };
    OpenWindow w(CaptionSkin(0));
    ASSERT_TRUE(w.hWnd != NULL);
    for (const Row& r : rows) EXPECT_EQ(r.expected, w.wnd.HitTest(r.x, r.y)) << r.what;

    // The caption's right side is a distance from the right edge.
    OpenWindow narrow(CaptionSkin(100));
    ASSERT_TRUE(narrow.hWnd != NULL);
    EXPECT_EQ(HTCAPTION, narrow.wnd.HitTest(299, 20));
    EXPECT_EQ(HTCLIENT, narrow.wnd.HitTest(300, 20));

    // A maximised window has no sizing borders.
    ::ShowWindow(w.hWnd, SW_MAXIMIZE);
    SkinWnd::Pump();
    ASSERT_TRUE(::IsZoomed(w.hWnd));
    RECT rc = {};
    ::GetClientRect(w.hWnd, &rc);
    EXPECT_EQ(HTCLIENT, w.wnd.HitTest(1, 150));
    EXPECT_EQ(HTCLIENT, w.wnd.HitTest(rc.right - 1, 150));
    EXPECT_EQ(HTCLIENT, w.wnd.HitTest(rc.right / 2, rc.bottom - 1));
    EXPECT_EQ(HTCAPTION, w.wnd.HitTest(180, 1));
}

const wchar_t kButtonsSkin[] =
    L"<Window size=\"300,200\"><VerticalLayout><HorizontalLayout height=\"30\">"
    L"<Button name=\"minbtn\" width=\"30\"/><Button name=\"maxbtn\" width=\"30\"/>"
    L"<Button name=\"restorebtn\" width=\"30\" visible=\"false\"/><Button name=\"closebtn\" width=\"30\"/>"
    L"<Button name=\"other\" width=\"30\"/>"
    L"</HorizontalLayout><Control/></VerticalLayout></Window>";

TEST(SkinWindow, CloseButtonEndsTheModalLoopWithItsCode)
{
    SkinWnd* wnd = new SkinWnd(kButtonsSkin);
    HWND hWnd = wnd->Open();
    ASSERT_TRUE(hWnd != NULL);
    // A button of another name does nothing; then the close button (third at x 90..120
    // while restorebtn is hidden).
    wnd->Click(105, 15);
    wnd->Click(75, 15);
    wnd->Click(45, 15);
    wnd->PostMessageW(WM_SYSCOMMAND, SC_RESTORE);
    UINT code = wnd->ShowModal();
    EXPECT_EQ(1u, code);
    EXPECT_FALSE(::IsWindow(hWnd));
    delete wnd;
}

TEST(SkinWindow, MaximiseAndRestoreKeepTheButtonsInStep)
{
    OpenWindow w(kButtonsSkin);
    ASSERT_TRUE(w.hWnd != NULL);
    EXPECT_TRUE(w.wnd.Visible(L"maxbtn"));
    EXPECT_FALSE(w.wnd.Visible(L"restorebtn"));

    // Through the system menu.
    w.wnd.SendMessageW(WM_SYSCOMMAND, SC_MAXIMIZE);
    EXPECT_TRUE(::IsZoomed(w.hWnd));
    EXPECT_FALSE(w.wnd.Visible(L"maxbtn"));
    EXPECT_TRUE(w.wnd.Visible(L"restorebtn"));
    w.wnd.SendMessageW(WM_SYSCOMMAND, SC_RESTORE);
    EXPECT_FALSE(::IsZoomed(w.hWnd));
    EXPECT_TRUE(w.wnd.Visible(L"maxbtn"));
    EXPECT_FALSE(w.wnd.Visible(L"restorebtn"));

    // Through the buttons: maxbtn is second, then restorebtn takes its place.
    SkinWnd::Pump();
    w.wnd.Click(45, 15);
    SkinWnd::Pump();
    EXPECT_TRUE(::IsZoomed(w.hWnd));
    EXPECT_TRUE(w.wnd.Visible(L"restorebtn"));
    SkinWnd::Pump();
    w.wnd.Click(45, 15);
    SkinWnd::Pump();
    EXPECT_FALSE(::IsZoomed(w.hWnd));
    EXPECT_TRUE(w.wnd.Visible(L"maxbtn"));
    w.wnd.Click(15, 15);
    SkinWnd::Pump();
    EXPECT_TRUE(::IsIconic(w.hWnd));
}

TEST(SkinWindow, MinimisedFromMaximisedComesBackMaximised)
{
    OpenWindow w(kButtonsSkin);
    ASSERT_TRUE(w.hWnd != NULL);
    w.wnd.SendMessageW(WM_SYSCOMMAND, SC_MAXIMIZE);
    ASSERT_TRUE(::IsZoomed(w.hWnd));
    RECT rcMax = {};
    ::GetWindowRect(w.hWnd, &rcMax);
    w.wnd.SendMessageW(WM_SYSCOMMAND, SC_MINIMIZE);
    ASSERT_TRUE(::IsIconic(w.hWnd));
    w.wnd.SendMessageW(WM_SYSCOMMAND, SC_RESTORE);
    EXPECT_FALSE(::IsIconic(w.hWnd));
    EXPECT_TRUE(::IsZoomed(w.hWnd));
    RECT rc = {};
    ::GetWindowRect(w.hWnd, &rc);
    EXPECT_TRUE(::EqualRect(&rcMax, &rc));
    EXPECT_FALSE(w.wnd.Visible(L"maxbtn"));
    EXPECT_TRUE(w.wnd.Visible(L"restorebtn"));
}

TEST(SkinWindow, WithoutBothButtonsNeitherChanges)
{
    OpenWindow w(L"<Window size=\"300,200\"><VerticalLayout><Button name=\"maxbtn\" height=\"30\"/>"
                 L"</VerticalLayout></Window>");
    ASSERT_TRUE(w.hWnd != NULL);
    w.wnd.SendMessageW(WM_SYSCOMMAND, SC_MAXIMIZE);
    EXPECT_TRUE(::IsZoomed(w.hWnd));
    EXPECT_TRUE(w.wnd.Visible(L"maxbtn"));
}

TEST(SkinWindow, ReturnAndEscapeAreOfferedButNotConsumed)
{
    SkinWnd* wnd = new SkinWnd(kButtonsSkin);
    HWND hWnd = wnd->Open();
    ASSERT_TRUE(hWnd != NULL);
    wnd->PostMessageW(WM_KEYDOWN, VK_ESCAPE);
    wnd->PostMessageW(WM_KEYDOWN, 'A');
    wnd->PostMessageW(WM_KEYDOWN, VK_RETURN);
    wnd->PostMessageW(WM_CLOSE, 5);
    EXPECT_EQ(5u, wnd->ShowModal());
    EXPECT_EQ((std::vector<WPARAM>{ VK_ESCAPE, VK_RETURN }), wnd->keys);
    bool dummy = false;
    EXPECT_EQ(TRUE, wnd->MessageHandler(WM_KEYDOWN, VK_ESCAPE, 0, dummy));
    EXPECT_EQ(FALSE, wnd->MessageHandler(WM_KEYDOWN, VK_RETURN, 0, dummy));
    EXPECT_EQ(FALSE, wnd->MessageHandler(WM_KEYUP, VK_ESCAPE, 0, dummy));
    EXPECT_FALSE(dummy);
    delete wnd;
}

} // namespace
