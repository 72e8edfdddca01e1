#include <windows.h>
#include <gtest/gtest.h>
#include "core/PaintManager.h"
#include "core/RenderEngine.h"
#include "PaintTestUtil.h"

using namespace SkinUI;
using namespace painttest;

namespace {

// GDI+ and the shadow window class, as a program sets them up before its first window.
class ToolkitEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CPaintManagerUI::SetInstance(::GetModuleHandleW(NULL)); }
    void TearDown() override { CPaintManagerUI::Term(); }
};
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

std::vector<uint8_t> Rgba(std::initializer_list<uint8_t> v)
{
    return std::vector<uint8_t>(v);
}

// A w x 1 opaque grey PNG: the width tells which copy of an image was loaded.
std::string GreyPng(int w)
{
    std::vector<uint8_t> px(static_cast<size_t>(w) * 4, 0x80);
    for (int i = 0; i < w; i++) px[i * 4 + 3] = 255;
    return EncodePng(w, 1, px);
}

std::vector<uint32_t> Pixels(const tagTImageInfo* img)
{
    DIBSECTION ds = {};
    ::GetObjectW(img->hBitmap, sizeof(ds), &ds);
    const uint32_t* p = static_cast<const uint32_t*>(ds.dsBm.bmBits);
    EXPECT_EQ(32, ds.dsBm.bmBitsPixel);
    return std::vector<uint32_t>(p, p + static_cast<size_t>(img->width) * img->height);
}

// Each test leaves the toolkit-wide resource settings as it found them.
class ResourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CPaintManagerUI::SetResourceZip(L"", false);
        CPaintManagerUI::SetResourcePath(m_dir.path().c_str());
    }
    void TearDown() override
    {
        CPaintManagerUI::SetResourceZip(L"", false);
        CPaintManagerUI::SetResourcePath(L"");
    }
    void Write(const std::wstring& name, const std::string& bytes) { ASSERT_TRUE(WriteFileBytes(m_dir / name, bytes)); }
    TempDir m_dir;
};

// Pixels with alpha 255, 128 and 0 and an opaque magenta one, two rows: the bitmap must be
// top-down, row 0 first in memory.
std::string PipelinePng()
{
    return EncodePng(2, 2, Rgba({ 10, 20, 30, 255, 200, 100, 50, 128, 1, 2, 3, 0, 255, 0, 255, 255 }));
}

TEST_F(ResourceTest, DecodedPixelsArePremultipliedBgra)
{
    Write(L"p.png", PipelinePng());
    struct Case {
        DWORD mask;
        uint32_t magenta;
    } cases[] = {
        { 0, 0xFFFF00FF },
        { 0xFFFF00FF, 0x00000000 }, // the opaque magenta pixel becomes transparent
        { 0x00FF00FF, 0xFFFF00FF }, // a mask with alpha 0 matches no opaque pixel
    };
    for (const Case& c : cases) {
        tagTImageInfo* img = CPaintManagerUI::LoadImage(L"p.png", NULL, c.mask);
        ASSERT_NE(nullptr, img) << std::hex << c.mask;
        EXPECT_EQ(2, img->width);
        EXPECT_EQ(2, img->height);
        EXPECT_TRUE(img->hasAlpha);
        std::vector<uint32_t> px = Pixels(img);
        EXPECT_EQ(0xFF0A141Eu, px[0]);
        // 200*128/255 = 100, 100*128/255 = 50, 50*128/255 = 25 (integer division)
        EXPECT_EQ(0x80643219u, px[1]);
        EXPECT_EQ(0x00000000u, px[2]);
        EXPECT_EQ(c.magenta, px[3]) << std::hex << c.mask;
        CPaintManagerUI::FreeImage(img);
    }
}

TEST_F(ResourceTest, HasAlphaOnlyForTranslucentOrMaskedPixels)
{
    Write(L"o.png", EncodePng(2, 1, Rgba({ 255, 0, 255, 255, 1, 2, 3, 255 })));
    tagTImageInfo* plain = CPaintManagerUI::LoadImage(L"o.png", NULL, 0);
    ASSERT_NE(nullptr, plain);
    EXPECT_FALSE(plain->hasAlpha);
    CPaintManagerUI::FreeImage(plain);
    tagTImageInfo* masked = CPaintManagerUI::LoadImage(L"o.png", NULL, 0xFFFF00FF);
    ASSERT_NE(nullptr, masked);
    EXPECT_TRUE(masked->hasAlpha);
    EXPECT_EQ(0u, Pixels(masked)[0]);
    EXPECT_EQ(0xFF010203u, Pixels(masked)[1]);
    CPaintManagerUI::FreeImage(masked);
}

