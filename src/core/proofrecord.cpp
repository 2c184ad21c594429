#include "core/proofrecord.h"

#include <cstdio>

namespace sortivo
{

namespace
{

// Written by hand rather than built as a document: a record of a million entries is then
// one pass over them and no copy.
class JsonOut
{
public:
    void raw(std::string_view text) { m_text += text; }
    void string(std::string_view s);
    void number(std::int64_t n) { m_text += std::to_string(n); }
    void optionalString(const std::optional<std::string>& s)
    {
        if (s)
            string(*s);
        else
            raw("null");
    }
    template <typename List> void stringArray(const List& list, std::size_t count);
    void reserve(std::size_t size) { m_text.reserve(size); }
    std::string release() { return std::move(m_text); }

private:
    std::string m_text;
};

void JsonOut::string(std::string_view s)
{
    m_text += '"';
    for (const char c : s) {
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
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
                m_text += escaped;
            } else {
                m_text += c;
            }
        }
    }
    m_text += '"';
}

template <typename List> void JsonOut::stringArray(const List& list, std::size_t count)
{
    if (count == 0) {
        raw("[]");
        return;
    }
    raw("[\n");
    for (std::size_t i = 0; i < count; ++i) {
        raw("        ");
        string(list.at(i));
        raw(i + 1 < count ? ",\n" : "\n");
    }
    raw("      ]");
}

void writeRun(JsonOut& out, const RunRecord& run)
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
        out.stringArray(*run.entries, run.entries->size());
    else
        out.raw("null");
    out.raw(",\n      \"liste_sha256\": ");
    out.string(run.fingerprint);
    out.raw(",\n      \"resultats\": ");
    out.stringArray(run.results, run.results.size());
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

std::string recordJson(const ProofSession& session, std::string_view software)
{
    JsonOut out;
    std::size_t size = 1024;
    for (const RunRecord& run : session.runs()) {
        size += 512 + (run.results.size() + run.entryCount) * 12;
        if (run.entries)
            size += run.entries->charCount();
    }
    out.reserve(size);

    out.raw("{\n  \"protocole\": ");
    out.string(proofProtocolName);
    out.raw(",\n  \"logiciel\": ");
    out.string(software);
    out.raw(",\n  \"engagement\": ");
    out.string(session.commitment());
    out.raw(",\n  \"engagement_communique\": ");
    out.optionalString(session.communicatedAt());
    out.raw(",\n  \"graine\": ");
    out.string(toHex(session.seed()));
    out.raw(",\n  \"valeur_publique\": ");
    out.string(session.publicValue());
    out.raw(",\n  \"tirages\": [");
    const auto& runs = session.runs();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        out.raw(i == 0 ? "\n" : ",\n");
        writeRun(out, runs[i]);
    }
    out.raw(runs.empty() ? "]\n}\n" : "\n  ]\n}\n");
    return out.release();
}

} // namespace sortivo
