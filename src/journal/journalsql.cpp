#include "journal/journalsql.h"

#include "journal/journalstore.h"

#include <sqlite3.h>

namespace sortivo::journalsql
{

namespace
{

// Each value with its type and length in front, so that no two rows hash the same bytes.
class RowHasher
{
public:
    explicit RowHasher(std::string_view table) { text(table); }
    void integer(std::optional<std::int64_t> value)
    {
        if (!value)
            m_hasher.update("n;");
        else
            m_hasher.update("i" + std::to_string(*value) + ";");
    }
    void text(const std::optional<std::string_view>& value)
    {
        if (!value) {
            m_hasher.update("n;");
            return;
        }
        m_hasher.update("t" + std::to_string(value->size()) + ":");
        m_hasher.update(*value);
    }
    Digest finish() { return m_hasher.finish(); }

private:
    Sha256 m_hasher;
};

std::optional<std::string_view> view(const std::optional<std::string>& text)
{
    if (!text)
        return std::nullopt;
    return std::string_view(*text);
}

} // namespace

Digest rowSum(const EventRow& row)
{
    RowHasher hasher("event");
    hasher.integer(row.seq);
    hasher.integer(row.kind);
    hasher.text(view(row.time));
    hasher.text(view(row.value));
    for (const auto& value : {row.count, row.number, row.mode, row.drawCount, row.teamSize,
                              row.belowExisting, row.onLeftover, row.drawsDone, row.ended})
        hasher.integer(value);
    return hasher.finish();
}

Digest sessionSum(std::string_view seedHex, std::string_view startedAt)
{
    RowHasher hasher("session");
    hasher.text(seedHex);
    hasher.text(startedAt);
    return hasher.finish();
}

void fail(sqlite3* db)
{
    throw JournalError(db ? sqlite3_errmsg(db) : "journal fermé");
}

void exec(sqlite3* db, const char* sql)
{
    if (!db || sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(db);
}

Statement::Statement(sqlite3* db, std::string_view sql) : m_db(db)
{
    if (!db)
        fail(db);
    if (sqlite3_prepare_v2(db, sql.data(), int(sql.size()), &m_statement, nullptr) != SQLITE_OK)
        fail(db);
}

Statement::~Statement()
{
    sqlite3_finalize(m_statement);
}

Statement& Statement::bind(int index, std::int64_t value)
{
    if (sqlite3_bind_int64(m_statement, index, value) != SQLITE_OK)
        fail(m_db);
    return *this;
}

Statement& Statement::bind(int index, std::string_view text)
{
    if (sqlite3_bind_text64(m_statement, index, text.data(), text.size(), SQLITE_TRANSIENT,
                            SQLITE_UTF8) != SQLITE_OK)
        fail(m_db);
    return *this;
}

Statement& Statement::bind(int index, const std::optional<std::string>& text)
{
    if (text)
        return bind(index, std::string_view(*text));
    if (sqlite3_bind_null(m_statement, index) != SQLITE_OK)
        fail(m_db);
    return *this;
}

Statement& Statement::bind(int index, const std::optional<std::int64_t>& value)
{
    if (value)
        return bind(index, *value);
    if (sqlite3_bind_null(m_statement, index) != SQLITE_OK)
        fail(m_db);
    return *this;
}

Statement& Statement::bindBlob(int index, std::span<const std::uint8_t> bytes)
{
    if (sqlite3_bind_blob64(m_statement, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        fail(m_db);
    return *this;
}

Statement& Statement::bindBlob(int index, std::string_view bytes)
{
    // A list can be tens of megabytes: SQLite reads it where it lies. A null pointer would be
    // bound as NULL, not as an empty blob.
    if (sqlite3_bind_blob64(m_statement, index, bytes.empty() ? "" : bytes.data(), bytes.size(),
                            SQLITE_STATIC) != SQLITE_OK)
        fail(m_db);
    return *this;
}

bool Statement::step()
{
    const int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW)
        return true;
    if (result == SQLITE_DONE)
        return false;
    fail(m_db);
}

void Statement::run()
{
    while (step()) {
    }
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

bool Statement::isInteger(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_INTEGER;
}

bool Statement::isText(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_TEXT;
}

bool Statement::isBlob(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_BLOB;
}

std::int64_t Statement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

std::string Statement::bytes(int column) const
{
    // The pointer first, then the size, as SQLite asks: the size is that of the form fetched.
    const void* data = sqlite3_column_blob(m_statement, column);
    const int size = sqlite3_column_bytes(m_statement, column);
    if (size > 0 && !data)
        fail(m_db);
    return size > 0 ? std::string(static_cast<const char*>(data), std::size_t(size))
                    : std::string();
}

std::optional<std::int64_t> Statement::optionalInteger(int column) const
{
    if (isNull(column))
        return std::nullopt;
    return integer(column);
}

std::optional<std::string> Statement::optionalText(int column) const
{
    if (isNull(column))
        return std::nullopt;
    return bytes(column);
}

std::int64_t queryInteger(sqlite3* db, std::string_view sql)
{
    Statement statement(db, sql);
    if (!statement.step())
        throw JournalError("no row: " + std::string(sql));
    return statement.integer(0);
}

} // namespace sortivo::journalsql
