#pragma once
#include <windows.h>

namespace SkinUI {

// What a program does with the Flash player's events. The control keeps one reference on
// its handler through AddRef/Release. The strings of FSCommand and FlashCall belong to the
// player and live only for the call: a handler copies what it keeps.
class CFlashEventHandler {
public:
    virtual ULONG Release() = 0;
    virtual ULONG AddRef() = 0;
    virtual HRESULT OnReadyStateChange(long newState) = 0;
    virtual HRESULT OnProgress(long percentDone) = 0;
    virtual HRESULT FSCommand(LPCTSTR command, LPCTSTR args) = 0;
    virtual HRESULT FlashCall(LPCTSTR request) = 0;

protected:
    // Handlers end through their own Release.
    ~CFlashEventHandler() {}
};

} // namespace SkinUI
