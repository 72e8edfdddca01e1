#include "MemDC1.h"

CMemDC1::CMemDC1(CDC* target, const RECT* rect) : m_pTarget(target), m_bMemDC(!target->IsPrinting())
{
    if (rect && !::IsRectEmpty(rect))
        m_rect = *rect;
    else
        target->GetClipBox(&m_rect);
    if (!m_bMemDC || !CreateCompatibleDC(target) ||
        !m_bitmap.CreateCompatibleBitmap(target, m_rect.Width(), m_rect.Height())) {
        // Without an off-screen bitmap the drawing goes to the target itself.
        m_bMemDC = false;
        DeleteDC();
        Attach(target->GetSafeHdc());
        m_bPrinting = target->IsPrinting();
        return;
    }
    m_oldBitmap = SelectObject(&m_bitmap);
    SetWindowOrg(m_rect.left, m_rect.top);
}

CMemDC1::~CMemDC1()
{
    if (!m_bMemDC) {
        Detach();
        return;
    }
    m_pTarget->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left, m_rect.top, SRCCOPY);
    SelectObject(m_oldBitmap);
}
