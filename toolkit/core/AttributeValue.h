#pragma once
#include "core/SkinDefs.h"

namespace SkinUI {

// Reads up to nCount decimal integers from an attribute value: each number is followed by
// exactly one separator of any kind, the reading stops at the end of the text (never past
// it), and the numbers the text lacks are 0. Answers how many numbers were read.
int ParseAttributeInts(LPCTSTR pstrValue, int* pValues, int nCount);

// "l,t,r,b" and "cx,cy" through ParseAttributeInts.
RECT ParseAttributeRect(LPCTSTR pstrValue);
SIZE ParseAttributeSize(LPCTSTR pstrValue);

// AARRGGBB in hexadecimal after an optional "#"; with bSkipBlanks, blanks before the "#" are
// passed over too. Text that is no number gives 0.
DWORD ParseAttributeColor(LPCTSTR pstrValue, bool bSkipBlanks = false);

} // namespace SkinUI
