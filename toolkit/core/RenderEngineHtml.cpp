#include <windows.h>
#include <wchar.h>
#include <limits.h>
#include <vector>
#include "core/RenderEngine.h"
#include "core/RenderClip.h"
#include "core/PaintManager.h"
#include "core/Blanks.h"
#include "core/ColorRef.h"
#include "core/TextAlpha.h"

// The toolkit's inline mark-up: tags open with '<' or '{' and close with '>' or '}'. Every
// scan stops at the end of the text, so a missing bracket never reads past it.

namespace SkinUI {

namespace {

bool IsTagOpen(wchar_t c)
{
    return c == L'<' || c == L'{';
}
bool IsTagClose(wchar_t c)
{
    return c == L'>' || c == L'}';
}
bool IsLower(wchar_t c)
{
    return c >= L'a' && c <= L'z';
}
bool IsAsciiLetter(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// The end of a tag's body: its closing bracket, or the end of the text.
const wchar_t* TagBodyEnd(const wchar_t* p)
{
    while (*p != L'\0' && !IsTagClose(*p)) p++;
    return p;
}

// "{/r}" or "</r>" (the two bracket forms mix freely).
bool IsRawCloser(const wchar_t* p)
{
    return IsTagOpen(p[0]) && p[1] == L'/' && p[2] == L'r' && IsTagClose(p[3]);
}

// Reads key='value' pairs separated by exactly one blank; returns false at the first
// malformed pair.
bool NextPair(const wchar_t*& p, const wchar_t* end, CSkinString& key, CSkinString& value)
{
    const wchar_t* k = p;
    while (p < end && *p != L'=' && *p != L' ') p++;
    if (p >= end || *p != L'=') return false;
    key.Assign(k, static_cast<int>(p - k));
    p++;
    if (p >= end || *p != L'\'') return false;
    p++;
    const wchar_t* v = p;
    while (p < end && *p != L'\'') p++;
    if (p >= end) return false;
    value.Assign(v, static_cast<int>(p - v));
    p++;
    if (p < end && *p == L' ') p++;
    return true;
}

struct StyleState {
    std::vector<tagTFontInfo*> fonts;
    std::vector<DWORD> colors;
    std::vector<int> spacings;
    bool raw = false;
    bool inLink = false;
    bool selected = false;
    int linkIndex = 0;
    POINT linkStart = { 0, 0 };
};

class HtmlPainter {
public:
    HtmlPainter(HDC hDC, CPaintManagerUI* pManager, RECT& rc, DWORD dwTextColor, RECT* pLinks, CSkinString* sLinks,
                int nLinkCapacity, UINT uStyle)
        : m_hDC(hDC), m_pm(pManager), m_rc(rc), m_dwTextColor(dwTextColor), m_pLinks(pLinks), m_sLinks(sLinks),
          m_nLinkCapacity(nLinkCapacity < 0 ? 0 : nLinkCapacity), m_uStyle(uStyle),
          m_bDraw((uStyle & DT_CALCRECT) == 0), m_pDefault(pManager->GetDefaultFontInfo())
    {
        ::SetRectEmpty(&m_rcInked);
    }

    void SetHotLink(const CSkinString& s) { m_sHotLink = s; }

    // Runs every line; returns the number of links recorded.
    int Paint(LPCTSTR pstrText);
    const RECT& Inked() const { return m_rcInked; }

private:
    tagTFontInfo* Font() const { return m_st.fonts.empty() ? m_pDefault : m_st.fonts.back(); }
    DWORD Color() const { return m_st.colors.empty() ? m_dwTextColor : m_st.colors.back(); }
    int Spacing() const { return m_st.spacings.empty() ? 0 : m_st.spacings.back(); }
    int LineHeightOfFont() const
    {
        const TEXTMETRICW& tm = Font()->tm;
        return Spacing() + tm.tmHeight + tm.tmExternalLeading;
    }
    void GrowLine()
    {
        if (!m_bLineFixed) {
            int h = LineHeightOfFont();
            if (h > m_cyLine) m_cyLine = h;
        }
    }
    void SelectFont()
    {
        tagTFontInfo* f = Font();
        ::SelectObject(m_hDC, f->hFont);
        // A manager without a paint DC has not measured its fonts yet.
        if (f->tm.tmHeight == 0) ::GetTextMetricsW(m_hDC, &f->tm);
    }
    void PushFont(tagTFontInfo* f)
    {
        if (f == NULL) f = Font();
        m_st.fonts.push_back(f);
        SelectFont();
        GrowLine();
    }
    void PopFont()
    {
        if (m_st.fonts.empty()) return;
        tagTFontInfo* old = m_st.fonts.back();
        m_st.fonts.pop_back();
        SelectFont();
        // Leaving italic text keeps its overhang clear of what follows.
        if (old->italic && !Font()->italic) {
            ABC abc = {};
            HGDIOBJ prev = ::SelectObject(m_hDC, old->hFont);
            if (::GetCharABCWidthsW(m_hDC, L' ', L' ', &abc)) m_x += abc.abcC / 2;
            ::SelectObject(m_hDC, prev);
        }
        GrowLine();
    }
    // The current font with one more attribute, found in the manager's fonts or made.
    tagTFontInfo* Variant(bool bold, bool underline, bool italic)
    {
        tagTFontInfo* cur = Font();
        bold = bold || cur->bold;
        underline = underline || cur->underline;
        italic = italic || cur->italic;
        return FindOrAdd(cur->faceName, cur->size, bold, underline, italic);
    }
    tagTFontInfo* FindOrAdd(LPCTSTR face, int size, bool bold, bool underline, bool italic)
    {
        HFONT h = m_pm->GetFont(face, size, bold, underline, italic);
        if (h == NULL) h = m_pm->AddFont(face, size, bold, underline, italic);
        return h != NULL ? m_pm->GetFontInfo(h) : NULL;
    }

    const wchar_t* Line(const wchar_t* p, bool bDraw);
    const wchar_t* Tag(const wchar_t* p, bool bDraw);
    const wchar_t* CloseTag(const wchar_t* p, bool bDraw);
    const wchar_t* Image(const wchar_t* tagStart, const wchar_t* body, const wchar_t* end, bool bDraw);
    // A run of text; the first nForced units are text even when they look like mark-up,
    // and an exact run is only those.
    const wchar_t* Run(const wchar_t* p, int nForced, bool bExact, bool bDraw);
    void Print(const wchar_t* p, int n, int width, bool bDraw);
    void EndLine(bool bDraw);
    void SetLink(int index, const RECT& r)
    {
        if (index >= 0 && index < m_nLinkCapacity && m_pLinks != NULL) m_pLinks[index] = r;
    }

    HDC m_hDC;
    CPaintManagerUI* m_pm;
    RECT& m_rc;
    DWORD m_dwTextColor;
    RECT* m_pLinks;
    CSkinString* m_sLinks;
    int m_nLinkCapacity;
    UINT m_uStyle;
    bool m_bDraw;
    tagTFontInfo* m_pDefault;
    CSkinString m_sHotLink;

    StyleState m_st;
    int m_x = 0;
    int m_y = 0;
    int m_cyLine = 0;
    bool m_bLineFixed = false; // the drawing pass uses the measured line height
    bool m_bLineEnd = false;
    bool m_bStop = false;
    std::vector<int> m_dx; // partial extents of the run being fitted
    int m_lineFirstLink = 0;
    int m_cxMaxWidth = 0; // the widest line's end; starts at the left edge
    int m_cyMinHeight = 0;
    RECT m_rcInked;
};

int HtmlPainter::Paint(LPCTSTR pstrText)
{
    const int cxRc = m_rc.right - m_rc.left;
    m_y = m_rc.top;
    // An empty text measures as an empty rectangle, never as one whose right edge is left of
    // its left edge.
    m_cxMaxWidth = m_rc.left;
    m_st.linkStart.x = m_rc.left;
    m_st.linkStart.y = m_rc.top;
    SelectFont();
    const wchar_t* p = pstrText;
    int lastBottom = m_rc.top;
    while (*p != L'\0' && !m_bStop && cxRc > 0) {
        const StyleState lineStart = m_st;
        m_lineFirstLink = m_st.linkIndex;
        // 1. Measuring pass: the line's height, where it ends, the link rectangles.
        m_bLineFixed = false;
        SelectFont();
        m_cyLine = LineHeightOfFont();
        const wchar_t* next = Line(p, false);
        // 2. Drawing pass over the same characters from the same styles.
        if (m_bDraw) {
            StyleState afterMeasure = m_st;
            m_st = lineStart;
            SelectFont();
            m_bLineFixed = true;
            next = Line(p, true);
            m_st = afterMeasure;
            SelectFont();
        }
        lastBottom = m_y + m_cyLine;
        // A line that consumed nothing would come back for ever.
        if (next == p) break;
        p = next;
        m_y += m_cyLine;
        if (m_uStyle & DT_SINGLELINE) break;
        if (m_bDraw && m_y >= m_rc.bottom) break;
        m_st.linkStart.x = m_rc.left;
        m_st.linkStart.y = m_y;
    }
    if (m_uStyle & DT_CALCRECT) {
        int bottom = lastBottom > m_cyMinHeight ? lastBottom : m_cyMinHeight;
        m_rc.bottom = bottom;
        if (m_cxMaxWidth < m_rc.right) m_rc.right = m_cxMaxWidth;
    }
    return m_st.linkIndex < m_nLinkCapacity ? m_st.linkIndex : m_nLinkCapacity;
}

const wchar_t* HtmlPainter::Line(const wchar_t* p, bool bDraw)
{
    m_x = m_rc.left;
    m_bLineEnd = false;
    while (!m_bLineEnd) {
        if (*p == L'\0') break;
        if (*p == L'\n') {
            p++;
            if (m_uStyle & DT_SINGLELINE) m_bStop = true;
            break;
        }
        if (m_st.raw) {
            if (IsRawCloser(p)) {
                m_st.raw = false;
                p += 4;
            } else {
                p = Run(p, 0, false, bDraw);
            }
            continue;
        }
        if (IsTagOpen(p[0])) {
            // Three-unit escapes: <{> <}> print a brace, {<} {>} an angle bracket.
            if ((p[0] == L'<' && (p[1] == L'{' || p[1] == L'}') && p[2] == L'>') ||
                (p[0] == L'{' && (p[1] == L'<' || p[1] == L'>') && p[2] == L'}')) {
                // Left where it is when it did not fit: the next line prints it.
                if (Run(p + 1, 1, true, bDraw) != p + 1) p += 3;
                continue;
            }
            if (IsLower(p[1]) && (p[2] == L' ' || IsTagClose(p[2]))) {
                p = Tag(p, bDraw);
                continue;
            }
            if (p[1] == L'/' && IsAsciiLetter(p[2])) {
                p = CloseTag(p, bDraw);
                continue;
            }
            p = Run(p, 1, false, bDraw);
            continue;
        }
        if (*p == L' ') {
            p = Run(p, 1, true, bDraw);
            continue;
        }
        p = Run(p, 0, false, bDraw);
    }
    EndLine(bDraw);
    return p;
}

void HtmlPainter::EndLine(bool bDraw)
{
    const bool bRecord = !bDraw;
    // A link still open here ends on this line and goes on in the next slot.
    if (m_st.inLink) {
        if (bRecord) {
            RECT r = { m_st.linkStart.x, m_st.linkStart.y, m_x < m_rc.right ? m_x : m_rc.right, m_y + m_cyLine };
            SetLink(m_st.linkIndex, r);
        }
        m_st.linkIndex++;
        if (bRecord && m_st.linkIndex < m_nLinkCapacity && m_st.linkIndex > 0 && m_sLinks != NULL) {
            m_sLinks[m_st.linkIndex] = m_sLinks[m_st.linkIndex - 1];
        }
    }
    if (bRecord && m_pLinks != NULL) {
        for (int i = m_lineFirstLink; i < m_st.linkIndex && i < m_nLinkCapacity; i++) {
            m_pLinks[i].bottom = m_y + m_cyLine;
        }
    }
    if (m_x > m_cxMaxWidth) m_cxMaxWidth = m_x;
}

const wchar_t* HtmlPainter::Tag(const wchar_t* p, bool bDraw)
{
    const wchar_t letter = p[1];
    const wchar_t* body = (p[2] == L' ') ? p + 3 : p + 2;
    const wchar_t* end = TagBodyEnd(body);
    const wchar_t* after = (*end != L'\0') ? end + 1 : end;
    switch (letter) {
    case L'a': {
        CSkinString sText(body, static_cast<int>(end - body));
        if (!bDraw && m_st.linkIndex < m_nLinkCapacity && m_sLinks != NULL) m_sLinks[m_st.linkIndex] = sText;
        bool bHot = !m_sHotLink.IsEmpty() && m_sHotLink == sText.GetData();
        m_st.colors.push_back(bHot ? m_pm->GetDefaultLinkHoverFontColor() : m_pm->GetDefaultLinkFontColor());
        PushFont(Variant(false, true, false));
        m_st.inLink = true;
        m_st.linkStart.x = m_x;
        m_st.linkStart.y = m_y;
        break;
    }
    case L'b':
        PushFont(Variant(true, false, false));
        break;
    case L'c': {
        const wchar_t* q = SkipBlanks(body);
        if (*q == L'#') q++;
        m_st.colors.push_back(static_cast<DWORD>(wcstoul(q, NULL, 16)));
        break;
    }
    case L'f': {
        const wchar_t* q = SkipBlanks(body);
        if (*q >= L'0' && *q <= L'9') {
            PushFont(m_pm->GetFontInfo(static_cast<int>(wcstol(q, NULL, 10))));
            break;
        }
        const wchar_t* faceEnd = q;
        while (faceEnd < end && *faceEnd != L' ') faceEnd++;
        CSkinString sFace(q, static_cast<int>(faceEnd - q));
        const wchar_t* r = SkipBlanks(faceEnd);
        int size = 10;
        if (r < end && *r >= L'0' && *r <= L'9') {
            wchar_t* stop = NULL;
            size = static_cast<int>(wcstol(r, &stop, 10));
            r = stop;
        }
        CSkinString sAttr(r, static_cast<int>(end > r ? end - r : 0));
        sAttr.MakeLower();
        PushFont(FindOrAdd(sFace, size, sAttr.Find(L"bold") >= 0, sAttr.Find(L"underline") >= 0,
                           sAttr.Find(L"italic") >= 0));
        break;
    }
    case L'i':
        if (SkipBlanks(body) >= end) {
            PushFont(Variant(false, false, true));
            break;
        }
        return Image(p, body, end, bDraw) == p ? p : after;
    case L'n':
        if (!(m_uStyle & DT_SINGLELINE)) m_bLineEnd = true;
        break;
    case L'p': {
        if (m_x > m_rc.left) m_bLineEnd = true;
        const wchar_t* q = SkipBlanks(body);
        m_st.spacings.push_back(q < end ? static_cast<int>(wcstol(q, NULL, 10)) : 0);
        GrowLine();
        break;
    }
    case L'r':
        m_st.raw = true;
        break;
    case L's':
        m_st.selected = !m_st.selected;
        break;
    case L'u':
        PushFont(Variant(false, true, false));
        break;
    case L'x':
        m_x += static_cast<int>(wcstol(SkipBlanks(body), NULL, 10));
        break;
    case L'y':
        if (!m_bLineFixed) m_cyLine = static_cast<int>(wcstol(SkipBlanks(body), NULL, 10));
        break;
    default:
        break;
    }
    return after;
}

const wchar_t* HtmlPainter::CloseTag(const wchar_t* p, bool bDraw)
{
    const wchar_t letter = p[2];
    const wchar_t* end = TagBodyEnd(p + 2);
    const wchar_t* after = (*end != L'\0') ? end + 1 : end;
    switch (letter) {
    case L'a':
        if (m_st.inLink) {
            if (!bDraw) {
                const TEXTMETRICW& tm = Font()->tm;
                RECT r = { m_st.linkStart.x, m_st.linkStart.y, m_x, m_y + tm.tmHeight + tm.tmExternalLeading };
                SetLink(m_st.linkIndex, r);
            }
            m_st.linkIndex++;
            m_st.inLink = false;
        }
        if (!m_st.colors.empty()) m_st.colors.pop_back();
        PopFont();
        break;
    case L'b':
    case L'f':
    case L'i':
    case L'u':
        PopFont();
        break;
    case L'c':
        if (!m_st.colors.empty()) m_st.colors.pop_back();
        break;
    case L'p':
        if (m_x > m_rc.left) m_bLineEnd = true;
        if (!m_st.spacings.empty()) m_st.spacings.pop_back();
        GrowLine();
        break;
    case L's':
        m_st.selected = !m_st.selected;
        break;
    default:
        break;
    }
    return after;
}

const wchar_t* HtmlPainter::Image(const wchar_t* tagStart, const wchar_t* body, const wchar_t* end, bool bDraw)
{
    CSkinString sName, sResType;
    int nCount = 1, nIndex = 0;
    CSkinString sBody(body, static_cast<int>(end - body));
    if (sBody.Find(L"file='") >= 0 || sBody.Find(L"res='") >= 0) {
        const wchar_t* q = body;
        CSkinString key, value;
        while (q < end && NextPair(q, end, key, value)) {
            if (key == L"file" || key == L"res")
                sName = value;
            else if (key == L"restype")
                sResType = value;
        }
    } else {
        const wchar_t* q = SkipBlanks(body);
        const wchar_t* nameEnd = q;
        while (nameEnd < end && *nameEnd != L' ') nameEnd++;
        sName.Assign(q, static_cast<int>(nameEnd - q));
        q = SkipBlanks(nameEnd);
        if (q < end) {
            wchar_t* stop = NULL;
            nCount = static_cast<int>(wcstol(q, &stop, 10));
            q = SkipBlanks(stop);
            if (q < end) nIndex = static_cast<int>(wcstol(q, NULL, 10));
        }
        if (nCount < 1) nCount = 1;
        if (nIndex < 0 || nIndex >= nCount) nIndex = 0;
    }
    if (sName.IsEmpty()) return end;
    tagTImageInfo* pImage = m_pm->GetImageEx(sName, sResType.IsEmpty() ? NULL : sResType.GetData(), 0);
    if (pImage == NULL) return end;
    const int cxFrame = pImage->width / nCount;
    if (cxFrame <= 0) return end;
    const int cyImage = pImage->height;

    // It goes on this line when it fits, when the line is still empty, or on a single line.
    if (m_x + cxFrame > m_rc.right && m_x > m_rc.left && !(m_uStyle & DT_SINGLELINE)) {
        m_bLineEnd = true;
        return tagStart;
    }
    if (!m_bLineFixed && cyImage > m_cyLine) m_cyLine = cyImage;
    RECT rcImage = { m_x, m_y + m_cyLine - cyImage, m_x + cxFrame, m_y + m_cyLine };
    if (cyImage < m_cyLine) ::OffsetRect(&rcImage, 0, -(m_cyLine - cyImage) / 2);
    if (bDraw) {
        RECT rcSource = { cxFrame * nIndex, 0, cxFrame * (nIndex + 1), cyImage };
        RECT rcCorner = { 0, 0, 0, 0 };
        CRenderEngine::DrawImage(m_hDC, pImage->hBitmap, rcImage, rcImage, rcSource, rcCorner, pImage->hasAlpha, 255);
    }
    if (rcImage.bottom > m_cyMinHeight) m_cyMinHeight = rcImage.bottom;
    m_x += cxFrame;
    if (m_x > m_cxMaxWidth) m_cxMaxWidth = m_x;
    return end;
}

const wchar_t* HtmlPainter::Run(const wchar_t* p, int nForced, bool bExact, bool bDraw)
{
    // 1. The run: up to the next tag, line feed or end. It is scanned only as far as the
    //    fitting needs, so a long text costs each line the characters it shows, not the rest.
    int nRun = nForced;
    bool bComplete = bExact;
    auto scan = [&](int nWanted) {
        while (!bComplete && nRun < nWanted) {
            const wchar_t c = p[nRun];
            if (c == L'\0' || c == L'\n' || (m_st.raw ? IsRawCloser(p + nRun) : IsTagOpen(c)))
                bComplete = true;
            else
                nRun++;
        }
    };

    // 2. Fit it before the right edge. Prefixes whose estimate by the widest character stays
    //    left of the edge fit; the rest are measured exactly, in one call over a stretch that
    //    doubles until the edge is passed or the run ends.
    const TEXTMETRICW& tm = Font()->tm;
    const int cxAvail = m_rc.right - m_x;
    int nEstimated = 0; // characters that fit by the estimate alone
    if (cxAvail > 0) nEstimated = tm.tmMaxCharWidth > 0 ? (cxAvail - 1) / tm.tmMaxCharWidth : INT_MAX - 1;
    scan(nEstimated + 1);
    if (nRun <= 0) return p;

    int n = nRun;
    bool bOverflow = false, bEllipsis = false;
    if (nRun > nEstimated) {
        int nSpan = nEstimated < 15 ? 16 : nEstimated + 1;
        for (;;) {
            scan(nSpan);
            const int nCount = nRun < nSpan ? nRun : nSpan;
            m_dx.resize(static_cast<size_t>(nCount));
            SIZE szSpan = { 0, 0 };
            if (!::GetTextExtentExPointW(m_hDC, p, nCount, 0, NULL, m_dx.data(), &szSpan)) {
                n = nCount;
                bOverflow = !(bComplete && nCount == nRun);
                break;
            }
            // m_dx[k] is the extent of the first k + 1 characters.
            int k = nEstimated < nCount ? nEstimated : nCount;
            while (k < nCount && m_dx[static_cast<size_t>(k)] <= cxAvail) k++;
            if (k < nCount) {
                n = k;
                bOverflow = true;
                break;
            }
            if (bComplete && nCount == nRun) {
                n = nRun;
                break;
            }
            nSpan = nSpan < INT_MAX / 2 ? nSpan * 2 : INT_MAX;
        }
    }
    if (bOverflow) {
        // A line's first character always goes on it; word breaks fall after the last
        // character that is not an ASCII letter.
        int nLastGood = 0;
        for (int i = 0; i < n; i++) {
            if (!IsAsciiLetter(p[i])) nLastGood = i + 1;
        }
        if (m_x == m_rc.left) n++;
        if ((m_uStyle & DT_WORDBREAK) && nLastGood > 0) n = nLastGood;
        if ((m_uStyle & DT_END_ELLIPSIS) && n > 0) {
            n -= (n >= 2) ? 2 : 1;
            bEllipsis = true;
        }
    }
    SIZE sz = { 0, 0 };
    int cxRun = 0;
    if (n > 0) {
        ::GetTextExtentPoint32W(m_hDC, p, n, &sz);
        cxRun = sz.cx;
    }

    // 3. Print it with its bottom on the line's bottom.
    Print(p, n, cxRun, bDraw);
    m_x += cxRun;
    if (bEllipsis) {
        if (bDraw) {
            SIZE szDots = { 0, 0 };
            ::GetTextExtentPoint32W(m_hDC, L"...", 3, &szDots);
            Print(L"...", 3, szDots.cx, true);
        }
        m_x = m_rc.right;
    }
    if (m_x > m_cxMaxWidth) m_cxMaxWidth = m_x;
    if (bOverflow) m_bLineEnd = true;
    return p + n;
}

void HtmlPainter::Print(const wchar_t* p, int n, int width, bool bDraw)
{
    if (!bDraw || n <= 0) return;
    const TEXTMETRICW& tm = Font()->tm;
    int x = m_x;
    if (!(m_uStyle & DT_SINGLELINE)) {
        const int cxRc = m_rc.right - m_rc.left;
        if (m_uStyle & DT_CENTER)
            x += (cxRc - width) / 2;
        else if (m_uStyle & DT_RIGHT)
            x += cxRc - width;
    }
    const int y = m_y + m_cyLine - tm.tmHeight - tm.tmExternalLeading;
    DWORD c = Color();
    ::SetTextColor(m_hDC, ToColorRef(c));
    ::SetBkMode(m_hDC, m_st.selected ? OPAQUE : TRANSPARENT);
    ::TextOutW(m_hDC, x, y, p, n);
    ::SetBkMode(m_hDC, TRANSPARENT);
    RECT rcInk = { x, y, x + width, y + tm.tmHeight + tm.tmExternalLeading };
    ::UnionRect(&m_rcInked, &m_rcInked, &rcInk);
}

} // namespace

void CRenderEngine::DrawHtmlText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                                 RECT* pLinks, CSkinString* sLinks, int& nLinkRects, UINT uStyle)
{
    const int nCapacity = nLinkRects;
    if (hDC == NULL || pstrText == NULL || pManager == NULL || ::IsRectEmpty(&rc)) {
        nLinkRects = 0;
        return;
    }
    const bool bDraw = (uStyle & DT_CALCRECT) == 0;

    // 1. Drawing stays inside rc; the clip is given back at the end.
    CRenderClip clip;
    if (bDraw) CRenderClip::GenerateClip(hDC, rc, clip);

    // 2. Aligned text is measured first and the rectangle moved to fit it.
    if (bDraw && (uStyle & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM)) != 0) {
        RECT rcText = { 0, 0, 9999, 100 };
        int nLinks = 0;
        DrawHtmlText(hDC, pManager, rcText, pstrText, dwTextColor, NULL, NULL, nLinks, uStyle | DT_CALCRECT);
        const int cxText = rcText.right - rcText.left;
        const int cyText = rcText.bottom - rcText.top;
        if (uStyle & DT_SINGLELINE) {
            if (uStyle & DT_CENTER) {
                rc.left = rc.left + (rc.right - rc.left) / 2 - cxText / 2;
                rc.right = rc.left + cxText;
            }
            if (uStyle & DT_RIGHT) rc.left = rc.right - cxText;
        }
        if (uStyle & DT_VCENTER) {
            rc.top = rc.top + (rc.bottom - rc.top) / 2 - cyText / 2;
            rc.bottom = rc.top + cyText;
        }
        if (uStyle & DT_BOTTOM) rc.top = rc.bottom - cyText;
    }

