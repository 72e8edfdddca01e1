#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>
#include <assert.h>
#include <vector>
#include "core/PaintManager.h"
#include "core/ControlUI.h"

namespace SkinUI {

HINSTANCE CPaintManagerUI::m_hInstance = NULL;
HINSTANCE CPaintManagerUI::m_hResourceInstance = NULL;
CSkinString CPaintManagerUI::m_pStrResourcePath;
CSkinString CPaintManagerUI::m_pStrResourceZip;
HANDLE CPaintManagerUI::m_hResourceZip = NULL;
bool CPaintManagerUI::m_bCachedResourceZip = false;
CStdPtrArray CPaintManagerUI::m_aPreMessages;
CStdPtrArray CPaintManagerUI::m_aPlugins;
short CPaintManagerUI::m_H = 180;
short CPaintManagerUI::m_S = 100;
short CPaintManagerUI::m_L = 100;
ULONG_PTR CPaintManagerUI::m_gdiplusToken = 0;
void* CPaintManagerUI::m_pGdiplusStartupInput = NULL;
CSkinString CPaintManagerUI::m_pStrDefaultFontName;

namespace {

bool g_bProcessInitDone = false;

void InitProcessOnce()
{
    if (g_bProcessInitDone) return;
    g_bProcessInitDone = true;
    ::InitCommonControls();
    // Kept loaded for the drawing engine's AlphaBlend and GradientFill look-ups.
    ::LoadLibraryW(L"msimg32.dll");
}

// The managers made on this thread, so that a control that goes can be forgotten by every
// manager it was ever given (a manager is used only on the thread that made it). A manager
// is listed from the start of its constructor to the end of its destructor: only listed
// managers are reaped, and the controls it deletes while it goes still reap it. The list
// exists while the thread has managers.
thread_local CStdPtrArray* t_pThreadManagers = NULL;

// Every live manager of the process with its thread, read only to tell a control deleted on
// the wrong thread from one whose manager is simply gone.
struct TProcessManager {
    const CPaintManagerUI* pManager;
    DWORD dwThread;
};
SRWLOCK g_processManagersLock = SRWLOCK_INIT;
// Exists while the process has managers.
std::vector<TProcessManager>* g_pProcessManagers = NULL;
// Counts the managers destroyed on another thread than their own (a caller fault). Their
// own thread cannot be reached from there: it drops them from its list itself, the next
// time it uses that list (t_lForeignEndsSeen is the count it has dropped up to).
volatile LONG g_lForeignEnds = 0;
thread_local LONG t_lForeignEndsSeen = 0;

void LinkProcessManager(const CPaintManagerUI* pManager)
{
    ::AcquireSRWLockExclusive(&g_processManagersLock);
    if (g_pProcessManagers == NULL) g_pProcessManagers = new std::vector<TProcessManager>;
    g_pProcessManagers->push_back(TProcessManager{ pManager, ::GetCurrentThreadId() });
    ::ReleaseSRWLockExclusive(&g_processManagersLock);
}

// Answers whether the manager was made on another thread than this one.
bool UnlinkProcessManager(const CPaintManagerUI* pManager)
{
    bool bForeign = false;
    ::AcquireSRWLockExclusive(&g_processManagersLock);
    for (size_t i = 0; g_pProcessManagers != NULL && i < g_pProcessManagers->size(); i++) {
        if ((*g_pProcessManagers)[i].pManager == pManager) {
            bForeign = (*g_pProcessManagers)[i].dwThread != ::GetCurrentThreadId();
            g_pProcessManagers->erase(g_pProcessManagers->begin() + i);
            break;
        }
    }
    if (g_pProcessManagers != NULL && g_pProcessManagers->empty()) {
        delete g_pProcessManagers;
        g_pProcessManagers = NULL;
    }
    ::ReleaseSRWLockExclusive(&g_processManagersLock);
    return bForeign;
}

bool IsOtherThreadManager(const CPaintManagerUI* pManager)
{
    bool bFound = false;
    ::AcquireSRWLockShared(&g_processManagersLock);
    for (size_t i = 0; g_pProcessManagers != NULL && i < g_pProcessManagers->size() && !bFound; i++) {
        const TProcessManager& entry = (*g_pProcessManagers)[i];
        bFound = entry.pManager == pManager && entry.dwThread != ::GetCurrentThreadId();
    }
    ::ReleaseSRWLockShared(&g_processManagersLock);
    return bFound;
}

void DropThreadListIfEmpty()
{
    if (t_pThreadManagers != NULL && t_pThreadManagers->IsEmpty()) {
        delete t_pThreadManagers;
        t_pThreadManagers = NULL;
    }
}

// Drops from this thread's list the managers that other threads destroyed since the last
// look: every use of the list starts here.
void DropForeignEnds()
{
    const LONG lEnds = g_lForeignEnds;
    if (lEnds == t_lForeignEndsSeen) return;
    t_lForeignEndsSeen = lEnds;
    if (t_pThreadManagers == NULL) return;
    const DWORD dwThread = ::GetCurrentThreadId();
    ::AcquireSRWLockShared(&g_processManagersLock);
    for (int i = t_pThreadManagers->GetSize() - 1; i >= 0; i--) {
        bool bLive = false;
        for (size_t j = 0; g_pProcessManagers != NULL && j < g_pProcessManagers->size() && !bLive; j++) {
            const TProcessManager& entry = (*g_pProcessManagers)[j];
            bLive = entry.pManager == t_pThreadManagers->GetAt(i) && entry.dwThread == dwThread;
        }
        if (!bLive) t_pThreadManagers->Remove(i);
    }
    ::ReleaseSRWLockShared(&g_processManagersLock);
    DropThreadListIfEmpty();
}

void LinkThreadManager(CPaintManagerUI* pManager)
{
    // First: a new manager may take the address of one that went on another thread.
    DropForeignEnds();
    if (t_pThreadManagers == NULL) t_pThreadManagers = new CStdPtrArray;
    t_pThreadManagers->Add(pManager);
    LinkProcessManager(pManager);
}

// Answers whether the manager was made on another thread than this one.
bool UnlinkThreadManager(CPaintManagerUI* pManager)
{
    if (UnlinkProcessManager(pManager)) {
        ::InterlockedIncrement(&g_lForeignEnds);
        return true;
    }
    DropForeignEnds();
    if (t_pThreadManagers == NULL) return false;
    const int i = t_pThreadManagers->Find(pManager);
    if (i >= 0) t_pThreadManagers->Remove(i);
    DropThreadListIfEmpty();
    return false;
}

void DefaultCallerFault(LPCTSTR pstrWhat)
{
    ::OutputDebugStringW(L"SkinUI: ");
    ::OutputDebugStringW(pstrWhat);
    ::OutputDebugStringW(L"\n");
    assert(!"SkinUI caller fault (see the debug output)");
}

CPaintManagerUI::CALLERFAULTPROC g_pfnCallerFault = DefaultCallerFault;

} // namespace

CPaintManagerUI::CPaintManagerUI()
    : m_hWndPaint(NULL), m_nOpacity(255), m_hDcPaint(NULL), m_hDcOffscreen(NULL), m_hbmpOffscreen(NULL),
      m_pOffscreenBits(NULL), m_bLayered(false), m_bLayeredChanged(false), m_bUseGdiplusText(false),
      m_bCaretActive(false), m_bCaretShowing(false), m_currentCaretObject(NULL), m_hwndTooltip(NULL), m_pRoot(NULL),
      m_pFocus(NULL), m_pEventHover(NULL), m_pEventClick(NULL), m_pEventKey(NULL), m_uTimerID(0x1000),
      m_bFirstLayout(true), m_bUpdateNeeded(false), m_bFocusNeeded(false), m_bMouseTracking(false),
      m_bMouseCapture(false), m_bUsedVirtualWnd(false), m_bOffscreenPaint(false), m_pCaretControl(NULL),
      m_dwPaintThread(0), m_lForeignInvalidate(0), m_pLifeToken(new TLifeToken()), m_pParentResourcePM(NULL),
      m_dwDefaultDisabledColor(0xFFA7A6AA), m_dwDefaultFontColor(0xFF000001), m_dwDefaultLinkFontColor(0xFF0000FF),
      m_dwDefaultLinkHoverFontColor(0xFFD3215F), m_dwDefaultSelectedBkColor(0xFFBAE4FF)
{
    InitProcessOnce();
    LinkThreadManager(this);
    m_pLifeToken->refs = 1;
    m_pLifeToken->alive = true;
    ::SetRectEmpty(&m_rcLayeredUpdate);
    ::SetRectEmpty(&m_rcRichEditCorner);
    ::SetRectEmpty(&m_rtCaret);
    ::ZeroMemory(&m_ToolTip, sizeof(m_ToolTip));
    m_ptLastMousePos.x = m_ptLastMousePos.y = -1;
    m_szMinWindow.cx = m_szMinWindow.cy = 0;
    m_szMaxWindow.cx = m_szMaxWindow.cy = 0;
    m_szInitWindowSize.cx = m_szInitWindowSize.cy = 0;
    ::SetRectEmpty(&m_rcSizeBox);
    m_szRoundCorner.cx = m_szRoundCorner.cy = 0;
    ::SetRectEmpty(&m_rcCaption);
    m_szOffscreen.cx = m_szOffscreen.cy = 0;

    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &lf);
    lf.lfCharSet = DEFAULT_CHARSET;
    if (!m_pStrDefaultFontName.IsEmpty()) {
        ::lstrcpynW(lf.lfFaceName, m_pStrDefaultFontName.GetData(), LF_FACESIZE);
    }
    m_DefaultFontInfo.hFont = ::CreateFontIndirectW(&lf);
    m_DefaultFontInfo.faceName = lf.lfFaceName;
    m_DefaultFontInfo.size = -lf.lfHeight;
    m_DefaultFontInfo.bold = lf.lfWeight >= FW_BOLD;
    m_DefaultFontInfo.underline = lf.lfUnderline == 1;
    m_DefaultFontInfo.italic = lf.lfItalic == 1;
    ::ZeroMemory(&m_DefaultFontInfo.tm, sizeof(m_DefaultFontInfo.tm));
}

