// msgbox_driver: runs a program under test, answers its message boxes and records them.
//
//   msgbox_driver.exe [options] -- PROGRAM [ARGUMENTS...]
//
//   --log FILE      where the record goes (UTF-8, one event per line; default: stdout)
//   --press ID      the button id pressed in each box (default 1, IDOK; 2 IDCANCEL,
//                   6 IDYES, 7 IDNO)
//   --timeout SEC   give up after SEC seconds: the processes still running are ended
//                   and "timeout" is recorded (default 120)
//   --cwd DIR       working folder of PROGRAM (default: the driver's own)
//
// PROGRAM is started with CreateProcess; every process it starts, and theirs in turn, is
// watched too (a program that replaces and restarts itself keeps being answered). The
// driver returns when all of them have ended. Its exit code is PROGRAM's exit code.
//
// Record lines, fields separated by a tab; "\\", "\t", "\n" and "\r" are escaped so:
//   start   PID                    PROGRAM was started
//   process PID PARENT             a descendant was seen
//   box     PID CAPTION TEXT       a "#32770" window (a message box) was answered
//   window  PID CLASS TITLE        another visible top-level window appeared
//   exit    PID CODE               a watched process ended
//   timeout                        the time ran out
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ProcessStarts.h"

namespace {

struct Options {
    std::wstring log;
    std::wstring cwd;
    int press = IDOK;
    double timeout = 120.0;
    std::wstring commandLine;
};

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::string Escape(const std::wstring& text)
{
    std::string out;
    for (char c : ToUtf8(text)) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Quotes one argument so that CommandLineToArgvW gives it back unchanged.
std::wstring Quote(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
        } else if (c == L'"') {
            out.append(slashes * 2 + 1, L'\\');
            slashes = 0;
        } else {
            slashes = 0;
        }
        out += c;
    }
    out.append(slashes, L'\\');
    return out + L"\"";
}

class Record {
public:
    explicit Record(FILE* out) : m_out(out) {}
    void Line(const std::string& line)
    {
        std::fputs(line.c_str(), m_out);
        std::fputc('\n', m_out);
        std::fflush(m_out);
    }

private:
    FILE* m_out;
};

struct Watched {
    HANDLE process = nullptr;
    bool ended = false;
};

class Watcher {
public:
    // `before`: the processes that ran before PROGRAM started, which are never its descendants.
    Watcher(Record& record, int press, procs::Starts before)
        : m_record(record), m_press(press), m_before(std::move(before))
    {
    }
    ~Watcher()
    {
        for (auto& w : m_watched) {
            if (w.second.process) CloseHandle(w.second.process);
        }
    }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    void Add(DWORD pid, HANDLE process) { m_watched[pid].process = process; }

    // One round: ended processes, new descendants, new windows. False once all have ended.
    // Descendants are looked for after the exits, so that a child started just before its
    // parent ended is still found.
    bool Poll(bool lookAtWindows = true)
    {
        for (auto& w : m_watched) {
            if (w.second.ended || !w.second.process) continue;
            if (WaitForSingleObject(w.second.process, 0) == WAIT_OBJECT_0) {
                DWORD code = 0;
                GetExitCodeProcess(w.second.process, &code);
                w.second.ended = true;
                m_record.Line("exit\t" + std::to_string(w.first) + "\t" + std::to_string(static_cast<long>(code)));
            }
        }
        FindDescendants();
        if (lookAtWindows) {
            EnumWindows(&Watcher::EachWindow, reinterpret_cast<LPARAM>(this));
            ForgetClosedWindows();
        }
        for (auto& w : m_watched) {
            if (!w.second.ended && w.second.process) return true;
        }
        return false;
    }

