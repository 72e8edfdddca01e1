#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include <cstdint>
#include <gtest/gtest.h>
#include "core/WindowWnd.h"
#include "core/PaintManager.h"
#include "core/ControlUI.h"
#include "core/ContainerUI.h"
#include "../paint/PaintTestUtil.h"

// A real toolkit window for the control tests: the manager handles its messages, input is
// posted to it as the system would, notifications are recorded, and the tree is painted
// into a 32-bit DIB for reading pixels.
namespace basictest {

struct Note {
    std::wstring type;
    SkinUI::CControlUI* sender;
    WPARAM wParam;
    LPARAM lParam;
};

class HostWindow : public SkinUI::CWindowWnd, public SkinUI::INotifyUI {
public:
    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // Creates the window (w x h client), attaches the tree, shows the window when asked and
    // runs messages until the first paint has laid the tree out; no control has the focus.
    void Open(SkinUI::CControlUI* pRoot, int w, int h, bool bShow = true);
    SkinUI::CPaintManagerUI& pm() { return m_pm; }

    // Input, posted and then run through the window's message queue.
    void Move(int x, int y);
    // The move alone is handled; a paint it asks for stays pending (readable with
    // GetUpdateRect).
    void MoveWithoutPaint(int x, int y);
    void Down(int x, int y);
    void Up(int x, int y);
    void DblClk(int x, int y);
    void Click(int x, int y);
    void Key(UINT vk);
    // delta > 0: away from the user; the point is in client coordinates.
    void Wheel(int x, int y, int delta);
    // The cursor the control under (x, y) chooses (null when it does not choose one).
    HCURSOR CursorAt(int x, int y);
    void Pump();
    // Lays out what waits for a layout (a paint of the window) without further input.
    void Update();

    // The whole tree painted into a fresh canvas of the client size (filled with fill first).
    void PaintTo(painttest::Canvas& canvas);

    // Types of the notifications recorded since the last Clear, optionally only those of one
    // sender.
    std::vector<std::wstring> Types(SkinUI::CControlUI* pSender = NULL) const;
    void Clear() { notes.clear(); }
    int Count(LPCWSTR type, SkinUI::CControlUI* pSender = NULL) const;

    void Notify(SkinUI::TNotifyUI& msg) override;
    std::vector<Note> notes;
    // Types recorded by Notify that are not kept (set-up noise such as "windowinit").
    std::vector<std::wstring> ignored;

protected:
    LPCTSTR GetWindowClassName() const override { return L"BasicTestHost"; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    void Post(UINT msg, WPARAM wParam, int x, int y);
    SkinUI::CPaintManagerUI m_pm;
};

// The colour bytes of a pixel: opaque images are blitted without their alpha byte, which
// only layered windows use.
inline uint32_t Rgb(uint32_t v)
{
    return v & 0x00FFFFFF;
}

// A w x h bitmap of one opaque colour (0xAARRGGBB) added to the manager's image cache.
void AddSolidImage(SkinUI::CPaintManagerUI& pm, LPCWSTR name, uint32_t color, int w = 8, int h = 8);
// A w x h opaque image whose pixel (x, y) has the red byte x, the green byte y and blue 0:
// the image pixel drawn at a canvas pixel can be read back from its colour.
void AddGradedImage(SkinUI::CPaintManagerUI& pm, LPCWSTR name, int w, int h);

// Applies name="value" pairs and returns the control for chaining.
template <class T>
T* Make(LPCWSTR attributes)
{
    T* p = new T;
    p->ApplyAttributeList(attributes);
    return p;
}

// A container root holding the given float children.
SkinUI::CContainerUI* Root(std::initializer_list<SkinUI::CControlUI*> children);

// A test with one control of type T in a window: its placement and size are the fixture's,
// the test adds its own attributes.
template <class T>
class OneControlTest : public ::testing::Test {
protected:
    OneControlTest(LPCWSTR placement, int w, int h) : m_placement(placement), m_w(w), m_h(h) {}
    void Open(LPCWSTR extra = L"")
    {
        m_control = Make<T>(m_placement);
        m_control->ApplyAttributeList(extra);
        m_win.Open(Root({ m_control }), m_w, m_h);
    }
    HostWindow m_win;
    T* m_control = nullptr;

private:
    LPCWSTR m_placement;
    int m_w, m_h;
};

// An input event handed straight to a control (no window needed).
void SendEvent(SkinUI::CControlUI& control, int type, int x, int y);

} // namespace basictest
