#pragma once
#include <memory>
#include <string>

#include "GdiPlusBitmap.h"
#include "framework/Button.h"

// An owner-drawn push button that shows a PNG over its parent's background, brighter while
// the mouse rests on it. Its three state pictures are drawn once, at the first colour
// message, and copied to the screen from then on.
class TButton : public CButton {
public:
    TButton() = default;
    ~TButton() override = default;

    // Loads the picture for every state from one file; the result of the hover picture.
    BOOL LoadImages(const std::wstring& path);

    void PreSubclassWindow() override;
    // A double-click acts as a second press.
    BOOL PreTranslateMessage(MSG* msg) override;
    void DrawItem(LPDRAWITEMSTRUCT item) override;

    bool IsHover() const { return m_bHover != 0; }
    bool CachesBuilt() const { return m_bCachesBuilt != 0; }

protected:
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    HBRUSH CtlColor(CDC* dc, UINT kind);
    void OnMouseMove(UINT flags, CPoint point);
    void OnMouseHover(UINT flags, CPoint point);
    void OnMouseLeave();
    DECLARE_MESSAGE_MAP()

private:
    // One state's picture: the context is declared last so it goes before its bitmap.
    struct Cache {
        CBitmap bitmap;
        CDC dc;
        HGDIOBJ old = nullptr;
        bool Make(CDC* like, int width, int height);
        ~Cache()
        {
            if (old) dc.SelectObject(old);
        }
    };
    void BuildCaches(CDC* dc);

    std::unique_ptr<CGdiPlusBitmapResource> m_hoverImage;
    std::unique_ptr<CGdiPlusBitmapResource> m_normalImage;
    std::unique_ptr<CGdiPlusBitmapResource> m_pressedImage;
    Cache m_background;
    Cache m_normal;
    Cache m_hover;
    Cache m_pressed;
    Cache* m_current = nullptr;
    int m_bHover = 0;
    int m_bTracking = 0;
    int m_bCachesBuilt = 0;
};

// The hover picture's colour change: each colour channel times 1.05 plus 5% of full
// intensity, alpha kept.
Gdiplus::ColorMatrix HoverColorMatrix();