CPaintManagerUI::~CPaintManagerUI()
{
    // Deliveries running further up the stack (a notifier closed the window) stop at once.
    // Messages arriving while the members go are not handled any more.
    m_pLifeToken->alive = false;
    // Queued controls and notifications go first and their lists are emptied at once:
    // deleting the root reaps every control, and reaping walks these lists.
    RunDelayedCleanup();
    for (int i = 0; i < m_aAsyncNotify.GetSize(); i++) {
        delete static_cast<tagTNotifyUI*>(m_aAsyncNotify[i]);
    }
    m_aAsyncNotify.Empty();
    m_mNameHash.RemoveAll();
    CControlUI* pRoot = m_pRoot;
    m_pRoot = NULL;
    delete pRoot;

    ::DeleteObject(m_DefaultFontInfo.hFont);
    m_DefaultFontInfo.hFont = NULL;
    RemoveAllFonts();
    RemoveAllImages();
    RemoveAllDefaultAttributeList();
    RemoveAllOptionGroups();
    RemoveAllTimers();

    // The tool tip dies with its owner window, which may be gone already.
    if (m_hwndTooltip != NULL && ::IsWindow(m_hwndTooltip)) ::DestroyWindow(m_hwndTooltip);
    m_hwndTooltip = NULL;
    DropOffscreen();
    if (m_hDcPaint != NULL) ::ReleaseDC(m_hWndPaint, m_hDcPaint);
    m_hDcPaint = NULL;
    int i = m_aPreMessages.Find(this);
    if (i >= 0) m_aPreMessages.Remove(i);
    m_shadow.Destroy();
    if (--m_pLifeToken->refs == 0) delete m_pLifeToken;
    m_pLifeToken = NULL;
    // Last: every control deleted above was reaped here too. A manager belongs to the thread
    // of its window: destroyed elsewhere, it can only be dropped from its own thread's list
    // by that thread, later.
    if (UnlinkThreadManager(this)) g_pfnCallerFault(L"a window's manager was destroyed on another thread than its own");
}

