#pragma once
#include <windows.h>
#include <commctrl.h>
#include "core/SkinDefs.h"
#include "core/SkinString.h"
#include "core/StdPtrArray.h"
#include "core/StdStringPtrMap.h"
#include "core/SkinRect.h"
#include "core/Shadow.h"

namespace SkinUI {

class CControlUI;
class CRichEditUI;

// Input event codes (tagTEventUI::type). Keyboard events occupy 3..6, mouse events 9..18.
enum UIEVENT_TYPE {
    UIEVENT_KEYDOWN = 3,
    UIEVENT_KEYUP = 4,
    UIEVENT_CHAR = 5,
    UIEVENT_SYSKEYDOWN = 6,
    UIEVENT_MOUSEMOVE = 9,
    UIEVENT_MOUSELEAVE = 10,
    UIEVENT_MOUSEENTER = 11,
    UIEVENT_MOUSEHOVER = 12,
    UIEVENT_LBUTTONDOWN = 13,
    UIEVENT_LBUTTONUP = 14,
    UIEVENT_RBUTTONDOWN = 15,
    UIEVENT_LBUTTONDBLCLK = 16,
    UIEVENT_CONTEXTMENU = 17,
    UIEVENT_MOUSEWHEEL = 18,
    UIEVENT_KILLFOCUS = 20,
    UIEVENT_SETFOCUS = 21,
    UIEVENT_SIZE = 22,
    UIEVENT_SETCURSOR = 23,
    UIEVENT_TIMER = 24,

    UIEVENT__KEYBEGIN = UIEVENT_KEYDOWN,
    UIEVENT__KEYEND = UIEVENT_SYSKEYDOWN,
    UIEVENT__MOUSEBEGIN = UIEVENT_MOUSEMOVE,
    UIEVENT__MOUSEEND = UIEVENT_MOUSEWHEEL
};

// A font of a manager's font table; the manager owns the handle and the record.
typedef struct tagTFontInfo {
    HFONT hFont;
    CSkinString faceName;
    int size; // the LOGFONT height is minus this
    bool bold;
    bool underline;
    bool italic;
    TEXTMETRICW tm; // all zero until measured with a paint DC
} TFontInfo;

// A decoded image: 32-bit top-down DIB with premultiplied alpha, owned by the image cache.
typedef struct tagTImageInfo {
    HBITMAP hBitmap;
    int width;
    int height;
    bool hasAlpha;
    CSkinString resType; // empty for files and zip entries
    DWORD mask;
} TImageInfo;

// An input event delivered to a control; built from a zeroed record.
typedef struct tagTEventUI {
    int type;
    CControlUI* sender;
    DWORD timestamp;
    POINT mousePos;
    TCHAR key;
    WORD keyState;
    WPARAM wParam;
    LPARAM lParam;
} TEventUI;

// A notification from a control to its window.
typedef struct tagTNotifyUI {
    CSkinString type;
    CSkinString virtualWnd;
    CControlUI* sender;
    DWORD timestamp;
    POINT mousePos;
    WPARAM wParam;
    LPARAM lParam;
} TNotifyUI;

// One control timer multiplexed onto the paint window.
typedef struct TTimerEntry {
    CControlUI* sender;
    UINT localId;
    HWND hWnd;
    UINT winTimerId;
    bool killed;
} TIMERINFO;

class INotifyUI {
public:
    virtual void Notify(tagTNotifyUI& msg) = 0;
};

class IMessageFilterUI {
public:
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;
};

class ITranslateAccelerator {
public:
    // S_OK (0) means the message was translated and must not be dispatched.
    virtual LRESULT TranslateAccelerator(MSG* pMsg) = 0;
};

// Signature of the control-tree search callbacks (non-null stops the search).
typedef CControlUI*(CALLBACK* FINDCONTROLPROC)(CControlUI*, LPVOID);

// One per toolkit window: owns the control tree, the caches and the observer lists, and
// holds the toolkit-wide settings as class members. Single-threaded.
class SKINUI_API CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    // A copy would free the fonts, images and DC of the original a second time.
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // Binding, tree.
    void Init(HWND hWnd);
    bool AttachDialog(CControlUI* pControl);
    bool InitControls(CControlUI* pControl, CControlUI* pParent = NULL);
    // Forgets every reference to a control that goes. It only clears pointers: what must
    // reach the window (the mouse capture, the tool tip) is released by a posted message.
    void ReapObjects(CControlUI* pControl);
    // A control that goes: every manager of this thread that still exists forgets it (its
    // own one among them, unless that one is gone already).
    static void ReapEverywhere(CControlUI* pControl, CPaintManagerUI* pOwnManager);
    // Whether the manager exists and was made on this thread (until its destructor ends).
    static bool IsThreadManager(const CPaintManagerUI* pManager);
    // Told of a misuse by the program that the toolkit cannot repair (a control deleted on
    // another thread than its window's). The default writes the debug output and asserts in
    // debug builds. Set before windows are made; answers the previous handler.
    typedef void (*CALLERFAULTPROC)(LPCTSTR pstrWhat);
    static CALLERFAULTPROC SetCallerFaultHandler(CALLERFAULTPROC pfn);
    void AddDelayedCleanup(CControlUI* pControl);

