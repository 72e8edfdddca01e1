#include "ArchiveOpenCallback.h"

#include "ExtractConsole.h"

HRESULT AnswerPasswordRequest(bool defined, const std::wstring& password, BSTR* out)
{
    return GuardComCall([&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!defined) {
            PrintExtractError("Password is not defined");
            return E_ABORT;
        }
        *out = SysAllocStringLen(password.data(), UINT(password.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT __stdcall CArchiveOpenCallback::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_ICryptoGetTextPassword) return E_NOINTERFACE;
    *out = static_cast<ICryptoGetTextPassword*>(this);
    AddRef();
    return S_OK;
}

ULONG __stdcall CArchiveOpenCallback::AddRef()
{
    return AddRefImp();
}

ULONG __stdcall CArchiveOpenCallback::Release()
{
    const ULONG count = ReleaseImp();
    if (count == 0) delete this;
    return count;
}

HRESULT __stdcall CArchiveOpenCallback::SetTotal(const UINT64*, const UINT64*)
{
    return S_OK;
}

HRESULT __stdcall CArchiveOpenCallback::SetCompleted(const UINT64*, const UINT64*)
{
    return S_OK;
}

HRESULT __stdcall CArchiveOpenCallback::CryptoGetTextPassword(BSTR* password)
{
    return AnswerPasswordRequest(PasswordIsDefined, Password, password);
}
