#pragma once
#include "core/SkinDefs.h"

namespace SkinUI {

// Growable array of untyped pointers; it never owns what the pointers point at.
//
// The spare capacity is kept as a gap at the place of the last insertion or removal, so that
// a run of inserts or removals at one place, or moving forwards through the array (a folder
// filled near the top of a long list), moves each item once instead of once per change.
// GetData closes the gap and answers the items in one block.
class SKINUI_API CStdPtrArray {
public:
    CStdPtrArray(int iPreallocSize = 0);
    CStdPtrArray(const CStdPtrArray& src);
    CStdPtrArray& operator=(const CStdPtrArray& src);
    ~CStdPtrArray();

    void Empty();
    void Resize(int iSize);
    bool IsEmpty() const;
    int Find(LPVOID iIndex) const;
    bool Add(LPVOID pData);
    bool SetAt(int iIndex, LPVOID pData);
    bool InsertAt(int iIndex, LPVOID pData);
    bool Remove(int iIndex);
    int GetSize() const;
    LPVOID* GetData();

    LPVOID GetAt(int iIndex) const;
    LPVOID operator[](int nIndex) const;

protected:
    LPVOID* m_ppVoid;
    int m_nCount;
    int m_nAllocated;
    // Items [0, m_iGap) stand at the start, the rest after the m_nAllocated - m_nCount spare
    // slots that follow them.
    int m_iGap;

private:
    bool Grow();
    // Where item iIndex is stored.
    int Slot(int iIndex) const { return iIndex < m_iGap ? iIndex : iIndex + (m_nAllocated - m_nCount); }
    // Moves the spare slots to stand before item iIndex (0..m_nCount).
    void MoveGap(int iIndex);
};

} // namespace SkinUI
