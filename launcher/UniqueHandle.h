#pragma once
#include <windows.h>

#include <memory>

// Closes a kernel handle when it goes; null and INVALID_HANDLE_VALUE are no handle.
struct KernelHandleCloser {
    void operator()(HANDLE handle) const
    {
        if (handle && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    }
};
using UniqueHandle = std::unique_ptr<void, KernelHandleCloser>;

// Releases a COM interface when it goes.
struct ComReleaser {
    void operator()(IUnknown* object) const
    {
        if (object) object->Release();
    }
};
template <class T>
using ComRef = std::unique_ptr<T, ComReleaser>;
