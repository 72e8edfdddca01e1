#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "core/PaintManager.h"
#include "core/ControlUI.h"

// Fixtures of the control-tree tests: a real (hidden or shown) window whose messages go
// through a paint manager, and a control that counts its destruction and initialisation.
namespace treetest {

// A top-level window whose messages go to its manager first; hidden unless shown.
class ManagedWindow {
public:
    ManagedWindow(int w = 400, int h = 300, bool bShow = false);
    ~ManagedWindow();
    ManagedWindow(const ManagedWindow&) = delete;
    ManagedWindow& operator=(const ManagedWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }
    SkinUI::CPaintManagerUI& pm() { return m_pm; }
    // Attaches the root and lays it out over the client area.
    void Attach(SkinUI::CControlUI* pRoot);
    // Sends a mouse message at a client point.
    LRESULT Mouse(UINT uMsg, int x, int y, WPARAM wParam = 0);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd;
    SkinUI::CPaintManagerUI m_pm;
};

// Runs waiting messages until pred() holds or about timeoutMs passed; answers pred().
template <class Pred>
bool PumpUntil(Pred pred, DWORD timeoutMs = 3000)
{
    const DWORD start = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(5);
    }
    return true;
}

// A plain control that reports its life to a shared log.
class ProbeUI : public SkinUI::CControlUI {
public:
    explicit ProbeUI(const wchar_t* name = L"", std::vector<std::wstring>* log = nullptr);
    ~ProbeUI() override;
    void DoInit() override;
    UINT GetControlFlags() const override { return m_uFlags; }

    static int s_destroyed;
    UINT m_uFlags = 0;
    // Called from the destructor, while the object is still whole.
    void (*m_onDestroy)(ProbeUI*) = nullptr;
    void* m_context = nullptr;

private:
    std::vector<std::wstring>* m_log;
};

// A control with a fixed size (0 = automatic).
ProbeUI* Fixed(int cx, int cy, const wchar_t* name = L"");

// Every control the search visits, in order; never stops it.
SkinUI::CControlUI* CALLBACK RecordVisit(SkinUI::CControlUI* pThis, LPVOID pData);
// The first control the base hit test lets through.
SkinUI::CControlUI* CALLBACK TakeFirst(SkinUI::CControlUI* pThis, LPVOID pData);

inline RECT Rc(int l, int t, int r, int b)
{
    RECT rc = { l, t, r, b };
    return rc;
}

std::string Str(const RECT& rc);

} // namespace treetest
