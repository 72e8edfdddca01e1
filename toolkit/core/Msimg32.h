#pragma once
#include <windows.h>

// msimg32's AlphaBlend and GradientFill, looked up once per process: the drawing engine works
// (with its fallbacks) on systems where the library or an entry is missing.

namespace SkinUI {

typedef BOOL(WINAPI* PFN_ALPHABLEND)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
typedef BOOL(WINAPI* PFN_GRADIENTFILL)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// Null when the platform has no such entry.
PFN_ALPHABLEND AlphaBlendEntry();
PFN_GRADIENTFILL GradientFillEntry();

} // namespace SkinUI
