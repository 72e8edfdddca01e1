#include <windows.h>
#include <math.h>
#include <map>
#include <vector>
#include "core/Shadow.h"
#include "core/PaintManager.h"
#include "core/RenderEngine.h"
#include "core/GdiScope.h"

namespace SkinUI {

bool CShadowUI::s_bHasInit = false;

namespace {

const wchar_t kShadowClass[] = L"DalvoShadowWnd";
// The host's own procedure, kept on the host itself so that a message that arrives after
// the shadow object is gone is still passed on.
const wchar_t kHostProcProp[] = L"SkinUIShadowHostProc";

std::map<HWND, CShadowUI*>& GetShadowMap()
{
    static std::map<HWND, CShadowUI*>* s_map = new std::map<HWND, CShadowUI*>();
    return *s_map;
}

CShadowUI* FindShadow(HWND hHost)
{
    std::map<HWND, CShadowUI*>& m = GetShadowMap();
    std::map<HWND, CShadowUI*>::iterator it = m.find(hHost);
    return it != m.end() ? it->second : NULL;
}

struct Span {
    int start;
    int end;
};

} // namespace

CShadowUI::CShadowUI()
    : m_pManager(NULL), m_hWnd(NULL), m_OriParentProc(NULL), m_Status(0), m_bIsImageMode(false), m_bIsShowShadow(false),
      m_nDarkness(150), m_nSharpness(5), m_nSize(0), m_nxOffset(0), m_nyOffset(0), m_WndSize(0), m_bUpdate(false),
      m_Color(0), m_hHost(NULL)
{
    ::SetRectEmpty(&m_rcShadowCorner);
}

CShadowUI::~CShadowUI()
{
    Destroy();
}

bool CShadowUI::Initialize(HINSTANCE hInstance)
{
    if (s_bHasInit) return false;
    WNDCLASSEXW wcex = {};
    wcex.cbSize = sizeof(WNDCLASSEXW);
    wcex.style = CS_HREDRAW | CS_VREDRAW;
    wcex.lpfnWndProc = ::DefWindowProcW;
    wcex.hInstance = hInstance;
    wcex.hCursor = ::LoadCursorW(NULL, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    wcex.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wcex.lpszClassName = kShadowClass;
    ::RegisterClassExW(&wcex);
    s_bHasInit = true;
    return true;
}

void CShadowUI::ShowShadow(bool bShow)
{
    m_bIsShowShadow = bShow;
}
bool CShadowUI::IsShowShadow() const
{
    return m_bIsShowShadow;
}

POINT CShadowUI::ShadowOrigin(const RECT& rcHost) const
{
    POINT pt;
    if (m_bIsImageMode) {
        pt.x = rcHost.left - m_rcShadowCorner.left;
        pt.y = rcHost.top - m_rcShadowCorner.top;
    } else {
        pt.x = rcHost.left + m_nxOffset - m_nSize;
        pt.y = rcHost.top + m_nyOffset - m_nSize;
    }
    return pt;
}

void CShadowUI::Create(CPaintManagerUI* pManager)
{
    // One shadow window and one subclassing per object: a second attach of a tree must not
    // subclass the host again (the procedure would then call itself).
    if (!m_bIsShowShadow || m_hWnd != NULL || pManager == NULL) return;
    HWND hParent = pManager->GetPaintWindow();
    if (hParent == NULL || !::IsWindow(hParent)) return;
    // One shadow per host window: a second one would take the first one's procedure for the
    // host's own and call itself without end. It is refused, also while the procedure of a
    // shadow that is gone still sits in the host's chain (it keeps the property).
    if (FindShadow(hParent) != NULL || ::GetPropW(hParent, kHostProcProp) != NULL) return;

    m_pManager = pManager;
    LONG_PTR lParentStyle = ::GetWindowLongPtrW(hParent, GWL_STYLE);
    m_hWnd = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT, kShadowClass, NULL,
                               WS_POPUPWINDOW | static_cast<DWORD>(lParentStyle & WS_DLGFRAME), CW_USEDEFAULT, 0, 0, 0,
                               hParent, NULL, CPaintManagerUI::GetInstance(), NULL);
    if (m_hWnd == NULL) return;
    m_hHost = hParent;
    GetShadowMap()[hParent] = this;
    // The shadow is drawn for the host as it is now; a later shrink redraws at once.
    RECT rcClient = {};
    ::GetClientRect(hParent, &rcClient);
    m_WndSize = MAKELPARAM(rcClient.right - rcClient.left, rcClient.bottom - rcClient.top);

    if (!(lParentStyle & WS_VISIBLE)) {
        m_Status = SS_ENABLED;
    } else if (lParentStyle & (WS_MAXIMIZE | WS_MINIMIZE)) {
        m_Status = SS_ENABLED | SS_PARENTVISIBLE;
    } else {
        m_Status = SS_ENABLED | SS_VISABLE | SS_PARENTVISIBLE;
        ::ShowWindow(m_hWnd, SW_SHOWNA);
        Update(hParent);
    }

    m_OriParentProc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hParent, GWLP_WNDPROC));
    ::SetPropW(hParent, kHostProcProp, reinterpret_cast<HANDLE>(m_OriParentProc));
    ::SetWindowLongPtrW(hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ParentProc));
}

