#include "cli/drawcommand.h"

#include "cli/exitstatus.h"
#include "cli/prizeinput.h"
#include "cli/seedfile.h"
#include "cli/tableinput.h"
#include "cli/verifycommand.h"
#include "core/draw/drawloop.h"
#include "core/draw/drawpool.h"
#include "core/draw/drawwords.h"
#include "core/io/atomicfile.h"
#include "core/io/largememory.h"
#include "core/io/unreadlines.h"
#include "core/list/listfileentries.h"
#include "core/list/listlimits.h"
#include "core/proof/palmaresrows.h"
#include "core/proof/prizes.h"
#include "core/proof/proofprotocol.h"
#include "core/proof/proofrecord.h"
#include "core/proof/proofreport.h"
#include "core/proof/proofverify.h"
#include "core/text/french.h"
#include "exports/palmaresexport.h"
#include "listsource/listfilerefusal.h"
#include "listsource/listsource.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <span>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace
{

int refuse(const std::string& message, const std::string& path = {},
           int status = exitstatus::badInput)
{
    std::string text = "sortivo tirer : " + message + "\n";
    if (!path.empty())
        text += path + "\n";
    std::fputs(text.c_str(), stderr);
    return status;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        bytes.remove_prefix(std::size_t(wrote));
    }
    return true;
}

// The results as the window writes them (teams joined by " - ", an empty entry drawn first
// leaving no line break in front of the next), each line ended, gathered in draw order and
// written to the standard output a few megabytes at a time. An entry that is written as it
// stands in the list, LF included, is not copied: the write is handed where it lies, so that
// the program never reads it itself (only the kernel does, when the output keeps the bytes).
// Except into a pipe: a write takes at most 1024 pieces, some 20 KB of short lines, and a
// reader woken for each such write costs both sides more than the copy saves (measured).
class ResultOutput
{
public:
    ResultOutput(int teamSize, bool crlf)
        : m_lineBreak(crlf ? "\r\n" : "\n"), m_teamSize(teamSize),
          m_buffer(sortivo::LargeMemory<char>().allocate(blockSize)), m_flushAt(widenPipe()),
          m_copyAll(outputIsPipe())
    {
    }
    ~ResultOutput() { sortivo::LargeMemory<char>().deallocate(m_buffer, blockSize); }
    ResultOutput(const ResultOutput&) = delete;
    ResultOutput& operator=(const ResultOutput&) = delete;
    void append(std::string_view entry)
    {
        // At most a line break or " - " goes in front of the entry.
        if (m_used + m_referenced + entry.size() + 3 > m_flushAt) {
            flush();
            if (entry.size() + 3 > blockSize) {
                put(separator());
                flush();
                m_ok = m_ok && writeAll(STDOUT_FILENO, entry);
                m_written += entry.size();
                m_breakWritten = false;
                m_any = true;
                return;
            }
        }
        put(separator());
        put(entry);
        m_breakWritten = false;
        m_any = true;
    }
    // The same as append(line without its last byte), `line` being an entry followed by one
    // LF, in memory that stays as it is until finish(): written from there when the entry goes
    // out as it stands.
    void appendLine(std::string_view line)
    {
        if (m_copyAll || m_teamSize > 0 || m_lineBreak.size() != 1 || line.size() < 2) {
            append(line.substr(0, line.size() - 1));
            return;
        }
        // Room for this entry's piece and the run of the buffer in front of it, and for the
        // buffer's last run at the flush.
        if (m_used + m_referenced + line.size() + 1 > m_flushAt || m_pieceCount + 3 > maxPieces)
            flush();
        // The LF in front of this entry, unless the last one's went out with it.
        if (!m_breakWritten && m_written + m_used + m_referenced > 0)
            put(m_lineBreak);
        closeRun();
        m_pieces[m_pieceCount++] = {const_cast<char*>(line.data()), line.size()};
        m_referenced += line.size();
        m_breakWritten = true;
        m_members = 1;
        m_any = true;
    }
    // Ends the last line too. False when any write failed (a full disk, a closed pipe).
    bool finish()
    {
        if (m_any && !m_breakWritten)
            put(m_lineBreak);
        flush();
        return m_ok;
    }

private:
    static constexpr std::size_t blockSize = std::size_t(4) << 20;
    // At most what one writev takes on every system that has it.
    static constexpr std::size_t maxPieces = 1024;

