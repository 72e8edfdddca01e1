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
// PROGRAM is started with CreateProcess as the driver's debuggee, in a job of its own; every
// process it starts, and theirs in turn, is watched too (a program that replaces and restarts
// itself keeps being answered). The driver returns when all of them have ended. Its exit code
// is PROGRAM's.
//
// Record lines, fields separated by a tab; "\\", "\t", "\n" and "\r" are escaped so:
//   start   PID                    PROGRAM was started
//   process PID PARENT             a descendant started
//   box     PID CAPTION TEXT       a "#32770" window (a message box) was answered
//   window  PID CLASS TITLE        another visible top-level window appeared
//   crash   PID CODE ADDRESS       an exception no handler of PROGRAM's took (its second
//                                  chance); CODE and ADDRESS in hexadecimal
//   debug   PID TEXT               a string the process gave OutputDebugString
//   exit    PID CODE               a watched process ended
//   timeout                        the time ran out
//   error   WHAT DETAIL            the driver could not do what the record needs
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/ProcessIds.h"
#include "launcher/UniqueHandle.h"

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
    bool ended = false;
    bool pastStart = false; // its start's breakpoint was seen
};

// PROGRAM runs as the driver's debuggee, and with it every process it starts and theirs in
// turn: the system stops each new process at its start until the driver has taken note of it,
// and tells each end with its exit code. Looking for descendants in the process list, or even
// being told of them by a job, misses one that lives for a millisecond (a program the loader
// ends at once): its exit code can only be read while some handle keeps it, and its starter
// may close the last one first. The debuggees' own exceptions are passed back to them
// unhandled, so they take their usual course. A job holds them all, so that a timeout can
// end them together and the driver knows when none is left.
//
// Being their debugger changes how a crash ends: the system offers an exception no handler
// took to the debugger a second time instead of running the program's top-level filter and
// the crash dialog, so the process ends quietly with the exception's code (an uncaught C++
// exception of a 64-bit build with 0x20474343, not the runtime's exit 3). That second offer
// is what the record keeps as the crash. Every C++ throw of a 64-bit build, caught or not,
// is an exception offered first to the debugger: the first offer means nothing yet.
class Watcher {
public:
    Watcher(Record& record, int press) : m_record(record), m_press(press) {}
    ~Watcher()
    {
        if (m_job) CloseHandle(m_job);
        if (m_port) CloseHandle(m_port);
    }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    // Makes the job; false (with the failing call's error) when the system cannot.
    bool Open()
    {
        m_job = CreateJobObjectW(nullptr, nullptr);
        m_port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
        if (!m_job || !m_port) return false;
        JOBOBJECT_ASSOCIATE_COMPLETION_PORT link{};
        link.CompletionKey = m_job;
        link.CompletionPort = m_port;
        return SetInformationJobObject(m_job, JobObjectAssociateCompletionPortInformation, &link, sizeof link) != 0;
    }

    // PROGRAM, started suspended under the debugger, joins the job before it runs.
    bool Adopt(DWORD pid, HANDLE process)
    {
        m_program = pid;
        return AssignProcessToJobObject(m_job, process) != 0;
    }

    // One round: the debug events for up to `wait` ms, then the windows. False once every
    // process has ended.
    bool Poll(DWORD wait, bool lookAtWindows = true)
    {
        const ULONGLONG until = GetTickCount64() + wait;
        DEBUG_EVENT event;
        for (DWORD left = wait; WaitForDebugEvent(&event, left);) {
            Handle(event);
            const ULONGLONG now = GetTickCount64();
            left = now < until ? static_cast<DWORD>(until - now) : 0;
        }
        ReadJobNews();
        if (m_jobEmpty && AllEnded()) return false;
        if (lookAtWindows) {
            EnumWindows(&Watcher::EachWindow, reinterpret_cast<LPARAM>(this));
            ForgetClosedWindows();
        }
        return true;
    }

