#pragma once
// The archive as the library reads it: a read-only file with its size and properties.

#include "SevenZipInterfaces.h"
#include "SevenZipUnknown.h"

#include <string>

class CInFileStream final : public IInStream,
                            public IStreamGetSize,
                            public IStreamGetProps,
                            public IStreamGetProps2,
                            public CMyUnknownImp {
public:
    CInFileStream() = default;

    // Opens the file for reading (a handle held before is closed first).
    bool Open(const std::wstring& path);

    HRESULT __stdcall QueryInterface(REFIID iid, void** out) override;
    ULONG __stdcall AddRef() override;
    ULONG __stdcall Release() override;

    HRESULT __stdcall Read(void* data, UINT32 size, UINT32* processedSize) override;
    HRESULT __stdcall Seek(INT64 offset, UINT32 seekOrigin, UINT64* newPosition) override;
    HRESULT __stdcall GetSize(UINT64* size) override;
    HRESULT __stdcall GetProps(UINT64* size, FILETIME* cTime, FILETIME* aTime, FILETIME* mTime,
                               UINT32* attrib) override;
    HRESULT __stdcall GetProps2(CStreamFileProps* props) override;

    // Reports the real link count in GetProps2 (off: always 1).
    bool SupportHardLinks = false;

private:
    ~CInFileStream();
    bool Close();

    HANDLE m_file = INVALID_HANDLE_VALUE;
};
