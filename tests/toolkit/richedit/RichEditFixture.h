#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "../basic/BasicTestUtil.h"
#include "controls/RichEditUI.h"
#include "controls/TxtWinHost.h"
#include "core/ButtonUI.h"

// A window with one rich edit (at 10,10 .. 210,110) and a button below it that takes the
// focus on Tab; input is sent or posted to the window and run through the manager's
// pre-translation as the toolkit's message loop does.
namespace richtest {

class RecordingHost : public basictest::HostWindow {
public:
    // WM_NOTIFY reflected to the window by the manager, as the program would see them.
    std::vector<UINT> reflectedCodes;

protected:
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_NOTIFY + 0x2000 && lParam != 0)
            reflectedCodes.push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
        return basictest::HostWindow::HandleMessage(uMsg, wParam, lParam);
    }
};

class RichEditTest : public ::testing::Test {
protected:
    void Open(LPCWSTR extra = L"", bool bLayered = false)
    {
        m_edit = basictest::Make<SkinUI::CRichEditUI>(L"float=\"true\" pos=\"10,10,210,110\" bkcolor=\"#FFFFFFFF\"");
        m_edit->ApplyAttributeList(extra);
        m_button = basictest::Make<SkinUI::CButtonUI>(L"float=\"true\" pos=\"10,120,210,150\"");
        if (bLayered) m_win.pm().SetUseLayeredWindow(true);
        m_win.Open(basictest::Root({ m_edit, m_button }), 240, 170);
    }
    SkinUI::CTxtWinHost* Host() const { return m_edit->GetTextHost(); }
    HWND Wnd() { return m_win.GetHWND(); }
    // The messages waiting for this thread, pre-translated by the toolkit first.
    static void PumpTranslated()
    {
        MSG msg;
        while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (SkinUI::CPaintManagerUI::TranslateMessage(&msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    void Key(UINT vk)
    {
        ::PostMessageW(Wnd(), WM_KEYDOWN, vk, 1);
        ::PostMessageW(Wnd(), WM_KEYUP, vk, 0xC0000001);
        PumpTranslated();
    }
    void Type(LPCWSTR text)
    {
        for (LPCWSTR p = text; *p != L'\0'; p++) ::SendMessageW(Wnd(), WM_CHAR, *p, 1);
    }
    void Focus()
    {
        m_win.pm().SetFocus(m_edit);
        m_win.Pump();
    }

    RecordingHost m_win;
    SkinUI::CRichEditUI* m_edit = nullptr;
    SkinUI::CButtonUI* m_button = nullptr;
};

// Holds Control down in this thread's key state for its life.
class ControlHeld {
public:
    explicit ControlHeld(bool bHeld)
    {
        ::GetKeyboardState(m_saved);
        if (!bHeld) return;
        BYTE state[256];
        ::memcpy(state, m_saved, sizeof(state));
        state[VK_CONTROL] = 0x80;
        ::SetKeyboardState(state);
    }
    ~ControlHeld() { ::SetKeyboardState(m_saved); }
    ControlHeld(const ControlHeld&) = delete;
    ControlHeld& operator=(const ControlHeld&) = delete;

private:
    BYTE m_saved[256];
};

inline std::wstring Str(const SkinUI::CSkinString& s)
{
    return std::wstring(s.GetData());
}

} // namespace richtest
