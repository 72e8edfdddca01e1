#pragma once
#include "core/SkinDefs.h"
#include <stdarg.h>

namespace SkinUI {

// UTF-16 string value. Short text (the common case: names, attribute values, notification
// types) lives in the object itself; longer text goes to a heap block. The length is never
// stored: it is counted each time.
class SKINUI_API CSkinString {
public:
    // Units of the inline buffer; text of up to MAX_LOCAL_STRING_LEN - 1 characters fits.
    enum { MAX_LOCAL_STRING_LEN = 63 };

    CSkinString();
    CSkinString(const wchar_t ch);
    CSkinString(const CSkinString& src);
    CSkinString(LPCWSTR lpsz, int nLen = -1);
    ~CSkinString();

    void Empty();
    int GetLength() const;
    bool IsEmpty() const;
    wchar_t GetAt(int nIndex) const;
    void Append(LPCWSTR pstr);
    void Assign(LPCWSTR pstr, int nLength = -1);
    LPCWSTR GetData() const;

    void SetAt(int nIndex, wchar_t ch);
    operator LPCWSTR() const;

    wchar_t operator[](int nIndex) const;
    const CSkinString& operator=(const CSkinString& src);
    const CSkinString& operator=(const wchar_t ch);
    const CSkinString& operator=(LPCWSTR pstr);
    // Narrow text is read in the system's ANSI code page.
    const CSkinString& operator=(LPCSTR lpStr);
    const CSkinString& operator+=(LPCSTR lpStr);

    CSkinString operator+(const CSkinString& src) const;
    CSkinString operator+(LPCWSTR pstr) const;
    const CSkinString& operator+=(const CSkinString& src);
    const CSkinString& operator+=(LPCWSTR pstr);
    const CSkinString& operator+=(const wchar_t ch);

    bool operator==(LPCWSTR str) const;
    bool operator!=(LPCWSTR str) const;
    bool operator<=(LPCWSTR str) const;
    bool operator<(LPCWSTR str) const;
    bool operator>=(LPCWSTR str) const;
    bool operator>(LPCWSTR str) const;

    int Compare(LPCWSTR pstr) const;
    int CompareNoCase(LPCWSTR pstr) const;

    void MakeUpper();
    void MakeLower();

    CSkinString Left(int nLength) const;
    CSkinString Mid(int iPos, int nLength = -1) const;
    CSkinString Right(int nLength) const;

    int Find(wchar_t ch, int iPos = 0) const;
    int Find(LPCWSTR pstr, int iPos = 0) const;
    int ReverseFind(wchar_t ch) const;
    int Replace(LPCWSTR pstrFrom, LPCWSTR pstrTo);

    // Unbounded printf-style formatting; returns the number of characters, or -1 (and an
    // empty string) when the format cannot be expanded.
    int __cdecl Format(LPCWSTR pstrFormat, ...);
    // The va_list form has its own name: as an overload of Format it would take a literal 0
    // argument (Format(L"%d", 0)) for a null va_list.
    int FormatV(LPCWSTR pstrFormat, va_list Args);
    // Formatting limited to MAX_LOCAL_STRING_LEN characters: returns -1 when cut.
    int __cdecl SmallFormat(LPCWSTR pstrFormat, ...);

protected:
    LPWSTR m_pstr;
    wchar_t m_szBuffer[MAX_LOCAL_STRING_LEN + 1];

private:
    bool IsInline() const { return m_pstr == m_szBuffer; }
    bool Owns(LPCWSTR p) const;
};

// Equality with the text on the left: without these, L"abc" == s would compare addresses.
inline bool operator==(LPCWSTR str, const CSkinString& s)
{
    return s == str;
}
inline bool operator!=(LPCWSTR str, const CSkinString& s)
{
    return s != str;
}
inline bool operator==(const CSkinString& a, const CSkinString& b)
{
    return a == b.GetData();
}
inline bool operator!=(const CSkinString& a, const CSkinString& b)
{
    return a != b.GetData();
}

} // namespace SkinUI
