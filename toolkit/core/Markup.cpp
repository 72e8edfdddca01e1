#include "core/Markup.h"
#include "core/Blanks.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

namespace SkinUI {

namespace {

const TCHAR kEmpty[] = L"";

// Names step one unit at a time: every platform then agrees on where a name ends.
inline bool IsNameUnit(TCHAR c)
{
    return iswalnum(c) || c == L'_' || c == L':';
}

inline void SkipIdentifier(LPTSTR& p)
{
    while (*p != 0 && IsNameUnit(*p)) ++p;
}

inline void SkipIdentifier(LPCTSTR& p)
{
    while (*p != 0 && IsNameUnit(*p)) ++p;
}

void CopyTerminated(LPTSTR dst, SIZE_T cchMax, LPCTSTR src)
{
    if (dst == NULL || cchMax == 0) return;
    SIZE_T i = 0;
    if (src != NULL) {
        for (; i + 1 < cchMax && src[i] != 0; ++i) dst[i] = src[i];
    }
    dst[i] = 0;
}

} // namespace

// ---------------------------------------------------------------------------------------
// CMarkupNode

CMarkupNode::CMarkupNode() : m_iPos(0), m_nAttributes(0), m_pOwner(NULL) {}

CMarkupNode::CMarkupNode(CMarkup* pOwner, int iPos) : m_iPos(iPos), m_nAttributes(0), m_pOwner(pOwner) {}

bool CMarkupNode::IsValid() const
{
    return m_pOwner != NULL;
}

CMarkupNode CMarkupNode::GetParent()
{
    if (m_pOwner == NULL) return CMarkupNode();
    ULONG iPos = m_pOwner->m_pElements[m_iPos].iParent;
    if (iPos == 0) return CMarkupNode();
    return CMarkupNode(m_pOwner, static_cast<int>(iPos));
}

CMarkupNode CMarkupNode::GetSibling()
{
    if (m_pOwner == NULL) return CMarkupNode();
    ULONG iPos = m_pOwner->m_pElements[m_iPos].iNext;
    if (iPos == 0) return CMarkupNode();
    return CMarkupNode(m_pOwner, static_cast<int>(iPos));
}

CMarkupNode CMarkupNode::GetChild()
{
    if (m_pOwner == NULL) return CMarkupNode();
    ULONG iPos = m_pOwner->m_pElements[m_iPos].iChild;
    if (iPos == 0) return CMarkupNode();
    return CMarkupNode(m_pOwner, static_cast<int>(iPos));
}

CMarkupNode CMarkupNode::GetChild(LPCTSTR pstrName)
{
    if (m_pOwner == NULL || pstrName == NULL) return CMarkupNode();
    ULONG iPos = m_pOwner->m_pElements[m_iPos].iChild;
    while (iPos != 0) {
        if (wcscmp(m_pOwner->m_pstrXML + m_pOwner->m_pElements[iPos].iStart, pstrName) == 0)
            return CMarkupNode(m_pOwner, static_cast<int>(iPos));
        iPos = m_pOwner->m_pElements[iPos].iNext;
    }
    return CMarkupNode();
}

bool CMarkupNode::HasSiblings() const
{
    return m_pOwner != NULL && m_pOwner->m_pElements[m_iPos].iNext > 0;
}

bool CMarkupNode::HasChildren() const
{
    return m_pOwner != NULL && m_pOwner->m_pElements[m_iPos].iChild != 0;
}

LPCTSTR CMarkupNode::GetName() const
{
    if (m_pOwner == NULL) return NULL;
    return m_pOwner->m_pstrXML + m_pOwner->m_pElements[m_iPos].iStart;
}

LPCTSTR CMarkupNode::GetValue() const
{
    if (m_pOwner == NULL) return NULL;
    return m_pOwner->m_pstrXML + m_pOwner->m_pElements[m_iPos].iData;
}

bool CMarkupNode::HasAttributes()
{
    if (m_pOwner == NULL) return false;
    if (m_nAttributes == 0) _MapAttributes();
    return m_nAttributes > 0;
}

bool CMarkupNode::HasAttribute(LPCTSTR pstrName)
{
    if (m_pOwner == NULL || pstrName == NULL) return false;
    if (m_nAttributes == 0) _MapAttributes();
    for (int i = 0; i < m_nAttributes; ++i) {
        if (wcscmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, pstrName) == 0) return true;
    }
    return false;
}

