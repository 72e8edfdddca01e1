#include <windows.h>
#include "core/PaintManager.h"

namespace SkinUI {

namespace {

bool FontMatches(const tagTFontInfo* p, LPCTSTR face, int size, bool bold, bool underline, bool italic)
{
    return p->faceName == face && p->size == size && p->bold == bold && p->underline == underline &&
           p->italic == italic;
}

} // namespace

HFONT CPaintManagerUI::CreateFontFrom(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                                      bool bClearType)
{
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &lf);
    ::lstrcpynW(lf.lfFaceName, pStrFontName != NULL ? pStrFontName : L"", LF_FACESIZE);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -nSize;
    // Heavier than the stock face by 700, not a weight of exactly 700.
    if (bBold) lf.lfWeight += FW_BOLD;
    if (bUnderline) lf.lfUnderline = TRUE;
    if (bItalic) lf.lfItalic = TRUE;
    if (bClearType) lf.lfQuality = CLEARTYPE_QUALITY;
    return ::CreateFontIndirectW(&lf);
}

void CPaintManagerUI::MeasureFont(tagTFontInfo* pFontInfo)
{
    if (pFontInfo == NULL || m_hDcPaint == NULL) return;
    HFONT hOldFont = static_cast<HFONT>(::SelectObject(m_hDcPaint, pFontInfo->hFont));
    ::GetTextMetricsW(m_hDcPaint, &pFontInfo->tm);
    ::SelectObject(m_hDcPaint, hOldFont);
}

tagTFontInfo* CPaintManagerUI::GetDefaultFontInfo()
{
    CPaintManagerUI* pOwner = GetLastResourceManager();
    if (pOwner->m_DefaultFontInfo.tm.tmHeight == 0) pOwner->MeasureFont(&pOwner->m_DefaultFontInfo);
    return &pOwner->m_DefaultFontInfo;
}

void CPaintManagerUI::SetDefaultFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    HFONT hFont = CreateFontFrom(pStrFontName, nSize, bBold, bUnderline, bItalic, false);
    if (hFont == NULL) return;
    ::DeleteObject(m_DefaultFontInfo.hFont);
    m_DefaultFontInfo.hFont = hFont;
    m_DefaultFontInfo.faceName = pStrFontName;
    m_DefaultFontInfo.size = nSize;
    m_DefaultFontInfo.bold = bBold;
    m_DefaultFontInfo.underline = bUnderline;
    m_DefaultFontInfo.italic = bItalic;
    ::ZeroMemory(&m_DefaultFontInfo.tm, sizeof(m_DefaultFontInfo.tm));
    MeasureFont(&m_DefaultFontInfo);
}

DWORD CPaintManagerUI::GetCustomFontCount() const
{
    return static_cast<DWORD>(m_aCustomFonts.GetSize());
}

HFONT CPaintManagerUI::AddFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    return AddFontAt(m_aCustomFonts.GetSize(), pStrFontName, nSize, bBold, bUnderline, bItalic);
}

HFONT CPaintManagerUI::AddFontAt(int index, LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    if (index < 0 || index > m_aCustomFonts.GetSize()) return NULL;
    HFONT hFont = CreateFontFrom(pStrFontName, nSize, bBold, bUnderline, bItalic, true);
    if (hFont == NULL) return NULL;
    tagTFontInfo* pFontInfo = new tagTFontInfo;
    pFontInfo->hFont = hFont;
    pFontInfo->faceName = pStrFontName;
    pFontInfo->size = nSize;
    pFontInfo->bold = bBold;
    pFontInfo->underline = bUnderline;
    pFontInfo->italic = bItalic;
    ::ZeroMemory(&pFontInfo->tm, sizeof(pFontInfo->tm));
    MeasureFont(pFontInfo);
    if (!m_aCustomFonts.InsertAt(index, pFontInfo)) {
        ::DeleteObject(hFont);
        delete pFontInfo;
        return NULL;
    }
    return hFont;
}

