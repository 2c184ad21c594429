#include "core/proofverify.h"

#include "core/drawloop.h"
#include "core/drawpool.h"
#include "core/drawwords.h"
#include "core/proofprotocol.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>
#include <vector>

namespace sortivo
{

namespace
{

using nlohmann::json;

// A record that does not hold, with the reason.
struct Rejected {
    std::string reason;
};

const json& member(const json& object, const char* name, const std::string& where)
{
    const auto it = object.find(name);
    if (it == object.end())
        throw Rejected{where + "champ « " + name + " » absent"};
    return *it;
}

const std::string& stringMember(const json& object, const char* name, const std::string& where)
{
    const json& value = member(object, name, where);
    if (!value.is_string())
        throw Rejected{where + "« " + name + " » n'est pas un texte"};
    return value.get_ref<const std::string&>();
}

std::vector<std::string> entriesOf(const json& list, const std::string& where)
{
    if (!list.is_array())
        throw Rejected{where + "« entrees » n'est ni une liste ni null"};
    std::vector<std::string> entries;
    entries.reserve(list.size());
    for (const json& entry : list) {
        if (!entry.is_string())
            throw Rejected{where + "une entrée n'est pas un texte"};
        const auto& text = entry.get_ref<const std::string&>();
        // A line break inside an entry would let two lists share a fingerprint.
        if (text.find_first_of("\r\n") != std::string::npos)
            throw Rejected{where + "une entrée contient un saut de ligne"};
        entries.push_back(text);
    }
    return entries;
}

// How many draws a run of this mode makes on n entries when nothing stops it.
std::uint64_t plannedDraws(const json& run, const std::string& mode, std::size_t n,
                           const std::string& where)
{
    if (mode == "un")
        return std::min<std::uint64_t>(1, n);
    if (mode == "tous" || mode == "equipes")
        return n;
    if (mode != "nombre")
        throw Rejected{where + "mode « " + mode + " » inconnu"};
    const json& asked = member(run, "demande", where);
    // Whole numbers from 0 up are the ones the parser reads as unsigned.
    if (!asked.is_number_unsigned())
        throw Rejected{where + "« demande » n'est pas un nombre entier positif ou nul"};
    return std::min<std::uint64_t>(asked.get<std::uint64_t>(), n);
}

// Replays one run on its entries and leaves in `entries` those it did not draw.
std::size_t replayRun(const json& run, const Seed& seed, const std::string& publicValue,
                      std::int64_t number, std::vector<std::string>& entries,
                      const std::string& where)
{
    EntriesFingerprint fingerprint;
    for (const std::string& entry : entries)
        fingerprint.add(entry);
    const std::string expected = fingerprint.finishHex();
    if (stringMember(run, "liste_sha256", where) != expected)
        throw Rejected{where + "l'empreinte de la liste ne correspond pas à ses entrées"};

    const std::uint64_t planned =
        plannedDraws(run, stringMember(run, "mode", where), entries.size(), where);
    const json& results = member(run, "resultats", where);
    if (!results.is_array())
        throw Rejected{where + "« resultats » n'est pas une liste"};
    const json& stopped = member(run, "interrompu", where);
    if (!stopped.is_boolean())
        throw Rejected{where + "« interrompu » n'est ni true ni false"};
    if (stopped.get<bool>() ? results.size() >= planned : results.size() != planned)
        throw Rejected{where + std::to_string(results.size()) + " résultats pour " +
                       std::to_string(planned) + " tirages prévus" +
                       (stopped.get<bool>() ? " (tirage interrompu)" : "")};

    DrawWords words(runKey(seed, number, expected, publicValue));
    DrawPool pool(entries.size());
    std::size_t k = 0;
    const auto nothing = [](std::size_t) {};
    drawFromPool<32>(pool, words, results.size(), nothing, nothing, [&](std::size_t index) {
        if (!results[k].is_string() || results[k].get_ref<const std::string&>() != entries[index])
            throw Rejected{where + "le résultat n° " + std::to_string(k + 1) +
                           " n'est pas celui que donne la graine (attendu : « " + entries[index] +
                           " »)"};
        ++k;
    });
    std::vector<std::string> left;
    left.reserve(pool.remaining());
    pool.forEachRemaining([&](std::size_t i) { left.push_back(std::move(entries[i])); });
    entries = std::move(left);
    return results.size();
}

std::string checkRecord(std::string_view text)
{
    json record;
    try {
        record = json::parse(text);
    } catch (const json::parse_error& error) {
        throw Rejected{std::string("le fichier n'est pas un JSON valide (") + error.what() + ")"};
    }
    if (!record.is_object())
        throw Rejected{"le fichier n'est pas un procès-verbal"};
    if (stringMember(record, "protocole", "") != proofProtocolName)
        throw Rejected{"protocole inconnu"};
    const std::optional<Seed> seed = digestFromHex(stringMember(record, "graine", ""));
    if (!seed)
        throw Rejected{"la graine n'est pas faite de 64 chiffres hexadécimaux minuscules"};
    if (stringMember(record, "engagement", "") != commitmentOf(*seed))
        throw Rejected{"la graine ne correspond pas à l'engagement"};
    const std::string& publicValue = stringMember(record, "valeur_publique", "");
    const json& runs = member(record, "tirages", "");
    if (!runs.is_array())
        throw Rejected{"« tirages » n'est pas une liste"};

    std::vector<std::string> entries;
    std::size_t draws = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const json& run = runs[i];
        const auto number = std::int64_t(i + 1);
        const std::string where = "tirage n° " + std::to_string(number) + " : ";
        if (!run.is_object())
            throw Rejected{where + "ce n'est pas un objet"};
        const json& numero = member(run, "numero", where);
        if (!numero.is_number_integer() || numero.get<std::int64_t>() != number)
            throw Rejected{"les tirages ne sont pas numérotés 1, 2, … (" + where +
                           "« numero » vaut " + numero.dump() + ")"};
        const json& list = member(run, "entrees", where);
        if (list.is_null()) {
            if (i == 0)
                throw Rejected{where + "« entrees » est null sans tirage précédent"};
        } else {
            entries = entriesOf(list, where);
        }
        draws += replayRun(run, *seed, publicValue, number, entries, where);
    }
    return std::to_string(runs.size()) + (runs.size() > 1 ? " tirages et " : " tirage et ") +
           std::to_string(draws) +
           (draws > 1 ? " éléments tirés vérifiés" : " élément tiré vérifié");
}

} // namespace

VerifyResult verifyRecord(std::string_view recordText)
{
    try {
        return {true, "CONFORME : " + checkRecord(recordText)};
    } catch (const Rejected& rejected) {
        return {false, "NON CONFORME : " + rejected.reason};
    }
}

} // namespace sortivo