int CMarkupNode::GetAttributeCount()
{
    if (m_pOwner == NULL) return 0;
    if (m_nAttributes == 0) _MapAttributes();
    return m_nAttributes;
}

LPCTSTR CMarkupNode::GetAttributeName(int iIndex)
{
    if (m_pOwner == NULL) return NULL;
    if (m_nAttributes == 0) _MapAttributes();
    if (iIndex < 0 || iIndex >= m_nAttributes) return kEmpty;
    return m_pOwner->m_pstrXML + m_aAttributes[iIndex].iName;
}

LPCTSTR CMarkupNode::GetAttributeValue(int iIndex)
{
    if (m_pOwner == NULL) return NULL;
    if (m_nAttributes == 0) _MapAttributes();
    if (iIndex < 0 || iIndex >= m_nAttributes) return kEmpty;
    return m_pOwner->m_pstrXML + m_aAttributes[iIndex].iValue;
}

LPCTSTR CMarkupNode::GetAttributeValue(LPCTSTR pstrName)
{
    if (m_pOwner == NULL) return NULL;
    if (pstrName == NULL) return kEmpty;
    if (m_nAttributes == 0) _MapAttributes();
    for (int i = 0; i < m_nAttributes; ++i) {
        if (wcscmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, pstrName) == 0)
            return m_pOwner->m_pstrXML + m_aAttributes[i].iValue;
    }
    return kEmpty;
}

bool CMarkupNode::GetAttributeValue(int iIndex, LPTSTR pstrValue, SIZE_T cchMax)
{
    if (m_pOwner == NULL) return false;
    if (m_nAttributes == 0) _MapAttributes();
    if (iIndex < 0 || iIndex >= m_nAttributes) return false;
    CopyTerminated(pstrValue, cchMax, m_pOwner->m_pstrXML + m_aAttributes[iIndex].iValue);
    return true;
}

bool CMarkupNode::GetAttributeValue(LPCTSTR pstrName, LPTSTR pstrValue, SIZE_T cchMax)
{
    if (m_pOwner == NULL || pstrName == NULL) return false;
    if (m_nAttributes == 0) _MapAttributes();
    for (int i = 0; i < m_nAttributes; ++i) {
        if (wcscmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, pstrName) == 0) {
            CopyTerminated(pstrValue, cchMax, m_pOwner->m_pstrXML + m_aAttributes[i].iValue);
            return true;
        }
    }
    return false;
}

// The parse left each attribute as: name, terminator, blanks, '"', value, terminator. The
// walk starts after the element name's terminator and stops at the element's data.
void CMarkupNode::_MapAttributes()
{
    m_nAttributes = 0;
    LPCTSTR pstrXML = m_pOwner->m_pstrXML;
    LPCTSTR pstrName = pstrXML + m_pOwner->m_pElements[m_iPos].iStart;
    LPCTSTR pstrData = pstrXML + m_pOwner->m_pElements[m_iPos].iData;
    if (pstrName >= pstrData) return;
    LPCTSTR p = pstrName + wcslen(pstrName) + 1;
    while (p < pstrData && m_nAttributes < MAX_XML_ATTRIBUTES) {
        p = SkipBlanks(p);
        if (p >= pstrData || *p == 0 || *p == L'>' || *p == L'/') return;
        XMLATTRIBUTE& a = m_aAttributes[m_nAttributes];
        a.iName = static_cast<ULONG>(p - pstrXML);
        p += wcslen(p) + 1;
        p = SkipBlanks(p);
        if (p >= pstrData || *p != L'"') return;
        ++p;
        a.iValue = static_cast<ULONG>(p - pstrXML);
        ++m_nAttributes;
        p += wcslen(p) + 1;
    }
}

// ---------------------------------------------------------------------------------------
// CMarkup

CMarkup::CMarkup(LPCTSTR pstrXML)
    : m_pstrXML(NULL), m_pElements(NULL), m_nElements(0), m_nReservedElements(0), m_bPreserveWhitespace(true)
{
    _ClearErrors();
    if (pstrXML != NULL) Load(pstrXML);
}

