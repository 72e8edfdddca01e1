#include "CmdTarget.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = { { 0, 0, 0, 0, MsgKind::Message, nullptr } };
    static const AFX_MSGMAP map = { nullptr, entries };
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

static bool RowMatches(const AFX_MSGMAP_ENTRY& row, MsgKind kind, UINT message, WPARAM wParam)
{
    if (row.kind != kind) return false;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        return row.message == WM_CTLCOLORMSGBOX; // one row serves every colour message
    if (row.message != message) return false;
    if (message != WM_COMMAND) return true;
    const UINT id = LOWORD(wParam);
    return row.code == HIWORD(wParam) && id >= row.idFirst && id <= row.idLast;
}

BOOL CCmdTarget::DispatchMapped(MsgKind kind, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* row = map->entries; row->message != 0; ++row) {
            if (RowMatches(*row, kind, message, wParam) && row->handler(this, message, wParam, lParam, result))
                return TRUE;
        }
    }
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, UINT code, LPARAM lParam)
{
    LRESULT ignored = 0;
    return DispatchMapped(MsgKind::Message, WM_COMMAND, MAKEWPARAM(id, code), lParam, &ignored);
}
