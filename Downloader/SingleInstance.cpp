#include "SingleInstance.h"

bool SingleInstance::Acquire(const std::wstring& name)
{
    Release();
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    DWORD error = GetLastError();
    if (!mutex) return error != ERROR_ACCESS_DENIED && error != ERROR_ALREADY_EXISTS;
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
        CloseHandle(mutex);
        return false;
    }
    m_mutex = mutex;
    return true;
}

void SingleInstance::Release()
{
    if (m_mutex) CloseHandle(m_mutex);
    m_mutex = nullptr;
}
