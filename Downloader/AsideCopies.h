#pragma once
// Files the package replaces while they are in use. A running program or a loaded library
// cannot be deleted, and a file another program holds with delete sharing can only be marked
// for deletion, its name staying taken; both can be renamed: the old file is moved aside in its
// own folder, the new one takes its name, and the old copy is deleted at once where that is
// allowed (it goes when its holder lets go) and otherwise at a later start, once nothing runs
// from it any more. The copies moved aside are listed in "ZelOldFiles.lst" in the output
// folder (each as a path relative to it), so that the clean-up knows exactly which files are
// its own and never touches anything else.

#include <windows.h>

#include <string>

// How long a file that another program holds, and that cannot even be moved aside, is tried
// again before the extraction stops.
const DWORD kInUseWaitMs = 30000;

// The list of copies moved aside, in the output folder, and the new list that replaces it
// when the clean-up rewrites it.
extern const wchar_t kAsideListName[];
extern const wchar_t kAsideListNewName[];

// Whether a failed delete, rename or create says that another handle holds the file (a
// running image, a loaded library, an open file, a delete that waits for the last handle).
bool IsInUseError(DWORD error);

// Whether a name is one that AsideMove gives ("<name>.zel-old-<hex>", without case).
bool IsAsideCopyName(const std::wstring& name);

// The steps of the list's rewrite at the clean-up, after each of which a test may stop it as
// a crash would (the cut returns true), leaving the disk as it then is.
enum class ListRewriteStep { Created, Written, Flushed };
using ListRewriteCut = bool (*)(ListRewriteStep step);
void SetListRewriteCut(ListRewriteCut cut);

// One file moved aside while another program holds it, across the tries the extraction makes
// until the holder lets it be moved. The copy's name is chosen and listed once, before the
// first rename, and every later try renames to that name: the list has exactly one line per
// copy, and never a copy without its line. A name listed but not used is taken off the list
// again when the move is given up (with the object). The one exception is a copy that
// DeleteNotInUse makes: its delete is set before its handle goes, so it goes by itself, and
// only one that outlives the call is listed.
class AsideMove {
public:
    // diskPath lies inside outputFolder (which ends with a separator), also in its "\\?\" form.
    AsideMove(const std::wstring& outputFolder, const std::wstring& diskPath);
    ~AsideMove();
    AsideMove(const AsideMove&) = delete;
    AsideMove& operator=(const AsideMove&) = delete;

    // Lists the copy (the first time) and renames the file to it; then deletes the copy, which
    // goes at once or once its holder lets go, and otherwise stays listed for a later start.
    // False, with the last error, when the list cannot be written (ListFailed(): then nothing is
    // renamed) or the rename fails. Called again after a success, it moves aside a new file.
    bool Move();
    // Frees the file's name when no other handle has data access to it (false, with
    // ERROR_SHARING_VIOLATION, when one has; ERROR_ACCESS_DENIED for a file that may not be
    // deleted, such as a mapped image, which Move then takes aside). Deleted at once where the
    // system can delete with POSIX semantics; elsewhere a handle without data access (the
    // shell's, an indexer's), which no open can see, would keep the name taken until it goes,
    // so the file is renamed to a copy through an unshared handle and deleted there: the copy
    // goes with its last handle, and is listed only when it outlives this call.
    bool DeleteNotInUse();
    bool ListFailed() const { return m_listFailed; }

private:
    bool List();
    void Unlist();

    std::wstring m_folder;
    std::wstring m_diskPath;
    std::wstring m_relative;
    std::wstring m_asidePath;
    std::string m_line;
    // Where the line starts in the list, to take it off again.
    UINT64 m_lineOffset = 0;
    unsigned m_serial = 0;
    bool m_listed = false;
    bool m_listFailed = false;
};

// Deletes the listed copies in folder (ends with a separator); those still in use stay
// listed for a later start, the list goes when it is empty.
void RemoveAsideCopies(const std::wstring& folder);
