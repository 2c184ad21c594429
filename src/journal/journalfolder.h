#pragma once

#include "core/text/expected.h"

#include <optional>
#include <string>
#include <vector>

namespace sortivo
{

// Creates `folder` and the folders above it when missing, mode 0700, and gives `folder` mode
// 0700 if it exists with more. A `folder` that is a symbolic link, or another user's, is
// refused rather than followed or changed. Throws JournalError.
void prepareJournalFolder(const std::string& folder);

// A journal that no running window holds, locked now by this process (`lockFd`, or -1 when it
// cannot even be opened).
struct OrphanJournal {
    std::string path;
    int lockFd = -1;
    // Why it must not be taken up however well it reads, in French: someone else may know its
    // seed or have chosen it. Empty for a journal only its owner could have written.
    std::string distrust;
};
// The journals in `folder` whose window is gone, newest first, each locked so that no other
// window takes it meanwhile. The caller closes each lock or hands it to JournalStore::resume.
// None when `folder` is a symbolic link or another user's.
std::vector<OrphanJournal> orphanJournals(const std::string& folder);

// Moves an unreadable or distrusted journal, with its write-ahead log and index beside it,
// into the "illisibles" folder under its folder, unchanged; gives the path it now has.
// Releases the lock, even when the move is refused.
Expected<std::string> setJournalAside(OrphanJournal journal);
// When the journal at `path` was last written (ISO 8601 UTC), by its files' times: the last
// moment its session is known to have been alive. Read before the journal is opened, which may
// write it. Empty when neither file can be read.
std::string lastWrittenAt(const std::string& path);
// Deletes a journal the user chose not to resume, and releases its lock.
void removeJournal(OrphanJournal journal);

} // namespace sortivo
