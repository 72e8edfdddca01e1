#pragma once
#include <windows.h>
#include <gdiplus.h>

#include <string>

// A GDI+ bitmap owned by its wrapper; null until something was loaded.
class CGdiPlusBitmap {
public:
    CGdiPlusBitmap() = default;
    virtual ~CGdiPlusBitmap() { Empty(); }
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

    // Replaces the bitmap with the file's image; true when GDI+ read it.
    virtual bool Load(const std::wstring& path);
    void Empty();
    Gdiplus::Bitmap* Get() const { return m_pBitmap; }
    operator Gdiplus::Bitmap*() const { return m_pBitmap; }

protected:
    Gdiplus::Bitmap* m_pBitmap = nullptr;
};

// A bitmap that can also come from the program's resources: the resource's bytes are kept
// in movable global memory for the bitmap's life, as GDI+ reads its stream lazily.
class CGdiPlusBitmapResource : public CGdiPlusBitmap {
public:
    CGdiPlusBitmapResource() = default;
    ~CGdiPlusBitmapResource() override;

    bool Load(const std::wstring& path) override;
    // The resource `name` of `type` (a PNG in a custom resource, for example).
    bool Load(LPCWSTR name, LPCWSTR type, HMODULE module = nullptr);

private:
    void FreeBuffer();
    HGLOBAL m_hBuffer = nullptr;
};
