#pragma once
#include <windows.h>
#include <richedit.h>
#include <textserv.h>
#include "core/SkinDefs.h"

namespace SkinUI {

class CRichEditUI;

// The windowless host through which a CRichEditUI runs the platform's rich-text engine
// (msftedit's text services): the engine asks it for the paint DC, the text area, the default
// formats and the window services (scroll bars, caret, timers, capture), and reports its
// changes to it. Everything is mapped onto the owning control and its paint manager.
//
// Only the IUnknown methods are COM calls; the engine calls the ITextHost methods with the
// compiler's member convention, as the interface header declares them.
class CTxtWinHost : public ITextHost {
public:
    // A host running the engine for pOwner (null when the engine cannot be had; nothing of a
    // half-made host is left behind). pcs gives the style and the initial text; it may be null.
    static CTxtWinHost* Create(CRichEditUI* pOwner, const CREATESTRUCTW* pcs);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ITextHost
    HDC TxGetDC() override;
    INT TxReleaseDC(HDC hdc) override;
    WINBOOL TxShowScrollBar(INT fnBar, WINBOOL fShow) override;
    WINBOOL TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags) override;
    WINBOOL TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, WINBOOL fRedraw) override;
    WINBOOL TxSetScrollPos(INT fnBar, INT nPos, WINBOOL fRedraw) override;
    void TxInvalidateRect(LPCRECT prc, WINBOOL fMode) override;
    void TxViewChange(WINBOOL fUpdate) override;
    WINBOOL TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight) override;
    WINBOOL TxShowCaret(WINBOOL fShow) override;
    WINBOOL TxSetCaretPos(INT x, INT y) override;
    WINBOOL TxSetTimer(UINT idTimer, UINT uTimeout) override;
    void TxKillTimer(UINT idTimer) override;
    void TxScrollWindowEx(INT dx, INT dy, LPCRECT lprcScroll, LPCRECT lprcClip, HRGN hrgnUpdate, LPRECT lprcUpdate,
                          UINT fuScroll) override;
    void TxSetCapture(WINBOOL fCapture) override;
    void TxSetFocus() override;
    void TxSetCursor(HCURSOR hcur, WINBOOL fText) override;
    WINBOOL TxScreenToClient(LPPOINT lppt) override;
    WINBOOL TxClientToScreen(LPPOINT lppt) override;
    HRESULT TxActivate(LONG* plOldState) override;
    HRESULT TxDeactivate(LONG lNewState) override;
    HRESULT TxGetClientRect(LPRECT prc) override;
    HRESULT TxGetViewInset(LPRECT prc) override;
    HRESULT TxGetCharFormat(const CHARFORMATW** ppCF) override;
    HRESULT TxGetParaFormat(const PARAFORMAT** ppPF) override;
    COLORREF TxGetSysColor(int nIndex) override;
    HRESULT TxGetBackStyle(TXTBACKSTYLE* pstyle) override;
    HRESULT TxGetMaxLength(DWORD* plength) override;
    HRESULT TxGetScrollBars(DWORD* pdwScrollBar) override;
    HRESULT TxGetPasswordChar(TCHAR* pch) override;
    HRESULT TxGetAcceleratorPos(LONG* pcp) override;
    HRESULT TxGetExtent(LPSIZEL lpExtent) override;
    HRESULT OnTxCharFormatChange(const CHARFORMATW* pcf) override;
    HRESULT OnTxParaFormatChange(const PARAFORMAT* ppf) override;
    HRESULT TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) override;
    HRESULT TxNotify(DWORD iNotify, void* pv) override;
    HIMC TxImmGetContext() override;
    void TxImmReleaseContext(HIMC himc) override;
    HRESULT TxGetSelectionBarWidth(LONG* lSelBarWidth) override;

    // Host operations of the owning control; each tells the engine what changed.
    ITextServices* GetTextServices() const;
    void SetClientRect(const RECT* prc);
    RECT GetControlRect() const;
    void LimitText(LONG nChars);
    void SetReadOnly(bool bReadOnly);
    void SetRichTextFlag(bool bRich);
    void SetWordWrap(bool bWordWrap);
    void SetTransparent(bool bTransparent);
    void SetColor(DWORD dwArgb);
    void SetFont(HFONT hFont);
    void SetCharFormat(const CHARFORMAT2W& cf);
    void SetParaFormat(const PARAFORMAT2& pf);
    bool IsCaptured() const;
    BOOL DoSetCursor(const RECT* prc, const POINT* pt);
    HRESULT OnTxInPlaceActivate(LPCRECT prcClient);
    // The style the host answers the engine from (edit and window style bits).
    DWORD GetStyle() const;

    virtual ~CTxtWinHost();

private:
    CTxtWinHost();
    CTxtWinHost(const CTxtWinHost&) = delete;
    CTxtWinHost& operator=(const CTxtWinHost&) = delete;

    bool Init(CRichEditUI* pOwner, const CREATESTRUCTW* pcs);
    bool InitDefaultCharFormat(HFONT hFont);
    void InitDefaultParaFormat();
    // Height, effects, character set, pitch and face of a font into the default format.
    bool ApplyFont(HFONT hFont);
    // GetDeviceCaps of the manager's paint DC.
    int PaintDeviceCaps(int nIndex) const;
    void SetFlag(DWORD dwFlag, bool bOn);
    bool HasFlag(DWORD dwFlag) const;
    void NotifyBits(DWORD dwMask, DWORD dwBits);
    // Tells the engine the maximum length, and the default character format.
    void ApplyMaxLength();
    void ApplyCharFormat();

    CRichEditUI* m_pOwner;
    LONG m_cRef;
    ITextServices* m_pTextServices;
    DWORD m_dwStyle;
    DWORD m_dwFlags;
    LONG m_lSelBarWidth;
    LONG m_cchTextMost;
    RECT m_rcClient;
    SIZEL m_sizelExtent;
    CHARFORMAT2W m_cf;
    PARAFORMAT2 m_pf;
    LONG m_laccelpos;
    WCHAR m_chPasswordChar;
};

} // namespace SkinUI
