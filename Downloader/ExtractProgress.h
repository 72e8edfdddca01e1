#pragma once
// How the extraction reports its progress. The main window receives it as message 1026
// (WM_USER + 2) with the completed and the total byte counts as decimal texts.

#include <windows.h>

#include <string>

class IExtractProgress {
public:
    // May be called from any of the library's threads.
    virtual void OnExtractProgress(UINT64 completed, UINT64 total) = 0;
    // True once the extraction is to stop: the callback then answers E_ABORT.
    virtual bool ShouldStop() { return false; }

protected:
    ~IExtractProgress() = default;
};

const UINT WM_EXTRACT_PROGRESS = WM_USER + 2;

// Decimal text of a byte count, as carried by the progress message.
std::string FormatProgressNumber(UINT64 value);

// Sends the progress message synchronously; the texts live only during the call.
class CWindowExtractProgress final : public IExtractProgress {
public:
    explicit CWindowExtractProgress(HWND window) : m_window(window) {}
    void OnExtractProgress(UINT64 completed, UINT64 total) override;

private:
    HWND m_window;
};
