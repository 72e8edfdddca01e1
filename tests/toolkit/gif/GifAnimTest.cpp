#include <windows.h>
#include <map>
#include <string>
#include <vector>
#include "../basic/BasicTestUtil.h"
#include "GifBytes.h"
#include "controls/GifAnimUI.h"
#include "core/DialogBuilder.h"

using namespace SkinUI;
using basictest::HostWindow;
using basictest::Make;
using basictest::Rgb;
using giftest::Frame;

namespace {

// The Windows timers this program really runs, as user32 was asked to run them: the
// program's imports of SetTimer and KillTimer are pointed at recorders that pass each call on.
class RealTimers {
public:
    static RealTimers& Get()
    {
        static RealTimers timers;
        return timers;
    }
    // The period of the one timer the window runs, 0 when it runs none.
    UINT OnlyPeriod(HWND hWnd) const
    {
        UINT period = 0;
        int running = 0;
        for (const auto& timer : m_running) {
            if (timer.first.first != hWnd) continue;
            period = timer.second;
            running++;
        }
        EXPECT_LE(running, 1) << "more than one timer runs";
        return period;
    }

private:
    typedef UINT_PTR(WINAPI* SetTimerFn)(HWND, UINT_PTR, UINT, TIMERPROC);
    typedef BOOL(WINAPI* KillTimerFn)(HWND, UINT_PTR);

    RealTimers()
    {
        HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        m_set = reinterpret_cast<SetTimerFn>(reinterpret_cast<void*>(::GetProcAddress(user32, "SetTimer")));
        m_kill = reinterpret_cast<KillTimerFn>(reinterpret_cast<void*>(::GetProcAddress(user32, "KillTimer")));
        const int patched = Redirect(reinterpret_cast<void*>(m_set), reinterpret_cast<void*>(&RecordSet)) +
                            Redirect(reinterpret_cast<void*>(m_kill), reinterpret_cast<void*>(&RecordKill));
        EXPECT_EQ(patched, 2) << "the program's timer imports were not found";
    }
    // Points every import slot of this program holding target at replacement.
    static int Redirect(void* target, void* replacement)
    {
        BYTE* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(NULL));
        const IMAGE_NT_HEADERS* nt =
            reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        int patched = 0;
        for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name != 0; desc++) {
            for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk); slot->u1.Function != 0; slot++) {
                if (reinterpret_cast<void*>(slot->u1.Function) != target) continue;
                DWORD old = 0;
                ::VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE, &old);
                slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
                ::VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), old, &old);
                patched++;
            }
        }
        return patched;
    }
    static UINT_PTR WINAPI RecordSet(HWND hWnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
    {
        const UINT_PTR result = Get().m_set(hWnd, id, elapse, proc);
        if (result != 0 && hWnd != NULL) Get().m_running[std::make_pair(hWnd, id)] = elapse;
        return result;
    }
    static BOOL WINAPI RecordKill(HWND hWnd, UINT_PTR id)
    {
        Get().m_running.erase(std::make_pair(hWnd, id));
        return Get().m_kill(hWnd, id);
    }

    SetTimerFn m_set;
    KillTimerFn m_kill;
    std::map<std::pair<HWND, UINT_PTR>, UINT> m_running;
};

class ToolkitEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        CPaintManagerUI::SetInstance(::GetModuleHandleW(NULL));
        RealTimers::Get();
    }
};
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

// Opens the protected state the image never produces by itself.
class ProbeGif : public CGifAnimUI {
public:
    void ForgetFrames() { m_nFrameCount = 0; }
    void DropDelays()
    {
        delete[] m_pDelays;
        m_pDelays = NULL;
        m_nDelayCount = 0;
    }
    // Keeps only the first n delays of the loaded image.
    void KeepDelays(UINT n)
    {
        if (n < m_nDelayCount) m_nDelayCount = n;
    }
};

