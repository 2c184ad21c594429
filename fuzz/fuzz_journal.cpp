#include "journal/journalreader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace
{

// A journal comes from the disk after a crash, or from whoever could write to the folder.
// The input is the database file, and from the first WAL header at a page boundary on, its
// write-ahead log: a crash leaves both.
std::size_t logStart(std::string_view bytes)
{
    for (std::size_t at = 512; at + 4 <= bytes.size(); at += 512)
        if (bytes.substr(at, 3) == "\x37\x7f\x06" && (bytes[at + 3] & 0xfe) == '\x82')
            return at;
    return bytes.size();
}

void writeFile(const std::string& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), std::streamsize(bytes.size()));
}

const std::string& journalPath();

void removeJournalFolder()
{
    const std::string& path = journalPath();
    for (const char* suffix : {"", "-wal", "-shm"})
        ::unlink((path + suffix).c_str());
    ::rmdir(path.substr(0, path.rfind('/')).c_str());
}

// Made once a process, and never destroyed so that the cleanup at exit can still name it.
const std::string& journalPath()
{
    static const std::string* const path = [] {
        std::string folder = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
        folder += "/fuzz_journal.XXXXXX";
        if (!::mkdtemp(folder.data()))
            std::abort();
        const auto* journal = new std::string(folder + "/seance-20261207T200000Z-fuzzer.sqlite");
        std::atexit(removeJournalFolder);
        return journal;
    }();
    return *path;
}

} // namespace

// Whatever the bytes, the reader gives a session or a refusal: it never throws, never crashes,
// never hangs and never allocates more than the files hold.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string& path = journalPath();
    for (const char* suffix : {"-wal", "-shm"})
        ::unlink((path + suffix).c_str());
    const std::size_t log = logStart(bytes);
    writeFile(path, bytes.substr(0, log));
    if (log < bytes.size())
        writeFile(path + "-wal", bytes.substr(log));
    if (const sortivo::Expected<sortivo::JournalContents> contents = sortivo::readJournal(path))
        sortivo::replayJournal(*contents);
    return 0;
}
