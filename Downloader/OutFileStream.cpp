#include "OutFileStream.h"

#include "FileSystem.h"

namespace {
const UINT32 kMaxWriteSize = 0x400000;
} // namespace

COutFileStream::~COutFileStream()
{
    Close();
}

HRESULT COutFileStream::Close()
{
    if (m_file == INVALID_HANDLE_VALUE) return S_OK;
    const HANDLE file = m_file;
    m_file = INVALID_HANDLE_VALUE;
    return CloseHandle(file) ? S_OK : HResultFromLastError();
}

bool COutFileStream::Create(const std::wstring& path)
{
    m_processedSize = 0;
    if (Close() != S_OK) return false;
    m_file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    return m_file != INVALID_HANDLE_VALUE;
}

bool COutFileStream::SetMTime(const FILETIME& mTime)
{
    return SetFileTime(m_file, nullptr, nullptr, &mTime) != FALSE;
}

HRESULT __stdcall COutFileStream::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IOutStream) return E_NOINTERFACE;
    *out = static_cast<IOutStream*>(this);
    AddRef();
    return S_OK;
}

ULONG __stdcall COutFileStream::AddRef()
{
    return AddRefImp();
}

ULONG __stdcall COutFileStream::Release()
{
    const ULONG count = ReleaseImp();
    if (count == 0) delete this;
    return count;
}

HRESULT __stdcall COutFileStream::Write(const void* data, UINT32 size, UINT32* processedSize)
{
    if (processedSize) *processedSize = 0;
    const BYTE* bytes = static_cast<const BYTE*>(data);
    UINT32 done = 0;
    HRESULT hr = S_OK;
    while (done < size) {
        const UINT32 piece = (size - done) > kMaxWriteSize ? kMaxWriteSize : (size - done);
        DWORD written = 0;
        if (!WriteFile(m_file, bytes + done, piece, &written, nullptr)) {
            hr = HResultFromLastError();
            break;
        }
        done += written;
        if (written == 0) break;
    }
    m_processedSize += done;
    if (processedSize) *processedSize = done;
    return hr;
}

HRESULT __stdcall COutFileStream::Seek(INT64 offset, UINT32 seekOrigin, UINT64* newPosition)
{
    return SeekFile(m_file, offset, seekOrigin, newPosition);
}

HRESULT __stdcall COutFileStream::SetSize(UINT64 newSize)
{
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    LARGE_INTEGER current;
    if (!SetFilePointerEx(m_file, zero, &current, FILE_CURRENT)) return E_FAIL;
    LARGE_INTEGER target;
    target.QuadPart = INT64(newSize);
    if (!SetFilePointerEx(m_file, target, nullptr, FILE_BEGIN)) return E_FAIL;
    const BOOL truncated = SetEndOfFile(m_file);
    // The position goes back even when the size could not be set.
    const BOOL restored = SetFilePointerEx(m_file, current, nullptr, FILE_BEGIN);
    return (truncated && restored) ? S_OK : E_FAIL;
}
