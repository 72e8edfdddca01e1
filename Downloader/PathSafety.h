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

// Whether an archive item takes a name that the updater keeps to itself in the output folder:
// the list of copies moved aside, "ZelOldFiles.lst", directly in it (compared without case).
// A package may carry the programs themselves, but never the updater's bookkeeping.
bool IsReservedItemPath(const std::wstring& itemPath);

// Whether name may be used for a downloaded file in the updater's folder: one safe component
// (as for archive items) that is none of the folder's own files.
bool IsUsableDownloadName(const std::wstring& name);
