#include "journal/journalfolder.h"

#include "core/proof/proofprotocol.h"
#include "journal/journalstore.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace sortivo
{

namespace
{

[[noreturn]] void failSystem(const std::string& what, int error)
{
    throw JournalError(what + " : " + std::strerror(error));
}

class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Opens the folder `name` in `parent`; `path` names it in messages. The folders above the
// journals' may be links, as the user laid out the home folder; the journals' own folder must
// be the folder it is named: a link there would let whoever made it choose where the seeds go
// and which folder is made private.
Descriptor openFolderAt(int parent, const std::string& name, const std::string& path,
                        bool followLink)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    const int fd = ::openat(parent, name.c_str(), flags);
    if (fd >= 0)
        return Descriptor(fd);
    const int error = errno;
    struct stat status;
    if (!followLink && ::fstatat(parent, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(status.st_mode))
        throw JournalError(path + " : c'est un lien symbolique, que le journal ne suit pas");
    failSystem(path, error);
}

// The same, making the folder first, mode 0700, when it is missing. A folder made here is
// opened without following a link all the same, in case one took its place meanwhile.
Descriptor openOrMakeFolderAt(int parent, const std::string& name, const std::string& path,
                              bool followLink)
{
    if (::mkdirat(parent, name.c_str(), 0700) == 0)
        followLink = false;
    else if (errno != EEXIST)
        failSystem(path, errno);
    return openFolderAt(parent, name, path, followLink);
}

// The journals hold the lists and results of draws not yet made public: the owner's alone. The
// mode is changed on the folder opened, never through its name.
void makePrivate(const Descriptor& folder, const std::string& path)
{
    struct stat status;
    if (::fstat(folder.get(), &status) != 0)
        failSystem(path, errno);
    if (status.st_uid != ::geteuid())
        throw JournalError(path + " : ce dossier appartient à un autre utilisateur");
    if ((status.st_mode & 077) != 0 && ::fchmod(folder.get(), 0700) != 0)
        failSystem(path, errno);
}

Descriptor openPrivateFolder(const std::string& folder)
{
    std::vector<std::string> names;
    for (std::size_t at = 0; at < folder.size();) {
        const std::size_t slash = std::min(folder.find('/', at), folder.size());
        if (slash > at)
            names.push_back(folder.substr(at, slash - at));
        at = slash + 1;
    }
    const bool absolute = folder.starts_with('/');
    if (names.empty())
        failSystem(folder.empty() ? "." : folder, EINVAL);
    Descriptor current(::open(absolute ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (current.get() < 0)
        failSystem(absolute ? "/" : ".", errno);
    std::string path = absolute ? "" : ".";
    for (std::size_t i = 0; i < names.size(); ++i) {
        path += "/" + names[i];
        current = openOrMakeFolderAt(current.get(), names[i], path, i + 1 < names.size());
    }
    makePrivate(current, path);
    return current;
}

// Why a journal's file may hold a seed that someone else knows, or chose.
const char* distrustOf(const struct stat& status)
{
    if (status.st_uid != ::geteuid())
        return "il appartient à un autre utilisateur, qui a pu en choisir la graine";
    if ((status.st_mode & 077) != 0)
        return "d'autres utilisateurs peuvent le lire ou le modifier, et en connaître la graine";
    return nullptr;
}

std::string distrustOf(int folder, const std::string& name, const struct stat& journal)
{
    const char* why = distrustOf(journal);
    // SQLite reads the log and the index with the database: a planted log is a planted
    // journal. A link in their place reads as open to all.
    for (const char* suffix : {"-wal", "-shm"}) {
        struct stat status;
        if (!why && ::fstatat(folder, (name + suffix).c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0)
            why = distrustOf(status);
    }
    return why ? why : "";
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

void removeIfUnlocked(int folder, const std::string& name)
{
    const Descriptor file(
        ::openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (file.get() >= 0 && ::flock(file.get(), LOCK_EX | LOCK_NB) == 0) {
        ::unlinkat(folder, name.c_str(), 0);
        ::unlinkat(folder, (name + "-journal").c_str(), 0);
    }
}

bool existsAt(int folder, const std::string& name)
{
    struct stat status;
    return ::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
}

} // namespace

void prepareJournalFolder(const std::string& folder)
{
    openPrivateFolder(folder);
}

std::vector<OrphanJournal> orphanJournals(const std::string& folder)
{
    const Descriptor directory(
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status;
    // A link, or a folder of someone else's: what it holds is not the user's sessions.
    if (directory.get() < 0 || ::fstat(directory.get(), &status) != 0 ||
        status.st_uid != ::geteuid())
        return {};
    std::vector<std::string> names;
    // The listing takes a descriptor of its own, and closes it.
    const int copy = ::fcntl(directory.get(), F_DUPFD_CLOEXEC, 0);
    DIR* listing = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!listing && copy >= 0)
        ::close(copy);
    if (listing) {
        while (const dirent* entry = ::readdir(listing)) {
            if (isJournalName(entry->d_name))
                names.emplace_back(entry->d_name);
            else if (isUnfinishedName(entry->d_name))
                removeIfUnlocked(directory.get(), entry->d_name);
        }
        ::closedir(listing);
    }
    // The names begin with the start time: the latest session first.
    std::sort(names.begin(), names.end(), std::greater<>());
    std::vector<OrphanJournal> journals;
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        const int fd =
            ::openat(directory.get(), name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) {
            // Not even readable: it can only be someone else's, to be set aside all the same.
            if (errno == EACCES &&
                ::fstatat(directory.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(status.st_mode))
                if (std::string why = distrustOf(directory.get(), name, status); !why.empty())
                    journals.push_back({path, -1, std::move(why)});
            continue;
        }
        // A running window holds the lock on its journal for as long as it writes it.
        if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
            ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        journals.push_back({path, fd, distrustOf(directory.get(), name, status)});
    }
    return journals;
}

namespace
{

std::string moveAside(OrphanJournal journal)
{
    // The lock goes whatever happens: the caller handed it over.
    const Descriptor lock(journal.lockFd);

    const std::size_t slash = journal.path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : journal.path.substr(0, slash);
    const std::string name =
        slash == std::string::npos ? journal.path : journal.path.substr(slash + 1);
    const Descriptor from = openFolderAt(AT_FDCWD, folder, folder, false);
    const std::string asidePath = folder + "/illisibles";
    const Descriptor aside = openOrMakeFolderAt(from.get(), "illisibles", asidePath, false);
    makePrivate(aside, asidePath);

    const std::string stem = name.ends_with(".sqlite") ? name.substr(0, name.size() - 7) : name;
    for (int attempt = 1;; ++attempt) {
        const std::string target =
            attempt == 1 ? name : stem + "-" + std::to_string(attempt) + ".sqlite";
        if (existsAt(aside.get(), target) || existsAt(aside.get(), target + "-wal") ||
            existsAt(aside.get(), target + "-shm"))
            continue;
        if (::renameat2(from.get(), name.c_str(), aside.get(), target.c_str(), RENAME_NOREPLACE) !=
            0) {
            if (errno == EEXIST)
                continue;
            failSystem(journal.path, errno);
        }
        // Its log and index go with it, or SQLite would not see the same database there.
        for (const std::string suffix : {"-wal", "-shm"})
            if (::renameat2(from.get(), (name + suffix).c_str(), aside.get(),
                            (target + suffix).c_str(), RENAME_NOREPLACE) != 0 &&
                errno != ENOENT)
                failSystem(journal.path + suffix, errno);
        return asidePath + "/" + target;
    }
}

} // namespace

Expected<std::string> setJournalAside(OrphanJournal journal)
{
    try {
        return moveAside(std::move(journal));
    } catch (const std::exception& e) {
        return Refusal{e.what()};
    }
}

void removeJournal(OrphanJournal journal)
{
    for (const char* suffix : {"", "-wal", "-shm"})
        ::unlink((journal.path + suffix).c_str());
    if (journal.lockFd >= 0)
        ::close(journal.lockFd);
}

std::string lastWrittenAt(const std::string& path)
{
    std::optional<std::chrono::system_clock::time_point> latest;
    for (const std::string& file : {path, path + "-wal"}) {
        struct stat info {
        };
        if (::stat(file.c_str(), &info) != 0)
            continue;
        const auto time =
            std::chrono::system_clock::time_point(std::chrono::seconds(info.st_mtim.tv_sec));
        if (!latest || time > *latest)
            latest = time;
    }
    return latest ? isoTimeUtc(*latest) : std::string();
}

} // namespace sortivo
