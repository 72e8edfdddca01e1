#include "core/UnZip.h"

#include <minizip/unzip.h>
#include <zlib.h>
#include <string.h>
#include <wchar.h>

namespace SkinUI {

namespace {

ZRESULT g_lastError = ZR_OK;

ZRESULT Fail(ZRESULT code)
{
    g_lastError = code;
    return code;
}

// ---------------------------------------------------------------------------------------
// minizip reads through a table of I/O functions. It has none for a memory block or for a
// handle we already hold, so both are provided here. The "file name" minizip passes to the
// open function is the stream state itself.

struct MemoryStream {
    const unsigned char* data;
    ZPOS64_T size;
    ZPOS64_T pos;
};

voidpf ZCALLBACK MemOpen(voidpf, const void* state, int)
{
    return const_cast<void*>(state);
}

uLong ZCALLBACK MemRead(voidpf, voidpf stream, void* buf, uLong size)
{
    MemoryStream* m = static_cast<MemoryStream*>(stream);
    ZPOS64_T left = m->size - m->pos;
    uLong n = size < left ? size : static_cast<uLong>(left);
    memcpy(buf, m->data + m->pos, n);
    m->pos += n;
    return n;
}

uLong ZCALLBACK MemWrite(voidpf, voidpf, const void*, uLong)
{
    return 0;
}

ZPOS64_T ZCALLBACK MemTell(voidpf, voidpf stream)
{
    return static_cast<MemoryStream*>(stream)->pos;
}

long ZCALLBACK MemSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    MemoryStream* m = static_cast<MemoryStream*>(stream);
    ZPOS64_T base;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        base = 0;
        break;
    case ZLIB_FILEFUNC_SEEK_CUR:
        base = m->pos;
        break;
    case ZLIB_FILEFUNC_SEEK_END:
        base = m->size;
        break;
    default:
        return -1;
    }
    // Offsets are unsigned here; a position outside the block is refused.
    if (offset > m->size || base > m->size - offset) return -1;
    m->pos = base + offset;
    return 0;
}

int ZCALLBACK MemClose(voidpf, voidpf)
{
    return 0;
}
int ZCALLBACK MemError(voidpf, voidpf)
{
    return 0;
}

struct HandleStream {
    HANDLE h; // owned
    bool failed;
};

voidpf ZCALLBACK HandleOpen(voidpf, const void* state, int)
{
    return const_cast<void*>(state);
}

uLong ZCALLBACK HandleRead(voidpf, voidpf stream, void* buf, uLong size)
{
    HandleStream* s = static_cast<HandleStream*>(stream);
    DWORD got = 0;
    if (!::ReadFile(s->h, buf, size, &got, NULL)) {
        s->failed = true;
        return 0;
    }
    return got;
}

uLong ZCALLBACK HandleWrite(voidpf, voidpf, const void*, uLong)
{
    return 0;
}

ZPOS64_T ZCALLBACK HandleTell(voidpf, voidpf stream)
{
    HandleStream* s = static_cast<HandleStream*>(stream);
    LARGE_INTEGER zero, pos;
    zero.QuadPart = 0;
    if (!::SetFilePointerEx(s->h, zero, &pos, FILE_CURRENT)) {
        s->failed = true;
        return static_cast<ZPOS64_T>(-1);
    }
    return static_cast<ZPOS64_T>(pos.QuadPart);
}

long ZCALLBACK HandleSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    HandleStream* s = static_cast<HandleStream*>(stream);
    DWORD method;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        method = FILE_BEGIN;
        break;
    case ZLIB_FILEFUNC_SEEK_CUR:
        method = FILE_CURRENT;
        break;
    case ZLIB_FILEFUNC_SEEK_END:
        method = FILE_END;
        break;
    default:
        return -1;
    }
    LARGE_INTEGER li;
    li.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(s->h, li, NULL, method)) {
        s->failed = true;
        return -1;
    }
    return 0;
}

int ZCALLBACK HandleClose(voidpf, voidpf stream)
{
    HandleStream* s = static_cast<HandleStream*>(stream);
    if (s->h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(s->h);
        s->h = INVALID_HANDLE_VALUE;
    }
    return 0;
}