void CPaintManagerUI::ReapEverywhere(CControlUI* pControl, CPaintManagerUI* pOwnManager)
{
    // Only the managers this thread knows to exist: the control's own one may have gone with
    // its window while the control, taken out of its tree, lived on. Reaping only clears
    // pointers and posts what must reach the window later, so no user code runs and no
    // manager is added or removed while the list is walked.
    DropForeignEnds();
    bool bOwnFound = pOwnManager == NULL;
    for (int i = 0; t_pThreadManagers != NULL && i < t_pThreadManagers->GetSize(); i++) {
        CPaintManagerUI* pManager = static_cast<CPaintManagerUI*>(t_pThreadManagers->GetAt(i));
        if (pManager == pOwnManager) bOwnFound = true;
        pManager->ReapObjects(pControl);
    }
    // A manager is used only on its own thread: it cannot be told from here.
    if (!bOwnFound && IsOtherThreadManager(pOwnManager))
        g_pfnCallerFault(L"a control was deleted on another thread than its window's");
}

bool CPaintManagerUI::IsThreadManager(const CPaintManagerUI* pManager)
{
    DropForeignEnds();
    return pManager != NULL && t_pThreadManagers != NULL &&
           t_pThreadManagers->Find(const_cast<CPaintManagerUI*>(pManager)) >= 0;
}

