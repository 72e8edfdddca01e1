#include "EventLog.h"

using namespace SkinUI;

namespace treetest {

std::string EventLog::Joined() const
{
    std::string s;
    for (const std::string& line : lines) {
        if (!s.empty()) s += ' ';
        s += line;
    }
    return s;
}

const char* EventName(int type)
{
    switch (type) {
    case UIEVENT_KEYDOWN:
        return "keydown";
    case UIEVENT_KEYUP:
        return "keyup";
    case UIEVENT_CHAR:
        return "char";
    case UIEVENT_SYSKEYDOWN:
        return "syskey";
    case UIEVENT_MOUSEMOVE:
        return "move";
    case UIEVENT_MOUSELEAVE:
        return "leave";
    case UIEVENT_MOUSEENTER:
        return "enter";
    case UIEVENT_MOUSEHOVER:
        return "hover";
    case UIEVENT_LBUTTONDOWN:
        return "down";
    case UIEVENT_LBUTTONUP:
        return "up";
    case UIEVENT_RBUTTONDOWN:
        return "rdown";
    case UIEVENT_LBUTTONDBLCLK:
        return "dbl";
    case UIEVENT_CONTEXTMENU:
        return "menu";
    case UIEVENT_MOUSEWHEEL:
        return "wheel";
    case UIEVENT_KILLFOCUS:
        return "killfocus";
    case UIEVENT_SETFOCUS:
        return "setfocus";
    case UIEVENT_SIZE:
        return "size";
    case UIEVENT_SETCURSOR:
        return "cursor";
    case UIEVENT_TIMER:
        return "timer";
    default:
        return "?";
    }
}

LogUI::LogUI(const char* name, EventLog* log, UINT uFlags) : m_name(name), m_log(log), m_uFlags(uFlags)
{
    std::wstring w(m_name.begin(), m_name.end());
    SetName(w.c_str());
}

void LogUI::DoEvent(TEventUI& event)
{
    m_last = event;
    if (m_log != nullptr) {
        std::string line = m_name + ":" + EventName(event.type);
        if (event.type == UIEVENT_MOUSEWHEEL) line += std::to_string(event.wParam);
        m_log->lines.push_back(line);
    }
    // Focus changes still set the flag; everything else stops here.
    if (event.type == UIEVENT_SETFOCUS || event.type == UIEVENT_KILLFOCUS) CControlUI::DoEvent(event);
}

bool LogUI::Activate()
{
    if (!CControlUI::Activate()) return false;
    ++m_activated;
    return true;
}

void NotifyLog::Notify(TNotifyUI& msg)
{
    records.push_back(msg);
    std::string sender = "null";
    if (msg.sender != nullptr) {
        CSkinString name = msg.sender->GetName();
        sender.assign(name.GetData(), name.GetData() + name.GetLength());
    }
    std::string type(msg.type.GetData(), msg.type.GetData() + msg.type.GetLength());
    if (m_log != nullptr) m_log->lines.push_back(type + ":" + sender);
}

} // namespace treetest
