#include "Gdi.h"
#include "Wnd.h"

BOOL CGdiObject::Attach(HGDIOBJ object)
{
    if (!object) return FALSE;
    DeleteObject();
    m_hObject = object;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ object = m_hObject;
    m_hObject = nullptr;
    return object;
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject) return FALSE;
    HGDIOBJ object = Detach();
    return ::DeleteObject(object);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    return Attach(::CreateCompatibleBitmap(dc->GetSafeHdc(), width, height));
}

BOOL CBrush::CreateSolidBrush(COLORREF colour)
{
    return Attach(::CreateSolidBrush(colour));
}

CDC::~CDC()
{
    if (m_bOwned) DeleteDC();
}

BOOL CDC::Attach(HDC dc)
{
    if (!dc) return FALSE;
    if (m_bOwned) DeleteDC();
    m_hDC = dc;
    m_bOwned = false;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC dc = m_hDC;
    m_hDC = nullptr;
    m_bOwned = false;
    return dc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    HDC made = ::CreateCompatibleDC(dc ? dc->GetSafeHdc() : nullptr);
    if (!made) return FALSE;
    if (m_bOwned) DeleteDC();
    m_hDC = made;
    m_bOwned = true;
    return TRUE;
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC) return FALSE;
    HDC dc = m_hDC;
    m_hDC = nullptr;
    m_bOwned = false;
    return ::DeleteDC(dc);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop)
{
    return ::BitBlt(m_hDC, x, y, width, height, source ? source->GetSafeHdc() : nullptr, sx, sy, rop);
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF colour)
{
    const COLORREF old = ::SetBkColor(m_hDC, colour);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    POINT old{};
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return CPoint(old.x, old.y);
}

CClientDC::CClientDC(CWnd* window) : m_hWnd(window ? window->GetSafeHwnd() : nullptr)
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    HDC dc = Detach();
    if (dc) ::ReleaseDC(m_hWnd, dc);
}

CPaintDC::CPaintDC(CWnd* window) : m_hWnd(window->GetSafeHwnd())
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}
