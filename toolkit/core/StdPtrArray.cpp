#include "core/StdPtrArray.h"
#include <limits.h>
#include <stdlib.h>
#include <string.h>

namespace SkinUI {

CStdPtrArray::CStdPtrArray(int iPreallocSize)
    : m_ppVoid(NULL), m_nCount(0), m_nAllocated(iPreallocSize > 0 ? iPreallocSize : 0), m_iGap(0)
{
    if (m_nAllocated > 0) {
        m_ppVoid = static_cast<LPVOID*>(malloc(m_nAllocated * sizeof(LPVOID)));
        if (m_ppVoid == NULL) m_nAllocated = 0;
    }
}

CStdPtrArray::CStdPtrArray(const CStdPtrArray& src) : m_ppVoid(NULL), m_nCount(0), m_nAllocated(0), m_iGap(0)
{
    for (int i = 0; i < src.GetSize(); i++) Add(src.GetAt(i));
}

CStdPtrArray& CStdPtrArray::operator=(const CStdPtrArray& src)
{
    if (this != &src) {
        Empty();
        for (int i = 0; i < src.GetSize(); i++) Add(src.GetAt(i));
    }
    return *this;
}

CStdPtrArray::~CStdPtrArray()
{
    free(m_ppVoid);
}

void CStdPtrArray::Empty()
{
    free(m_ppVoid);
    m_ppVoid = NULL;
    m_nCount = m_nAllocated = m_iGap = 0;
}

void CStdPtrArray::Resize(int iSize)
{
    Empty();
    if (iSize <= 0) return;
    m_ppVoid = static_cast<LPVOID*>(calloc(iSize, sizeof(LPVOID)));
    if (m_ppVoid == NULL) return;
    m_nCount = m_nAllocated = m_iGap = iSize;
}

bool CStdPtrArray::IsEmpty() const
{
    return m_nCount == 0;
}

void CStdPtrArray::MoveGap(int iIndex)
{
    const int nSpare = m_nAllocated - m_nCount;
    if (nSpare > 0 && iIndex < m_iGap)
        memmove(&m_ppVoid[iIndex + nSpare], &m_ppVoid[iIndex], (m_iGap - iIndex) * sizeof(LPVOID));
    else if (nSpare > 0 && iIndex > m_iGap)
        memmove(&m_ppVoid[m_iGap], &m_ppVoid[m_iGap + nSpare], (iIndex - m_iGap) * sizeof(LPVOID));
    m_iGap = iIndex;
}

// Makes room for one more item, keeping the capacity above the count. On failure nothing
// changes.
bool CStdPtrArray::Grow()
{
    if (m_nCount + 1 < m_nAllocated) return true;
    if (m_nAllocated > INT_MAX / 2 || static_cast<size_t>(m_nAllocated) * 2 > SIZE_MAX / sizeof(LPVOID)) return false;
    const int nAllocated = m_nAllocated == 0 ? 11 : m_nAllocated * 2;
    // The items in one block first: the new slots join the gap at the end.
    MoveGap(m_nCount);
    LPVOID* p = static_cast<LPVOID*>(realloc(m_ppVoid, nAllocated * sizeof(LPVOID)));
    if (p == NULL) return false;
    m_ppVoid = p;
    m_nAllocated = nAllocated;
    return true;
}

bool CStdPtrArray::Add(LPVOID pData)
{
    return InsertAt(m_nCount, pData);
}

bool CStdPtrArray::InsertAt(int iIndex, LPVOID pData)
{
    if (iIndex < 0 || iIndex > m_nCount) return false;
    if (!Grow()) return false;
    MoveGap(iIndex);
    m_ppVoid[iIndex] = pData;
    m_iGap = iIndex + 1;
    m_nCount++;
    return true;
}

bool CStdPtrArray::SetAt(int iIndex, LPVOID pData)
{
    if (iIndex < 0 || iIndex >= m_nCount) return false;
    m_ppVoid[Slot(iIndex)] = pData;
    return true;
}

bool CStdPtrArray::Remove(int iIndex)
{
    if (iIndex < 0 || iIndex >= m_nCount) return false;
    // The item ends the first block and then joins the gap.
    MoveGap(iIndex + 1);
    m_iGap = iIndex;
    m_nCount--;
    return true;
}

int CStdPtrArray::Find(LPVOID iIndex) const
{
    const int nSpare = m_nAllocated - m_nCount;
    for (int i = 0; i < m_iGap; i++)
        if (m_ppVoid[i] == iIndex) return i;
    for (int i = m_iGap; i < m_nCount; i++)
        if (m_ppVoid[i + nSpare] == iIndex) return i;
    return -1;
}

int CStdPtrArray::GetSize() const
{
    return m_nCount;
}

LPVOID* CStdPtrArray::GetData()
{
    MoveGap(m_nCount);
    return m_ppVoid;
}

LPVOID CStdPtrArray::GetAt(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_nCount) return NULL;
    return m_ppVoid[Slot(iIndex)];
}

LPVOID CStdPtrArray::operator[](int iIndex) const
{
    return m_ppVoid[Slot(iIndex)];
}

} // namespace SkinUI
