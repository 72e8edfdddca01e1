#pragma once
#include <windows.h>
#include <gdiplus.h>

#include <memory>
#include <string>

#include "ForeDialogBase.h"

// A 32-bit bottom-up DIB section with an image drawn at its own size: the pixels a layered
// window shows, alpha premultiplied.
class LayerBitmap {
public:
    LayerBitmap() = default;
    ~LayerBitmap();
    LayerBitmap(const LayerBitmap&) = delete;
    LayerBitmap& operator=(const LayerBitmap&) = delete;

    bool Render(Gdiplus::Image* image);
    HBITMAP Handle() const { return m_bitmap; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The pixel at (x, y) from the top left, as B, G, R, A bytes in one value (0xAARRGGBB).
    DWORD Pixel(int x, int y) const;

private:
    HBITMAP m_bitmap = nullptr;
    void* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};

// The back window of a two-window skin: it shows a PNG with per-pixel transparency as a
// layered window, can be dragged by its visible parts, and creates the fore dialog that
// lies over it. Without a usable image it stays a plain window of its template's size.
class CBackDialogBase : public CDialog {
public:
    CBackDialogBase();
    ~CBackDialogBase() override;

    // Reads the image through a stream over movable memory; true when an image object was made.
    bool LoadImageFile(const std::wstring& path);
    // An image with a size: the window is layered with it.
    bool HasImage() const;
    // Paints the image into the layered window, which takes its size and alpha.
    void UpdateLayered();
    CForeDialogBase* ForeDialog() const { return m_fore.get(); }

protected:
    // The fore dialog to create over this window (owned from then on), or null.
    virtual CForeDialogBase* CreateForeDialog() = 0;

    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnEraseBkgnd(CDC* dc);
    void OnMove(int x, int y);
    void OnSize(UINT type, int width, int height);
    int OnCreate(LPCREATESTRUCT create);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    // Makes the window layered with its image, when it has one.
    void MakeLayered();
    DECLARE_MESSAGE_MAP()

    std::unique_ptr<Gdiplus::Image> m_image;
    int m_anchorX = 0;
    int m_anchorY = 0;
    std::unique_ptr<CForeDialogBase> m_fore;
};
