#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "UpdateFlow.h"
#include "UpdateInfo.h"
#include "core/ProgressUI.h"
#include "core/WindowImplBase.h"

// The updater's only window, drawn from "MainWnd.xml": a progress bar and three text lines
// while the flow (UpdateFlow.h) compares versions, downloads, unpacks and starts the game.
// Workers never touch its controls: their changes arrive here and are applied on this thread.
class CMywnd : public SkinUI::WindowImplBase, public IUpdateView {
public:
    CMywnd();
    ~CMywnd() override;

    // The reply's record; assigned by start-up before the window is created.
    UpdateInfo m_updateInfo;

    // Once, right after the window was created: starts the update flow for this window.
    void StartUpdate(HWND window);
    // The one way out, whatever closed the window (the skin's "close", WM_CLOSE from the
    // system menu or Alt+F4, the end of the session, the modal loop ending): the flow closes
    // (UpdateFlow.h) and the process ends with 0 within a few seconds. A second request while
    // the first is under way does nothing.
    void CloseAndEnd();
    // The skin's "close": asks for CloseAndEnd through the window's queue, so that it runs
    // from the window's own loop once the click's handlers have returned.
    void RequestClose();
    // The message that carries the request.
    static const UINT kCloseRequest = WM_APP + 0x21;

    void Notify(SkinUI::TNotifyUI& msg) override;
    SkinUI::CControlUI* CreateControl(LPCTSTR pstrClass) override;
    void ApplyViewChange(const ViewChange& change) override;

protected:
    LPCTSTR GetWindowClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void InitWindow() override;
    SkinUI::CSkinString GetSkinFile() override;
    LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

private:
    SkinUI::CSkinString m_skinFile;
    int m_retryMode = 0;
    SkinUI::CProgressUI* m_progress = nullptr;
    SkinUI::CControlUI* m_percentText = nullptr; // "Optionsum"
    SkinUI::CControlUI* m_speedText = nullptr;   // "Optionbt"
    SkinUI::CControlUI* m_messageText = nullptr; // "Optionts"
    SkinUI::CControlUI* m_secondText = nullptr;  // "Optiontexe"
    SkinUI::CControlUI* m_retryButton = nullptr; // "again"
    std::unique_ptr<CUpdateFlow> m_flow;
    bool m_closing = false;
    bool m_closeRequested = false;
};

// Start-up after the background image: COM, the toolkit's instance, current path (our own
// folder, where the package lands) and resource path ("Skin"), the main window with the
// record, the update flow and the modal loop. Returns the process's exit code.
int RunMainWindow(HINSTANCE instance, const UpdateInfo& info);
