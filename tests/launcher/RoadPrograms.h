#pragma once
// The road's programs as seen from outside: a started child program, and the host program's
// window that the launcher notifies. Shared by the road tests and the host stand-in program.
#include <windows.h>
#include <tlhelp32.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ProcessStarts.h"

namespace road {

class Child {
public:
    Child(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory)
    {
        std::wstring commandLine = L"\"" + program + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                             &startup, &info)) {
            ::CloseHandle(info.hThread);
            m_process = info.hProcess;
            m_id = info.dwProcessId;
        }
    }
    ~Child()
    {
        if (!m_process) return;
        if (::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) ::TerminateProcess(m_process, 99);
        ::CloseHandle(m_process);
    }
    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_id; }
    bool Running() const { return ::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }
    // The exit code, or STILL_ACTIVE when it has not ended in time.
    DWORD Wait(DWORD milliseconds = 60000) const
    {
        ::WaitForSingleObject(m_process, milliseconds);
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(m_process, &code);
        return code;
    }
    int VisibleWindows() const
    {
        Search search{ m_id, 0 };
        ::EnumWindows(&CountVisible, reinterpret_cast<LPARAM>(&search));
        return search.count;
    }
    bool WaitForWindow(int milliseconds = 30000) const
    {
        for (int waited = 0; waited < milliseconds && Running(); waited += 20) {
            if (VisibleWindows() > 0) return true;
            ::Sleep(20);
        }
        return VisibleWindows() > 0;
    }
    // True once it shows no window (the limit only ends the wait for one that stays shown).
    bool WaitForNoVisibleWindow(int milliseconds = 60000) const
    {
        for (int waited = 0; waited < milliseconds; waited += 20) {
            if (VisibleWindows() == 0) return true;
            ::Sleep(20);
        }
        return VisibleWindows() == 0;
    }

private:
    struct Search {
        DWORD id;
        int count;
    };
    static BOOL CALLBACK CountVisible(HWND window, LPARAM raw)
    {
        auto* search = reinterpret_cast<Search*>(raw);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == search->id && ::IsWindowVisible(window)) ++search->count;
        return TRUE;
    }

    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

// The host program's window: it records every WM_COPYDATA, and who sent it, as it arrives.
class HostWindow {
public:
    struct Notice {
        std::wstring senderClass;
        DWORD senderProcess;
        ULONG_PTR sender;
        ULONG_PTR kind;
        std::vector<unsigned char> bytes;
        // Processes the sender's process started that were still running when it arrived
        // (counted only for a host made with countChildren; -1 otherwise).
        int senderChildren;
    };

    explicit HostWindow(bool countChildren = false) : m_countChildren(countChildren)
    {
        if (m_countChildren) m_before = procs::RunningNow();
        HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this, ready] { Run(ready); });
        ::WaitForSingleObject(ready, 10000);
        ::CloseHandle(ready);
    }
    ~HostWindow()
    {
        Thaw();
        ::PostMessageW(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
        ::CloseHandle(m_thaw);
        ::CloseHandle(m_frozen);
    }
    // A hung host: its thread stops taking messages until Thaw, from before this returns
    // (a message sent meanwhile would otherwise be taken ahead of the posted freeze).
    void Freeze()
    {
        ::ResetEvent(m_thaw);
        ::ResetEvent(m_frozen);
        ::PostMessageW(m_window, kFreeze, 0, 0);
        ::WaitForSingleObject(m_frozen, 30000);
    }
    void Thaw() { ::SetEvent(m_thaw); }
    // Returns once the host has taken every message this thread sent it before (a send left
    // waiting in its queue included): the host takes sent messages in the order they came.
    bool Settle()
    {
        DWORD_PTR ignored = 0;
        return ::SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored) != 0;
    }
    HWND Window() const { return m_window; }
    std::wstring Switch() const
    {
        return L"--winid=" + std::to_wstring(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(m_window)));
    }
    std::vector<Notice> Notices()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_notices;
    }

private:
    // Ids are reused at once: a process that names the sender's id may have been started by an
    // earlier holder of that id (the system's services are such). Those ran before the host.
    int RunningChildren(DWORD parent) const
    {
        int count = 0;
        procs::EachProcess([&](DWORD pid, DWORD parentPid) {
            if (parent != 0 && parentPid == parent && !procs::RanBefore(m_before, pid)) ++count;
        });
        return count;
    }

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<HostWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_COPYDATA && self) {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            Notice notice;
            wchar_t name[64] = {};
            ::GetClassNameW(reinterpret_cast<HWND>(wParam), name, 64);
            notice.senderClass = name;
            notice.sender = static_cast<ULONG_PTR>(wParam);
            notice.senderProcess = 0;
            ::GetWindowThreadProcessId(reinterpret_cast<HWND>(wParam), &notice.senderProcess);
            notice.senderChildren = self->m_countChildren ? self->RunningChildren(notice.senderProcess) : -1;
            notice.kind = data->dwData;
            const auto* bytes = static_cast<const unsigned char*>(data->lpData);
            notice.bytes.assign(bytes, bytes + data->cbData);
            std::lock_guard<std::mutex> lock(self->m_lock);
            self->m_notices.push_back(notice);
            return TRUE;
        }
        if (message == kFreeze && self) {
            ::SetEvent(self->m_frozen);
            ::WaitForSingleObject(self->m_thaw, INFINITE);
            return 0;
        }
        if (message == WM_CLOSE) {
            ::DestroyWindow(window);
            return 0;
        }
        if (message == WM_DESTROY) ::PostQuitMessage(0);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    void Run(HANDLE ready)
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"RoadHostWindow";
        ::RegisterClassW(&wc);
        m_window = ::CreateWindowExW(0, wc.lpszClassName, L"host", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                     wc.hInstance, nullptr);
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetEvent(ready);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    }

    static const UINT kFreeze = WM_APP + 5;
    const bool m_countChildren;
    // The processes that ran before the host, each with its start.
    procs::Starts m_before;
    std::thread m_thread;
    HANDLE m_thaw = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
    HANDLE m_frozen = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND m_window = nullptr;
    std::mutex m_lock;
    std::vector<Notice> m_notices;
};

} // namespace road
