#include "controls/PostedClose.h"

namespace SkinUI {

CPostedClose::CPostedClose() : m_bPending(false), m_nStale(0) {}

void CPostedClose::Ask(HWND hWnd)
{
    if (m_bPending) return;
    if (::PostMessageW(hWnd, WM_CLOSE, 0, 0)) m_bPending = true;
}

bool CPostedClose::IsPending() const
{
    return m_bPending;
}

void CPostedClose::TakeBack()
{
    if (!m_bPending) return;
    m_bPending = false;
    m_nStale++;
}

bool CPostedClose::IsStale(UINT uMsg)
{
    // Posted messages arrive in order: the stale closes come before any asked for later.
    if (uMsg != WM_CLOSE || m_nStale == 0) return false;
    m_nStale--;
    return true;
}

} // namespace SkinUI
