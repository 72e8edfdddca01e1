#include "ViewChange.h"

#include "ScopedLock.h"

namespace {

int ClampPercent(int value)
{
    return value < 0 ? 0 : (value > 100 ? 100 : value);
}

} // namespace

ViewChange& ViewChange::ShowProgress(bool visible)
{
    fields |= kProgressVisible;
    progressVisible = visible;
    return *this;
}

ViewChange& ViewChange::SetProgress(int value)
{
    fields |= kProgressValue;
    progressValue = ClampPercent(value);
    return *this;
}

ViewChange& ViewChange::ShowPercent(bool visible)
{
    fields |= kPercentVisible;
    percentVisible = visible;
    return *this;
}

ViewChange& ViewChange::SetPercentText(const std::wstring& text)
{
    fields |= kPercentText;
    percentText = text;
    return *this;
}

ViewChange& ViewChange::ShowSpeed(bool visible)
{
    fields |= kSpeedVisible;
    speedVisible = visible;
    return *this;
}

ViewChange& ViewChange::SetSpeedText(const std::wstring& text)
{
    fields |= kSpeedText;
    speedText = text;
    return *this;
}

ViewChange& ViewChange::ShowMessage(bool visible)
{
    fields |= kMessageVisible;
    messageVisible = visible;
    return *this;
}

ViewChange& ViewChange::SetMessageText(const std::wstring& text)
{
    fields |= kMessageText;
    messageText = text;
    return *this;
}

ViewChange& ViewChange::ShowWindow(bool visible)
{
    fields |= kWindowVisible;
    windowVisible = visible;
    return *this;
}

void ViewChange::Merge(const ViewChange& newer)
{
    if (newer.Has(kProgressVisible)) ShowProgress(newer.progressVisible);
    if (newer.Has(kProgressValue)) SetProgress(newer.progressValue);
    if (newer.Has(kPercentVisible)) ShowPercent(newer.percentVisible);
    if (newer.Has(kPercentText)) SetPercentText(newer.percentText);
    if (newer.Has(kSpeedVisible)) ShowSpeed(newer.speedVisible);
    if (newer.Has(kSpeedText)) SetSpeedText(newer.speedText);
    if (newer.Has(kMessageVisible)) ShowMessage(newer.messageVisible);
    if (newer.Has(kMessageText)) SetMessageText(newer.messageText);
    if (newer.Has(kWindowVisible)) ShowWindow(newer.windowVisible);
}

CViewMailbox::CViewMailbox()
{
    InitializeCriticalSection(&m_lock);
}

CViewMailbox::~CViewMailbox()
{
    DeleteCriticalSection(&m_lock);
}

void CViewMailbox::SetWindow(HWND window)
{
    ScopedLock lock(m_lock);
    m_window = window;
}

void CViewMailbox::Post(const ViewChange& change)
{
    HWND wake = nullptr;
    {
        ScopedLock lock(m_lock);
        m_pending.Merge(change);
        if (!m_awake && m_window) {
            m_awake = true;
            ++m_wakes;
            wake = m_window;
        }
    }
    // Posted outside the lock: the window thread takes it to empty the mailbox.
    if (wake && !PostMessageW(wake, kWakeMessage, 0, 0)) {
        ScopedLock lock(m_lock);
        m_awake = false;
    }
}

bool CViewMailbox::PostAndWait(const ViewChange& change)
{
    HWND window = nullptr;
    {
        ScopedLock lock(m_lock);
        m_pending.Merge(change);
        window = m_window;
    }
    if (!window) return false;
    DWORD_PTR ignored = 0;
    // Bounded: a window thread that no longer pumps must not hold the worker forever.
    return SendMessageTimeoutW(window, kWakeMessage, 1, 0, SMTO_NORMAL, 10000, &ignored) != 0;
}

bool CViewMailbox::HandleMessage(UINT message, WPARAM wParam, ViewChange& out)
{
    if (message == kWakeMessage) {
        // 1. Take what is there; stay awake and look again shortly.
        ScopedLock lock(m_lock);
        out = m_pending;
        m_pending = ViewChange();
        m_awake = true;
        if (m_window) SetTimer(m_window, kTimerId, kTimerMs, nullptr);
        return true;
    }
    if (message == WM_TIMER && wParam == kTimerId) {
        // 2. Changes came meanwhile: apply them and keep collecting. None: sleep until the next post.
        ScopedLock lock(m_lock);
        out = m_pending;
        m_pending = ViewChange();
        if (out.Empty()) {
            if (m_window) KillTimer(m_window, kTimerId);
            m_awake = false;
        }
        return true;
    }
    return false;
}

ViewChange CViewMailbox::TakeWith(const ViewChange& change)
{
    ScopedLock lock(m_lock);
    m_pending.Merge(change);
    ViewChange taken = m_pending;
    m_pending = ViewChange();
    return taken;
}

unsigned long CViewMailbox::WakeCount() const
{
    ScopedLock lock(m_lock);
    return m_wakes;
}