// A container that records the events reaching it.
class RecordingRoot : public CContainerUI {
public:
    void DoEvent(TEventUI& event) override
    {
        events.push_back(event.type);
        CContainerUI::DoEvent(event);
    }
    std::vector<int> events;
};

const uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// The image's pixels are 8 x 6; the control lies at (10,10) in a 40 x 30 window.
class GifTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CPaintManagerUI::SetResourcePath(m_dir.path().c_str());
        CPaintManagerUI::SetResourceZip(L"");
        // Three frames of distinct colours shown for 0 (100 ms), 70 and 20 ms; a still image.
        ASSERT_TRUE(painttest::WriteFileBytes(m_dir / L"anim.gif", giftest::MakeGif(8, 6, m_anim)));
        ASSERT_TRUE(
            painttest::WriteFileBytes(m_dir / L"still.gif", giftest::MakeGif(8, 6, { { giftest::WHITE, -1 } })));
    }
    void TearDown() override
    {
        CPaintManagerUI::SetResourceZip(L"");
        CPaintManagerUI::SetResourcePath(L"");
    }

    ProbeGif* Open(const std::wstring& attributes, LPCWSTR pos = L"10,10,18,16")
    {
        m_gif = Make<ProbeGif>((L"float=\"true\" pos=\"" + std::wstring(pos) + L"\" " + attributes).c_str());
        m_root = new RecordingRoot;
        m_root->Add(m_gif);
        m_win.Open(m_root, 40, 30);
        return m_gif;
    }

    // The real frame timer must not step the frames behind the test's back: the test plays
    // and ticks by itself and runs no messages afterwards.
    void OpenAndPlay()
    {
        Open(L"bkimage=\"anim.gif\" autoplay=\"false\"");
        m_gif->PlayGif();
    }

    // The colour the next paint leaves in the middle of the control.
    uint32_t Shown()
    {
        painttest::Canvas canvas(40, 30);
        m_win.PaintTo(canvas);
        return Rgb(canvas.At(14, 13));
    }

    void Tick(WPARAM id = CGifAnimUI::GIF_TIMER_ID)
    {
        TEventUI event = {};
        event.type = UIEVENT_TIMER;
        event.sender = m_gif;
        event.wParam = id;
        event.timestamp = ::GetTickCount();
        m_gif->Event(event);
    }

    // The period of the Windows timer the window really runs: the control's frame timer is
    // the only timer of these windows.
    UINT FramePeriod() { return RealTimers::Get().OnlyPeriod(m_win.GetHWND()); }

    // Whether the control's frame timer is armed, asked without changing it.
    bool TimerArmed()
    {
        if (!m_win.pm().SetTimer(m_gif, CGifAnimUI::GIF_TIMER_ID, 60000)) return true;
        m_win.pm().KillTimer(m_gif, CGifAnimUI::GIF_TIMER_ID);
        return false;
    }

    const std::vector<Frame> m_anim = { { giftest::RED, 0 }, { giftest::GREEN, 7 }, { giftest::BLUE, 2 } };
    painttest::TempDir m_dir;
    HostWindow m_win;
    ProbeGif* m_gif = nullptr;
    RecordingRoot* m_root = nullptr;
};

TEST_F(GifTest, LoadsFramesAndDelaysAndPlaysByItself)
{
    Open(L"bkimage=\"anim.gif\"");
    EXPECT_STREQ(m_gif->GetClass(), L"GifAnimUI");
    EXPECT_EQ(m_gif->GetInterface(L"GifAnim"), static_cast<LPVOID>(static_cast<CGifAnimUI*>(m_gif)));
    ASSERT_EQ(m_gif->GetFrameCount(), 3u);
    EXPECT_EQ(m_gif->GetFrameDelay(0), 100u);
    EXPECT_EQ(m_gif->GetFrameDelay(1), 70u);
    EXPECT_EQ(m_gif->GetFrameDelay(2), 20u);
    EXPECT_TRUE(m_gif->IsPlaying());
    EXPECT_TRUE(TimerArmed());
    // Only the image is painted: nothing outside it.
    painttest::Canvas canvas(40, 30, 0xFF123456);
    m_win.PaintTo(canvas);
    EXPECT_EQ(canvas.At(5, 5), 0xFF123456u);
    EXPECT_EQ(canvas.CountNot({ 10, 10, 18, 16 }, 0xFF123456u), 48);
}

