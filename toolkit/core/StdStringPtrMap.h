#pragma once
#include "core/SkinDefs.h"

namespace SkinUI {

// Hash map from text to an untyped pointer. The map owns its items and their keys, never
// the data. A hit moves the item to the front of its bucket, so repeated look-ups of the
// same key stay short.
class SKINUI_API CStdStringPtrMap {
public:
    CStdStringPtrMap(int nSize = 83);
    ~CStdStringPtrMap();
    CStdStringPtrMap(const CStdStringPtrMap&) = delete;
    CStdStringPtrMap& operator=(const CStdStringPtrMap&) = delete;

    void Resize(int nSize = 83);
    LPVOID Find(LPCWSTR key, bool optimize = true) const;
    bool Insert(LPCWSTR key, LPVOID pData);
    LPVOID Set(LPCWSTR key, LPVOID pData);
    bool Remove(LPCWSTR key);
    void RemoveAll();
    int GetSize() const;
    LPCWSTR GetAt(int iIndex) const;
    LPCWSTR operator[](int nIndex) const;

protected:
    struct TITEM;
    TITEM** m_aT;
    int m_nBuckets;
    int m_nCount;

private:
    TITEM* Lookup(LPCWSTR key, bool optimize) const;
    void DeleteAll();
};

} // namespace SkinUI
