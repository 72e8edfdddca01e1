#include <windows.h>
#include <richedit.h>
#include <textserv.h>
#include <string>
#include "RichEditFixture.h"
#include "core/ScrollBarUI.h"

using namespace SkinUI;
using richtest::RichEditTest;

namespace {

struct StyleCase {
    LPCWSTR attributes;
    DWORD style;    // the host's style bits of interest
    DWORD bits;     // TxGetPropertyBits over kBits
    DWORD scroll;   // TxGetScrollBars
    WORD alignment; // default paragraph alignment
};

const DWORD kStyleMask = ES_MULTILINE | ES_READONLY | ES_PASSWORD | ES_CENTER | ES_RIGHT | WS_VSCROLL | WS_HSCROLL |
                         ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL;
const DWORD kBits =
    TXTBIT_RICHTEXT | TXTBIT_MULTILINE | TXTBIT_READONLY | TXTBIT_USEPASSWORD | TXTBIT_HIDESELECTION | TXTBIT_WORDWRAP;

TEST(TxtWinHostStyle, AttributesShapeTheEnginesStyle)
{
    const DWORD kWrapped = TXTBIT_RICHTEXT | TXTBIT_MULTILINE | TXTBIT_HIDESELECTION | TXTBIT_WORDWRAP;
    const StyleCase cases[] = {
        { L"", ES_MULTILINE, kWrapped, 0, PFA_LEFT },
        { L"multiline=\"true\" readonly=\"false\"", ES_MULTILINE, kWrapped, 0, PFA_LEFT },
        { L"multiline=\"false\"", 0, kWrapped & ~TXTBIT_MULTILINE, 0, PFA_LEFT },
        { L"readonly=\"true\"", ES_MULTILINE | ES_READONLY, kWrapped | TXTBIT_READONLY, 0, PFA_LEFT },
        { L"password=\"true\"", ES_MULTILINE | ES_PASSWORD, kWrapped | TXTBIT_USEPASSWORD, 0, PFA_LEFT },
        { L"rich=\"false\"", ES_MULTILINE, kWrapped & ~TXTBIT_RICHTEXT, 0, PFA_LEFT },
        { L"vscrollbar=\"true\" autovscroll=\"true\"", ES_MULTILINE | WS_VSCROLL | ES_DISABLENOSCROLL | ES_AUTOVSCROLL,
          kWrapped, WS_VSCROLL | ES_DISABLENOSCROLL | ES_AUTOVSCROLL, PFA_LEFT },
        { L"vscrollbar=\"yes\"", ES_MULTILINE, kWrapped, 0, PFA_LEFT },
        { L"hscrollbar=\"true\"", ES_MULTILINE | WS_HSCROLL | ES_DISABLENOSCROLL, kWrapped & ~TXTBIT_WORDWRAP,
          WS_HSCROLL | ES_DISABLENOSCROLL, PFA_LEFT },
        { L"autohscroll=\"true\"", ES_MULTILINE | ES_AUTOHSCROLL, kWrapped & ~TXTBIT_WORDWRAP, ES_AUTOHSCROLL,
          PFA_LEFT },
        { L"align=\"center\"", ES_MULTILINE | ES_CENTER, kWrapped, 0, PFA_CENTER },
        { L"align=\"center right\"", ES_MULTILINE | ES_RIGHT, kWrapped, 0, PFA_RIGHT },
        { L"align=\"right left\"", ES_MULTILINE | ES_RIGHT, kWrapped, 0, PFA_RIGHT },
    };
    for (const StyleCase& c : cases) {
        SCOPED_TRACE(std::string(c.attributes, c.attributes + wcslen(c.attributes)));
        basictest::HostWindow win;
        CRichEditUI* pEdit = basictest::Make<CRichEditUI>(L"float=\"true\" pos=\"0,0,100,50\"");
        pEdit->ApplyAttributeList(c.attributes);
        win.Open(basictest::Root({ pEdit }), 100, 50, false);
        CTxtWinHost* pHost = pEdit->GetTextHost();
        ASSERT_NE(pHost, nullptr);
        EXPECT_EQ(pHost->GetStyle() & kStyleMask, c.style);
        DWORD bits = 0;
        pHost->TxGetPropertyBits(kBits, &bits);
        EXPECT_EQ(bits, c.bits);
        DWORD scroll = 0;
        pHost->TxGetScrollBars(&scroll);
        EXPECT_EQ(scroll, c.scroll);
        const PARAFORMAT* ppf = NULL;
        pHost->TxGetParaFormat(&ppf);
        EXPECT_EQ(ppf->wAlignment, c.alignment);
    }
}

TEST_F(RichEditTest, HostOperationsStoreWhatTheyTellTheEngine)
{
    Open(L"autohscroll=\"true\"");
    CTxtWinHost* pHost = Host();
    ASSERT_NE(pHost, nullptr);
    DWORD bits = 0;
    // Word wrap is stored, so the engine's later questions answer the same; the control's
    // field is the last value set.
    EXPECT_FALSE(m_edit->GetWordWrap());
    m_edit->SetWordWrap(true);
    pHost->TxGetPropertyBits(TXTBIT_WORDWRAP, &bits);
    EXPECT_EQ(bits, static_cast<DWORD>(TXTBIT_WORDWRAP));
    EXPECT_TRUE(m_edit->GetWordWrap());
    m_edit->SetWordWrap(false);
    pHost->TxGetPropertyBits(TXTBIT_WORDWRAP, &bits);
    EXPECT_EQ(bits, 0u);

    m_edit->SetReadOnly(true);
    pHost->TxGetPropertyBits(TXTBIT_READONLY, &bits);
    EXPECT_EQ(bits, static_cast<DWORD>(TXTBIT_READONLY));
    m_edit->SetReadOnly(false);
    pHost->TxGetPropertyBits(TXTBIT_READONLY, &bits);
    EXPECT_EQ(bits, 0u);
    m_edit->SetRich(false);
    pHost->TxGetPropertyBits(TXTBIT_RICHTEXT, &bits);
    EXPECT_EQ(bits, 0u);

    m_edit->SetLimitText(10);
    DWORD dwMax = 0;
    pHost->TxGetMaxLength(&dwMax);
    EXPECT_EQ(dwMax, 10u);
    m_edit->SetLimitText(-3);
    pHost->TxGetMaxLength(&dwMax);
    EXPECT_EQ(dwMax, 32767u);

    TXTBACKSTYLE style = TXTBACK_OPAQUE;
    pHost->TxGetBackStyle(&style);
    EXPECT_EQ(style, TXTBACK_TRANSPARENT);

    // The default character format follows a manager font and keeps effects already set.
    const int iFont = static_cast<int>(m_win.pm().GetCustomFontCount());
    m_win.pm().AddFont(L"Tahoma", 16, true, true, false);
    m_edit->SetFont(iFont);
    const CHARFORMATW* pcf = NULL;
    pHost->TxGetCharFormat(&pcf);
    EXPECT_EQ(std::wstring(pcf->szFaceName), L"Tahoma");
    EXPECT_TRUE(pcf->dwEffects & CFE_BOLD);
    EXPECT_TRUE(pcf->dwEffects & CFE_UNDERLINE);
    m_edit->SetFont(-1);
    EXPECT_TRUE(pcf->dwEffects & CFE_BOLD);
}

TEST_F(RichEditTest, ScrollRangeAndResizeRequests)
{
    Open(L"vscrollbar=\"true\"");
    CTxtWinHost* pHost = Host();
    ASSERT_NE(pHost, nullptr);
    m_edit->EnableScrollBar(true, false);
    CScrollBarUI* pBar = m_edit->GetVerticalScrollBar();
    ASSERT_NE(pBar, nullptr);
    const RECT rc = pHost->GetControlRect();
    const int h = rc.bottom - rc.top;
    pHost->TxSetScrollRange(SB_VERT, 0, h + 50, TRUE);
    EXPECT_TRUE(pBar->IsVisible());
    EXPECT_EQ(pBar->GetScrollRange(), 50);
    pHost->TxSetScrollRange(SB_VERT, 0, h, TRUE);
    EXPECT_FALSE(pBar->IsVisible());
    // A missing bar is skipped.
    EXPECT_EQ(m_edit->GetHorizontalScrollBar(), nullptr);
    EXPECT_TRUE(pHost->TxSetScrollRange(SB_HORZ, 0, 1000, TRUE));
    EXPECT_TRUE(pHost->TxShowScrollBar(SB_BOTH, TRUE));
    EXPECT_TRUE(pBar->IsVisible());
    EXPECT_EQ(m_edit->GetHorizontalScrollBar(), nullptr);

    // The engine asks for a size: the text area takes it from its top left corner.
    REQRESIZE req = {};
    req.nmhdr.code = EN_REQUESTRESIZE;
    ::SetRect(&req.rc, 0, 0, 30, 40);
    pHost->TxNotify(EN_REQUESTRESIZE, &req);
    const RECT rcNew = pHost->GetControlRect();
    EXPECT_EQ(rcNew.left, rc.left);
    EXPECT_EQ(rcNew.top, rc.top);
    EXPECT_EQ(rcNew.right, rc.left + 30);
    EXPECT_EQ(rcNew.bottom, rc.top + 40);
    SIZEL extent = {};
    pHost->TxGetExtent(&extent);
    const int dpi = ::GetDeviceCaps(m_win.pm().GetPaintDC(), LOGPIXELSX);
    EXPECT_EQ(extent.cx, ::MulDiv(30, 2540, dpi));
}

TEST_F(RichEditTest, HostAnswersItsInterfacesAndCountsReferences)
{
    Open();
    CTxtWinHost* pHost = Host();
    ASSERT_NE(pHost, nullptr);
    void* pv = NULL;
    ASSERT_EQ(pHost->QueryInterface(IID_ITextHost, &pv), S_OK);
    EXPECT_EQ(pv, static_cast<ITextHost*>(pHost));
    EXPECT_EQ(pHost->Release(), 1u);
    ASSERT_EQ(pHost->QueryInterface(IID_IUnknown, &pv), S_OK);
    EXPECT_EQ(pHost->Release(), 1u);
    pv = &pv;
    EXPECT_EQ(pHost->QueryInterface(IID_IDispatch, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_NE(pHost->GetTextServices(), nullptr);
}

TEST_F(RichEditTest, EngineTimersRunOnTheManagersControlTimers)
{
    Open();
    ASSERT_TRUE(Host()->TxSetTimer(7, 1));
    for (int i = 0; i < 300 && m_win.Count(L"timer", m_edit) == 0; i++) {
        ::Sleep(10);
        m_win.Pump();
    }
    ASSERT_GE(m_win.Count(L"timer", m_edit), 1);
    EXPECT_EQ(m_win.notes.back().wParam, 7u);
    Host()->TxKillTimer(7);
    m_win.Pump();
    m_win.Clear();
    ::Sleep(50);
    m_win.Pump();
    EXPECT_EQ(m_win.Count(L"timer"), 0);
}

TEST(TxtWinHostCreate, HalfBuiltHostIsDiscardedWithoutEngineCalls)
{
    // Without a manager the host fails before any engine exists: it is deleted, once, and the
    // control keeps no host.
    CRichEditUI edit;
    CREATESTRUCTW cs = {};
    cs.style = ES_MULTILINE;
    cs.lpszName = L"text";
    EXPECT_EQ(CTxtWinHost::Create(&edit, &cs), nullptr);
    EXPECT_EQ(CTxtWinHost::Create(NULL, NULL), nullptr);
}

TEST(TxtWinHostWindowless, ManagerWithoutWindowStillRunsTheEngine)
{
    CPaintManagerUI pm;
    CContainerUI* pRoot = new CContainerUI;
    CRichEditUI* pEdit = new CRichEditUI;
    pEdit->SetText(L"no window");
    pRoot->Add(pEdit);
    pm.AttachDialog(pRoot);
    ASSERT_NE(pEdit->GetTextHost(), nullptr);
    EXPECT_EQ(richtest::Str(pEdit->GetText()), L"no window");
    RECT rc = { 0, 0, 100, 40 };
    pRoot->SetPos(rc);
    painttest::Canvas canvas(100, 40, 0xFFFFFFFF);
    pRoot->DoPaint(canvas.dc(), rc);
}

} // namespace
