// The gallery program as a person would run it: a skin file on its command line, its window
// driven from outside, its message boxes read and answered by the project's box driver.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BoxRecord.h"
#include "PaintTestUtil.h"

namespace {

std::wstring BinFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(NULL, path, MAX_PATH);
    std::wstring s = path;
    return s.substr(0, s.find_last_of(L'\\') + 1);
}

std::wstring FromUtf8(const std::string& s)
{
    if (s.empty()) return std::wstring();
    int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), NULL, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

struct GalleryRun {
    DWORD exitCode = STILL_ACTIVE;
    std::vector<std::pair<std::wstring, std::wstring>> boxes; // caption, text
    bool timedOut = false;
};

// Starts the gallery through the box driver; `whileRunning` is called once the process runs.
template <class F>
GalleryRun RunGallery(const painttest::TempDir& dir, const std::wstring& args, F whileRunning)
{
    GalleryRun run;
    const std::wstring log = dir / L"boxes.log";
    std::wstring cmd = L"\"" + BinFolder() + L"msgbox_driver.exe\" --log \"" + log +
                       L"\" --press 1 --timeout 60 -- \"" + BinFolder() + L"gallery.exe\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, dir.path().c_str(), &si, &pi)) return run;
    whileRunning();
    if (::WaitForSingleObject(pi.hProcess, 90000) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 99);
    ::GetExitCodeProcess(pi.hProcess, &run.exitCode);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);

    const boxrecord::Record record = boxrecord::Read(log);
    // A crash under the driver ends quietly with the exception's code: the record names it.
    EXPECT_EQ(std::vector<std::string>(), record.crashes) << "gallery.exe " << std::string(args.begin(), args.end());
    for (const auto& box : record.Boxes()) run.boxes.push_back({ FromUtf8(box.first), FromUtf8(box.second) });
    run.timedOut = record.TimedOut();
    return run;
}

const char kSkin[] = "<Window size=\"320,200\" caption=\"0,0,0,30\">"
                     "<VerticalLayout bkcolor=\"#FFFFFFFF\"><HorizontalLayout height=\"30\" bkcolor=\"#FF3060A0\">"
                     "<Label text=\"Gallery\"/><Button name=\"closebtn\" width=\"30\" text=\"X\"/></HorizontalLayout>"
                     "<Label text=\"body\"/></VerticalLayout></Window>";

TEST(Gallery, AMissingOrBrokenSkinShowsTheBoxAndEndsWithCodeOne)
{
    painttest::TempDir dir;
    ASSERT_TRUE(painttest::WriteFileBytes(dir / L"broken.xml", "<Window><VerticalLayout"));
    ASSERT_TRUE(painttest::WriteFileBytes(dir / L"nocontrol.xml", "<Window><Font name=\"Arial\"/><Bogus/></Window>"));
    for (const wchar_t* skin : { L"nothing-here.xml", L"broken.xml", L"nocontrol.xml" }) {
        GalleryRun run = RunGallery(dir, L"\"" + dir.path() + skin + L"\"", [] {});
        EXPECT_FALSE(run.timedOut) << skin;
        EXPECT_EQ(1u, run.exitCode) << skin;
        ASSERT_EQ(1u, run.boxes.size()) << skin;
        EXPECT_EQ(L"SkinUI", run.boxes[0].first);
        EXPECT_EQ(L"\u52A0\u8F7D\u8D44\u6E90\u6587\u4EF6\u5931\u8D25", run.boxes[0].second); // 加载资源文件失败
    }
}

TEST(Gallery, OpensASkinFileAndItsCloseButtonEndsIt)
{
    painttest::TempDir dir;
    ASSERT_TRUE(painttest::WriteFileBytes(dir / L"main.xml", kSkin));

    // Built, laid out and closed at once.
    GalleryRun quick = RunGallery(dir, L"--close \"" + dir.path() + L"main.xml\"", [] {});
    EXPECT_FALSE(quick.timedOut);
    EXPECT_EQ(0u, quick.exitCode);
    EXPECT_TRUE(quick.boxes.empty());

    // Clicked from outside: the close button sits at the right end of the caption bar.
    RECT rcWindow = {};
    const std::wstring title = L"SkinUI Gallery - " + dir.path() + L"main.xml";
    GalleryRun clicked = RunGallery(dir, L"\"" + dir.path() + L"main.xml\"", [&rcWindow, &title] {
        // Shown once the skin is built: the modal loop shows it after Create.
        HWND hWnd = NULL;
        for (int i = 0; i < 600 && (hWnd == NULL || !::IsWindowVisible(hWnd)); ++i) {
            hWnd = ::FindWindowW(L"SkinGalleryWnd", title.c_str());
            if (hWnd == NULL || !::IsWindowVisible(hWnd)) ::Sleep(100);
        }
        if (hWnd == NULL) return;
        ::Sleep(300);
        ::GetWindowRect(hWnd, &rcWindow);
        LPARAM lp = MAKELPARAM(305, 15);
        ::PostMessageW(hWnd, WM_MOUSEMOVE, 0, lp);
        ::PostMessageW(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, lp);
        ::PostMessageW(hWnd, WM_LBUTTONUP, 0, lp);
    });
    EXPECT_FALSE(clicked.timedOut);
    EXPECT_EQ(1u, clicked.exitCode);
    EXPECT_TRUE(clicked.boxes.empty());
    // The skin's size, no frame.
    EXPECT_EQ(320, rcWindow.right - rcWindow.left);
    EXPECT_EQ(200, rcWindow.bottom - rcWindow.top);
}

} // namespace
