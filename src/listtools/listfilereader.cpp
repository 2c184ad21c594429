#include "listtools/listfilereader.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <optional>

namespace
{

using Outcome = ListFileReader::Outcome;

// The file's bytes, stopping once more than `limit` have come, so that a file streaming
// without end costs no more than the limit. Read in whole pieces: some files of the system
// take reads only in multiples of their record size. Nothing when a read fails or the reading
// was cancelled, which is looked at between pieces. `pieceRead` hears of each whole piece.
std::optional<QByteArray> readPastLimit(QFile& file, qint64 limit, qint64 sizeHint,
                                        const std::atomic<bool>& cancelled,
                                        const std::function<void(qint64)>& pieceRead)
{
    constexpr qint64 piece = qint64(1) << 20;
    QByteArray bytes;
    bytes.reserve(qsizetype(std::clamp(sizeHint + piece, qint64(0), limit + piece)));
    while (bytes.size() <= limit) {
        if (cancelled.load(std::memory_order_relaxed))
            return std::nullopt;
        const qsizetype had = bytes.size();
        bytes.resize(had + qsizetype(piece));
        const qint64 got = file.read(bytes.data() + had, piece);
        if (got < 0)
            return std::nullopt;
        bytes.resize(had + qsizetype(got));
        if (got == 0)
            break;
        if (got == piece)
            pieceRead(bytes.size());
    }
    return bytes;
}

void countDefaultEntries(Outcome& outcome, const std::atomic<bool>& cancelled)
{
    if (outcome.sheets.empty())
        return;
    const sortivo::CellTable& table = outcome.sheets.front().table;
    outcome.choice.titles = sortivo::firstRowLooksLikeTitles(table);
    outcome.choice.columns = sortivo::defaultColumns(table, outcome.choice.titles);
    outcome.entries = sortivo::tableEntries(table, outcome.choice, &cancelled);
}

void readListFile(const QString& path, qint64 sizeHint, qint64 largestFile,
                  const sortivo::DecodeLimits& limits, const std::atomic<bool>& cancelled,
                  const std::function<void(qint64)>& pieceRead, Outcome& outcome)
{
    std::optional<QByteArray> bytes;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            outcome.status = Outcome::Status::CannotOpen;
            outcome.reason = file.errorString();
            return;
        }
        bytes = readPastLimit(file, largestFile, sizeHint, cancelled, pieceRead);
        if (!bytes) {
            outcome.status = cancelled ? Outcome::Status::Cancelled : Outcome::Status::CannotRead;
            outcome.reason = file.errorString();
            return;
        }
    }
    if (bytes->size() > largestFile) {
        outcome.status = Outcome::Status::TooBig;
        return;
    }
    const std::string_view view(bytes->constData(), std::size_t(bytes->size()));
    // A spreadsheet is told by its content; a delimited file only by its name, so that no text
    // list that happens to hold semicolons changes meaning.
    if (const sortivo::SheetKind kind = sortivo::spreadsheetKind(view);
        kind != sortivo::SheetKind::None) {
        sortivo::SheetLimits sheetLimits;
        sheetLimits.table.rows = limits.maxLines + 1;
        sortivo::SheetBook book = sortivo::readSheetBook(view, kind, sheetLimits, cancelled);
        if (!book.error.empty()) {
            outcome.status = Outcome::Status::BadSheet;
            outcome.reason = QString::fromStdString(book.error);
            return;
        }
        outcome.status = cancelled ? Outcome::Status::Cancelled : Outcome::Status::Ok;
        outcome.sheets = std::move(book.sheets);
        countDefaultEntries(outcome, cancelled);
        return;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"csv" || suffix == u"tsv") {
        std::optional<std::string> text = sortivo::decodeTextFile(view);
        bytes.reset();
        if (!text) {
            outcome.status = Outcome::Status::NotText;
            return;
        }
        sortivo::DelimitedTable table =
            sortivo::splitDelimited(*text, sortivo::detectSeparator(*text));
        if (table.table.refused()) {
            outcome.status = Outcome::Status::BadSheet;
            outcome.reason = QStringLiteral("Impossible d'ouvrir le fichier : ") +
                             QString::fromStdString(table.table.refusal());
            return;
        }
        // A quote left open has swallowed the rows after it into one cell.
        if (table.unclosedQuoteLine > 0) {
            outcome.status = Outcome::Status::BadSheet;
            outcome.reason =
                QString::fromStdString(sortivo::unclosedQuoteRefusal(table.unclosedQuoteLine));
            return;
        }
        outcome.status = cancelled ? Outcome::Status::Cancelled : Outcome::Status::Ok;
        outcome.separator = table.separator;
        outcome.delimitedText = std::move(text);
        outcome.sheets.push_back({{}, std::move(table.table)});
        countDefaultEntries(outcome, cancelled);
        return;
    }
    sortivo::DecodedList decoded = sortivo::decodeListFile(view, limits);
    // The decoded text alone goes on: the file's bytes would double what the open holds.
    bytes.reset();
    if (decoded.status != sortivo::DecodedList::Status::Ok) {
        outcome.status = decoded.status == sortivo::DecodedList::Status::NotText
                             ? Outcome::Status::NotText
                         : decoded.status == sortivo::DecodedList::Status::TooManyLines
                             ? Outcome::Status::TooManyLines
                             : Outcome::Status::LineTooLong;
        return;
    }
    outcome.status = cancelled ? Outcome::Status::Cancelled : Outcome::Status::Ok;
    if (outcome.status == Outcome::Status::Ok) {
        outcome.list = sortivo::loadList(std::move(decoded.listText));
        outcome.unread = decoded.unread;
    }
}

} // namespace

ListFileReader::ListFileReader(qint64 largestFile, sortivo::DecodeLimits limits, QObject* parent)
    : QObject(parent), m_largestFile(largestFile), m_limits(limits),
      m_job([this](std::shared_ptr<Outcome> outcome) { ended(std::move(outcome)); })
{
}

void ListFileReader::start(const QString& path, qint64 sizeHint)
{
    m_job.start([this, path, sizeHint](const std::atomic<bool>& cancelled) {
        auto outcome = std::make_shared<Outcome>();
        readListFile(
            path, sizeHint, m_largestFile, m_limits, cancelled,
            [this](qint64 bytes) { emit progressed(bytes); }, *outcome);
        return outcome;
    });
}

void ListFileReader::ended(std::shared_ptr<Outcome> outcome)
{
    if (m_job.stopped()) {
        outcome->status = Outcome::Status::Cancelled;
        outcome->list = {};
        outcome->sheets.clear();
        outcome->delimitedText.reset();
        outcome->entries = {};
    }
    emit finished(std::move(outcome));
}
