#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <new>
#include <vector>
#include <wchar.h>
#include "controls/GifAnimUI.h"
#include "core/RenderEngine.h"

namespace SkinUI {

namespace {

// A frame without a usable delay is shown this long (milliseconds).
const UINT kDefaultDelayMs = 100;

// Owns a new[] buffer from the render engine's byte loaders.
struct ByteBuffer {
    BYTE* p = NULL;
    DWORD size = 0;
    ~ByteBuffer() { delete[] p; }
};

} // namespace

CGifAnimUI::CGifAnimUI()
    : m_pGifImage(NULL), m_pStream(NULL), m_nFrameCount(0), m_nFramePosition(0), m_pDelays(NULL), m_nDelayCount(0),
      m_bIsAutoPlay(true), m_bIsAutoSize(false), m_bIsPlaying(false), m_bLoadFailed(false), m_uTimerElapse(0)
{
}

CGifAnimUI::~CGifAnimUI()
{
    DeleteGif();
    if (m_pManager != NULL) m_pManager->KillTimer(this, GIF_TIMER_ID);
}

LPCTSTR CGifAnimUI::GetClass() const
{
    return L"GifAnimUI";
}

LPVOID CGifAnimUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"GifAnim") == 0) return static_cast<CGifAnimUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

void CGifAnimUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    if (bVisible)
        PlayGif();
    else
        StopGif();
}

void CGifAnimUI::DoInit()
{
    InitGifImage();
}

void CGifAnimUI::DoEvent(TEventUI& event)
{
    if (event.type == UIEVENT_TIMER) OnTimer(static_cast<UINT_PTR>(event.wParam));
}

void CGifAnimUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"bkimage") == 0)
        SetBkImage(pstrValue);
    else if (wcscmp(pstrName, L"autoplay") == 0)
        SetAutoPlay(wcscmp(pstrValue, L"true") == 0);
    else if (wcscmp(pstrName, L"autosize") == 0)
        SetAutoSize(wcscmp(pstrValue, L"true") == 0);
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

void CGifAnimUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;
    if (m_pGifImage == NULL) InitGifImage();
    DrawFrame(hDC);
}

// ---- settings ----

void CGifAnimUI::SetBkImage(LPCTSTR pStrImage)
{
    if (pStrImage == NULL || m_sBkImage == pStrImage) return;
    m_sBkImage = pStrImage;
    StopGif();
    DeleteGif();
    m_bLoadFailed = false;
    Invalidate();
}

LPCTSTR CGifAnimUI::GetBkImage()
{
    return m_sBkImage.GetData();
}

void CGifAnimUI::SetAutoPlay(bool bIsAuto)
{
    m_bIsAutoPlay = bIsAuto;
}

bool CGifAnimUI::IsAutoPlay() const
{
    return m_bIsAutoPlay;
}

void CGifAnimUI::SetAutoSize(bool bIsAuto)
{
    m_bIsAutoSize = bIsAuto;
}

bool CGifAnimUI::IsAutoSize() const
{
    return m_bIsAutoSize;
}

// ---- playing ----

void CGifAnimUI::PlayGif()
{
    if (m_bIsPlaying || m_pGifImage == NULL || IsStill() || m_pManager == NULL) return;
    if (ArmFrameTimer()) m_bIsPlaying = true;
}

void CGifAnimUI::PauseGif()
{
    if (!m_bIsPlaying || m_pGifImage == NULL) return;
    KillFrameTimer();
    Invalidate();
    m_bIsPlaying = false;
}

void CGifAnimUI::StopGif()
{
    // Also after a pause: stopping always means the first frame.
    if (m_bIsPlaying) KillFrameTimer();
    m_bIsPlaying = false;
    if (m_pGifImage == NULL) return;
    m_nFramePosition = 0;
    Invalidate();
}

bool CGifAnimUI::IsPlaying() const
{
    return m_bIsPlaying;
}

UINT CGifAnimUI::GetFrameCount() const
{
    return m_nFrameCount;
}

UINT CGifAnimUI::GetCurrentFrame() const
{
    return m_nFramePosition;
}

UINT CGifAnimUI::GetFrameDelay(UINT nFrame) const
{
    if (m_pDelays == NULL || nFrame >= m_nDelayCount || m_pDelays[nFrame] == 0) return kDefaultDelayMs;
    return m_pDelays[nFrame] * 10;
}

bool CGifAnimUI::IsStill() const
{
    return m_nFrameCount <= 1 || m_pDelays == NULL;
}

void CGifAnimUI::OnTimer(UINT_PTR idEvent)
{
    if (idEvent != GIF_TIMER_ID || m_nFrameCount == 0) return;
    KillFrameTimer();
    Invalidate();
    m_nFramePosition = (m_nFramePosition + 1) % m_nFrameCount;
    // The frame now shown (the next paint selects it) stays for its own delay.
    ArmFrameTimer();
}

UINT CGifAnimUI::GetTimerElapse() const
{
    return m_uTimerElapse;
}

bool CGifAnimUI::ArmFrameTimer()
{
    if (m_pManager == NULL) return false;
    const UINT uElapse = GetFrameDelay(m_nFramePosition);
    if (!m_pManager->SetTimer(this, GIF_TIMER_ID, uElapse)) return false;
    m_uTimerElapse = uElapse;
    return true;
}

void CGifAnimUI::KillFrameTimer()
{
    if (m_pManager != NULL) m_pManager->KillTimer(this, GIF_TIMER_ID);
    m_uTimerElapse = 0;
}