TEST_F(ResourceTest, UnreadableBytesGiveNoImage)
{
    Write(L"empty.png", "");
    Write(L"junk.png", "not an image at all");
    std::string png = GreyPng(2);
    Write(L"cut.png", png.substr(0, png.size() / 2));
    for (const wchar_t* name : { L"empty.png", L"junk.png", L"cut.png", L"missing.png" }) {
        EXPECT_EQ(nullptr, CPaintManagerUI::LoadImage(name, NULL, 0)) << name;
    }
    EXPECT_EQ(nullptr, CPaintManagerUI::LoadImage(STRINGorID(7u), NULL, 0)) << "an id needs a type";
}

TEST_F(ResourceTest, CacheRules)
{
    Write(L"a.png", GreyPng(3));
    Write(L"123", GreyPng(3));
    Write(L"abc", GreyPng(3));
    CPaintManagerUI pm;

    tagTImageInfo* first = pm.AddImage(L"a.png");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(nullptr, pm.AddImage(L"a.png")) << "a cached name is not replaced";
    EXPECT_EQ(first, pm.GetImage(L"a.png"));
    EXPECT_EQ(first, pm.GetImageEx(L"a.png")) << "loaded once";
    // The key is the name only: another mask shares the first load.
    EXPECT_EQ(first, pm.GetImageEx(L"a.png", NULL, 0xFF808080));

    // With a type the name must be a resource id, and the file system is never tried.
    for (const wchar_t* name : { L"abc", L"123", L"0", L"70000", L"-5" }) {
        EXPECT_EQ(nullptr, pm.AddImage(name, L"PNG", 0)) << name;
        EXPECT_EQ(nullptr, pm.GetImage(name)) << name;
    }

    HBITMAP hbmp = MakeSourceBitmap(2, 2, std::vector<uint32_t>(4, 0xFF00FF00));
    tagTImageInfo* made = pm.AddImage(L"made", hbmp, 2, 2, false);
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(hbmp, made->hBitmap);
    EXPECT_EQ(nullptr, pm.AddImage(L"made", MakeSourceBitmap(1, 1, { 0 }), 1, 1, false));
    EXPECT_EQ(nullptr, pm.AddImage(L"zero", MakeSourceBitmap(1, 1, { 0 }), 0, 1, false));
    EXPECT_EQ(nullptr, pm.AddImage(L"null", (HBITMAP)NULL, 1, 1, false));

    EXPECT_TRUE(pm.RemoveImage(L"made"));
    EXPECT_FALSE(pm.RemoveImage(L"made"));
    EXPECT_EQ(nullptr, pm.GetImage(L"made"));
}

TEST_F(ResourceTest, ReloadKeepsTheRecordAndTakesTheNewImage)
{
    Write(L"r.png", GreyPng(3));
    CPaintManagerUI pm;
    tagTImageInfo* img = pm.GetImageEx(L"r.png");
    ASSERT_NE(nullptr, img);
    EXPECT_EQ(3, img->width);
    Write(L"r.png", GreyPng(7));
    pm.ReloadAllImages();
    EXPECT_EQ(img, pm.GetImage(L"r.png"));
    EXPECT_EQ(7, img->width);
    // A file that went away leaves the cached image as it was.
    ::DeleteFileW((m_dir / L"r.png").c_str());
    pm.ReloadAllImages();
    EXPECT_EQ(7, img->width);
    EXPECT_NE(nullptr, img->hBitmap);
}

TEST_F(ResourceTest, PopupImagesLiveInTheOwnersCache)
{
    Write(L"row.png", GreyPng(2));
    CPaintManagerUI owner;
    tagTImageInfo* img = NULL;
    {
        CPaintManagerUI popup;
        ASSERT_TRUE(popup.UseParentResource(&owner));
        img = popup.GetImageEx(L"row.png");
        ASSERT_NE(nullptr, img);
        EXPECT_FALSE(popup.RemoveImage(L"row.png")) << "the popup's own cache holds nothing";
    }
    // The popup is gone; the record its rows pointed at is still the owner's.
    EXPECT_EQ(img, owner.GetImage(L"row.png"));
    EXPECT_EQ(2, img->width);
}

