#include <windows.h>
#include <wchar.h>
#include <stb/stb_image.h>
#include "core/PaintManager.h"
#include "core/RenderEngine.h"
#include "core/UnZip.h"

namespace SkinUI {

namespace {

bool StartsWithDigit(LPCTSTR p)
{
    return p != NULL && *p >= L'0' && *p <= L'9';
}

// A 16-bit resource id from its decimal text; 0 when the text is not one (0 and ids above
// 0xFFFF are not resource ids: the platform would take them for a pointer or wrap them).
UINT ResourceIdFromText(LPCTSTR p)
{
    if (!StartsWithDigit(p)) return 0;
    long id = wcstol(p, NULL, 10);
    if (id <= 0 || id > 0xFFFF) return 0;
    return static_cast<UINT>(id);
}

} // namespace

void CPaintManagerUI::CloseCachedZip()
{
    if (m_hResourceZip != NULL) CloseZipArchive(static_cast<HZIP>(m_hResourceZip));
    m_hResourceZip = NULL;
}

void CPaintManagerUI::SetResourceZip(LPVOID pVoid, unsigned int len)
{
    if (m_pStrResourceZip == L"membuffer") return;
    if (m_bCachedResourceZip) CloseCachedZip();
    m_pStrResourceZip = L"membuffer";
    m_bCachedResourceZip = true;
    if (pVoid != NULL && len != 0) m_hResourceZip = OpenZipArchive(pVoid, len, ZIP_MEMORY);
}

void CPaintManagerUI::SetResourceZip(LPCTSTR pstrZip, bool bCachedResourceZip)
{
    if (m_pStrResourceZip == (pstrZip != NULL ? pstrZip : L"") && m_bCachedResourceZip == bCachedResourceZip) return;
    if (m_bCachedResourceZip) CloseCachedZip();
    m_pStrResourceZip = pstrZip;
    m_bCachedResourceZip = bCachedResourceZip;
    if (m_bCachedResourceZip && !m_pStrResourceZip.IsEmpty()) {
        CSkinString sFile = m_pStrResourcePath;
        sFile += m_pStrResourceZip;
        m_hResourceZip = OpenZipArchive(const_cast<wchar_t*>(sFile.GetData()), 0, ZIP_FILENAME);
    }
}

tagTImageInfo* CPaintManagerUI::LoadImage(STRINGorID bitmap, LPCTSTR type, DWORD mask)
{
    // 1. Raw bytes: a module resource when a type is given; else the resource folder or the
    //    zip, then the name as a path by itself.
    BYTE* pData = NULL;
    DWORD dwSize = 0;
    if (type != NULL) {
        pData = CRenderEngine::LoadResourceBytes(bitmap.m_lpstr, type, &dwSize);
    } else {
        if (IS_INTRESOURCE(bitmap.m_lpstr)) return NULL;
        if (m_pStrResourceZip.IsEmpty()) {
            CSkinString sFile = GetResourcePath();
            sFile += bitmap.m_lpstr;
            pData = CRenderEngine::LoadFileBytes(sFile, &dwSize);
        } else {
            pData = CRenderEngine::LoadZipBytes(bitmap.m_lpstr, &dwSize);
        }
        if (pData == NULL) pData = CRenderEngine::LoadFileBytes(bitmap.m_lpstr, &dwSize);
    }
    if (pData == NULL) return NULL;

    // 2. Decode to 8-bit RGBA.
    int x = 0, y = 0, n = 0;
    stbi_uc* pImage = stbi_load_from_memory(pData, static_cast<int>(dwSize), &x, &y, &n, 4);
    delete[] pData;
    if (pImage == NULL) return NULL;

    // 3. The DIB.
    BYTE* pDest = NULL;
    HBITMAP hBitmap = (x > 0 && y > 0) ? CRenderEngine::CreateBitmap(NULL, x, y, &pDest) : NULL;
    if (hBitmap == NULL || pDest == NULL) {
        if (hBitmap != NULL) ::DeleteObject(hBitmap);
        stbi_image_free(pImage);
        return NULL;
    }

    // 4. and 5. Premultiply, then the mask against the premultiplied value.
    bool bAlphaChannel = false;
    const size_t nPixels = static_cast<size_t>(x) * static_cast<size_t>(y);
    for (size_t i = 0; i < nPixels; i++) {
        const BYTE* s = pImage + i * 4;
        BYTE* d = pDest + i * 4;
        BYTE a = s[3];
        d[3] = a;
        if (a == 255) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        } else {
            d[0] = static_cast<BYTE>(s[2] * a / 255);
            d[1] = static_cast<BYTE>(s[1] * a / 255);
            d[2] = static_cast<BYTE>(s[0] * a / 255);
            bAlphaChannel = true;
        }
        DWORD value = (static_cast<DWORD>(d[3]) << 24) | (static_cast<DWORD>(d[2]) << 16) |
                      (static_cast<DWORD>(d[1]) << 8) | d[0];
        if (value == mask) {
            d[0] = d[1] = d[2] = d[3] = 0;
            bAlphaChannel = true;
        }
    }
    stbi_image_free(pImage);

