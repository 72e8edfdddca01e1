#pragma once
#include "core/ControlUI.h"

struct IStream;
namespace Gdiplus {
class Image;
}

namespace SkinUI {

// An animated image (normally a GIF) decoded and drawn with GDI+, stepped through its frames
// on a control timer. It paints nothing but the frame: no colour, image, text or border.
//
// The image is loaded at DoInit or at the first paint and kept until another "bkimage" is
// set; a path that could not be loaded is not tried again until then. Images with at most
// one frame, or without frame delays, stay still on their first frame.
//
// Each paint draws the image's active frame and then makes the current frame active for the
// next paint, so what is on screen is one tick behind the current frame.
class SKINUI_API CGifAnimUI : public CControlUI {
public:
    // The frame timer's local id.
    enum { GIF_TIMER_ID = 100 };

    CGifAnimUI();
    ~CGifAnimUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetVisible(bool bVisible = true) override;
    void DoInit() override;
    // Only the frame timer is handled; every other event ends here.
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    // The path of the image (relative to the resource folder or zip, or a plain path). A new
    // path stops the animation and releases the image; the new one loads at the next paint.
    void SetBkImage(LPCTSTR pStrImage);
    LPCTSTR GetBkImage();
    // Both act at the next load.
    void SetAutoPlay(bool bIsAuto = true);
    bool IsAutoPlay() const;
    void SetAutoSize(bool bIsAuto = true);
    bool IsAutoSize() const;

    void PlayGif();
    // Keeps the current frame.
    void PauseGif();
    // Back to the first frame.
    void StopGif();

    bool IsPlaying() const;
    // Frames of the loaded image (0 without one) and the frame the next tick moves from.
    UINT GetFrameCount() const;
    UINT GetCurrentFrame() const;
    // How long frame i is shown, in milliseconds: its delay (hundredths of a second) times
    // 10, 100 for a delay of 0 and for a frame the image gives no delay for.
    UINT GetFrameDelay(UINT nFrame) const;
    // How long the frame on show stays before the next tick (milliseconds); 0 while the
    // frame timer is not running.
    UINT GetTimerElapse() const;

protected:
    void InitGifImage();
    void DeleteGif();
    void OnTimer(UINT_PTR idEvent);
    void DrawFrame(HDC hDC);
    bool IsStill() const;
    // The frame timer, run with the current frame's delay.
    bool ArmFrameTimer();
    void KillFrameTimer();
    // The image bytes from the resource folder or zip, else from the path itself, decoded.
    bool LoadGifFromFile(LPCTSTR pstrGifPath);
    bool LoadGifFromMemory(const BYTE* pBuf, DWORD dwSize);

    Gdiplus::Image* m_pGifImage;
    IStream* m_pStream; // the image reads from it for as long as it lives
    UINT m_nFrameCount;
    UINT m_nFramePosition;
    // The frame delays (hundredths of a second), one per frame as far as the image gives them.
    UINT* m_pDelays;
    UINT m_nDelayCount;
    CSkinString m_sBkImage;
    bool m_bIsAutoPlay;
    bool m_bIsAutoSize;
    bool m_bIsPlaying;
    bool m_bLoadFailed; // the current path could not be loaded
    UINT m_uTimerElapse; // the running frame timer's interval, 0 when none runs
};

} // namespace SkinUI
