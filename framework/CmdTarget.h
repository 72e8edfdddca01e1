#pragma once
#include <windows.h>

class CCmdTarget;

// One row of a message map. The handler is a plain function made by the map macros: it
// casts the target back to the class that declared the row and calls the member there, so
// every row keeps its member's real signature and the compiler checks it.
enum class MsgKind : unsigned char {
    Message,  // a window message (WM_COMMAND rows match code and id too)
    Reflected // a message the parent handed back to this child window
};

typedef BOOL (*AFX_MSGHANDLER)(CCmdTarget* target, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT message; // the message; 0 ends the table
    UINT code;    // WM_COMMAND: notification code
    UINT idFirst; // WM_COMMAND: first control or command id
    UINT idLast;  // WM_COMMAND: last control or command id
    MsgKind kind;
    AFX_MSGHANDLER handler; // returns FALSE when the row declines the message
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*base)(); // the base class's map, or null at the root
    const AFX_MSGMAP_ENTRY* entries;
};

// Everything that can receive commands: the application object and every window wrapper.
class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Routes a command id (menu item, accelerator or control notification) through the maps.
    virtual BOOL OnCmdMsg(UINT id, UINT code, LPARAM lParam);

    // Finds the first row from the most derived map down to the root that matches, and runs
    // it; rows that decline pass the message on to the next match.
    BOOL DispatchMapped(MsgKind kind, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