int ZCALLBACK HandleError(voidpf, voidpf stream)
{
    return static_cast<HandleStream*>(stream)->failed ? 1 : 0;
}

void FillMemoryFuncs(zlib_filefunc64_def& f)
{
    f.zopen64_file = MemOpen;
    f.zread_file = MemRead;
    f.zwrite_file = MemWrite;
    f.ztell64_file = MemTell;
    f.zseek64_file = MemSeek;
    f.zclose_file = MemClose;
    f.zerror_file = MemError;
    f.opaque = NULL;
}

void FillHandleFuncs(zlib_filefunc64_def& f)
{
    f.zopen64_file = HandleOpen;
    f.zread_file = HandleRead;
    f.zwrite_file = HandleWrite;
    f.ztell64_file = HandleTell;
    f.zseek64_file = HandleSeek;
    f.zclose_file = HandleClose;
    f.zerror_file = HandleError;
    f.opaque = NULL;
}

// ---------------------------------------------------------------------------------------

// The description as the reader keeps it: the name as stored in the archive.
struct ZipEntryA {
    int index;
    char name[MAX_PATH];
    DWORD attr;
    FILETIME atime, ctime, mtime;
    int comp_size;
    int unc_size;
};

const ULONGLONG kUnixEpochAsFileTime = 116444736000000000ULL;

FILETIME UnixTimeToFileTime(DWORD t)
{
    ULONGLONG v = static_cast<ULONGLONG>(t) * 10000000ULL + kUnixEpochAsFileTime;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(v);
    ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
    return ft;
}

FILETIME DosTimeToFileTime(uLong dosDate)
{
    FILETIME local = { 0, 0 }, utc = { 0, 0 };
    if (::DosDateTimeToFileTime(HIWORD(dosDate), LOWORD(dosDate), &local)) ::LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

DWORD ReadLE16(const unsigned char* p)
{
    return p[0] | (p[1] << 8);
}
DWORD ReadLE32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24);
}

// Walks the extra field's blocks; the first "UT" (extended timestamp) block gives the
// modification, access and creation times, each present when its flag bit is set. A
// block or time that does not lie wholly inside the field ends the walk.
void ApplyExtendedTimes(const unsigned char* extra, size_t size, ZipEntryA& ze)
{
    size_t pos = 0;
    while (pos + 4 <= size) {
        DWORD id = ReadLE16(extra + pos);
        size_t len = ReadLE16(extra + pos + 2);
        const unsigned char* data = extra + pos + 4;
        if (len > size - pos - 4) return;
        if (id == 0x5455) {
            if (len < 1) return;
            unsigned flags = data[0];
            size_t at = 1;
            FILETIME* targets[3] = { &ze.mtime, &ze.atime, &ze.ctime };
            for (int bit = 0; bit < 3; ++bit) {
                if (!(flags & (1u << bit))) continue;
                if (at + 4 > len) return;
                *targets[bit] = UnixTimeToFileTime(ReadLE32(data + at));
                at += 4;
            }
            return;
        }
        pos += 4 + len;
    }
}

DWORD MapAttributes(uLong a)
{
    DWORD attr = FILE_ATTRIBUTE_NORMAL;
    if (a & 0x40000010) attr |= FILE_ATTRIBUTE_DIRECTORY;
    if (a & 0x20) attr |= FILE_ATTRIBUTE_ARCHIVE;
    if (a & 0x2) attr |= FILE_ATTRIBUTE_HIDDEN;
    if (a & 0x4) attr |= FILE_ATTRIBUTE_SYSTEM;
    // Unix tools keep the mode in the high word; DOS tools leave it zero and use bit 0x1.
    bool readOnly = (a >> 16) != 0 ? !(a & 0x00800000) : (a & 0x1) != 0;
    if (readOnly) attr |= FILE_ATTRIBUTE_READONLY;
    return attr;
}

int ClampSize(ZPOS64_T v)
{
    return v > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(v);
}

bool IsSeparator(wchar_t c)
{
    return c == L'/' || c == L'\\';
}