// What a viewer sees: after each tick the paint shows a frame, and the timer then running
// decides how long it stays. Each frame must stay for its own delay (red 100 ms, green 70,
// blue 20), round after round.
TEST_F(GifTest, EachFrameIsShownForItsOwnDelayAndTheAnimationWraps)
{
    Open(L"bkimage=\"anim.gif\" autoplay=\"false\"");
    EXPECT_FALSE(m_gif->IsPlaying());
    EXPECT_FALSE(TimerArmed());
    EXPECT_EQ(FramePeriod(), 0u);
    EXPECT_EQ(Shown(), kRed);
    m_gif->PlayGif();
    EXPECT_TRUE(m_gif->IsPlaying());
    EXPECT_TRUE(TimerArmed());
    struct Shows {
        uint32_t colour;
        UINT ms;
    };
    const Shows order[] = { { kRed, 100 }, { kGreen, 70 }, { kBlue, 20 } };
    for (int step = 0; step < 7; step++) {
        const Shows& expected = order[step % 3];
        EXPECT_EQ(Shown(), expected.colour) << "step " << step;
        EXPECT_EQ(FramePeriod(), expected.ms) << "step " << step;
        // A second paint before the tick shows the same frame.
        EXPECT_EQ(Shown(), expected.colour) << "step " << step;
        Tick();
    }
    EXPECT_TRUE(TimerArmed());
}

TEST_F(GifTest, PauseKeepsTheFrameAndStopAlsoAfterPauseReturnsToTheFirst)
{
    OpenAndPlay();
    Tick();
    ASSERT_EQ(m_gif->GetCurrentFrame(), 1u);
    m_gif->PauseGif();
    EXPECT_FALSE(m_gif->IsPlaying());
    EXPECT_FALSE(TimerArmed());
    EXPECT_EQ(FramePeriod(), 0u);
    EXPECT_EQ(m_gif->GetCurrentFrame(), 1u);
    EXPECT_EQ(Shown(), kGreen);
    m_gif->PlayGif();
    EXPECT_TRUE(TimerArmed());
    // The paused frame gets its whole delay again.
    EXPECT_EQ(FramePeriod(), 70u);
    Tick();
    EXPECT_EQ(m_gif->GetCurrentFrame(), 2u);

    m_gif->PauseGif();
    m_gif->StopGif();
    EXPECT_EQ(m_gif->GetCurrentFrame(), 0u);
    EXPECT_FALSE(m_gif->IsPlaying());
    m_gif->PlayGif();
    Tick();
    EXPECT_EQ(m_gif->GetCurrentFrame(), 1u);

    m_gif->StopGif();
    EXPECT_EQ(m_gif->GetCurrentFrame(), 0u);
    EXPECT_FALSE(TimerArmed());
    EXPECT_EQ(m_gif->GetFrameCount(), 3u); // stopping keeps the image
}

TEST_F(GifTest, HidingStopsAndShowingPlays)
{
    OpenAndPlay();
    Tick();
    m_gif->SetVisible(false);
    EXPECT_FALSE(m_gif->IsPlaying());
    EXPECT_FALSE(TimerArmed());
    EXPECT_EQ(m_gif->GetCurrentFrame(), 0u);
    EXPECT_EQ(m_gif->GetFrameCount(), 3u);
    m_gif->SetVisible(true);
    EXPECT_TRUE(m_gif->IsPlaying());
    EXPECT_TRUE(TimerArmed());
}