    // What goes in front of the next entry, the team it joins counted; nothing when that line
    // break already went out at the end of the entry before.
    std::string_view separator()
    {
        if (m_teamSize <= 0 || m_members == 0 || m_members >= m_teamSize) {
            m_members = 1;
            return m_written + m_used + m_referenced > 0 && !m_breakWritten ? m_lineBreak
                                                                            : std::string_view();
        }
        ++m_members;
        return " - ";
    }
    void put(std::string_view bytes)
    {
        // An empty view may hold no address at all, which memcpy must not be given.
        if (bytes.empty())
            return;
        std::memcpy(m_buffer + m_used, bytes.data(), bytes.size());
        m_used += bytes.size();
    }
    // Makes what the buffer gained since the last piece a piece of its own, in its place.
    void closeRun()
    {
        if (m_used > m_runStart)
            m_pieces[m_pieceCount++] = {m_buffer + m_runStart, m_used - m_runStart};
        m_runStart = m_used;
    }
    void flush()
    {
        closeRun();
        if (m_referenced == 0) // all in the buffer, as into a pipe
            m_ok = m_ok && writeAll(STDOUT_FILENO, std::string_view(m_buffer, m_used));
        else
            m_ok = m_ok && writePieces();
        m_written += m_used + m_referenced;
        m_used = 0;
        m_runStart = 0;
        m_referenced = 0;
        m_pieceCount = 0;
    }
    bool writePieces()
    {
        iovec* piece = m_pieces.data();
        std::size_t left = m_pieceCount;
        while (left > 0) {
            const ssize_t wrote = ::writev(STDOUT_FILENO, piece, int(left));
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0)
                return false;
            // Past the pieces written whole, then into the one cut short.
            auto done = std::size_t(wrote);
            while (left > 0 && done >= piece->iov_len) {
                done -= piece->iov_len;
                ++piece;
                --left;
            }
            if (left > 0) {
                piece->iov_base = static_cast<char*>(piece->iov_base) + done;
                piece->iov_len -= done;
            }
        }
        return true;
    }
    // A reader at the other end of a pipe is woken for every pipe buffer filled, 64 KiB by
    // default: a larger one lets both sides work in long stretches. A write larger than the
    // pipe would then wait for the reader instead of going back to drawing, so the blocks are
    // cut to the pipe's size. Nothing changes for any other output. How much to gather before
    // a write.
    static bool outputIsPipe()
    {
        struct stat info;
        return ::fstat(STDOUT_FILENO, &info) == 0 && S_ISFIFO(info.st_mode);
    }
    static std::size_t widenPipe()
    {
#if defined(F_SETPIPE_SZ) && defined(F_GETPIPE_SZ)
        if (outputIsPipe()) {
            ::fcntl(STDOUT_FILENO, F_SETPIPE_SZ, int(std::size_t(1) << 20));
            const int size = ::fcntl(STDOUT_FILENO, F_GETPIPE_SZ);
            if (size > 0)
                return std::clamp(std::size_t(size), std::size_t(4096), blockSize);
        }
#endif
        return blockSize;
    }

    std::string_view m_lineBreak;
    int m_teamSize;
    int m_members = 0; // members of the current team so far; 0 before the first draw
    char* m_buffer;
    std::size_t m_flushAt;
    bool m_copyAll;               // into a pipe
    std::size_t m_used = 0;       // of the buffer
    std::size_t m_runStart = 0;   // of the buffer's bytes that no piece holds yet
    std::size_t m_referenced = 0; // bytes of the entries in the pieces, written from the list
    std::size_t m_written = 0;
    // The pieces of the next write, in order: runs of the buffer and entries where they lie.
    std::array<iovec, maxPieces> m_pieces{};
    std::size_t m_pieceCount = 0;
    // The last entry went out with its LF, which is the line break in front of the next one.
    bool m_breakWritten = false;
    bool m_any = false;
    bool m_ok = true;
};

std::int32_t drawCountOf(const DrawCommandOptions& options, std::size_t entries)
{
    switch (options.mode) {
    case sortivo::DrawMode::Chosen:
        return options.count;
    case sortivo::DrawMode::One:
        return 1;
    case sortivo::DrawMode::All:
    case sortivo::DrawMode::Teams:
        break;
    }
    return std::int32_t(entries);
}

std::string fingerprintOf(const sortivo::ListFileEntries& entries)
{
    sortivo::EntriesFingerprint fingerprint;
    for (std::size_t i = 0; i < entries.size(); ++i)
        fingerprint.add(entries.at(i));
    return fingerprint.finishHex();
}

// What take() reads of each entry drawn: all of it at once, or only where it starts.
enum class Reads { Entry, Start };

