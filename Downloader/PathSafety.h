#pragma once
// The rules that keep names from the server and from archives away from what they must not
// touch: devices, places outside the updater's folder, and the programs' own files. Every
// file the updater writes under a name it was given passes one of these first.

#include <string>

// A device name as the system resolves it: CON, PRN, AUX, NUL, COM0-9, LPT0-9 (also with the
// superscript digits 1-3), CONIN$, CONOUT$, CLOCK$, in any case, with or without an
// extension and with blanks before it ("nul.txt", "Com1 .log").
bool IsDeviceName(const std::wstring& component);

// Whether a name ends in a dot or a blank. Windows drops those when it opens the name, so
// "ZelUpGame.ini." would be written as "ZelUpGame.ini": such a name cannot be created as
// given and could pass for another.
bool EndsInDotOrBlank(const std::wstring& component);

// Whether an item path from an archive stays inside the output folder and names an ordinary
// file: nothing rooted or absolute, no ".." or dots-only component, no component ending in a
// dot or blank, no ":" (drives, streams), no device name, no wildcard or control character.
bool IsSafeArchiveItemPath(const std::wstring& itemPath);

// The programs' own files in their folder, which nothing downloaded may take the name of:
// "7z.dll", "ZelUpGame.ini", "ZelLogin.ini", "ZelLoader.exe", "Login.exe", "old.exe" and the
// list of copies moved aside, "ZelOldFiles.lst" (compared without case).
bool IsFolderOwnFileName(const std::wstring& name);

// The package's version file, in whichever folder it comes, and the names it has beside it
// while a package is put in place: the new one is written as "ZelUpGame.ini.tmp", the old one
// waits as "ZelUpGame.ini.bak" until every new one is in.
extern const wchar_t kVersionFileName[];
std::wstring VersionTempPath(const std::wstring& finalPath);
std::wstring VersionBackupPath(const std::wstring& finalPath);

// Whether an archive item takes a name that the updater keeps to itself (compared without
// case): in any folder a copy moved aside ("<name>.zel-old-<hex>") and the version file's
// temporary and backup names; directly in the output folder the list of copies moved aside,
// "ZelOldFiles.lst", and the new list that replaces it. A package may carry the programs
// themselves, but never the updater's bookkeeping: an item of such a name would be taken for
// it, overwritten by it or deleted with it.
bool IsReservedItemPath(const std::wstring& itemPath);

// Whether name may be used for a downloaded file in the updater's folder: one safe component
// (as for archive items) that is none of the folder's own files nor of the names kept for
// the updater's bookkeeping.
bool IsUsableDownloadName(const std::wstring& name);
