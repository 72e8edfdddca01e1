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

// Sends the record to `host` with `from` as wParam; nothing when `host` is null. A hung
// host is given up after a few seconds instead of holding the launcher for ever.
bool SendHostNotification(HWND host, HWND from);
