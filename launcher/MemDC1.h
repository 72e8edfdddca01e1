#pragma once
#include "framework/Gdi.h"

// An off-screen context over a target: drawing goes into a compatible bitmap of the
// rectangle (the target's clip box when it is empty) and is copied to the target when the
// object goes. Over a printer context it draws straight into the target.
class CMemDC1 : public CDC {
public:
    CMemDC1(CDC* target, const RECT* rect = nullptr);
    ~CMemDC1() override;

    CMemDC1* operator->() { return this; }
    operator CMemDC1*() { return this; }

private:
    CBitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
    CDC* m_pTarget;
    CRect m_rect;
    bool m_bMemDC;
};
