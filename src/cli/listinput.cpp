#include "cli/listinput.h"

#include "core/list/listlimits.h"
#include "texts/listfilerefusal.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

using sortivo::largestListFile;

// Asks for the buffer of a large list to be held in huge pages where the system allows it:
// reading it then takes a few page faults instead of one per 4 KiB, and the draw's scattered
// reads miss the processor's address cache less often. Only advice: nothing changes if refused.
void preferHugePages(std::string& bytes)
{
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t hugePage = std::uintptr_t(2) << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(bytes.data());
    const std::uintptr_t first = (start + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t end = (start + bytes.capacity()) & ~(hugePage - 1);
    if (end > first)
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#endif
}

// Reads to the end, but never more than one byte past the limit: a file may report any size
// (those of /proc report 0) and a pipe none.
bool readAtMost(int fd, std::string& bytes, std::size_t expected)
{
    std::size_t size = 0;
    // Advised before the first touch, which is what places the pages.
    bytes.reserve(std::min(expected, largestListFile) + 1);
    preferHugePages(bytes);
    bytes.resize(std::min(expected, largestListFile) + 1);
    for (;;) {
        if (size == bytes.size()) {
            if (size > largestListFile)
                break;
            bytes.resize(std::min(size * 2 + 65536, largestListFile + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + size, bytes.size() - size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        size += std::size_t(got);
    }
    bytes.resize(size);
    return true;
}

ListInput failure(ListFileRefusal::Reason reason)
{
    return {{}, ListFileRefusal::utf8(reason)};
}

} // namespace

ListInput readListInput(const std::string& path)
{
    const bool standardInput = path == "-";
    int fd = STDIN_FILENO;
    std::size_t expected = 0;
    if (!standardInput) {
        struct stat info;
        if (::stat(path.c_str(), &info) != 0)
            return failure(ListFileRefusal::CannotOpen);
        if (S_ISDIR(info.st_mode))
            return failure(ListFileRefusal::Folder);
        // A pipe would wait for a writer and a device may never end: only a plain file is a
        // list; a pipe is given as "-".
        if (!S_ISREG(info.st_mode))
            return failure(ListFileRefusal::NotRegular);
        if (std::size_t(info.st_size) > largestListFile)
            return failure(ListFileRefusal::TooBig);
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return failure(ListFileRefusal::CannotOpen);
        expected = std::size_t(info.st_size);
    }
    ListInput input;
    const bool read = readAtMost(fd, input.bytes, expected);
    if (!standardInput)
        ::close(fd);
    if (!read)
        return failure(ListFileRefusal::CannotRead);
    if (input.bytes.size() > largestListFile)
        return failure(ListFileRefusal::TooBig);
    return input;
}
