// The layered back window and the login dialog over it, with the stand-in browser.
#include "WindowSupport.h"
#include "../common/support/PlaceCursor.h"

#include <memory>

#include "BackDialogBase.h"
#include "LoginBack.h"
#include "resource.h"

namespace {

using namespace windows_test;

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new Environment);

// The skin image's rows: a clear outside, a half-clear rim 6 pixels wide, an opaque inside.
TEST(LayeredBack, TheLayerKeepsTheImagesAlpha)
{
    std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromFile((TestFolder() + L"png\\bj.png").c_str()));
    ASSERT_TRUE(image && image->GetLastStatus() == Gdiplus::Ok);
    LayerBitmap layer;
    ASSERT_TRUE(layer.Render(image.get()));
    EXPECT_EQ(800, layer.Width());
    EXPECT_EQ(570, layer.Height());
    struct Case {
        int x, y;
        int alpha;
        int r, g, b; // straight colour; the layer holds it premultiplied
    } cases[] = {
        { 0, 0, 0, 0, 0, 0 },
        { 799, 569, 0, 0, 0, 0 },
        { 400, 300, 255, 20 + 20 * 300 / 569, 34 + 30 * 300 / 569, 70 + 60 * 300 / 569 },
        { 3, 300, 128, 20 + 20 * 300 / 569, 34 + 30 * 300 / 569, 70 + 60 * 300 / 569 },
        { 400, 10, 255, 40, 70, 130 },
    };
    for (const Case& c : cases) {
        const DWORD pixel = layer.Pixel(c.x, c.y);
        const int alpha = static_cast<int>(pixel >> 24);
        EXPECT_NEAR(c.alpha, alpha, 1) << c.x << "," << c.y;
        EXPECT_NEAR(c.r * c.alpha / 255, static_cast<int>((pixel >> 16) & 0xFF), 2) << c.x << "," << c.y;
        EXPECT_NEAR(c.g * c.alpha / 255, static_cast<int>((pixel >> 8) & 0xFF), 2) << c.x << "," << c.y;
        EXPECT_NEAR(c.b * c.alpha / 255, static_cast<int>(pixel & 0xFF), 2) << c.x << "," << c.y;
    }
}

// A back window and its login dialog, made as the launcher makes them (without the modal
// loop, which the test's own pumping replaces).
class Launcher : public ::testing::Test {
protected:
    void Open(const wchar_t* image = nullptr)
    {
        m_back = std::make_unique<LoginBack>(IDD_LOGIN_DIALOG);
        if (image) m_imageLoaded = m_back->LoadImageFile(image);
        ASSERT_TRUE(m_back->Create(IDD_LOGIN_BACK, nullptr));
        m_back->ShowWindow(SW_SHOWNORMAL);
        Pump();
        m_fore = m_back->LoginDialog();
        ASSERT_NE(nullptr, m_fore);
        ASSERT_NE(nullptr, m_fore->m_hWnd);
    }
    void TearDown() override { m_back.reset(); }

    std::unique_ptr<LoginBack> m_back;
    CLoginDlg* m_fore = nullptr;
    bool m_imageLoaded = true;
};

