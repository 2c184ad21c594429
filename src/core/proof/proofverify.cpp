#include "core/proof/proofverify.h"

#include "core/draw/drawloop.h"
#include "core/draw/drawpool.h"
#include "core/draw/drawwords.h"
#include "core/proof/listcommitment.h"
#include "core/proof/proofprotocol.h"
#include "core/text/french.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace sortivo
{

namespace
{

// A record is at most four levels deep; past this, a file is an attack on the parser (or on the
// recursion of whoever reads it next), and every checker stops at the same depth.
constexpr int deepestNesting = 64;
// A message quotes a text from the record by its start only.
constexpr std::size_t longestQuote = 60;

// A record that does not hold, with the reason.
struct Rejected {
    std::string reason;
};

bool isHiddenOrControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c < 0xa0) || c == 0x61c || c == 0x200e || c == 0x200f ||
           (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

// Only the parser's own messages, or a table's titles, may hold a byte that is not UTF-8.
std::string printable(std::string_view text, std::size_t longest)
{
    std::string out;
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        if (count == longest)
            return out + "…";
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : 2;
        char32_t c = length == 1 ? lead : lead & (0x3f >> (length - 1));
        bool valid = length == 1 || (lead >= 0xc2 && lead <= 0xf4 && i + length <= text.size());
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xc0) == 0x80;
            c = (c << 6) | (next & 0x3f);
        }
        valid = valid && c <= 0x10ffff && !(c >= 0xd800 && c <= 0xdfff) &&
                c >= (length == 3   ? 0x800u
                      : length == 4 ? 0x10000u
                                    : 0u);
        if (!valid) {
            out += "\uFFFD";
            ++i;
        } else if (isHiddenOrControl(c)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            out += escaped;
            i += length;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

namespace
{

std::string quoted(std::string_view text)
{
    return "« " + printable(text, longestQuote) + " »";
}

// Whether brackets outside strings open more than deepestNesting levels, checked before any
// parsing so that every checker, whatever its parser, stops at the same place. A backslash
// cancels the byte after it and quotes bound strings, wherever they stand: a rule that a
// checker in any language can apply with a few bulk operations.
bool nestedTooDeep(std::string_view text)
{
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\')
            ++i;
        else if (c == '"')
            inString = !inString;
        else if (!inString && (c == '[' || c == '{') && ++depth > deepestNesting)
            return true;
        else if (!inString && (c == ']' || c == '}'))
            --depth;
    }
    return false;
}

// The record as the checker reads it: one flat array of values, every text in one buffer, so
// that a million entries cost their bytes and a few words each rather than a tree of nodes.
class Document
{
public:
    enum class Kind : std::uint8_t { Null, Boolean, Whole, Negative, Fraction, Text, List, Object };
    struct Value {
        Kind kind = Kind::Null;
        bool truth = false;
        std::uint32_t size = 0; // bytes of a text, items of a list or an object
        std::uint64_t at = 0;   // a text's offset, a container's first item, a whole number
    };
    struct Member {
        std::uint64_t keyAt;
        std::uint32_t keySize;
        std::uint32_t value;
    };

    // Texts never take more bytes than the file, nor values more than one per two bytes; what
    // is reserved and not used is never touched, so it costs address space, not memory, and
    // the buffers never move while a million entries are read.
    void reserveFor(std::size_t fileSize)
    {
        m_texts.reserve(fileSize);
        m_values.reserve(fileSize / 2 + 1);
    }

    const Value& root() const { return m_values.front(); }
    std::string_view text(const Value& v) const { return {m_texts.data() + v.at, v.size}; }
    const Value& item(const Value& list, std::size_t k) const
    {
        return m_values[m_items[list.at + k]];
    }
    const Value* find(const Value& object, std::string_view name) const
    {
        for (std::size_t k = 0; k < object.size; ++k) {
            const Member& m = m_members[object.at + k];
            if (std::string_view(m_texts.data() + m.keyAt, m.keySize) == name)
                return &m_values[m.value];
        }
        return nullptr;
    }

    // Builds the document from nlohmann's SAX events; false stops the parse with `reason`.
    class Builder
    {
    public:
        explicit Builder(Document& d) : m_d(d) {}
        std::string reason;

        bool null() { return add({}); }
        bool boolean(bool b) { return add({Kind::Boolean, b}); }
        bool number_integer(std::int64_t n)
        {
            return add({n < 0 ? Kind::Negative : Kind::Whole, false, 0, std::uint64_t(n)});
        }
        bool number_unsigned(std::uint64_t n) { return add({Kind::Whole, false, 0, n}); }
        bool number_float(double, const std::string&) { return add({Kind::Fraction}); }
        bool string(std::string& s)
        {
            return add({Kind::Text, false, std::uint32_t(s.size()), keep(s)});
        }
        bool binary(nlohmann::json::binary_t&) { return false; }
        bool start_object(std::size_t) { return open(Kind::Object); }
        bool key(std::string& k)
        {
            m_open.back().members.push_back({keep(k), std::uint32_t(k.size()), 0});
            return true;
        }
        bool end_object()
        {
            Open& o = m_open.back();
            std::vector<std::string_view> keys;
            keys.reserve(o.members.size());
            for (const Member& m : o.members)
                keys.emplace_back(m_d.m_texts.data() + m.keyAt, m.keySize);
            std::sort(keys.begin(), keys.end());
            const auto twice = std::adjacent_find(keys.begin(), keys.end());
            if (twice != keys.end()) {
                // Two parsers may keep either value: nobody could say which record was checked.
                reason = "la clé " + quoted(*twice) + " apparaît deux fois dans un même objet";
                return false;
            }
            Value& v = m_d.m_values[o.value];
            v.at = m_d.m_members.size();
            v.size = std::uint32_t(o.members.size());
            m_d.m_members.insert(m_d.m_members.end(), o.members.begin(), o.members.end());
            m_open.pop_back();
            return true;
        }
        bool start_array(std::size_t) { return open(Kind::List); }
        bool end_array()
        {
            Open& o = m_open.back();
            Value& v = m_d.m_values[o.value];
            v.at = m_d.m_items.size();
            v.size = std::uint32_t(o.items.size());
            m_d.m_items.insert(m_d.m_items.end(), o.items.begin(), o.items.end());
            m_open.pop_back();
            return true;
        }
        bool parse_error(std::size_t, const std::string&, const nlohmann::json::exception& error)
        {
            reason = std::string("le fichier n'est pas un JSON valide (") +
                     printable(error.what()) + ")";
            return false;
        }

    private:
        struct Open {
            std::uint32_t value;
            std::vector<std::uint32_t> items;
            std::vector<Member> members;
        };

        std::uint64_t keep(const std::string& s)
        {
            const std::uint64_t at = m_d.m_texts.size();
            m_d.m_texts += s;
            return at;
        }
        bool add(Value v)
        {
            const auto index = std::uint32_t(m_d.m_values.size());
            m_d.m_values.push_back(v);
            if (!m_open.empty()) {
                Open& o = m_open.back();
                if (m_d.m_values[o.value].kind == Kind::List)
                    o.items.push_back(index);
                else
                    o.members.back().value = index;
            }
            return true;
        }
        bool open(Kind kind)
        {
            const auto index = std::uint32_t(m_d.m_values.size());
            add({kind});
            m_open.push_back({index, {}, {}});
            return true;
        }

        Document& m_d;
        std::vector<Open> m_open;
    };

private:
    std::vector<Value> m_values;
    std::vector<std::uint32_t> m_items;
    std::vector<Member> m_members;
    std::string m_texts;
};

using Kind = Document::Kind;
using Value = Document::Value;

Document parsed(std::string_view text)
{
    if (nestedTooDeep(text))
        throw Rejected{"le fichier imbrique plus de " + std::to_string(deepestNesting) +
                       " listes ou objets"};
    // nlohmann's reader takes a NUL byte for the end of its input, and would accept a record
    // followed by anything; no JSON text holds one, inside a string or out.
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos)
        throw Rejected{"le fichier n'est pas un JSON valide (octet nul à la position " +
                       std::to_string(nul) + ")"};
    Document document;
    document.reserveFor(text.size());
    Document::Builder builder(document);
    if (!nlohmann::json::sax_parse(text.begin(), text.end(), &builder))
        throw Rejected{builder.reason};
    return document;
}

class Checker
{
public:
    explicit Checker(const Document& d) : m_d(d) {}

    std::string check()
    {
        const Value& record = m_d.root();
        if (record.kind != Kind::Object)
            throw Rejected{"le fichier n'est pas un procès-verbal"};
        const std::string_view protocol = text(record, "protocole", "");
        if (protocol != proofProtocolName && protocol != onePrizeProtocolName)
            throw Rejected{"protocole inconnu"};
        readRule(record, protocol);
        const std::optional<Seed> seed = digestFromHex(text(record, "graine", ""));
        if (!seed)
            throw Rejected{"la graine n'est pas faite de 64 chiffres hexadécimaux minuscules"};
        if (text(record, "engagement", "") != commitmentOf(*seed))
            throw Rejected{"la graine ne correspond pas à l'engagement"};
        const std::string_view publicValue = text(record, "valeur_publique", "");
        const Value& runs = member(record, "tirages", "");
        if (runs.kind != Kind::List)
            throw Rejected{"« tirages » n'est pas une liste"};
        readCommunicatedList(record);

        std::size_t draws = 0;
        if (runs.size > 0 && !m_listCheck)
            warnings.emplace_back(listNotCommunicatedWarning);
        for (std::size_t i = 0; i < runs.size; ++i)
            draws += checkRun(m_d.item(runs, i), *seed, publicValue, i + 1);
        readPrizes(record);
        readAbsences(record);
        return frenchCount(runs.size, "tirage", "tirages", Thousands::None) + " et " +
               frenchCount(draws, "élément tiré vérifié", "éléments tirés vérifiés",
                           Thousands::None);
    }

    std::vector<std::string> warnings;
    bool onePrizePerPerson() const { return m_onePrizePerPerson; }
    std::vector<std::string> prizes;
    std::optional<CommunicatedPrizes> communicatedPrizes;
    std::vector<DeclaredAbsence> absences;

    // Who wins what, when the record tells of prizes or absences.
    std::vector<std::string> palmares() const
    {
        if (prizes.empty() && absences.empty())
            return {};
        std::vector<Absence> replayed;
        for (const DeclaredAbsence& a : absences)
            replayed.push_back(a.absence);
        const ResultPlaces places(m_prizeRuns);
        return palmaresLines(prizes, replayed, *m_awards, [&](std::size_t result) {
            const ResultPlaces::Place place = places(result);
            return m_d.text(m_d.item(*m_results[place.run], place.rank - 1));
        });
    }

private:
    // The rule of one prize per person: the protocol that has it and the field that says so
    // must agree, so that neither can be dropped or added alone.
    void readRule(const Value& record, std::string_view protocol)
    {
        const Value* rule = m_d.find(record, "un_lot_par_personne");
        if (rule && rule->kind != Kind::Null && rule->kind != Kind::Boolean)
            throw Rejected{"« un_lot_par_personne » n'est ni true ni false"};
        m_onePrizePerPerson = rule && rule->kind == Kind::Boolean && rule->truth;
        if (protocol == onePrizeProtocolName && !m_onePrizePerPerson)
            throw Rejected{"le protocole " + std::string(onePrizeProtocolName) +
                           " exige « un_lot_par_personne » : true"};
        if (protocol != onePrizeProtocolName && m_onePrizePerPerson)
            throw Rejected{"« un_lot_par_personne » : true exige le protocole " +
                           std::string(onePrizeProtocolName)};
    }

    // The prizes, outside the randomness: a record without them checks as before.
    void readPrizes(const Value& record)
    {
        const Value* list = m_d.find(record, "lots");
        if (list && list->kind != Kind::Null) {
            if (list->kind != Kind::List)
                throw Rejected{"« lots » n'est pas une liste"};
            for (std::size_t k = 0; k < list->size; ++k) {
                const Value& prize = m_d.item(*list, k);
                if (prize.kind != Kind::Text)
                    throw Rejected{"« lots » : un lot n'est pas un texte"};
                const std::string_view t = m_d.text(prize);
                // As in a list, a line break would let two prize lists share a fingerprint.
                if (t.find_first_of("\r\n") != std::string_view::npos)
                    throw Rejected{"« lots » : un lot contient un saut de ligne"};
                prizes.emplace_back(t);
            }
        }
        const Value* shown = m_d.find(record, "lots_communiques");
        if (!shown || shown->kind == Kind::Null) {
            if (!prizes.empty())
                warnings.emplace_back(prizesNotCommunicatedWarning);
            return;
        }
        const std::string where = "« lots_communiques » : ";
        if (shown->kind != Kind::Object)
            throw Rejected{where + "ce n'est pas un objet"};
        const Value& count = member(*shown, "n", where);
        if (count.kind != Kind::Whole)
            throw Rejected{where + "« n » n'est pas un nombre entier positif ou nul"};
        const std::string_view fingerprint = text(*shown, "lots_sha256", where);
        if (!digestFromHex(fingerprint))
            throw Rejected{where +
                           "l'empreinte n'est pas faite de 64 chiffres hexadécimaux minuscules"};
        const CommunicatedPrizes actual = communicatedPrizesOf(prizes);
        if (count.at != actual.count || fingerprint != actual.fingerprint)
            throw Rejected{"les lots ne correspondent pas à ceux communiqués avec l'engagement"};
        communicatedPrizes = actual;
    }

    const Value& whole(const Value& object, const char* name, const std::string& where) const
    {
        const Value& v = member(object, name, where);
        if (v.kind != Kind::Whole)
            throw Rejected{where + "« " + name + " » n'est pas un nombre entier positif ou nul"};
        return v;
    }

    // The absences, replayed by the award rule over the runs checked.
    void readAbsences(const Value& record)
    {
        const Value* list = m_d.find(record, "absences");
        if (list && list->kind != Kind::Null) {
            if (list->kind != Kind::List)
                throw Rejected{"« absences » n'est pas une liste"};
            for (std::size_t k = 0; k < list->size; ++k) {
                const Value& item = m_d.item(*list, k);
                const std::string where = "absence n° " + std::to_string(k + 1) + " : ";
                if (item.kind != Kind::Object)
                    throw Rejected{where + "ce n'est pas un objet"};
                const std::int64_t run = std::int64_t(whole(item, "tirage", where).at);
                const std::size_t rank = whole(item, "rang", where).at;
                const std::string_view reason = text(item, "motif", where);
                const std::int64_t after = std::int64_t(whole(item, "apres_tirage", where).at);
                const std::string_view date = text(item, "date", where);
                absences.push_back({{run, rank, std::string(reason), after}, std::string(date)});
            }
        }
        std::vector<Absence> replayed;
        for (const DeclaredAbsence& a : absences)
            replayed.push_back(a.absence);
        Expected<PrizeAwards> awards = awardPrizes(prizes.size(), m_prizeRuns, replayed);
        if (!awards)
            throw Rejected{awards.error().text};
        // Known results now, of runs that exist: each declaration comes after its result.
        for (const DeclaredAbsence& a : absences)
            if (a.date < m_runDates[std::size_t(a.absence.run - 1)])
                throw Rejected{"absence (tirage n° " + std::to_string(a.absence.run) + ", rang " +
                               std::to_string(a.absence.rank) + ") datée d'avant son tirage"};
        m_awards = std::move(*awards);
    }

    // The list shown with the commitment, when the record tells of one; older records have
    // none and check as before.
    void readCommunicatedList(const Value& record)
    {
        const Value* list = m_d.find(record, "liste_communiquee");
        if (!list || list->kind == Kind::Null)
            return;
        const std::string where = "« liste_communiquee » : ";
        if (list->kind != Kind::Object)
            throw Rejected{where + "ce n'est pas un objet"};
        const Value& count = member(*list, "n", where);
        if (count.kind != Kind::Whole)
            throw Rejected{where + "« n » n'est pas un nombre entier positif ou nul"};
        const std::string_view fingerprint = text(*list, "liste_sha256", where);
        if (!digestFromHex(fingerprint))
            throw Rejected{where +
                           "l'empreinte n'est pas faite de 64 chiffres hexadécimaux minuscules"};
        const std::string_view at = text(record, "engagement_communique", "");
        m_listCheck.emplace(CommunicatedList{count.at, std::string(fingerprint)}, std::string(at));
    }

    const Value& member(const Value& object, const char* name, const std::string& where) const
    {
        const Value* v = m_d.find(object, name);
        if (!v)
            throw Rejected{where + "champ « " + name + " » absent"};
        return *v;
    }

    std::string_view text(const Value& object, const char* name, const std::string& where) const
    {
        const Value& v = member(object, name, where);
        if (v.kind != Kind::Text)
            throw Rejected{where + "« " + name + " » n'est pas un texte"};
        return m_d.text(v);
    }

    void readEntries(const Value& list, const std::string& where)
    {
        if (list.kind != Kind::List)
            throw Rejected{where + "« entrees » n'est ni une liste ni null"};
        m_entries.clear();
        m_entries.reserve(list.size);
        for (std::size_t k = 0; k < list.size; ++k) {
            const Value& entry = m_d.item(list, k);
            if (entry.kind != Kind::Text)
                throw Rejected{where + "une entrée n'est pas un texte"};
            const std::string_view t = m_d.text(entry);
            // A line break inside an entry would let two lists share a fingerprint.
            if (t.find_first_of("\r\n") != std::string_view::npos)
                throw Rejected{where + "une entrée contient un saut de ligne"};
            m_entries.push_back(t);
        }
    }

    // How many draws a run of this mode makes on n entries when nothing stops it; `demande`
    // and `equipe` must be null outside the mode that gives them a value.
    // Under the rule, n counts persons: each draw takes one person out.
    std::uint64_t plannedDraws(const Value& run, std::string_view mode, std::size_t n,
                               const std::string& where) const
    {
        if (mode != "nombre" && mode != "un" && mode != "tous" && mode != "equipes")
            throw Rejected{where + "mode " + quoted(mode) + " inconnu"};
        const Value& asked = member(run, "demande", where);
        if (mode == "nombre" && asked.kind != Kind::Whole)
            throw Rejected{where + "« demande » n'est pas un nombre entier positif ou nul"};
        if (mode != "nombre" && asked.kind != Kind::Null)
            throw Rejected{where + "« demande » n'a de valeur qu'en mode nombre"};
        const Value& team = member(run, "equipe", where);
        if (mode == "equipes" && (team.kind != Kind::Whole || team.at == 0))
            throw Rejected{where + "« equipe » n'est pas un nombre entier positif"};
        if (mode != "equipes" && team.kind != Kind::Null)
            throw Rejected{where + "« equipe » n'a de valeur qu'en mode equipes"};
        if (mode == "un")
            return std::min<std::uint64_t>(1, n);
        if (mode == "nombre")
            return std::min<std::uint64_t>(asked.at, n);
        return n;
    }

    std::size_t checkRun(const Value& run, const Seed& seed, std::string_view publicValue,
                         std::size_t number)
    {
        const std::string where = "tirage n° " + std::to_string(number) + " : ";
        if (run.kind != Kind::Object)
            throw Rejected{where + "ce n'est pas un objet"};
        const Value& numero = member(run, "numero", where);
        if (numero.kind != Kind::Whole || numero.at != number) {
            // Only a whole number is quoted: a record can hide anything in other values.
            const std::string value =
                numero.kind == Kind::Whole      ? "vaut " + std::to_string(numero.at)
                : numero.kind == Kind::Negative ? "vaut " + std::to_string(std::int64_t(numero.at))
                                                : std::string("n'est pas un nombre entier");
            throw Rejected{"les tirages ne sont pas numérotés 1, 2, … (" + where + "« numero » " +
                           value + ")"};
        }
        // Required whether or not a communicated list makes the checkers compare it: it is what
        // the audience compares with the time of the draw it saw.
        const std::string_view date = text(run, "date", where);
        const Value& list = member(run, "entrees", where);
        if (list.kind == Kind::Null) {
            if (number == 1)
                throw Rejected{where + "« entrees » est null sans tirage précédent"};
        } else {
            readEntries(list, where);
        }

        EntriesFingerprint fingerprint;
        for (const std::string_view entry : m_entries)
            fingerprint.add(entry);
        const std::string expected = fingerprint.finishHex();
        if (text(run, "liste_sha256", where) != expected)
            throw Rejected{where + "l'empreinte de la liste ne correspond pas à ses entrées"};

        std::optional<PersonGroups> persons;
        if (m_onePrizePerPerson)
            persons.emplace(m_entries.size(), [this](std::size_t i) { return m_entries[i]; });
        const std::uint64_t planned =
            plannedDraws(run, text(run, "mode", where),
                         persons ? persons->personCount() : m_entries.size(), where);
        const Value& results = member(run, "resultats", where);
        if (results.kind != Kind::List)
            throw Rejected{where + "« resultats » n'est pas une liste"};
        const Value& stopped = member(run, "interrompu", where);
        if (stopped.kind != Kind::Boolean)
            throw Rejected{where + "« interrompu » n'est ni true ni false"};
        if (stopped.truth ? results.size >= planned : results.size != planned)
            throw Rejected{where + std::to_string(results.size) + " résultats pour " +
                           std::to_string(planned) + " tirages prévus" +
                           (stopped.truth ? " (tirage interrompu)" : "")};

        DrawWords words(runKey(seed, std::int64_t(number), expected, publicValue,
                               protocolNameFor(m_onePrizePerPerson)));
        DrawPool pool(m_entries.size());
        std::size_t k = 0;
        const auto nothing = [](std::size_t) {};
        const auto compare = [&](std::size_t index) {
            const Value& result = m_d.item(results, k);
            if (result.kind != Kind::Text || m_d.text(result) != m_entries[index])
                throw Rejected{where + "le résultat n° " + std::to_string(k + 1) +
                               " n'est pas celui que donne la graine (attendu : " +
                               quoted(m_entries[index]) + ")"};
            ++k;
        };
        if (persons)
            drawOnePerPerson(pool, words, results.size, *persons, compare, nothing);
        else
            drawFromPool<32>(pool, words, results.size, nothing, nothing, compare);
        std::vector<std::string_view> left;
        left.reserve(pool.remaining());
        pool.forEachRemaining([&](std::size_t i) { left.push_back(m_entries[i]); });
        m_entries = std::move(left);
        bool listChanged = false;
        if (m_listCheck && m_listCheck->covers(date)) {
            if (m_listCheck->changed(expected)) {
                listChanged = true;
                warnings.push_back(where + "liste modifiée après la communication de l'engagement");
            } else {
                EntriesFingerprint leftBehind;
                for (const std::string_view entry : m_entries)
                    leftBehind.add(entry);
                m_listCheck->leftBehind(leftBehind.finishHex());
            }
        }
        if (m_collect)
            m_collect->push_back(viewOf(run, number, listChanged));
        m_prizeRuns.push_back(
            {std::int64_t(number), results.size, m_d.text(*m_d.find(run, "mode")) == "equipes"});
        m_runDates.push_back(date);
        m_results.push_back(&results);
        return results.size;
    }

    // The run as the record writer takes it, viewing the document.
    RecordRun viewOf(const Value& run, std::size_t number, bool listChanged) const
    {
        const std::string_view mode = m_d.text(*m_d.find(run, "mode"));
        const Value& asked = *m_d.find(run, "demande");
        const Value& team = *m_d.find(run, "equipe");
        const DrawMode drawMode = mode == "nombre" ? DrawMode::Chosen
                                  : mode == "un"   ? DrawMode::One
                                  : mode == "tous" ? DrawMode::All
                                                   : DrawMode::Teams;
        // Views of the document, which outlives this checker.
        const auto strings = [d = &m_d](const Value& list) {
            return RecordStrings{list.size,
                                 [d, &list](std::size_t k) { return d->text(d->item(list, k)); }};
        };
        const Value& entries = *m_d.find(run, "entrees");
        RecordRun view{std::int64_t(number),
                       m_d.text(*m_d.find(run, "date")),
                       DrawRequest{drawMode,
                                   drawMode == DrawMode::Chosen ? std::int32_t(asked.at) : 0,
                                   drawMode == DrawMode::Teams ? int(team.at) : 0},
                       std::nullopt,
                       m_d.text(*m_d.find(run, "liste_sha256")),
                       strings(*m_d.find(run, "resultats")),
                       m_d.find(run, "interrompu")->truth,
                       listChanged};
        if (entries.kind == Kind::List)
            view.entries = strings(entries);
        return view;
    }

public:
    // Where check() puts every run it checked, when reading a record back.
    std::vector<RecordRun>* m_collect = nullptr;
    const std::optional<CommunicatedListCheck>& listCheck() const { return m_listCheck; }

private:
    const Document& m_d;
    std::vector<std::string_view> m_entries; // what the previous run left
    std::optional<CommunicatedListCheck> m_listCheck;
    bool m_onePrizePerPerson = false;
    // Each run checked, as the award rule counts it, its date and its results.
    std::vector<PrizeRun> m_prizeRuns;
    std::vector<std::string_view> m_runDates;
    std::vector<const Value*> m_results;
    std::optional<PrizeAwards> m_awards;
};

} // namespace

