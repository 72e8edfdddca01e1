// A skin shaped like the updater's window, built by the skin builder into a skinned window:
// a timer drives "myprogress" as downloads do, the option lines carry texts, "close" ends
// the window. A screenshot is kept beside the test program for a person to look at.
#include <windows.h>
#include <gtest/gtest.h>
#include <fstream>
#include <functional>
#include <sstream>
#include "core/WindowImplBase.h"
#include "core/ProgressUI.h"
#include "core/OptionUI.h"
#include "core/ButtonUI.h"
#include "BasicTestUtil.h"

using namespace SkinUI;
using painttest::Canvas;

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<uint8_t> SolidRgba(int w, int h, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> px;
    for (int i = 0; i < w * h; i++) px.insert(px.end(), { r, g, b, 255 });
    return px;
}

// Green growing lighter to the right: the stretched fill shows the whole ramp.
std::vector<uint8_t> RampRgba(int w, int h)
{
    std::vector<uint8_t> px;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) px.insert(px.end(), { 40, static_cast<uint8_t>(120 + x * 135 / w), 60, 255 });
    return px;
}

class SampleWnd : public WindowImplBase {
public:
    LPCTSTR GetWindowClassName() const override { return L"BasicSampleWnd"; }
    CSkinString GetSkinFile() override { return L"MainWnd.xml"; }

    void InitWindow() override
    {
        progress = static_cast<CProgressUI*>(m_PaintManager.FindControl(L"myprogress"));
        percent = m_PaintManager.FindControl(L"Optionsum");
        again = m_PaintManager.FindControl(L"again");
        if (progress != NULL) m_PaintManager.SetTimer(progress, 1, 20);
    }

    void Notify(TNotifyUI& msg) override
    {
        if (msg.type == L"timer" && msg.sender == progress) {
            ticks++;
            // As the updater does per chunk: the same percentage is set several times.
            const int value = ticks / 2 * 10;
            progress->SetValue(value > 100 ? 100 : value);
            wchar_t text[64];
            swprintf(text, 64, L"Downloading... (%d%%)", progress->GetValue());
            percent->SetText(text);
            if (progress->GetValue() == 100) {
                m_PaintManager.KillTimer(progress, 1);
                again->SetVisible(true);
            }
        } else if (msg.type == L"click") {
            clicks.push_back(msg.sender->GetName().GetData());
            if (msg.sender->GetName() == L"close") Close(7);
        }
        WindowImplBase::Notify(msg);
    }

    CPaintManagerUI& pm() { return m_PaintManager; }

    CProgressUI* progress = nullptr;
    CControlUI* percent = nullptr;
    CControlUI* again = nullptr;
    int ticks = 0;
    std::vector<std::wstring> clicks;
};

void PumpUntil(const std::function<bool()>& done)
{
    // Bounded by a count of waits, not by a measured time.
    for (int i = 0; i < 2000 && !done(); i++) {
        ::MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
        painttest::PumpMessages();
    }
}

void SavePng(HWND hWnd, const std::wstring& path)
{
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    Canvas shot(rc.right, rc.bottom);
    HDC hdc = ::GetDC(hWnd);
    ::BitBlt(shot.dc(), 0, 0, rc.right, rc.bottom, hdc, 0, 0, SRCCOPY);
    ::ReleaseDC(hWnd, hdc);
    std::vector<uint8_t> rgba;
    for (int y = 0; y < rc.bottom; y++) {
        for (int x = 0; x < rc.right; x++) {
            const uint32_t v = shot.At(x, y);
            rgba.insert(rgba.end(),
                        { static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v), 255 });
        }
    }
    painttest::WriteFileBytes(path, painttest::EncodePng(rc.right, rc.bottom, rgba));
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(NULL, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.find_last_of(L"\\/") + 1);
}

