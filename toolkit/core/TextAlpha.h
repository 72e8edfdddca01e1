#pragma once
#include <windows.h>

namespace SkinUI {

// GDI text drawn on a 32-bit bitmap leaves the alpha byte 0, which a layered window shows as
// a hole. Makes every pixel of rcArea that has colour but no alpha opaque again, when the DC
// draws into a 32-bit bitmap; anything else is left alone.
void RepairTextAlpha(HDC hDC, const RECT& rcArea);

} // namespace SkinUI