VerifyResult verifyRecord(std::string_view recordText)
{
    std::optional<CheckedRecord> unused;
    return readCheckedRecord(recordText, unused);
}

VerifyResult readCheckedRecord(std::string_view recordText, std::optional<CheckedRecord>& record)
{
    record.reset();
    try {
        auto document = std::make_shared<const Document>(parsed(recordText));
        Checker checker(*document);
        CheckedRecord read;
        checker.m_collect = &read.runs;
        const std::string summary = checker.check();
        // Whoever reads only the first line must still see that the record has reservations.
        std::string message =
            (checker.warnings.empty() ? "CONFORME : " : "CONFORME AVEC RÉSERVES : ") + summary;
        const Document& d = *document;
        const Value& root = d.root();
        read.seed = *digestFromHex(d.text(*d.find(root, "graine")));
        read.publicValue = d.text(*d.find(root, "valeur_publique"));
        if (const Value* at = d.find(root, "engagement_communique"); at && at->kind == Kind::Text)
            read.communicatedAt = std::string(d.text(*at));
        if (const Value* list = d.find(root, "liste_communiquee");
            list && list->kind == Kind::Object)
            read.communicatedList = CommunicatedList{
                d.find(*list, "n")->at, std::string(d.text(*d.find(*list, "liste_sha256")))};
        read.listCheck = checker.listCheck();
        read.onePrizePerPerson = checker.onePrizePerPerson();
        read.prizes = checker.prizes;
        read.communicatedPrizes = checker.communicatedPrizes;
        read.absences = checker.absences;
        std::vector<std::string> palmares = checker.palmares();
        read.read = std::move(document);
        record = std::move(read);
        return {true, std::move(message), std::move(checker.warnings), std::move(palmares)};
    } catch (const Rejected& rejected) {
        return {false, "NON CONFORME : " + rejected.reason, {}, {}};
    }
}

} // namespace sortivo
