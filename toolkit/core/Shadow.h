#pragma once
#include <windows.h>
#include "core/SkinDefs.h"
#include "core/SkinString.h"

namespace SkinUI {

class CPaintManagerUI;

// A soft drop shadow for a toolkit window, drawn by a click-through layered popup that
// follows its host. Either computed from the host's window region or drawn from a
// nine-slice image whose corner widths are also its outset around the host.
class SKINUI_API CShadowUI {
public:
    friend class CPaintManagerUI;

    CShadowUI();
    virtual ~CShadowUI();

    // Registers the shadow window class once per process.
    static bool Initialize(HINSTANCE hInstance);

    // Takes effect at the next Create only.
    void ShowShadow(bool bShow);
    bool IsShowShadow() const;

    bool SetSize(int nSize);
    bool SetSharpness(unsigned int nSharpness);
    bool SetDarkness(unsigned int nDarkness);
    bool SetPosition(int nXOffset, int nYOffset);
    bool SetColor(DWORD dwColor);
    bool SetImage(LPCTSTR pstrImage);
    bool SetShadowCorner(RECT rcCorner);

    bool CopyShadow(CShadowUI* pShadow);

    // Creates the shadow window for the manager's paint window and subclasses the host;
    // does nothing when the shadow is off or its window exists already.
    void Create(CPaintManagerUI* pManager);

    HWND GetShadowWindow() const { return m_hWnd; }

    // Computed shadow pixels, as a function of the host region (exposed for tests).
    static DWORD PreMultiply(DWORD dwColor, BYTE nAlpha);

protected:
    enum { SS_ENABLED = 0x1, SS_VISABLE = 0x2, SS_PARENTVISIBLE = 0x4 };

    void Update(HWND hParent);
    // pixels: a bottom-up buffer of (W + 2*size) x (H + 2*size) 32-bit values.
    void MakeShadow(UINT* pShadBits, HWND hParent, RECT* rcParent);
    // Where the shadow window goes for a host at rcHost (screen coordinates).
    POINT ShadowOrigin(const RECT& rcHost) const;
    void Destroy();

    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    CPaintManagerUI* m_pManager;
    HWND m_hWnd;
    WNDPROC m_OriParentProc;
    BYTE m_Status;
    bool m_bIsImageMode;
    bool m_bIsShowShadow;
    BYTE m_nDarkness;
    BYTE m_nSharpness;
    signed char m_nSize;
    signed char m_nxOffset;
    signed char m_nyOffset;
    LPARAM m_WndSize;
    bool m_bUpdate;
    DWORD m_Color;
    CSkinString m_sShadowImage;
    RECT m_rcShadowCorner;
    HWND m_hHost;

    static bool s_bHasInit;
};

} // namespace SkinUI
