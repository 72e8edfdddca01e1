#pragma once
// Message-map macros. A class declares its map with DECLARE_MESSAGE_MAP() and defines it in
// its .cpp between BEGIN_MESSAGE_MAP(Class, Base) and END_MESSAGE_MAP(); a message no row of
// the class takes goes on to the base's map. Each row expands to a small function that calls
// the member with the message's parameters unpacked.

#define DECLARE_MESSAGE_MAP()                                                                                          \
protected:                                                                                                             \
    static const AFX_MSGMAP* GetThisMessageMap();                                                                      \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                                         \
    const AFX_MSGMAP* theClass::GetMessageMap() const                                                                  \
    {                                                                                                                  \
        return GetThisMessageMap();                                                                                    \
    }                                                                                                                  \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                                    \
    {                                                                                                                  \
        using ThisClass [[maybe_unused]] = theClass;                                                                   \
        using TheBaseClass = baseClass;                                                                                \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                                                              \
    {                                                                                                                  \
        0, 0, 0, 0, MsgKind::Message, nullptr                                                                          \
    }                                                                                                                  \
    }                                                                                                                  \
    ;                                                                                                                  \
    static const AFX_MSGMAP map = { &TheBaseClass::GetThisMessageMap, entries };                                       \
    return &map;                                                                                                       \
    }

// The handler's parameter list; `self` is the target as the declaring class.
#define AFX_ROW_ARGS CCmdTarget *target_, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result
#define AFX_ROW_PROLOGUE                                                                                               \
    ThisClass* self = static_cast<ThisClass*>(target_);                                                                \
    (void)self;                                                                                                        \
    (void)message;                                                                                                     \
    (void)wParam;                                                                                                      \
    (void)lParam;                                                                                                      \
    (void)result

#define AFX_ROW(msg, kind, body)                                                                                       \
    { msg, 0, 0, 0, kind, [](AFX_ROW_ARGS) -> BOOL {                                                                   \
         AFX_ROW_PROLOGUE;                                                                                             \
         body;                                                                                                         \
         return TRUE;                                                                                                  \
     } },
// Signed client coordinates: points left of or above a window are negative.
#define AFX_LPARAM_X static_cast<int>(static_cast<short>(LOWORD(lParam)))
#define AFX_LPARAM_Y static_cast<int>(static_cast<short>(HIWORD(lParam)))
#define AFX_POINT_ARG CPoint(AFX_LPARAM_X, AFX_LPARAM_Y)

#define ON_WM_PAINT() AFX_ROW(WM_PAINT, MsgKind::Message, self->OnPaint(); *result = 0)
#define ON_WM_SYSCOMMAND()                                                                                             \
    AFX_ROW(WM_SYSCOMMAND, MsgKind::Message, self->OnSysCommand(static_cast<UINT>(wParam), lParam); *result = 0)
#define ON_WM_QUERYDRAGICON()                                                                                          \
    AFX_ROW(WM_QUERYDRAGICON, MsgKind::Message, *result = reinterpret_cast<LRESULT>(self->OnQueryDragIcon()))
#define ON_WM_LBUTTONDOWN()                                                                                            \
    AFX_ROW(WM_LBUTTONDOWN, MsgKind::Message, self->OnLButtonDown(static_cast<UINT>(wParam), AFX_POINT_ARG);           \
            *result = 0)
#define ON_WM_LBUTTONUP()                                                                                              \
    AFX_ROW(WM_LBUTTONUP, MsgKind::Message, self->OnLButtonUp(static_cast<UINT>(wParam), AFX_POINT_ARG); *result = 0)
#define ON_WM_MOUSEMOVE()                                                                                              \
    AFX_ROW(WM_MOUSEMOVE, MsgKind::Message, self->OnMouseMove(static_cast<UINT>(wParam), AFX_POINT_ARG); *result = 0)
#define ON_WM_MOUSEHOVER()                                                                                             \
    AFX_ROW(WM_MOUSEHOVER, MsgKind::Message, self->OnMouseHover(static_cast<UINT>(wParam), AFX_POINT_ARG); *result = 0)