// The protocol's draw, straight from the file's bytes: the same positions from the same words
// as the window's run, without building a list text or a result text. Calls take(index) for
// each entry drawn, in draw order, where it starts fetched or on its way, and with
// Reads::Entry its characters too: fetches nobody reads would only crowd out those that count.
template <Reads reads, typename Take>
void drawEntries(const sortivo::ListFileEntries& entries, sortivo::DrawWords words,
                 std::int32_t drawCount, bool onePrizePerPerson, Take take)
{
    sortivo::DrawPool pool(entries.size());
    if (onePrizePerPerson) {
        const sortivo::PersonGroups persons(entries.size(),
                                            [&](std::size_t i) { return entries.at(i); });
        sortivo::drawOnePerPerson(pool, words, std::size_t(drawCount), persons, take,
                                  [](std::size_t) {});
        return;
    }
    sortivo::drawFromPool<128>(
        pool, words, std::size_t(drawCount), [&](std::size_t i) { entries.prefetchBounds(i); },
        [&](std::size_t i) {
            if constexpr (reads == Reads::Entry)
                entries.prefetchChars(i);
        },
        take);
}

// Anything but a plain file or a link at the record's name (a device, a pipe, a folder) is
// refused, since renaming over it would replace it: told before the seed is spent on a draw.
bool recordTargetAllowed(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode) || S_ISLNK(info.st_mode);
}

// Through the program's one atomic writer: a record is whole or absent, and a link at the
// target is replaced, never followed. A record is made to be shown: readable by all that the
// file mode mask lets read a new file, whatever stood at the name. `produce` is handed the
// function that writes.
sortivo::Expected<void>
writeRecord(const std::string& path,
            const std::function<void(const std::function<void(std::string_view)>&)>& produce)
{
    sortivo::FileSystem files;
    sortivo::AtomicFile file(path, files, sortivo::newFileMode());
    bool ok = file.open();
    produce([&](std::string_view text) { ok = ok && file.write(text); });
    if (ok && file.commit())
        return {};
    return sortivo::Refusal{"Impossible d'enregistrer le procès-verbal : " + file.error() + "."};
}

// The entries drawn, kept by where they start and read in draw order, each asked for
// `ahead` entries before its turn: a million scattered reads then overlap instead of each
// waiting for memory in turn.
class DrawnEntries
{
public:
    DrawnEntries(const sortivo::ListFileEntries& entries, std::span<const std::uint32_t> starts)
        : m_entries(entries), m_starts(starts)
    {
    }
    std::size_t size() const { return m_starts.size(); }
    std::string_view at(std::size_t k) const
    {
        if (k + ahead < m_starts.size())
            m_entries.prefetchAt(m_starts[k + ahead]);
        return m_entries.entryAt(m_starts[k]);
    }
    // The first ones, which no earlier read asked for: just before the reads, as anything read
    // in between (the record's whole list comes before its results) would push them out.
    void prefetchStart() const
    {
        for (std::size_t k = 0; k < std::min(ahead, m_starts.size()); ++k)
            m_entries.prefetchAt(m_starts[k]);
    }

private:
    // Far enough for a fetch to arrive in time; 32 or 64 ahead measured slower than 8 or 16.
    static constexpr std::size_t ahead = 16;
    const sortivo::ListFileEntries& m_entries;
    std::span<const std::uint32_t> m_starts;
};

// Which run of its seed's session a draw is, the record of the runs before it, and the
// session's prizes, with what was shown of them when they were fixed with the commitment.
struct SessionPlace {
    std::int64_t number = 1;
    std::optional<sortivo::CheckedRecord> earlier;
    std::vector<std::string> prizes;
    std::optional<sortivo::CommunicatedPrizes> communicatedPrizes;
};

// Who wins what once this run has drawn `results`: the session's earlier runs, with the
// absences declared after them, then this one.
sortivo::Expected<sortivo::PrizeAwards> sessionAwards(const SessionPlace& place,
                                                      sortivo::DrawMode mode, std::size_t results)
{
    std::vector<sortivo::PrizeRun> runs;
    std::vector<sortivo::Absence> absences;
    if (place.earlier) {
        for (const sortivo::RecordRun& run : place.earlier->runs)
            runs.push_back(
                {run.number, run.results.size, run.request.mode == sortivo::DrawMode::Teams});
        for (const sortivo::DeclaredAbsence& declared : place.earlier->absences)
            absences.push_back(declared.absence);
    }
    runs.push_back({place.number, results, mode == sortivo::DrawMode::Teams});
    return sortivo::awardPrizes(place.prizes.size(), runs, absences);
}