CMarkup::~CMarkup()
{
    Release();
}

bool CMarkup::IsValid() const
{
    return m_pElements != NULL;
}

void CMarkup::SetPreserveWhitespace(bool bPreserve)
{
    m_bPreserveWhitespace = bPreserve;
}

bool CMarkup::Load(LPCTSTR pstrXML)
{
    Release();
    _ClearErrors();
    if (pstrXML == NULL) return _Failed(L"Expected start tag");
    SIZE_T cch = wcslen(pstrXML) + 1;
    m_pstrXML = static_cast<LPTSTR>(malloc(cch * sizeof(TCHAR)));
    if (m_pstrXML == NULL) return _Failed(L"Out of memory");
    memcpy(m_pstrXML, pstrXML, cch * sizeof(TCHAR));
    bool bRes = _Parse();
    if (!bRes) Release();
    return bRes;
}

bool CMarkup::LoadFromMem(BYTE* pByte, DWORD dwSize, int encoding)
{
    Release();
    _ClearErrors();
    if (dwSize > MAX_DOCUMENT_BYTES) return _Failed(L"File too large");
    if (pByte == NULL && dwSize > 0) return _Failed(L"Expected start tag");

    if (encoding == XMLFILE_ENCODING_UTF8 || encoding == XMLFILE_ENCODING_ANSI) {
        UINT codePage = CP_UTF8;
        const char* src = reinterpret_cast<const char*>(pByte);
        int n = static_cast<int>(dwSize);
        if (encoding == XMLFILE_ENCODING_UTF8) {
            if (n >= 3 && pByte[0] == 0xEF && pByte[1] == 0xBB && pByte[2] == 0xBF) {
                src += 3;
                n -= 3;
            }
        } else {
            codePage = CP_ACP;
        }
        int cch = n > 0 ? ::MultiByteToWideChar(codePage, 0, src, n, NULL, 0) : 0;
        m_pstrXML = static_cast<LPTSTR>(malloc((static_cast<SIZE_T>(cch) + 1) * sizeof(TCHAR)));
        if (m_pstrXML == NULL) return _Failed(L"Out of memory");
        if (cch > 0) ::MultiByteToWideChar(codePage, 0, src, n, m_pstrXML, cch);
        m_pstrXML[cch] = 0;
    } else {
        if (dwSize < 2) return _Failed(L"Missing byte-order mark");
        bool bBigEndian;
        if (pByte[0] == 0xFF && pByte[1] == 0xFE)
            bBigEndian = false;
        else if (pByte[0] == 0xFE && pByte[1] == 0xFF)
            bBigEndian = true;
        else
            return _Failed(L"Missing byte-order mark");
        SIZE_T cch = dwSize / 2 - 1;
        m_pstrXML = static_cast<LPTSTR>(malloc((cch + 1) * sizeof(TCHAR)));
        if (m_pstrXML == NULL) return _Failed(L"Out of memory");
        // The caller's bytes are only read (they may be a read-only resource); any byte
        // swapping happens in the private copy.
        const BYTE* src = pByte + 2;
        for (SIZE_T i = 0; i < cch; ++i) {
            BYTE lo = src[2 * i], hi = src[2 * i + 1];
            if (bBigEndian) {
                BYTE t = lo;
                lo = hi;
                hi = t;
            }
            m_pstrXML[i] = static_cast<TCHAR>(lo | (hi << 8));
        }
        m_pstrXML[cch] = 0;
    }

    bool bRes = _Parse();
    if (!bRes) Release();
    return bRes;
}

void CMarkup::Release()
{
    free(m_pstrXML);
    free(m_pElements);
    m_pstrXML = NULL;
    m_pElements = NULL;
    m_nElements = 0;
    m_nReservedElements = 0;
}

void CMarkup::GetLastErrorMessage(LPTSTR pstrMessage, SIZE_T cchMax) const
{
    CopyTerminated(pstrMessage, cchMax, m_szErrorMsg);
}

void CMarkup::GetLastErrorLocation(LPTSTR pstrSource, SIZE_T cchMax) const
{
    CopyTerminated(pstrSource, cchMax, m_szErrorXML);
}

CMarkupNode CMarkup::GetRoot()
{
    if (m_nElements <= 1) return CMarkupNode();
    return CMarkupNode(this, 1);
}

