// Each message-map row hands its member the message's parameters unpacked and gives the
// member's answer back as the message's result.
#include <gtest/gtest.h>

#include <string>

#include "framework/Framework.h"

namespace {

class RowDlg : public CDialog {
public:
    RowDlg() : CDialog(200) {}
    std::string last; // what the last member saw
    CBrush dialogBrush{ RGB(0, 0, 0) };

protected:
    void Note(const char* what, long a = 0, long b = 0, long c = 0)
    {
        last = std::string(what) + " " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c);
    }
    void OnMouseMove(UINT flags, CPoint point) { Note("move", static_cast<long>(flags), point.x, point.y); }
    void OnLButtonDown(UINT flags, CPoint point) { Note("down", static_cast<long>(flags), point.x, point.y); }
    void OnMouseHover(UINT flags, CPoint point) { Note("hover", static_cast<long>(flags), point.x, point.y); }
    void OnMouseLeave() { Note("leave"); }
    void OnMove(int x, int y) { Note("moved", x, y); }
    void OnSize(UINT type, int cx, int cy) { Note("size", static_cast<long>(type), cx, cy); }
    void OnSysCommand(UINT id, LPARAM param) { Note("sys", static_cast<long>(id), static_cast<long>(param)); }
    HCURSOR OnQueryDragIcon()
    {
        Note("dragicon");
        return reinterpret_cast<HCURSOR>(static_cast<ULONG_PTR>(0x1234));
    }
    BOOL OnEraseBkgnd(CDC* dc)
    {
        Note("erase", dc->GetSafeHdc() != nullptr);
        return TRUE;
    }
    BOOL OnQueryOpen()
    {
        Note("queryopen");
        return FALSE;
    }
    HBRUSH OnCtlColor(CDC* dc, CWnd* window, UINT kind)
    {
        Note("color", static_cast<long>(kind), window == this, dc->GetSafeHdc() != nullptr);
        return kind == CTLCOLOR_DLG ? static_cast<HBRUSH>(dialogBrush) : CDialog::OnCtlColor(dc, window, kind);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RowDlg, CDialog)
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEHOVER()
ON_WM_MOUSELEAVE()
ON_WM_MOVE()
ON_WM_SIZE()
ON_WM_SYSCOMMAND()
ON_WM_QUERYDRAGICON()
ON_WM_ERASEBKGND()
ON_WM_QUERYOPEN()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

TEST(FrameworkMapRows, MembersGetUnpackedParametersAndGiveTheResult)
{
    RowDlg dialog;
    ASSERT_TRUE(dialog.Create(200, nullptr));
    HDC dc = ::GetDC(dialog.m_hWnd);
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* seen;
        LRESULT result;
    } cases[] = {
        // Points left of or above the window are negative.
        { WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-5, 7), "move 1 -5 7", 0 },
        { WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, -2), "down 1 3 -2", 0 },
        { WM_MOUSEHOVER, 0, MAKELPARAM(9, 8), "hover 0 9 8", 0 },
        { WM_MOUSELEAVE, 0, 0, "leave 0 0 0", 0 },
        { WM_MOVE, 0, MAKELPARAM(-20, 30), "moved -20 30 0", 0 },
        { WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(640, 480), "size 1 640 480", 0 },
        { WM_SYSCOMMAND, SC_CLOSE, 77, "sys 61536 77 0", 0 },
        { WM_QUERYDRAGICON, 0, 0, "dragicon 0 0 0", 0x1234 },
        { WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0, "erase 1 0 0", TRUE },
        { WM_QUERYOPEN, 0, 0, "queryopen 0 0 0", FALSE },
        { WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dialog.m_hWnd), "color 4 1 1",
          reinterpret_cast<LRESULT>(static_cast<HBRUSH>(dialog.dialogBrush)) },
    };
    for (const Case& c : cases) {
        dialog.last.clear();
        const LRESULT result = ::SendMessageW(dialog.m_hWnd, c.message, c.wParam, c.lParam);
        EXPECT_EQ(c.seen, dialog.last) << std::hex << c.message;
        EXPECT_EQ(c.result, result) << std::hex << c.message;
    }
    // Kinds the row passes on still get the platform's answer: a brush for a static control.
    dialog.last.clear();
    HWND button = ::GetDlgItem(dialog.m_hWnd, 202);
    EXPECT_NE(0, ::SendMessageW(dialog.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                reinterpret_cast<LPARAM>(button)));
    EXPECT_EQ("color 6 0 1", dialog.last);
    ::ReleaseDC(dialog.m_hWnd, dc);
    EXPECT_TRUE(dialog.DestroyWindow());
}

} // namespace
