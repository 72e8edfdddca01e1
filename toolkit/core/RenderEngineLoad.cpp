#include <windows.h>
#include <new>
#include "core/RenderEngine.h"
#include "core/PaintManager.h"
#include "core/UnZip.h"

namespace SkinUI {

namespace {

// Skin images are small; anything larger is a damaged size field, not an image.
const DWORD kMaxImageBytes = 256u * 1024u * 1024u;

BYTE* NewBuffer(DWORD dwSize)
{
    return new (std::nothrow) BYTE[dwSize];
}

// Extracts one entry of an open archive; null unless exactly its declared size was read.
BYTE* ExtractWhole(HZIP hz, LPCTSTR pstrName, DWORD* pdwSize)
{
    int index = -1;
    ZipEntry ze = {};
    if (FindZipEntry(hz, pstrName, true, &index, &ze) != ZR_OK || index < 0) return NULL;
    if (ze.unc_size <= 0 || static_cast<DWORD>(ze.unc_size) > kMaxImageBytes) return NULL;
    DWORD dwSize = static_cast<DWORD>(ze.unc_size);
    BYTE* pData = NewBuffer(dwSize);
    if (pData == NULL) return NULL;
    // ZR_MORE means some bytes arrived, not that all did: a second call must find the end
    // cleanly (a short entry then reports its length error) or more data beyond the
    // declared size, which is simply not wanted.
    ZRESULT res = ExtractZipEntry(hz, index, pData, dwSize, ZIP_MEMORY);
    if (res == ZR_MORE) {
        BYTE probe = 0;
        ZRESULT tail = ExtractZipEntry(hz, index, &probe, 1, ZIP_MEMORY);
        if (tail != ZR_OK && tail != ZR_MORE) res = tail;
    } else {
        res = ZR_FLATE; // ZR_OK on the first call: nothing was read
    }
    if (res != ZR_MORE) {
        delete[] pData;
        return NULL;
    }
    *pdwSize = dwSize;
    return pData;
}

} // namespace

BYTE* CRenderEngine::LoadFileBytes(LPCTSTR pstrPath, DWORD* pdwSize)
{
    if (pstrPath == NULL || pdwSize == NULL) return NULL;
    HANDLE hFile =
        ::CreateFileW(pstrPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE) return NULL;
    BYTE* pData = NULL;
    DWORD dwSize = ::GetFileSize(hFile, NULL);
    if (dwSize != INVALID_FILE_SIZE && dwSize != 0 && dwSize <= kMaxImageBytes) {
        pData = NewBuffer(dwSize);
        DWORD dwRead = 0;
        if (pData != NULL && (!::ReadFile(hFile, pData, dwSize, &dwRead, NULL) || dwRead != dwSize)) {
            delete[] pData;
            pData = NULL;
        }
    }
    ::CloseHandle(hFile);
    if (pData != NULL) *pdwSize = dwSize;
    return pData;
}

BYTE* CRenderEngine::LoadResourceBytes(LPCTSTR pstrName, LPCTSTR pstrType, DWORD* pdwSize)
{
    if (pstrType == NULL || pdwSize == NULL) return NULL;
    HINSTANCE hMod = CPaintManagerUI::GetResourceDll();
    HRSRC hResource = ::FindResourceW(hMod, pstrName, pstrType);
    if (hResource == NULL) return NULL;
    HGLOBAL hGlobal = ::LoadResource(hMod, hResource);
    if (hGlobal == NULL) return NULL;
    DWORD dwSize = ::SizeofResource(hMod, hResource);
    if (dwSize == 0 || dwSize > kMaxImageBytes) return NULL;
    const void* pSrc = ::LockResource(hGlobal);
    if (pSrc == NULL) return NULL;
    BYTE* pData = NewBuffer(dwSize);
    if (pData == NULL) return NULL;
    ::CopyMemory(pData, pSrc, dwSize);
    *pdwSize = dwSize;
    return pData;
}

BYTE* CRenderEngine::LoadZipBytes(LPCTSTR pstrName, DWORD* pdwSize)
{
    if (pstrName == NULL || pdwSize == NULL) return NULL;
    if (CPaintManagerUI::IsCachedResourceZip()) {
        HZIP hz = static_cast<HZIP>(CPaintManagerUI::GetResourceZipHandle());
        return hz != NULL ? ExtractWhole(hz, pstrName, pdwSize) : NULL;
    }
    CSkinString sFile = CPaintManagerUI::GetResourcePath();
    sFile += CPaintManagerUI::GetResourceZip();
    HZIP hz = OpenZipArchive(const_cast<wchar_t*>(sFile.GetData()), 0, ZIP_FILENAME);
    if (hz == NULL) return NULL;
    BYTE* pData = ExtractWhole(hz, pstrName, pdwSize);
    CloseZipArchive(hz);
    return pData;
}

} // namespace SkinUI
