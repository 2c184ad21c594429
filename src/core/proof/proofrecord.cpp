#include "core/proof/proofrecord.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace sortivo
{

namespace
{

// Whether any of eight bytes is a control character, a quote or a backslash.
bool needsEscape8(const char* p)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    const auto hasZero = [&](std::uint64_t v) { return (v - ones) & ~v & highs; };
    const std::uint64_t below20 = (w - 0x20 * ones) & ~w & highs;
    return (below20 | hasZero(w ^ ('"' * ones)) | hasZero(w ^ ('\\' * ones))) != 0;
}

bool needsEscape(char c)
{
    return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
}

// True when `s` goes into a JSON string as it is, which nearly every entry does. Looked over
// eight bytes at a time, the last eight overlapping the ones before when the length is not a
// multiple of eight.
bool isPlain(std::string_view s)
{
    const char* p = s.data();
    const std::size_t n = s.size();
    if (n < 8)
        return std::none_of(s.begin(), s.end(), needsEscape);
    for (std::size_t i = 0; i + 8 <= n; i += 8)
        if (needsEscape8(p + i))
            return false;
    return !needsEscape8(p + n - 8);
}

// Written by hand rather than built as a document: a record of a million entries is then
// one pass over them and no copy. The text is put straight into a block of fixed size, which
// goes to `write` whenever it is nearly full: a million short strings then cost a few moves
// each rather than as many appends to a growing string.
class JsonOut
{
public:
    explicit JsonOut(const std::function<void(std::string_view)>& write)
        : m_write(write), m_block(std::make_unique_for_overwrite<char[]>(blockSize))
    {
    }
    void raw(std::string_view text)
    {
        std::memcpy(room(text.size()), text.data(), text.size());
        m_used += text.size();
    }
    void string(std::string_view s);
    void number(std::int64_t n) { raw(std::to_string(n)); }
    void optionalString(const std::optional<std::string>& s)
    {
        if (s)
            string(*s);
        else
            raw("null");
    }
    void stringArray(const RecordStrings& list);
    void flush()
    {
        m_write(std::string_view(m_block.get(), m_used));
        m_used = 0;
    }

private:
    static constexpr std::size_t blockSize = std::size_t(1) << 20;
    // A longer string is escaped a piece at a time: at six bytes for one, escaping it whole
    // could need six times its length at once.
    static constexpr std::size_t pieceSize = 4096;
    static_assert(6 * pieceSize < blockSize);

    // Where the next `n` bytes go (n at most blockSize).
    char* room(std::size_t n)
    {
        if (m_used + n > blockSize)
            flush();
        return m_block.get() + m_used;
    }
    void escaped(std::string_view s);

    const std::function<void(std::string_view)>& m_write;
    // Left uninitialised: a small record never touches most of it.
    std::unique_ptr<char[]> m_block;
    std::size_t m_used = 0;
};

void JsonOut::string(std::string_view s)
{
    raw("\"");
    if (isPlain(s)) {
        while (!s.empty()) {
            const std::size_t n = std::min(s.size(), blockSize);
            raw(s.substr(0, n));
            s.remove_prefix(n);
        }
    } else {
        while (!s.empty()) {
            const std::size_t n = std::min(s.size(), pieceSize);
            escaped(s.substr(0, n));
            s.remove_prefix(n);
        }
    }
    raw("\"");
}

// Writes `s` (at most pieceSize bytes) with its quotes, backslashes and control characters
// escaped.
void JsonOut::escaped(std::string_view s)
{
    char* const start = room(6 * s.size());
    char* out = start;
    for (const char c : s) {
        if (!needsEscape(c)) {
            *out++ = c;
            continue;
        }
        switch (c) {
        case '"':
            out = std::copy_n("\\\"", 2, out);
            break;
        case '\\':
            out = std::copy_n("\\\\", 2, out);
            break;
        case '\t':
            out = std::copy_n("\\t", 2, out);
            break;
        default: {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", unsigned(c));
            out = std::copy_n(code, 6, out);
        }
        }
    }
    m_used += std::size_t(out - start);
}

void JsonOut::stringArray(const RecordStrings& list)
{
    if (list.size == 0) {
        raw("[]");
        return;
    }
    raw("[\n");
    for (std::size_t i = 0; i < list.size; ++i) {
        raw("        ");
        string(list.at(i));
        raw(i + 1 < list.size ? ",\n" : "\n");
    }
    raw("      ]");
}

void writeRun(JsonOut& out, const RecordRun& run)
{
    const DrawMode mode = run.request.mode;
    out.raw("    {\n      \"numero\": ");
    out.number(run.number);
    out.raw(",\n      \"date\": ");
    out.string(run.date);
    out.raw(",\n      \"mode\": ");
    out.string(modeName(mode));
    out.raw(",\n      \"demande\": ");
    if (mode == DrawMode::Chosen)
        out.number(run.request.drawCount);
    else
        out.raw("null");
    out.raw(",\n      \"equipe\": ");
    if (mode == DrawMode::Teams)
        out.number(run.request.teamSize);
    else
        out.raw("null");
    out.raw(",\n      \"entrees\": ");
    if (run.entries)
        out.stringArray(*run.entries);
    else
        out.raw("null");
    out.raw(",\n      \"liste_sha256\": ");
    out.string(run.fingerprint);
    out.raw(",\n      \"resultats\": ");
    out.stringArray(run.results);
    out.raw(",\n      \"interrompu\": ");
    out.raw(run.stopped ? "true" : "false");
    // Only on the runs it marks, so that a record without a communicated list reads as before.
    if (run.listChanged)
        out.raw(",\n      \"liste_modifiee\": true");
    out.raw("\n    }");
}

// The title is written as typed, the default one included: it is what the room saw.
void writeEvent(JsonOut& out, const RecordHead& head)
{
    const bool titled = head.title && *head.title;
    if (!titled && (!head.event || head.event->empty()))
        return;
    const EventDetails none;
    const EventDetails& event = head.event ? *head.event : none;
    out.raw(",\n  \"evenement\": {\n    \"titre\": ");
    out.string(titled ? **head.title : std::string_view());
    out.raw(",\n    \"organisateur\": ");
    out.string(event.organizer);
    out.raw(",\n    \"lieu\": ");
    out.string(event.place);
    out.raw(",\n    \"reglement\": ");
    out.string(event.rules);
    out.raw(",\n    \"reglement_sha256\": ");
    if (event.rulesSha256.empty())
        out.raw("null");
    else
        out.string(event.rulesSha256);
    out.raw(",\n    \"autorisation\": ");
    out.string(event.authorization);
    out.raw(",\n    \"temoins\": [");
    for (std::size_t i = 0; i < event.witnesses.size(); ++i) {
        out.raw(i == 0 ? "\n      {\"nom\": " : ",\n      {\"nom\": ");
        out.string(event.witnesses[i].name);
        out.raw(", \"qualite\": ");
        out.string(event.witnesses[i].capacity);
        out.raw("}");
    }
    out.raw(event.witnesses.empty() ? "]\n  }" : "\n    ]\n  }");
}

} // namespace

