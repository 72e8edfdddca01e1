#include <gtest/gtest.h>

#include "core/ImageAttribute.h"

using namespace SkinUI;

namespace {

struct Rect {
    LONG l, t, r, b;
};

void ExpectRect(const RECT& rc, Rect want)
{
    EXPECT_EQ(rc.left, want.l);
    EXPECT_EQ(rc.top, want.t);
    EXPECT_EQ(rc.right, want.r);
    EXPECT_EQ(rc.bottom, want.b);
}

} // namespace

TEST(ImageAttribute, ParsesDescriptions)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* image;
        Rect dest;
        Rect source;
        Rect corner;
        BYTE fade;
        DWORD mask;
        bool hole, xtiled, ytiled;
    } cases[] = {
        { L"bk.png", L"bk.png", {}, {}, {}, 255, 0, false, false, false },
        { L"file='a.png' dest='0,0,10,10'", L"a.png", { 0, 0, 10, 10 }, {}, {}, 255, 0, false, false, false },
        { L"file='a.png'  dest='0,0,10,10'", L"a.png", { 0, 0, 10, 10 }, {}, {}, 255, 0, false, false, false },
        // Only a blank directly after the quote leads on to the next pair.
        { L"file='a.png',dest='0,0,10,10'", L"a.png", {}, {}, {}, 255, 0, false, false, false },
        // Double quotes are not a value: the parse stops and the name stays the whole text.
        { L"file=\"a.png\" dest='1,2,3,4'", L"file=\"a.png\" dest='1,2,3,4'", {}, {}, {}, 255, 0, false, false, false },
        { L"file = 'a.png' source='1,2,3,4' corner='4,4,4,4'",
          L"a.png",
          {},
          { 1, 2, 3, 4 },
          { 4, 4, 4, 4 },
          255,
          0,
          false,
          false,
          false },
        { L"res='101' restype='PNG' mask='#FFFF00FF'", L"101", {}, {}, {}, 255, 0xFFFF00FF, false, false, false },
        { L"file='a.png' mask='ff00ff'", L"a.png", {}, {}, {}, 255, 0xFF00FF, false, false, false },
        { L"file='a.png' fade='128' hole='true' xtiled='true' ytiled='false'",
          L"a.png",
          {},
          {},
          {},
          128,
          0,
          true,
          true,
          false },
        { L"file='a.png' hole='TRUE' ytiled='true'", L"a.png", {}, {}, {}, 255, 0, false, false, true },
        // Opacity is held inside 0..255 instead of wrapping.
        { L"file='a.png' fade='300'", L"a.png", {}, {}, {}, 255, 0, false, false, false },
        { L"file='a.png' fade='-5'", L"a.png", {}, {}, {}, 0, 0, false, false, false },
        // Number lists end with the text; missing numbers are 0; any one separator is skipped.
        { L"file='a.png' dest='5,6'", L"a.png", { 5, 6, 0, 0 }, {}, {}, 255, 0, false, false, false },
        { L"file='a.png' dest='1;2;3;4'", L"a.png", { 1, 2, 3, 4 }, {}, {}, 255, 0, false, false, false },
        { L"file='a.png' dest='1,,2,3'", L"a.png", { 1, 0, 2, 3 }, {}, {}, 255, 0, false, false, false },
        { L"file='a.png' dest='-3,-4,10,12'", L"a.png", { -3, -4, 10, 12 }, {}, {}, 255, 0, false, false, false },
        // Empty values and unknown keys are ignored; keys are case-sensitive.
        { L"file='a.png' dest='' other='1' Dest='1,1,1,1'", L"a.png", {}, {}, {}, 255, 0, false, false, false },
        // A pair left open at the end keeps the pairs before it.
        { L"file='a.png' dest='1,2,3,4' source='1,2", L"a.png", { 1, 2, 3, 4 }, {}, {}, 255, 0, false, false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        CImageAttribute a;
        a.SetAttributeString(c.text);
        EXPECT_STREQ(a.GetAttributeString(), c.text);
        EXPECT_STREQ(a.m_sImage, c.image);
        ExpectRect(a.m_rcDest, c.dest);
        ExpectRect(a.m_rcSource, c.source);
        ExpectRect(a.m_rcCorner, c.corner);
        EXPECT_EQ(a.m_bFade, c.fade);
        EXPECT_EQ(a.m_dwMask, c.mask);
        EXPECT_EQ(a.m_bHole, c.hole);
        EXPECT_EQ(a.m_bTiledX, c.xtiled);
        EXPECT_EQ(a.m_bTiledY, c.ytiled);
    }
}