void CShadowUI::Destroy()
{
    if (m_hHost != NULL) {
        GetShadowMap().erase(m_hHost);
        if (::IsWindow(m_hHost)) {
            // Unhook only when nobody subclassed the host after us; otherwise ParentProc
            // keeps chaining through the kept procedure.
            if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hHost, GWLP_WNDPROC)) == ParentProc) {
                ::SetWindowLongPtrW(m_hHost, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OriParentProc));
                ::RemovePropW(m_hHost, kHostProcProp);
            }
        }
        m_hHost = NULL;
    }
    if (m_hWnd != NULL && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    m_hWnd = NULL;
    m_Status = 0;
}

LRESULT CALLBACK CShadowUI::ParentProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    WNDPROC pOriProc = reinterpret_cast<WNDPROC>(::GetPropW(hwnd, kHostProcProp));
    CShadowUI* pThis = FindShadow(hwnd);
    if (pThis != NULL) pOriProc = pThis->m_OriParentProc;
    if (pOriProc == NULL) return ::DefWindowProcW(hwnd, uMsg, wParam, lParam);
    if (pThis == NULL) return ::CallWindowProcW(pOriProc, hwnd, uMsg, wParam, lParam);

    switch (uMsg) {
    case WM_MOVE:
        if (pThis->m_Status & SS_VISABLE) {
            RECT rcHost;
            ::GetWindowRect(hwnd, &rcHost);
            POINT pt = pThis->ShadowOrigin(rcHost);
            ::SetWindowPos(pThis->m_hWnd, NULL, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        }
        break;
    case WM_SIZE: {
        // The host sets its window region while handling the size, so it goes first.
        LRESULT lRes = ::CallWindowProcW(pOriProc, hwnd, uMsg, wParam, lParam);
        pThis = FindShadow(hwnd);
        if (pThis == NULL || !(pThis->m_Status & SS_ENABLED)) return lRes;
        if (wParam == SIZE_MAXIMIZED || wParam == SIZE_MINIMIZED) {
            ::ShowWindow(pThis->m_hWnd, SW_HIDE);
            pThis->m_Status &= ~SS_VISABLE;
        } else if (pThis->m_Status & SS_PARENTVISIBLE) {
            if (LOWORD(lParam) > LOWORD(pThis->m_WndSize) || HIWORD(lParam) > HIWORD(pThis->m_WndSize)) {
                pThis->m_bUpdate = true;
            } else {
                pThis->Update(hwnd);
            }
            if (!(pThis->m_Status & SS_VISABLE)) {
                ::ShowWindow(pThis->m_hWnd, SW_SHOWNA);
                pThis->m_Status |= SS_VISABLE;
            }
        }
        pThis->m_WndSize = lParam;
        return lRes;
    }
    case WM_PAINT:
        if (pThis->m_bUpdate) {
            pThis->Update(hwnd);
            pThis->m_bUpdate = false;
        }
        break;
    case WM_SHOWWINDOW:
        if (pThis->m_Status & SS_ENABLED) {
            if (wParam) {
                if (!(pThis->m_Status & SS_PARENTVISIBLE)) {
                    pThis->m_bUpdate = true;
                    ::ShowWindow(pThis->m_hWnd, SW_SHOWNA);
                    pThis->m_Status |= SS_VISABLE | SS_PARENTVISIBLE;
                }
            } else {
                ::ShowWindow(pThis->m_hWnd, SW_HIDE);
                pThis->m_Status &= ~(SS_VISABLE | SS_PARENTVISIBLE);
            }
        }
        break;
    case WM_EXITSIZEMOVE:
        if (pThis->m_Status & SS_VISABLE) pThis->Update(hwnd);
        break;
    case WM_DESTROY:
        if (pThis->m_hWnd != NULL) ::DestroyWindow(pThis->m_hWnd);
        pThis->m_hWnd = NULL;
        pThis->m_Status = 0;
        break;
    case WM_NCDESTROY:
        // The host's procedure may delete the object that holds this shadow: finish every
        // piece of bookkeeping first and touch nothing afterwards.
        GetShadowMap().erase(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pOriProc));
        ::RemovePropW(hwnd, kHostProcProp);
        pThis->m_hHost = NULL;
        return ::CallWindowProcW(pOriProc, hwnd, uMsg, wParam, lParam);
    default:
        break;
    }
    return ::CallWindowProcW(pOriProc, hwnd, uMsg, wParam, lParam);
}

