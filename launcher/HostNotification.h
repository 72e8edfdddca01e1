#pragma once
#include <windows.h>

// The record the host window receives with WM_COPYDATA (dwData 1) when the launcher's
// updater has gone or the player closed the launcher.
struct HostNotificationRecord {
    INT32 first;     // 1
    WCHAR text[260]; // "1", then zeros
    INT32 last;      // 1
};
static_assert(sizeof(HostNotificationRecord) == 528, "the host reads exactly 528 bytes");

HostNotificationRecord MakeHostNotificationRecord();

// How long a busy host may take to take the notice: it must still hear that the game
// ended after a long load or save, but a host hung for good must not hold the launcher.
const DWORD kHostAnswerBoundMs = 60000;
// The player's close waits on the window's own thread, which must not freeze for a minute
// behind a host that does not answer.
const DWORD kHostCloseBoundMs = 5000;

// Sends the record to `host` with `from` as wParam, asking again while the host is too busy
// to take it, until it does, its window goes or `boundMs` have passed; false when it was not
// taken. Nothing when `host` is null.
bool SendHostNotification(HWND host, HWND from, DWORD boundMs = kHostAnswerBoundMs);
