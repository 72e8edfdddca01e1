// Stands in for the host program that starts the launcher, for the launcher's end-to-end
// road and `make demo`:
//
//   launcher_host RECORD PROGRAM [SWITCHES]
//       creates the host window, starts PROGRAM "--winid=<window> SWITCHES" in PROGRAM's
//       folder and writes to RECORD (UTF-8, one line per event, as it happens):
//         start PID                     PROGRAM was started
//         visible N                     the count of PROGRAM's visible top-level windows changed
//         copydata PID CLASS KIND SIZE CHILDREN HEX   a WM_COPYDATA: the process and class of
//                                       the window named in wParam, dwData, cbData, how many
//                                       processes that process started were still running, the bytes
//         busy SECONDS                  a file "busy" appeared beside RECORD: the host window
//                                       takes no messages for the SECONDS it holds (10 when
//                                       it holds no number), once
//         answering                     the host window takes messages again
//         exit CODE                     PROGRAM ended
//       and ends with PROGRAM's exit code.
//   launcher_host shot PID FILE.bmp
//       the screen under PID's visible top-level windows (their joint rectangle) as a 32-bit
//       top-down BMP; ends with 0 when it was written.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "RoadPrograms.h"
#include "common/TextConvert.h"

namespace {

class RecordFile {
public:
    explicit RecordFile(const std::wstring& path) : m_file(::_wfopen(path.c_str(), L"wb")) {}
    ~RecordFile()
    {
        if (m_file) std::fclose(m_file);
    }
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    bool Open() const { return m_file != nullptr; }
    void Line(const std::string& line)
    {
        std::fputs((line + "\n").c_str(), m_file);
        std::fflush(m_file);
    }

private:
    FILE* m_file;
};

std::string NoticeLine(const road::HostWindow::Notice& notice)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : notice.bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return "copydata " + std::to_string(notice.senderProcess) + " " + WideToUtf8(notice.senderClass) + " " +
           std::to_string(static_cast<unsigned long long>(notice.kind)) + " " + std::to_string(notice.bytes.size()) +
           " " + std::to_string(notice.senderChildren) + " " + hex;
}

std::string ReadText(const std::wstring& path)
{
    std::string text;
    if (FILE* f = ::_wfopen(path.c_str(), L"rb")) {
        char buffer[64] = {};
        text.assign(buffer, std::fread(buffer, 1, sizeof(buffer) - 1, f));
        std::fclose(f);
    }
    return text;
}

int Host(const std::wstring& record, const std::wstring& program, const std::wstring& arguments)
{
    RecordFile out(record);
    if (!out.Open()) return 2;
    road::HostWindow host(true);
    const std::wstring folder = program.substr(0, program.find_last_of(L"\\/") + 1);
    road::Child launcher(program, host.Switch() + arguments, folder);
    if (!launcher.Started()) {
        out.Line("error " + std::to_string(::GetLastError()));
        return 2;
    }
    out.Line("start " + std::to_string(launcher.Id()));

    // Notices and window changes are written in the order they are seen; a notice always
    // arrives while the launcher still runs, since it is sent synchronously.
    const std::wstring busyFile = record.substr(0, record.find_last_of(L"\\/") + 1) + L"busy";
    enum { Answering, Busy, Answered } busy = Answering;
    ULONGLONG busyUntil = 0;
    size_t written = 0;
    int visible = -1;
    for (bool running = true; running;) {
        running = launcher.Running();
        if (busy == Answering && ::GetFileAttributesW(busyFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
            const std::string text = ReadText(busyFile);
            const int seconds = std::atoi(text.c_str()) > 0 ? std::atoi(text.c_str()) : 10;
            host.Freeze();
            busy = Busy;
            busyUntil = ::GetTickCount64() + 1000ull * static_cast<ULONGLONG>(seconds);
            out.Line("busy " + std::to_string(seconds));
        }
        if (busy == Busy && ::GetTickCount64() >= busyUntil) {
            host.Thaw();
            busy = Answered;
            out.Line("answering");
        }
        const int now = launcher.VisibleWindows();
        if (now != visible) out.Line("visible " + std::to_string(visible = now));
        const std::vector<road::HostWindow::Notice> notices = host.Notices();
        for (; written < notices.size(); ++written) out.Line(NoticeLine(notices[written]));
        if (running) ::Sleep(20);
    }
    const DWORD code = launcher.Wait(0);
    out.Line("exit " + std::to_string(static_cast<long>(code)));
    return static_cast<int>(code);
}

struct WindowsOf {
    DWORD process;
    RECT joint;
    bool any;
};

BOOL CALLBACK JoinWindow(HWND window, LPARAM raw)
{
    auto* search = reinterpret_cast<WindowsOf*>(raw);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !::IsWindowVisible(window)) return TRUE;
    RECT place{};
    ::GetWindowRect(window, &place);
    if (search->any)
        ::UnionRect(&search->joint, &search->joint, &place);
    else
        search->joint = place;
    search->any = true;
    return TRUE;
}

int Shot(DWORD process, const std::wstring& file)
{
    WindowsOf search{ process, {}, false };
    ::EnumWindows(&JoinWindow, reinterpret_cast<LPARAM>(&search));
    const int w = search.joint.right - search.joint.left, h = search.joint.bottom - search.joint.top;
    if (!search.any || w <= 0 || h <= 0) {
        std::puts("none");
        return 1;
    }
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = bitmap != nullptr;
    if (ok) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, w, h, screen, search.joint.left, search.joint.top, SRCCOPY);
        ::GdiFlush();
        BITMAPFILEHEADER head{};
        head.bfType = 0x4D42;
        head.bfOffBits = sizeof(head) + sizeof(info.bmiHeader);
        head.bfSize = head.bfOffBits + static_cast<DWORD>(w) * h * 4;
        FILE* f = ::_wfopen(file.c_str(), L"wb");
        ok = f != nullptr;
        if (f) {
            ok = std::fwrite(&head, sizeof(head), 1, f) == 1 &&
                 std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, f) == 1 &&
                 std::fwrite(bits, 4, static_cast<size_t>(w) * h, f) == static_cast<size_t>(w) * h;
            std::fclose(f);
        }
        ::SelectObject(memory, old);
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    std::printf(ok ? "shot %d %d\n" : "failed\n", w, h);
    return ok ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    int rc = 2;
    if (argc == 4 && std::wstring(argv[1]) == L"shot") {
        rc = Shot(static_cast<DWORD>(_wtoi(argv[2])), argv[3]);
    } else if (argc == 3 || argc == 4) {
        rc = Host(argv[1], argv[2], argc == 4 ? std::wstring(L" ") + argv[3] : std::wstring());
    } else {
        std::fputs("usage: launcher_host RECORD PROGRAM [SWITCHES] | shot PID FILE.bmp\n", stderr);
    }
    std::fflush(stdout);
    return rc;
}