TEST(ImageAttribute, ResourceTypeAndEmptyDest)
{
    CImageAttribute a;
    a.SetAttributeString(L"res='7' restype='ZIPRES'");
    EXPECT_STREQ(a.m_sResType, L"ZIPRES");
    a.SetAttributeString(L"file='b.png' dest='1,2,3,4'");
    EXPECT_TRUE(a.m_sResType.IsEmpty());
    a.ModifyAttribute(L"dest=''");
    ExpectRect(a.GetDest(), { 1, 2, 3, 4 });
}

TEST(ImageAttribute, SameStringKeepsStateOtherStringClears)
{
    tagTImageInfo* fakeImage = reinterpret_cast<tagTImageInfo*>(0x1000);
    CImageAttribute a;
    a.SetAttributeString(L"file='a.png' dest='1,1,5,5' source='0,0,8,8' corner='2,2,2,2'");
    a.m_imageInfo = fakeImage;
    a.SetAttributeString(L"file='a.png' dest='1,1,5,5' source='0,0,8,8' corner='2,2,2,2'");
    EXPECT_EQ(a.m_imageInfo, fakeImage);

    a.m_bLoadSuccess = false;
    a.SetAttributeString(L"file='b.png'");
    EXPECT_EQ(a.m_imageInfo, nullptr);
    EXPECT_TRUE(a.m_bLoadSuccess);
    ExpectRect(a.m_rcDest, {});
    ExpectRect(a.m_rcSource, {});
    ExpectRect(a.m_rcCorner, {});
    EXPECT_STREQ(a.m_sImage, L"b.png");
}

TEST(ImageAttribute, ModifyKeepsStringAndImage)
{
    tagTImageInfo* fakeImage = reinterpret_cast<tagTImageInfo*>(0x1000);
    CImageAttribute a;
    a.SetAttributeString(L"file='thumb.png' dest='0,0,4,4' fade='200'");
    a.m_imageInfo = fakeImage;
    a.ModifyAttribute(L"dest='10,0,14,4'");
    EXPECT_STREQ(a.GetAttributeString(), L"file='thumb.png' dest='0,0,4,4' fade='200'");
    EXPECT_EQ(a.m_imageInfo, fakeImage);
    ExpectRect(a.m_rcDest, { 10, 0, 14, 4 });
    EXPECT_EQ(a.m_bFade, 200);
    a.ModifyAttribute(nullptr);
    ExpectRect(a.m_rcDest, { 10, 0, 14, 4 });
}

TEST(ImageAttribute, CopiesShareTheImage)
{
    tagTImageInfo* fakeImage = reinterpret_cast<tagTImageInfo*>(0x2000);
    CImageAttribute a;
    a.SetAttributeString(L"file='a.png' corner='1,2,3,4' mask='#FF000000' xtiled='true'");
    a.m_imageInfo = fakeImage;
    CImageAttribute b(a);
    CImageAttribute c;
    c = a;
    for (CImageAttribute* x : { &b, &c }) {
        EXPECT_EQ(x->m_imageInfo, fakeImage);
        EXPECT_STREQ(x->GetAttributeString(), a.GetAttributeString());
        EXPECT_STREQ(x->m_sImage, L"a.png");
        ExpectRect(x->m_rcCorner, { 1, 2, 3, 4 });
        EXPECT_EQ(x->m_dwMask, 0xFF000000u);
        EXPECT_TRUE(x->m_bTiledX);
    }
    // Copies are independent values.
    b.ModifyAttribute(L"corner='0,0,0,0'");
    ExpectRect(a.m_rcCorner, { 1, 2, 3, 4 });
}

TEST(ImageAttribute, LoadSuccessState)
{
    CImageAttribute a;
    EXPECT_FALSE(a.IsLoadSuccess());
    a.SetAttributeString(L"bk.png");
    EXPECT_TRUE(a.IsLoadSuccess());
    a.m_bLoadSuccess = false;
    EXPECT_FALSE(a.IsLoadSuccess());
    a.SetAttributeString(nullptr);
    EXPECT_FALSE(a.IsLoadSuccess());
    EXPECT_TRUE(a.GetAttributeString().IsEmpty());
}

TEST(ImageAttribute, SourceFitsTheImage)
{
    struct Case {
        const wchar_t* text;
        Rect fitted;
    } cases[] = {
        { L"file='a.png'", { 0, 0, 100, 80 } },
        { L"file='a.png' source='0,0,500,500'", { 0, 0, 100, 80 } },
        { L"file='a.png' source='10,20,30,40'", { 10, 20, 30, 40 } },
        { L"file='a.png' source='-5,-5,50,50'", { 0, 0, 50, 50 } },
        { L"file='a.png' source='150,90,200,100'", { 100, 80, 100, 80 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        CImageAttribute a;
        a.SetAttributeString(c.text);
        a.FitSourceToImage(100, 80);
        ExpectRect(a.m_rcSource, c.fitted);
    }
}