TEST_F(ResourceTest, ResourcePathGetsOneSeparator)
{
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        { L"skin", L"skin\\" }, { L"skin\\", L"skin\\" },           { L"skin/", L"skin/" },
        { L"", L"" },           { L"C:\\a b\\c", L"C:\\a b\\c\\" },
    };
    for (const Case& c : cases) {
        CPaintManagerUI::SetResourcePath(c.in);
        EXPECT_STREQ(c.out, CPaintManagerUI::GetResourcePath().GetData()) << c.in;
    }
}

TEST_F(ResourceTest, ZipEntryThenFileThenPlainPath)
{
    Write(L"img.png", GreyPng(3));
    Write(L"onlyfile.png", GreyPng(4));
    Write(L"skin.zip", MakeZip({ { "img.png", GreyPng(5) }, { "Sub/Deep.png", GreyPng(6) } }));
    TempDir other;
    ASSERT_TRUE(WriteFileBytes(other / L"plain.png", GreyPng(8)));

    struct Case {
        const wchar_t* zip;
        bool cached;
        std::wstring name;
        int width; // 0: not found
    } cases[] = {
        { L"", false, L"img.png", 3 },
        { L"skin.zip", false, L"img.png", 5 },
        { L"skin.zip", true, L"img.png", 5 },
        { L"skin.zip", true, L"sub\\deep.PNG", 6 },      // entries are found ignoring case
        { L"skin.zip", false, L"onlyfile.png", 0 },      // with a zip the folder is not searched
        { L"skin.zip", false, other / L"plain.png", 8 }, // the name as a path by itself
        { L"", false, other / L"plain.png", 8 },
        { L"missing.zip", false, L"img.png", 0 },
    };
    for (const Case& c : cases) {
        CPaintManagerUI::SetResourceZip(c.zip, c.cached);
        tagTImageInfo* img = CPaintManagerUI::LoadImage(c.name.c_str(), NULL, 0);
        if (c.width == 0) {
            EXPECT_EQ(nullptr, img) << c.zip << " " << c.name;
        } else {
            ASSERT_NE(nullptr, img) << c.zip << " " << c.name;
            EXPECT_EQ(c.width, img->width) << c.zip << " " << c.name;
        }
        CPaintManagerUI::FreeImage(img);
    }
    EXPECT_TRUE(CPaintManagerUI::IsCachedResourceZip() == false);
}

TEST_F(ResourceTest, BrokenZipEntriesGiveNoImage)
{
    std::string good = GreyPng(2);
    std::string zip = MakeZip({ { "empty.png", "" }, { "bad.png", good }, { "good.png", good } });
    // Flip one byte of bad.png's data: its checksum no longer matches.
    size_t at = zip.find(good);
    ASSERT_NE(std::string::npos, at);
    zip[at + good.size() / 2] ^= 0x5A;
    Write(L"b.zip", zip);
    CPaintManagerUI::SetResourceZip(L"b.zip", true);
    EXPECT_EQ(nullptr, CPaintManagerUI::LoadImage(L"empty.png", NULL, 0));
    EXPECT_EQ(nullptr, CPaintManagerUI::LoadImage(L"bad.png", NULL, 0));
    tagTImageInfo* img = CPaintManagerUI::LoadImage(L"good.png", NULL, 0);
    ASSERT_NE(nullptr, img);
    EXPECT_EQ(2, img->width);
    CPaintManagerUI::FreeImage(img);
}

TEST_F(ResourceTest, FirstMemoryZipStaysInForce)
{
    std::string z1 = MakeZip({ { "m.png", GreyPng(9) } });
    std::string z2 = MakeZip({ { "m.png", GreyPng(1) } });
    CPaintManagerUI::SetResourceZip(&z1[0], static_cast<unsigned>(z1.size()));
    EXPECT_STREQ(L"membuffer", CPaintManagerUI::GetResourceZip().GetData());
    EXPECT_TRUE(CPaintManagerUI::IsCachedResourceZip());
    CPaintManagerUI::SetResourceZip(&z2[0], static_cast<unsigned>(z2.size()));
    tagTImageInfo* img = CPaintManagerUI::LoadImage(L"m.png", NULL, 0);
    ASSERT_NE(nullptr, img);
    EXPECT_EQ(9, img->width);
    CPaintManagerUI::FreeImage(img);
}