DWORD CShadowUI::PreMultiply(DWORD dwColor, BYTE nAlpha)
{
    return (((dwColor & 0xFF) * nAlpha / 255)) | (((dwColor >> 8) & 0xFF) * nAlpha / 255) << 8 |
           (((dwColor >> 16) & 0xFF) * nAlpha / 255) << 16;
}

void CShadowUI::Update(HWND hParent)
{
    if (m_hWnd == NULL || hParent == NULL) return;
    RECT rcParent;
    ::GetWindowRect(hParent, &rcParent);
    int nShadWndWid, nShadWndHei;
    if (m_bIsImageMode) {
        if (m_sShadowImage.IsEmpty()) return;
        nShadWndWid = rcParent.right - rcParent.left + m_rcShadowCorner.left + m_rcShadowCorner.right;
        nShadWndHei = rcParent.bottom - rcParent.top + m_rcShadowCorner.top + m_rcShadowCorner.bottom;
    } else {
        if (m_nSize == 0) return;
        nShadWndWid = rcParent.right - rcParent.left + m_nSize * 2;
        nShadWndHei = rcParent.bottom - rcParent.top + m_nSize * 2;
    }
    if (nShadWndWid <= 0 || nShadWndHei <= 0) return;

    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = nShadWndWid;
    bmi.bmiHeader.biHeight = nShadWndHei;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = static_cast<DWORD>(nShadWndWid) * static_cast<DWORD>(nShadWndHei) * 4;
    void* pvBits = NULL;
    CScopedGdiObject<HBITMAP> bitmap(::CreateDIBSection(NULL, &bmi, DIB_RGB_COLORS, &pvBits, NULL, 0));
    CScopedMemDC memDC(NULL);
    if (bitmap.Get() == NULL || pvBits == NULL || memDC.Get() == NULL) return;
    HDC hMemDC = memDC.Get();
    CScopedSelect selectBitmap(hMemDC, bitmap.Get());

    bool bDrawn = false;
    if (m_bIsImageMode) {
        tagTImageInfo* data = m_pManager != NULL ? m_pManager->GetImageEx(m_sShadowImage, NULL, 0) : NULL;
        if (data != NULL) {
            RECT rcBmpPart = { 0, 0, data->width, data->height };
            RECT rcPaint = { 0, 0, nShadWndWid, nShadWndHei };
            CRenderEngine::DrawImage(hMemDC, data->hBitmap, rcPaint, rcPaint, rcBmpPart, m_rcShadowCorner,
                                     data->hasAlpha, 0xFF, true, false, false);
            bDrawn = true;
        }
    } else {
        ::ZeroMemory(pvBits, bmi.bmiHeader.biSizeImage);
        MakeShadow(static_cast<UINT*>(pvBits), hParent, &rcParent);
        bDrawn = true;
    }

    if (bDrawn) {
        POINT ptDst = ShadowOrigin(rcParent);
        POINT ptSrc = { 0, 0 };
        SIZE wndSize = { nShadWndWid, nShadWndHei };
        BLENDFUNCTION blendPixelFunction = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
        ::MoveWindow(m_hWnd, ptDst.x, ptDst.y, nShadWndWid, nShadWndHei, FALSE);
        ::UpdateLayeredWindow(m_hWnd, NULL, &ptDst, &wndSize, hMemDC, &ptSrc, 0, &blendPixelFunction, ULW_ALPHA);
    }
}

