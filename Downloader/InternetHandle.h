#pragma once
#include <windows.h>
#include <wininet.h>

// Owns one WinINet handle.
class InternetHandle {
public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET h) : m_handle(h) {}
    ~InternetHandle() { Reset(); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset(HINTERNET h = nullptr)
    {
        if (m_handle) InternetCloseHandle(m_handle);
        m_handle = h;
    }
    // Hands the handle over to `to` (whose own handle is closed) and keeps none.
    void MoveTo(InternetHandle& to)
    {
        to.Reset(m_handle);
        m_handle = nullptr;
    }

private:
    HINTERNET m_handle = nullptr;
};

// Handles taken out of a transfer under its lock, to be closed once no lock is held: a
// close can block (WinINet waits for its own work on the handle), and nobody may wait
// behind it. Closed when this goes, the request first.
struct TakenHandles {
    InternetHandle session;
    InternetHandle connection;
    InternetHandle request;
    void Close()
    {
        request.Reset();
        connection.Reset();
        session.Reset();
    }
    // Hands every handle over to `to` (whose own are closed) and keeps none.
    void MoveTo(TakenHandles& to)
    {
        request.MoveTo(to.request);
        connection.MoveTo(to.connection);
        session.MoveTo(to.session);
    }
    // Hands over the handles this holds; `to` keeps its own where this holds none.
    void MoveHeldTo(TakenHandles& to)
    {
        if (request) request.MoveTo(to.request);
        if (connection) connection.MoveTo(to.connection);
        if (session) session.MoveTo(to.session);
    }
};
