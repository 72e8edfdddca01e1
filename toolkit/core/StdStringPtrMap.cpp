#include "core/StdStringPtrMap.h"
#include "core/SkinString.h"

namespace SkinUI {

struct CStdStringPtrMap::TITEM {
    CSkinString Key;
    LPVOID Data;
    TITEM* pPrev;
    TITEM* pNext;
};

namespace {

UINT HashKey(LPCWSTR key)
{
    UINT h = 0;
    for (size_t i = wcslen(key); i > 0; i--) h = h * 33 + key[i - 1];
    return h;
}

} // namespace

CStdStringPtrMap::CStdStringPtrMap(int nSize) : m_aT(NULL), m_nBuckets(0), m_nCount(0)
{
    if (nSize < 16) nSize = 16;
    m_aT = new TITEM*[nSize]();
    m_nBuckets = nSize;
}

CStdStringPtrMap::~CStdStringPtrMap()
{
    DeleteAll();
    delete[] m_aT;
}

void CStdStringPtrMap::DeleteAll()
{
    for (int i = 0; i < m_nBuckets; i++) {
        TITEM* pItem = m_aT[i];
        while (pItem != NULL) {
            TITEM* pNext = pItem->pNext;
            delete pItem;
            pItem = pNext;
        }
        m_aT[i] = NULL;
    }
    m_nCount = 0;
}

void CStdStringPtrMap::Resize(int nSize)
{
    DeleteAll();
    delete[] m_aT;
    m_aT = NULL;
    m_nBuckets = 0;
    if (nSize > 0) {
        m_aT = new TITEM*[nSize]();
        m_nBuckets = nSize;
    }
}

CStdStringPtrMap::TITEM* CStdStringPtrMap::Lookup(LPCWSTR key, bool optimize) const
{
    if (m_nBuckets == 0 || key == NULL) return NULL;
    const UINT slot = HashKey(key) % static_cast<UINT>(m_nBuckets);
    for (TITEM* pItem = m_aT[slot]; pItem != NULL; pItem = pItem->pNext) {
        if (pItem->Key != key) continue;
        if (optimize && pItem != m_aT[slot]) {
            // Move to the front: the next look-up of this key ends at once.
            pItem->pPrev->pNext = pItem->pNext;
            if (pItem->pNext != NULL) pItem->pNext->pPrev = pItem->pPrev;
            pItem->pPrev = NULL;
            pItem->pNext = m_aT[slot];
            m_aT[slot]->pPrev = pItem;
            m_aT[slot] = pItem;
        }
        return pItem;
    }
    return NULL;
}

LPVOID CStdStringPtrMap::Find(LPCWSTR key, bool optimize) const
{
    if (m_nCount == 0) return NULL;
    TITEM* pItem = Lookup(key, optimize);
    return pItem != NULL ? pItem->Data : NULL;
}

bool CStdStringPtrMap::Insert(LPCWSTR key, LPVOID pData)
{
    if (m_nBuckets == 0 || key == NULL) return false;
    // Presence is decided by the key, so a key held with null data is not stored twice.
    if (Lookup(key, true) != NULL) return false;
    const UINT slot = HashKey(key) % static_cast<UINT>(m_nBuckets);
    TITEM* pItem = new TITEM;
    pItem->Key = key;
    pItem->Data = pData;
    pItem->pPrev = NULL;
    pItem->pNext = m_aT[slot];
    if (pItem->pNext != NULL) pItem->pNext->pPrev = pItem;
    m_aT[slot] = pItem;
    m_nCount++;
    return true;
}

LPVOID CStdStringPtrMap::Set(LPCWSTR key, LPVOID pData)
{
    if (m_nBuckets == 0 || key == NULL) return pData;
    TITEM* pItem = Lookup(key, false);
    if (pItem != NULL) {
        LPVOID pOld = pItem->Data;
        pItem->Data = pData;
        return pOld;
    }
    Insert(key, pData);
    return NULL;
}

bool CStdStringPtrMap::Remove(LPCWSTR key)
{
    if (m_nBuckets == 0 || key == NULL) return false;
    const UINT slot = HashKey(key) % static_cast<UINT>(m_nBuckets);
    for (TITEM* pItem = m_aT[slot]; pItem != NULL; pItem = pItem->pNext) {
        if (pItem->Key != key) continue;
        if (pItem->pPrev != NULL)
            pItem->pPrev->pNext = pItem->pNext;
        else
            m_aT[slot] = pItem->pNext;
        if (pItem->pNext != NULL) pItem->pNext->pPrev = pItem->pPrev;
        delete pItem;
        m_nCount--;
        return true;
    }
    return false;
}

void CStdStringPtrMap::RemoveAll()
{
    Resize(m_nBuckets);
}

int CStdStringPtrMap::GetSize() const
{
    return m_nCount;
}

LPCWSTR CStdStringPtrMap::GetAt(int iIndex) const
{
    if (iIndex < 0) return NULL;
    for (int i = m_nBuckets - 1; i >= 0; i--) {
        for (const TITEM* pItem = m_aT[i]; pItem != NULL; pItem = pItem->pNext) {
            if (iIndex-- == 0) return pItem->Key.GetData();
        }
    }
    return NULL;
}

LPCWSTR CStdStringPtrMap::operator[](int nIndex) const
{
    return GetAt(nIndex);
}

} // namespace SkinUI
