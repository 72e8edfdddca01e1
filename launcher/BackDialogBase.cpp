#include "BackDialogBase.h"

#include <cstring>

#include "common/ModuleFolder.h"
#include "UniqueHandle.h"

namespace {

const UINT kBackTemplate = 103;
const COLORREF kPlainBackground = RGB(36, 44, 60);

struct GlobalFreer {
    void operator()(HGLOBAL block) const { ::GlobalFree(block); }
};

void Debug(const std::wstring& text)
{
    ::OutputDebugStringW(text.c_str());
}

} // namespace

LayerBitmap::~LayerBitmap()
{
    if (m_bitmap) ::DeleteObject(m_bitmap);
}

bool LayerBitmap::Render(Gdiplus::Image* image)
{
    if (!image) return false;
    const int width = static_cast<int>(image->GetWidth());
    const int height = static_cast<int>(image->GetHeight());
    if (width <= 0 || height <= 0) return false;
    // 1. A zeroed 32-bit bottom-up section of the image's size.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) ::DeleteObject(bitmap);
        return false;
    }
    std::memset(bits, 0, info.bmiHeader.biSizeImage);
    // 2. The image drawn over it, pixel for pixel.
    CDC dc;
    if (!dc.CreateCompatibleDC(nullptr)) {
        ::DeleteObject(bitmap);
        return false;
    }
    HGDIOBJ old = dc.SelectObject(bitmap);
    {
        Gdiplus::Graphics graphics(dc.GetSafeHdc());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics.DrawImage(image, 0, 0, width, height);
    }
    dc.SelectObject(old);
    if (m_bitmap) ::DeleteObject(m_bitmap);
    m_bitmap = bitmap;
    m_bits = bits;
    m_width = width;
    m_height = height;
    return true;
}

DWORD LayerBitmap::Pixel(int x, int y) const
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    const auto* rows = static_cast<const DWORD*>(m_bits);
    return rows[static_cast<size_t>(m_height - 1 - y) * m_width + x];
}

BEGIN_MESSAGE_MAP(CBackDialogBase, CDialog)
ON_WM_ERASEBKGND()
ON_WM_MOVE()
ON_WM_SIZE()
ON_WM_CREATE()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

CBackDialogBase::CBackDialogBase() : CDialog(kBackTemplate, nullptr)
{
    LoadImageFile(GetCurrentModuleDirectory() + L"png\\bj.png");
}

CBackDialogBase::~CBackDialogBase()
{
    // The fore dialog is owned by this window: both windows go before the objects.
    if (m_fore && m_fore->m_hWnd) m_fore->DestroyWindow();
    if (m_hWnd) DestroyWindow();
}

bool CBackDialogBase::LoadImageFile(const std::wstring& path)
{
    m_image.reset();
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || file.get() == INVALID_HANDLE_VALUE) {
        Debug(L"加载" + path + L"文件错误！\n");
        return false;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > 0x7FFFFFFF) {
        Debug(L"加载" + path + L"文件错误！\n");
        return false;
    }
    const DWORD length = static_cast<DWORD>(size.QuadPart);
    std::unique_ptr<void, GlobalFreer> block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length));
    if (!block) {
        Debug(L"Load (file): Error allocating memory\n");
        return false;
    }
    void* bytes = ::GlobalLock(block.get());
    if (!bytes) {
        Debug(L"Load (file): Error locking memory\n");
        return false;
    }
    DWORD read = 0;
    const BOOL ok = ::ReadFile(file.get(), bytes, length, &read, nullptr);
    ::GlobalUnlock(block.get());
    if (!ok || read != length) {
        Debug(L"加载" + path + L"文件错误！\n");
        return false;
    }
    file.reset();
    // The stream frees the block when it goes; the image keeps the stream as long as it needs.
    IStream* raw = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block.get(), TRUE, &raw))) return false;
    block.release();
    ComRef<IStream> stream(raw);
    m_image.reset(Gdiplus::Image::FromStream(stream.get()));
    if (m_image && m_image->GetLastStatus() != Gdiplus::Ok) m_image.reset();
    return m_image != nullptr;
}