void CMarkup::_ClearErrors()
{
    m_szErrorMsg[0] = 0;
    m_szErrorXML[0] = 0;
}

bool CMarkup::_Failed(LPCTSTR pstrError, LPCTSTR pstrLocation)
{
    CopyTerminated(m_szErrorMsg, sizeof(m_szErrorMsg) / sizeof(m_szErrorMsg[0]), pstrError);
    CopyTerminated(m_szErrorXML, sizeof(m_szErrorXML) / sizeof(m_szErrorXML[0]),
                   pstrLocation != NULL ? pstrLocation : kEmpty);
    return false;
}

CMarkup::XMLELEMENT* CMarkup::_ReserveElement(ULONG& iPos)
{
    if (m_nElements == 0) m_nReservedElements = 0;
    if (m_nElements >= m_nReservedElements) {
        ULONG nNew = m_nReservedElements + m_nReservedElements / 2 + 500;
        if (nNew <= m_nReservedElements || nNew > 0x7FFFFFFF / sizeof(XMLELEMENT)) return NULL;
        void* p = realloc(m_pElements, nNew * sizeof(XMLELEMENT));
        if (p == NULL) return NULL;
        m_pElements = static_cast<XMLELEMENT*>(p);
        m_nReservedElements = nNew;
    }
    iPos = m_nElements++;
    return &m_pElements[iPos];
}

bool CMarkup::_Parse()
{
    ULONG iPos;
    if (_ReserveElement(iPos) == NULL) return _Failed(L"Out of memory");
    memset(&m_pElements[0], 0, sizeof(XMLELEMENT));
    _ClearErrors();
    LPTSTR pstrXML = m_pstrXML;
    return _Parse(pstrXML, 0, 0);
}

bool CMarkup::_Parse(LPTSTR& pstrText, ULONG iParent, unsigned nDepth)
{
    ULONG iPrevious = 0;
    for (;;) {
        // 1. A document may end inside its root element or at the top level.
        pstrText = SkipBlanks(pstrText);
        if (*pstrText == 0 && iParent <= 1) return true;
        // 2. A start tag, or the parent's closing tag.
        if (*pstrText != L'<') return _Failed(L"Expected start tag", pstrText);
        if (pstrText[1] == L'/') return true;
        // 3. The '<' ends the previous content; comments and declarations make no element.
        *pstrText++ = 0;
        pstrText = SkipBlanks(pstrText);
        if (*pstrText == L'!' || *pstrText == L'?') {
            const TCHAR* pstrEnd = wcsstr(pstrText, *pstrText == L'!' ? L"->" : L"?>");
            pstrText = pstrEnd != NULL ? const_cast<LPTSTR>(pstrEnd) + 2 : pstrText + wcslen(pstrText);
            continue;
        }
        // 4. The new element, linked to its previous sibling or its parent.
        if (nDepth >= MAX_NESTING) return _Failed(L"Element nesting too deep", pstrText);
        ULONG iPos;
        XMLELEMENT* pEl = _ReserveElement(iPos);
        if (pEl == NULL) return _Failed(L"Out of memory", pstrText);
        pEl->iStart = _Offset(pstrText);
        pEl->iParent = iParent;
        pEl->iNext = pEl->iChild = 0;
        pEl->iData = 0;
        if (iPrevious != 0)
            m_pElements[iPrevious].iNext = iPos;
        else if (iParent > 0)
            m_pElements[iParent].iChild = iPos;
        iPrevious = iPos;
        // 5. The element name.
        LPCTSTR pstrName = pstrText;
        SkipIdentifier(pstrText);
        LPTSTR pstrNameEnd = pstrText;
        if (*pstrText == 0) return _Failed(L"Error parsing element name", pstrName);
        // 6. Attributes. A '/' right after the name is left for step 7, whose terminator
        // over it also ends the name.
        if (*pstrText != L'>' && *pstrText != L'/') {
            *pstrText++ = 0;
            if (!_ParseAttributes(pstrText)) return false;
        }
        // 7. An empty element.
        pstrText = SkipBlanks(pstrText);
        if (pstrText[0] == L'/' && pstrText[1] == L'>') {
            m_pElements[iPos].iData = _Offset(pstrText);
            *pstrText = 0;
            pstrText += 2;
            continue;
        }
        // 8. Content, children and the closing tag.
        if (*pstrText != L'>') return _Failed(L"Expected start-tag closing", pstrText);
        *pstrNameEnd = 0;
        ++pstrText;
        m_pElements[iPos].iData = _Offset(pstrText);
        LPTSTR pstrDest = _ParseData(pstrText, L'<');
        if (pstrDest < pstrText) *pstrDest = 0;
        if (*pstrText == 0 && iParent <= 1) return true;
        if (*pstrText != L'<') return _Failed(L"Expected end-tag start", pstrText);
        if (pstrText[1] != L'/') {
            if (!_Parse(pstrText, iPos, nDepth + 1)) return false;
        }
        if (pstrText[0] == L'<' && pstrText[1] == L'/') {
            *pstrText = 0;
            pstrText += 2;
            pstrText = SkipBlanks(pstrText);
            SIZE_T cchName = static_cast<SIZE_T>(pstrNameEnd - pstrName);
            if (wcsncmp(pstrText, pstrName, cchName) != 0) return _Failed(L"Unmatched closing tag", pstrText);
            pstrText += cchName;
            pstrText = SkipBlanks(pstrText);
            if (*pstrText++ != L'>') return _Failed(L"Unmatched closing tag", pstrText - 1);
        }
    }
}