TEST(PaintManagerFonts, IdsAndLookups)
{
    CPaintManagerUI pm;
    HFONT hDefault = pm.GetDefaultFontInfo()->hFont;
    ASSERT_NE(nullptr, hDefault);
    HFONT f0 = pm.AddFont(L"Tahoma", 12, false, false, false);
    HFONT f1 = pm.AddFont(L"Tahoma", 12, true, false, false);
    HFONT f2 = pm.AddFont(L"Arial", 14, false, true, true);
    ASSERT_TRUE(f0 && f1 && f2);
    EXPECT_EQ(3u, pm.GetCustomFontCount());

    EXPECT_EQ(hDefault, pm.GetFont(-1));
    EXPECT_EQ(hDefault, pm.GetFont(3));
    EXPECT_EQ(pm.GetDefaultFontInfo(), pm.GetFontInfo(99));
    EXPECT_EQ(f1, pm.GetFont(1));
    EXPECT_TRUE(pm.GetFontInfo(1)->bold);
    EXPECT_TRUE(pm.GetFontInfo(2)->underline && pm.GetFontInfo(2)->italic);

    struct Case {
        const wchar_t* face;
        int size;
        bool bold, underline, italic;
        int index;
    } cases[] = {
        { L"Tahoma", 12, false, false, false, 0 },  { L"Tahoma", 12, true, false, false, 1 },
        { L"tahoma", 12, false, false, false, -1 }, // faces match case-sensitively
        { L"Tahoma", 13, false, false, false, -1 }, { L"Arial", 14, false, true, true, 2 },
        { L"Arial", 14, false, true, false, -1 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.index, pm.GetFontIndex(c.face, c.size, c.bold, c.underline, c.italic)) << c.face << c.size;
        EXPECT_EQ(c.index >= 0, pm.FindFont(c.face, c.size, c.bold, c.underline, c.italic)) << c.face << c.size;
    }
    EXPECT_EQ(-1, pm.GetFontIndex(hDefault));
    EXPECT_EQ(-1, pm.GetFontIndex((HFONT)::GetStockObject(SYSTEM_FONT)));

    // Removing an id shifts the later ones down.
    EXPECT_TRUE(pm.RemoveFontAt(0));
    EXPECT_EQ(f1, pm.GetFont(0));
    EXPECT_EQ(1, pm.GetFontIndex(f2));
    EXPECT_FALSE(pm.RemoveFontAt(2));
    EXPECT_TRUE(pm.RemoveFont(f2));
    EXPECT_FALSE(pm.RemoveFont(f2));
    EXPECT_EQ(1u, pm.GetCustomFontCount());

    // Inserting at an index moves the others up; past the end is refused.
    HFONT fi = pm.AddFontAt(0, L"Courier New", 10, false, false, false);
    ASSERT_NE(nullptr, fi);
    EXPECT_EQ(fi, pm.GetFont(0));
    EXPECT_EQ(f1, pm.GetFont(1));
    EXPECT_EQ(nullptr, pm.AddFontAt(5, L"Courier New", 10, false, false, false));
}

TEST(PaintManagerFonts, BoldAddsToTheStockWeight)
{
    LOGFONTW stock = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
    CPaintManagerUI pm;
    HFONT f = pm.AddFont(L"Tahoma", 20, true, true, false);
    LOGFONTW lf = {};
    ASSERT_NE(0, ::GetObjectW(f, sizeof(lf), &lf));
    EXPECT_EQ(stock.lfWeight + 700, lf.lfWeight);
    EXPECT_EQ(-20, lf.lfHeight);
    EXPECT_EQ(DEFAULT_CHARSET, lf.lfCharSet);
    EXPECT_EQ(CLEARTYPE_QUALITY, lf.lfQuality);
    EXPECT_EQ(1, lf.lfUnderline);
    EXPECT_EQ(stock.lfItalic, lf.lfItalic);
    // A face longer than the LOGFONT field is cut, never overrun.
    HFONT g = pm.AddFont(L"0123456789012345678901234567890123456789", 9, false, false, false);
    ASSERT_NE(nullptr, g);
    ::GetObjectW(g, sizeof(lf), &lf);
    EXPECT_EQ(31u, wcslen(lf.lfFaceName));
}