TEST_F(GifTest, TheWindowsTimerMessageStepsTheFrameAndOtherEventsEndAtTheControl)
{
    OpenAndPlay();
    // The window timer id behind local id 100 is the manager's; the one that moves the frame is it.
    for (WPARAM id = 0; id < 240 && m_gif->GetCurrentFrame() == 0; id++) {
        ::SendMessageW(m_win.GetHWND(), WM_TIMER, id, 0);
    }
    EXPECT_EQ(m_gif->GetCurrentFrame(), 1u);
    EXPECT_TRUE(TimerArmed());

    Tick(99);
    EXPECT_EQ(m_gif->GetCurrentFrame(), 1u);
    m_root->events.clear();
    for (int type : { UIEVENT_LBUTTONDOWN, UIEVENT_MOUSEMOVE, UIEVENT_KEYDOWN, UIEVENT_SETCURSOR }) {
        basictest::SendEvent(*m_gif, type, 14, 13);
    }
    EXPECT_TRUE(m_root->events.empty());
    EXPECT_EQ(m_gif->GetCurrentFrame(), 1u);
}

TEST_F(GifTest, StillImagesShowTheirFirstFrameWithoutATimer)
{
    // A one-frame image, and an animated one whose delays the image does not give.
    struct Case {
        LPCWSTR file;
        bool dropDelays;
        UINT frames;
        uint32_t colour;
    } cases[] = { { L"still.gif", false, 1, kWhite }, { L"anim.gif", true, 3, kRed } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file);
        HostWindow win;
        m_gif = Make<ProbeGif>(
            (L"float=\"true\" pos=\"10,10,18,16\" autoplay=\"false\" bkimage=\"" + std::wstring(c.file) + L"\"")
                .c_str());
        win.Open(basictest::Root({ m_gif }), 40, 30);
        if (c.dropDelays) m_gif->DropDelays();
        EXPECT_EQ(m_gif->GetFrameCount(), c.frames);
        m_gif->PlayGif();
        EXPECT_FALSE(m_gif->IsPlaying());
        EXPECT_FALSE(win.pm().KillTimer(m_gif, CGifAnimUI::GIF_TIMER_ID));
        painttest::Canvas canvas(40, 30);
        win.PaintTo(canvas);
        EXPECT_EQ(Rgb(canvas.At(14, 13)), c.colour);
        win.PaintTo(canvas);
        EXPECT_EQ(Rgb(canvas.At(14, 13)), c.colour);
    }
}

TEST_F(GifTest, DelaysMissingForSomeFramesReadAsDefaultAndNoFramesNeverDivide)
{
    // Frames written without a delay of their own are shown for the default time.
    ASSERT_TRUE(painttest::WriteFileBytes(m_dir / L"nodelay.gif",
                                          giftest::MakeGif(8, 6, { { giftest::BLUE, -1 }, { giftest::RED, -1 } })));
    Open(L"bkimage=\"nodelay.gif\"");
    EXPECT_EQ(m_gif->GetFrameCount(), 2u);
    EXPECT_EQ(m_gif->GetFrameDelay(0), 100u);
    EXPECT_EQ(m_gif->GetFrameDelay(1), 100u);
    EXPECT_TRUE(m_gif->IsPlaying());

    m_gif->SetBkImage(L"anim.gif");
    Shown();
    // The property listing fewer delays than frames: the rest are never read.
    m_gif->KeepDelays(2);
    EXPECT_EQ(m_gif->GetFrameDelay(0), 100u);
    EXPECT_EQ(m_gif->GetFrameDelay(1), 70u);
    EXPECT_EQ(m_gif->GetFrameDelay(2), 100u);
    EXPECT_EQ(m_gif->GetFrameDelay(0xFFFFFFFFu), 100u);
    Tick();
    Tick();
    EXPECT_EQ(m_gif->GetCurrentFrame(), 2u);

    m_gif->ForgetFrames();
    Tick();
    EXPECT_EQ(m_gif->GetCurrentFrame(), 2u);
    Shown(); // draws without selecting a frame
}

