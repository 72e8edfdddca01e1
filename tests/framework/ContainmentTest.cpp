// ActiveX containment: templates with control entries, the site, event maps and keys, with
// the stand-in browser as the control.
#include <gtest/gtest.h>

#include <olectl.h>

#include <string>
#include <vector>

#include "StandInBrowser.h"
#include "framework/Framework.h"

namespace {

bool Recorded(const std::wstring& line)
{
    for (const std::wstring& seen : standin::Record())
        if (seen == line) return true;
    return false;
}

class HostDlg : public CDialog {
public:
    HostDlg() : CDialog(210) {}
    CWnd control;
    std::vector<std::wstring> urls;
    DWORD newWindowFlags = 99;
    bool newWindowOut = false;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 300, control); }
    void OnBeforeNavigate2(IDispatch* dispatch, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                           VARIANT_BOOL* cancel)
    {
        urls.push_back(dispatch && url && url->vt == VT_BSTR ? url->bstrVal : L"?");
        if (cancel) *cancel = urls.back() == L"http://stop/" ? VARIANT_TRUE : VARIANT_FALSE;
    }
    void OnNewWindow3(IDispatch** created, VARIANT_BOOL* cancel, DWORD flags, BSTR context, BSTR url)
    {
        newWindowOut = created != nullptr && context != nullptr;
        newWindowFlags = flags;
        urls.push_back(url ? url : L"?");
        if (cancel) *cancel = VARIANT_TRUE;
    }
    DECLARE_EVENTSINK_MAP()
};

BEGIN_EVENTSINK_MAP(HostDlg, CDialog)
ON_EVENT(HostDlg, 300, 250, &HostDlg::OnBeforeNavigate2)
ON_EVENT(HostDlg, 300, 273, &HostDlg::OnNewWindow3)
END_EVENTSINK_MAP()

class Containment : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::OleInitialize(nullptr);
        standin::Register();
    }
};

TEST_F(Containment, TemplateEntriesBecomeSitedControls)
{
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(210), reinterpret_cast<LPCWSTR>(RT_DIALOG));
    ASSERT_NE(nullptr, found);
    std::vector<DialogActiveXItem> items;
    const std::vector<BYTE> stripped =
        StripActiveXItems(::LockResource(::LoadResource(instance, found)), ::SizeofResource(instance, found), items);
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ(300u, items[0].id);
    EXPECT_EQ(10, items[0].units.left);
    EXPECT_EQ(90, items[0].units.bottom);
    EXPECT_TRUE(items[0].style & WS_TABSTOP);
    WORD count = 0;
    memcpy(&count, &stripped[16], sizeof(count)); // after version, signature, help id, styles
    EXPECT_EQ(2, count);

    standin::ClearRecord();
    HostDlg dialog;
    ASSERT_TRUE(dialog.Create(210));
    // The control sits where the template put it, under its id, with the buttons around it.
    StandInBrowser* browser = standin::Last();
    ASSERT_NE(nullptr, browser);
    EXPECT_EQ(browser->Window(), ::GetDlgItem(dialog.m_hWnd, 300));
    EXPECT_NE(nullptr, ::GetDlgItem(dialog.m_hWnd, 301));
    EXPECT_NE(nullptr, ::GetDlgItem(dialog.m_hWnd, 302));
    RECT expected = { 10, 10, 130, 90 };
    ::MapDialogRect(dialog.m_hWnd, &expected);
    RECT place{};
    ::GetWindowRect(browser->Window(), &place);
    ::MapWindowPoints(nullptr, dialog.m_hWnd, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_TRUE(::EqualRect(&expected, &place));
    ASSERT_NE(nullptr, dialog.control.m_pCtrlSite);
    EXPECT_EQ(browser->Window(), dialog.control.m_hWnd);

    // The control asks for another place; the ambient user mode is on.
    RECT moved = { 5, 6, 55, 66 };
    IOleInPlaceSite* site = nullptr;
    ASSERT_EQ(S_OK, browser->Site()->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site)));
    site->OnPosRectChange(&moved);
    site->Release();
    ::GetWindowRect(browser->Window(), &place);
    ::MapWindowPoints(nullptr, dialog.m_hWnd, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_TRUE(::EqualRect(&moved, &place));
    IDispatch* ambient = nullptr;
    ASSERT_EQ(S_OK, browser->Site()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient)));
    VARIANT mode;
    ::VariantInit(&mode);
    DISPPARAMS none{};
    EXPECT_EQ(S_OK, ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &mode, nullptr,
                                    nullptr));
    EXPECT_EQ(VT_BOOL, mode.vt);
    EXPECT_EQ(VARIANT_TRUE, mode.boolVal);
    ambient->Release();

    // Closing the dialog closes the control and lets its site go.
    dialog.DestroyWindow();
    EXPECT_TRUE(Recorded(L"Close"));
    EXPECT_TRUE(Recorded(L"SetClientSite null"));
    EXPECT_EQ(nullptr, dialog.control.m_pCtrlSite);
    EXPECT_EQ(nullptr, dialog.control.m_hWnd);
}

TEST_F(Containment, EventsReachTheMapWithTheirArguments)
{
    HostDlg dialog;
    ASSERT_TRUE(dialog.Create(210));
    StandInBrowser* browser = standin::Last();
    ASSERT_NE(nullptr, browser);
    EXPECT_FALSE(browser->FireBeforeNavigate2(L"http://go/"));
    EXPECT_TRUE(browser->FireBeforeNavigate2(L"http://stop/"));
    EXPECT_TRUE(browser->FireNewWindow3(L"http://new/"));
    EXPECT_EQ((std::vector<std::wstring>{ L"http://go/", L"http://stop/", L"http://new/" }), dialog.urls);
    EXPECT_EQ(0u, dialog.newWindowFlags);
    EXPECT_TRUE(dialog.newWindowOut);
    // An event the map does not list is left alone.
    browser->FireDocumentComplete(L"http://done/");
    EXPECT_EQ(3u, dialog.urls.size());
}

TEST_F(Containment, KeysGoToTheFocusedControlFirst)
{
    HostDlg dialog;
    ASSERT_TRUE(dialog.Create(210));
    dialog.ShowWindow(SW_SHOW);
    StandInBrowser* browser = standin::Last();
    ASSERT_NE(nullptr, browser);
    standin::ClearRecord();
    MSG msg{};
    msg.hwnd = browser->Window();
    msg.message = WM_KEYDOWN;
    msg.wParam = 'A';
    // The control's in-place object sees the key before the dialog's own key handling; mouse
    // messages are not its business.
    AfxPreTranslateMessage(&msg);
    msg.message = WM_LBUTTONDOWN;
    AfxPreTranslateMessage(&msg);
    const std::vector<std::wstring> record = standin::Record();
    ASSERT_LE(1u, record.size());
    EXPECT_EQ(L"Key 256 65", record[0]);
    for (const std::wstring& line : record) EXPECT_NE(L"Key 513 65", line);
}

} // namespace