void CShadowUI::MakeShadow(UINT* pShadBits, HWND hParent, RECT* rcParent)
{
    const int nWidth = rcParent->right - rcParent->left;
    const int nHeight = rcParent->bottom - rcParent->top;
    const int nSize = m_nSize;
    const int nShadWndWid = nWidth + nSize * 2;
    const int nShadWndHei = nHeight + nSize * 2;
    if (nWidth <= 0 || nHeight <= 0 || nShadWndWid <= 0 || nShadWndHei <= 0) return;

    // 1. The host's silhouette; without a window region, or with an empty one, the whole
    //    window rectangle.
    CScopedGdiObject<HRGN> parentRgn(::CreateRectRgn(0, 0, 0, 0));
    HRGN hParentRgn = parentRgn.Get();
    if (hParentRgn == NULL) return;
    const int nRgn = ::GetWindowRgn(hParent, hParentRgn);
    if (nRgn == ERROR || nRgn == NULLREGION) ::SetRectRgn(hParentRgn, 0, 0, nWidth, nHeight);

    // 2. One span per bitmap row plus a sentinel above and below (index = row + 1), and the
    //    host-coordinate span of each host row.
    std::vector<Span> anchors(static_cast<size_t>(nShadWndHei) + 2, Span{ nWidth, 0 });
    std::vector<Span> hostSpans(static_cast<size_t>(nHeight), Span{ nWidth, 0 });
    for (int k = 0; k < nHeight; k++) {
        int first = -1, last = -1;
        for (int x = 0; x < nWidth; x++) {
            if (::PtInRegion(hParentRgn, x, k)) {
                first = x;
                break;
            }
        }
        if (first >= 0) {
            for (int x = nWidth - 1; x >= first; x--) {
                if (::PtInRegion(hParentRgn, x, k)) {
                    last = x;
                    break;
                }
            }
            hostSpans[k].start = first;
            hostSpans[k].end = last + 1;
        }
        int row = nSize + k;
        if (row < 0 || row >= nShadWndHei) continue;
        if (first >= 0) {
            anchors[row + 1].start = first + nSize;
            anchors[row + 1].end = last + 1 + nSize;
        } else {
            anchors[row + 1].start = nWidth;
        }
    }
    parentRgn.Reset();

    // 3. Erosion when the blur is wider than the shadow.
    const int nSharpness = m_nSharpness;
    if (nSharpness > nSize) {
        std::vector<Span> tmp(anchors.size());
        for (int pass = 0; pass < nSharpness - nSize; pass++) {
            tmp = anchors;
            for (int r = 1; r <= nShadWndHei; r++) {
                int s = tmp[r - 1].start;
                if (tmp[r].start > s) s = tmp[r].start;
                if (tmp[r + 1].start > s) s = tmp[r + 1].start;
                int e = tmp[r - 1].end;
                if (tmp[r].end < e) e = tmp[r].end;
                if (tmp[r + 1].end < e) e = tmp[r + 1].end;
                anchors[r].start = s + 1;
                anchors[r].end = e - 1;
            }
        }
    }

    // 4. The kernel: solid inside radius S, fading to nothing at radius R.
    const int nKernelRadius = nSize > nSharpness ? nSize : nSharpness;
    const int nCenSize = nSize > nSharpness ? nSize - nSharpness : 0;
    const int nKernelSize = nKernelRadius * 2 + 1;
    std::vector<UINT> kernel(static_cast<size_t>(nKernelSize) * nKernelSize, 0);
    for (int dy = -nKernelRadius; dy <= nKernelRadius; dy++) {
        for (int dx = -nKernelRadius; dx <= nKernelRadius; dx++) {
            double d = sqrt(static_cast<double>(dx * dx + dy * dy));
            UINT value = 0;
            if (d < nCenSize) {
                value = PreMultiply(m_Color, m_nDarkness) | (static_cast<UINT>(m_nDarkness) << 24);
            } else if (d <= nKernelRadius) {
                double a = (1.0 - (d - nCenSize) / (nSharpness + 1)) * m_nDarkness;
                BYTE alpha = a <= 0 ? 0 : static_cast<BYTE>(a);
                if (alpha != 0) value = PreMultiply(m_Color, alpha) | (static_cast<UINT>(alpha) << 24);
            }
            kernel[static_cast<size_t>(dy + nKernelRadius) * nKernelSize + dx + nKernelRadius] = value;
        }
    }

    // Image row r lies at memory row (height - 1 - r) of the bottom-up bitmap; every write
    // is clipped to the bitmap (negative sizes put spans partly outside it).
    auto pixel = [&](int x, int r) -> UINT& {
        return pShadBits[static_cast<size_t>(nShadWndHei - 1 - r) * nShadWndWid + x];
    };
    auto stamp = [&](int cx, int cy) {
        for (int dy = -nKernelRadius; dy <= nKernelRadius; dy++) {
            int r = cy + dy;
            if (r < 0 || r >= nShadWndHei) continue;
            for (int dx = -nKernelRadius; dx <= nKernelRadius; dx++) {
                int x = cx + dx;
                if (x < 0 || x >= nShadWndWid) continue;
                UINT k = kernel[static_cast<size_t>(dy + nKernelRadius) * nKernelSize + dx + nKernelRadius];
                UINT& p = pixel(x, r);
                if (k > p) p = k;
            }
        }
    };

    // 5. Stamp the kernel along the left and right edges of each span.
    for (int r = nKernelRadius; r < nShadWndHei - nKernelRadius; r++) {
        const Span& cur = anchors[r + 1];
        const Span& up = anchors[r];
        const Span& down = anchors[r + 2];
        if (cur.start >= cur.end) continue;
        int leftEnd = (up.start > down.start ? up.start : down.start) + 1;
        if (leftEnd > cur.end) leftEnd = cur.end;
        int x = cur.start;
        for (; x < leftEnd; x++) stamp(x, r);
        int rightStart = (up.end < down.end ? up.end : down.end) - 1;
        if (rightStart < x) rightStart = x;
        for (int x2 = rightStart; x2 < cur.end; x2++) stamp(x2, r);
    }

    // 6. Fill the inside of the spans, leaving the hole where the host covers the shadow.
    const UINT full = PreMultiply(m_Color, m_nDarkness) | (static_cast<UINT>(m_nDarkness) << 24);
    int rowBegin = nSize - m_nyOffset;
    if (rowBegin < 0) rowBegin = 0;
    if (rowBegin > nKernelRadius) rowBegin = nKernelRadius;
    int rowEnd = nHeight + nSize - m_nyOffset;
    if (rowEnd > nShadWndHei) rowEnd = nShadWndHei;
    if (rowEnd < nShadWndHei - nKernelRadius) rowEnd = nShadWndHei - nKernelRadius;
    for (int r = rowBegin; r < rowEnd; r++) {
        if (r < 0 || r >= nShadWndHei) continue;
        const Span& cur = anchors[r + 1];
        int s = cur.start < 0 ? 0 : cur.start;
        int e = cur.end > nShadWndWid ? nShadWndWid : cur.end;
        int h = r + m_nyOffset - nSize;
        int holeStart = 0, holeEnd = 0;
        if (h >= 0 && h < nHeight) {
            holeStart = hostSpans[h].start - m_nxOffset + nSize;
            holeEnd = hostSpans[h].end - m_nxOffset + nSize;
            if (holeStart < 0) holeStart = 0;
            if (holeEnd > nShadWndWid) holeEnd = nShadWndWid;
        }
        for (int x = s; x < e; x++) pixel(x, r) = (x >= holeStart && x < holeEnd) ? 0 : full;
        // The hole is transparent also where it reaches past the span.
        for (int x = holeStart; x < holeEnd; x++) pixel(x, r) = 0;
    }
}