TEST_F(GifTest, TheSameImageAgainChangesNothingAndANewOneLoadsAtTheNextPaint)
{
    OpenAndPlay();
    Tick();
    m_gif->SetBkImage(L"anim.gif");
    EXPECT_TRUE(m_gif->IsPlaying());
    EXPECT_EQ(m_gif->GetCurrentFrame(), 1u);
    EXPECT_EQ(m_gif->GetFrameCount(), 3u);

    m_gif->SetBkImage(L"still.gif");
    EXPECT_STREQ(m_gif->GetBkImage(), L"still.gif");
    EXPECT_FALSE(m_gif->IsPlaying());
    EXPECT_FALSE(TimerArmed());
    EXPECT_EQ(m_gif->GetFrameCount(), 0u);
    EXPECT_EQ(m_gif->GetCurrentFrame(), 0u);
    EXPECT_EQ(Shown(), kWhite);
    EXPECT_EQ(m_gif->GetFrameCount(), 1u);

    m_gif->SetBkImage(NULL);
    EXPECT_STREQ(m_gif->GetBkImage(), L"still.gif");
    EXPECT_EQ(m_gif->GetFrameCount(), 1u);
}

TEST_F(GifTest, AutoSizeTakesThePixelSizeOfTheImage)
{
    struct Case {
        LPCWSTR autosize;
        int width, height;
    } cases[] = { { L"true", 8, 6 }, { L"false", 20, 15 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "autosize " << c.autosize);
        HostWindow win;
        CGifAnimUI* gif = Make<CGifAnimUI>(
            (L"float=\"true\" pos=\"10,10,30,25\" bkimage=\"anim.gif\" autosize=\"" + std::wstring(c.autosize) + L"\"")
                .c_str());
        EXPECT_EQ(gif->IsAutoSize(), c.width == 8);
        win.Open(basictest::Root({ gif }), 40, 30);
        win.Update();
        EXPECT_EQ(gif->GetFixedWidth(), c.width);
        EXPECT_EQ(gif->GetFixedHeight(), c.height);
        EXPECT_EQ(gif->GetPos().right - gif->GetPos().left, c.width);
        EXPECT_EQ(gif->GetPos().bottom - gif->GetPos().top, c.height);
    }
}

TEST_F(GifTest, AFailedLoadIsRememberedUntilTheNextImageAndBrokenFilesPaintNothing)
{
    Open(L"bkimage=\"late.gif\"");
    EXPECT_EQ(Shown(), 0u);
    EXPECT_EQ(m_gif->GetFrameCount(), 0u);
    // The file arriving later is not looked for at every paint.
    ASSERT_TRUE(painttest::WriteFileBytes(m_dir / L"late.gif", giftest::MakeGif(8, 6, m_anim)));
    EXPECT_EQ(Shown(), 0u);
    EXPECT_EQ(m_gif->GetFrameCount(), 0u);
    m_gif->SetBkImage(L"still.gif");
    m_gif->SetBkImage(L"late.gif");
    EXPECT_EQ(Shown(), kRed);
    EXPECT_EQ(m_gif->GetFrameCount(), 3u);
    EXPECT_TRUE(m_gif->IsPlaying());

    const std::string good = giftest::MakeGif(8, 6, m_anim);
    struct Case {
        LPCWSTR file;
        std::string bytes;
    } cases[] = { { L"empty.gif", "" },
                  { L"noise.gif", "GIF89a\x08\x00\x06\x00 this is no image at all" },
                  { L"cut.gif", good.substr(0, 12) } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file);
        ASSERT_TRUE(painttest::WriteFileBytes(m_dir / c.file, c.bytes));
        m_gif->SetBkImage(c.file);
        EXPECT_FALSE(m_gif->IsPlaying());
        EXPECT_EQ(Shown(), 0u);
        EXPECT_EQ(m_gif->GetFrameCount(), 0u);
        m_gif->PlayGif();
        EXPECT_FALSE(m_gif->IsPlaying());
        Tick();
        EXPECT_EQ(m_gif->GetCurrentFrame(), 0u);
    }
}

