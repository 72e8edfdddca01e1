#include "ExtractProgress.h"

#include <cstdlib>

std::string FormatProgressNumber(UINT64 value)
{
    char text[32];
    _ui64toa(value, text, 10);
    return text;
}

void CWindowExtractProgress::OnExtractProgress(UINT64 completed, UINT64 total)
{
    if (!m_window) return;
    const std::string completedText = FormatProgressNumber(completed);
    const std::string totalText = FormatProgressNumber(total);
    SendMessageW(m_window, WM_EXTRACT_PROGRESS, reinterpret_cast<WPARAM>(completedText.c_str()),
                 reinterpret_cast<LPARAM>(totalText.c_str()));
}