// ---- the image ----

void CGifAnimUI::InitGifImage()
{
    if (m_pGifImage != NULL || m_bLoadFailed) return;
    // 1. The decoded image; a path that fails is remembered until the next SetBkImage.
    if (m_sBkImage.IsEmpty() || !LoadGifFromFile(m_sBkImage.GetData())) {
        m_bLoadFailed = true;
        return;
    }

    // 2. The frame count along the image's first frame dimension.
    const UINT nDimensions = m_pGifImage->GetFrameDimensionsCount();
    if (nDimensions > 0) {
        std::vector<GUID> dimensions(nDimensions);
        if (m_pGifImage->GetFrameDimensionsList(dimensions.data(), nDimensions) == Gdiplus::Ok)
            m_nFrameCount = m_pGifImage->GetFrameCount(&dimensions[0]);
    }

    // 3. The frame delays, as many whole 32-bit values as the property holds.
    const UINT nSize = m_pGifImage->GetPropertyItemSize(PropertyTagFrameDelay);
    if (nSize >= sizeof(Gdiplus::PropertyItem)) {
        std::vector<BYTE> raw(nSize);
        Gdiplus::PropertyItem* pItem = reinterpret_cast<Gdiplus::PropertyItem*>(raw.data());
        if (m_pGifImage->GetPropertyItem(PropertyTagFrameDelay, nSize, pItem) == Gdiplus::Ok && pItem->value != NULL) {
            const UINT nCount = static_cast<UINT>(pItem->length) / sizeof(UINT);
            if (nCount > 0) {
                m_pDelays = new (std::nothrow) UINT[nCount];
                if (m_pDelays != NULL) {
                    ::CopyMemory(m_pDelays, pItem->value, nCount * sizeof(UINT));
                    m_nDelayCount = nCount;
                }
            }
        }
    }

    // 4. The control takes the image's size.
    if (m_bIsAutoSize) {
        SetFixedWidth(static_cast<int>(m_pGifImage->GetWidth()));
        SetFixedHeight(static_cast<int>(m_pGifImage->GetHeight()));
    }

    // 5. Playing starts by itself when asked for.
    if (m_bIsAutoPlay) PlayGif();
}

void CGifAnimUI::DeleteGif()
{
    delete m_pGifImage;
    m_pGifImage = NULL;
    if (m_pStream != NULL) m_pStream->Release();
    m_pStream = NULL;
    delete[] m_pDelays;
    m_pDelays = NULL;
    m_nDelayCount = 0;
    m_nFrameCount = 0;
    m_nFramePosition = 0;
}

void CGifAnimUI::DrawFrame(HDC hDC)
{
    if (hDC == NULL || m_pGifImage == NULL) return;
    // The current frame is selected before it is drawn: selected after, each paint would show
    // the frame before it, for the current frame's delay.
    if (m_nFrameCount > 0) m_pGifImage->SelectActiveFrame(&Gdiplus::FrameDimensionTime, m_nFramePosition);
    Gdiplus::Graphics graphics(hDC);
    graphics.DrawImage(m_pGifImage, static_cast<INT>(m_rcItem.left), static_cast<INT>(m_rcItem.top),
                       static_cast<INT>(m_rcItem.right - m_rcItem.left), static_cast<INT>(m_rcItem.bottom - m_rcItem.top));
}

bool CGifAnimUI::LoadGifFromFile(LPCTSTR pstrGifPath)
{
    // 1. The resource folder, or the resource zip when one is set.
    ByteBuffer bytes;
    if (CPaintManagerUI::GetResourceZip().IsEmpty()) {
        CSkinString sFile = CPaintManagerUI::GetResourcePath();
        sFile += pstrGifPath;
        bytes.p = CRenderEngine::LoadFileBytes(sFile.GetData(), &bytes.size);
    } else {
        bytes.p = CRenderEngine::LoadZipBytes(pstrGifPath, &bytes.size);
    }
    // 2. Else the path by itself (absolute, or relative to the current folder).
    if (bytes.p == NULL) bytes.p = CRenderEngine::LoadFileBytes(pstrGifPath, &bytes.size);
    if (bytes.p == NULL) return false;
    return LoadGifFromMemory(bytes.p, bytes.size);
}

bool CGifAnimUI::LoadGifFromMemory(const BYTE* pBuf, DWORD dwSize)
{
    // The stream frees its memory block when released; the image reads from the stream for
    // its whole life, so the stream is kept beside it.
    HGLOBAL hMem = ::GlobalAlloc(GMEM_MOVEABLE, dwSize);
    if (hMem == NULL) return false;
    void* pMem = ::GlobalLock(hMem);
    if (pMem == NULL) {
        ::GlobalFree(hMem);
        return false;
    }
    ::CopyMemory(pMem, pBuf, dwSize);
    ::GlobalUnlock(hMem);
    IStream* pStream = NULL;
    if (FAILED(::CreateStreamOnHGlobal(hMem, TRUE, &pStream)) || pStream == NULL) {
        ::GlobalFree(hMem);
        return false;
    }
    // GDI+ objects come from GDI+'s own allocator, which answers null rather than throwing.
    Gdiplus::Image* pImage = new Gdiplus::Image(pStream);
    if (pImage == NULL || pImage->GetLastStatus() != Gdiplus::Ok) {
        delete pImage;
        pStream->Release();
        return false;
    }
    m_pGifImage = pImage;
    m_pStream = pStream;
    return true;
}

} // namespace SkinUI