    // Ends every process of the job; their ends are still recorded by the next rounds.
    void EndAll() { TerminateJobObject(m_job, 1); }

private:
    void Handle(const DEBUG_EVENT& event)
    {
        DWORD reply = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
            Started(event.dwProcessId, event.u.CreateProcessInfo.hProcess);
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            Ended(event.dwProcessId, event.u.ExitProcess.dwExitCode);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
            break;
        case OUTPUT_DEBUG_STRING_EVENT:
            DebugString(event.dwProcessId, event.u.DebugString);
            break;
        case EXCEPTION_DEBUG_EVENT: {
            // The system's breakpoint at each process's start is the debugger's; everything
            // else is the debuggee's own.
            const EXCEPTION_RECORD& exception = event.u.Exception.ExceptionRecord;
            auto it = m_watched.find(event.dwProcessId);
            const bool startBreak = exception.ExceptionCode == EXCEPTION_BREAKPOINT && it != m_watched.end() &&
                                    !it->second.pastStart && event.u.Exception.dwFirstChance;
            if (startBreak) {
                it->second.pastStart = true;
            } else {
                reply = DBG_EXCEPTION_NOT_HANDLED;
                if (!event.u.Exception.dwFirstChance) Crashed(event.dwProcessId, exception);
            }
            break;
        }
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, reply);
    }

    // `process` is the system's, valid while the event is answered.
    void Started(DWORD pid, HANDLE process)
    {
        // An id is handed out again once its process is gone: the entry starts anew.
        m_watched[pid] = Watched{};
        if (pid != m_program)
            m_record.Line("process\t" + std::to_string(pid) + "\t" + std::to_string(QueryProcessIds(process).parent));
    }

    void Ended(DWORD pid, DWORD code)
    {
        auto it = m_watched.find(pid);
        if (it == m_watched.end() || it->second.ended) return;
        it->second.ended = true;
        m_record.Line("exit\t" + std::to_string(pid) + "\t" + std::to_string(static_cast<long>(code)));
    }

    void Crashed(DWORD pid, const EXCEPTION_RECORD& exception)
    {
        char code[16], address[24];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(exception.ExceptionCode));
        std::snprintf(address, sizeof address, "0x%llX",
                      static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(exception.ExceptionAddress)));
        m_record.Line("crash\t" + std::to_string(pid) + "\t" + code + "\t" + address);
    }

    // The string lives in the debuggee, which waits until the event is answered. Its length
    // counts the closing zero; a narrow string is in the debuggee's code page, which is the
    // driver's own (both run in one session with one locale).
    void DebugString(DWORD pid, const OUTPUT_DEBUG_STRING_INFO& info)
    {
        std::vector<char> bytes(static_cast<size_t>(info.nDebugStringLength) * (info.fUnicode ? sizeof(wchar_t) : 1));
        SIZE_T read = 0;
        UniqueHandle process(OpenProcess(PROCESS_VM_READ, FALSE, pid));
        if (!bytes.empty() && (!process || !ReadProcessMemory(process.get(), info.lpDebugStringData, bytes.data(),
                                                              bytes.size(), &read))) {
            m_record.Line("error\tReadProcessMemory\t" + std::to_string(GetLastError()));
            return;
        }
        std::wstring text;
        if (info.fUnicode) {
            text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), read / sizeof(wchar_t));
        } else if (read > 0) {
            const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(read), nullptr, 0);
            text.assign(static_cast<size_t>(n > 0 ? n : 0), L'\0');
            if (n > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(read), &text[0], n);
        }
        text.resize(std::wcslen(text.c_str()));
        m_record.Line("debug\t" + std::to_string(pid) + "\t" + Escape(text));
    }

    void ReadJobNews()
    {
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED detail = nullptr;
        while (GetQueuedCompletionStatus(m_port, &message, &key, &detail, 0)) {
            if (key == reinterpret_cast<ULONG_PTR>(m_job) && message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO)
                m_jobEmpty = true;
        }
    }

    // Every process the debugger was told of has ended.
    bool AllEnded() const
    {
        for (auto& w : m_watched) {
            if (!w.second.ended) return false;
        }
        return true;
    }

    bool Live(DWORD pid) const
    {
        auto it = m_watched.find(pid);
        return it != m_watched.end() && !it->second.ended;
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
        if (!Live(pid) || !IsWindowVisible(hwnd)) return;
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
    HANDLE m_job = nullptr;
    HANDLE m_port = nullptr;
    DWORD m_program = 0;
    bool m_jobEmpty = false;
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
    Watcher watcher(record, options.press);
    if (!watcher.Open()) {
        record.Line("error\tCreateJobObject\t" + std::to_string(GetLastError()));
        if (out != stdout) std::fclose(out);
        return 2;
    }
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED | DEBUG_PROCESS, nullptr,
                        options.cwd.empty() ? nullptr : options.cwd.c_str(), &si, &pi)) {
        record.Line("error\tCreateProcess\t" + std::to_string(GetLastError()));
        if (out != stdout) std::fclose(out);
        return 2;
    }
    if (!watcher.Adopt(pi.dwProcessId, pi.hProcess)) {
        record.Line("error\tAssignProcessToJobObject\t" + std::to_string(GetLastError()));
        TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        if (out != stdout) std::fclose(out);
        return 2;
    }
    record.Line("start\t" + std::to_string(pi.dwProcessId));
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);

    DWORD code = 0;
    {
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(options.timeout * 1000.0);
        // Windows are looked at every 50 ms; debug events are answered as they come.
        while (watcher.Poll(50)) {
            if (GetTickCount64() > deadline) {
                record.Line("timeout");
                watcher.EndAll();
                const ULONGLONG grace = GetTickCount64() + 10000;
                while (watcher.Poll(100, false) && GetTickCount64() < grace) {
                }
                break;
            }
        }
        GetExitCodeProcess(pi.hProcess, &code);
    }
    CloseHandle(pi.hProcess);
    if (out != stdout) std::fclose(out);
    return static_cast<int>(code);
}
