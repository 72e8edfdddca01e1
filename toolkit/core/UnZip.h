#pragma once
#include "core/SkinDefs.h"

// Handle-based access to a zip archive (the skin archive): open from a file name, an open
// file handle or a memory block, find an entry, describe it, extract it. Every call returns
// its result code and also records it as the last error (GetZipLastError).

namespace SkinUI {

class ZipReader;

// Kinds of source for OpenZipArchive and of target for ExtractZipEntry.
enum ZipSourceKind {
    ZIP_HANDLE = 1,   // an open file handle
    ZIP_FILENAME = 2, // a UTF-16 file name
    ZIP_MEMORY = 3    // a memory block of the given length
};

// Result codes (0 = success).
typedef DWORD ZRESULT;
enum : ZRESULT {
    ZR_OK = 0,
    ZR_NODUPH = 0x100,          // the given file handle could not be duplicated
    ZR_NOFILE = 0x200,          // the archive or the target file could not be opened (or was refused)
    ZR_WRITE = 0x400,           // extraction to a file or handle failed while reading or writing
    ZR_NOTFOUND = 0x500,        // no entry of that name
    ZR_MORE = 0x600,            // memory extraction filled the buffer; call again to continue
    ZR_LOCALHEADER = 0x700,     // the entry's local header could not be read
    ZR_EXTRAFIELD = 0x800,      // the entry's local extra field could not be read
    ZR_ARGS = 0x10000,          // null handle, unknown kind, index out of range, null buffer
    ZR_NOTZIPHANDLE = 0x80000,  // the handle is not an open zip archive
    ZR_ALREADYOPEN = 0x1000000, // the reader is already open
    ZR_NOTDISKFILE = 0x2000000, // the given file handle is not a disk file
    ZR_FLATE = 0x5000000,       // decompression, checksum or length error
    // The archive itself is unreadable (no central directory, several disks, damaged
    // directory). Callers only test for non-zero.
    ZR_BADARCHIVE = 0xFFFFFF99
};

struct ZipHandle {
    int kind;          // 1 = an open zip reader; any other value is refused
    ZipReader* reader; // owned
};
typedef ZipHandle* HZIP;

// The description of one entry. Index -1 asks for the archive itself: index then holds the
// number of entries and everything else is zero.
struct ZipEntry {
    int index;
    wchar_t name[MAX_PATH]; // converted from the system ANSI code page, always terminated
    DWORD attr;             // platform file attributes
    FILETIME atime, ctime, mtime;
    int comp_size;
    int unc_size;
};

// kind ZIP_HANDLE: source is a HANDLE (duplicated; it must be a disk file); ZIP_FILENAME:
// source is a UTF-16 file name; ZIP_MEMORY: source is a block of `length` bytes that must
// outlive the handle. Returns null on failure (the reason is the last error).
SKINUI_API HZIP OpenZipArchive(void* source, unsigned int length, DWORD kind);

// Closes an entry left open and the archive, and frees the handle.
SKINUI_API ZRESULT CloseZipArchive(HZIP hz);

// The name (fewer than 256 units, '\' and '/' alike) is looked up with or without case.
// Found: index and entry describe it. Not found: index -1, entry zeroed with index -1.
SKINUI_API ZRESULT FindZipEntry(HZIP hz, const wchar_t* name, bool ignoreCase, int* index, ZipEntry* entry);

// Describes entry `index` (or the archive itself for -1).
SKINUI_API ZRESULT GetZipEntry(HZIP hz, int index, ZipEntry* entry);

// kind ZIP_MEMORY: target is a buffer of `length` bytes; ZR_MORE when bytes were delivered
// (call again with the same index to continue), ZR_OK at the end of the entry.
// kind ZIP_HANDLE: target is an open file handle. kind ZIP_FILENAME: target is a UTF-16
// path relative to the folder that was current when the archive was opened; its folders are
// created; absolute paths and ".." parts are refused.
SKINUI_API ZRESULT ExtractZipEntry(HZIP hz, int index, void* target, unsigned int length, DWORD kind);

// The result of the most recent call of this layer.
SKINUI_API ZRESULT GetZipLastError();

} // namespace SkinUI
