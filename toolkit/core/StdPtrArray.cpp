#include "core/StdPtrArray.h"
#include <limits.h>
#include <stdlib.h>
#include <string.h>

namespace SkinUI {

CStdPtrArray::CStdPtrArray(int iPreallocSize)
    : m_ppVoid(NULL), m_nCount(0), m_nAllocated(iPreallocSize > 0 ? iPreallocSize : 0)
{
    if (m_nAllocated > 0) {
        m_ppVoid = static_cast<LPVOID*>(malloc(m_nAllocated * sizeof(LPVOID)));
        if (m_ppVoid == NULL) m_nAllocated = 0;
    }
}

CStdPtrArray::CStdPtrArray(const CStdPtrArray& src) : m_ppVoid(NULL), m_nCount(0), m_nAllocated(0)
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
    m_nCount = m_nAllocated = 0;
}

void CStdPtrArray::Resize(int iSize)
{
    Empty();
    if (iSize <= 0) return;
    m_ppVoid = static_cast<LPVOID*>(calloc(iSize, sizeof(LPVOID)));
    if (m_ppVoid == NULL) return;
    m_nCount = m_nAllocated = iSize;
}

bool CStdPtrArray::IsEmpty() const
{
    return m_nCount == 0;
}

// Makes room for one more item, keeping the capacity above the count. On failure nothing
// changes.
bool CStdPtrArray::Grow()
{
    if (m_nCount + 1 < m_nAllocated) return true;
    if (m_nAllocated > INT_MAX / 2 || static_cast<size_t>(m_nAllocated) * 2 > SIZE_MAX / sizeof(LPVOID)) return false;
    const int nAllocated = m_nAllocated == 0 ? 11 : m_nAllocated * 2;
    LPVOID* p = static_cast<LPVOID*>(realloc(m_ppVoid, nAllocated * sizeof(LPVOID)));
    if (p == NULL) return false;
    m_ppVoid = p;
    m_nAllocated = nAllocated;
    return true;
}

bool CStdPtrArray::Add(LPVOID pData)
{
    if (!Grow()) return false;
    m_ppVoid[m_nCount++] = pData;
    return true;
}

bool CStdPtrArray::InsertAt(int iIndex, LPVOID pData)
{
    if (iIndex == m_nCount) return Add(pData);
    if (iIndex < 0 || iIndex > m_nCount) return false;
    if (!Grow()) return false;
    memmove(&m_ppVoid[iIndex + 1], &m_ppVoid[iIndex], (m_nCount - iIndex) * sizeof(LPVOID));
    m_ppVoid[iIndex] = pData;
    m_nCount++;
    return true;
}

bool CStdPtrArray::SetAt(int iIndex, LPVOID pData)
{
    if (iIndex < 0 || iIndex >= m_nCount) return false;
    m_ppVoid[iIndex] = pData;
    return true;
}

bool CStdPtrArray::Remove(int iIndex)
{
    if (iIndex < 0 || iIndex >= m_nCount) return false;
    if (iIndex < --m_nCount) memmove(&m_ppVoid[iIndex], &m_ppVoid[iIndex + 1], (m_nCount - iIndex) * sizeof(LPVOID));
    return true;
}

int CStdPtrArray::Find(LPVOID iIndex) const
{
    for (int i = 0; i < m_nCount; i++)
        if (m_ppVoid[i] == iIndex) return i;
    return -1;
}

int CStdPtrArray::GetSize() const
{
    return m_nCount;
}

LPVOID* CStdPtrArray::GetData()
{
    return m_ppVoid;
}

LPVOID CStdPtrArray::GetAt(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_nCount) return NULL;
    return m_ppVoid[iIndex];
}

LPVOID CStdPtrArray::operator[](int iIndex) const
{
    return m_ppVoid[iIndex];
}

} // namespace SkinUI
