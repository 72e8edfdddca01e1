#include "core/SkinString.h"
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace SkinUI {

namespace {

const int kMaxInline = CSkinString::MAX_LOCAL_STRING_LEN - 1;

// Narrow text in the ANSI code page to a heap block of UTF-16 the caller frees; null when
// the block cannot be had.
wchar_t* WidenAnsi(LPCSTR lpStr)
{
    const size_t n = strlen(lpStr);
    wchar_t* w = static_cast<wchar_t*>(malloc((n + 1) * sizeof(wchar_t)));
    if (w == NULL) return NULL;
    // Every byte gives at most one unit, so n + 1 units always hold the result.
    if (::MultiByteToWideChar(::GetACP(), 0, lpStr, -1, w, static_cast<int>(n + 1)) == 0) w[0] = L'\0';
    return w;
}

} // namespace

CSkinString::CSkinString() : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = L'\0';
}

CSkinString::CSkinString(const wchar_t ch) : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = ch;
    m_szBuffer[1] = L'\0';
}

CSkinString::CSkinString(const CSkinString& src) : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = L'\0';
    Assign(src.m_pstr);
}

CSkinString::CSkinString(LPCWSTR lpsz, int nLen) : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = L'\0';
    Assign(lpsz, nLen);
}

CSkinString::~CSkinString()
{
    if (!IsInline()) free(m_pstr);
}

bool CSkinString::Owns(LPCWSTR p) const
{
    if (p == NULL) return false;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(m_pstr);
    const uintptr_t end = begin + (wcslen(m_pstr) + 1) * sizeof(wchar_t);
    const uintptr_t at = reinterpret_cast<uintptr_t>(p);
    return at >= begin && at < end;
}

void CSkinString::Empty()
{
    if (!IsInline()) free(m_pstr);
    m_pstr = m_szBuffer;
    m_szBuffer[0] = L'\0';
}

int CSkinString::GetLength() const
{
    return static_cast<int>(wcslen(m_pstr));
}

bool CSkinString::IsEmpty() const
{
    return m_pstr[0] == L'\0';
}

wchar_t CSkinString::GetAt(int nIndex) const
{
    return m_pstr[nIndex];
}

void CSkinString::Append(LPCWSTR pstr)
{
    if (pstr == NULL) return;
    // A source inside our own buffer may move or be freed below: copy it first.
    if (Owns(pstr)) {
        const CSkinString copy(pstr);
        Append(copy.m_pstr);
        return;
    }
    const int nNewLength = GetLength() + static_cast<int>(wcslen(pstr));
    if (nNewLength > kMaxInline) {
        if (IsInline()) {
            LPWSTR p = static_cast<LPWSTR>(malloc((nNewLength + 1) * sizeof(wchar_t)));
            if (p == NULL) return;
            wcscpy(p, m_szBuffer);
            m_pstr = p;
        } else {
            LPWSTR p = static_cast<LPWSTR>(realloc(m_pstr, (nNewLength + 1) * sizeof(wchar_t)));
            if (p == NULL) return;
            m_pstr = p;
        }
    } else if (!IsInline()) {
        wcscpy(m_szBuffer, m_pstr);
        free(m_pstr);
        m_pstr = m_szBuffer;
    }
    wcscat(m_pstr, pstr);
}

void CSkinString::Assign(LPCWSTR pstr, int nLength)
{
    if (pstr == NULL) pstr = L"";
    if (nLength < 0) nLength = static_cast<int>(wcslen(pstr));
    // Freeing or moving our block, or copying over itself, would spoil such a source.
    if (Owns(pstr)) {
        const CSkinString copy(pstr, nLength);
        Assign(copy.m_pstr, nLength);
        return;
    }
    if (nLength <= kMaxInline) {
        if (!IsInline()) {
            free(m_pstr);
            m_pstr = m_szBuffer;
        }
    } else if (IsInline() || nLength > GetLength()) {
        LPWSTR pOld = IsInline() ? NULL : m_pstr;
        LPWSTR p = static_cast<LPWSTR>(realloc(pOld, (nLength + 1) * sizeof(wchar_t)));
        if (p == NULL) return;
        m_pstr = p;
    }
    wcsncpy(m_pstr, pstr, nLength);
    m_pstr[nLength] = L'\0';
}