// A relative path that stays below its base: no leading separator, no drive or stream
// colon in the second unit, and no ".." component.
bool IsSafeRelativePath(const wchar_t* p)
{
    if (p[0] == 0 || IsSeparator(p[0]) || (p[0] != 0 && p[1] == L':')) return false;
    const wchar_t* part = p;
    for (const wchar_t* q = p;; ++q) {
        if (*q == 0 || IsSeparator(*q)) {
            if (q - part == 2 && part[0] == L'.' && part[1] == L'.') return false;
            if (*q == 0) return true;
            part = q + 1;
        }
    }
}

// RAII for a file handle this layer created.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE Get() const { return m_h; }
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE && m_h != NULL; }
    HANDLE Release()
    {
        HANDLE h = m_h;
        m_h = INVALID_HANDLE_VALUE;
        return h;
    }
    void Reset(HANDLE h = INVALID_HANDLE_VALUE)
    {
        if (Valid()) ::CloseHandle(m_h);
        m_h = h;
    }

private:
    HANDLE m_h;
};

} // namespace

// ---------------------------------------------------------------------------------------

class ZipReader {
public:
    ZipReader();
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    ZRESULT Open(void* source, unsigned int length, DWORD kind);
    ZRESULT Close();
    ZRESULT GetEntryInfo(int index, ZipEntryA* ze);
    ZRESULT Find(const wchar_t* name, bool ignoreCase, int* index, ZipEntryA* ze);
    ZRESULT Unzip(int index, void* target, unsigned int length, DWORD kind);

private:
    void CloseCurrent();
    bool GoTo(int index);
    ZRESULT ExtractToMemory(int index, void* buf, unsigned int length);
    ZRESULT ExtractToFile(int index, void* target, DWORD kind);
    bool CopyEntryTo(HANDLE h, const ZipEntryA& ze);
    bool MakePath(wchar_t* out, const wchar_t* relative) const;
    bool CreateFolders(const wchar_t* relative) const;

    unzFile m_uf;
    int m_count;
    int m_walkIndex; // the entry minizip's cursor stands on, -1 before the first walk
    int m_current;   // the entry opened for memory reading, -1 = none
    ZPOS64_T m_delivered;
    uLong m_crc;
    // The open entry's own checksum and size, taken when it was opened: a lookup may move
    // minizip's cursor to other entries while this one is still being read.
    uLong m_expectedCrc;
    ZPOS64_T m_expectedSize;
    bool m_ended; // the open entry reached its end and passed its checks
    int m_cachedIndex;
    ZipEntryA m_cached;
    wchar_t m_base[MAX_PATH];
    bool m_baseValid;
    MemoryStream m_mem;
    HandleStream m_file;
};

ZipReader::ZipReader()
    : m_uf(NULL), m_count(0), m_walkIndex(-1), m_current(-1), m_delivered(0), m_crc(0), m_expectedCrc(0),
      m_expectedSize(0), m_ended(false), m_cachedIndex(-1), m_baseValid(false)
{
    memset(&m_cached, 0, sizeof(m_cached));
    m_base[0] = 0;
    m_mem.data = NULL;
    m_mem.size = m_mem.pos = 0;
    m_file.h = INVALID_HANDLE_VALUE;
    m_file.failed = false;
}

ZipReader::~ZipReader()
{
    Close();
}

