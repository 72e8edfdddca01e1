#include "HostNotification.h"

HostNotificationRecord MakeHostNotificationRecord()
{
    HostNotificationRecord record{};
    record.first = 1;
    record.text[0] = L'1';
    record.last = 1;
    return record;
}

bool SendHostNotification(HWND host, HWND from, DWORD boundMs)
{
    if (!host) return false;
    HostNotificationRecord record = MakeHostNotificationRecord();
    COPYDATASTRUCT data{};
    data.dwData = 1;
    data.cbData = sizeof(record);
    data.lpData = &record;
    const ULONGLONG deadline = ::GetTickCount64() + boundMs;
    for (;;) {
        // A window that has gone will never answer.
        if (!::IsWindow(host)) return false;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return false;
        // A host that has not taken messages for a while is refused at once and the message
        // is not left in its queue, so asking again cannot deliver it twice. A message it did
        // take is waited for up to the end of the bound and never sent a second time: the
        // next round finds the bound spent.
        DWORD_PTR answer = 0;
        ::SetLastError(ERROR_SUCCESS);
        if (::SendMessageTimeoutW(host, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&data),
                                  SMTO_ABORTIFHUNG, static_cast<UINT>(deadline - now), &answer))
            return true;
        // A host of a higher integrity level that lets no such message in never will.
        if (::GetLastError() == ERROR_ACCESS_DENIED) return false;
        ::Sleep(250);
    }
}
