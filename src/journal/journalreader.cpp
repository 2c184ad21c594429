#include "journal/journalreader.h"

#include "core/list/entrylist.h"
#include "journal/journalsql.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <stdexcept>
#include <sys/stat.h>

namespace sortivo
{

using journalsql::EventRow;
using journalsql::Kind;
using journalsql::Statement;

namespace
{

JournalContents readContents(sqlite3* db);

// Thrown from deep in the reading, and turned into a refusal where a reading ends.
[[noreturn]] void unreadable(const std::string& why)
{
    throw std::runtime_error(why);
}

void checkHeader(sqlite3* db)
{
    if (journalsql::queryInteger(db, "PRAGMA application_id") != journalsql::applicationId)
        unreadable("ce fichier n'est pas un journal de séance");
    const std::int64_t version = journalsql::queryInteger(db, "PRAGMA user_version");
    if (version != journalsql::formatVersion)
        unreadable("journal de version " + std::to_string(version) + " inconnue");
    Statement objects(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema ORDER BY name");
    std::size_t i = 0;
    for (; objects.step(); ++i) {
        if (i == std::size(journalsql::schema) || objects.bytes(0) != "table" ||
            objects.bytes(1) != journalsql::schemaNames[i] ||
            objects.bytes(2) != journalsql::schemaNames[i] ||
            objects.bytes(3) != journalsql::schema[i])
            unreadable("tables du journal inattendues");
    }
    if (i != std::size(journalsql::schema))
        unreadable("tables du journal incomplètes");
}

std::int64_t required(const std::optional<std::int64_t>& value, std::int64_t low, std::int64_t high)
{
    if (!value || *value < low || *value > high)
        unreadable("valeur hors limites dans le journal");
    return *value;
}

const std::string& required(const std::optional<std::string>& text)
{
    if (!text)
        unreadable("valeur absente dans le journal");
    return *text;
}

JournalEvent eventOf(const EventRow& row)
{
    switch (Kind(row.kind)) {
    case Kind::Texts:
        return JournalTexts{};
    case Kind::Communicated:
        return JournalCommunicated{
            required(row.time),
            {std::size_t(required(row.count, 0, INT64_MAX)), required(row.value)}};
    case Kind::PublicValue:
        return JournalPublicValue{required(row.value)};
    case Kind::Rule:
        return JournalRule{required(row.count, 0, 1) != 0};
    case Kind::Prizes: {
        JournalPrizes prizes;
        std::string_view lines = required(row.value);
        for (std::size_t end; (end = lines.find('\n')) != std::string_view::npos;
             lines.remove_prefix(end + 1))
            prizes.prizes.emplace_back(lines.substr(0, end));
        if (!lines.empty() ||
            std::int64_t(prizes.prizes.size()) != required(row.count, 0, INT64_MAX))
            unreadable("lots mal écrits dans le journal");
        return prizes;
    }
    case Kind::Absence:
        return DeclaredAbsence{{required(row.number, 1, INT64_MAX),
                                std::size_t(required(row.count, 1, INT64_MAX)), required(row.value),
                                required(row.drawCount, 1, INT64_MAX)},
                               required(row.time)};
    case Kind::Title:
        return JournalTitle{required(row.value)};
    case Kind::Screen:
        return JournalScreen{
            {ShownScreen::State(required(row.count, 0, 2)), std::string(required(row.value))}};
    case Kind::Event: {
        std::string_view value = required(row.value);
        const auto next = [&value] {
            const std::size_t colon = value.find(':');
            if (colon == std::string_view::npos || colon == 0)
                unreadable("événement mal écrit dans le journal");
            std::size_t size = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + colon, size);
            if (error != std::errc() || end != value.data() + colon ||
                size > value.size() - colon - 1)
                unreadable("événement mal écrit dans le journal");
            std::string text(value.substr(colon + 1, size));
            value.remove_prefix(colon + 1 + size);
            return text;
        };
        EventDetails event;
        event.organizer = next();
        event.place = next();
        event.rules = next();
        event.rulesSha256 = next();
        event.authorization = next();
        for (auto witnesses = required(row.count, 0, INT32_MAX); witnesses > 0; --witnesses) {
            Witness witness;
            witness.name = next();
            witness.capacity = next();
            event.witnesses.push_back(std::move(witness));
        }
        if (!value.empty())
            unreadable("événement mal écrit dans le journal");
        return event;
    }
    case Kind::Resumption:
        return Resumption{required(row.time), required(row.value)};
    case Kind::Run: {
        JournalRun run;
        run.start.number = required(row.number, 1, INT64_MAX);
        run.start.date = required(row.time);
        run.start.request.mode = DrawMode(required(row.mode, 0, 3));
        run.start.request.drawCount = std::int32_t(required(row.drawCount, 0, INT32_MAX));
        run.start.request.teamSize = int(required(row.teamSize, 0, INT_MAX));
        run.start.belowExisting = required(row.belowExisting, 0, 1) != 0;
        run.start.onLeftover = required(row.onLeftover, 0, 1) != 0;
        run.start.entryCount = std::size_t(required(row.count, 0, INT64_MAX));
        run.start.fingerprint = required(row.value);
        run.drawsDone = std::int32_t(required(row.drawsDone, 0, INT32_MAX));
        run.ended = required(row.ended, 0, 1) != 0;
        return run;
    }
    }
    unreadable("événement inconnu dans le journal");
}

std::optional<std::int64_t> integerColumn(const Statement& row, int column)
{
    if (!row.isNull(column) && !row.isInteger(column))
        unreadable("valeur d'un autre type dans le journal");
    return row.optionalInteger(column);
}

std::optional<std::string> textColumn(const Statement& row, int column)
{
    if (!row.isNull(column) && !row.isText(column))
        unreadable("valeur d'un autre type dans le journal");
    return row.optionalText(column);
}

bool sumMatches(const Statement& row, int column, const Digest& sum)
{
    return row.isBlob(column) &&
           row.bytes(column) ==
               std::string_view(reinterpret_cast<const char*>(sum.data()), sum.size());
}

void readSession(sqlite3* db, JournalContents& contents)
{
    Statement session(db, "SELECT seed, started_at, sum FROM session");
    if (!session.step())
        unreadable("journal sans séance");
    const std::optional<std::string> seedHex = textColumn(session, 0);
    const std::optional<std::string> startedAt = textColumn(session, 1);
    if (!seedHex || !startedAt ||
        !sumMatches(session, 2, journalsql::sessionSum(*seedHex, *startedAt)))
        unreadable("séance du journal altérée");
    const std::optional<Digest> seed = digestFromHex(*seedHex);
    if (!seed)
        unreadable("graine du journal illisible");
    if (session.step())
        unreadable("journal de plusieurs séances");
    contents.seed = *seed;
    contents.startedAt = *startedAt;
}

void readEvents(sqlite3* db, JournalContents& contents, std::vector<std::int64_t>& seqs)
{
    Statement events(db, std::string("SELECT ") + journalsql::eventColumns +
                             ", sum FROM event ORDER BY seq");
    std::int64_t runs = 0;
    while (events.step()) {
        if (!events.isInteger(0) || !events.isInteger(1))
            unreadable("événement du journal altéré");
        EventRow row{events.integer(0),        events.integer(1),         textColumn(events, 2),
                     textColumn(events, 3),    integerColumn(events, 4),  integerColumn(events, 5),
                     integerColumn(events, 6), integerColumn(events, 7),  integerColumn(events, 8),
                     integerColumn(events, 9), integerColumn(events, 10), integerColumn(events, 11),
                     integerColumn(events, 12)};
        if (!sumMatches(events, 13, journalsql::rowSum(row)))
            unreadable("événement du journal altéré");
        JournalEvent event = eventOf(row);
        if (const auto* run = std::get_if<JournalRun>(&event); run && run->start.number != ++runs)
            unreadable("tirages du journal dans le désordre");
        seqs.push_back(row.seq);
        contents.events.push_back(std::move(event));
    }
}

void readTexts(sqlite3* db, JournalContents& contents, const std::vector<std::int64_t>& seqs)
{
    Statement texts(db, "SELECT event, box, body, sha256 FROM text ORDER BY id");
    while (texts.step()) {
        const std::optional<std::int64_t> seq = integerColumn(texts, 0);
        const std::int64_t box = required(integerColumn(texts, 1), 0, 1);
        const auto at = std::lower_bound(seqs.begin(), seqs.end(), seq.value_or(0));
        if (!seq || at == seqs.end() || *at != *seq || !texts.isBlob(3))
            unreadable("texte du journal sans événement");
        JournalEvent& event = contents.events[std::size_t(at - seqs.begin())];
        JournalTexts* boxes = std::get_if<JournalTexts>(&event);
        if (auto* run = std::get_if<JournalRun>(&event))
            boxes = &run->texts;
        if (!boxes)
            unreadable("texte du journal sans événement");
        std::optional<std::string>& text = box == 0 ? boxes->list : boxes->results;
        if (text)
            unreadable("texte du journal en double");
        std::string body = texts.isNull(2) ? std::string() : texts.bytes(2);
        if (texts.isNull(2) || !sumMatches(texts, 3, sha256(body)))
            unreadable("texte du journal altéré");
        text = std::move(body);
    }
}

class Database
{
public:
    explicit Database(const std::string& path)
    {
        // No CREATE: a journal gone meanwhile must not come back empty.
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW;
        if (sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
            // SQLite hands over a connection even when it fails, to tell why.
            const std::string why = m_db ? sqlite3_errmsg(m_db) : "SQLite : mémoire épuisée";
            sqlite3_close(m_db);
            unreadable(why);
        }
    }
    ~Database() { sqlite3_close(m_db); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    sqlite3* get() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

std::int64_t fileSize(const std::string& path)
{
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 ? std::int64_t(status.st_size) : 0;
}

JournalContents readFile(const std::string& path)
{
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        unreadable("le journal n'est pas un fichier");
    Database database(path);
    sqlite3* db = database.get();
    // The file may be anyone's: nothing in it runs, nothing it says is bigger than it is, and
    // reading it leaves its log where it is, for a look at it as it was.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    const std::int64_t bytes = status.st_size + fileSize(path + "-wal") + 65536;
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, int(std::min<std::int64_t>(bytes, INT_MAX)));
    journalsql::exec(db, "PRAGMA cell_size_check=ON");
    {
        // The structure first: the checksums cover the rows, not the pages that lead to them.
        Statement check(db, "PRAGMA quick_check");
        if (!check.step() || check.bytes(0) != "ok")
            unreadable("journal endommagé");
    }
    return readContents(db);
}

JournalContents readContents(sqlite3* db)
{
    try {
        JournalContents contents;
        std::vector<std::int64_t> seqs;
        journalsql::exec(db, "BEGIN");
        checkHeader(db);
        readSession(db, contents);
        readEvents(db, contents, seqs);
        readTexts(db, contents, seqs);
        journalsql::exec(db, "COMMIT");
        return contents;
    } catch (const std::exception& e) {
        if (db)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

} // namespace

Expected<JournalContents> readJournal(sqlite3* db)
{
    try {
        return readContents(db);
    } catch (const std::exception& e) {
        return Refusal{e.what()};
    }
}

Expected<JournalContents> readJournal(const std::string& path)
{
    try {
        return readFile(path);
    } catch (const std::exception& e) {
        return Refusal{e.what()};
    }
}

namespace
{

// The boxes as the window had them, run after run. What a run left becomes the list text
// only when something reads it: a session drawn click after click from a long list would
// otherwise join that list again after every run.
class Replay
{
public:
    explicit Replay(const JournalContents& contents)
        : m_session{ProofSession(contents.seed), contents.startedAt, {}, {}, 0, {}}
    {
    }

    void apply(const JournalTexts& texts)
    {
        if (texts.list) {
            m_lastRun.reset();
            m_session.list = *texts.list;
        }
        if (texts.results)
            m_session.results = *texts.results;
    }
    void apply(const JournalCommunicated& communicated)
    {
        m_session.proof.noteCommunicated(communicated.time, communicated.list);
    }
    void apply(const JournalPublicValue& value)
    {
        if (!m_session.proof.setPublicValue(value.value))
            unreadable("valeur publique donnée hors de son temps");
    }
    void apply(const JournalRule& rule)
    {
        if (!m_session.proof.setOnePrizePerPerson(rule.onePrizePerPerson))
            unreadable("règle du tirage donnée hors de son temps");
    }
    void apply(const JournalPrizes& prizes)
    {
        if (!m_session.proof.setPrizes(prizes.prizes))
            unreadable("lots donnés après leur communication");
    }
    void apply(const JournalTitle& title) { m_session.proof.setTitle(title.title); }
    void apply(const JournalScreen& screen) { m_session.screen = screen.screen; }
    void apply(const EventDetails& event) { m_session.proof.setEvent(event); }
    void apply(const Resumption& resumption) { m_session.proof.addResumption(resumption); }
    void apply(const DeclaredAbsence& declared)
    {
        const Absence& absence = declared.absence;
        if (m_session.proof.runs().empty() ||
            m_session.proof.runs().back().number != absence.afterRun)
            unreadable("absence déclarée hors de son temps");
        if (!m_session.proof.declareAbsent(absence.run, absence.rank, absence.reason,
                                           declared.date))
            unreadable("absence qui ne se rejoue pas");
    }
    void apply(const JournalRun& run);

    ResumedSession finish()
    {
        settleList();
        for (const RunRecord& run : m_session.proof.runs())
            m_session.resultCount += run.results.size();
        return std::move(m_session);
    }

private:
    void settleList()
    {
        if (m_lastRun)
            m_session.list = m_lastRun->remainingListText();
        m_lastRun.reset();
    }

    ResumedSession m_session;
    std::optional<DrawRun> m_lastRun;
};

void Replay::apply(const JournalRun& run)
{
    ProofSession& proof = m_session.proof;
    const JournalRunStart& start = run.start;
    const std::string number = "tirage n° " + std::to_string(start.number);
    apply(run.texts);
    if (!start.belowExisting)
        m_session.results.clear();
    if (start.number != std::int64_t(proof.runs().size()) + 1)
        unreadable(number + " hors de son ordre");
    const ResultStart results{start.belowExisting, "\r\n"};
    std::optional<DrawRun> replayed;
    if (start.onLeftover) {
        if (proof.leftoverCount() != start.entryCount)
            unreadable(number + " : ce qui restait ne compte pas ses entrées");
        replayed.emplace(proof.beginRunOnLeftover(results, start.request, start.date));
    } else {
        settleList();
        EntryList entries = loadEntries(m_session.list);
        if (entries.size() != start.entryCount)
            unreadable(number + " : la liste ne compte pas ses entrées");
        replayed.emplace(proof.beginRun(std::move(entries), results, start.request, start.date));
    }
    replayed->drawMany(run.drawsDone);
    if (replayed->drawsDone() != run.drawsDone)
        unreadable(number + " : plus de résultats que d'entrées");
    proof.endRun(*replayed);
    if (proof.runs().back().fingerprint != start.fingerprint)
        unreadable(number + " : liste différente de celle tirée");
    m_session.results += replayed->resultText();
    m_lastRun = std::move(replayed);
}

ResumedSession replay(const JournalContents& contents)
{
    Replay replay(contents);
    for (const JournalEvent& event : contents.events)
        std::visit([&](const auto& e) { replay.apply(e); }, event);
    return replay.finish();
}

} // namespace

Expected<ResumedSession> replayJournal(const JournalContents& contents)
{
    try {
        return replay(contents);
    } catch (const std::exception& e) {
        // Ours, or the engine's own refusals: what the journal tells cannot have happened.
        return Refusal{e.what()};
    }
}

} // namespace sortivo
