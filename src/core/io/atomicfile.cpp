#include "core/io/atomicfile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sortivo
{

int FileSystem::createUnique(std::string& pathTemplate)
{
    return ::mkostemp(pathTemplate.data(), O_CLOEXEC);
}

int FileSystem::setMode(int fd, mode_t mode)
{
    return ::fchmod(fd, mode);
}

ssize_t FileSystem::write(int fd, const void* bytes, std::size_t size)
{
    return ::write(fd, bytes, size);
}

int FileSystem::sync(int fd)
{
    return ::fsync(fd);
}

int FileSystem::close(int fd)
{
    return ::close(fd);
}

int FileSystem::rename(const std::string& from, const std::string& to, bool replace)
{
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                       replace ? 0 : RENAME_NOREPLACE);
}

int FileSystem::remove(const std::string& path)
{
    return ::unlink(path.c_str());
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

AtomicFile::AtomicFile(std::string target, FileSystem& files, std::optional<mode_t> mode,
                       Existing existing)
    : m_target(std::move(target)), m_files(files), m_mode(mode), m_existing(existing)
{
}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::open()
{
    // Hidden beside the target: the same file system, so the rename is one step.
    const std::size_t slash = m_target.rfind('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    m_temporary = m_target.substr(0, nameAt) + "." + m_target.substr(nameAt) + ".XXXXXX";
    m_fd = m_files.createUnique(m_temporary);
    if (m_fd < 0) {
        m_temporary.clear();
        return fail();
    }
    mode_t mode = m_mode.value_or(0);
    struct stat old;
    if (!m_mode)
        mode = ::lstat(m_target.c_str(), &old) == 0 && S_ISREG(old.st_mode) ? old.st_mode & 0777
                                                                            : newFileMode();
    // mkstemp makes the file its owner's only: a record or a list is made to be shown.
    if (m_files.setMode(m_fd, mode) != 0)
        return fail();
    return true;
}

bool AtomicFile::write(std::string_view bytes)
{
    if (m_fd < 0 || !m_error.empty())
        return false;
    while (!bytes.empty()) {
        const ssize_t wrote = m_files.write(m_fd, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            if (wrote == 0)
                errno = ENOSPC;
            return fail();
        }
        bytes.remove_prefix(std::size_t(wrote));
    }
    return true;
}

bool AtomicFile::commit()
{
    if (m_fd < 0 || !m_error.empty())
        return false;
    // Space the file system only promised shows up missing here, not after the rename.
    if (m_files.sync(m_fd) != 0)
        return fail();
    const int fd = m_fd;
    m_fd = -1;
    if (m_files.close(fd) != 0)
        return fail();
    // rename() replaces the name itself, link or file, in one step.
    if (m_files.rename(m_temporary, m_target, m_existing == Existing::Replace) != 0)
        return fail();
    m_temporary.clear();
    return true;
}

bool AtomicFile::fail()
{
    if (m_error.empty()) {
        m_errno = errno;
        m_error = std::strerror(m_errno);
    }
    discard();
    return false;
}

void AtomicFile::discard()
{
    if (m_fd >= 0)
        m_files.close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        m_files.remove(m_temporary);
    m_temporary.clear();
}

} // namespace sortivo
