#pragma once
#include <windows.h>
#include <richedit.h>
#include <textserv.h>
#include "core/ContainerUI.h"
#include "core/PaintManager.h"
#include "core/SkinRect.h"

namespace SkinUI {

class CTxtWinHost;

// A multi-line, optionally rich-text edit box without a native window: the platform's
// windowless rich-text engine runs inside it through a CTxtWinHost, draws into the window's
// paint DC during the control's paint and takes the window's mouse and keyboard messages
// through the paint manager's message filter. The engine drives the container's scroll bars.
//
// Notifications: "return" (Return not taken by the box) and "textchanged". The engine's other
// notifications (EN_LINK, EN_SELCHANGE, ... as its event mask asks for them) are sent to the
// paint window as WM_NOTIFY; the paint manager reflects every WM_NOTIFY to its hwndFrom,
// which is the paint window itself, so the program receives them there as WM_NOTIFY + 0x2000
// (0x204E) with the NMHDR's idFrom the window's control id.
class SKINUI_API CRichEditUI : public CContainerUI, public IMessageFilterUI {
public:
    CRichEditUI();
    ~CRichEditUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    bool IsWantTab() const;
    void SetWantTab(bool bWantTab = true);
    bool IsWantReturn() const;
    void SetWantReturn(bool bWantReturn = true);
    bool IsWantCtrlReturn() const;
    void SetWantCtrlReturn(bool bWantCtrlReturn = true);
    bool IsRich() const;
    void SetRich(bool bRich = true);
    bool IsReadOnly() const;
    void SetReadOnly(bool bReadOnly = true);
    bool GetWordWrap() const;
    void SetWordWrap(bool bWordWrap = true);
    int GetFont() const;
    void SetFont(int index);
    void SetFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    LONG GetWinStyle() const;
    void SetWinStyle(LONG lStyle);
    DWORD GetTextColor() const;
    void SetTextColor(DWORD dwTextColor);
    int GetLimitText() const;
    void SetLimitText(int iChars);
    bool IsAccumulateDBCMode() const;
    void SetAccumulateDBCMode(bool bDBCMode);
    RECT GetTextPadding() const;
    void SetTextPadding(RECT rc);
    LPCTSTR GetTipValue() const;
    void SetTipValue(LPCTSTR pStrTipValue);
    DWORD GetTipValueColor() const;
    void SetTipValueColor(LPCTSTR pStrColor);
    UINT GetButtonState() const;
    // The text host, null before DoInit or when the engine is missing.
    CTxtWinHost* GetTextHost() const;

    long GetTextLength(DWORD dwFlags = GTL_DEFAULT) const;
    CSkinString GetText() const override;
    void SetText(LPCTSTR pstrText) override;
    bool GetModify() const;
    void SetModify(bool bModified = true) const;
    void GetSel(CHARRANGE& cr) const;
    void GetSel(long& nStartChar, long& nEndChar) const;
    int SetSel(CHARRANGE& cr);
    int SetSel(long nStartChar, long nEndChar);
    void ReplaceSel(LPCTSTR lpszNewText, bool bCanUndo);
    CSkinString GetSelText() const;
    int SetSelAll();
    int SetSelNone();
    WORD GetSelectionType() const;
    bool GetZoom(int& nNum, int& nDen) const;
    bool SetZoom(int nNum, int nDen);
    bool SetZoomOff();
    bool GetAutoURLDetect() const;
    bool SetAutoURLDetect(bool bAutoDetect = true);
    DWORD GetEventMask() const;
    DWORD SetEventMask(DWORD dwEventMask);
    // Adds or removes just the drop and link notifications; answers whether the mask was 0.
    bool SetDropAcceptFile(bool bAccept);
    // [nStartChar, nEndChar); -1 as the end means the end of the text. An empty or reversed
    // range gives empty text.
    CSkinString GetTextRange(long nStartChar, long nEndChar) const;
    void HideSelection(bool bHide = true, bool bChangeStyle = false);
    void ScrollCaret();
    int InsertText(long nInsertAfterChar, LPCTSTR lpstrText, bool bCanUndo = false);
    int AppendText(LPCTSTR lpstrText, bool bCanUndo = false);
    DWORD GetDefaultCharFormat(CHARFORMAT2W& cf) const;
    bool SetDefaultCharFormat(CHARFORMAT2W& cf);
    DWORD GetSelectionCharFormat(CHARFORMAT2W& cf) const;
    bool SetSelectionCharFormat(CHARFORMAT2W& cf);
    bool SetWordCharFormat(CHARFORMAT2W& cf);
    DWORD GetParaFormat(PARAFORMAT2& pf) const;
    bool SetParaFormat(PARAFORMAT2& pf);
    bool Redo();
    bool Undo();
    void Clear();
    void Copy();
    void Cut();
    void Paste();
    int GetLineCount() const;
    // Line nIndex, at most nMaxLength characters; nMaxLength < 1 gives empty text.
    CSkinString GetLine(int nIndex, int nMaxLength) const;
    int LineIndex(int nLine = -1) const;
    int LineLength(int nLine = -1) const;
    bool LineScroll(int nLines, int nChars = 0);
    CPoint GetCharPos(long lChar) const;
    long LineFromChar(long nIndex) const;
    CPoint PosFromChar(UINT nChar) const;
    int CharFromPos(CPoint pt) const;
    void EmptyUndoBuffer();
    UINT SetUndoLimit(UINT nLimit);
    long StreamIn(int nFormat, EDITSTREAM& es);
    long StreamOut(int nFormat, EDITSTREAM& es);
    IDropTarget* GetTxDropTarget();

    void SetEnabled(bool bEnable = true) override;
    void DoInit() override;
    void SetPos(RECT rc) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;
    // The engine's drawing of the text, then the hint while the box is empty.
    void PaintText(HDC hDC) override;

    void SetScrollPos(SIZE szPos) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;

    // The engine's side: every message operation passes here (S_FALSE without a host).
    virtual HRESULT TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* plresult);
    virtual bool OnTxViewChanged();
    virtual void OnTxNotify(DWORD iNotify, void* pv);

    // IMessageFilterUI: the window's raw messages for the engine.
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

protected:
    // The message's result, or lDefault without a host.
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT lDefault = 0) const;
    void SendScroll(UINT msg, WORD wCode);
    // The engine's natural height for the text area's width plus iExtraWidth.
    LONG NaturalHeight(int iExtraWidth) const;
    // One layout pass; true when it showed, hid or pulled back the horizontal bar.
    bool LayOut(RECT rc);
    // How much wider than the text area the engine's text is (0 or less: it fits).
    int TextOverflowWidth() const;
    bool IsPlainTextWithBar() const;

    CTxtWinHost* m_pTwh;
    bool m_bVScrollBarFixing;
    bool m_bWantTab;
    bool m_bWantReturn;
    bool m_bWantCtrlReturn;
    bool m_bRich;
    bool m_bReadOnly;
    bool m_bWordWrap;
    DWORD m_dwTextColor;
    int m_iFont;
    int m_iLimitText;
    LONG m_lTwhStyle;
    bool m_bInited;
    bool m_fAccumulateDBC;
    UINT m_uButtonState;
    RECT m_rcTextPadding;
    CSkinString m_sTipValue;
    DWORD m_dwTipValueColor;
};

} // namespace SkinUI