    // Layout and painting.
    void NeedUpdate();
    void Invalidate(RECT& rcItem);
    void DrawCaret(HDC hDC, const RECT& rcPaint);
    // The layered back buffer (32-bit top-down, premultiplied) and its size; null before the
    // first layered paint.
    const BYTE* GetLayeredBits(SIZE* pSize) const;

    HWND GetPaintWindow() const;
    HDC GetPaintDC() const;
    CControlUI* GetRoot() const;
    HWND GetTooltipWindow() const;
    CShadowUI* GetShadow();
    POINT GetMousePos() const;
    SIZE GetClientSize() const;

    // Window properties set by the skin builder.
    SIZE GetInitSize();
    void SetInitSize(int cx, int cy);
    RECT& GetSizeBox();
    void SetSizeBox(const RECT& rcSizeBox);
    RECT& GetCaptionRect();
    void SetCaptionRect(const RECT& rcCaption);
    SIZE GetRoundCorner() const;
    void SetRoundCorner(int cx, int cy);
    SIZE GetMinInfo() const;
    void SetMinInfo(int cx, int cy);
    SIZE GetMaxInfo() const;
    void SetMaxInfo(int cx, int cy);
    RECT& GetRichEditCorner();
    void SetRichEditCorner(const RECT& rcCorner);
    int GetTransparent() const;
    void SetTransparent(int nOpacity);
    bool IsLayeredWindow() const;
    void SetUseLayeredWindow(bool bLayered);
    bool IsUseGdiplusText() const;
    void SetUseGdiplusText(bool bUse);
    void UsedVirtualWnd(bool bUsed);

    // Toolkit-wide settings.
    static HINSTANCE GetInstance();
    static CSkinString GetInstancePath();
    static CSkinString GetCurrentPath();
    static HINSTANCE GetResourceDll();
    static const CSkinString& GetResourcePath();
    static const CSkinString& GetResourceZip();
    static bool IsCachedResourceZip();
    static HANDLE GetResourceZipHandle();
    static void SetInstance(HINSTANCE hInst);
    static void SetCurrentPath(LPCTSTR pStrPath);
    static void SetResourceDll(HINSTANCE hInst);
    static void SetResourcePath(LPCTSTR pStrPath);
    static void SetResourceZip(LPVOID pVoid, unsigned int len);
    static void SetResourceZip(LPCTSTR pstrZip, bool bCachedResourceZip = false);
    static void SetResourceZip(UINT nResID);
    static void GetHSL(short* H, short* S, short* L);
    static void SetHSL(bool bUseHSL, short H, short S, short L);
    static void ReloadSkin();
    static bool LoadPlugin(LPCTSTR pstrModuleName);
    static CStdPtrArray* GetPlugins();
    static void Term();

    bool UseParentResource(CPaintManagerUI* pm);
    CPaintManagerUI* GetParentResource() const;