// Whether two names are one file, as far as the system tells: a name not yet a file is no other.
bool sameFile(const std::string& a, const std::string& b)
{
    struct stat first;
    struct stat second;
    if (a.empty() || b.empty() || ::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// Anything but a plain file or a link at the palmarès's name is refused as the record's is, and
// so is a file the draw reads or writes: the palmarès would replace the list it was drawn from.
std::optional<int> refusePalmaresTarget(const DrawCommandOptions& options)
{
    if (options.palmaresPath.empty())
        return std::nullopt;
    if (!recordTargetAllowed(options.palmaresPath))
        return refuse("Impossible d'enregistrer le palmarès : ce n'est pas un fichier ordinaire.",
                      options.palmaresPath);
    for (const std::string* other :
         {&options.listPath, &options.prizesPath, &options.seedFile, &options.recordPath})
        if (sameFile(options.palmaresPath, *other) || options.palmaresPath == *other)
            return refuse("--palmares : ce fichier est déjà la liste, les lots, la graine ou le "
                          "procès-verbal du tirage ; donnez-en un autre.",
                          options.palmaresPath, exitstatus::usageError);
    return std::nullopt;
}

// Writes the palmarès of the session once this run, started at `date`, drew `drawn` (indexes in
// `entries`, in draw order): the earlier runs' results as their record gives them, this run's
// with the row of the table they came from, when they came from one. Through the one atomic
// writer, as the record.
int writePalmares(const DrawCommandOptions& options, const SessionPlace& place,
                  const std::string& date, const sortivo::ListFileEntries& entries,
                  const std::vector<std::size_t>& drawn, const TableInput& table)
{
    const auto teamSizeOf = [](const sortivo::DrawRequest& request) {
        return request.mode == sortivo::DrawMode::Teams ? request.teamSize : 0;
    };
    sortivo::PalmaresInput input;
    input.prizes = place.prizes;
    std::vector<sortivo::PrizeRun> prizeRuns;
    std::size_t earlierResults = 0;
    if (place.earlier) {
        for (const sortivo::RecordRun& run : place.earlier->runs) {
            input.runs.push_back(
                {run.number, std::string(run.date), run.results.size, teamSizeOf(run.request)});
            earlierResults += run.results.size;
        }
        for (const sortivo::DeclaredAbsence& declared : place.earlier->absences)
            input.absences.push_back(declared.absence);
    }
    input.runs.push_back(
        {place.number, date, drawn.size(), teamSizeOf({options.mode, 0, options.teamSize})});
    for (const sortivo::PalmaresRun& run : input.runs)
        prizeRuns.push_back({run.number, run.results, run.teamSize > 0});
    const sortivo::ResultPlaces places(prizeRuns);
    input.resultText = [&](std::size_t r) {
        if (r >= earlierResults)
            return entries.at(drawn[r - earlierResults]);
        const sortivo::ResultPlaces::Place where = places(r);
        return place.earlier->runs[where.run].results.at(where.rank - 1);
    };
    const sortivo::Expected<sortivo::PalmaresPage> palmares = sortivo::palmaresRows(input);
    if (!palmares)
        return refuse(palmares.error().text);
    const std::vector<sortivo::PalmaresRow>& rows = palmares->rows;

    sortivo::SourceColumns source;
    // Each entry of a table is one of its rows; the earlier runs' lists are not at hand.
    if (!table.entryRows.empty() && table.entryRows.size() == entries.size()) {
        source.names = table.sourceNames;
        source.cellsOf = [&](std::size_t r) {
            std::vector<std::string> cells;
            if (r < earlierResults)
                return cells;
            const std::size_t row = table.entryRows[drawn[r - earlierResults]];
            for (std::size_t column = 0; column < table.source.columnCount(); ++column)
                cells.emplace_back(table.source.cell(row, column));
            return cells;
        };
    }
    const sortivo::PalmaresFormat format =
        *sortivo::palmaresFormatOf(QString::fromLocal8Bit(options.palmaresPath));
    const sortivo::Expected<std::string> bytes =
        sortivo::exportBytes(sortivo::palmaresTable(rows, source), format);
    if (!bytes)
        return refuse("Impossible d'enregistrer le palmarès : " + bytes.error().text,
                      options.palmaresPath);
    sortivo::FileSystem files;
    sortivo::AtomicFile file(options.palmaresPath, files, sortivo::newFileMode());
    if (!file.open() || !file.write(*bytes) || !file.commit())
        return refuse("Impossible d'enregistrer le palmarès : " + file.error() + ".",
                      options.palmaresPath);
    return exitstatus::done;
}

// Writes the run's `count` results, `at(k)` giving the k-th drawn; `beforeReads` is called just
// before the first is read. With prizes, each is written with what it wins, "Vélo : Dupont
// Marie", or as the reserve it is, "Suppléant n° 1 : Martin Léo"; teams, which win nothing, and
// results without prizes as they were drawn.
template <typename At, typename BeforeReads>
int printResults(const DrawCommandOptions& options, const SessionPlace& place, std::size_t count,
                 At at, BeforeReads beforeReads)
{
    ResultOutput output(options.teamSize, options.crlf);
    if (place.prizes.empty() || options.mode == sortivo::DrawMode::Teams) {
        beforeReads();
        for (std::size_t k = 0; k < count; ++k)
            output.append(at(k));
        return output.finish() ? exitstatus::done : refuse("Impossible d'écrire les résultats.");
    }
    const sortivo::Expected<sortivo::PrizeAwards> awards =
        sessionAwards(place, options.mode, count);
    if (!awards)
        return refuse(awards.error().text);
    const std::size_t first = awards->results.size() - count;
    std::string line;
    beforeReads();
    for (std::size_t k = 0; k < count; ++k) {
        const sortivo::Standing& standing = awards->results[first + k];
        line = standing.kind == sortivo::Standing::Kind::Winner
                   ? place.prizes[*standing.prize]
                   : "Suppléant n° " + std::to_string(standing.reserve);
        line += " : ";
        line += at(k);
        output.append(line);
    }
    return output.finish() ? exitstatus::done : refuse("Impossible d'écrire les résultats.");
}

// With a record: the record is written first, so that no result is shown without it, then
// the results. The record is the one the window writes, through the same writer, holding every
// run of the session so far. Only where the entries drawn start is kept between the two: a copy
// of the results would double the memory a large list takes.
int drawWithRecord(const DrawCommandOptions& options, const sortivo::ListFileEntries& entries,
                   const KeptSeed& seed, const SessionPlace& place, const std::string& software,
                   const TableInput& table)
{
    const std::string date = sortivo::isoTimeNow();
    const std::string fingerprint = fingerprintOf(entries);
    const std::int32_t drawCount = drawCountOf(options, entries.size());
    std::vector<std::uint32_t> starts;
    starts.reserve(std::size_t(drawCount));
    // Kept for the palmarès only, which finds each winner's row by it.
    std::vector<std::size_t> indexes;
    drawEntries<Reads::Start>(entries,
                              sortivo::DrawWords(sortivo::runKey(
                                  seed.seed, place.number, fingerprint, options.publicValue,
                                  sortivo::protocolNameFor(seed.onePrizePerPerson))),
                              drawCount, seed.onePrizePerPerson, [&](std::size_t index) {
                                  starts.push_back(entries.startOf(index));
                                  if (!options.palmaresPath.empty())
                                      indexes.push_back(index);
                              });
    const DrawnEntries drawn(entries, starts);

    bool listChanged = false;
    if (place.earlier)
        listChanged = place.earlier->nextRunListChanged(date, fingerprint);
    else if (seed.list) {
        const sortivo::CommunicatedListCheck check(*seed.list, seed.communicatedAt);
        listChanged = check.covers(date) && check.changed(fingerprint);
    }
    std::vector<sortivo::RecordRun> runs;
    if (place.earlier)
        runs = place.earlier->runs;
    runs.push_back(sortivo::RecordRun{
        place.number, date, sortivo::DrawRequest{options.mode, drawCount, options.teamSize},
        sortivo::RecordStrings{entries.size(), [&](std::size_t i) { return entries.at(i); }},
        fingerprint,
        sortivo::RecordStrings{drawn.size(), [&](std::size_t k) { return drawn.at(k); }}, false,
        listChanged});
    const std::optional<std::string> communicatedAt =
        seed.communicatedAt.empty() ? std::nullopt : std::optional(seed.communicatedAt);
    const std::span<const sortivo::DeclaredAbsence> absences =
        place.earlier ? std::span(place.earlier->absences)
                      : std::span<const sortivo::DeclaredAbsence>();
    const sortivo::Expected<void> written =
        writeRecord(options.recordPath, [&](const std::function<void(std::string_view)>& write) {
            sortivo::writeRecordJson(
                {software, seed.seed, communicatedAt, options.publicValue,
                 seed.list ? &*seed.list : nullptr, seed.onePrizePerPerson, place.prizes,
                 place.communicatedPrizes ? &*place.communicatedPrizes : nullptr, absences},
                runs, write);
        });
    if (!written)
        return refuse(written.error().text, options.recordPath);

    // The palmarès after the results: a palmarès that cannot be written loses no result.
    const int printed = printResults(
        options, place, drawn.size(), [&](std::size_t k) { return drawn.at(k); },
        [&] { drawn.prefetchStart(); });
    if (printed != exitstatus::done || options.palmaresPath.empty())
        return printed;
    return writePalmares(options, place, date, entries, indexes, table);
}

std::string runsText(std::int64_t runs)
{
    return sortivo::frenchCount(std::uint64_t(runs), "tirage", "tirages", sortivo::Thousands::None);
}

// The record a --suite draw continues, checked against its seed file.
sortivo::Expected<sortivo::CheckedRecord> readEarlierRecord(const DrawCommandOptions& options,
                                                            const KeptSeed& seed)
{
    using sortivo::Refusal;
    if (seed.runs == 0)
        return Refusal{"--suite continue une session, mais ce fichier de graine n'a encore servi "
                       "à aucun tirage."};
    const sortivo::Expected<std::string> bytes = readRecordFile(options.recordPath.c_str());
    if (!bytes)
        return Refusal{"Impossible de lire le procès-verbal des tirages précédents (" +
                       bytes.error().text + ")."};
    std::optional<sortivo::CheckedRecord> earlier;
    const sortivo::VerifyResult verdict = sortivo::readCheckedRecord(*bytes, earlier);
    if (!verdict.conforming)
        return Refusal{"Le procès-verbal des tirages précédents n'est pas conforme : " +
                       verdict.message};
    if (earlier->seed != seed.seed)
        return Refusal{
            "Le procès-verbal donné est celui d'un autre engagement que le fichier de graine."};
    if (earlier->publicValue != options.publicValue)
        return Refusal{"La session a été tirée avec la valeur publique « " + earlier->publicValue +
                       " » : donnez-la avec --valeur-publique."};
    if (earlier->onePrizePerPerson != seed.onePrizePerPerson)
        return Refusal{"Le procès-verbal donné et le fichier de graine ne suivent pas la même "
                       "règle « Un seul lot par personne »."};
    if (const bool committed = !seed.prizes.empty();
        earlier->communicatedPrizes.has_value() != committed ||
        (committed && earlier->prizes != seed.prizes))
        return Refusal{"Le procès-verbal donné et le fichier de graine n'ont pas les mêmes lots."};
    if (std::int64_t(earlier->runs.size()) != seed.runs)
        return Refusal{"Le procès-verbal donné compte " +
                       runsText(std::int64_t(earlier->runs.size())) + ", le fichier de graine " +
                       runsText(seed.runs) +
                       " : donnez le procès-verbal de tous les tirages de la session."};
    return std::move(*earlier);
}

// The list at `path` ("-": the standard input), read as Open reads it, or nothing with
// `status` set once the reason is told.
std::optional<sortivo::ListFileEntries> readList(const DrawCommandOptions& options,
                                                 const std::string& path, int& status,
                                                 TableInput* keptTable = nullptr)
{
    status = exitstatus::badInput;
    const bool standardInput = path == "-";
    const std::string shownPath = standardInput ? "(entrée standard)" : path;
    if (!standardInput)
        if (const std::optional<ListFileRefusal> refusal = refusalBeforeReading(path))
            return refuse(refusal->utf8(), shownPath), std::nullopt;
    sortivo::Expected<ListFile, ListFileRefusal> read =
        readListFile({standardInput ? std::string() : path, nullptr, {}});
    if (!read)
        return refuse(read.error().utf8(), shownPath), std::nullopt;
    ListFile& file = *read;
    sortivo::Expected<TableInput, CommandRefusal> table = readTableInput(options, file.sheets);
    if (!table) {
        const CommandRefusal& why = table.error();
        status = refuse(why.text, why.status == exitstatus::badInput ? shownPath : std::string(),
                        why.status);
        return std::nullopt;
    }
    file.sheets.clear();
    if (table->table) {
        std::fputs(table->told.c_str(), stderr);
        file.text = std::move(table->listText);
        if (keptTable)
            *keptTable = std::move(*table);
    }
    std::optional<sortivo::ListFileEntries> entries =
        sortivo::ListFileEntries::read(std::move(file.text));
    if (!entries)
        return refuse(ListFileRefusal(ListFileRefusal::NotText).utf8(), shownPath), std::nullopt;
    if (const sortivo::DecodedList::Status limits = entries->checkLimits(sortivo::listFileLimits);
        limits != sortivo::DecodedList::Status::Ok)
        return refuse(ListFileRefusal(decodeRefusal(limits)).utf8(), shownPath), std::nullopt;
    // Told before anything else, even when the list read is empty: the lines are in the file.
    if (entries->unread())
        std::fprintf(stderr, "sortivo tirer : %s\n",
                     sortivo::unreadLinesMessage(*entries->unread()).c_str());
    if (entries->size() == 0)
        return refuse("La liste est vide.", shownPath), std::nullopt;
    status = exitstatus::done;
    return entries;
}

// The prizes of --lots, or nothing with `status` set once the reason is told.
std::optional<std::vector<std::string>> readPrizes(const DrawCommandOptions& options, int& status)
{
    sortivo::Expected<PrizeInput, CommandRefusal> read =
        readPrizeFile(options.prizesPath, options.prizeColumn);
    if (!read) {
        const CommandRefusal& why = read.error();
        status = refuse(why.text,
                        why.status == exitstatus::badInput ? options.prizesPath : std::string(),
                        why.status);
        return std::nullopt;
    }
    std::fputs(read->told.c_str(), stderr);
    status = exitstatus::done;
    return std::move(read->prizes);
}

int commit(const DrawCommandOptions& options)
{
    KeptSeed kept{sortivo::freshSeed(),
                  sortivo::isoTimeNow(),
                  std::nullopt,
                  options.onePrizePerPerson,
                  {},
                  0};
    if (!options.prizesPath.empty()) {
        int status = exitstatus::done;
        std::optional<std::vector<std::string>> prizes = readPrizes(options, status);
        if (!prizes)
            return status;
        kept.prizes = std::move(*prizes);
    }
    if (!options.commitListPath.empty()) {
        int status = exitstatus::done;
        const std::optional<sortivo::ListFileEntries> entries =
            readList(options, options.commitListPath, status);
        if (!entries)
            return status;
        kept.list = sortivo::CommunicatedList{entries->size(), fingerprintOf(*entries)};
    }
    if (const sortivo::Expected<void> written = writeSeedFile(options.seedFile, kept); !written)
        return refuse(written.error().text, options.seedFile);
    // A closed pipe must fail the write, not end the program before the file is removed.
    std::signal(SIGPIPE, SIG_IGN);
    std::string line = sortivo::commitmentOf(kept.seed) + "\n";
    // The whole fingerprint: it is published, and compared with the record's.
    if (kept.list)
        line += sortivo::listLine(*kept.list, kept.list->fingerprint.size()) + "\n";
    if (kept.onePrizePerPerson)
        line += std::string(sortivo::onePrizeLine) + "\n";
    if (!kept.prizes.empty()) {
        const sortivo::CommunicatedPrizes shown = sortivo::communicatedPrizesOf(kept.prizes);
        line += sortivo::prizesLine(shown, shown.fingerprint.size()) + "\n";
    }
    // A seed whose commitment nobody saw is of no use, and would block its file for ever.
    if (!writeAll(STDOUT_FILENO, line)) {
        ::unlink(options.seedFile.c_str());
        return refuse("Impossible d'écrire l'engagement.");
    }
    // Published alone, the commitment leaves the list's order to be chosen once the public value
    // is known: the organiser is told now, while the list can still be fixed.
    if (!kept.list)
        std::fprintf(stderr,
                     "sortivo tirer : ATTENTION : %s\nsortivo tirer : Pour fixer la liste avec "
                     "l'engagement, donnez-la avec --liste FICHIER et publiez sa ligne « Liste : "
                     "… » avec lui.\n",
                     std::string(sortivo::listNotCommunicatedWarning).c_str());
    return exitstatus::done;
}

} // namespace

int runDrawCommand(const DrawCommandOptions& options, const std::string& software)
{
    if (options.commitOnly)
        return commit(options);

    int status = exitstatus::done;
    TableInput table;
    const std::optional<sortivo::ListFileEntries> entries = readList(
        options, options.listPath, status, options.palmaresPath.empty() ? nullptr : &table);
    if (!entries)
        return status;
    const std::string shownPath = options.listPath == "-" ? "(entrée standard)" : options.listPath;
    if (options.mode == sortivo::DrawMode::Chosen && std::size_t(options.count) > entries->size())
        return refuse("La liste n'a que " + std::to_string(entries->size()) +
                          " éléments : impossible d'en tirer " + std::to_string(options.count) +
                          ".",
                      shownPath);
    std::vector<std::string> givenPrizes;
    if (!options.prizesPath.empty()) {
        std::optional<std::vector<std::string>> prizes = readPrizes(options, status);
        if (!prizes)
            return status;
        givenPrizes = std::move(*prizes);
    }
    // Told before the seed is spent, when this run's rows alone are already too many.
    if (const std::optional<std::string> tooMany = sortivo::palmaresRowsRefusal(
            QString::fromLocal8Bit(options.palmaresPath),
            std::size_t(drawCountOf(options, entries->size())) + givenPrizes.size()))
        return refuse("Impossible d'enregistrer le palmarès : " + *tooMany, options.palmaresPath);

    KeptSeed seed;
    if (!options.seedHex.empty()) {
        seed.seed = *sortivo::digestFromHex(options.seedHex);
    } else if (!options.seedFile.empty()) {
        sortivo::Expected<KeptSeed> kept = readSeedFile(options.seedFile);
        if (!kept)
            return refuse(kept.error().text, options.seedFile);
        seed = std::move(*kept);
        // The rule was fixed, or not, with the commitment: a draw cannot add it afterwards.
        if (options.onePrizePerPerson && !seed.onePrizePerPerson)
            return refuse("Ce fichier de graine a été engagé sans la règle « Un seul lot par "
                          "personne » : --un-lot-par-personne ne peut plus s'y ajouter. Prenez "
                          "une graine neuve avec --engagement --un-lot-par-personne.",
                          options.seedFile);
        // So were the prizes: given again, they must be those.
        if (!seed.prizes.empty() && !givenPrizes.empty() && givenPrizes != seed.prizes)
            return refuse("Ce fichier de graine a été engagé avec d'autres lots (" +
                              sortivo::prizesLine(sortivo::communicatedPrizesOf(seed.prizes),
                                                  sortivo::shownListDigits) +
                              ") : --lots ne peut plus les changer. Retirez --lots, ou prenez "
                              "une graine neuve avec --engagement --lots.",
                          options.seedFile);
    } else {
        seed.seed = sortivo::freshSeed();
    }
    seed.onePrizePerPerson = seed.onePrizePerPerson || options.onePrizePerPerson;
    if (!options.recordPath.empty() && !recordTargetAllowed(options.recordPath))
        return refuse("Impossible d'enregistrer le procès-verbal : ce n'est pas un fichier "
                      "ordinaire.",
                      options.recordPath);
    if (const std::optional<int> refused = refusePalmaresTarget(options))
        return *refused;

    SessionPlace place;
    place.prizes = seed.prizes.empty() ? std::move(givenPrizes) : seed.prizes;
    if (!seed.prizes.empty())
        place.communicatedPrizes = sortivo::communicatedPrizesOf(seed.prizes);
    if (!options.seedFile.empty()) {
        // Drawing again from a seed whose public value is known would let an order of the list
        // be chosen offline and then drawn "for the first time": every draw is a numbered run.
        if (seed.runs > 0 && !options.continuesSession)
            return refuse("Ce fichier de graine a déjà servi (" + runsText(seed.runs) +
                              ") : un nouveau tirage serait le tirage n° " +
                              std::to_string(seed.runs + 1) +
                              " de la même session. Ajoutez --suite et le procès-verbal des "
                              "tirages précédents (--pv), ou prenez une graine neuve "
                              "(--engagement).",
                          options.seedFile);
        if (options.continuesSession) {
            sortivo::Expected<sortivo::CheckedRecord> earlier = readEarlierRecord(options, seed);
            if (!earlier)
                return refuse(earlier.error().text, options.recordPath);
            // Prizes not fixed with the commitment were fixed by the session's first run.
            if (seed.prizes.empty() && !options.prizesPath.empty() &&
                place.prizes != earlier->prizes)
                return refuse(earlier->prizes.empty()
                                  ? "La session a été tirée sans lots : --lots ne peut plus s'y "
                                    "ajouter."
                                  : "La session a été tirée avec d'autres lots : --lots ne peut "
                                    "plus les changer. Retirez --lots, ou redonnez les mêmes.",
                              options.recordPath);
            place.prizes = earlier->prizes;
            place.earlier = std::move(*earlier);
        }
        place.number = seed.runs + 1;
        // Spent before anything is shown: a draw whose output fails is still a run.
        seed.runs = place.number;
        if (const sortivo::Expected<void> kept = rewriteSeedFile(options.seedFile, seed); !kept)
            return refuse(kept.error().text, options.seedFile);
    }

    if (!options.recordPath.empty())
        return drawWithRecord(options, *entries, seed, place, software, table);

    const sortivo::Digest key =
        sortivo::runKey(seed.seed, place.number, fingerprintOf(*entries), options.publicValue,
                        sortivo::protocolNameFor(seed.onePrizePerPerson));
    const std::int32_t drawCount = drawCountOf(options, entries->size());
    if ((!place.prizes.empty() && options.mode != sortivo::DrawMode::Teams) ||
        !options.palmaresPath.empty()) {
        const std::string date = sortivo::isoTimeNow();
        // What each result wins is known once all are drawn: kept by index until then.
        std::vector<std::size_t> drawn;
        drawEntries<Reads::Start>(*entries, sortivo::DrawWords(key), drawCount,
                                  seed.onePrizePerPerson,
                                  [&](std::size_t index) { drawn.push_back(index); });
        const int printed = printResults(
            options, place, drawn.size(), [&](std::size_t k) { return entries->at(drawn[k]); },
            [] {});
        if (printed != exitstatus::done || options.palmaresPath.empty())
            return printed;
        return writePalmares(options, place, date, *entries, drawn, table);
    }
    ResultOutput output(options.teamSize, options.crlf);
    drawEntries<Reads::Entry>(*entries, sortivo::DrawWords(key), drawCount, seed.onePrizePerPerson,
                              [&](std::size_t index) { output.appendLine(entries->line(index)); });
    if (!output.finish())
        return refuse("Impossible d'écrire les résultats.");
    return exitstatus::done;
}