ZRESULT ZipReader::Open(void* source, unsigned int length, DWORD kind)
{
    if (m_uf != NULL) return ZR_ALREADYOPEN;
    if (source == NULL) return ZR_ARGS;

    zlib_filefunc64_def funcs;
    const void* state = NULL;
    switch (kind) {
    case ZIP_HANDLE: {
        HANDLE dup = NULL;
        if (!::DuplicateHandle(::GetCurrentProcess(), static_cast<HANDLE>(source), ::GetCurrentProcess(), &dup, 0,
                               FALSE, DUPLICATE_SAME_ACCESS))
            return ZR_NODUPH;
        ScopedHandle owned(dup);
        if (::GetFileType(dup) != FILE_TYPE_DISK) return ZR_NOTDISKFILE;
        // Read from the start whatever the caller's handle position was.
        LARGE_INTEGER zero;
        zero.QuadPart = 0;
        ::SetFilePointerEx(dup, zero, NULL, FILE_BEGIN);
        m_file.h = owned.Release();
        FillHandleFuncs(funcs);
        state = &m_file;
        break;
    }
    case ZIP_FILENAME: {
        HANDLE h = ::CreateFileW(static_cast<const wchar_t*>(source), GENERIC_READ, FILE_SHARE_READ, NULL,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h == INVALID_HANDLE_VALUE) return ZR_NOFILE;
        m_file.h = h;
        FillHandleFuncs(funcs);
        state = &m_file;
        break;
    }
    case ZIP_MEMORY:
        m_mem.data = static_cast<const unsigned char*>(source);
        m_mem.size = length;
        m_mem.pos = 0;
        FillMemoryFuncs(funcs);
        state = &m_mem;
        break;
    default:
        return ZR_ARGS;
    }

    m_uf = unzOpen2_64(state, &funcs);
    if (m_uf == NULL) {
        HandleClose(NULL, &m_file);
        return ZR_BADARCHIVE;
    }
    unz_global_info64 gi;
    if (unzGetGlobalInfo64(m_uf, &gi) != UNZ_OK || gi.number_entry > 0x7FFFFFFF) {
        Close();
        return ZR_BADARCHIVE;
    }
    m_count = static_cast<int>(gi.number_entry);
    m_walkIndex = m_count > 0 ? 0 : -1;

    // Extraction to files lands below the folder that is current now.
    DWORD n = ::GetCurrentDirectoryW(MAX_PATH, m_base);
    if (n > 0 && n < MAX_PATH - 1) {
        if (!IsSeparator(m_base[n - 1])) {
            m_base[n] = L'\\';
            m_base[n + 1] = 0;
        }
        m_baseValid = true;
    } else {
        m_base[0] = 0;
    }
    return ZR_OK;
}

ZRESULT ZipReader::Close()
{
    if (m_uf != NULL) {
        CloseCurrent();
        unzClose(m_uf);
        m_uf = NULL;
    }
    HandleClose(NULL, &m_file);
    return ZR_OK;
}

void ZipReader::CloseCurrent()
{
    if (m_current != -1) {
        unzCloseCurrentFile(m_uf);
        m_current = -1;
    }
}

bool ZipReader::GoTo(int index)
{
    if (m_walkIndex < 0 || index < m_walkIndex) {
        if (unzGoToFirstFile(m_uf) != UNZ_OK) {
            m_walkIndex = -1;
            return false;
        }
        m_walkIndex = 0;
    }
    while (m_walkIndex < index) {
        if (unzGoToNextFile(m_uf) != UNZ_OK) {
            m_walkIndex = -1;
            return false;
        }
        ++m_walkIndex;
    }
    return true;
}

ZRESULT ZipReader::GetEntryInfo(int index, ZipEntryA* ze)
{
    if (index < -1 || index >= m_count) return ZR_ARGS;
    CloseCurrent();
    if (index == -1) {
        memset(ze, 0, sizeof(*ze));
        ze->index = m_count;
        return ZR_OK;
    }
    if (index == m_cachedIndex) {
        *ze = m_cached;
        return ZR_OK;
    }
    if (!GoTo(index)) return ZR_LOCALHEADER;

    ZipEntryA e;
    memset(&e, 0, sizeof(e));
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(m_uf, &info, e.name, MAX_PATH - 1, NULL, 0, NULL, 0) != UNZ_OK) return ZR_LOCALHEADER;
    e.name[info.size_filename < MAX_PATH - 1 ? info.size_filename : MAX_PATH - 1] = 0;

    // The local header's extra field holds the fullest time stamps; a raw open reads the
    // header without starting the inflater.
    int method = 0, level = 0;
    if (unzOpenCurrentFile2(m_uf, &method, &level, 1) != UNZ_OK) return ZR_LOCALHEADER;
    int extraSize = unzGetLocalExtrafield(m_uf, NULL, 0);
    unsigned char extra[0x10000];
    int got = extraSize > 0 ? unzGetLocalExtrafield(m_uf, extra, static_cast<unsigned>(extraSize)) : 0;
    unzCloseCurrentFile(m_uf);
    if (extraSize < 0 || got < 0) return ZR_EXTRAFIELD;

    e.index = index;
    e.attr = MapAttributes(info.external_fa);
    e.mtime = e.atime = e.ctime = DosTimeToFileTime(info.dosDate);
    ApplyExtendedTimes(extra, static_cast<size_t>(got), e);
    e.comp_size = ClampSize(info.compressed_size);
    e.unc_size = ClampSize(info.uncompressed_size);

    m_cached = e;
    m_cachedIndex = index;
    *ze = e;
    return ZR_OK;
}

