#pragma once

#include "core/io/atomicfile.h"

#include <cerrno>
#include <cstddef>

// A file system that fails one step of a replacement, as a full disk, a failing device or a
// folder made read-only meanwhile would: the write tests then need neither root nor a small
// disk.
class FailingFiles final : public sortivo::FileSystem
{
public:
    enum class Step { Nothing, Create, SetMode, Write, Sync, Close, Rename };

    // With Step::Write, the writes take `writeBudget` bytes before failing.
    FailingFiles(Step step = Step::Nothing, int error = EIO, std::size_t writeBudget = 0)
        : m_step(step), m_error(error), m_budget(writeBudget)
    {
    }

    int createUnique(std::string& pathTemplate) override
    {
        return fails(Step::Create) ? -1 : FileSystem::createUnique(pathTemplate);
    }
    int setMode(int fd, mode_t mode) override
    {
        return fails(Step::SetMode) ? -1 : FileSystem::setMode(fd, mode);
    }
    ssize_t write(int fd, const void* bytes, std::size_t size) override
    {
        if (m_step != Step::Write)
            return FileSystem::write(fd, bytes, size);
        if (m_budget == 0) {
            errno = m_error;
            return -1;
        }
        const std::size_t n = size < m_budget ? size : m_budget;
        const ssize_t wrote = FileSystem::write(fd, bytes, n);
        if (wrote > 0)
            m_budget -= std::size_t(wrote);
        return wrote;
    }
    int sync(int fd) override { return fails(Step::Sync) ? -1 : FileSystem::sync(fd); }
    int close(int fd) override
    {
        // The descriptor goes even when close fails, as the system's does.
        const int closed = FileSystem::close(fd);
        return fails(Step::Close) ? -1 : closed;
    }
    int rename(const std::string& from, const std::string& to, bool replace) override
    {
        return fails(Step::Rename) ? -1 : FileSystem::rename(from, to, replace);
    }

private:
    bool fails(Step step)
    {
        if (step != m_step)
            return false;
        errno = m_error;
        return true;
    }

    Step m_step;
    int m_error;
    std::size_t m_budget;
};
