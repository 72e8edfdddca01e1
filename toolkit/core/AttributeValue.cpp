#include <wchar.h>
#include "core/AttributeValue.h"

namespace SkinUI {

int ParseAttributeInts(LPCTSTR pstrValue, int* pValues, int nCount)
{
    for (int i = 0; i < nCount; i++) pValues[i] = 0;
    if (pstrValue == NULL) return 0;
    LPCTSTR p = pstrValue;
    int nRead = 0;
    while (nRead < nCount && *p != 0) {
        wchar_t* pEnd = NULL;
        pValues[nRead++] = static_cast<int>(wcstol(p, &pEnd, 10));
        p = pEnd;
        // The one separator after the number, unless the text ended there.
        if (*p == 0) break;
        ++p;
    }
    return nRead;
}

RECT ParseAttributeRect(LPCTSTR pstrValue)
{
    int v[4];
    ParseAttributeInts(pstrValue, v, 4);
    RECT rc = { v[0], v[1], v[2], v[3] };
    return rc;
}

SIZE ParseAttributeSize(LPCTSTR pstrValue)
{
    int v[2];
    ParseAttributeInts(pstrValue, v, 2);
    SIZE sz = { v[0], v[1] };
    return sz;
}

DWORD ParseAttributeColor(LPCTSTR pstrValue, bool bSkipBlanks)
{
    LPCTSTR p = pstrValue;
    // Blanks are the units 1..32; the terminator of an empty value is never passed.
    if (bSkipBlanks) {
        while (*p > L'\0' && *p <= L' ') p++;
    }
    if (*p == L'#') p++;
    return static_cast<DWORD>(wcstoul(p, NULL, 16));
}

UINT ApplyAlignWords(UINT uStyle, LPCTSTR pstrValue, UINT uCenter, UINT uRight)
{
    if (wcsstr(pstrValue, L"left") != NULL) uStyle &= ~(uCenter | uRight);
    if (wcsstr(pstrValue, L"center") != NULL) {
        uStyle &= ~uRight;
        uStyle |= uCenter;
    }
    if (wcsstr(pstrValue, L"right") != NULL) {
        uStyle &= ~uCenter;
        uStyle |= uRight;
    }
    return uStyle;
}

} // namespace SkinUI
