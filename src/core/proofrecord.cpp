#include "core/proofrecord.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace sortivo
{

namespace
{

// Written by hand rather than built as a document: a record of a million entries is then
// one pass over them and no copy. The text goes to `write` a block at a time.
class JsonOut
{
public:
    explicit JsonOut(const std::function<void(std::string_view)>& write) : m_write(write)
    {
        m_text.reserve(blockSize + 4096);
    }
    void raw(std::string_view text)
    {
        m_text += text;
        if (m_text.size() >= blockSize)
            flush();
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
        m_write(m_text);
        m_text.clear();
    }

private:
    static constexpr std::size_t blockSize = std::size_t(1) << 20;
    const std::function<void(std::string_view)>& m_write;
    std::string m_text;
};

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

void JsonOut::string(std::string_view s)
{
    m_text += '"';
    // Runs of characters that need no escape go in whole, looked over eight at a time.
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        while (i + 8 <= s.size() && !needsEscape8(s.data() + i))
            i += 8;
        if (i == s.size())
            break;
        const char c = s[i];
        if (c != '"' && c != '\\' && static_cast<unsigned char>(c) >= 0x20)
            continue;
        m_text.append(s.substr(start, i - start));
        start = i + 1;
        switch (c) {
        case '"':
            m_text += "\\\"";
            break;
        case '\\':
            m_text += "\\\\";
            break;
        case '\t':
            m_text += "\\t";
            break;
        default: {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            m_text += escaped;
        }
        }
    }
    m_text.append(s.substr(start));
    m_text += '"';
    if (m_text.size() >= blockSize)
        flush();
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
    out.raw("\n    }");
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
    out.string(proofProtocolName);
    out.raw(",\n  \"logiciel\": ");
    out.string(head.software);
    out.raw(",\n  \"engagement\": ");
    out.string(commitmentOf(head.seed));
    out.raw(",\n  \"engagement_communique\": ");
    out.optionalString(head.communicatedAt);
    out.raw(",\n  \"graine\": ");
    out.string(toHex(head.seed));
    out.raw(",\n  \"valeur_publique\": ");
    out.string(head.publicValue);
    out.raw(",\n  \"tirages\": [");
    for (std::size_t i = 0; i < runs.size(); ++i) {
        out.raw(i == 0 ? "\n" : ",\n");
        writeRun(out, runs[i]);
    }
    out.raw(runs.empty() ? "]\n}\n" : "\n  ]\n}\n");
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
            run.stopped};
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
    writeRecordJson({software, session.seed(), session.communicatedAt(), session.publicValue()},
                    runs, [&json](std::string_view text) { json += text; });
    return json;
}

} // namespace sortivo
