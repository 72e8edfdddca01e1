// The skinned buttons: their state pictures read back from a DIB, and the hover colours.
#include "WindowSupport.h"

#include <memory>

#include "LoginBack.h"
#include "TButton.h"
#include "resource.h"

namespace {

using namespace windows_test;

DWORD Rgb(int r, int g, int b)
{
    return static_cast<DWORD>((r << 16) | (g << 8) | b);
}

void ExpectNear(DWORD expected, DWORD actual, int tolerance, const char* where)
{
    for (int shift : { 16, 8, 0 }) {
        EXPECT_NEAR(static_cast<int>((expected >> shift) & 0xFF), static_cast<int>((actual >> shift) & 0xFF), tolerance)
            << where << ": expected " << std::hex << expected << ", got " << actual;
    }
}

// What the button copies into a paint of `state` (ODS_* bits).
DWORD DrawnPixel(TButton& button, UINT state, int x, int y)
{
    Canvas canvas(24, 24);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.hwndItem = button.m_hWnd;
    item.hDC = canvas.Dc();
    item.rcItem = { 0, 0, 24, 24 };
    item.itemState = state;
    button.DrawItem(&item);
    return canvas.Pixel(x, y);
}

int Bright(int channel)
{
    const int value = static_cast<int>(channel * 1.05 + 0.05 * 255 + 0.5);
    return value > 255 ? 255 : value;
}

TEST(HoverMatrix, BrightensEachColourAndKeepsAlpha)
{
    Gdiplus::Bitmap source(2, 2, PixelFormat32bppARGB);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) source.SetPixel(x, y, Gdiplus::Color(255, 100, 150, 200));
    Gdiplus::Bitmap target(2, 2, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&target);
        Gdiplus::ImageAttributes attributes;
        Gdiplus::ColorMatrix matrix = HoverColorMatrix();
        attributes.SetColorMatrix(&matrix);
        graphics.DrawImage(&source, Gdiplus::Rect(0, 0, 2, 2), 0, 0, 2, 2, Gdiplus::UnitPixel, &attributes);
    }
    Gdiplus::Color colour;
    target.GetPixel(1, 1, &colour);
    EXPECT_NEAR(118, colour.GetR(), 1);
    EXPECT_NEAR(170, colour.GetG(), 1);
    EXPECT_NEAR(223, colour.GetB(), 1);
    EXPECT_EQ(255, colour.GetA());
}

TEST(SkinButton, NothingIsDrawnBeforeThePicturesExistAndDoubleClicksPress)
{
    TButton button;
    Canvas canvas(24, 24);
    DRAWITEMSTRUCT item{};
    item.hDC = canvas.Dc();
    item.rcItem = { 0, 0, 24, 24 };
    button.DrawItem(&item);
    EXPECT_EQ(Canvas::kSentinel, canvas.Pixel(12, 12));

    MSG msg{};
    msg.message = WM_LBUTTONDBLCLK;
    button.PreTranslateMessage(&msg);
    EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), msg.message);
}

class Buttons : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_back = std::make_unique<LoginBack>(IDD_LOGIN_DIALOG);
        ASSERT_TRUE(m_back->Create(IDD_LOGIN_BACK, nullptr));
        m_back->ShowWindow(SW_SHOWNORMAL);
        m_fore = m_back->LoginDialog();
        ASSERT_NE(nullptr, m_fore);
    }
    void TearDown() override { m_back.reset(); }

    std::unique_ptr<LoginBack> m_back;
    CLoginDlg* m_fore = nullptr;
};

TEST_F(Buttons, StatePicturesOverTheKeyColour)
{
    Pump();
    TButton& close = m_fore->CloseButton();
    ASSERT_TRUE(close.CachesBuilt()) << "no colour message reached the button";
    EXPECT_TRUE(close.GetStyle() & BS_OWNERDRAW);
    // Outside the round picture: the key colour. On the sign: light. The ring: blue.
    const DWORD ring = Rgb(60, 90, 150);
    struct Case {
        const char* name;
        UINT state;
        bool hover;
        int x, y;
        DWORD colour;
    } cases[] = {
        { "normal corner", 0, false, 0, 0, 0 },
        { "normal sign", 0, false, 11, 11, Rgb(240, 240, 240) },
        { "normal ring", 0, false, 4, 12, ring },
        { "pressed ring", ODS_SELECTED, false, 4, 12, ring },
        { "hover ring", 0, true, 4, 12, Rgb(Bright(60), Bright(90), Bright(150)) },
        { "hover corner", 0, true, 0, 0, 0 },
        { "pressed while hovering", ODS_SELECTED, true, 4, 12, ring },
    };
    for (const Case& c : cases) {
        close.SendMessage(c.hover ? WM_MOUSEHOVER : WM_MOUSELEAVE);
        EXPECT_EQ(c.hover, close.IsHover()) << c.name;
        ExpectNear(c.colour, DrawnPixel(close, c.state, c.x, c.y), 2, c.name);
    }
}

TEST_F(Buttons, AMissingPictureLeavesOnlyTheBackground)
{
    TButton& minimize = m_fore->MinimizeButton();
    // Before the first paint: the pictures the caches are made from are the missing ones.
    EXPECT_FALSE(minimize.LoadImages(TestFolder() + L"png\\none.png"));
    Pump();
    ASSERT_TRUE(minimize.CachesBuilt());
    for (int x : { 0, 6, 11, 17 }) EXPECT_EQ(0u, DrawnPixel(minimize, 0, x, 11)) << x;
    // The other button kept its picture.
    EXPECT_EQ(Rgb(240, 240, 240), DrawnPixel(m_fore->CloseButton(), 0, 11, 11));
}

} // namespace
