#include "HostNotification.h"

HostNotificationRecord MakeHostNotificationRecord()
{
    HostNotificationRecord record{};
    record.first = 1;
    record.text[0] = L'1';
    record.last = 1;
    return record;
}

bool SendHostNotification(HWND host, HWND from)
{
    if (!host) return false;
    HostNotificationRecord record = MakeHostNotificationRecord();
    COPYDATASTRUCT data{};
    data.dwData = 1;
    data.cbData = sizeof(record);
    data.lpData = &record;
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutW(host, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&data),
                                 SMTO_ABORTIFHUNG, 5000, &answer) != 0;
}