    // Default colours: setters store here, getters answer the last manager of the chain.
    DWORD GetDefaultDisabledColor() const;
    void SetDefaultDisabledColor(DWORD dwColor);
    DWORD GetDefaultFontColor() const;
    void SetDefaultFontColor(DWORD dwColor);
    DWORD GetDefaultLinkFontColor() const;
    void SetDefaultLinkFontColor(DWORD dwColor);
    DWORD GetDefaultLinkHoverFontColor() const;
    void SetDefaultLinkHoverFontColor(DWORD dwColor);
    DWORD GetDefaultSelectedBkColor() const;
    void SetDefaultSelectedBkColor(DWORD dwColor);

    // Fonts; an id is an index into this manager's custom font list.
    tagTFontInfo* GetDefaultFontInfo();
    void SetDefaultFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    DWORD GetCustomFontCount() const;
    HFONT AddFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    HFONT AddFontAt(int index, LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    HFONT GetFont(int index);
    HFONT GetFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    bool FindFont(HFONT hFont);
    bool FindFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    int GetFontIndex(HFONT hFont);
    int GetFontIndex(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    bool RemoveFont(HFONT hFont);
    bool RemoveFontAt(int index);
    void RemoveAllFonts();
    tagTFontInfo* GetFontInfo(int index);
    tagTFontInfo* GetFontInfo(HFONT hFont);

    // Images; the cache key is the image string itself.
    tagTImageInfo* GetImage(LPCTSTR bitmap);
    tagTImageInfo* GetImageEx(LPCTSTR bitmap, LPCTSTR type = NULL, DWORD mask = 0);
    tagTImageInfo* AddImage(LPCTSTR bitmap, LPCTSTR type = NULL, DWORD mask = 0);
    // The manager owns hBitmap after this call in every case, also when it fails.
    tagTImageInfo* AddImage(LPCTSTR bitmap, HBITMAP hBitmap, int iWidth, int iHeight, bool bAlpha);
    // Unsafe while controls still hold the image: they keep raw record pointers.
    bool RemoveImage(LPCTSTR bitmap);
    void RemoveAllImages();
    void ReloadAllImages();
    // A new record owned by the caller, or null.
    static tagTImageInfo* LoadImage(STRINGorID bitmap, LPCTSTR type = NULL, DWORD mask = 0);
    static void FreeImage(tagTImageInfo* pImage);

    // Default attribute lists per control class name.
    void AddDefaultAttributeList(LPCTSTR pStrControlName, LPCTSTR pStrControlAttrList);
    LPCTSTR GetDefaultAttributeList(LPCTSTR pStrControlName) const;
    bool RemoveDefaultAttributeList(LPCTSTR pStrControlName);
    const CStdStringPtrMap& GetDefaultAttribultes() const;
    void RemoveAllDefaultAttributeList();

    // Option groups.
    bool AddOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl);
    CStdPtrArray* GetOptionGroup(LPCTSTR pStrGroupName);
    void RemoveOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl);
    void RemoveAllOptionGroups();

    // Focus and capture. Exactly one control is focused, the one GetFocus answers. A move
    // that user code starts while another move is telling its events and notifications
    // (or making its native focus call) wins: the outer move stops where it is.
    CControlUI* GetFocus() const;
    void SetFocus(CControlUI* pControl);
    // For a control that is being hidden: it loses the focus at once, without any call out
    // of the toolkit (hiding runs inside loops over the tree), and hears of it (its
    // kill-focus event, then "killfocus") after the current message, or before the next
    // focus move when that comes first.
    void DropFocusOnHide(CControlUI* pControl);
    void SetFocusNeeded(CControlUI* pControl);
    bool SetNextTabControl(bool bForward = true);
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured();

