#include "InFileStream.h"

#include "FileSystem.h"

namespace {
// Larger single reads gain nothing and some systems refuse them.
const UINT32 kMaxReadSize = 0x400000;
} // namespace

CInFileStream::~CInFileStream()
{
    Close();
}

bool CInFileStream::Close()
{
    if (m_file == INVALID_HANDLE_VALUE) return true;
    const HANDLE file = m_file;
    m_file = INVALID_HANDLE_VALUE;
    return CloseHandle(file) != FALSE;
}

bool CInFileStream::Open(const std::wstring& path)
{
    if (!Close()) return false;
    m_file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    return m_file != INVALID_HANDLE_VALUE;
}

HRESULT __stdcall CInFileStream::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IInStream)
        *out = static_cast<IInStream*>(this);
    else if (iid == IID_IStreamGetSize)
        *out = static_cast<IStreamGetSize*>(this);
    else if (iid == IID_IStreamGetProps)
        *out = static_cast<IStreamGetProps*>(this);
    else if (iid == IID_IStreamGetProps2)
        *out = static_cast<IStreamGetProps2*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG __stdcall CInFileStream::AddRef()
{
    return AddRefImp();
}

ULONG __stdcall CInFileStream::Release()
{
    const ULONG count = ReleaseImp();
    if (count == 0) delete this;
    return count;
}

HRESULT __stdcall CInFileStream::Read(void* data, UINT32 size, UINT32* processedSize)
{
    if (processedSize) *processedSize = 0;
    if (size > kMaxReadSize) size = kMaxReadSize;
    DWORD read = 0;
    const BOOL ok = ReadFile(m_file, data, size, &read, nullptr);
    if (processedSize) *processedSize = read;
    return ok ? S_OK : HResultFromLastError();
}

HRESULT __stdcall CInFileStream::Seek(INT64 offset, UINT32 seekOrigin, UINT64* newPosition)
{
    return SeekFile(m_file, offset, seekOrigin, newPosition);
}

HRESULT __stdcall CInFileStream::GetSize(UINT64* size)
{
    LARGE_INTEGER value;
    if (!GetFileSizeEx(m_file, &value)) return HResultFromLastError();
    if (size) *size = UINT64(value.QuadPart);
    return S_OK;
}

HRESULT __stdcall CInFileStream::GetProps(UINT64* size, FILETIME* cTime, FILETIME* aTime, FILETIME* mTime,
                                          UINT32* attrib)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(m_file, &info)) return HResultFromLastError();
    if (size) *size = (UINT64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (cTime) *cTime = info.ftCreationTime;
    if (aTime) *aTime = info.ftLastAccessTime;
    if (mTime) *mTime = info.ftLastWriteTime;
    if (attrib) *attrib = info.dwFileAttributes;
    return S_OK;
}

HRESULT __stdcall CInFileStream::GetProps2(CStreamFileProps* props)
{
    if (!props) return E_POINTER;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(m_file, &info)) return HResultFromLastError();
    props->Size = (UINT64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    props->VolID = info.dwVolumeSerialNumber;
    props->FileID_Low = (UINT64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    props->FileID_High = 0;
    props->NumLinks = SupportHardLinks ? info.nNumberOfLinks : 1;
    props->Attrib = info.dwFileAttributes;
    props->CTime = info.ftCreationTime;
    props->ATime = info.ftLastAccessTime;
    props->MTime = info.ftLastWriteTime;
    return S_OK;
}