CPaintManagerUI::CALLERFAULTPROC CPaintManagerUI::SetCallerFaultHandler(CALLERFAULTPROC pfn)
{
    CALLERFAULTPROC pfnOld = g_pfnCallerFault;
    g_pfnCallerFault = pfn != NULL ? pfn : DefaultCallerFault;
    return pfnOld;
}

void CPaintManagerUI::DropOffscreen()
{
    if (m_hDcOffscreen != NULL) ::DeleteDC(m_hDcOffscreen);
    if (m_hbmpOffscreen != NULL) ::DeleteObject(m_hbmpOffscreen);
    m_hDcOffscreen = NULL;
    m_hbmpOffscreen = NULL;
    m_pOffscreenBits = NULL;
    m_szOffscreen.cx = m_szOffscreen.cy = 0;
}

void CPaintManagerUI::Init(HWND hWnd)
{
    // A second Init must neither leak the first DC nor register the manager twice.
    if (m_hDcPaint != NULL) ::ReleaseDC(m_hWndPaint, m_hDcPaint);
    m_hDcPaint = NULL;
    m_hWndPaint = hWnd;
    m_dwPaintThread = hWnd != NULL ? ::GetWindowThreadProcessId(hWnd, NULL) : 0;
    if (hWnd != NULL) m_hDcPaint = ::GetDC(hWnd);
    if (m_aPreMessages.Find(this) < 0) m_aPreMessages.Add(this);
}

void CPaintManagerUI::InvalidateWhole()
{
    if (m_hWndPaint == NULL || m_pRoot == NULL) return;
    RECT rc;
    ::GetClientRect(m_hWndPaint, &rc);
    Invalidate(rc);
}

HWND CPaintManagerUI::GetPaintWindow() const
{
    return m_hWndPaint;
}
HDC CPaintManagerUI::GetPaintDC() const
{
    return m_hDcPaint;
}
CControlUI* CPaintManagerUI::GetRoot() const
{
    return m_pRoot;
}
HWND CPaintManagerUI::GetTooltipWindow() const
{
    return m_hwndTooltip;
}
CShadowUI* CPaintManagerUI::GetShadow()
{
    return &m_shadow;
}
POINT CPaintManagerUI::GetMousePos() const
{
    return m_ptLastMousePos;
}

SIZE CPaintManagerUI::GetClientSize() const
{
    RECT rc = {};
    if (m_hWndPaint != NULL) ::GetClientRect(m_hWndPaint, &rc);
    SIZE sz = { rc.right - rc.left, rc.bottom - rc.top };
    return sz;
}

SIZE CPaintManagerUI::GetInitSize()
{
    return m_szInitWindowSize;
}

void CPaintManagerUI::SetInitSize(int cx, int cy)
{
    m_szInitWindowSize.cx = cx;
    m_szInitWindowSize.cy = cy;
    if (m_pRoot == NULL && m_hWndPaint != NULL) {
        ::SetWindowPos(m_hWndPaint, NULL, 0, 0, cx, cy, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE);
    }
}

