#include "cli/verifycommand.h"

#include "cli/exitstatus.h"
#include "core/proof/proofverify.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// A FIFO would block the open and a device such as /dev/zero would never end.
sortivo::Expected<std::string> readRecordFile(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return sortivo::Refusal{std::strerror(errno)};
    std::string bytes;
    std::string problem;
    struct stat status {
    };
    bool ok = ::fstat(fd, &status) == 0;
    if (!ok)
        problem = std::strerror(errno);
    else if (!S_ISREG(status.st_mode))
        problem = "ce n'est pas un fichier ordinaire";
    else if (std::uint64_t(status.st_size) > sortivo::largestRecordFile)
        problem = "plus de " + std::to_string(sortivo::largestRecordFile >> 20) +
                  " Mio, plus qu'aucun procès-verbal";
    ok = ok && problem.empty();
    if (ok) {
        bytes.resize(std::size_t(status.st_size));
        std::size_t done = 0;
        // A file that grows while it is read is read up to the size it had.
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                if (got < 0)
                    problem = std::strerror(errno);
                break;
            }
            done += std::size_t(got);
        }
        bytes.resize(done);
        ok = problem.empty();
    }
    ::close(fd);
    if (!ok)
        return sortivo::Refusal{std::move(problem)};
    return bytes;
}

int verifyRecordFile(const QString& path)
{
    const sortivo::Expected<std::string> bytes = readRecordFile(path.toLocal8Bit().constData());
    const sortivo::VerifyResult result =
        bytes ? sortivo::verifyRecord(*bytes)
              : sortivo::VerifyResult{false,
                                      "NON CONFORME : le fichier n'a pas pu être lu (" +
                                          bytes.error().text + ")",
                                      {},
                                      {}};
    std::printf("%s\n", result.message.c_str());
    for (const std::string& warning : result.warnings)
        std::printf("ATTENTION : %s\n", warning.c_str());
    if (!result.palmares.empty())
        std::printf("Palmarès :\n");
    for (const std::string& line : result.palmares)
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return result.conforming ? exitstatus::done : exitstatus::badInput;
}
