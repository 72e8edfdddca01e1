#pragma once
#include <windows.h>

#include <string>
#include <utility>

// What the update flow wants the main window to show. Only the fields named in `fields` are
// to be changed; the rest stay as the skin or an earlier change left them.
struct ViewChange {
    enum Field : unsigned {
        kProgressVisible = 1u << 0,
        kProgressValue = 1u << 1,  // also sets the bar's range to 0..100
        kPercentVisible = 1u << 2, // "Optionsum"
        kPercentText = 1u << 3,
        kSpeedVisible = 1u << 4, // "Optionbt"
        kSpeedText = 1u << 5,
        kMessageVisible = 1u << 6, // "Optionts"
        kMessageText = 1u << 7,
        kWindowVisible = 1u << 8,
    };

    unsigned fields = 0;
    bool progressVisible = false;
    int progressValue = 0; // 0..100
    bool percentVisible = false;
    std::wstring percentText;
    bool speedVisible = false;
    std::wstring speedText;
    bool messageVisible = false;
    std::wstring messageText;
    bool windowVisible = true;

    bool Has(Field f) const { return (fields & f) != 0; }
    bool Empty() const { return fields == 0; }

    ViewChange& ShowProgress(bool visible);
    ViewChange& SetProgress(int value);
    ViewChange& ShowPercent(bool visible);
    ViewChange& SetPercentText(const std::wstring& text);
    ViewChange& ShowSpeed(bool visible);
    ViewChange& SetSpeedText(const std::wstring& text);
    ViewChange& ShowMessage(bool visible);
    ViewChange& SetMessageText(const std::wstring& text);
    ViewChange& ShowWindow(bool visible);

    // Takes over every field that newer sets; newer values replace older ones.
    void Merge(const ViewChange& newer);
};

// Hands view changes from worker threads to the window thread. Changes the window has not
// applied yet are merged, not queued: however fast a worker reports, no message is queued
// while one is on its way, and while changes keep coming the window collects them on a short
// timer instead (about 30 times a second), so a worker costs no message per chunk.
class CViewMailbox {
public:
    // The wake-up message and the timer id of the collection on the window.
    static const UINT kWakeMessage = WM_APP + 0x20;
    static const UINT_PTR kTimerId = 0x7A11;
    static const UINT kTimerMs = 30;

    CViewMailbox();
    ~CViewMailbox();
    CViewMailbox(const CViewMailbox&) = delete;
    CViewMailbox& operator=(const CViewMailbox&) = delete;

    // Where wake-ups go; null drops them (the changes still collect).
    void SetWindow(HWND window);

    // Any thread: merges change and wakes the window unless it is already awake.
    void Post(const ViewChange& change);
    // Any thread but the window's: merges change and has the window apply everything pending
    // before returning (false when the window is gone or does not answer within 10 s).
    bool PostAndWait(const ViewChange& change);

    // Window thread: the wake-up message and the collection timer. True when message was one
    // of them; out then holds what to apply (possibly nothing).
    bool HandleMessage(UINT message, WPARAM wParam, ViewChange& out);
    // Window thread: merges change into what is pending and takes it all.
    ViewChange TakeWith(const ViewChange& change);

    // How many wake-up messages were posted (for tests and benchmarks).
    unsigned long WakeCount() const;

private:
    mutable CRITICAL_SECTION m_lock;
    HWND m_window = nullptr;
    ViewChange m_pending;
    // A wake-up message is queued or the collection timer runs: posts need not wake.
    bool m_awake = false;
    unsigned long m_wakes = 0;
};