TEST_F(GifTest, ReadsFromTheResourceZipAndFallsBackToThePlainPath)
{
    const std::string zip = painttest::MakeZip({ { "img/anim.gif", giftest::MakeGif(8, 6, m_anim) } });
    ASSERT_TRUE(painttest::WriteFileBytes(m_dir / L"skin.zip", zip));
    // "still.gif" lies in the resource folder but not in the zip: only its full path finds it.
    const std::wstring stillPath = m_dir / L"still.gif";
    for (bool cached : { false, true }) {
        SCOPED_TRACE(testing::Message() << "cached " << cached);
        CPaintManagerUI::SetResourceZip(L"skin.zip", cached);
        HostWindow win;
        CGifAnimUI* fromZip =
            Make<CGifAnimUI>(L"float=\"true\" pos=\"0,0,8,6\" autoplay=\"false\" bkimage=\"IMG/Anim.gif\"");
        CGifAnimUI* plain =
            Make<CGifAnimUI>((L"float=\"true\" pos=\"10,0,18,6\" bkimage=\"" + stillPath + L"\"").c_str());
        CGifAnimUI* relative = Make<CGifAnimUI>(L"float=\"true\" pos=\"20,0,28,6\" bkimage=\"still.gif\"");
        win.Open(basictest::Root({ fromZip, plain, relative }), 40, 30);
        EXPECT_EQ(fromZip->GetFrameCount(), 3u);
        EXPECT_EQ(plain->GetFrameCount(), 1u);
        EXPECT_EQ(relative->GetFrameCount(), 0u);
        painttest::Canvas canvas(40, 30);
        win.PaintTo(canvas);
        EXPECT_EQ(Rgb(canvas.At(4, 3)), kRed);
        EXPECT_EQ(Rgb(canvas.At(14, 3)), kWhite);
        EXPECT_EQ(Rgb(canvas.At(24, 3)), 0u);
        CPaintManagerUI::SetResourceZip(L"");
    }
}

TEST_F(GifTest, TheSkinElementMakesTheControlWithItsAttributes)
{
    CDialogBuilder builder;
    CControlUI* root =
        builder.Create(L"<Window><Container><GifAnim name=\"gif\" float=\"true\" pos=\"10,10,30,30\" "
                       L"bkimage=\"anim.gif\" autoplay=\"false\" autosize=\"true\"/></Container></Window>",
                       NULL, NULL, &m_win.pm(), NULL);
    ASSERT_NE(root, nullptr);
    m_win.Open(root, 40, 30);
    ASSERT_NE(m_win.pm().FindControl(L"gif"), nullptr);
    CGifAnimUI* gif = static_cast<CGifAnimUI*>(m_win.pm().FindControl(L"gif")->GetInterface(L"GifAnim"));
    ASSERT_NE(gif, nullptr);
    EXPECT_STREQ(gif->GetBkImage(), L"anim.gif");
    EXPECT_FALSE(gif->IsAutoPlay());
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_EQ(gif->GetFrameCount(), 3u);
    EXPECT_EQ(gif->GetFixedWidth(), 8);
}

TEST_F(GifTest, RemovingAPlayingControlLeavesNoTimerBehind)
{
    Open(L"bkimage=\"anim.gif\"");
    ASSERT_TRUE(m_gif->IsPlaying());
    ASSERT_TRUE(m_root->Remove(m_gif));
    m_win.Pump();
    // A timer message for every id finds nothing to step.
    for (WPARAM id = 0; id < 240; id++) ::SendMessageW(m_win.GetHWND(), WM_TIMER, id, 0);
    m_win.Pump();
}

} // namespace