    HFONT hOldFont = static_cast<HFONT>(::SelectObject(hDC, pManager->GetDefaultFontInfo()->hFont));
    int nOldBkMode = ::SetBkMode(hDC, TRANSPARENT);
    COLORREF clrOldText = ::SetTextColor(hDC, ToColorRef(dwTextColor));
    COLORREF clrOldBk = ::SetBkColor(hDC, ToColorRef(pManager->GetDefaultSelectedBkColor()));

    // 3. The link under the mouse, from the rectangles of the previous call.
    HtmlPainter painter(hDC, pManager, rc, dwTextColor, pLinks, sLinks, nCapacity, uStyle);
    if (pLinks != NULL && sLinks != NULL) {
        POINT ptMouse = pManager->GetMousePos();
        for (int i = 0; i < nCapacity; i++) {
            if (::PtInRect(&pLinks[i], ptMouse)) {
                painter.SetHotLink(sLinks[i]);
                break;
            }
        }
    }

    nLinkRects = painter.Paint(pstrText);

    if (bDraw && pManager->IsLayeredWindow()) {
        RECT rcArea;
        if (::IntersectRect(&rcArea, &painter.Inked(), &rc)) RepairTextAlpha(hDC, rcArea);
    }

    ::SetBkColor(hDC, clrOldBk);
    ::SetTextColor(hDC, clrOldText);
    ::SetBkMode(hDC, nOldBkMode);
    ::SelectObject(hDC, hOldFont);
}

} // namespace SkinUI
