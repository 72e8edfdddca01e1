#pragma once
// Handed to the library while it opens the package; answers its password request.

#include "SevenZipInterfaces.h"
#include "SevenZipUnknown.h"

#include <string>

class CArchiveOpenCallback final : public IArchiveOpenCallback, public ICryptoGetTextPassword, public CMyUnknownImp {
public:
    CArchiveOpenCallback() = default;

    HRESULT __stdcall QueryInterface(REFIID iid, void** out) override;
    ULONG __stdcall AddRef() override;
    ULONG __stdcall Release() override;

    HRESULT __stdcall SetTotal(const UINT64* files, const UINT64* bytes) override;
    HRESULT __stdcall SetCompleted(const UINT64* files, const UINT64* bytes) override;
    HRESULT __stdcall CryptoGetTextPassword(BSTR* password) override;

    // The updater defines none: an encrypted package stops at the request.
    bool PasswordIsDefined = false;
    std::wstring Password;

private:
    ~CArchiveOpenCallback() = default;
};

// Shared by both callbacks: the password as a new BSTR, or E_ABORT when none is defined.
HRESULT AnswerPasswordRequest(bool defined, const std::wstring& password, BSTR* out);
