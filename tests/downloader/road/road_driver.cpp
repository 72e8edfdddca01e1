// Drives and inspects the updater's window ("DesktopMainWnd") from outside, for the road
// tests and the demo. Toolkit controls have no window of their own, so clicks are mouse
// messages posted at client coordinates. Every command may be preceded by "--exe PATH":
// then only the window of the updater started from PATH counts.
//   road_driver find SECONDS            waits for the window to show and be painted; prints
//                                       "window SHOWN X Y W H" (SHOWN: 1 when it was seen shown;
//                                       client origin on the screen, client size) or "none"
//   road_driver await SECONDS           prints "looking" once it runs, then as find
//   road_driver wait-hidden SECONDS     waits until it is hidden or gone; prints "hidden"/"gone"/"visible"
//   road_driver click X Y               a left click at client X,Y; prints "clicked"
//   road_driver hittest X Y             WM_NCHITTEST at client X,Y; prints "hit CODE"
//   road_driver shot FILE.bmp           the window as the screen shows it, 32-bit BMP; prints "shot W H"
//   road_driver close HOW               closes the window one way: skin (the skin's "close" at
//                                       X Y, given after HOW), wm_close, alt_f4, sysmenu or
//                                       endsession; then has the whole window drawn again and
//                                       prints "painted" when it was drawn before the window
//                                       went, else "gone" (or "unpainted" when it neither
//                                       drew nor went for a minute)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "UpdaterWindow.h"

namespace {

// With --exe, only the window of the updater started from that file counts: other tests may
// run updaters at the same time.
std::wstring g_exe;

HWND FindUpdater()
{
    return road::FindUpdaterWindow(g_exe);
}

HWND WaitForUpdater(double seconds)
{
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        HWND window = FindUpdater();
        if (window || GetTickCount64() >= end) return window;
        Sleep(20);
    }
}

int Find(double seconds)
{
    HWND window = WaitForUpdater(seconds);
    if (!window) {
        std::puts("none");
        return 1;
    }
    // Visible, then laid out: the toolkit places its controls when it paints, so nothing left
    // to paint means a look at the controls finds them where the skin puts them. What is told
    // is whether it was seen shown: a window shown only for a moment may hide again meanwhile.
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (!IsWindowVisible(window) && IsWindow(window) && GetTickCount64() < end) Sleep(20);
    const bool shown = IsWindowVisible(window) != FALSE;
    while (IsWindowVisible(window) && GetUpdateRect(window, nullptr, FALSE) && GetTickCount64() < end) Sleep(20);
    RECT client;
    GetClientRect(window, &client);
    POINT origin = { 0, 0 };
    ClientToScreen(window, &origin);
    std::printf("window %d %ld %ld %ld %ld\n", shown ? 1 : 0, origin.x, origin.y, client.right, client.bottom);
    return 0;
}

int WaitHidden(double seconds)
{
    // The window is looked up once and then watched itself: "gone" means it was destroyed,
    // never that one look-up missed it.
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    HWND window = WaitForUpdater(seconds);
    for (;;) {
        if (!window || !IsWindow(window)) {
            std::puts("gone");
            return 0;
        }
        if (!IsWindowVisible(window)) {
            std::puts("hidden");
            return 0;
        }
        if (GetTickCount64() >= end) {
            std::puts("visible");
            return 1;
        }
        Sleep(20);
    }
}

int Click(int x, int y)
{
    // The window was seen a moment ago; a look-up that misses it once under load is looked at again.
    HWND window = WaitForUpdater(5);
    if (!window) {
        std::puts("none");
        return 1;
    }
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    std::puts("clicked");
    return 0;
}

int HitTest(int x, int y)
{
    HWND window = WaitForUpdater(5);
    if (!window) {
        std::puts("none");
        return 1;
    }
    POINT p = { x, y };
    ClientToScreen(window, &p);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y), SMTO_NORMAL, 5000, &result);
    std::printf("hit %ld\n", static_cast<long>(result));
    return 0;
}