HFONT CPaintManagerUI::GetFont(int index)
{
    if (index < 0 || index >= m_aCustomFonts.GetSize()) return GetDefaultFontInfo()->hFont;
    return static_cast<tagTFontInfo*>(m_aCustomFonts[index])->hFont;
}

HFONT CPaintManagerUI::GetFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    if (pStrFontName == NULL) return NULL;
    for (CPaintManagerUI* pm = this; pm != NULL; pm = pm->m_pParentResourcePM) {
        for (int i = 0; i < pm->m_aCustomFonts.GetSize(); i++) {
            tagTFontInfo* p = static_cast<tagTFontInfo*>(pm->m_aCustomFonts[i]);
            if (FontMatches(p, pStrFontName, nSize, bBold, bUnderline, bItalic)) return p->hFont;
        }
    }
    return NULL;
}

bool CPaintManagerUI::FindFont(HFONT hFont)
{
    for (CPaintManagerUI* pm = this; pm != NULL; pm = pm->m_pParentResourcePM) {
        for (int i = 0; i < pm->m_aCustomFonts.GetSize(); i++) {
            if (static_cast<tagTFontInfo*>(pm->m_aCustomFonts[i])->hFont == hFont) return true;
        }
    }
    return false;
}

bool CPaintManagerUI::FindFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    return GetFont(pStrFontName, nSize, bBold, bUnderline, bItalic) != NULL;
}

int CPaintManagerUI::GetFontIndex(HFONT hFont)
{
    for (int i = 0; i < m_aCustomFonts.GetSize(); i++) {
        if (static_cast<tagTFontInfo*>(m_aCustomFonts[i])->hFont == hFont) return i;
    }
    return -1;
}

int CPaintManagerUI::GetFontIndex(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    if (pStrFontName == NULL) return -1;
    for (int i = 0; i < m_aCustomFonts.GetSize(); i++) {
        tagTFontInfo* p = static_cast<tagTFontInfo*>(m_aCustomFonts[i]);
        if (FontMatches(p, pStrFontName, nSize, bBold, bUnderline, bItalic)) return i;
    }
    return -1;
}

bool CPaintManagerUI::RemoveFont(HFONT hFont)
{
    int i = GetFontIndex(hFont);
    return i >= 0 && RemoveFontAt(i);
}

bool CPaintManagerUI::RemoveFontAt(int index)
{
    if (index < 0 || index >= m_aCustomFonts.GetSize()) return false;
    tagTFontInfo* p = static_cast<tagTFontInfo*>(m_aCustomFonts[index]);
    ::DeleteObject(p->hFont);
    delete p;
    return m_aCustomFonts.Remove(index);
}

void CPaintManagerUI::RemoveAllFonts()
{
    for (int i = 0; i < m_aCustomFonts.GetSize(); i++) {
        tagTFontInfo* p = static_cast<tagTFontInfo*>(m_aCustomFonts[i]);
        ::DeleteObject(p->hFont);
        delete p;
    }
    m_aCustomFonts.Empty();
}

tagTFontInfo* CPaintManagerUI::GetFontInfo(int index)
{
    if (index < 0 || index >= m_aCustomFonts.GetSize()) return GetDefaultFontInfo();
    tagTFontInfo* p = static_cast<tagTFontInfo*>(m_aCustomFonts[index]);
    if (p->tm.tmHeight == 0) MeasureFont(p);
    return p;
}

tagTFontInfo* CPaintManagerUI::GetFontInfo(HFONT hFont)
{
    for (CPaintManagerUI* pm = this; pm != NULL; pm = pm->m_pParentResourcePM) {
        for (int i = 0; i < pm->m_aCustomFonts.GetSize(); i++) {
            tagTFontInfo* p = static_cast<tagTFontInfo*>(pm->m_aCustomFonts[i]);
            if (p->hFont != hFont) continue;
            if (p->tm.tmHeight == 0) {
                if (m_hDcPaint != NULL)
                    MeasureFont(p);
                else
                    pm->MeasureFont(p);
            }
            return p;
        }
    }
    return GetDefaultFontInfo();
}

} // namespace SkinUI
