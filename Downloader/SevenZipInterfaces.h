#pragma once
// The archive library's COM-style interfaces, as far as the updater uses them. The library
// is reached only through its exported "CreateObject"; every call crosses into its frames,
// so the slot order below must match the library's exactly. The classes have no virtual
// destructor on purpose: one would add slots the library does not know about.

#include <windows.h>
#include <objbase.h>
#include <propidl.h>

#include <cstdint>

// Every interface id of the library has the form {23170F69-40C1-278A-0000-00gg00ii0000}.
#define ZEL_SEVENZIP_IID(name, group, item)                                                                            \
    inline constexpr GUID name = { 0x23170F69, 0x40C1, 0x278A, { 0x00, 0x00, 0x00, (group), 0x00, (item), 0x00, 0x00 } }

ZEL_SEVENZIP_IID(IID_IProgress, 0x00, 0x05);
ZEL_SEVENZIP_IID(IID_ISequentialInStream, 0x03, 0x01);
ZEL_SEVENZIP_IID(IID_ISequentialOutStream, 0x03, 0x02);
ZEL_SEVENZIP_IID(IID_IInStream, 0x03, 0x03);
ZEL_SEVENZIP_IID(IID_IOutStream, 0x03, 0x04);
ZEL_SEVENZIP_IID(IID_IStreamGetSize, 0x03, 0x06);
ZEL_SEVENZIP_IID(IID_IStreamGetProps, 0x03, 0x08);
ZEL_SEVENZIP_IID(IID_IStreamGetProps2, 0x03, 0x09);
ZEL_SEVENZIP_IID(IID_ICryptoGetTextPassword, 0x05, 0x10);
ZEL_SEVENZIP_IID(IID_IArchiveOpenCallback, 0x06, 0x10);
ZEL_SEVENZIP_IID(IID_IArchiveExtractCallback, 0x06, 0x20);
ZEL_SEVENZIP_IID(IID_IInArchive, 0x06, 0x60);

#undef ZEL_SEVENZIP_IID

// The 7z format handler.
inline constexpr GUID CLSID_CFormat7z = {
    0x23170F69, 0x40C1, 0x278A, { 0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00 }
};

// Item property ids asked for during extraction, and the archive's own error reports.
enum : PROPID {
    kpidPath = 3,
    kpidIsDir = 6,
    kpidSize = 7,
    kpidAttrib = 9,
    kpidMTime = 12,
    // An item of a differential archive that stands for a deleted file or folder.
    kpidIsAnti = 21,
    // Archive level: a text, and a set of bits (headers error, unexpected end, ...).
    kpidError = 55,
    kpidErrorFlags = 71,
};

// What the library wants done with an item (GetStream, PrepareOperation).
enum : int32_t {
    kAskExtract = 0,
    kAskTest = 1,
    kAskSkip = 2,
};

// Per-item outcome passed to SetOperationResult.
enum : int32_t {
    kOperationOK = 0,
    kOperationUnsupportedMethod = 1,
    kOperationDataError = 2,
    kOperationCRCError = 3,
};

// Origins for Seek; anything above kSeekEnd is refused.
enum : uint32_t {
    kSeekSet = 0,
    kSeekCur = 1,
    kSeekEnd = 2,
};

class ISequentialInStream : public IUnknown {
public:
    virtual HRESULT __stdcall Read(void* data, UINT32 size, UINT32* processedSize) = 0;
};

class ISequentialOutStream : public IUnknown {
public:
    virtual HRESULT __stdcall Write(const void* data, UINT32 size, UINT32* processedSize) = 0;
};

class IInStream : public ISequentialInStream {
public:
    virtual HRESULT __stdcall Seek(INT64 offset, UINT32 seekOrigin, UINT64* newPosition) = 0;
};

class IOutStream : public ISequentialOutStream {
public:
    virtual HRESULT __stdcall Seek(INT64 offset, UINT32 seekOrigin, UINT64* newPosition) = 0;
    virtual HRESULT __stdcall SetSize(UINT64 newSize) = 0;
};

class IStreamGetSize : public IUnknown {
public:
    virtual HRESULT __stdcall GetSize(UINT64* size) = 0;
};

class IStreamGetProps : public IUnknown {
public:
    virtual HRESULT __stdcall GetProps(UINT64* size, FILETIME* cTime, FILETIME* aTime, FILETIME* mTime,
                                       UINT32* attrib) = 0;
};

struct CStreamFileProps {
    UINT64 Size;
    UINT64 VolID;
    UINT64 FileID_Low;
    UINT64 FileID_High;
    UINT32 NumLinks;
    UINT32 Attrib;
    FILETIME CTime;
    FILETIME ATime;
    FILETIME MTime;
};

class IStreamGetProps2 : public IUnknown {
public:
    virtual HRESULT __stdcall GetProps2(CStreamFileProps* props) = 0;
};

class IProgress : public IUnknown {
public:
    virtual HRESULT __stdcall SetTotal(UINT64 total) = 0;
    virtual HRESULT __stdcall SetCompleted(const UINT64* completeValue) = 0;
};

class IArchiveOpenCallback : public IUnknown {
public:
    virtual HRESULT __stdcall SetTotal(const UINT64* files, const UINT64* bytes) = 0;
    virtual HRESULT __stdcall SetCompleted(const UINT64* files, const UINT64* bytes) = 0;
};

class IArchiveExtractCallback : public IProgress {
public:
    virtual HRESULT __stdcall GetStream(UINT32 index, ISequentialOutStream** outStream, INT32 askExtractMode) = 0;
    virtual HRESULT __stdcall PrepareOperation(INT32 askExtractMode) = 0;
    virtual HRESULT __stdcall SetOperationResult(INT32 opRes) = 0;
};

class ICryptoGetTextPassword : public IUnknown {
public:
    virtual HRESULT __stdcall CryptoGetTextPassword(BSTR* password) = 0;
};

class IInArchive : public IUnknown {
public:
    virtual HRESULT __stdcall Open(IInStream* stream, const UINT64* maxCheckStartPosition,
                                   IArchiveOpenCallback* openCallback) = 0;
    virtual HRESULT __stdcall Close() = 0;
    virtual HRESULT __stdcall GetNumberOfItems(UINT32* numItems) = 0;
    virtual HRESULT __stdcall GetProperty(UINT32 index, PROPID propID, PROPVARIANT* value) = 0;
    virtual HRESULT __stdcall Extract(const UINT32* indices, UINT32 numItems, INT32 testMode,
                                      IArchiveExtractCallback* extractCallback) = 0;
    virtual HRESULT __stdcall GetArchiveProperty(PROPID propID, PROPVARIANT* value) = 0;
    virtual HRESULT __stdcall GetNumberOfProperties(UINT32* numProps) = 0;
    virtual HRESULT __stdcall GetPropertyInfo(UINT32 index, BSTR* name, PROPID* propID, VARTYPE* varType) = 0;
    virtual HRESULT __stdcall GetNumberOfArchiveProperties(UINT32* numProps) = 0;
    virtual HRESULT __stdcall GetArchivePropertyInfo(UINT32 index, BSTR* name, PROPID* propID, VARTYPE* varType) = 0;
};

// The library's exported entry point.
typedef HRESULT(__stdcall* CreateObjectFunc)(const GUID* clsid, const GUID* iid, void** outObject);