ZRESULT ZipReader::Find(const wchar_t* name, bool ignoreCase, int* index, ZipEntryA* ze)
{
    *index = -1;
    memset(ze, 0, sizeof(*ze));
    ze->index = -1;

    size_t len = wcslen(name);
    if (len >= 256) return ZR_NOTFOUND;
    // Separators are unified in UTF-16: a DBCS trail byte may equal '\'.
    wchar_t wide[256];
    for (size_t i = 0; i <= len; ++i) wide[i] = name[i] == L'\\' ? L'/' : name[i];
    char wanted[1024] = { 0 };
    if (len > 0 && ::WideCharToMultiByte(CP_ACP, 0, wide, -1, wanted, sizeof(wanted) - 1, NULL, NULL) == 0)
        return ZR_NOTFOUND;

    for (int i = 0; i < m_count; ++i) {
        if (!GoTo(i)) break;
        unz_file_info64 info;
        char entryName[MAX_PATH];
        if (unzGetCurrentFileInfo64(m_uf, &info, entryName, MAX_PATH - 1, NULL, 0, NULL, 0) != UNZ_OK) break;
        if (info.size_filename >= MAX_PATH - 1)
            continue; // a stored name that does not fit can never be the one asked for
        entryName[info.size_filename] = 0;
        if (unzStringFileNameCompare(entryName, wanted, ignoreCase ? 2 : 1) == 0) {
            CloseCurrent();
            *index = i;
            ZRESULT r = GetEntryInfo(i, ze);
            if (r != ZR_OK) {
                memset(ze, 0, sizeof(*ze));
                ze->index = -1;
                *index = -1;
            }
            return r;
        }
    }
    return ZR_NOTFOUND;
}

ZRESULT ZipReader::Unzip(int index, void* target, unsigned int length, DWORD kind)
{
    switch (kind) {
    case ZIP_MEMORY:
        return ExtractToMemory(index, target, length);
    case ZIP_HANDLE:
    case ZIP_FILENAME:
        return ExtractToFile(index, target, kind);
    default:
        return ZR_ARGS;
    }
}

ZRESULT ZipReader::ExtractToMemory(int index, void* buf, unsigned int length)
{
    if (buf == NULL && length > 0) return ZR_ARGS;
    if (m_current == -1 || index != m_current) {
        CloseCurrent();
        if (index < 0 || index >= m_count) return ZR_ARGS;
        unz_file_info64 info;
        if (!GoTo(index) || unzGetCurrentFileInfo64(m_uf, &info, NULL, 0, NULL, 0, NULL, 0) != UNZ_OK ||
            unzOpenCurrentFile(m_uf) != UNZ_OK)
            return ZR_LOCALHEADER;
        m_current = index;
        m_expectedCrc = info.crc;
        m_expectedSize = info.uncompressed_size;
        m_delivered = 0;
        m_crc = crc32(0L, Z_NULL, 0);
        m_ended = false;
    }

    int n = m_ended ? 0 : unzReadCurrentFile(m_uf, buf, length);
    if (n < 0) {
        CloseCurrent();
        return ZR_FLATE;
    }
    if (!m_ended) {
        m_delivered += static_cast<ZPOS64_T>(n);
        m_crc = crc32(m_crc, static_cast<const Bytef*>(buf), static_cast<uInt>(n));
        // A short read or the declared end means the data is complete: check it now, so
        // that a damaged entry is never reported as a full buffer of good data.
        if (static_cast<unsigned int>(n) < length || unzeof(m_uf)) {
            if (m_crc != m_expectedCrc || m_delivered != m_expectedSize) {
                CloseCurrent();
                return ZR_FLATE;
            }
            m_ended = true;
        }
    }
    if (n > 0) return ZR_MORE;
    CloseCurrent();
    return ZR_OK;
}

