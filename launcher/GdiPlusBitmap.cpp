#include "GdiPlusBitmap.h"

#include <cstring>
#include <new>

bool CGdiPlusBitmap::Load(const std::wstring& path)
{
    Empty();
    // The wrapper's file constructor is GdipCreateBitmapFromFile.
    // GDI+ objects come from GDI+'s own allocator, which answers null when it runs out.
    m_pBitmap = new Gdiplus::Bitmap(path.c_str());
    return m_pBitmap && m_pBitmap->GetLastStatus() == Gdiplus::Ok;
}

void CGdiPlusBitmap::Empty()
{
    delete m_pBitmap;
    m_pBitmap = nullptr;
}

CGdiPlusBitmapResource::~CGdiPlusBitmapResource()
{
    // The bitmap reads from the buffer: it goes first.
    Empty();
    FreeBuffer();
}

void CGdiPlusBitmapResource::FreeBuffer()
{
    if (!m_hBuffer) return;
    ::GlobalFree(m_hBuffer);
    m_hBuffer = nullptr;
}

bool CGdiPlusBitmapResource::Load(const std::wstring& path)
{
    Empty();
    FreeBuffer();
    return CGdiPlusBitmap::Load(path);
}

bool CGdiPlusBitmapResource::Load(LPCWSTR name, LPCWSTR type, HMODULE module)
{
    Empty();
    FreeBuffer();
    if (!module) module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, name, type);
    const DWORD size = found ? ::SizeofResource(module, found) : 0;
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return false;
    m_hBuffer = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!m_hBuffer) return false;
    void* buffer = ::GlobalLock(m_hBuffer);
    if (!buffer) {
        FreeBuffer();
        return false;
    }
    std::memcpy(buffer, bytes, size);
    ::GlobalUnlock(m_hBuffer);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(m_hBuffer, FALSE, &stream))) {
        FreeBuffer();
        return false;
    }
    m_pBitmap = Gdiplus::Bitmap::FromStream(stream);
    stream->Release();
    if (m_pBitmap && m_pBitmap->GetLastStatus() == Gdiplus::Ok) return true;
    Empty();
    FreeBuffer();
    return false;
}