std::string_view modeName(DrawMode mode)
{
    switch (mode) {
    case DrawMode::Chosen:
        return "nombre";
    case DrawMode::One:
        return "un";
    case DrawMode::All:
        return "tous";
    case DrawMode::Teams:
        return "equipes";
    }
    return {};
}

void writeRecordJson(const RecordHead& head, std::span<const RecordRun> runs,
                     const std::function<void(std::string_view)>& write)
{
    JsonOut out(write);
    out.raw("{\n  \"protocole\": ");
    out.string(protocolNameFor(head.onePrizePerPerson));
    out.raw(",\n  \"logiciel\": ");
    out.string(head.software);
    out.raw(",\n  \"engagement\": ");
    out.string(commitmentOf(head.seed));
    out.raw(",\n  \"engagement_communique\": ");
    out.optionalString(head.communicatedAt);
    if (head.communicatedList) {
        out.raw(",\n  \"liste_communiquee\": {\"n\": ");
        out.number(std::int64_t(head.communicatedList->count));
        out.raw(", \"liste_sha256\": ");
        out.string(head.communicatedList->fingerprint);
        out.raw("}");
    }
    // Only with the rule, so that a record without it reads as before, byte for byte.
    if (head.onePrizePerPerson)
        out.raw(",\n  \"un_lot_par_personne\": true");
    if (!head.prizes.empty()) {
        out.raw(",\n  \"lots\": [\n");
        for (std::size_t i = 0; i < head.prizes.size(); ++i) {
            out.raw("    ");
            out.string(head.prizes[i]);
            out.raw(i + 1 < head.prizes.size() ? ",\n" : "\n");
        }
        out.raw("  ]");
    }
    if (head.communicatedPrizes) {
        out.raw(",\n  \"lots_communiques\": {\"n\": ");
        out.number(std::int64_t(head.communicatedPrizes->count));
        out.raw(", \"lots_sha256\": ");
        out.string(head.communicatedPrizes->fingerprint);
        out.raw("}");
    }
    out.raw(",\n  \"graine\": ");
    out.string(toHex(head.seed));
    out.raw(",\n  \"valeur_publique\": ");
    out.string(head.publicValue);
    out.raw(",\n  \"tirages\": [");
    for (std::size_t i = 0; i < runs.size(); ++i) {
        out.raw(i == 0 ? "\n" : ",\n");
        writeRun(out, runs[i]);
    }
    out.raw(runs.empty() ? "]" : "\n  ]");
    if (!head.absences.empty()) {
        out.raw(",\n  \"absences\": [\n");
        for (std::size_t i = 0; i < head.absences.size(); ++i) {
            const Absence& absence = head.absences[i].absence;
            out.raw("    {\"tirage\": ");
            out.number(absence.run);
            out.raw(", \"rang\": ");
            out.number(std::int64_t(absence.rank));
            out.raw(", \"motif\": ");
            out.string(absence.reason);
            out.raw(", \"apres_tirage\": ");
            out.number(absence.afterRun);
            out.raw(", \"date\": ");
            out.string(head.absences[i].date);
            out.raw(i + 1 < head.absences.size() ? "},\n" : "}\n");
        }
        out.raw("  ]");
    }
    writeEvent(out, head);
    if (!head.resumptions.empty()) {
        out.raw(",\n  \"reprises\": [\n");
        for (std::size_t i = 0; i < head.resumptions.size(); ++i) {
            out.raw("    {\"interruption\": ");
            out.string(head.resumptions[i].interrupted);
            out.raw(", \"reprise\": ");
            out.string(head.resumptions[i].resumed);
            out.raw(i + 1 < head.resumptions.size() ? "},\n" : "}\n");
        }
        out.raw("  ]");
    }
    out.raw("\n}\n");
    out.flush();
}

