#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "core/ControlUI.h"

// A control that writes every event it is given to a shared log ("name:event"), the oracle of
// the routing tests.
namespace treetest {

struct EventLog {
    std::vector<std::string> lines;
    std::string Joined() const;
    void Clear() { lines.clear(); }
};

class LogUI : public SkinUI::CControlUI {
public:
    LogUI(const char* name, EventLog* log, UINT uFlags = 0);
    void DoEvent(SkinUI::TEventUI& event) override;
    UINT GetControlFlags() const override { return m_uFlags; }
    LPCTSTR GetClass() const override { return m_pstrClass; }

    std::string m_name;
    EventLog* m_log;
    UINT m_uFlags;
    LPCTSTR m_pstrClass = L"LogUI";
    int m_activated = 0;
    bool Activate() override;
    SkinUI::TEventUI m_last = {};
};

const char* EventName(int type);

// A notifier that logs "type:sender-name".
class NotifyLog : public SkinUI::INotifyUI {
public:
    explicit NotifyLog(EventLog* log) : m_log(log) {}
    void Notify(SkinUI::TNotifyUI& msg) override;
    std::vector<SkinUI::TNotifyUI> records;

private:
    EventLog* m_log;
};

} // namespace treetest