bool CShadowUI::SetSize(int nSize)
{
    if (nSize > 20 || nSize < -20) return false;
    m_nSize = static_cast<signed char>(nSize);
    if (m_hWnd != NULL && (m_Status & SS_VISABLE)) Update(::GetWindow(m_hWnd, GW_OWNER));
    return true;
}

bool CShadowUI::SetSharpness(unsigned int nSharpness)
{
    if (nSharpness > 20) return false;
    m_nSharpness = static_cast<BYTE>(nSharpness);
    if (m_hWnd != NULL && (m_Status & SS_VISABLE)) Update(::GetWindow(m_hWnd, GW_OWNER));
    return true;
}

bool CShadowUI::SetDarkness(unsigned int nDarkness)
{
    if (nDarkness > 255) return false;
    m_nDarkness = static_cast<BYTE>(nDarkness);
    if (m_hWnd != NULL && (m_Status & SS_VISABLE)) Update(::GetWindow(m_hWnd, GW_OWNER));
    return true;
}

bool CShadowUI::SetPosition(int nXOffset, int nYOffset)
{
    if (nXOffset > 20 || nXOffset < -20 || nYOffset > 20 || nYOffset < -20) return false;
    m_nxOffset = static_cast<signed char>(nXOffset);
    m_nyOffset = static_cast<signed char>(nYOffset);
    if (m_hWnd != NULL && (m_Status & SS_VISABLE)) Update(::GetWindow(m_hWnd, GW_OWNER));
    return true;
}