RECT& CPaintManagerUI::GetSizeBox()
{
    return m_rcSizeBox;
}
void CPaintManagerUI::SetSizeBox(const RECT& rcSizeBox)
{
    m_rcSizeBox = rcSizeBox;
}
RECT& CPaintManagerUI::GetCaptionRect()
{
    return m_rcCaption;
}
void CPaintManagerUI::SetCaptionRect(const RECT& rcCaption)
{
    m_rcCaption = rcCaption;
}
SIZE CPaintManagerUI::GetRoundCorner() const
{
    return m_szRoundCorner;
}
void CPaintManagerUI::SetRoundCorner(int cx, int cy)
{
    m_szRoundCorner.cx = cx;
    m_szRoundCorner.cy = cy;
}
SIZE CPaintManagerUI::GetMinInfo() const
{
    return m_szMinWindow;
}
void CPaintManagerUI::SetMinInfo(int cx, int cy)
{
    m_szMinWindow.cx = cx;
    m_szMinWindow.cy = cy;
}
SIZE CPaintManagerUI::GetMaxInfo() const
{
    return m_szMaxWindow;
}
void CPaintManagerUI::SetMaxInfo(int cx, int cy)
{
    m_szMaxWindow.cx = cx;
    m_szMaxWindow.cy = cy;
}
RECT& CPaintManagerUI::GetRichEditCorner()
{
    return m_rcRichEditCorner;
}
void CPaintManagerUI::SetRichEditCorner(const RECT& rcCorner)
{
    m_rcRichEditCorner = rcCorner;
}
int CPaintManagerUI::GetTransparent() const
{
    return m_nOpacity;
}
bool CPaintManagerUI::IsLayeredWindow() const
{
    return m_bLayered;
}
bool CPaintManagerUI::IsUseGdiplusText() const
{
    return m_bUseGdiplusText;
}
void CPaintManagerUI::SetUseGdiplusText(bool bUse)
{
    m_bUseGdiplusText = bUse;
}
void CPaintManagerUI::UsedVirtualWnd(bool bUsed)
{
    m_bUsedVirtualWnd = bUsed;
}

void CPaintManagerUI::SetUseLayeredWindow(bool bLayered)
{
    m_bLayered = bLayered;
    // Attributes set earlier with SetLayeredWindowAttributes ("alpha" before "bktrans")
    // would make every later UpdateLayeredWindow fail; dropping the style resets them and
    // the layered paint adds it back.
    if (bLayered && m_hWndPaint != NULL) {
        LONG_PTR ex = ::GetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE);
        if (ex & WS_EX_LAYERED)
            ::SetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    }
}

void CPaintManagerUI::SetTransparent(int nOpacity)
{
    int nClamped = nOpacity < 0 ? 0 : (nOpacity > 255 ? 255 : nOpacity);
    m_nOpacity = nClamped;
    if (m_hWndPaint == NULL) return;
    // A layered ("bktrans") window paints through UpdateLayeredWindow, which refuses windows
    // that had SetLayeredWindowAttributes; its opacity goes into the blend instead.
    if (m_bLayered) return;
    typedef BOOL(WINAPI * PFUNCSETLAYEREDWINDOWATTR)(HWND, COLORREF, BYTE, DWORD);
    HMODULE hUser32 = ::GetModuleHandleW(L"User32.dll");
    if (hUser32 == NULL) return;
    PFUNCSETLAYEREDWINDOWATTR fSetLayeredWindowAttributes = reinterpret_cast<PFUNCSETLAYEREDWINDOWATTR>(
        reinterpret_cast<void*>(::GetProcAddress(hUser32, "SetLayeredWindowAttributes")));
    if (fSetLayeredWindowAttributes == NULL) return;

    LONG_PTR dwStyle = ::GetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE);
    LONG_PTR dwNewStyle = dwStyle;
    if (static_cast<unsigned int>(nOpacity) > 255) {
        dwNewStyle &= ~static_cast<LONG_PTR>(WS_EX_LAYERED);
    } else {
        dwNewStyle |= WS_EX_LAYERED;
    }
    if (dwStyle != dwNewStyle) ::SetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE, dwNewStyle);
    fSetLayeredWindowAttributes(m_hWndPaint, 0, static_cast<BYTE>(nClamped), LWA_ALPHA);
}

// ---- toolkit-wide settings ----

HINSTANCE CPaintManagerUI::GetInstance()
{
    return m_hInstance;
}

void CPaintManagerUI::SetInstance(HINSTANCE hInst)
{
    m_hInstance = hInst;
    if (m_pGdiplusStartupInput == NULL) {
        Gdiplus::GdiplusStartupInput* pInput = new Gdiplus::GdiplusStartupInput();
        pInput->GdiplusVersion = 1;
        pInput->DebugEventCallback = NULL;
        pInput->SuppressBackgroundThread = FALSE;
        pInput->SuppressExternalCodecs = FALSE;
        m_pGdiplusStartupInput = pInput;
        if (Gdiplus::GdiplusStartup(&m_gdiplusToken, pInput, NULL) != Gdiplus::Ok) m_gdiplusToken = 0;
    }
    CShadowUI::Initialize(hInst);
}