bool CBackDialogBase::HasImage() const
{
    return m_image && m_image->GetWidth() > 0 && m_image->GetHeight() > 0;
}

void CBackDialogBase::UpdateLayered()
{
    if (!HasImage() || !m_hWnd) return;
    LayerBitmap layer;
    if (!layer.Render(m_image.get())) return;
    CClientDC screen(this);
    CDC memory;
    if (!memory.CreateCompatibleDC(&screen)) return;
    HGDIOBJ old = memory.SelectObject(layer.Handle());
    RECT window{};
    GetWindowRect(&window);
    POINT topLeft = { window.left, window.top };
    SIZE size = { layer.Width(), layer.Height() };
    POINT origin = { 0, 0 };
    BLENDFUNCTION blend = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
    ::UpdateLayeredWindow(m_hWnd, screen.GetSafeHdc(), &topLeft, &size, memory.GetSafeHdc(), &origin, 0, &blend,
                          ULW_ALPHA);
    memory.SelectObject(old);
}

void CBackDialogBase::MakeLayered()
{
    // Without an image the window keeps its plain background: a layered window that was
    // never given content would be invisible.
    if (!HasImage()) return;
    ModifyStyleEx(0, WS_EX_LAYERED);
    UpdateLayered();
}

BOOL CBackDialogBase::OnInitDialog()
{
    CDialog::OnInitDialog();
    MakeLayered();
    return TRUE;
}

LRESULT CBackDialogBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CDialog::WindowProc(message, wParam, lParam);
    // The fore dialog is shown before this window: once this one shows, the fore dialog is
    // put over it again, for a display without a window manager leaves a window shown later
    // over the ones shown before it, even over the windows it owns.
    if (message == WM_WINDOWPOSCHANGED && m_fore && m_fore->m_hWnd && lParam &&
        (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW))
        m_fore->FollowBack();
    return result;
}

BOOL CBackDialogBase::OnEraseBkgnd(CDC* dc)
{
    if (!(GetExStyle() & WS_EX_LAYERED) && dc) {
        RECT client{};
        GetClientRect(&client);
        dc->FillSolidRect(&client, kPlainBackground);
    }
    return TRUE;
}

void CBackDialogBase::OnMove(int x, int y)
{
    CDialog::OnMove(x, y);
    // A minimised or hidden back window takes its owned fore dialog with it by itself.
    if (m_fore && !::IsIconic(m_hWnd) && IsWindowVisible()) m_fore->FollowBack();
}

void CBackDialogBase::OnSize(UINT type, int width, int height)
{
    CDialog::OnSize(type, width, height);
    if (!m_fore || !m_fore->m_hWnd) return;
    // The fore dialog goes and comes back with the back window (not every window manager
    // hides owned windows with their owner).
    if (type == SIZE_MINIMIZED || ::IsIconic(m_hWnd))
        m_fore->ShowWindow(SW_HIDE);
    else if (IsWindowVisible())
        m_fore->FollowBack();
}

int CBackDialogBase::OnCreate(LPCREATESTRUCT create)
{
    if (CDialog::OnCreate(create) == -1) return -1;
    m_fore.reset(CreateForeDialog());
    if (m_fore) m_fore->CreateOverBack();
    return 0;
}

void CBackDialogBase::OnLButtonDown(UINT flags, CPoint point)
{
    m_anchorX = point.x;
    m_anchorY = point.y;
    CDialog::OnLButtonDown(flags, point);
}

void CBackDialogBase::OnMouseMove(UINT flags, CPoint point)
{
    if (flags & MK_LBUTTON) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        SetWindowPos(static_cast<HWND>(nullptr), cursor.x - m_anchorX, cursor.y - m_anchorY, 0, 0,
                     SWP_NOSIZE | SWP_NOACTIVATE);
        if (m_fore) m_fore->FollowBack();
    }
    CDialog::OnMouseMove(flags, point);
}