LPCWSTR CSkinString::GetData() const
{
    return m_pstr;
}

void CSkinString::SetAt(int nIndex, wchar_t ch)
{
    m_pstr[nIndex] = ch;
}

CSkinString::operator LPCWSTR() const
{
    return m_pstr;
}

wchar_t CSkinString::operator[](int nIndex) const
{
    return m_pstr[nIndex];
}

const CSkinString& CSkinString::operator=(const CSkinString& src)
{
    Assign(src.m_pstr);
    return *this;
}

const CSkinString& CSkinString::operator=(LPCWSTR pstr)
{
    if (pstr == NULL)
        Empty();
    else
        Assign(pstr);
    return *this;
}

const CSkinString& CSkinString::operator=(LPCSTR lpStr)
{
    if (lpStr == NULL) {
        Empty();
        return *this;
    }
    wchar_t* w = WidenAnsi(lpStr);
    if (w != NULL) {
        Assign(w);
        free(w);
    }
    return *this;
}

const CSkinString& CSkinString::operator+=(LPCSTR lpStr)
{
    if (lpStr == NULL) return *this;
    wchar_t* w = WidenAnsi(lpStr);
    if (w != NULL) {
        Append(w);
        free(w);
    }
    return *this;
}

const CSkinString& CSkinString::operator=(const wchar_t ch)
{
    Empty();
    m_szBuffer[0] = ch;
    m_szBuffer[1] = L'\0';
    return *this;
}

CSkinString CSkinString::operator+(const CSkinString& src) const
{
    CSkinString sTemp(*this);
    sTemp.Append(src.m_pstr);
    return sTemp;
}

CSkinString CSkinString::operator+(LPCWSTR pstr) const
{
    CSkinString sTemp(*this);
    if (pstr != NULL) sTemp.Append(pstr);
    return sTemp;
}

const CSkinString& CSkinString::operator+=(const CSkinString& src)
{
    Append(src.m_pstr);
    return *this;
}

const CSkinString& CSkinString::operator+=(LPCWSTR pstr)
{
    if (pstr != NULL) Append(pstr);
    return *this;
}

const CSkinString& CSkinString::operator+=(const wchar_t ch)
{
    const wchar_t str[] = { ch, L'\0' };
    Append(str);
    return *this;
}

bool CSkinString::operator==(LPCWSTR str) const
{
    return Compare(str) == 0;
}
bool CSkinString::operator!=(LPCWSTR str) const
{
    return Compare(str) != 0;
}
bool CSkinString::operator<=(LPCWSTR str) const
{
    return Compare(str) <= 0;
}
bool CSkinString::operator<(LPCWSTR str) const
{
    return Compare(str) < 0;
}
bool CSkinString::operator>=(LPCWSTR str) const
{
    return Compare(str) >= 0;
}
bool CSkinString::operator>(LPCWSTR str) const
{
    return Compare(str) > 0;
}

int CSkinString::Compare(LPCWSTR pstr) const
{
    return wcscmp(m_pstr, pstr != NULL ? pstr : L"");
}

int CSkinString::CompareNoCase(LPCWSTR pstr) const
{
    return _wcsicmp(m_pstr, pstr != NULL ? pstr : L"");
}

void CSkinString::MakeUpper()
{
    _wcsupr(m_pstr);
}

void CSkinString::MakeLower()
{
    _wcslwr(m_pstr);
}

CSkinString CSkinString::Left(int nLength) const
{
    const int nLen = GetLength();
    if (nLength < 0) nLength = 0;
    if (nLength > nLen) nLength = nLen;
    return CSkinString(m_pstr, nLength);
}

CSkinString CSkinString::Mid(int iPos, int nLength) const
{
    const int nLen = GetLength();
    if (iPos < 0) iPos = 0;
    if (iPos > nLen) iPos = nLen;
    if (nLength < 0 || nLength > nLen - iPos) nLength = nLen - iPos;
    if (nLength <= 0) return CSkinString();
    return CSkinString(m_pstr + iPos, nLength);
}