bool CShadowUI::SetColor(DWORD dwColor)
{
    m_Color = dwColor;
    if (m_hWnd != NULL && (m_Status & SS_VISABLE)) Update(::GetWindow(m_hWnd, GW_OWNER));
    return true;
}

bool CShadowUI::SetImage(LPCTSTR pstrImage)
{
    if (pstrImage == NULL) return false;
    m_bIsImageMode = true;
    m_sShadowImage = pstrImage;
    if (m_hWnd != NULL && (m_Status & SS_VISABLE)) Update(::GetWindow(m_hWnd, GW_OWNER));
    return true;
}

bool CShadowUI::SetShadowCorner(RECT rcCorner)
{
    if (rcCorner.left < 0 || rcCorner.top < 0 || rcCorner.right < 0 || rcCorner.bottom < 0) return false;
    m_rcShadowCorner = rcCorner;
    if (m_hWnd != NULL && (m_Status & SS_VISABLE)) Update(::GetWindow(m_hWnd, GW_OWNER));
    return true;
}

bool CShadowUI::CopyShadow(CShadowUI* pShadow)
{
    if (pShadow == NULL) return false;
    if (m_bIsImageMode) {
        pShadow->SetImage(m_sShadowImage);
        pShadow->SetShadowCorner(m_rcShadowCorner);
    } else {
        pShadow->SetSize(m_nSize);
        pShadow->SetSharpness(m_nSharpness);
        pShadow->SetDarkness(m_nDarkness);
        pShadow->SetColor(m_Color);
        pShadow->SetPosition(m_nxOffset, m_nyOffset);
    }
    pShadow->ShowShadow(m_bIsShowShadow);
    return true;
}

} // namespace SkinUI