void CPaintManagerUI::Term()
{
    if (m_pGdiplusStartupInput != NULL) {
        if (m_gdiplusToken != 0) Gdiplus::GdiplusShutdown(m_gdiplusToken);
        m_gdiplusToken = 0;
        delete static_cast<Gdiplus::GdiplusStartupInput*>(m_pGdiplusStartupInput);
        m_pGdiplusStartupInput = NULL;
    }
    CloseCachedZip();
}

CSkinString CPaintManagerUI::GetInstancePath()
{
    if (m_hInstance == NULL) return CSkinString();
    wchar_t szModule[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(m_hInstance, szModule, MAX_PATH);
    wchar_t* pSlash = wcsrchr(szModule, L'\\');
    if (pSlash != NULL) pSlash[1] = L'\0';
    return CSkinString(szModule);
}

CSkinString CPaintManagerUI::GetCurrentPath()
{
    wchar_t szPath[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryW(MAX_PATH, szPath);
    return CSkinString(szPath);
}

void CPaintManagerUI::SetCurrentPath(LPCTSTR pStrPath)
{
    ::SetCurrentDirectoryW(pStrPath);
}

HINSTANCE CPaintManagerUI::GetResourceDll()
{
    return m_hResourceInstance != NULL ? m_hResourceInstance : m_hInstance;
}

void CPaintManagerUI::SetResourceDll(HINSTANCE hInst)
{
    m_hResourceInstance = hInst;
}

const CSkinString& CPaintManagerUI::GetResourcePath()
{
    return m_pStrResourcePath;
}

void CPaintManagerUI::SetResourcePath(LPCTSTR pStrPath)
{
    m_pStrResourcePath = pStrPath;
    int n = m_pStrResourcePath.GetLength();
    if (n == 0) return;
    wchar_t cEnd = m_pStrResourcePath.GetAt(n - 1);
    if (cEnd != L'\\' && cEnd != L'/') m_pStrResourcePath += L'\\';
}

const CSkinString& CPaintManagerUI::GetResourceZip()
{
    return m_pStrResourceZip;
}
bool CPaintManagerUI::IsCachedResourceZip()
{
    return m_bCachedResourceZip;
}
HANDLE CPaintManagerUI::GetResourceZipHandle()
{
    return m_hResourceZip;
}

void CPaintManagerUI::SetResourceZip(UINT nResID)
{
    HINSTANCE hMod = GetResourceDll();
    HRSRC hResource = ::FindResourceW(hMod, MAKEINTRESOURCEW(nResID), L"ZIPRES");
    if (hResource == NULL) return;
    HGLOBAL hGlobal = ::LoadResource(hMod, hResource);
    if (hGlobal == NULL) return;
    DWORD dwSize = ::SizeofResource(hMod, hResource);
    if (dwSize == 0) return;
    LPVOID pData = ::LockResource(hGlobal);
    if (pData == NULL) return;
    SetResourceZip(pData, dwSize);
}

void CPaintManagerUI::GetHSL(short* H, short* S, short* L)
{
    if (H != NULL) *H = m_H;
    if (S != NULL) *S = m_S;
    if (L != NULL) *L = m_L;
}

void CPaintManagerUI::SetHSL(bool /*bUseHSL*/, short H, short S, short L)
{
    if (m_H == H && m_S == S && m_L == L) return;
    m_H = H < 0 ? 0 : (H > 360 ? 360 : H);
    m_S = S < 0 ? 0 : (S > 200 ? 200 : S);
    m_L = L < 0 ? 0 : (L > 200 ? 200 : L);
    for (int i = 0; i < m_aPreMessages.GetSize(); i++) {
        static_cast<CPaintManagerUI*>(m_aPreMessages[i])->InvalidateWhole();
    }
}

void CPaintManagerUI::ReloadSkin()
{
    for (int i = 0; i < m_aPreMessages.GetSize(); i++) {
        static_cast<CPaintManagerUI*>(m_aPreMessages[i])->ReloadAllImages();
    }
}

bool CPaintManagerUI::LoadPlugin(LPCTSTR pstrModuleName)
{
    if (pstrModuleName == NULL) return false;
    HMODULE hModule = ::LoadLibraryW(pstrModuleName);
    if (hModule == NULL) return false;
    void* pEntry = reinterpret_cast<void*>(::GetProcAddress(hModule, "CreateControl"));
    if (pEntry == NULL) {
        ::FreeLibrary(hModule);
        return false;
    }
    if (m_aPlugins.Find(pEntry) >= 0) {
        // Already collected: the module stays loaded by its first reference.
        ::FreeLibrary(hModule);
        return true;
    }
    m_aPlugins.Add(pEntry);
    return true;
}

CStdPtrArray* CPaintManagerUI::GetPlugins()
{
    return &m_aPlugins;
}

bool CPaintManagerUI::UseParentResource(CPaintManagerUI* pm)
{
    for (CPaintManagerUI* p = pm; p != NULL; p = p->m_pParentResourcePM) {
        if (p == this) return false;
    }
    m_pParentResourcePM = pm;
    return true;
}

CPaintManagerUI* CPaintManagerUI::GetParentResource() const
{
    return m_pParentResourcePM;
}

CPaintManagerUI* CPaintManagerUI::GetLastResourceManager()
{
    CPaintManagerUI* p = this;
    while (p->m_pParentResourcePM != NULL) p = p->m_pParentResourcePM;
    return p;
}

const CPaintManagerUI* CPaintManagerUI::GetLastResourceManager() const
{
    const CPaintManagerUI* p = this;
    while (p->m_pParentResourcePM != NULL) p = p->m_pParentResourcePM;
    return p;
}

DWORD CPaintManagerUI::GetDefaultDisabledColor() const
{
    return GetLastResourceManager()->m_dwDefaultDisabledColor;
}
void CPaintManagerUI::SetDefaultDisabledColor(DWORD dwColor)
{
    m_dwDefaultDisabledColor = dwColor;
}
DWORD CPaintManagerUI::GetDefaultFontColor() const
{
    return GetLastResourceManager()->m_dwDefaultFontColor;
}
void CPaintManagerUI::SetDefaultFontColor(DWORD dwColor)
{
    m_dwDefaultFontColor = dwColor;
}
DWORD CPaintManagerUI::GetDefaultLinkFontColor() const
{
    return GetLastResourceManager()->m_dwDefaultLinkFontColor;
}
void CPaintManagerUI::SetDefaultLinkFontColor(DWORD dwColor)
{
    m_dwDefaultLinkFontColor = dwColor;
}
DWORD CPaintManagerUI::GetDefaultLinkHoverFontColor() const
{
    return GetLastResourceManager()->m_dwDefaultLinkHoverFontColor;
}
void CPaintManagerUI::SetDefaultLinkHoverFontColor(DWORD dwColor)
{
    m_dwDefaultLinkHoverFontColor = dwColor;
}
DWORD CPaintManagerUI::GetDefaultSelectedBkColor() const
{
    return GetLastResourceManager()->m_dwDefaultSelectedBkColor;
}
void CPaintManagerUI::SetDefaultSelectedBkColor(DWORD dwColor)
{
    m_dwDefaultSelectedBkColor = dwColor;
}

// ---- default attribute lists ----

void CPaintManagerUI::AddDefaultAttributeList(LPCTSTR pStrControlName, LPCTSTR pStrControlAttrList)
{
    if (pStrControlName == NULL) return;
    if (m_DefaultAttrHash.Find(pStrControlName) != NULL) return;
    CSkinString* pDefaultAttr = new CSkinString(pStrControlAttrList);
    if (!m_DefaultAttrHash.Insert(pStrControlName, pDefaultAttr)) delete pDefaultAttr;
}

LPCTSTR CPaintManagerUI::GetDefaultAttributeList(LPCTSTR pStrControlName) const
{
    if (pStrControlName == NULL) return NULL;
    for (const CPaintManagerUI* p = this; p != NULL; p = p->m_pParentResourcePM) {
        CSkinString* pAttr = static_cast<CSkinString*>(p->m_DefaultAttrHash.Find(pStrControlName));
        if (pAttr != NULL) return pAttr->GetData();
    }
    return NULL;
}

bool CPaintManagerUI::RemoveDefaultAttributeList(LPCTSTR pStrControlName)
{
    if (pStrControlName == NULL) return false;
    CSkinString* pAttr = static_cast<CSkinString*>(m_DefaultAttrHash.Find(pStrControlName));
    if (pAttr == NULL) return false;
    delete pAttr;
    return m_DefaultAttrHash.Remove(pStrControlName);
}

const CStdStringPtrMap& CPaintManagerUI::GetDefaultAttribultes() const
{
    return m_DefaultAttrHash;
}

void CPaintManagerUI::RemoveAllDefaultAttributeList()
{
    for (int i = 0; i < m_DefaultAttrHash.GetSize(); i++) {
        LPCTSTR key = m_DefaultAttrHash.GetAt(i);
        if (key != NULL) delete static_cast<CSkinString*>(m_DefaultAttrHash.Find(key, false));
    }
    m_DefaultAttrHash.RemoveAll();
}

// ---- option groups ----

bool CPaintManagerUI::AddOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl)
{
    if (pStrGroupName == NULL) return false;
    CStdPtrArray* aOptionGroup = static_cast<CStdPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
    if (aOptionGroup != NULL) {
        if (aOptionGroup->Find(pControl) >= 0) return false;
        return aOptionGroup->Add(pControl);
    }
    aOptionGroup = new CStdPtrArray(6);
    aOptionGroup->Add(pControl);
    if (!m_mOptionGroup.Insert(pStrGroupName, aOptionGroup)) {
        delete aOptionGroup;
        return false;
    }
    return true;
}

CStdPtrArray* CPaintManagerUI::GetOptionGroup(LPCTSTR pStrGroupName)
{
    if (pStrGroupName == NULL) return NULL;
    return static_cast<CStdPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
}

void CPaintManagerUI::RemoveOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl)
{
    CStdPtrArray* aOptionGroup = GetOptionGroup(pStrGroupName);
    if (aOptionGroup == NULL) return;
    int i = aOptionGroup->Find(pControl);
    if (i >= 0) aOptionGroup->Remove(i);
    if (aOptionGroup->IsEmpty()) {
        delete aOptionGroup;
        m_mOptionGroup.Remove(pStrGroupName);
    }
}

