#include "listsource/listsource.h"

#include "core/list/listlimits.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

using sortivo::largestListFile;

// Read a piece at a time: some files of the system take reads only in multiples of their
// record size, and the window shows how far the reading is.
constexpr std::size_t piece = std::size_t(1) << 20;

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

// Fills `length` bytes, or fewer at the end of the file; -1 when a read fails.
ssize_t readPiece(int fd, char* data, std::size_t length)
{
    std::size_t got = 0;
    while (got < length) {
        const ssize_t read = ::read(fd, data + got, length - got);
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0)
            return -1;
        if (read == 0)
            break;
        got += std::size_t(read);
    }
    return ssize_t(got);
}

// The file's bytes, stopping once more than the largest size have come, so that a file
// streaming without end (a file may report any size, those of /proc 0, and a pipe none)
// costs no more than that. Nothing when a read fails or the reading was cancelled.
std::optional<std::string> readPastLimit(int fd, std::size_t sizeHint,
                                         const std::atomic<bool>& cancelled,
                                         const std::function<void(std::int64_t)>& pieceRead)
{
    std::string bytes;
    // Room for the whole of a file that tells no size: a string grows by copying what it
    // holds, which would double the cost of reading a stream. Only what is read is touched.
    // Advised before the first touch, which is what places the pages.
    bytes.reserve((sizeHint > 0 ? std::min(sizeHint, largestListFile) : largestListFile) + piece);
    preferHugePages(bytes);
    while (bytes.size() <= largestListFile) {
        if (cancelled.load(std::memory_order_relaxed))
            return std::nullopt;
        const std::size_t had = bytes.size();
        bytes.resize(had + piece);
        const ssize_t got = readPiece(fd, bytes.data() + had, piece);
        if (got < 0)
            return std::nullopt;
        bytes.resize(had + std::size_t(got));
        if (got == 0)
            break;
        if (std::size_t(got) == piece && pieceRead)
            pieceRead(std::int64_t(bytes.size()));
    }
    return bytes;
}

bool namesDelimitedFile(const std::string& path)
{
    const QString suffix = QFileInfo(QFile::decodeName(path.c_str())).suffix().toLower();
    return suffix == u"csv" || suffix == u"tsv";
}

} // namespace

std::optional<ListFileRefusal> refusalBeforeReading(const std::string& path)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    if (S_ISDIR(info.st_mode))
        return ListFileRefusal(ListFileRefusal::Folder);
    if (!S_ISREG(info.st_mode))
        return ListFileRefusal(ListFileRefusal::NotRegular);
    if (std::uint64_t(info.st_size) > largestListFile)
        return ListFileRefusal(ListFileRefusal::TooBig);
    return std::nullopt;
}

sortivo::Expected<ListFile, ListFileRefusal> readListFile(const ListFileRequest& request)
{
    ListFile list;
    const std::atomic<bool> never{false};
    const std::atomic<bool>& cancelled = request.cancelled ? *request.cancelled : never;
    std::optional<std::string> bytes;
    {
        const bool standardInput = request.path.empty();
        const int fd =
            standardInput ? STDIN_FILENO : ::open(request.path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return ListFileRefusal(ListFileRefusal::CannotOpen, qt_error_string(errno));
        struct stat info;
        const std::size_t sizeHint =
            ::fstat(fd, &info) == 0 && info.st_size > 0 ? std::size_t(info.st_size) : 0;
        bytes = readPastLimit(fd, sizeHint, cancelled, request.pieceRead);
        const int readError = errno;
        if (!standardInput)
            ::close(fd);
        if (!bytes) {
            list.cancelled = cancelled.load(std::memory_order_relaxed);
            if (!list.cancelled)
                return ListFileRefusal(ListFileRefusal::CannotRead, qt_error_string(readError));
            return list;
        }
    }
    if (bytes->size() > largestListFile)
        return ListFileRefusal(ListFileRefusal::TooBig);
    const std::string_view view(*bytes);
    if (const sortivo::SheetKind kind = sortivo::spreadsheetKind(view);
        kind != sortivo::SheetKind::None) {
        sortivo::Expected<std::vector<sortivo::Sheet>> book =
            sortivo::readSheetBook(view, kind, sortivo::SheetLimits(), cancelled);
        if (!book)
            return ListFileRefusal::table(book.error().text);
        list.sheets = std::move(*book);
        list.cancelled = cancelled.load(std::memory_order_relaxed);
        return list;
    }
    // A delimited file is told only by its name, so that no text list that happens to hold
    // semicolons changes meaning.
    if (!request.path.empty() && namesDelimitedFile(request.path)) {
        std::optional<std::string> text = sortivo::decodeTextFile(view);
        // The decoded text alone goes on: the file's bytes would double what the reading holds.
        bytes.reset();
        if (!text)
            return ListFileRefusal(ListFileRefusal::NotText);
        sortivo::DelimitedTable table =
            sortivo::splitDelimited(*text, sortivo::detectSeparator(*text));
        if (table.table.refused())
            return ListFileRefusal::table("Impossible d'ouvrir le fichier : " +
                                          table.table.refusal());
        // A quote left open has swallowed the rows after it into one cell.
        if (table.unclosedQuoteLine > 0)
            return ListFileRefusal::table(sortivo::unclosedQuoteRefusal(table.unclosedQuoteLine));
        list.separator = table.separator;
        list.delimitedText = std::move(text);
        list.sheets.push_back({{}, std::move(table.table)});
        list.cancelled = cancelled.load(std::memory_order_relaxed);
        return list;
    }
    list.text = std::move(*bytes);
    return list;
}

ListFileRefusal::Reason decodeRefusal(sortivo::DecodedList::Status status)
{
    switch (status) {
    case sortivo::DecodedList::Status::TooManyLines:
        return ListFileRefusal::TooManyLines;
    case sortivo::DecodedList::Status::LineTooLong:
        return ListFileRefusal::LineTooLong;
    case sortivo::DecodedList::Status::Ok:
    case sortivo::DecodedList::Status::NotText:
        break;
    }
    return ListFileRefusal::NotText;
}