TEST(PaintManagerFonts, ParentChainAndDefaultFont)
{
    HWND hwnd = MakeHostWindow(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
    ASSERT_NE(nullptr, hwnd);
    {
        CPaintManagerUI owner, popup;
        owner.Init(hwnd);
        HFONT f = owner.AddFont(L"Tahoma", 16, false, false, false);
        ASSERT_TRUE(popup.UseParentResource(&owner));
        EXPECT_EQ(f, popup.GetFont(L"Tahoma", 16, false, false, false));
        EXPECT_TRUE(popup.FindFont(f));
        EXPECT_EQ(-1, popup.GetFontIndex(f)) << "indexes are the manager's own";
        tagTFontInfo* info = popup.GetFontInfo(f);
        EXPECT_EQ(f, info->hFont);
        EXPECT_GT(info->tm.tmHeight, 0) << "measured on first use";
        EXPECT_EQ(owner.GetDefaultFontInfo(), popup.GetDefaultFontInfo());
        EXPECT_GT(owner.GetDefaultFontInfo()->tm.tmHeight, 0);

        owner.SetDefaultFont(L"Tahoma", 30, true, false, false);
        tagTFontInfo* def = popup.GetDefaultFontInfo();
        EXPECT_STREQ(L"Tahoma", def->faceName.GetData());
        EXPECT_EQ(30, def->size);
        EXPECT_TRUE(def->bold);
        // Sizes are checked through the font's own measure, not fixed pixels.
        EXPECT_GT(def->tm.tmHeight, owner.GetFontInfo(0)->tm.tmHeight);
    }
    ::DestroyWindow(hwnd);
}

TEST(PaintManagerSettings, ClampsAndChains)
{
    CPaintManagerUI::SetHSL(true, 400, -5, 250);
    short h = 0, s = 0, l = 0;
    CPaintManagerUI::GetHSL(&h, &s, &l);
    EXPECT_EQ(360, h);
    EXPECT_EQ(0, s);
    EXPECT_EQ(200, l);
    CPaintManagerUI::SetHSL(true, 180, 100, 100);

    CPaintManagerUI a, b, c;
    EXPECT_FALSE(a.UseParentResource(&a)) << "itself";
    EXPECT_TRUE(b.UseParentResource(&a));
    EXPECT_TRUE(c.UseParentResource(&b));
    EXPECT_FALSE(a.UseParentResource(&c)) << "a cycle through two managers";
    EXPECT_EQ(nullptr, a.GetParentResource());
    EXPECT_EQ(&b, c.GetParentResource());

    // Setters store here, getters answer the last manager of the chain.
    c.SetDefaultFontColor(0xFF112233);
    a.SetDefaultFontColor(0xFF445566);
    a.SetDefaultLinkFontColor(0xFF000010);
    EXPECT_EQ(0xFF445566u, c.GetDefaultFontColor());
    EXPECT_EQ(0xFF000010u, c.GetDefaultLinkFontColor());
    EXPECT_EQ(0xFFA7A6AAu, c.GetDefaultDisabledColor());
    EXPECT_EQ(0xFFD3215Fu, c.GetDefaultLinkHoverFontColor());
    EXPECT_EQ(0xFFBAE4FFu, c.GetDefaultSelectedBkColor());
    EXPECT_TRUE(c.UseParentResource(NULL));
    EXPECT_EQ(0xFF112233u, c.GetDefaultFontColor());

    // Default attribute lists keep the first text and follow the chain.
    a.AddDefaultAttributeList(L"Button", L"first");
    a.AddDefaultAttributeList(L"Button", L"second");
    EXPECT_STREQ(L"first", a.GetDefaultAttributeList(L"Button"));
    EXPECT_STREQ(L"first", b.GetDefaultAttributeList(L"Button"));
    EXPECT_EQ(nullptr, b.GetDefaultAttributeList(L"button"));
    EXPECT_FALSE(b.RemoveDefaultAttributeList(L"Button"));
    EXPECT_TRUE(a.RemoveDefaultAttributeList(L"Button"));
    EXPECT_EQ(nullptr, b.GetDefaultAttributeList(L"Button"));
}

TEST(PaintManagerSettings, OptionGroupsAndObservers)
{
    CPaintManagerUI pm;
    CControlUI* x = reinterpret_cast<CControlUI*>(0x1000);
    CControlUI* y = reinterpret_cast<CControlUI*>(0x2000);
    EXPECT_TRUE(pm.AddOptionGroup(L"g", x));
    EXPECT_FALSE(pm.AddOptionGroup(L"g", x));
    EXPECT_TRUE(pm.AddOptionGroup(L"g", y));
    ASSERT_NE(nullptr, pm.GetOptionGroup(L"g"));
    EXPECT_EQ(2, pm.GetOptionGroup(L"g")->GetSize());
    pm.RemoveOptionGroup(L"g", x);
    EXPECT_EQ(1, pm.GetOptionGroup(L"g")->GetSize());
    pm.RemoveOptionGroup(L"g", y);
    EXPECT_EQ(nullptr, pm.GetOptionGroup(L"g")) << "an empty group is deleted";

    EXPECT_TRUE(pm.AddPostPaint(x));
    EXPECT_TRUE(pm.AddPostPaint(y));
    EXPECT_TRUE(pm.SetPostPaintIndex(y, 0));
    EXPECT_EQ(2, pm.GetPostPaintCount());
    EXPECT_TRUE(pm.RemovePostPaint(x));
    EXPECT_FALSE(pm.RemovePostPaint(x));
}

TEST(PaintManagerSettings, PluginsNeedCreateControl)
{
    EXPECT_FALSE(CPaintManagerUI::LoadPlugin(NULL));
    EXPECT_FALSE(CPaintManagerUI::LoadPlugin(L"no-such-plugin.dll"));
    EXPECT_FALSE(CPaintManagerUI::LoadPlugin(L"version.dll"));
    EXPECT_EQ(0, CPaintManagerUI::GetPlugins()->GetSize());
}

TEST(PaintManagerWindow, TransparencyAndLayeredPainting)
{
    HWND hwnd = MakeHostWindow(WS_POPUP, 10, 10, 40, 30);
    ASSERT_NE(nullptr, hwnd);
    auto exStyle = [hwnd] { return ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE); };
    auto updateLayered = [hwnd]() -> bool {
        Canvas buf(40, 30, 0x80402010);
        POINT src = { 0, 0 }, dst = { 10, 10 };
        SIZE sz = { 40, 30 };
        BLENDFUNCTION bf = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
        ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
        return ::UpdateLayeredWindow(hwnd, NULL, &dst, &sz, buf.dc(), &src, 0, &bf, ULW_ALPHA) != FALSE;
    };
    {
        CPaintManagerUI pm;
        pm.SetTransparent(-7);
        EXPECT_EQ(0, pm.GetTransparent()) << "without a window only the value is kept";
        pm.Init(hwnd);
        pm.SetTransparent(128);
        EXPECT_EQ(128, pm.GetTransparent());
        EXPECT_TRUE(exStyle() & WS_EX_LAYERED);
        BYTE alpha = 0;
        DWORD flags = 0;
        ASSERT_TRUE(::GetLayeredWindowAttributes(hwnd, NULL, &alpha, &flags));
        EXPECT_EQ(128, alpha);
        pm.SetTransparent(300);
        EXPECT_EQ(255, pm.GetTransparent());
        EXPECT_FALSE(exStyle() & WS_EX_LAYERED);

        // "alpha" before "bktrans": the layered paint must still work.
        pm.SetTransparent(100);
        pm.SetUseLayeredWindow(true);
        EXPECT_TRUE(updateLayered());
        // "bktrans" before "alpha": the opacity is kept for the paint's blend.
        pm.SetTransparent(60);
        EXPECT_EQ(60, pm.GetTransparent());
        EXPECT_TRUE(updateLayered());
    }
    ::DestroyWindow(hwnd);
}

