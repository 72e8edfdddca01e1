#include "core/ImageAttribute.h"

#include "core/AttributeValue.h"
#include "core/Blanks.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace SkinUI {

namespace {

// Up to four numbers, each followed by exactly one separator of any kind; the list stops at
// the end of the text and the numbers it lacks are 0.
void ParseRect(LPCTSTR p, RECT& rc)
{
    LONG* fields[4] = { &rc.left, &rc.top, &rc.right, &rc.bottom };
    for (LONG* f : fields) *f = 0;
    for (LONG* f : fields) {
        if (*p == 0) return;
        wchar_t* end = NULL;
        *f = wcstol(p, &end, 10);
        p = end;
        if (*p == 0) return;
        ++p;
    }
}

LONG Clamp(LONG v, LONG lo, LONG hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

} // namespace

CImageAttribute::CImageAttribute()
{
    Clear();
}

CImageAttribute::CImageAttribute(const CImageAttribute& image)
{
    Clone(image);
}

CImageAttribute& CImageAttribute::operator=(const CImageAttribute& image)
{
    if (this != &image) Clone(image);
    return *this;
}

CImageAttribute::~CImageAttribute() {}

void CImageAttribute::Clone(const CImageAttribute& image)
{
    m_sImageAttribute = image.m_sImageAttribute;
    m_sImage = image.m_sImage;
    m_sResType = image.m_sResType;
    m_imageInfo = image.m_imageInfo;
    m_bLoadSuccess = image.m_bLoadSuccess;
    m_rcDest = image.m_rcDest;
    m_rcSource = image.m_rcSource;
    m_rcCorner = image.m_rcCorner;
    m_bFade = image.m_bFade;
    m_dwMask = image.m_dwMask;
    m_bHole = image.m_bHole;
    m_bTiledX = image.m_bTiledX;
    m_bTiledY = image.m_bTiledY;
}

void CImageAttribute::Clear()
{
    m_sImageAttribute.Empty();
    m_sImage.Empty();
    m_sResType.Empty();
    m_imageInfo = NULL;
    m_bLoadSuccess = true;
    memset(&m_rcDest, 0, sizeof(RECT));
    memset(&m_rcSource, 0, sizeof(RECT));
    memset(&m_rcCorner, 0, sizeof(RECT));
    m_bFade = 0xFF;
    m_dwMask = 0;
    m_bHole = false;
    m_bTiledX = false;
    m_bTiledY = false;
}

const CSkinString& CImageAttribute::GetAttributeString() const
{
    return m_sImageAttribute;
}

void CImageAttribute::SetAttributeString(LPCTSTR pStrImageAttri)
{
    if (pStrImageAttri == NULL) pStrImageAttri = L"";
    if (m_sImageAttribute == pStrImageAttri) return;
    Clear();
    m_sImageAttribute = pStrImageAttri;
    m_sImage = pStrImageAttri;
    ParsePairs(pStrImageAttri);
}

void CImageAttribute::ModifyAttribute(LPCTSTR pStrModify)
{
    ParsePairs(pStrModify);
}

bool CImageAttribute::IsLoadSuccess() const
{
    return !m_sImageAttribute.IsEmpty() && m_bLoadSuccess;
}

RECT CImageAttribute::GetDest() const
{
    return m_rcDest;
}

void CImageAttribute::SetDest(const RECT& rcDest)
{
    m_rcDest = rcDest;
}

void CImageAttribute::FitSourceToImage(int width, int height)
{
    if (m_rcSource.left == 0 && m_rcSource.top == 0 && m_rcSource.right == 0 && m_rcSource.bottom == 0) {
        m_rcSource.right = width;
        m_rcSource.bottom = height;
    }
    m_rcSource.left = Clamp(m_rcSource.left, 0, width);
    m_rcSource.right = Clamp(m_rcSource.right, 0, width);
    m_rcSource.top = Clamp(m_rcSource.top, 0, height);
    m_rcSource.bottom = Clamp(m_rcSource.bottom, 0, height);
}

// key='value' pairs; a pair is followed by the next only when its closing quote is directly
// followed by a blank. The first malformed pair ends the parse; earlier pairs stay applied.
void CImageAttribute::ParsePairs(LPCTSTR p)
{
    if (p == NULL) return;
    CSkinString key, value;
    while (*p != 0) {
        p = SkipBlanks(p);
        LPCTSTR pKey = p;
        while (*p != 0 && *p != L'=' && !IsBlank(*p)) ++p;
        key.Assign(pKey, static_cast<int>(p - pKey));
        p = SkipBlanks(p);
        if (*p != L'=') return;
        ++p;
        p = SkipBlanks(p);
        if (*p != L'\'') return;
        ++p;
        LPCTSTR pValue = p;
        while (*p != 0 && *p != L'\'') ++p;
        if (*p != L'\'') return;
        value.Assign(pValue, static_cast<int>(p - pValue));
        ++p;
        if (!value.IsEmpty()) ApplyPair(key, value);
        if (*p != L' ') return;
        ++p;
    }
}

void CImageAttribute::ApplyPair(const CSkinString& key, const CSkinString& value)
{
    LPCTSTR v = value.GetData();
    if (key == L"file" || key == L"res") {
        m_sImage = value;
    } else if (key == L"restype") {
        m_sResType = value;
    } else if (key == L"dest") {
        ParseRect(v, m_rcDest);
    } else if (key == L"source") {
        ParseRect(v, m_rcSource);
    } else if (key == L"corner") {
        ParseRect(v, m_rcCorner);
    } else if (key == L"mask") {
        m_dwMask = ParseAttributeColor(v);
    } else if (key == L"fade") {
        // Out-of-range opacities are held at the nearest end instead of wrapping.
        m_bFade = static_cast<BYTE>(Clamp(wcstol(v, NULL, 10), 0, 255));
    } else if (key == L"hole") {
        m_bHole = value == L"true";
    } else if (key == L"xtiled") {
        m_bTiledX = value == L"true";
    } else if (key == L"ytiled") {
        m_bTiledY = value == L"true";
    }
}

} // namespace SkinUI
