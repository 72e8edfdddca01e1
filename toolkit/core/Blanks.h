#pragma once
#include <windows.h>

namespace SkinUI {

// Whitespace in the toolkit's texts is any unit from 1 to 32; the zero unit ends the text and
// is never skipped.
inline bool IsBlank(wchar_t c)
{
    return c > 0 && c <= L' ';
}

inline LPCTSTR SkipBlanks(LPCTSTR p)
{
    while (IsBlank(*p)) ++p;
    return p;
}

inline LPTSTR SkipBlanks(LPTSTR p)
{
    while (IsBlank(*p)) ++p;
    return p;
}

} // namespace SkinUI
