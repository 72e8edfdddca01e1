#include "PaintTestUtil.h"
#include <zlib.h>
#include <cstdlib>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace painttest {

Canvas::Canvas(int w, int h, uint32_t fill) : m_w(w), m_h(h), m_dc(NULL), m_bmp(NULL), m_old(NULL), m_bits(NULL)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pv = NULL;
    m_bmp = ::CreateDIBSection(NULL, &bmi, DIB_RGB_COLORS, &pv, NULL, 0);
    m_bits = static_cast<uint8_t*>(pv);
    m_dc = ::CreateCompatibleDC(NULL);
    m_old = ::SelectObject(m_dc, m_bmp);
    RECT rc = { 0, 0, w, h };
    Fill(rc, fill);
}

Canvas::~Canvas()
{
    ::SelectObject(m_dc, m_old);
    ::DeleteDC(m_dc);
    ::DeleteObject(m_bmp);
}

uint32_t Canvas::At(int x, int y) const
{
    ::GdiFlush();
    return reinterpret_cast<const uint32_t*>(m_bits)[static_cast<size_t>(y) * m_w + x];
}

void Canvas::Set(int x, int y, uint32_t v)
{
    ::GdiFlush();
    reinterpret_cast<uint32_t*>(m_bits)[static_cast<size_t>(y) * m_w + x] = v;
}

void Canvas::Fill(const RECT& rc, uint32_t v)
{
    for (int y = rc.top; y < rc.bottom; y++)
        for (int x = rc.left; x < rc.right; x++) Set(x, y, v);
}

int Canvas::CountNot(const RECT& rc, uint32_t v) const
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; y++)
        for (int x = rc.left; x < rc.right; x++)
            if (At(x, y) != v) n++;
    return n;
}

HBITMAP MakeSourceBitmap(int w, int h, const std::vector<uint32_t>& pixels)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pv = NULL;
    HBITMAP hbmp = ::CreateDIBSection(NULL, &bmi, DIB_RGB_COLORS, &pv, NULL, 0);
    if (hbmp != NULL && pixels.size() >= static_cast<size_t>(w) * h) {
        memcpy(pv, pixels.data(), static_cast<size_t>(w) * h * 4);
    }
    return hbmp;
}

bool Near(uint32_t a, uint32_t b, int tol)
{
    for (int i = 0; i < 4; i++) {
        if (std::abs(Ch(a, i) - Ch(b, i)) > tol) return false;
    }
    return true;
}

namespace {
void AppendToString(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

void Put16(std::string& s, unsigned v)
{
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& s, unsigned long v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, (v >> 16) & 0xFFFF);
}
} // namespace

std::string EncodePng(int w, int h, const std::vector<uint8_t>& rgba)
{
    std::string out;
    stbi_write_png_to_func(AppendToString, &out, w, h, 4, rgba.data(), w * 4);
    return out;
}

std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string zip, central;
    for (const auto& e : entries) {
        const std::string& name = e.first;
        const std::string& data = e.second;
        unsigned long crc = crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
        unsigned long offset = static_cast<unsigned long>(zip.size());
        // Local header: stored, no flags, fixed DOS time.
        Put32(zip, 0x04034b50);
        Put16(zip, 10);
        Put16(zip, 0);
        Put16(zip, 0);
        Put16(zip, 0);
        Put16(zip, 0x21);
        Put32(zip, crc);
        Put32(zip, data.size());
        Put32(zip, data.size());
        Put16(zip, name.size());
        Put16(zip, 0);
        zip += name;
        zip += data;
        Put32(central, 0x02014b50);
        Put16(central, 20);
        Put16(central, 10);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0x21);
        Put32(central, crc);
        Put32(central, data.size());
        Put32(central, data.size());
        Put16(central, name.size());
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, 0);
        Put32(central, offset);
        central += name;
    }
    unsigned long cdOffset = static_cast<unsigned long>(zip.size());
    zip += central;
    Put32(zip, 0x06054b50);
    Put16(zip, 0);
    Put16(zip, 0);
    Put16(zip, entries.size());
    Put16(zip, entries.size());
    Put32(zip, central.size());
    Put32(zip, cdOffset);
    Put16(zip, 0);
    return zip;
}

bool WriteFileBytes(const std::wstring& path, const std::string& data)
{
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = data.empty() || ::WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, NULL);
    ::CloseHandle(h);
    return ok && written == data.size();
}

TempDir::TempDir()
{
    wchar_t base[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    wchar_t name[64];
    _snwprintf(name, 63, L"paint%lu_%u\\", ::GetCurrentProcessId(), ++counter);
    name[63] = 0;
    m_path = std::wstring(base) + name;
    ::CreateDirectoryW(m_path.c_str(), NULL);
}

TempDir::~TempDir()
{
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((m_path + L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileW((m_path + fd.cFileName).c_str());
        } while (::FindNextFileW(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryW(m_path.c_str());
}

HWND MakeHostWindow(DWORD style, int x, int y, int w, int h, DWORD exStyle)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(NULL);
        wc.lpszClassName = L"PaintTestHost";
        wc.hCursor = ::LoadCursorW(NULL, MAKEINTRESOURCEW(32512));
        ::RegisterClassW(&wc);
        registered = true;
    }
    return ::CreateWindowExW(exStyle, L"PaintTestHost", L"host", style, x, y, w, h, NULL, NULL,
                             ::GetModuleHandleW(NULL), NULL);
}

void PumpMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

} // namespace painttest
