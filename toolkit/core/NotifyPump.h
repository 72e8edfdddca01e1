#pragma once
#include "core/SkinDefs.h"
#include "core/SkinString.h"
#include "core/StdStringPtrMap.h"
#include "core/PaintManager.h"

namespace SkinUI {

class CNotifyPump;

// Handler signatures of a message-map entry.
enum SkinMessageSignature {
    SKINSIG_END = 0,    // ends the table
    SKINSIG_PARAMS = 1, // void handler(WPARAM, LPARAM)
    SKINSIG_NOTIFY = 2  // void handler(tagTNotifyUI&)
};

// Handlers are kept as typed member pointers of the pump class: g++ member pointers are
// two words with a this-adjustment, so a handler of a class with several bases (the
// pump not first) still reaches the right object.
typedef void (CNotifyPump::*SKIN_PMSG_PARAMS)(WPARAM, LPARAM);
typedef void (CNotifyPump::*SKIN_PMSG_NOTIFY)(tagTNotifyUI&);

struct SKIN_MSGMAP_ENTRY {
    CSkinString sMsgType;  // notification type, matched exactly
    CSkinString sCtrlName; // sender's name, matched exactly; empty = any control
    UINT nSig;             // SkinMessageSignature
    SKIN_PMSG_PARAMS pfnParams;
    SKIN_PMSG_NOTIFY pfnNotify;
};

struct SKIN_MSGMAP {
    const SKIN_MSGMAP* (*pfnGetBaseMap)(); // null result at the root
    const SKIN_MSGMAP_ENTRY* lpEntries;
};

// Names a window message for diagnostics; unnamed ones come back as "0x%04X" in a static
// buffer that the next call overwrites.
SKINUI_API LPCTSTR SKIN__TraceMsg(UINT uMsg);
// The toolkit keeps no log: tracing does nothing.
SKINUI_API void SKIN__Trace(LPCTSTR pstrFormat, ...);

// In a pump class: its map, its entry table and the getter of its base's map. The access
// is left at protected after it.
#define SKIN_DECLARE_MESSAGE_MAP()                                                                                     \
private:                                                                                                               \
    static const SkinUI::SKIN_MSGMAP_ENTRY _messageEntries[];                                                          \
                                                                                                                       \
protected:                                                                                                             \
    static const SkinUI::SKIN_MSGMAP messageMap;                                                                       \
    static const SkinUI::SKIN_MSGMAP* _GetBaseMessageMap();                                                            \
    virtual const SkinUI::SKIN_MSGMAP* GetMessageMap() const;

// The map of a class whose map chain ends with it.
#define SKIN_BASE_BEGIN_MESSAGE_MAP(theClass)                                                                          \
    const SkinUI::SKIN_MSGMAP* theClass::_GetBaseMessageMap()                                                          \
    {                                                                                                                  \
        return NULL;                                                                                                   \
    }                                                                                                                  \
    const SkinUI::SKIN_MSGMAP* theClass::GetMessageMap() const                                                         \
    {                                                                                                                  \
        return &theClass::messageMap;                                                                                  \
    }                                                                                                                  \
    const SkinUI::SKIN_MSGMAP theClass::messageMap = { &theClass::_GetBaseMessageMap, theClass::_messageEntries };     \
    const SkinUI::SKIN_MSGMAP_ENTRY theClass::_messageEntries[] = {
// The map of a class whose table is searched before its base's.
#define SKIN_BEGIN_MESSAGE_MAP(theClass, baseClass)                                                                    \
    const SkinUI::SKIN_MSGMAP* theClass::_GetBaseMessageMap()                                                          \
    {                                                                                                                  \
        return &baseClass::messageMap;                                                                                 \
    }                                                                                                                  \
    const SkinUI::SKIN_MSGMAP* theClass::GetMessageMap() const                                                         \
    {                                                                                                                  \
        return &theClass::messageMap;                                                                                  \
    }                                                                                                                  \
    const SkinUI::SKIN_MSGMAP theClass::messageMap = { &theClass::_GetBaseMessageMap, theClass::_messageEntries };     \
    const SkinUI::SKIN_MSGMAP_ENTRY theClass::_messageEntries[] = {
#define SKIN_END_MESSAGE_MAP()                                                                                         \
    {                                                                                                                  \
        L"", L"", SkinUI::SKINSIG_END, nullptr, nullptr                                                                \
    }                                                                                                                  \
    }                                                                                                                  \
    ;

// Entries. The handler is written as Class::Member.
#define SKIN_ON_MSGTYPE(msgtype, memberFxn)                                                                            \
    { msgtype, L"", SkinUI::SKINSIG_NOTIFY, nullptr, static_cast<SkinUI::SKIN_PMSG_NOTIFY>(&memberFxn) },
#define SKIN_ON_MSGTYPE_CTRNAME(msgtype, ctrname, memberFxn)                                                           \
    { msgtype, ctrname, SkinUI::SKINSIG_NOTIFY, nullptr, static_cast<SkinUI::SKIN_PMSG_NOTIFY>(&memberFxn) },
#define SKIN_ON_MSGTYPE_PARAMS(msgtype, memberFxn)                                                                     \
    { msgtype, L"", SkinUI::SKINSIG_PARAMS, static_cast<SkinUI::SKIN_PMSG_PARAMS>(&memberFxn), nullptr },
#define SKIN_ON_MSGTYPE_CTRNAME_PARAMS(msgtype, ctrname, memberFxn)                                                    \
    { msgtype, ctrname, SkinUI::SKINSIG_PARAMS, static_cast<SkinUI::SKIN_PMSG_PARAMS>(&memberFxn), nullptr },
#define SKIN_ON_CLICK_CTRNAME(ctrname, memberFxn) SKIN_ON_MSGTYPE_CTRNAME(L"click", ctrname, memberFxn)
#define SKIN_ON_SELECTCHANGED_CTRNAME(ctrname, memberFxn) SKIN_ON_MSGTYPE_CTRNAME(L"selectchanged", ctrname, memberFxn)
#define SKIN_ON_KILLFOCUS_CTRNAME(ctrname, memberFxn) SKIN_ON_MSGTYPE_CTRNAME(L"killfocus", ctrname, memberFxn)
#define SKIN_ON_ITEMSELECT_CTRNAME(ctrname, memberFxn) SKIN_ON_MSGTYPE_CTRNAME(L"itemselect", ctrname, memberFxn)
#define SKIN_ON_TABSELECT_CTRNAME(ctrname, memberFxn) SKIN_ON_MSGTYPE_CTRNAME(L"tabselect", ctrname, memberFxn)
#define SKIN_ON_TIMER(memberFxn) SKIN_ON_MSGTYPE_PARAMS(L"timer", memberFxn)

// Routes toolkit notifications to member functions through a static message map, and to
// named virtual windows (other pumps, not owned) that take the notifications addressed to
// them.
class SKINUI_API CNotifyPump {
public:
    CNotifyPump();
    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;

    bool AddVirtualWnd(CSkinString strName, CNotifyPump* pObject);
    bool RemoveVirtualWnd(CSkinString strName);
    void NotifyPump(tagTNotifyUI& msg);
    bool LoopDispatch(tagTNotifyUI& msg);

    // The entry a notification of this type from a control of this name (null: a
    // notification without a sender) selects in the chain starting at pMap: in each table
    // an entry naming the control wins at once, else the table's last unnamed entry; the
    // first table with a candidate decides.
    static const SKIN_MSGMAP_ENTRY* FindMessageEntry(const SKIN_MSGMAP* pMap, LPCTSTR pstrType, LPCTSTR pstrSender);

    SKIN_DECLARE_MESSAGE_MAP()

private:
    CStdStringPtrMap m_VirtualWndMap;
};

} // namespace SkinUI
