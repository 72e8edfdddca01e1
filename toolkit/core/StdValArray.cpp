#include "core/StdValArray.h"
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace SkinUI {

namespace {

// Bytes for n elements, at least one so that a zero size never reads as a failed
// allocation; 0 when the product does not fit.
size_t BlockSize(int nElements, int iElementSize)
{
    const size_t n = static_cast<size_t>(nElements);
    const size_t size = static_cast<size_t>(iElementSize);
    if (size != 0 && n > SIZE_MAX / size) return 0;
    return n * size > 0 ? n * size : 1;
}

} // namespace

CStdValArray::CStdValArray(int iElementSize, int iPreallocSize)
    : m_pVoid(NULL), m_iElementSize(iElementSize > 0 ? iElementSize : 0), m_nCount(0),
      m_nAllocated(iPreallocSize > 0 ? iPreallocSize : 0)
{
    if (m_nAllocated > 0) {
        const size_t bytes = BlockSize(m_nAllocated, m_iElementSize);
        m_pVoid = bytes != 0 ? static_cast<LPBYTE>(malloc(bytes)) : NULL;
        if (m_pVoid == NULL) m_nAllocated = 0;
    }
}

CStdValArray::CStdValArray(const CStdValArray& src)
    : m_pVoid(NULL), m_iElementSize(src.m_iElementSize), m_nCount(0), m_nAllocated(0)
{
    for (int i = 0; i < src.GetSize(); i++) Add(src.GetAt(i));
}

CStdValArray& CStdValArray::operator=(const CStdValArray& src)
{
    if (this != &src) {
        free(m_pVoid);
        m_pVoid = NULL;
        m_nCount = m_nAllocated = 0;
        m_iElementSize = src.m_iElementSize;
        for (int i = 0; i < src.GetSize(); i++) Add(src.GetAt(i));
    }
    return *this;
}

CStdValArray::~CStdValArray()
{
    free(m_pVoid);
}

void CStdValArray::Empty()
{
    m_nCount = 0;
}

bool CStdValArray::IsEmpty() const
{
    return m_nCount == 0;
}

bool CStdValArray::Add(LPCVOID pData)
{
    // The element may be one of our own: remember where it lies, since growing the block
    // frees the old one.
    const uintptr_t begin = reinterpret_cast<uintptr_t>(m_pVoid);
    const uintptr_t at = reinterpret_cast<uintptr_t>(pData);
    const bool bOwn = m_pVoid != NULL && at >= begin &&
                      at < begin + static_cast<size_t>(m_nCount) * static_cast<size_t>(m_iElementSize);
    // Grows like the pointer array: the capacity stays above the count; on failure the
    // array is left as it was.
    if (m_nCount + 1 >= m_nAllocated) {
        if (m_nAllocated > INT_MAX / 2) return false;
        const int nAllocated = m_nAllocated == 0 ? 11 : m_nAllocated * 2;
        const size_t bytes = BlockSize(nAllocated, m_iElementSize);
        if (bytes == 0) return false;
        LPBYTE p = static_cast<LPBYTE>(realloc(m_pVoid, bytes));
        if (p == NULL) return false;
        if (bOwn) pData = p + (at - begin);
        m_pVoid = p;
        m_nAllocated = nAllocated;
    }
    LPBYTE pSlot = m_pVoid + static_cast<size_t>(m_nCount) * m_iElementSize;
    if (pData != NULL)
        memcpy(pSlot, pData, m_iElementSize);
    else
        memset(pSlot, 0, m_iElementSize);
    m_nCount++;
    return true;
}

bool CStdValArray::Remove(int iIndex)
{
    if (iIndex < 0 || iIndex >= m_nCount) return false;
    if (iIndex < --m_nCount) {
        LPBYTE pSlot = m_pVoid + static_cast<size_t>(iIndex) * m_iElementSize;
        memmove(pSlot, pSlot + m_iElementSize, static_cast<size_t>(m_nCount - iIndex) * m_iElementSize);
    }
    return true;
}

int CStdValArray::GetSize() const
{
    return m_nCount;
}

LPVOID CStdValArray::GetData()
{
    return m_pVoid;
}

LPVOID CStdValArray::GetAt(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_nCount) return NULL;
    return m_pVoid + static_cast<size_t>(iIndex) * m_iElementSize;
}

LPVOID CStdValArray::operator[](int iIndex) const
{
    return m_pVoid + static_cast<size_t>(iIndex) * m_iElementSize;
}

} // namespace SkinUI
