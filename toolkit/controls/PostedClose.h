#pragma once
#include <windows.h>

namespace SkinUI {

// The close of a control's own native window (an edit, a date picker): the window asks for
// it by a WM_CLOSE posted to itself when it loses the focus or the control's focus leaves.
// The control may take the window back before that message arrives (its "killfocus"
// receiver gives it the focus again, or it is pressed again while focused): a close asked
// for before the take-back is stale and must not end the window now in use.
class CPostedClose {
public:
    CPostedClose();

    // Posts the close to hWnd, once until the window is taken back.
    void Ask(HWND hWnd);
    // Between a close being asked for and its arrival, unless taken back since.
    bool IsPending() const;
    // The window is in use again: the close on its way, if any, goes stale.
    void TakeBack();
    // Offered every message of the window: true for a stale close, which must be dropped.
    bool IsStale(UINT uMsg);

private:
    bool m_bPending;
    // Closes on their way that were asked for before a take-back.
    int m_nStale;
};

} // namespace SkinUI
