#pragma once
#include <windows.h>

#include <string>

// The named mutex that keeps one updater per configured name.
class SingleInstance {
public:
    SingleInstance() = default;
    ~SingleInstance() { Release(); }
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another process already holds the name (or may not share it with us).
    bool Acquire(const std::wstring& name);
    // Lets a successor take the name while this process is still ending.
    void Release();

private:
    HANDLE m_mutex = nullptr;
};
