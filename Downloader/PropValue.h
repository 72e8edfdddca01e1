#pragma once
// Property values the archive library hands out, and the few conversions the extraction
// needs from them.

#include "SevenZipInterfaces.h"

#include <windows.h>

// Owns one PROPVARIANT and frees what the library put into it on every path.
class PropValue {
public:
    PropValue() { PropVariantInit(&m_value); }
    ~PropValue() { PropVariantClear(&m_value); }
    PropValue(const PropValue&) = delete;
    PropValue& operator=(const PropValue&) = delete;
    PROPVARIANT* operator&() { return &m_value; }
    const PROPVARIANT& operator*() const { return m_value; }

private:
    PROPVARIANT m_value;
};

// Reads the folder property of an item: a boolean gives its value, empty gives false, any
// other type E_FAIL.
HRESULT IsArchiveItemFolder(IInArchive* archive, UINT32 index, bool& isFolder);

// Unsigned integer values of 8 to 64 bits convert; empty leaves `defined` false; any other
// type is E_INVALIDARG.
HRESULT PropVariantToUInt64(const PROPVARIANT& value, UINT64& result, bool& defined);