int Shot(const wchar_t* file)
{
    HWND window = WaitForUpdater(5);
    if (!window) {
        std::puts("none");
        return 1;
    }
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    BITMAPFILEHEADER head = {};
    head.bfType = 0x4D42;
    head.bfOffBits = sizeof head + sizeof info.bmiHeader;
    head.bfSize = head.bfOffBits + static_cast<DWORD>(w) * h * 4;
    FILE* f = _wfopen(file, L"wb");
    bool ok = f != nullptr;
    if (f) {
        ok = fwrite(&head, sizeof head, 1, f) == 1 && fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f) == 1 &&
             fwrite(bits, 4, static_cast<size_t>(w) * h, f) == static_cast<size_t>(w) * h;
        fclose(f);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf(ok ? "shot %d %d\n" : "failed\n", w, h);
    return ok ? 0 : 1;
}

// The messages each way of closing leaves in the window's queue, as the system posts them.
bool PostClose(HWND window, const std::wstring& how, int x, int y)
{
    if (how == L"skin") {
        const LPARAM at = MAKELPARAM(x, y);
        return PostMessageW(window, WM_MOUSEMOVE, 0, at) && PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at) &&
               PostMessageW(window, WM_LBUTTONUP, 0, at);
    }
    if (how == L"wm_close") return PostMessageW(window, WM_CLOSE, 0, 0) != 0;
    if (how == L"alt_f4") {
        // F4 with Alt held: the default handling turns it into the system menu's close.
        const LPARAM keyData = 1 | (MapVirtualKeyW(VK_F4, MAPVK_VK_TO_VSC) << 16) | (KF_ALTDOWN << 16);
        return PostMessageW(window, WM_SYSKEYDOWN, VK_F4, keyData) != 0;
    }
    if (how == L"sysmenu") return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) != 0;
    if (how == L"endsession") return PostMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF) != 0;
    return false;
}

int Close(const std::wstring& how, int x, int y)
{
    HWND window = WaitForUpdater(5);
    if (!window) {
        std::puts("none");
        return 1;
    }
    if (!PostClose(window, how, x, y)) {
        std::puts("failed");
        return 1;
    }
    // The window must still draw what it is asked to while it closes: before it goes, however
    // long the close takes. A paint comes only once no posted message is waiting, so the one
    // asked for here follows the close's messages. The close keeps the window for half a
    // second at least (the pause before the version file goes), so a look every few
    // milliseconds cannot miss it.
    InvalidateRect(window, nullptr, FALSE);
    // Only a limit for a window that neither draws nor goes.
    const ULONGLONG end = GetTickCount64() + 60000;
    for (;;) {
        if (!IsWindow(window)) {
            std::puts("gone");
            return 1;
        }
        if (!GetUpdateRect(window, nullptr, FALSE)) {
            std::puts("painted");
            return 0;
        }
        if (GetTickCount64() >= end) {
            std::puts("unpainted");
            return 1;
        }
        Sleep(2);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 2 && std::wstring(argv[1]) == L"--exe") {
        g_exe = argv[2];
        argv += 2;
        argc -= 2;
    }
    const std::wstring command = argc > 1 ? argv[1] : L"";
    int rc = 2;
    if (command == L"find" && argc == 3)
        rc = Find(_wtof(argv[2]));
    else if (command == L"await" && argc == 3) {
        std::puts("looking");
        std::fflush(stdout);
        rc = Find(_wtof(argv[2]));
    }
    else if (command == L"wait-hidden" && argc == 3)
        rc = WaitHidden(_wtof(argv[2]));
    else if (command == L"click" && argc == 4)
        rc = Click(_wtoi(argv[2]), _wtoi(argv[3]));
    else if (command == L"hittest" && argc == 4)
        rc = HitTest(_wtoi(argv[2]), _wtoi(argv[3]));
    else if (command == L"shot" && argc == 3)
        rc = Shot(argv[2]);
    else if (command == L"close" && argc >= 3)
        rc = Close(argv[2], argc >= 5 ? _wtoi(argv[3]) : 0, argc >= 5 ? _wtoi(argv[4]) : 0);
    else
        std::fputs("usage: road_driver find|await|wait-hidden SECONDS | click|hittest X Y | shot FILE | close HOW [X Y]\n", stderr);
    std::fflush(stdout);
    return rc;
}
