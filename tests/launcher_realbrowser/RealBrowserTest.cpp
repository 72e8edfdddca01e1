// The platform's browser control hosted by the launcher's wrapper and site.
#include <gtest/gtest.h>

#include "WebBrowser2.h"

namespace {

TEST(RealBrowser, CreatesInTheSiteTakesItsPlaceAndCloses)
{
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    {
        CWnd host;
        ASSERT_TRUE(host.CreateEx(0, nullptr, L"host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
        CWebBrowser2 browser;
        ASSERT_TRUE(browser.Create(nullptr, L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), &host, 1000));
        ASSERT_NE(nullptr, browser.m_hWnd);
        EXPECT_EQ(1000, ::GetDlgCtrlID(browser.m_hWnd));

        // The browser answers its placement through the site's OnPosRectChange.
        EXPECT_EQ(S_OK, browser.put_Left(10));
        EXPECT_EQ(S_OK, browser.put_Top(20));
        EXPECT_EQ(S_OK, browser.put_Width(150));
        EXPECT_EQ(S_OK, browser.put_Height(80));
        RECT place{};
        ::GetWindowRect(browser.m_hWnd, &place);
        ::MapWindowPoints(nullptr, host.m_hWnd, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(10, place.left);
        EXPECT_EQ(20, place.top);
        EXPECT_EQ(160, place.right);
        EXPECT_EQ(100, place.bottom);
        EXPECT_EQ(S_OK, browser.put_Silent(true));

        // The site hands the page the scripting object.
        IOleObject* object = browser.m_pCtrlSite->GetControlObject();
        IOleClientSite* site = nullptr;
        ASSERT_EQ(S_OK, object->GetClientSite(&site));
        IDocHostUIHandler* handler = nullptr;
        ASSERT_EQ(S_OK, site->QueryInterface(__uuidof(IDocHostUIHandler), reinterpret_cast<void**>(&handler)));
        IDispatch* external = nullptr;
        EXPECT_EQ(S_OK, handler->GetExternal(&external));
        EXPECT_EQ(BrowserExternal(), external);
        if (external) external->Release();
        handler->Release();
        site->Release();
        host.DestroyWindow();
        EXPECT_EQ(nullptr, browser.m_hWnd);
    }
    ::OleUninitialize();
}

} // namespace
