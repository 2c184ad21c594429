#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sortivo
{

// The system calls a replacement makes, each one a place where a disk can fail: tests put a
// file system that fails on demand in its place. Each call answers as the system call does,
// -1 with errno set on failure.
class FileSystem
{
public:
    virtual ~FileSystem() = default;
    // mkstemp(): a new file of mode 0600 at `pathTemplate` (its XXXXXX filled in).
    virtual int createUnique(std::string& pathTemplate);
    virtual int setMode(int fd, mode_t mode);
    virtual ssize_t write(int fd, const void* bytes, std::size_t size);
    virtual int sync(int fd);
    virtual int close(int fd);
    // With `replace` false, fails with EEXIST rather than replace a file at `to`.
    virtual int rename(const std::string& from, const std::string& to, bool replace);
    virtual int remove(const std::string& path);
};

// The mode a new file gets from the process's file mode mask, as open() with 0666 gives it.
mode_t newFileMode();

// Writes a new file beside a target name and puts it in that name's place only once the whole
// of it is on disk (written, synced, closed, renamed, each step checked), so that a full disk or
// a failed write leaves the old file as it was and no temporary behind. Whatever stands at the
// name is replaced, a symbolic link included: a link someone planted is never followed to write
// elsewhere. The one writer of every file the program saves, window and command line alike.
class AtomicFile
{
public:
    enum class Existing { Replace, Refuse };
    // `mode` nothing: a plain file at the target keeps its mode, anything else gives the mode
    // a new file would have. With Existing::Refuse, a file already at the name stays and the
    // commit fails with EEXIST, in the same single step.
    AtomicFile(std::string target, FileSystem& files, std::optional<mode_t> mode = std::nullopt,
               Existing existing = Existing::Replace);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False when no file can be made in the target's folder.
    bool open();
    // False once any write failed; later writes then do nothing.
    bool write(std::string_view bytes);
    // Syncs, closes and renames the new file over the target; on failure it is removed.
    bool commit();
    // The system's reason for the first failure, empty while none.
    const std::string& error() const { return m_error; }
    int errorNumber() const { return m_errno; }

private:
    bool fail();
    void discard();

    std::string m_target;
    FileSystem& m_files;
    std::optional<mode_t> m_mode;
    Existing m_existing;
    std::string m_temporary;
    int m_fd = -1;
    std::string m_error;
    int m_errno = 0;
};

} // namespace sortivo
