// Message routing through the framework's dialogs: the creation hook, base-class map rows,
// command routing, reflection to control wrappers, pre-translation and the modal loop.
#include <gtest/gtest.h>

#include <functional>

#include "framework/Framework.h"

namespace {

const UINT kDrive = WM_APP + 1;     // runs the test's script inside the dialog's loop
const UINT kSwallowed = WM_APP + 2; // taken by the dialog's PreTranslateMessage
const UINT kOwnerProbe = WM_APP + 3;

struct Seen {
    int creates = 0;
    int inits = 0;
    int basePushes = 0;
    int pushes = 0;
    int draws = 0;
    int ctlColorKind = -1;
    int swallowed = 0;
    int boundId = 0;
    int ncDestroyed = 0;
    int ownerProbes = 0;
    int presubclassed = 0;
    int presubclassedId = 0;
};

class OwnerButton : public CButton {
public:
    Seen* seen = nullptr;
    // Runs with the handle attached, before the wrapper sees any message of the control.
    void PreSubclassWindow() override
    {
        ++seen->presubclassed;
        seen->presubclassedId = GetDlgCtrlID();
    }
    void DrawItem(LPDRAWITEMSTRUCT item) override
    {
        ++seen->draws;
        ::FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }

protected:
    HBRUSH CtlColor(CDC*, UINT kind)
    {
        seen->ctlColorKind = static_cast<int>(kind);
        return nullptr;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(OwnerButton, CButton)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class BaseDlg : public CDialog {
public:
    explicit BaseDlg(Seen* s) : CDialog(200), seen(s) {}
    Seen* seen;

protected:
    int OnCreate(LPCREATESTRUCT create)
    {
        ++seen->creates;
        return CDialog::OnCreate(create);
    }
    void OnBasePush() { ++seen->basePushes; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseDlg, CDialog)
ON_WM_CREATE()
ON_BN_CLICKED(203, &BaseDlg::OnBasePush)
END_MESSAGE_MAP()

class TestDlg : public BaseDlg {
public:
    TestDlg(Seen* s, std::function<void(TestDlg&)> script) : BaseDlg(s), m_script(std::move(script))
    {
        m_owner.seen = s;
    }
    OwnerButton m_owner;

    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == kSwallowed) {
            ++seen->swallowed;
            return TRUE;
        }
        return BaseDlg::PreTranslateMessage(msg);
    }
    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 201, m_owner); }
    BOOL OnInitDialog() override
    {
        BaseDlg::OnInitDialog();
        ++seen->inits;
        seen->boundId = m_owner.GetDlgCtrlID();
        if (m_script) PostMessage(kDrive);
        return TRUE;
    }
    LRESULT OnDrive(WPARAM, LPARAM)
    {
        m_script(*this);
        return 0;
    }
    void OnPush()
    {
        ++seen->pushes;
        EndDialog(42);
    }
    void PostNcDestroy() override { ++seen->ncDestroyed; }
    DECLARE_MESSAGE_MAP()

private:
    std::function<void(TestDlg&)> m_script;
};

BEGIN_MESSAGE_MAP(TestDlg, BaseDlg)
ON_BN_CLICKED(202, &TestDlg::OnPush)
ON_MESSAGE(kDrive, &TestDlg::OnDrive)
END_MESSAGE_MAP()

TEST(FrameworkDialog, ModalRoutesCommandsReflectsAndEndsWithItsCode)
{
    Seen seen;
    TestDlg dialog(&seen, [](TestDlg& d) {
        d.ShowWindow(SW_SHOW);
        ::RedrawWindow(d.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::SendMessageW(d.Item(203), BM_CLICK, 0, 0);
        // Posted messages pass the loop's pre-translation from the button up to the dialog.
        ::PostMessageW(d.Item(202), kSwallowed, 0, 0);
        ::PostMessageW(d.Item(202), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(42, dialog.DoModal());
    EXPECT_EQ(1, seen.creates);
    EXPECT_EQ(1, seen.inits);
    EXPECT_EQ(201, seen.boundId);
    EXPECT_EQ(1, seen.presubclassed);
    EXPECT_EQ(201, seen.presubclassedId);
    EXPECT_EQ(1, seen.basePushes);
    EXPECT_EQ(1, seen.pushes);
    EXPECT_EQ(1, seen.swallowed);
    EXPECT_GE(seen.draws, 1);
    EXPECT_EQ(CTLCOLOR_BTN, seen.ctlColorKind);
    EXPECT_EQ(1, seen.ncDestroyed);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_EQ(nullptr, dialog.m_owner.m_hWnd);
}

TEST(FrameworkDialog, EscapeGoesThroughIsDialogMessageToCancel)
{
    Seen seen;
    TestDlg dialog(&seen, [](TestDlg& d) { ::PostMessageW(d.Item(202), WM_KEYDOWN, VK_ESCAPE, 0x00010001); });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(0, seen.pushes);
}

TEST(FrameworkDialog, EndDialogDuringInitEndsWithoutALoop)
{
    class EarlyDlg : public CDialog {
    public:
        EarlyDlg() : CDialog(200) {}

    protected:
        BOOL OnInitDialog() override
        {
            EndDialog(7);
            return TRUE;
        }
    } dialog;
    EXPECT_EQ(7, dialog.DoModal());
}

TEST(FrameworkDialog, MissingTemplateGivesMinusOne)
{
    CDialog dialog(999);
    EXPECT_EQ(-1, dialog.DoModal());
}

class OwnerWnd : public CWnd {
public:
    int creates = 0;
    int probes = 0;
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message != kOwnerProbe) return FALSE;
        ++probes;
        return TRUE;
    }

protected:
    int OnCreate(LPCREATESTRUCT create)
    {
        ++creates;
        return CWnd::OnCreate(create);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(OwnerWnd, CWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

TEST(FrameworkDialog, ModelessDialogLivesOverItsOwner)
{
    OwnerWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"owner", WS_POPUP | WS_VISIBLE, CRect(10, 10, 300, 200), nullptr, 0));
    EXPECT_EQ(1, owner.creates);

    Seen seen;
    TestDlg dialog(&seen, nullptr);
    ASSERT_TRUE(dialog.Create(200, &owner));
    EXPECT_EQ(owner.m_hWnd, ::GetWindow(dialog.m_hWnd, GW_OWNER));
    EXPECT_EQ(1, seen.creates);
    EXPECT_EQ(1, seen.inits);
    EXPECT_EQ(&dialog.m_owner, CWnd::FromHandlePermanent(dialog.Item(201)));

    // Pre-translation walks from a control up through its dialog to the dialog's owner.
    MSG probe{};
    probe.hwnd = dialog.Item(201);
    probe.message = kOwnerProbe;
    EXPECT_TRUE(CWnd::WalkPreTranslateTree(nullptr, &probe));
    EXPECT_EQ(1, owner.probes);

    EXPECT_TRUE(dialog.DestroyWindow());
    EXPECT_EQ(1, seen.ncDestroyed);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(probe.hwnd));
    EXPECT_TRUE(owner.DestroyWindow());
}

} // namespace
