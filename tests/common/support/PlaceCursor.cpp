#include "PlaceCursor.h"
#include <windows.h>
#include <gtest/gtest.h>

namespace testsupport {

void PlaceCursor(int x, int y)
{
    ::SetCursorPos(x, y);
    int nSteady = 0;
    for (int nWaited = 0; nWaited < 3000; nWaited += 10) {
        // A peek lets the display driver take in the pointer events it has queued.
        MSG msg;
        ::PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE);
        POINT pt = {};
        ::GetCursorPos(&pt);
        if (pt.x == x && pt.y == y) {
            if (++nSteady == 5) return;
        } else {
            if (nSteady > 0) ::SetCursorPos(x, y);
            nSteady = 0;
        }
        ::Sleep(10);
    }
    ADD_FAILURE() << "the pointer did not settle at " << x << "," << y;
}

} // namespace testsupport
