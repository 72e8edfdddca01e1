// crasher MODE: a program that ends the ways the box driver must tell apart.
//   access   writes through a null pointer (an access violation no handler takes)
//   throw    throws a C++ exception no one catches, on a worker thread (on the main thread a
//            64-bit build's start-up code takes it before the system's last resort does)
//   caught   throws and catches C++ exceptions, tells two debug strings (one wide, one
//            narrow, both with Chinese text) and ends with 0
#include <windows.h>

#include <stdexcept>
#include <string>

namespace {

// Out of the optimiser's sight, so the fault happens where the source says.
int* volatile g_nowhere = nullptr;

void Throw(const char* what)
{
    throw std::runtime_error(what);
}

DWORD WINAPI ThrowingWorker(void*)
{
    Throw("nobody catches this");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) return 2;
    const std::wstring mode = argv[1];
    if (mode == L"access") {
        *g_nowhere = 1;
        return 0;
    }
    if (mode == L"throw") {
        HANDLE worker = ::CreateThread(nullptr, 0, ThrowingWorker, nullptr, 0, nullptr);
        if (!worker) return 4;
        ::WaitForSingleObject(worker, INFINITE);
        ::CloseHandle(worker);
        return 0;
    }
    if (mode == L"caught") {
        int caught = 0;
        for (int i = 0; i < 3; ++i) {
            try {
                Throw("caught at once");
            } catch (const std::runtime_error&) {
                ++caught;
            }
        }
        ::OutputDebugStringW(L"crasher: 宽字符串\n");
        // "窄字符串" in code page 936: the driver reads a narrow string in the system's code page.
        ::OutputDebugStringA("crasher: \xD5\xAD\xD7\xD6\xB7\xFB\xB4\xAE");
        return caught == 3 ? 0 : 1;
    }
    return 2;
}