bool ZipReader::MakePath(wchar_t* out, const wchar_t* relative) const
{
    if (!m_baseValid) return false;
    size_t nb = wcslen(m_base), nr = wcslen(relative);
    if (nb + nr >= MAX_PATH) return false;
    memcpy(out, m_base, nb * sizeof(wchar_t));
    memcpy(out + nb, relative, (nr + 1) * sizeof(wchar_t));
    return true;
}

// Creates every folder of `relative` (a folder path) below the base folder, parents first.
bool ZipReader::CreateFolders(const wchar_t* relative) const
{
    size_t n = wcslen(relative);
    if (n >= MAX_PATH) return false;
    wchar_t part[MAX_PATH];
    for (size_t i = 1; i <= n; ++i) {
        if (i < n && !IsSeparator(relative[i])) continue;
        memcpy(part, relative, i * sizeof(wchar_t));
        part[i] = 0;
        wchar_t full[MAX_PATH];
        if (!MakePath(full, part)) return false;
        if (!::CreateDirectoryW(full, NULL) && ::GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return true;
}

bool ZipReader::CopyEntryTo(HANDLE h, const ZipEntryA& ze)
{
    if (!GoTo(ze.index) || unzOpenCurrentFile(m_uf) != UNZ_OK) return false;
    unsigned char block[0x4000];
    uLong crc = crc32(0L, Z_NULL, 0);
    ZPOS64_T total = 0;
    bool ok = true;
    for (;;) {
        int n = unzReadCurrentFile(m_uf, block, sizeof(block));
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        DWORD written = 0;
        if (!::WriteFile(h, block, static_cast<DWORD>(n), &written, NULL) || written != static_cast<DWORD>(n)) {
            ok = false;
            break;
        }
        crc = crc32(crc, block, static_cast<uInt>(n));
        total += static_cast<ZPOS64_T>(n);
    }
    if (ok) {
        unz_file_info64 info;
        ok = unzGetCurrentFileInfo64(m_uf, &info, NULL, 0, NULL, 0, NULL, 0) == UNZ_OK && info.crc == crc &&
             info.uncompressed_size == total;
    }
    unzCloseCurrentFile(m_uf);
    return ok;
}

ZRESULT ZipReader::ExtractToFile(int index, void* target, DWORD kind)
{
    if (index < 0 || index >= m_count || target == NULL) return ZR_ARGS;
    CloseCurrent();
    ZipEntryA ze;
    ZRESULT r = GetEntryInfo(index, &ze);
    if (r != ZR_OK) return r;

    const wchar_t* rel = kind == ZIP_FILENAME ? static_cast<const wchar_t*>(target) : NULL;
    if (rel != NULL) {
        // An archive must never write outside the folder it is unpacked into.
        wchar_t entryName[MAX_PATH] = { 0 };
        ::MultiByteToWideChar(CP_ACP, 0, ze.name, -1, entryName, MAX_PATH - 1);
        if (!IsSafeRelativePath(rel) || !IsSafeRelativePath(entryName)) return ZR_NOFILE;
        // Nothing is created for a target that cannot be made whole.
        wchar_t full[MAX_PATH];
        if (!MakePath(full, rel)) return ZR_NOFILE;
    }

    if (ze.attr & FILE_ATTRIBUTE_DIRECTORY) {
        if (rel != NULL && !CreateFolders(rel)) return ZR_NOFILE;
        return ZR_OK;
    }

    ScopedHandle made;
    HANDLE h;
    wchar_t path[MAX_PATH];
    if (rel != NULL) {
        size_t cut = wcslen(rel);
        while (cut > 0 && !IsSeparator(rel[cut - 1])) --cut;
        if (cut > 0) {
            wchar_t folder[MAX_PATH];
            memcpy(folder, rel, (cut - 1) * sizeof(wchar_t));
            folder[cut - 1] = 0;
            if (cut > 1 && !CreateFolders(folder)) return ZR_NOFILE;
        }
        if (!MakePath(path, rel)) return ZR_NOFILE;
        made.Reset(::CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, ze.attr, NULL));
        if (!made.Valid()) return ZR_NOFILE;
        h = made.Get();
    } else {
        h = static_cast<HANDLE>(target);
        if (h == INVALID_HANDLE_VALUE) return ZR_ARGS;
    }

    bool ok = CopyEntryTo(h, ze);
    if (ok && ::GetFileType(h) == FILE_TYPE_DISK) ::SetFileTime(h, &ze.ctime, &ze.atime, &ze.mtime);
    if (rel != NULL) {
        made.Reset();
        // A half-written file would pass for a good one later.
        if (!ok) {
            ::SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(path);
        }
    }
    return ok ? ZR_OK : ZR_WRITE;
}

// ---------------------------------------------------------------------------------------

namespace {

void ToWide(const ZipEntryA& a, ZipEntry* w)
{
    memset(w, 0, sizeof(*w));
    w->index = a.index;
    ::MultiByteToWideChar(CP_ACP, 0, a.name, -1, w->name, MAX_PATH - 1);
    w->name[MAX_PATH - 1] = 0;
    w->attr = a.attr;
    w->atime = a.atime;
    w->ctime = a.ctime;
    w->mtime = a.mtime;
    w->comp_size = a.comp_size;
    w->unc_size = a.unc_size;
}

ZRESULT CheckHandle(HZIP hz)
{
    if (hz == NULL) return ZR_ARGS;
    if (hz->kind != 1 || hz->reader == NULL) return ZR_NOTZIPHANDLE;
    return ZR_OK;
}

} // namespace

HZIP OpenZipArchive(void* source, unsigned int length, DWORD kind)
{
    ZipReader* reader = new ZipReader();
    ZRESULT r = reader->Open(source, length, kind);
    if (r != ZR_OK) {
        delete reader;
        Fail(r);
        return NULL;
    }
    HZIP hz = new ZipHandle;
    hz->kind = 1;
    hz->reader = reader;
    Fail(ZR_OK);
    return hz;
}

ZRESULT CloseZipArchive(HZIP hz)
{
    ZRESULT r = CheckHandle(hz);
    if (r != ZR_OK) return Fail(r);
    hz->reader->Close();
    delete hz->reader;
    delete hz;
    return Fail(ZR_OK);
}

ZRESULT FindZipEntry(HZIP hz, const wchar_t* name, bool ignoreCase, int* index, ZipEntry* entry)
{
    ZRESULT r = CheckHandle(hz);
    if (r != ZR_OK) return Fail(r);
    if (name == NULL || index == NULL || entry == NULL) return Fail(ZR_ARGS);
    ZipEntryA ze;
    r = hz->reader->Find(name, ignoreCase, index, &ze);
    if (r == ZR_OK) {
        ToWide(ze, entry);
    } else {
        memset(entry, 0, sizeof(*entry));
        entry->index = -1;
    }
    return Fail(r);
}

ZRESULT GetZipEntry(HZIP hz, int index, ZipEntry* entry)
{
    ZRESULT r = CheckHandle(hz);
    if (r != ZR_OK) return Fail(r);
    if (entry == NULL) return Fail(ZR_ARGS);
    ZipEntryA ze;
    r = hz->reader->GetEntryInfo(index, &ze);
    if (r == ZR_OK) ToWide(ze, entry);
    return Fail(r);
}

ZRESULT ExtractZipEntry(HZIP hz, int index, void* target, unsigned int length, DWORD kind)
{
    ZRESULT r = CheckHandle(hz);
    if (r != ZR_OK) return Fail(r);
    return Fail(hz->reader->Unzip(index, target, length, kind));
}

ZRESULT GetZipLastError()
{
    return g_lastError;
}

} // namespace SkinUI