std::string recordJson(const ProofSession& session, std::string_view software)
{
    std::vector<RecordRun> runs;
    for (const RunRecord& run : session.runs()) {
        RecordRun view{
            run.number,
            run.date,
            run.request,
            std::nullopt,
            run.fingerprint,
            RecordStrings{run.results.size(),
                          [&results = run.results](std::size_t i) { return results.at(i); }},
            run.stopped,
            run.listChanged};
        if (run.entries)
            view.entries =
                RecordStrings{run.entries->size(),
                              [&entries = *run.entries](std::size_t i) { return entries.at(i); }};
        runs.push_back(std::move(view));
    }
    std::string json;
    std::size_t size = 1024;
    for (const RunRecord& run : session.runs()) {
        size += 512 + (run.results.size() + run.entryCount) * 12;
        if (run.entries)
            size += run.entries->charCount();
    }
    json.reserve(size);
    const auto& list = session.communicatedList();
    const auto& prizes = session.communicatedPrizes();
    writeRecordJson({software, session.seed(), session.communicatedAt(), session.publicValue(),
                     list ? &*list : nullptr, session.onePrizePerPerson(), session.prizes(),
                     prizes ? &*prizes : nullptr, session.absences(), &session.title(),
                     &session.event(), session.resumptions()},
                    runs, [&json](std::string_view text) { json += text; });
    return json;
}

} // namespace sortivo