// Between the element name and '>' or "/>": name = "value" pairs separated by whitespace.
bool CMarkup::_ParseAttributes(LPTSTR& pstrText)
{
    for (;;) {
        pstrText = SkipBlanks(pstrText);
        if (*pstrText == 0 || *pstrText == L'>' || *pstrText == L'/') return true;
        LPTSTR pstrName = pstrText;
        SkipIdentifier(pstrText);
        LPTSTR pstrNameEnd = pstrText;
        pstrText = SkipBlanks(pstrText);
        if (*pstrText != L'=') return _Failed(L"Error while parsing attributes", pstrText);
        *pstrText++ = L' ';
        *pstrNameEnd = 0;
        pstrText = SkipBlanks(pstrText);
        if (*pstrText != L'"') return _Failed(L"Expected attribute value", pstrText);
        ++pstrText;
        LPTSTR pstrDest = _ParseData(pstrText, L'"');
        if (*pstrText == 0) return _Failed(L"Error while parsing attribute string", pstrName);
        // The closing quote becomes a blank first: with no entities the value ends on it.
        *pstrText++ = L' ';
        *pstrDest = 0;
    }
}

// Copies content up to cEnd onto itself, replacing entities and (unless whitespace is
// preserved) collapsing blank runs. Returns the end of the output; the units from there to
// the input position are blanks.
LPTSTR CMarkup::_ParseData(LPTSTR& pstrText, TCHAR cEnd)
{
    LPTSTR pstrDest = pstrText;
    while (*pstrText != 0 && *pstrText != cEnd) {
        if (*pstrText == L'&') {
            ++pstrText;
            _ParseMetaChar(pstrText, pstrDest);
        } else if (*pstrText == L' ') {
            *pstrDest++ = *pstrText++;
            if (!m_bPreserveWhitespace) pstrText = SkipBlanks(pstrText);
        } else {
            *pstrDest++ = *pstrText++;
        }
    }
    for (LPTSTR p = pstrDest; p < pstrText; ++p) *p = L' ';
    return pstrDest;
}

void CMarkup::_ParseMetaChar(LPTSTR& pstrText, LPTSTR& pstrDest)
{
    static const struct {
        LPCTSTR name;
        SIZE_T len;
        TCHAR ch;
    } kEntities[] = {
        { L"amp;", 4, L'&' }, { L"lt;", 3, L'<' }, { L"gt;", 3, L'>' }, { L"quot;", 5, L'"' }, { L"apos;", 5, L'\'' },
    };
    for (const auto& e : kEntities) {
        if (wcsncmp(pstrText, e.name, e.len) == 0) {
            *pstrDest++ = e.ch;
            pstrText += e.len;
            return;
        }
    }
    // Anything else keeps its '&'; the text after it is copied as it is.
    *pstrDest++ = L'&';
}

} // namespace SkinUI