void CPaintManagerUI::RemoveAllOptionGroups()
{
    for (int i = 0; i < m_mOptionGroup.GetSize(); i++) {
        LPCTSTR key = m_mOptionGroup.GetAt(i);
        if (key != NULL) delete static_cast<CStdPtrArray*>(m_mOptionGroup.Find(key, false));
    }
    m_mOptionGroup.RemoveAll();
}

// ---- observer lists ----

namespace {
bool RemoveFirst(CStdPtrArray& a, void* p)
{
    int i = a.Find(p);
    return i >= 0 && a.Remove(i);
}
} // namespace

bool CPaintManagerUI::AddNotifier(INotifyUI* pNotifier)
{
    return m_aNotifiers.Add(pNotifier);
}
bool CPaintManagerUI::RemoveNotifier(INotifyUI* pNotifier)
{
    return RemoveFirst(m_aNotifiers, pNotifier);
}
bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* pFilter)
{
    return m_aPreMessageFilters.Add(pFilter);
}
bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* pFilter)
{
    return RemoveFirst(m_aPreMessageFilters, pFilter);
}
bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* pFilter)
{
    return m_aMessageFilters.Add(pFilter);
}
bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* pFilter)
{
    return RemoveFirst(m_aMessageFilters, pFilter);
}
bool CPaintManagerUI::AddTranslateAccelerator(ITranslateAccelerator* p)
{
    return m_aTranslateAccelerator.Add(p);
}
bool CPaintManagerUI::RemoveTranslateAccelerator(ITranslateAccelerator* p)
{
    return RemoveFirst(m_aTranslateAccelerator, p);
}
int CPaintManagerUI::GetPostPaintCount() const
{
    return m_aPostPaintControls.GetSize();
}
bool CPaintManagerUI::AddPostPaint(CControlUI* pControl)
{
    return m_aPostPaintControls.Add(pControl);
}
bool CPaintManagerUI::RemovePostPaint(CControlUI* pControl)
{
    return RemoveFirst(m_aPostPaintControls, pControl);
}

bool CPaintManagerUI::SetPostPaintIndex(CControlUI* pControl, int iIndex)
{
    RemovePostPaint(pControl);
    return m_aPostPaintControls.InsertAt(iIndex, pControl);
}

bool CPaintManagerUI::TranslateAccelerator(LPMSG pMsg)
{
    for (int i = 0; i < m_aTranslateAccelerator.GetSize(); i++) {
        ITranslateAccelerator* p = static_cast<ITranslateAccelerator*>(m_aTranslateAccelerator[i]);
        if (p->TranslateAccelerator(pMsg) == S_OK) return true;
    }
    return false;
}

} // namespace SkinUI
