#pragma once
#include <windows.h>

// Scoped GDI handles for the drawing code: every DC, object and selection made in a function
// is given back on every path out of it.

namespace SkinUI {

// A memory DC compatible with another DC (or with the screen for null).
class CScopedMemDC {
public:
    explicit CScopedMemDC(HDC hRef) : m_hDC(::CreateCompatibleDC(hRef)) {}
    ~CScopedMemDC()
    {
        if (m_hDC != NULL) ::DeleteDC(m_hDC);
    }
    CScopedMemDC(const CScopedMemDC&) = delete;
    CScopedMemDC& operator=(const CScopedMemDC&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HDC m_hDC;
};

// Owns a GDI object (bitmap, brush, region, font) and deletes it.
template <typename T>
class CScopedGdiObject {
public:
    explicit CScopedGdiObject(T h = NULL) : m_h(h) {}
    ~CScopedGdiObject() { Reset(); }
    CScopedGdiObject(const CScopedGdiObject&) = delete;
    CScopedGdiObject& operator=(const CScopedGdiObject&) = delete;
    T Get() const { return m_h; }
    void Reset(T h = NULL)
    {
        if (m_h != NULL) ::DeleteObject(m_h);
        m_h = h;
    }

private:
    T m_h;
};

// Selects an object into a DC and selects the previous one back at the end of the scope.
class CScopedSelect {
public:
    CScopedSelect(HDC hDC, HGDIOBJ hObj) : m_hDC(hDC), m_hOld(hObj != NULL ? ::SelectObject(hDC, hObj) : NULL) {}
    ~CScopedSelect()
    {
        if (m_hOld != NULL && m_hOld != HGDI_ERROR) ::SelectObject(m_hDC, m_hOld);
    }
    CScopedSelect(const CScopedSelect&) = delete;
    CScopedSelect& operator=(const CScopedSelect&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

} // namespace SkinUI