#define ON_WM_MOUSELEAVE() AFX_ROW(WM_MOUSELEAVE, MsgKind::Message, self->OnMouseLeave(); *result = 0)
#define ON_WM_ERASEBKGND()                                                                                             \
    AFX_ROW(WM_ERASEBKGND, MsgKind::Message, CTempDC dc_(reinterpret_cast<HDC>(wParam));                               \
            *result = self->OnEraseBkgnd(dc_.Get()))
#define ON_WM_CLOSE() AFX_ROW(WM_CLOSE, MsgKind::Message, self->OnClose(); *result = 0)
#define ON_WM_MOVE() AFX_ROW(WM_MOVE, MsgKind::Message, self->OnMove(AFX_LPARAM_X, AFX_LPARAM_Y); *result = 0)
#define ON_WM_SIZE()                                                                                                   \
    AFX_ROW(WM_SIZE, MsgKind::Message, self->OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));        \
            *result = 0)
#define ON_WM_CREATE()                                                                                                 \
    AFX_ROW(WM_CREATE, MsgKind::Message, *result = self->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam)))
#define ON_WM_DESTROY() AFX_ROW(WM_DESTROY, MsgKind::Message, self->OnDestroy(); *result = 0)
#define ON_WM_QUERYOPEN() AFX_ROW(WM_QUERYOPEN, MsgKind::Message, *result = self->OnQueryOpen())
#define ON_WM_TIMER() AFX_ROW(WM_TIMER, MsgKind::Message, self->OnTimer(static_cast<UINT_PTR>(wParam)); *result = 0)
#define ON_WM_DRAWITEM()                                                                                               \
    AFX_ROW(WM_DRAWITEM, MsgKind::Message,                                                                             \
            self->OnDrawItem(static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));                    \
            *result = TRUE)

// One row for every WM_CTLCOLOR* message; the kind is CTLCOLOR_MSGBOX .. CTLCOLOR_STATIC.
#define ON_WM_CTLCOLOR()                                                                                               \
    AFX_ROW(WM_CTLCOLORMSGBOX, MsgKind::Message, CTempDC dc_(reinterpret_cast<HDC>(wParam));                           \
            CTempWnd wnd_(reinterpret_cast<HWND>(lParam));                                                             \
            *result = reinterpret_cast<LRESULT>(self->OnCtlColor(dc_.Get(), wnd_.Get(), message - WM_CTLCOLORMSGBOX)))

// The parent's colour message handed to the control: CtlColor(dc, kind). Without a brush
// the parent goes on with its own default.
#define ON_WM_CTLCOLOR_REFLECT()                                                                                       \
    { WM_CTLCOLORMSGBOX, 0, 0, 0, MsgKind::Reflected, [](AFX_ROW_ARGS) -> BOOL {                                       \
         AFX_ROW_PROLOGUE;                                                                                             \
         CTempDC dc_(reinterpret_cast<HDC>(wParam));                                                                   \
         HBRUSH brush = self->CtlColor(dc_.Get(), message - WM_CTLCOLORMSGBOX);                                        \
         if (!brush) return FALSE;                                                                                     \
         *result = reinterpret_cast<LRESULT>(brush);                                                                   \
         return TRUE;                                                                                                  \
     } },

// Any message to LRESULT member(WPARAM, LPARAM).
#define ON_MESSAGE(msg, memberFxn) AFX_ROW(msg, MsgKind::Message, *result = (self->*(memberFxn))(wParam, lParam))

// WM_COMMAND rows: void member().
#define ON_CONTROL_RANGE_ROW(code, first, last, memberFxn)                                                             \
    { WM_COMMAND,                                                                                                      \
      static_cast<UINT>(code),                                                                                         \
      static_cast<UINT>(first),                                                                                        \
      static_cast<UINT>(last),                                                                                         \
      MsgKind::Message,                                                                                                \
      [](AFX_ROW_ARGS) -> BOOL {                                                                                       \
          AFX_ROW_PROLOGUE;                                                                                            \
          (self->*(memberFxn))();                                                                                      \
          *result = 0;                                                                                                 \
          return TRUE;                                                                                                 \
      } },
#define ON_COMMAND(id, memberFxn) ON_CONTROL_RANGE_ROW(0, id, id, memberFxn)
#define ON_CONTROL(code, id, memberFxn) ON_CONTROL_RANGE_ROW(code, id, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL_RANGE_ROW(BN_CLICKED, id, id, memberFxn)
