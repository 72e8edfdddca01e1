#pragma once
#include "core/LabelUI.h"
#include "core/WindowWnd.h"
#include "controls/PostedClose.h"

namespace SkinUI {

class CEditUI;

// The native edit that exists only while its CEditUI has the focus: a child over the text
// area, or a popup at screen coordinates when the host is layered (a child would not be
// drawn there). It closes itself when it loses the native focus and deletes itself in its
// final message.
class SKINUI_API CEditWnd final : public CWindowWnd {
public:
    CEditWnd();

    void Init(CEditUI* pOwner);
    // The native edit's rectangle in the host window's client coordinates.
    RECT CalcEditPos() const;
    // The owner is going away: no further write may reach it.
    void Detach();
    // Asks for the close by a posted message, once until the edit is taken back.
    void CloseLater();
    // Between a close being asked for and its arrival.
    bool IsClosing() const;
    // The owner has the focus again before the close arrived: this edit stays and takes the
    // native focus back.
    void TakeBack();

    LPCTSTR GetWindowClassName() const override;
    LPCTSTR GetSuperClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

protected:
    CEditUI* m_pOwner;
    HBRUSH m_hBkBrush;
    bool m_bInit;
    CPostedClose m_close;
};

// A single-line text box painted like a label (text, hint or password characters, state
// images); typing happens in a CEditWnd opened on focus.
class SKINUI_API CEditUI : public CLabelUI {
    friend class CEditWnd;

public:
    CEditUI();
    ~CEditUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    void SetEnabled(bool bEnable = true) override;
    void SetText(LPCTSTR pstrText) override;
    void SetMaxChar(UINT uMax);
    UINT GetMaxChar() const;
    void SetReadOnly(bool bReadOnly);
    bool IsReadOnly() const;
    void SetPasswordMode(bool bPasswordMode);
    bool IsPasswordMode() const;
    void SetPasswordChar(TCHAR cPasswordChar);
    TCHAR GetPasswordChar() const;
    void SetNumberOnly(bool bNumberOnly);
    bool IsNumberOnly() const;
    int GetWindowStyls() const;

    void SetNativeEditBkColor(DWORD dwBkColor);
    DWORD GetNativeEditBkColor() const;
    void SetNativeEditTextColor(LPCTSTR pStrColor);
    DWORD GetNativeEditTextColor() const;

    void SetSel(long nStartChar, long nEndChar);
    void SetSelAll();
    void SetReplaceSel(LPCTSTR lpszReplace);

    void SetTipValue(LPCTSTR pStrTipValue);
    LPCTSTR GetTipValue();
    void SetTipValueColor(LPCTSTR pStrColor);
    DWORD GetTipValueColor() const;

    // The open native edit, null while none is open.
    CEditWnd* GetNativeWindow() const;
    UINT GetButtonState() const;

    void SetPos(RECT rc) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    // One password character per character of pstrText; a surrogate pair is one character.
    static CSkinString MaskText(LPCTSTR pstrText, TCHAR cPasswordChar);

protected:
    void OpenNativeWindow();
    // Selects the whole text of the open native edit (0..1 when empty).
    void SelectNativeText();

    CEditWnd* m_pWindow;
    UINT m_uMaxChar;
    bool m_bReadOnly;
    bool m_bPasswordMode;
    TCHAR m_cPasswordChar;
    UINT m_uButtonState;
    CSkinString m_sTipValue;
    DWORD m_dwTipValueColor;
    DWORD m_dwEditbkColor;
    DWORD m_dwEditTextColor;
    int m_iWindowStyls;
};

} // namespace SkinUI