    // 6. The record; type and mask are filled in by AddImage.
    tagTImageInfo* data = new tagTImageInfo;
    data->hBitmap = hBitmap;
    data->width = x;
    data->height = y;
    data->hasAlpha = bAlphaChannel;
    data->mask = 0;
    return data;
}

void CPaintManagerUI::FreeImage(tagTImageInfo* pImage)
{
    if (pImage == NULL) return;
    if (pImage->hBitmap != NULL) ::DeleteObject(pImage->hBitmap);
    delete pImage;
}

tagTImageInfo* CPaintManagerUI::GetImage(LPCTSTR bitmap)
{
    if (bitmap == NULL) return NULL;
    for (CPaintManagerUI* p = this; p != NULL; p = p->m_pParentResourcePM) {
        tagTImageInfo* data = static_cast<tagTImageInfo*>(p->m_mImageHash.Find(bitmap));
        if (data != NULL) return data;
    }
    return NULL;
}

tagTImageInfo* CPaintManagerUI::GetImageEx(LPCTSTR bitmap, LPCTSTR type, DWORD mask)
{
    tagTImageInfo* data = GetImage(bitmap);
    if (data != NULL || bitmap == NULL) return data;
    // A miss goes into the manager that owns the shared resources: a popup's own cache dies
    // with the popup while its rows and its owner still point at the images.
    CPaintManagerUI* pOwner = GetLastResourceManager();
    if (pOwner->AddImage(bitmap, type, mask) == NULL) return NULL;
    return static_cast<tagTImageInfo*>(pOwner->m_mImageHash.Find(bitmap));
}

tagTImageInfo* CPaintManagerUI::AddImage(LPCTSTR bitmap, LPCTSTR type, DWORD mask)
{
    if (bitmap == NULL || *bitmap == L'\0') return NULL;
    if (m_mImageHash.Find(bitmap) != NULL) return NULL;
    tagTImageInfo* data = NULL;
    if (type != NULL) {
        UINT id = ResourceIdFromText(bitmap);
        if (id == 0) return NULL;
        data = LoadImage(STRINGorID(id), type, mask);
    } else {
        data = LoadImage(bitmap, NULL, mask);
    }
    if (data == NULL) return NULL;
    if (type != NULL) data->resType = type;
    data->mask = mask;
    if (!m_mImageHash.Insert(bitmap, data)) {
        FreeImage(data);
        return NULL;
    }
    return data;
}

tagTImageInfo* CPaintManagerUI::AddImage(LPCTSTR bitmap, HBITMAP hBitmap, int iWidth, int iHeight, bool bAlpha)
{
    if (hBitmap == NULL) return NULL;
    if (bitmap == NULL || iWidth <= 0 || iHeight <= 0) {
        ::DeleteObject(hBitmap);
        return NULL;
    }
    tagTImageInfo* data = new tagTImageInfo;
    data->hBitmap = hBitmap;
    data->width = iWidth;
    data->height = iHeight;
    data->hasAlpha = bAlpha;
    data->mask = 0;
    if (!m_mImageHash.Insert(bitmap, data)) {
        FreeImage(data);
        return NULL;
    }
    return data;
}

bool CPaintManagerUI::RemoveImage(LPCTSTR bitmap)
{
    if (bitmap == NULL) return false;
    tagTImageInfo* data = static_cast<tagTImageInfo*>(m_mImageHash.Find(bitmap));
    if (data == NULL) return false;
    FreeImage(data);
    return m_mImageHash.Remove(bitmap);
}

void CPaintManagerUI::RemoveAllImages()
{
    for (int i = 0; i < m_mImageHash.GetSize(); i++) {
        LPCTSTR key = m_mImageHash.GetAt(i);
        if (key != NULL) FreeImage(static_cast<tagTImageInfo*>(m_mImageHash.Find(key, false)));
    }
    m_mImageHash.RemoveAll();
}

void CPaintManagerUI::ReloadAllImages()
{
    bool bRedraw = false;
    for (int i = 0; i < m_mImageHash.GetSize(); i++) {
        LPCTSTR key = m_mImageHash.GetAt(i);
        if (key == NULL) continue;
        tagTImageInfo* data = static_cast<tagTImageInfo*>(m_mImageHash.Find(key, false));
        if (data == NULL) continue;
        tagTImageInfo* pNew = NULL;
        if (data->resType.IsEmpty()) {
            pNew = LoadImage(key, NULL, data->mask);
        } else {
            UINT id = ResourceIdFromText(key);
            if (id != 0) pNew = LoadImage(STRINGorID(id), data->resType.GetData(), data->mask);
        }
        if (pNew == NULL) continue;
        if (data->hBitmap != NULL) ::DeleteObject(data->hBitmap);
        data->hBitmap = pNew->hBitmap;
        data->width = pNew->width;
        data->height = pNew->height;
        data->hasAlpha = pNew->hasAlpha;
        pNew->hBitmap = NULL;
        FreeImage(pNew);
        bRedraw = true;
    }
    if (bRedraw) InvalidateWhole();
}

} // namespace SkinUI
