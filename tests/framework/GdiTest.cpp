// The GDI wrappers draw where they should and free what they own.
#include <gtest/gtest.h>

#include "framework/Gdi.h"

namespace {

struct Dib {
    explicit Dib(int size)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = size;
        info.bmiHeader.biHeight = -size; // top-down: row 0 first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap.Attach(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0));
        width = size;
    }
    DWORD At(int x, int y) const { return bits[y * width + x] & 0xFFFFFF; }
    CBitmap bitmap;
    DWORD* bits = nullptr;
    int width = 0;
};

TEST(FrameworkGdi, FillOffsetAndCopyThroughMemoryContexts)
{
    Dib source(4), target(4);
    ASSERT_NE(nullptr, source.bits);
    CDC sourceDc, targetDc;
    ASSERT_TRUE(sourceDc.CreateCompatibleDC(nullptr));
    ASSERT_TRUE(targetDc.CreateCompatibleDC(&sourceDc));
    HGDIOBJ oldSource = sourceDc.SelectObject(&source.bitmap);
    HGDIOBJ oldTarget = targetDc.SelectObject(&target.bitmap);

    sourceDc.FillSolidRect(CRect(0, 0, 4, 4), RGB(0, 0, 255));
    // With the origin moved, logical (11, 11) is the pixel (1, 1).
    sourceDc.SetWindowOrg(10, 10);
    sourceDc.FillSolidRect(CRect(11, 11, 13, 13), RGB(255, 0, 0));
    sourceDc.SetWindowOrg(0, 0);
    ASSERT_TRUE(targetDc.BitBlt(0, 0, 4, 4, &sourceDc, 0, 0, SRCCOPY));
    ::GdiFlush();

    EXPECT_EQ(0x0000FFu, target.At(0, 0)); // DIB pixels are 0x00RRGGBB
    EXPECT_EQ(0xFF0000u, target.At(1, 1));
    EXPECT_EQ(0xFF0000u, target.At(2, 2));
    EXPECT_EQ(0x0000FFu, target.At(3, 3));
    sourceDc.SelectObject(oldSource);
    targetDc.SelectObject(oldTarget);
}

TEST(FrameworkGdi, WrappersDeleteWhatTheyMadeAndLeaveWhatTheyBorrowed)
{
    HGDIOBJ brushHandle = nullptr;
    {
        CBrush brush(RGB(1, 2, 3));
        brushHandle = brush.GetSafeHandle();
        EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), ::GetObjectType(brushHandle));
    }
    EXPECT_EQ(0u, ::GetObjectType(brushHandle));

    HGDIOBJ kept = nullptr;
    {
        CBrush brush(RGB(4, 5, 6));
        kept = brush.Detach();
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), ::GetObjectType(kept));
    ::DeleteObject(kept);

    HDC made = nullptr;
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        made = dc.GetSafeHdc();
    }
    EXPECT_EQ(0u, ::GetObjectType(made));

    HDC borrowed = ::CreateCompatibleDC(nullptr);
    {
        CDC dc;
        dc.Attach(borrowed);
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(borrowed));
    ::DeleteDC(borrowed);
}

} // namespace
