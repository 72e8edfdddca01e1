#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include <cstdint>

// Fixtures shared by the paint tests: pixels are always read back from DIB sections, never
// from the screen (the X server shows no per-pixel alpha).
namespace painttest {

// A 32-bit top-down DIB selected into a memory DC.
class Canvas {
public:
    Canvas(int w, int h, uint32_t fill = 0);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_dc; }
    HBITMAP bitmap() const { return m_bmp; }
    int width() const { return m_w; }
    int height() const { return m_h; }
    // 0xAARRGGBB as stored (premultiplied).
    uint32_t At(int x, int y) const;
    void Set(int x, int y, uint32_t v);
    void Fill(const RECT& rc, uint32_t v);
    // Number of pixels of rc whose value differs from v.
    int CountNot(const RECT& rc, uint32_t v) const;
    uint8_t* bits() const { return m_bits; }

private:
    int m_w, m_h;
    HDC m_dc;
    HBITMAP m_bmp;
    HGDIOBJ m_old;
    uint8_t* m_bits;
};

// A 32-bit top-down DIB not selected anywhere, for use as a drawing source.
HBITMAP MakeSourceBitmap(int w, int h, const std::vector<uint32_t>& pixels);

// Channel of a packed 0xAARRGGBB value: 0 = blue, 1 = green, 2 = red, 3 = alpha.
inline int Ch(uint32_t v, int i)
{
    return static_cast<int>((v >> (i * 8)) & 0xFF);
}
// True when every channel is within tol.
bool Near(uint32_t a, uint32_t b, int tol = 1);

// PNG bytes of an RGBA image (4 bytes per pixel, rows top to bottom).
std::string EncodePng(int w, int h, const std::vector<uint8_t>& rgba);
// A zip archive of stored entries, made here so the tests need no tool at run time.
std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& entries);

bool WriteFileBytes(const std::wstring& path, const std::string& data);

// A fresh folder (ending with a backslash) under the system temp folder, removed with the
// object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::wstring& path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + name; }

private:
    std::wstring m_path;
};

// A plain top-level Win32 window (own class, DefWindowProc).
HWND MakeHostWindow(DWORD style, int x, int y, int w, int h, DWORD exStyle = 0);
// Runs the messages that are waiting for this thread.
void PumpMessages();

} // namespace painttest
