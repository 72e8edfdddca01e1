#pragma once
#include "core/SkinDefs.h"

namespace SkinUI {

class SKINUI_API CSkinRect : public tagRECT {
public:
    CSkinRect();
    CSkinRect(const RECT& src);
    CSkinRect(int iLeft, int iTop, int iRight, int iBottom);

    int GetWidth() const;
    int GetHeight() const;
    void Empty();
    bool IsNull() const;
    void Join(const RECT& rc);
    void ResetOffset();
    void Normalize();
    bool Offset(int cx, int cy);
    bool Inflate(int cx, int cy);
    bool Deflate(int cx, int cy);
    bool Intersect(const RECT& rc);
    bool Union(const RECT& rc);
};

class SKINUI_API CPoint : public tagPOINT {
public:
    CPoint();
    CPoint(const POINT& src);
    CPoint(int x, int y);
    // From a mouse message's parameter: signed low and high words.
    CPoint(LPARAM lParam);
};

class SKINUI_API CSize : public tagSIZE {
public:
    CSize();
    CSize(const SIZE& src);
    CSize(const RECT rc);
    CSize(int cx, int cy);
};

// Shows the hourglass for the lifetime of the object.
class SKINUI_API CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

protected:
    HCURSOR m_hOrigCursor;
};

// A text or a 16-bit resource id, as the platform's resource functions take them.
class SKINUI_API STRINGorID {
public:
    STRINGorID(LPCWSTR lpString) : m_lpstr(lpString) {}
    STRINGorID(UINT nID) : m_lpstr(reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(nID)))) {}
    LPCWSTR m_lpstr;
};

} // namespace SkinUI
