#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sortivo
{

// Creates `folder` and the folders above it when missing, the last one mode 0700, and gives
// it mode 0700 if it exists with more. Throws JournalError.
void prepareJournalFolder(const std::string& folder);

// A journal that no running window holds, locked now by this process (`lockFd`).
struct OrphanJournal {
    std::string path;
    int lockFd = -1;
};
// The journals in `folder` whose window is gone, newest first, each locked so that no other
// window takes it meanwhile. The caller closes each lock or hands it to JournalStore::resume.
std::vector<OrphanJournal> orphanJournals(const std::string& folder);

// Moves an unreadable journal, with its write-ahead log and index beside it, into the
// "illisibles" folder under its folder, unchanged; gives the path it now has. Releases the
// lock. Throws JournalError.
std::string setJournalAside(OrphanJournal journal);
// Deletes a journal the user chose not to resume, and releases its lock.
void removeJournal(OrphanJournal journal);

} // namespace sortivo