TEST_F(Launcher, BackTakesTheImagesSizeCentredAndTheDialogLiesOverIt)
{
    Open();
    const RECT back = WindowRect(m_back->m_hWnd);
    EXPECT_EQ(800, back.right - back.left);
    EXPECT_EQ(570, back.bottom - back.top);
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_NEAR((area.left + area.right) / 2, (back.left + back.right) / 2, 1);
    EXPECT_NEAR((area.top + area.bottom) / 2, (back.top + back.bottom) / 2, 1);
    EXPECT_TRUE(m_back->GetExStyle() & WS_EX_LAYERED);
    EXPECT_TRUE(SameRect(back, WindowRect(m_fore->m_hWnd))) << Text(WindowRect(m_fore->m_hWnd));

    // The dialog: colour-keyed in black, otherwise opaque.
    EXPECT_TRUE(m_fore->GetExStyle() & WS_EX_LAYERED);
    COLORREF key = 1;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(m_fore->m_hWnd, &key, &alpha, &flags));
    EXPECT_EQ(RGB(0, 0, 0), key);
    EXPECT_EQ(255, alpha);
    EXPECT_EQ(static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA), flags);
    EXPECT_EQ(m_fore, CLoginDlg::Current());

    // The page's place from "Webpos", the buttons' from "Minpos" and "Clospos".
    StandInBrowser* browser = standin::Last();
    ASSERT_NE(nullptr, browser);
    RECT page = WindowRect(browser->Window());
    ::MapWindowPoints(nullptr, m_fore->m_hWnd, reinterpret_cast<POINT*>(&page), 2);
    EXPECT_EQ("10,40,790,560", Text(page));
    RECT close = WindowRect(m_fore->CloseButton().m_hWnd);
    ::MapWindowPoints(nullptr, m_fore->m_hWnd, reinterpret_cast<POINT*>(&close), 2);
    EXPECT_EQ("770,5,794,29", Text(close));
    EXPECT_EQ(IDC_BROWSER, ::GetDlgCtrlID(browser->Window()));
}

TEST_F(Launcher, DraggingMovesBothWindows)
{
    Open();
    const RECT before = WindowRect(m_back->m_hWnd);
    POINT ptWas = {};
    ::GetCursorPos(&ptWas);
    // A move without the button held does nothing.
    testsupport::PlaceCursor(before.left + 45, before.top + 25);
    m_back->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(45, 25));
    EXPECT_TRUE(SameRect(before, WindowRect(m_back->m_hWnd)));

    m_back->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    for (int step = 1; step <= 3; ++step) {
        testsupport::PlaceCursor(before.left + 5 + 10 * step, before.top + 5 + 7 * step);
        m_back->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
        RECT expected = before;
        ::OffsetRect(&expected, 10 * step, 7 * step);
        EXPECT_EQ(Text(expected), Text(WindowRect(m_back->m_hWnd))) << step;
        EXPECT_EQ(Text(expected), Text(WindowRect(m_fore->m_hWnd))) << step;
    }
    // A pointer left over other tests' windows sends them moves.
    m_back->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ::SetCursorPos(ptWas.x, ptWas.y);
}

TEST_F(Launcher, MinimiseButtonMinimisesAndRestoreShowsBoth)
{
    Open();
    m_fore->MinimizeButton().SendMessage(BM_CLICK);
    Pump();
    EXPECT_TRUE(::IsIconic(m_back->m_hWnd));
    EXPECT_FALSE(m_fore->IsWindowVisible());

    m_back->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(::IsIconic(m_back->m_hWnd));
    EXPECT_TRUE(m_back->IsWindowVisible());
    EXPECT_TRUE(m_fore->IsWindowVisible());
    EXPECT_TRUE(SameRect(WindowRect(m_back->m_hWnd), WindowRect(m_fore->m_hWnd)));
}

TEST_F(Launcher, WithoutAUsableImageTheBackIsAPlainWindowOfTheTemplatesSize)
{
    const std::wstring empty = TestFolder() + L"empty.png";
    ::CloseHandle(::CreateFileW(empty.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    for (const std::wstring& image : { TestFolder() + L"png\\missing.png", empty }) {
        Open(image.c_str());
        EXPECT_FALSE(m_imageLoaded);
        EXPECT_FALSE(m_back->HasImage());
        EXPECT_FALSE(m_back->GetExStyle() & WS_EX_LAYERED);
        RECT units = { 0, 0, 400, 260 };
        ::MapDialogRect(m_back->m_hWnd, &units);
        RECT client{};
        m_back->GetClientRect(&client);
        EXPECT_EQ(Text(units), Text(client));
        EXPECT_TRUE(m_back->IsWindowVisible());
        EXPECT_TRUE(SameRect(WindowRect(m_back->m_hWnd), WindowRect(m_fore->m_hWnd)));
        m_back.reset();
    }
}

} // namespace