CSkinString CSkinString::Right(int nLength) const
{
    const int nLen = GetLength();
    if (nLength < 0) nLength = 0;
    if (nLength > nLen) nLength = nLen;
    return CSkinString(m_pstr + nLen - nLength, nLength);
}

int CSkinString::Find(wchar_t ch, int iPos) const
{
    if (iPos != 0 && (iPos < 0 || iPos >= GetLength())) return -1;
    LPCWSTR p = wcschr(m_pstr + iPos, ch);
    return p == NULL ? -1 : static_cast<int>(p - m_pstr);
}

int CSkinString::Find(LPCWSTR pstr, int iPos) const
{
    if (pstr == NULL) return -1;
    if (iPos != 0 && (iPos < 0 || iPos > GetLength())) return -1;
    // An empty text is found where the search starts. Wine's wcsstr finds nothing in an
    // empty remainder, Windows' finds the start: decide it here for both.
    if (pstr[0] == L'\0') return iPos;
    LPCWSTR p = wcsstr(m_pstr + iPos, pstr);
    return p == NULL ? -1 : static_cast<int>(p - m_pstr);
}

int CSkinString::ReverseFind(wchar_t ch) const
{
    LPCWSTR p = wcsrchr(m_pstr, ch);
    return p == NULL ? -1 : static_cast<int>(p - m_pstr);
}

int CSkinString::Replace(LPCWSTR pstrFrom, LPCWSTR pstrTo)
{
    // An empty pattern would match at every resume point and never end.
    if (pstrFrom == NULL || pstrFrom[0] == L'\0') return 0;
    // Private copies: either text may lie inside this string, which is rebuilt below.
    const CSkinString sFrom(pstrFrom);
    const CSkinString sTo(pstrTo);
    const int nFrom = sFrom.GetLength();
    const int nTo = sTo.GetLength();
    int nCount = 0;
    int iPos = Find(sFrom);
    while (iPos >= 0) {
        *this = Left(iPos) + sTo + Mid(iPos + nFrom);
        ++nCount;
        // Resume behind the inserted text, so a replacement that contains the pattern ends.
        iPos = Find(sFrom, iPos + nTo);
    }
    return nCount;
}

int CSkinString::FormatV(LPCWSTR pstrFormat, va_list Args)
{
    if (pstrFormat == NULL) {
        Empty();
        return -1;
    }
    // Count with the function made for it: a counted formatter given no room returns -1 on
    // Windows instead of the length.
    va_list argsCount;
    va_copy(argsCount, Args);
    const int nLength = _vscwprintf(pstrFormat, argsCount);
    va_end(argsCount);
    if (nLength < 0) {
        Empty();
        return -1;
    }
    wchar_t* pBuf = static_cast<wchar_t*>(calloc(static_cast<size_t>(nLength) + 1, sizeof(wchar_t)));
    if (pBuf == NULL) {
        Empty();
        return -1;
    }
    const int nResult = _vsnwprintf(pBuf, static_cast<size_t>(nLength) + 1, pstrFormat, Args);
    pBuf[nLength] = L'\0';
    Assign(pBuf);
    free(pBuf);
    return nResult;
}

int CSkinString::Format(LPCWSTR pstrFormat, ...)
{
    va_list Args;
    va_start(Args, pstrFormat);
    const int nResult = FormatV(pstrFormat, Args);
    va_end(Args);
    return nResult;
}

int CSkinString::SmallFormat(LPCWSTR pstrFormat, ...)
{
    if (pstrFormat == NULL) {
        Empty();
        return -1;
    }
    const CSkinString sFormat(pstrFormat);
    wchar_t szBuffer[MAX_LOCAL_STRING_LEN + 1] = { 0 };
    va_list Args;
    va_start(Args, pstrFormat);
    const int nResult = _vsnwprintf(szBuffer, MAX_LOCAL_STRING_LEN, sFormat.m_pstr, Args);
    va_end(Args);
    szBuffer[MAX_LOCAL_STRING_LEN] = L'\0';
    Assign(szBuffer);
    return nResult;
}

} // namespace SkinUI