TEST(PaintManagerWindow, InitSizeAndClientSize)
{
    HWND hwnd = MakeHostWindow(WS_POPUP, 0, 0, 50, 50);
    ASSERT_NE(nullptr, hwnd);
    {
        CPaintManagerUI pm;
        EXPECT_EQ(0, pm.GetClientSize().cx);
        pm.Init(hwnd);
        pm.Init(hwnd); // a second bind keeps one DC and one registration
        EXPECT_NE(nullptr, pm.GetPaintDC());
        pm.SetInitSize(120, 80);
        EXPECT_EQ(120, pm.GetInitSize().cx);
        EXPECT_EQ(120, pm.GetClientSize().cx);
        EXPECT_EQ(80, pm.GetClientSize().cy);
        EXPECT_EQ(-1, pm.GetMousePos().x);
    }
    ::DestroyWindow(hwnd);
}

} // namespace

namespace {

class CountingFilter : public IMessageFilterUI {
public:
    explicit CountingFilter(bool handle) : m_handle(handle) {}
    LRESULT MessageHandler(UINT, WPARAM, LPARAM, bool& bHandled) override
    {
        m_calls++;
        bHandled = m_handle;
        return 0;
    }
    int m_calls = 0;
    bool m_handle;
};

class Accelerator : public ITranslateAccelerator {
public:
    LRESULT TranslateAccelerator(MSG* pMsg) override { return pMsg->wParam == 'Q' ? S_OK : S_FALSE; }
};

TEST(PaintManagerMessages, PreTranslationAsksTheTargetsManagerOnce)
{
    HWND host = MakeHostWindow(WS_POPUP, 0, 0, 100, 100);
    ASSERT_NE(nullptr, host);
    HWND child = ::CreateWindowExW(0, L"PaintTestHost", NULL, WS_CHILD, 0, 0, 50, 50, host, NULL, NULL, NULL);
    HWND grandchild = ::CreateWindowExW(0, L"PaintTestHost", NULL, WS_CHILD, 0, 0, 20, 20, child, NULL, NULL, NULL);
    ASSERT_TRUE(child && grandchild);
    {
        CPaintManagerUI pm, other;
        pm.Init(host);
        CountingFilter filter(true);
        Accelerator accel;
        pm.AddPreMessageFilter(&filter);
        pm.AddTranslateAccelerator(&accel);

        MSG msg = { host, WM_KEYDOWN, 'A', 0, 0, { 0, 0 } };
        EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&msg)) << "a handling filter consumes it";
        EXPECT_EQ(1, filter.m_calls);

