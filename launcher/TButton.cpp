#include "TButton.h"

#include "MemDC1.h"

BEGIN_MESSAGE_MAP(TButton, CButton)
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR_REFLECT()
ON_WM_MOUSEMOVE()
ON_WM_MOUSELEAVE()
ON_WM_MOUSEHOVER()
END_MESSAGE_MAP()

Gdiplus::ColorMatrix HoverColorMatrix()
{
    Gdiplus::ColorMatrix matrix = { { { 1.05f, 0, 0, 0, 0 },
                                      { 0, 1.05f, 0, 0, 0 },
                                      { 0, 0, 1.05f, 0, 0 },
                                      { 0, 0, 0, 1.0f, 0 },
                                      { 0.05f, 0.05f, 0.05f, 0, 1.0f } } };
    return matrix;
}

bool TButton::Cache::Make(CDC* like, int width, int height)
{
    if (!dc.CreateCompatibleDC(like) || !bitmap.CreateCompatibleBitmap(like, width, height)) return false;
    old = dc.SelectObject(&bitmap);
    return true;
}

BOOL TButton::LoadImages(const std::wstring& path)
{
    m_hoverImage = std::make_unique<CGdiPlusBitmapResource>();
    m_normalImage = std::make_unique<CGdiPlusBitmapResource>();
    m_pressedImage = std::make_unique<CGdiPlusBitmapResource>();
    const bool hover = m_hoverImage->Load(path);
    m_normalImage->Load(path);
    m_pressedImage->Load(path);
    return hover ? TRUE : FALSE;
}

void TButton::PreSubclassWindow()
{
    ModifyStyle(0, BS_OWNERDRAW, SWP_FRAMECHANGED);
    CButton::PreSubclassWindow();
}

BOOL TButton::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_LBUTTONDBLCLK) msg->message = WM_LBUTTONDOWN;
    return CButton::PreTranslateMessage(msg);
}

void TButton::DrawItem(LPDRAWITEMSTRUCT item)
{
    // Before the first colour message there is nothing to copy.
    if (!m_bCachesBuilt || !item) return;
    const Cache* state = (item->itemState & ODS_SELECTED) ? &m_pressed : (m_bHover ? &m_hover : &m_normal);
    const RECT& r = item->rcItem;
    ::BitBlt(item->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, state->dc.GetSafeHdc(), 0, 0, SRCCOPY);
}

HBRUSH TButton::CtlColor(CDC* dc, UINT)
{
    BuildCaches(dc);
    return nullptr;
}

void TButton::BuildCaches(CDC* dc)
{
    if (m_bCachesBuilt || !m_hoverImage || !m_normalImage || !m_pressedImage) return;
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    const int height = client.Height();
    if (width <= 0 || height <= 0) return;

    // 1. The background: the key colour of the colour-keyed parent, so the picture's clear
    //    parts are see-through whatever the screen showed behind the button.
    if (!m_background.dc.GetSafeHdc()) {
        if (!m_background.Make(dc, width, height)) return;
        m_background.dc.FillSolidRect(&client, RGB(0, 0, 0));
    }
    // 2. Each state: the background, the picture over it (the hover one brightened), kept.
    CMemDC1 off(dc, &client);
    struct Step {
        CGdiPlusBitmapResource* image;
        Cache* cache;
        bool bright;
    } steps[] = { { m_normalImage.get(), &m_normal, false },
                  { m_pressedImage.get(), &m_pressed, false },
                  { m_hoverImage.get(), &m_hover, true } };
    for (const Step& step : steps) {
        off.BitBlt(0, 0, width, height, &m_background.dc, 0, 0, SRCCOPY);
        if (Gdiplus::Bitmap* picture = step.image->Get()) {
            Gdiplus::Graphics graphics(off.GetSafeHdc());
            const int w = static_cast<int>(picture->GetWidth());
            const int h = static_cast<int>(picture->GetHeight());
            Gdiplus::ImageAttributes attributes;
            Gdiplus::ColorMatrix matrix = HoverColorMatrix();
            if (step.bright) attributes.SetColorMatrix(&matrix);
            graphics.DrawImage(picture, Gdiplus::Rect(0, 0, w, h), 0, 0, w, h, Gdiplus::UnitPixel,
                               step.bright ? &attributes : nullptr);
        }
        if (!step.cache->Make(dc, width, height)) return;
        step.cache->dc.BitBlt(0, 0, width, height, &off, 0, 0, SRCCOPY);
    }
    // 3. The normal picture shows first.
    if (!m_current) m_current = &m_normal;
    m_bCachesBuilt = 1;
}

void TButton::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_bTracking) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = m_hWnd;
        track.dwHoverTime = 1;
        m_bTracking = ::TrackMouseEvent(&track) ? 1 : 0;
    }
    CButton::OnMouseMove(flags, point);
}

void TButton::OnMouseHover(UINT, CPoint)
{
    m_bHover = 1;
    m_current = &m_hover;
    Invalidate(TRUE);
}

void TButton::OnMouseLeave()
{
    m_bTracking = 0;
    m_bHover = 0;
    m_current = &m_normal;
    Invalidate(TRUE);
}