    // Timers.
    bool SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse);
    bool KillTimer(CControlUI* pControl, UINT nTimerID);
    void KillTimer(CControlUI* pControl);
    void RemoveAllTimers();

    // Caret of the windowless rich edit.
    bool CreateCaret(HBITMAP hBmp, int nWidth, int nHeight);
    bool ShowCaret(bool bShow);
    // The owner is converted to the control it is where the caller knows the rich edit's
    // class, so that reaping compares controls and never depends on the class layout.
    template <class TRichEdit>
    bool SetCaretPos(TRichEdit* obj, int x, int y)
    {
        return SetCaretPosOf(obj, obj, x, y);
    }
    bool SetCaretPosOf(CRichEditUI* obj, CControlUI* pOwnerControl, int x, int y);
    CRichEditUI* GetCurrentCaretRichEdit();
    // The rich edit tells the caret's colour (its GetTextColor; 0 means the default font colour).
    typedef DWORD (*CARETCOLORPROC)(CControlUI* pRichEdit);
    static void SetCaretColorQuery(CARETCOLORPROC pfn);

    // Notifications and observers.
    // Delivered at once (or queued, answering true): the sender's own handlers, then the
    // notifiers in order, stopping as soon as the sender, this manager or its window is gone
    // (nothing is told from a window that was destroyed). Answers whether all of them still
    // exist, so that the sender's code knows it may go on; a sender that went is cleared from
    // the record.
    bool SendNotify(tagTNotifyUI& Msg, bool bAsync = false);
    bool SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool bAsync = false);
    bool AddNotifier(INotifyUI* pControl);
    bool RemoveNotifier(INotifyUI* pControl);
    bool AddPreMessageFilter(IMessageFilterUI* pFilter);
    bool RemovePreMessageFilter(IMessageFilterUI* pFilter);
    bool AddMessageFilter(IMessageFilterUI* pFilter);
    bool RemoveMessageFilter(IMessageFilterUI* pFilter);
    bool AddTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    bool TranslateAccelerator(LPMSG pMsg);
    int GetPostPaintCount() const;
    bool AddPostPaint(CControlUI* pControl);
    bool RemovePostPaint(CControlUI* pControl);
    bool SetPostPaintIndex(CControlUI* pControl, int iIndex);

    // Control lookup.
    CControlUI* FindControl(POINT pt) const;
    CControlUI* FindControl(LPCTSTR pstrName) const;
    CControlUI* FindSubControlByPoint(CControlUI* pParent, POINT pt) const;
    CControlUI* FindSubControlByName(CControlUI* pParent, LPCTSTR pstrName) const;
    CControlUI* FindSubControlByClass(CControlUI* pParent, LPCTSTR pstrClass, int iIndex = 0);
    CStdPtrArray* FindSubControlsByClass(CControlUI* pParent, LPCTSTR pstrClass);
    CStdPtrArray* GetSubControlsByClass();

    // Message handling.
    static void MessageLoop();
    static bool TranslateMessage(const MSG* pMsg);
    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    // The rich edit tells whether a focused rich edit keeps the Tab key (its IsWantTab).
    typedef bool (*WANTTABPROC)(CControlUI* pRichEdit);
    static void SetWantTabQuery(WANTTABPROC pfn);

    // Exported for the class searches; see the control's FindControl.
    static CControlUI* CALLBACK __FindControlFromNameHash(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromCount(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromPoint(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromTab(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromShortcut(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromUpdate(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromName(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromClass(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlsFromClass(CControlUI* pThis, LPVOID pData);

private:
    // The caret blinks on this Windows timer id, past the 0..239 of the control timers.
    enum { CARET_TIMER_ID = 241 };

    // Shared by the manager and the deliveries running on the stack: the manager's
    // destructor marks it dead (a notifier may destroy the window and its manager), and the
    // last holder frees it.
    struct TLifeToken {
        int refs;
        bool alive;
    };
    class CLifeGuardScope {
    public:
        explicit CLifeGuardScope(CPaintManagerUI* pManager) : m_pToken(pManager->m_pLifeToken) { m_pToken->refs++; }
        ~CLifeGuardScope()
        {
            if (--m_pToken->refs == 0) delete m_pToken;
        }
        CLifeGuardScope(const CLifeGuardScope&) = delete;
        CLifeGuardScope& operator=(const CLifeGuardScope&) = delete;
        bool Alive() const { return m_pToken->alive; }

    private:
        TLifeToken* m_pToken;
    };

    // The window this manager served was destroyed, and the code still running under one of
    // its messages (its final message waits for them) goes on with a tree that nothing shows:
    // that code tells no one, lays out and paints nothing more.
    bool IsPaintWindowGone() const;
    // Answers false when the manager or its window was destroyed meanwhile.
    bool DeliverAsyncNotifications();
    // The focus losses, then the queued notifications, unless a native focus hold is open;
    // answers false when the manager was destroyed meanwhile.
    bool DeliverWaiting();
    // Takes the focus away ("killfocus"); answers false when the manager was destroyed.
    bool DropFocus(CControlUI* pNext);
    // Tells the controls hidden with the focus that they lost it; answers false when the
    // manager was destroyed.
    bool DeliverFocusLosses();
    // Tells one control it lost the focus: its event, then "killfocus".
    bool TellFocusLoss(CControlUI* pOld, CControlUI* pNext);
    void OnPaint();
    void LayoutTree(const RECT& rcClient);
    void PaintLayered(const PAINTSTRUCT& ps, const RECT& rcClient);
    void PaintNormal(const PAINTSTRUCT& ps, const RECT& rcClient);
    bool EnsureOffscreen(const RECT& rcClient);
    void OnMouseMove(LPARAM lParam);
    bool OnMouseHover(LPARAM lParam);
    void OnTimer(WPARAM wParam);
    void RunDelayedCleanup();
    // One WM_APP+1 on its way at a time: it runs the delayed cleanup and ReleaseReaped.
    void PostCleanupMessage();
    void DeactivateToolTip();
    // An event from a zeroed record, at the stored mouse position unless one is given.
    void SendEvent(CControlUI* pTarget, int type, WPARAM wParam = 0, LPARAM lParam = 0, WORD wKeyState = 0,
                   TCHAR chKey = 0, const POINT* pMousePos = NULL);
    UINT NextTimerId() const;
    // How a delivery ended.
    enum TDelivery { DELIVERED, SENDER_GONE, MANAGER_GONE };
    TDelivery DeliverNotify(tagTNotifyUI& msg);
    // Releases the capture and the tool tip that reaping left to the window's next turn.
    void ReleaseReaped();
    void MeasureFont(tagTFontInfo* pFontInfo);
    HFONT CreateFontFrom(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic, bool bClearType);
    CPaintManagerUI* GetLastResourceManager();
    const CPaintManagerUI* GetLastResourceManager() const;
    void DropOffscreen();
    static WORD KeyState();
    void InvalidateWhole();
    static void CloseCachedZip();

    HWND m_hWndPaint;
    int m_nOpacity;
    HDC m_hDcPaint;
    HDC m_hDcOffscreen;
    HBITMAP m_hbmpOffscreen;
    BYTE* m_pOffscreenBits;
    bool m_bLayered;
    RECT m_rcLayeredUpdate;
    RECT m_rcRichEditCorner;
    bool m_bLayeredChanged;
    bool m_bUseGdiplusText;
    CShadowUI m_shadow;
    RECT m_rtCaret;
    bool m_bCaretActive;
    bool m_bCaretShowing;
    CRichEditUI* m_currentCaretObject;
    HWND m_hwndTooltip;
    TOOLINFOW m_ToolTip;
    CControlUI* m_pRoot;
    CControlUI* m_pFocus;
    CControlUI* m_pEventHover;
    CControlUI* m_pEventClick;
    CControlUI* m_pEventKey;
    POINT m_ptLastMousePos;
    SIZE m_szMinWindow;
    SIZE m_szMaxWindow;
    SIZE m_szInitWindowSize;
    RECT m_rcSizeBox;
    SIZE m_szRoundCorner;
    RECT m_rcCaption;
    UINT m_uTimerID;
    bool m_bFirstLayout;
    bool m_bUpdateNeeded;
    bool m_bFocusNeeded;
    bool m_bMouseTracking;
    bool m_bMouseCapture;
    bool m_bUsedVirtualWnd;
    bool m_bOffscreenPaint;             // full repaint on restore (layered windows)
    SIZE m_szOffscreen;                 // size of the kept back buffer
    CSkinString m_sToolTip;             // the text the tool info points at
    CControlUI* m_pCaretControl;        // the caret owner as a control
    DWORD m_dwPaintThread;              // thread of the paint window
    volatile LONG m_lForeignInvalidate; // set by Invalidate from other threads
    TLifeToken* m_pLifeToken;
    CStdPtrArray m_aNotifiers;
    CStdPtrArray m_aTimers;
    CStdPtrArray m_aPreMessageFilters;
    CStdPtrArray m_aMessageFilters;
    CStdPtrArray m_aPostPaintControls;
    CStdPtrArray m_aDelayedCleanup;
    // The window that has a cleanup message on its way: one message reaps everything queued
    // before it arrives, so removing many controls posts once, not once per control.
    HWND m_hWndCleanupPosted = NULL;
    // Left by reaping for ReleaseReaped: the control that held the press or the hover went.
    bool m_bReapedCapture = false;
    bool m_bReapedHover = false;
    CStdPtrArray m_aAsyncNotify;
    // Controls hidden with the focus that have not heard of the loss yet.
    CStdPtrArray m_aFocusLosses;
    // Counts the focus changes begun; a move that finds it changed after a call out was
    // overtaken by a move made meanwhile.
    UINT m_uFocusMoves = 0;
    CStdPtrArray m_aFoundControls;
    CStdStringPtrMap m_mNameHash;
    CStdStringPtrMap m_mOptionGroup;
    CPaintManagerUI* m_pParentResourcePM;
    DWORD m_dwDefaultDisabledColor;
    DWORD m_dwDefaultFontColor;
    DWORD m_dwDefaultLinkFontColor;
    DWORD m_dwDefaultLinkHoverFontColor;
    DWORD m_dwDefaultSelectedBkColor;
    tagTFontInfo m_DefaultFontInfo;
    CStdPtrArray m_aCustomFonts;
    CStdStringPtrMap m_mImageHash;
    CStdStringPtrMap m_DefaultAttrHash;
    CStdPtrArray m_aTranslateAccelerator;

    static HINSTANCE m_hInstance;
    static HINSTANCE m_hResourceInstance;
    static CSkinString m_pStrResourcePath;
    static CSkinString m_pStrResourceZip;
    static HANDLE m_hResourceZip;
    static bool m_bCachedResourceZip;
    static CStdPtrArray m_aPreMessages;
    static CStdPtrArray m_aPlugins;
    static short m_H;
    static short m_S;
    static short m_L;
    static ULONG_PTR m_gdiplusToken;
    static void* m_pGdiplusStartupInput;
    static WANTTABPROC s_pfnWantTab;
    static CARETCOLORPROC s_pfnCaretColor;

public:
    static CSkinString m_pStrDefaultFontName;

    // Held while the toolkit moves the native focus for a control's own native window (it
    // is made, taken back, hidden or destroyed). The focus messages this sends the paint
    // window deliver no focus loss and no queued notification: those run program code, which
    // must not run inside a control's constructor, destructor or a toolkit loop. What waits
    // goes with the next message, which the end of the outermost hold makes sure comes. A
    // null manager holds nothing, and a manager destroyed meanwhile is not touched.
    class SKINUI_API CNativeFocusHold {
    public:
        explicit CNativeFocusHold(CPaintManagerUI* pManager);
        ~CNativeFocusHold();
        CNativeFocusHold(const CNativeFocusHold&) = delete;
        CNativeFocusHold& operator=(const CNativeFocusHold&) = delete;

    private:
        CPaintManagerUI* m_pManager;
        TLifeToken* m_pToken;
    };

private:
    // Open native-focus holds; deliveries wait while it is above 0.
    int m_nNativeFocusHolds = 0;
};

} // namespace SkinUI