        // A grandchild's message reaches the manager of an ancestor once, and is still
        // dispatched; an accelerator consumes it.
        msg.hwnd = grandchild;
        EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg));
        EXPECT_EQ(2, filter.m_calls);
        msg.wParam = 'Q';
        EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&msg));
        EXPECT_EQ(2, filter.m_calls) << "the accelerator comes first";

        EXPECT_TRUE(pm.RemovePreMessageFilter(&filter));
        EXPECT_FALSE(pm.RemovePreMessageFilter(&filter));
        msg.hwnd = host;
        msg.wParam = VK_TAB;
        EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&msg)) << "Tab moves the focus";
        msg.wParam = 'B';
        EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg));
        HWND stranger = MakeHostWindow(WS_POPUP, 0, 0, 10, 10);
        msg.hwnd = stranger;
        EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg)) << "no manager for that window";
        ::DestroyWindow(stranger);
    }
    ::DestroyWindow(host);
}

} // namespace

namespace {

TEST_F(ResourceTest, ModuleResourcesByTypeAndId)
{
    CPaintManagerUI pm;
    tagTImageInfo* img = pm.AddImage(L"101", L"PNG", 0);
    ASSERT_NE(nullptr, img);
    EXPECT_EQ(5, img->width);
    EXPECT_STREQ(L"PNG", img->resType.GetData());
    pm.ReloadAllImages();
    EXPECT_EQ(img, pm.GetImage(L"101"));
    EXPECT_EQ(5, img->width);
    EXPECT_EQ(nullptr, pm.AddImage(L"102", L"PNG", 0)) << "id of another type";

    // The skin archive from a "ZIPRES" resource, read in memory.
    CPaintManagerUI::SetResourceZip(102u);
    EXPECT_STREQ(L"membuffer", CPaintManagerUI::GetResourceZip().GetData());
    tagTImageInfo* z = CPaintManagerUI::LoadImage(L"res\\z.png", NULL, 0);
    ASSERT_NE(nullptr, z);
    EXPECT_EQ(6, z->width);
    EXPECT_EQ(2, z->height);
    CPaintManagerUI::FreeImage(z);
}

TEST(PaintManagerTimers, SetKillAndRestart)
{
    HWND hwnd = MakeHostWindow(WS_POPUP, 0, 0, 10, 10);
    ASSERT_NE(nullptr, hwnd);
    {
        CPaintManagerUI pm;
        pm.Init(hwnd);
        CControlUI* a = reinterpret_cast<CControlUI*>(0x1000);
        CControlUI* b = reinterpret_cast<CControlUI*>(0x2000);
        EXPECT_TRUE(pm.SetTimer(a, 1, 1000));
        EXPECT_FALSE(pm.SetTimer(a, 1, 50)) << "already running";
        EXPECT_TRUE(pm.SetTimer(a, 2, 1000));
        EXPECT_TRUE(pm.SetTimer(b, 1, 1000));
        EXPECT_TRUE(pm.KillTimer(a, 1));
        EXPECT_FALSE(pm.KillTimer(a, 1)) << "already stopped";
        EXPECT_TRUE(pm.SetTimer(a, 1, 500)) << "a stopped timer restarts";
        pm.KillTimer(a);
        EXPECT_FALSE(pm.KillTimer(a, 2)) << "all of a's timers are gone";
        EXPECT_TRUE(pm.KillTimer(b, 1));
        pm.RemoveAllTimers();
        EXPECT_FALSE(pm.KillTimer(b, 1));
    }
    ::DestroyWindow(hwnd);
}

} // namespace

#include "core/ImageAttribute.h"

