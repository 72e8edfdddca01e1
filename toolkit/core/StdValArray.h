#pragma once
#include "core/SkinDefs.h"

namespace SkinUI {

// Growable array of values of one fixed size, copied in byte by byte.
class SKINUI_API CStdValArray {
public:
    CStdValArray(int iElementSize, int iPreallocSize = 0);
    CStdValArray(const CStdValArray& src);
    CStdValArray& operator=(const CStdValArray& src);
    ~CStdValArray();

    void Empty();
    bool IsEmpty() const;
    bool Add(LPCVOID pData);
    bool Remove(int iIndex);
    int GetSize() const;
    LPVOID GetData();

    LPVOID GetAt(int iIndex) const;
    LPVOID operator[](int nIndex) const;

protected:
    LPBYTE m_pVoid;
    int m_iElementSize;
    int m_nCount;
    int m_nAllocated;
};

} // namespace SkinUI
