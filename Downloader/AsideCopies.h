#pragma once
// Files the package replaces while they are in use. A running program or a loaded library
// cannot be deleted, but it can be renamed: the old file is moved aside in its own folder,
// the new one takes its name, and the old copy is removed at a later start, once nothing runs
// from it any more. The copies moved aside are listed in "ZelOldFiles.lst" in the output
// folder (each as a path relative to it), so that the clean-up knows exactly which files are
// its own and never touches anything else.

#include <windows.h>

#include <string>

// How long a file that another program holds, and that cannot even be moved aside, is tried
// again before the extraction stops.
const DWORD kInUseWaitMs = 30000;

// The list of copies moved aside, in the output folder.
extern const wchar_t kAsideListName[];

// Whether a failed delete, rename or create says that another handle holds the file (a
// running image, a loaded library, an open file, a delete that waits for the last handle).
bool IsInUseError(DWORD error);

// Whether a name is one that MoveAside gives ("<name>.zel-old-<hex>").
bool IsAsideCopyName(const std::wstring& name);

// Moves the file at diskPath (inside outputFolder, also in its "\\?\" form) aside in its folder
// and lists the copy. False, with the rename's last error, when it cannot be moved.
// outputFolder ends with a separator.
bool MoveAside(const std::wstring& outputFolder, const std::wstring& diskPath);

// Deletes the listed copies in folder (ends with a separator); those still in use stay
// listed for a later start, the list goes when it is empty.
void RemoveAsideCopies(const std::wstring& folder);
