#pragma once
#include "core/ButtonUI.h"
#include "core/WindowWnd.h"
#include "controls/PostedClose.h"

namespace SkinUI {

class CDateTimeUI;

// The native date picker shown over its CDateTimeUI while that has the focus. It writes
// the picked date back when it loses the focus, clears it on Delete or Backspace, drops the
// edit on Escape, and deletes itself in its final message.
class SKINUI_API CDateTimeWnd final : public CWindowWnd {
public:
    CDateTimeWnd();

    void Init(CDateTimeUI* pOwner);
    // The owner is going away: no further write may reach it.
    void Detach();
    // Whether a focus loss with the cursor on this calendar part keeps the picker open
    // (the month arrows): the answer given to the focus loss.
    static LRESULT KillFocusAnswerForHit(UINT uHit);
    // Writes the picked date back (unless the edit was cleared or abandoned) and closes, once.
    void TakeDateAndClose();
    // Between a close being asked for and its message arriving; Init takes the picker back.
    bool IsClosing() const;

    LPCTSTR GetWindowClassName() const override;
    LPCTSTR GetSuperClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

protected:
    // This picker's own drop-down calendar, when it is shown (the platform may keep a hidden
    // one for the picker's whole life).
    HWND GetDroppedCalendar() const;
    // Whether the window is this picker, its calendar or a child of either.
    bool OwnsWindow(HWND hWnd) const;
    LRESULT CloseWithDate(UINT uMsg, WPARAM wParam, LPARAM lParam);

    CDateTimeUI* m_pOwner;
    HBRUSH m_hBkBrush;
    bool m_bInit;
    CPostedClose m_close;
};

// A button showing a date as "yyyy-mm-dd" that opens a CDateTimeWnd on focus.
class SKINUI_API CDateTimeUI : public CButtonUI {
    friend class CDateTimeWnd;

public:
    // How UpdateText treats the text.
    enum { DT_NONE = 0, DT_UPDATE = 1, DT_DELETE = 2, DT_KEEP = 3 };

    CDateTimeUI();
    ~CDateTimeUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    SYSTEMTIME& GetTime();
    void SetTime(SYSTEMTIME* pst);
    void SetReadOnly(bool bReadOnly);
    bool IsReadOnly() const;
    void UpdateText();
    int GetUpdateState() const;

    // The open picker, null while none is open.
    CDateTimeWnd* GetNativeWindow() const;

    void DoEvent(TEventUI& event) override;

protected:
    void OpenNativeWindow();
    // The open picker takes the control's time again and is shown with the focus.
    void ShowNativeWindow();

    SYSTEMTIME m_sysTime;
    int m_nDTUpdateFlag;
    bool m_bReadOnly;
    CDateTimeWnd* m_pWindow;
};

} // namespace SkinUI
