#pragma once
// One extracted file as the library writes it.

#include "SevenZipInterfaces.h"
#include "SevenZipUnknown.h"

#include <string>

class COutFileStream final : public IOutStream, public CMyUnknownImp {
public:
    COutFileStream() = default;

    // Creates (or truncates) the file; a handle held before is closed first.
    bool Create(const std::wstring& path);
    // Sets only the last-write time.
    bool SetMTime(const FILETIME& mTime);
    // Closes the file; S_OK, or the platform's reason.
    HRESULT Close();
    UINT64 ProcessedSize() const { return m_processedSize; }

    HRESULT __stdcall QueryInterface(REFIID iid, void** out) override;
    ULONG __stdcall AddRef() override;
    ULONG __stdcall Release() override;

    HRESULT __stdcall Write(const void* data, UINT32 size, UINT32* processedSize) override;
    HRESULT __stdcall Seek(INT64 offset, UINT32 seekOrigin, UINT64* newPosition) override;
    HRESULT __stdcall SetSize(UINT64 newSize) override;

private:
    ~COutFileStream();

    HANDLE m_file = INVALID_HANDLE_VALUE;
    // Only the library's own thread writes one stream at a time; the count needs no lock.
    UINT64 m_processedSize = 0;
};
