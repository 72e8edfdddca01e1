#pragma once
#include "core/SkinDefs.h"

namespace SkinUI {

class CMarkup;

// A light cursor over one element of a parsed document; copied freely. It points into its
// reader and means nothing once the reader is released or reloaded. Every operation on an
// invalid node answers null, false or an invalid node.
class SKINUI_API CMarkupNode {
    friend class CMarkup;

public:
    CMarkupNode();

    bool IsValid() const;

    CMarkupNode GetParent();
    CMarkupNode GetSibling();
    CMarkupNode GetChild();
    // The first child whose name equals pstrName exactly.
    CMarkupNode GetChild(LPCTSTR pstrName);

    bool HasSiblings() const;
    bool HasChildren() const;
    LPCTSTR GetName() const;
    // The element's text up to its first child element, entities replaced.
    LPCTSTR GetValue() const;

    // Attributes are located on the first request; at most MAX_XML_ATTRIBUTES are seen.
    // An index out of range or an absent name gives the empty text.
    bool HasAttributes();
    bool HasAttribute(LPCTSTR pstrName);
    int GetAttributeCount();
    LPCTSTR GetAttributeName(int iIndex);
    LPCTSTR GetAttributeValue(int iIndex);
    LPCTSTR GetAttributeValue(LPCTSTR pstrName);
    // Copy at most cchMax - 1 units and a terminator; false when there is nothing to copy.
    bool GetAttributeValue(int iIndex, LPTSTR pstrValue, SIZE_T cchMax);
    bool GetAttributeValue(LPCTSTR pstrName, LPTSTR pstrValue, SIZE_T cchMax);

private:
    CMarkupNode(CMarkup* pOwner, int iPos);
    void _MapAttributes();

    enum { MAX_XML_ATTRIBUTES = 64 };

    typedef struct {
        ULONG iName;
        ULONG iValue;
    } XMLATTRIBUTE;

    int m_iPos;
    int m_nAttributes;
    XMLATTRIBUTE m_aAttributes[MAX_XML_ATTRIBUTES];
    CMarkup* m_pOwner;
};

// Encodings of LoadFromMem; any value other than UTF-8 and ANSI means UTF-16 with a mark.
enum { XMLFILE_ENCODING_UTF8 = 0, XMLFILE_ENCODING_UNICODE = 1, XMLFILE_ENCODING_ANSI = 2 };

// Reads the skin dialect of XML into a flat element table. The document is copied once
// into a private UTF-16 buffer and parsed in place: terminators and blanks are written into
// the copy, and elements keep only offsets into it.
class SKINUI_API CMarkup {
    friend class CMarkupNode;

public:
    CMarkup(LPCTSTR pstrXML = NULL);
    ~CMarkup();
    CMarkup(const CMarkup&) = delete;
    CMarkup& operator=(const CMarkup&) = delete;

    bool Load(LPCTSTR pstrXML);
    bool LoadFromMem(BYTE* pByte, DWORD dwSize, int encoding = XMLFILE_ENCODING_UTF8);
    void Release();
    bool IsValid() const;

    void SetPreserveWhitespace(bool bPreserve = true);
    // Copy at most cchMax - 1 units and a terminator.
    void GetLastErrorMessage(LPTSTR pstrMessage, SIZE_T cchMax) const;
    void GetLastErrorLocation(LPTSTR pstrSource, SIZE_T cchMax) const;

    CMarkupNode GetRoot();

    // Input larger than this many bytes is refused.
    enum { MAX_DOCUMENT_BYTES = 0x400000 };
    // Deeper element nesting is refused instead of running out of stack.
    enum { MAX_NESTING = 1000 };

private:
    typedef struct tagXMLELEMENT {
        ULONG iStart;
        ULONG iChild;
        ULONG iNext;
        ULONG iParent;
        ULONG iData;
    } XMLELEMENT;

    bool _Parse();
    bool _Parse(LPTSTR& pstrText, ULONG iParent, unsigned nDepth);
    bool _ParseAttributes(LPTSTR& pstrText);
    LPTSTR _ParseData(LPTSTR& pstrText, TCHAR cEnd);
    void _ParseMetaChar(LPTSTR& pstrText, LPTSTR& pstrDest);
    XMLELEMENT* _ReserveElement(ULONG& iPos);
    bool _Failed(LPCTSTR pstrError, LPCTSTR pstrLocation = NULL);
    void _ClearErrors();
    ULONG _Offset(LPCTSTR p) const { return static_cast<ULONG>(p - m_pstrXML); }

    LPTSTR m_pstrXML;
    XMLELEMENT* m_pElements;
    ULONG m_nElements;
    ULONG m_nReservedElements;
    TCHAR m_szErrorMsg[100];
    TCHAR m_szErrorXML[50];
    bool m_bPreserveWhitespace;
};

} // namespace SkinUI
