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

// The words "left", "center" and "right" of an alignment value on a style: each applies when
// the value contains it, in this order, so the last one found wins. uCenter and uRight are
// the style's own bits (DT_CENTER and DT_RIGHT for text, ES_CENTER and ES_RIGHT for edits).
UINT ApplyAlignWords(UINT uStyle, LPCTSTR pstrValue, UINT uCenter = DT_CENTER, UINT uRight = DT_RIGHT);

} // namespace SkinUI
