#include "core/SkinRect.h"

#include <gtest/gtest.h>

using SkinUI::CPoint;
using SkinUI::CSize;
using SkinUI::CSkinRect;
using SkinUI::CWaitCursor;
using SkinUI::STRINGorID;

namespace {

void ExpectRect(const RECT& expected, const RECT& got)
{
    EXPECT_EQ(expected.left, got.left);
    EXPECT_EQ(expected.top, got.top);
    EXPECT_EQ(expected.right, got.right);
    EXPECT_EQ(expected.bottom, got.bottom);
}

TEST(SkinRect, InPlaceOperations)
{
    enum Op { kJoin, kIntersect, kUnion, kOffset, kInflate, kDeflate, kResetOffset, kNormalize };
    const struct {
        const char* name;
        Op op;
        RECT start, arg, expected;
        bool result;
    } cases[] = {
        { "join", kJoin, { 10, 10, 20, 20 }, { 5, 15, 30, 18 }, { 5, 10, 30, 20 }, true },
        { "intersect", kIntersect, { 0, 0, 10, 10 }, { 5, 5, 20, 20 }, { 5, 5, 10, 10 }, true },
        { "intersect disjoint", kIntersect, { 0, 0, 10, 10 }, { 20, 20, 30, 30 }, { 0, 0, 0, 0 }, false },
        { "union", kUnion, { 0, 0, 10, 10 }, { 20, 5, 30, 30 }, { 0, 0, 30, 30 }, true },
        { "offset", kOffset, { 1, 2, 3, 4 }, { -5, 7, 0, 0 }, { -4, 9, -2, 11 }, true },
        { "inflate", kInflate, { 10, 10, 20, 20 }, { 2, 3, 0, 0 }, { 8, 7, 22, 23 }, true },
        { "deflate", kDeflate, { 10, 10, 20, 20 }, { 2, 3, 0, 0 }, { 12, 13, 18, 17 }, true },
        { "reset offset", kResetOffset, { 30, 40, 35, 50 }, {}, { 0, 0, 5, 10 }, true },
        { "normalize", kNormalize, { 20, 5, 10, 1 }, {}, { 10, 1, 20, 5 }, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CSkinRect r(c.start);
        bool result = true;
        switch (c.op) {
        case kJoin:
            r.Join(c.arg);
            break;
        case kIntersect:
            result = r.Intersect(c.arg);
            break;
        case kUnion:
            result = r.Union(c.arg);
            break;
        case kOffset:
            result = r.Offset(c.arg.left, c.arg.top);
            break;
        case kInflate:
            result = r.Inflate(c.arg.left, c.arg.top);
            break;
        case kDeflate:
            result = r.Deflate(c.arg.left, c.arg.top);
            break;
        case kResetOffset:
            r.ResetOffset();
            break;
        case kNormalize:
            r.Normalize();
            break;
        }
        EXPECT_EQ(c.result, result);
        ExpectRect(c.expected, r);
    }
}

TEST(SkinRect, SizesAndEmptiness)
{
    const CSkinRect r(3, 4, 13, 24);
    EXPECT_EQ(10, r.GetWidth());
    EXPECT_EQ(20, r.GetHeight());
    EXPECT_TRUE(CSkinRect().IsNull());
    EXPECT_FALSE(r.IsNull());
    EXPECT_FALSE(CSkinRect(0, 0, 0, 1).IsNull());
    CSkinRect e(r);
    e.Empty();
    EXPECT_TRUE(e.IsNull());

    const CSize s(r);
    EXPECT_EQ(10, s.cx);
    EXPECT_EQ(20, s.cy);
    EXPECT_EQ(0, CSize().cx);
    EXPECT_EQ(7, CSize(7, 8).cx);
}

TEST(Point, FromMessageParameter)
{
    const struct {
        int x, y;
    } cases[] = { { 100, 200 }, { -5, -7 }, { 32767, -32768 }, { 0, 0 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        const CPoint p(MAKELPARAM(c.x, c.y));
        EXPECT_EQ(c.x, p.x);
        EXPECT_EQ(c.y, p.y);
    }
    const CPoint q(3, 4);
    EXPECT_EQ(4, q.y);
}

TEST(StringOrId, KeepsTextOrTheLowWordOfAnId)
{
    const STRINGorID id(0x12345u);
    EXPECT_TRUE(IS_INTRESOURCE(id.m_lpstr));
    EXPECT_EQ(0x2345u, reinterpret_cast<ULONG_PTR>(id.m_lpstr));
    LPCWSTR text = L"skin.xml";
    EXPECT_EQ(text, STRINGorID(text).m_lpstr);
}

TEST(WaitCursor, RestoresThePreviousCursor)
{
    const HCURSOR arrow = LoadCursorW(NULL, IDC_ARROW);
    SetCursor(arrow);
    {
        CWaitCursor wait;
        EXPECT_EQ(LoadCursorW(NULL, IDC_WAIT), GetCursor());
    }
    EXPECT_EQ(arrow, GetCursor());
}

} // namespace
