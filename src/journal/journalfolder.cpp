#include "journal/journalfolder.h"

#include "journal/journalstore.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace sortivo
{

namespace
{

[[noreturn]] void failSystem(const std::string& what, int error)
{
    throw JournalError(what + " : " + std::strerror(error));
}

// The journals hold the lists and results of draws not yet made public: the owner's alone.
void makePrivateFolder(const std::string& folder)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        failSystem(folder, errno);
    struct stat status;
    if (::stat(folder.c_str(), &status) != 0)
        failSystem(folder, errno);
    if (!S_ISDIR(status.st_mode))
        failSystem(folder, ENOTDIR);
    if ((status.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0)
        failSystem(folder, errno);
}

bool isJournalName(std::string_view name)
{
    return name.size() > 14 && name.starts_with("seance-") && name.ends_with(".sqlite");
}

// A journal that a crash stopped before it held its seed, under the name it is made with.
bool isUnfinishedName(std::string_view name)
{
    return name.starts_with(".seance-") && name.ends_with(".nouveau");
}

void removeIfUnlocked(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        ::unlink(path.c_str());
        ::unlink((path + "-journal").c_str());
    }
    ::close(fd);
}

bool exists(const std::string& path)
{
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0;
}

} // namespace

void prepareJournalFolder(const std::string& folder)
{
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!parent.empty())
        std::filesystem::create_directories(parent, error);
    if (error)
        failSystem(parent.string(), error.value());
    makePrivateFolder(path);
}

std::vector<OrphanJournal> orphanJournals(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* directory = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(directory)) {
            if (isJournalName(entry->d_name))
                names.emplace_back(entry->d_name);
            else if (isUnfinishedName(entry->d_name))
                removeIfUnlocked(folder + "/" + entry->d_name);
        }
        ::closedir(directory);
    }
    // The names begin with the start time: the latest session first.
    std::sort(names.begin(), names.end(), std::greater<>());
    std::vector<OrphanJournal> journals;
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat status;
        // A running window holds the lock on its journal for as long as it writes it.
        if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
            ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        journals.push_back({path, fd});
    }
    return journals;
}

std::string setJournalAside(OrphanJournal journal)
{
    // The lock goes whatever happens: the caller handed it over.
    struct LockCloser {
        int fd;
        ~LockCloser()
        {
            if (fd >= 0)
                ::close(fd);
        }
    } closer{journal.lockFd};

    const std::size_t slash = journal.path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : journal.path.substr(0, slash);
    const std::string name =
        slash == std::string::npos ? journal.path : journal.path.substr(slash + 1);
    const std::string aside = folder + "/illisibles";
    makePrivateFolder(aside);

    const std::string stem = name.ends_with(".sqlite") ? name.substr(0, name.size() - 7) : name;
    for (int attempt = 1;; ++attempt) {
        const std::string target =
            aside + "/" + (attempt == 1 ? name : stem + "-" + std::to_string(attempt) + ".sqlite");
        if (exists(target) || exists(target + "-wal") || exists(target + "-shm"))
            continue;
        if (::renameat2(AT_FDCWD, journal.path.c_str(), AT_FDCWD, target.c_str(),
                        RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST)
                continue;
            failSystem(journal.path, errno);
        }
        // Its log and index go with it, or SQLite would not see the same database there.
        for (const char* suffix : {"-wal", "-shm"})
            if (::renameat2(AT_FDCWD, (journal.path + suffix).c_str(), AT_FDCWD,
                            (target + suffix).c_str(), RENAME_NOREPLACE) != 0 &&
                errno != ENOENT)
                failSystem(journal.path + suffix, errno);
        return target;
    }
}

void removeJournal(OrphanJournal journal)
{
    for (const char* suffix : {"", "-wal", "-shm"})
        ::unlink((journal.path + suffix).c_str());
    if (journal.lockFd >= 0)
        ::close(journal.lockFd);
}

} // namespace sortivo