    void EndAll()
    {
        for (auto& w : m_watched) {
            if (!w.second.ended && w.second.process) TerminateProcess(w.second.process, 1);
        }
    }

private:
    void FindDescendants()
    {
        procs::EachProcess([this](DWORD pid, DWORD parent) {
            if (m_watched.count(pid) || !m_watched.count(parent)) return;
            // Process ids are reused at once: a process whose parent id now names a watched
            // process may have been started by an earlier holder of that id (the system's
            // services, started by the first program of the session, are such). Those ran
            // before PROGRAM did; a later process that got one of their ids started later.
            if (procs::RanBefore(m_before, pid)) return;
            m_watched[pid].process =
                OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, pid);
            m_record.Line("process\t" + std::to_string(pid) + "\t" + std::to_string(parent));
        });
    }

    static BOOL CALLBACK EachWindow(HWND hwnd, LPARAM self)
    {
        reinterpret_cast<Watcher*>(self)->Look(hwnd);
        return TRUE;
    }

    void Look(HWND hwnd)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (!m_watched.count(pid) || !IsWindowVisible(hwnd)) return;
        wchar_t cls[256] = {};
        GetClassNameW(hwnd, cls, 256);
        wchar_t title[1024] = {};
        GetWindowTextW(hwnd, title, 1024);
        if (std::wstring(cls) != L"#32770") {
            if (m_windows.insert(hwnd).second)
                m_record.Line("window\t" + std::to_string(pid) + "\t" + Escape(cls) + "\t" + Escape(title));
            return;
        }
        if (m_answered.count(hwnd)) return;
        std::wstring text;
        if (HWND label = GetDlgItem(hwnd, 0xFFFF)) {
            int n = GetWindowTextLengthW(label);
            text.assign(static_cast<size_t>(n) + 1, L'\0');
            n = GetWindowTextW(label, &text[0], n + 1);
            text.resize(static_cast<size_t>(n > 0 ? n : 0));
        }
        m_record.Line("box\t" + std::to_string(pid) + "\t" + Escape(title) + "\t" + Escape(text));
        m_answered.insert(hwnd);
        HWND button = GetDlgItem(hwnd, m_press);
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(m_press, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    }

    // Window handles are reused: forget the ones that are gone.
    void ForgetClosedWindows()
    {
        for (auto it = m_answered.begin(); it != m_answered.end();) it = IsWindow(*it) ? ++it : m_answered.erase(it);
        for (auto it = m_windows.begin(); it != m_windows.end();) it = IsWindow(*it) ? ++it : m_windows.erase(it);
    }

    Record& m_record;
    int m_press;
    procs::Starts m_before;
    std::map<DWORD, Watched> m_watched;
    std::set<HWND> m_answered;
    std::set<HWND> m_windows;
};

bool ParseOptions(int argc, wchar_t** argv, Options& o)
{
    int i = 1;
    for (; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--") {
            ++i;
            break;
        }
        if (i + 1 >= argc) return false;
        if (a == L"--log")
            o.log = argv[++i];
        else if (a == L"--cwd")
            o.cwd = argv[++i];
        else if (a == L"--press")
            o.press = _wtoi(argv[++i]);
        else if (a == L"--timeout")
            o.timeout = _wtof(argv[++i]);
        else
            return false;
    }
    if (i >= argc) return false;
    for (int k = i; k < argc; ++k) {
        if (k > i) o.commandLine += L' ';
        o.commandLine += Quote(argv[k]);
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs("usage: msgbox_driver [--log FILE] [--press ID] [--timeout SEC] [--cwd DIR] -- PROGRAM [ARGS...]\n",
                   stderr);
        return 2;
    }
    FILE* out = stdout;
    if (!options.log.empty() && !(out = _wfopen(options.log.c_str(), L"wb"))) {
        std::fputs("msgbox_driver: cannot write the log\n", stderr);
        return 2;
    }
    Record record(out);

    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> commandLine(options.commandLine.begin(), options.commandLine.end());
    commandLine.push_back(L'\0');
    procs::Starts before = procs::RunningNow();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        options.cwd.empty() ? nullptr : options.cwd.c_str(), &si, &pi)) {
        record.Line("error\tCreateProcess\t" + std::to_string(GetLastError()));
        if (out != stdout) std::fclose(out);
        return 2;
    }
    CloseHandle(pi.hThread);
    record.Line("start\t" + std::to_string(pi.dwProcessId));

    DWORD code = 0;
    {
        Watcher watcher(record, options.press, std::move(before));
        HANDLE mine = nullptr;
        DuplicateHandle(GetCurrentProcess(), pi.hProcess, GetCurrentProcess(), &mine, 0, FALSE, DUPLICATE_SAME_ACCESS);
        watcher.Add(pi.dwProcessId, mine);
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(options.timeout * 1000.0);
        // Descendants are looked for often: a program that fails to load lives only a few
        // milliseconds, and once it is gone it is no longer listed. Windows every 50 ms.
        for (unsigned round = 0; watcher.Poll(round % 10 == 0); ++round) {
            if (GetTickCount64() > deadline) {
                record.Line("timeout");
                watcher.EndAll();
                watcher.Poll();
                break;
            }
            Sleep(5);
        }
        GetExitCodeProcess(pi.hProcess, &code);
    }
    CloseHandle(pi.hProcess);
    if (out != stdout) std::fclose(out);
    return static_cast<int>(code);
}