namespace {

TEST_F(ResourceTest, ImageAttributeLoadsThroughTheCache)
{
    Write(L"s.png", EncodePng(3, 2, Rgba({ 255, 0, 255, 255, 9, 9, 9, 255, 9,   9, 9,   255,
                                           9,   9, 9,   255, 9, 9, 9, 255, 255, 0, 255, 255 })));
    CPaintManagerUI pm;
    CImageAttribute whole, cut, masked;
    whole.SetAttributeString(L"s.png");
    cut.SetAttributeString(L"file='s.png' source='1,0,500,500'");
    ASSERT_TRUE(whole.LoadImageW(&pm));
    ASSERT_TRUE(cut.LoadImageW(&pm));
    EXPECT_EQ(whole.m_imageInfo, cut.m_imageInfo) << "one cached image";
    EXPECT_EQ(pm.GetImage(L"s.png"), whole.m_imageInfo);
    const RECT rcWhole = { 0, 0, 3, 2 }, rcCut = { 1, 0, 3, 2 };
    EXPECT_TRUE(::EqualRect(&whole.m_rcSource, &rcWhole));
    EXPECT_TRUE(::EqualRect(&cut.m_rcSource, &rcCut)) << "kept inside the image";

    // The mask and the resource type reach the loader.
    masked.SetAttributeString(L"file='m.png' mask='#FFFF00FF'");
    Write(L"m.png", EncodePng(3, 2, Rgba({ 255, 0, 255, 255, 9, 9, 9, 255, 9,   9, 9,   255,
                                           9,   9, 9,   255, 9, 9, 9, 255, 255, 0, 255, 255 })));
    ASSERT_TRUE(masked.LoadImageW(&pm));
    EXPECT_EQ(0u, Pixels(masked.m_imageInfo)[0]);
    EXPECT_TRUE(masked.m_imageInfo->hasAlpha);
    CImageAttribute res;
    res.SetAttributeString(L"file='101' restype='PNG'");
    ASSERT_TRUE(res.LoadImageW(&pm));
    EXPECT_EQ(5, res.m_imageInfo->width);

    // A failed load is not tried again until the description changes.
    CImageAttribute later;
    later.SetAttributeString(L"late.png");
    EXPECT_FALSE(later.LoadImageW(&pm));
    Write(L"late.png", GreyPng(4));
    EXPECT_FALSE(later.LoadImageW(&pm));
    EXPECT_FALSE(later.IsLoadSuccess());
    later.SetAttributeString(L"late.png");
    EXPECT_FALSE(later.LoadImageW(&pm)) << "the same text changes nothing";
    later.SetAttributeString(L"file='late.png'");
    EXPECT_TRUE(later.LoadImageW(&pm));
    EXPECT_EQ(4, later.m_imageInfo->width);
    CImageAttribute none;
    none.SetAttributeString(L"x.png");
    EXPECT_FALSE(none.LoadImageW(NULL));
}

TEST_F(ResourceTest, PngToNineSliceThroughTheManager)
{
    // A 3 x 3 PNG: a white centre in a red frame, drawn with one-pixel corners into 9 x 9.
    std::vector<uint8_t> px;
    for (int i = 0; i < 9; i++) {
        bool centre = i == 4;
        uint8_t v[4] = { 255, static_cast<uint8_t>(centre ? 255 : 0), static_cast<uint8_t>(centre ? 255 : 0), 255 };
        px.insert(px.end(), v, v + 4);
    }
    Write(L"frame.png", EncodePng(3, 3, px));
    CPaintManagerUI pm;
    CImageAttribute attr;
    attr.SetAttributeString(L"file='frame.png' corner='1,1,1,1'");
    ASSERT_TRUE(attr.LoadImageW(&pm));
    Canvas c(11, 11, 0);
    RECT item = { 1, 1, 10, 10 };
    ASSERT_TRUE(CRenderEngine::DrawImage(c.dc(), &pm, item, item, attr));
    for (int y = 1; y < 10; y++)
        for (int x = 1; x < 10; x++) {
            bool edge = x == 1 || y == 1 || x == 9 || y == 9;
            uint32_t want = edge ? 0xFF0000 : 0xFFFFFF;
            ASSERT_TRUE(Near(c.At(x, y) & 0xFFFFFF, want)) << x << "," << y << " " << std::hex << c.At(x, y);
        }
    EXPECT_EQ(0u, c.At(0, 0));
    EXPECT_EQ(0u, c.At(10, 10));
}

} // namespace