TEST(UpdaterSample, OpensDrivesItsProgressAndCloses)
{
    painttest::TempDir dir;
    const std::string xml = ReadText(SAMPLE_SKIN_FILE);
    ASSERT_FALSE(xml.empty()) << SAMPLE_SKIN_FILE;
    ASSERT_TRUE(painttest::WriteFileBytes(dir / L"MainWnd.xml", xml));
    painttest::WriteFileBytes(dir / L"progress_bk.png", painttest::EncodePng(8, 8, SolidRgba(8, 8, 20, 30, 40)));
    painttest::WriteFileBytes(dir / L"progress_fore.png", painttest::EncodePng(200, 14, RampRgba(200, 14)));
    painttest::WriteFileBytes(dir / L"button.png", painttest::EncodePng(8, 8, SolidRgba(8, 8, 60, 90, 160)));
    painttest::WriteFileBytes(dir / L"button_hot.png", painttest::EncodePng(8, 8, SolidRgba(8, 8, 90, 130, 220)));
    CPaintManagerUI::SetResourcePath(dir.path().c_str());

    SampleWnd wnd;
    ASSERT_NE(nullptr, wnd.Create(NULL, L"Updater sample", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0));
    ASSERT_NE(nullptr, wnd.progress);
    ASSERT_NE(nullptr, wnd.percent);
    ASSERT_NE(nullptr, wnd.again);
    EXPECT_STREQ(L"OptionUI", wnd.percent->GetClass());
    EXPECT_FALSE(wnd.again->IsVisible());
    wnd.CenterWindow();
    ::UpdateWindow(wnd.GetHWND());

    PumpUntil([&] { return wnd.progress->GetValue() >= 50; });
    EXPECT_EQ(50, wnd.progress->GetValue());
    SavePng(wnd.GetHWND(), ProgramFolder() + L"updater-sample-50.png");
    PumpUntil([&] { return wnd.progress->GetValue() == 100 && wnd.again->IsVisible(); });
    ASSERT_EQ(100, wnd.progress->GetValue());
    EXPECT_STREQ(L"Downloading... (100%)", wnd.percent->GetText().GetData());
    PumpUntil([&] { return !::GetUpdateRect(wnd.GetHWND(), NULL, FALSE); });
    SavePng(wnd.GetHWND(), ProgramFolder() + L"updater-sample.png");

    // The full bar shows the fore image's light end at its right edge (read from a DIB).
    RECT client;
    ::GetClientRect(wnd.GetHWND(), &client);
    Canvas canvas(client.right, client.bottom);
    wnd.pm().GetRoot()->DoPaint(canvas.dc(), client);
    const RECT& bar = wnd.progress->GetPos();
    ASSERT_GT(bar.right - bar.left, 100);
    const uint32_t right = canvas.At(bar.right - 2, (bar.top + bar.bottom) / 2);
    const uint32_t left = canvas.At(bar.left + 1, (bar.top + bar.bottom) / 2);
    EXPECT_GT(painttest::Ch(right, 1), 230) << std::hex << right;
    EXPECT_LT(painttest::Ch(left, 1), 140) << std::hex << left;

    // "again" is now shown and clickable; "close" ends the window.
    const RECT& rcAgain = wnd.again->GetPos();
    const LPARAM ptAgain = MAKELPARAM((rcAgain.left + rcAgain.right) / 2, (rcAgain.top + rcAgain.bottom) / 2);
    ::PostMessageW(wnd.GetHWND(), WM_MOUSEMOVE, 0, ptAgain);
    ::PostMessageW(wnd.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, ptAgain);
    ::PostMessageW(wnd.GetHWND(), WM_LBUTTONUP, 0, ptAgain);
    CControlUI* close = wnd.pm().FindControl(L"close");
    ASSERT_NE(nullptr, close);
    const RECT& rcClose = close->GetPos();
    const LPARAM ptClose = MAKELPARAM((rcClose.left + rcClose.right) / 2, (rcClose.top + rcClose.bottom) / 2);
    ::PostMessageW(wnd.GetHWND(), WM_MOUSEMOVE, 0, ptClose);
    ::PostMessageW(wnd.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, ptClose);
    ::PostMessageW(wnd.GetHWND(), WM_LBUTTONUP, 0, ptClose);
    PumpUntil([&] { return !::IsWindow(wnd.GetHWND()); });
    EXPECT_FALSE(::IsWindow(wnd.GetHWND()));
    EXPECT_EQ((std::vector<std::wstring>{ L"again", L"close" }), wnd.clicks);
    CPaintManagerUI::SetResourcePath(L"");
}

} // namespace
