#pragma once

#include "core/proof/proofrecord.h"
#include "core/proof/proofsession.h"

#include <cctype>
#include <stdexcept>
#include <string>
#include <vector>

// Records made the way the window makes them, and copies with one byte changed, shared by the
// core tests and by the program that hands them to the reference checker.
struct SampleRecord {
    std::string name;
    std::string json;
    // The lines a checker prints after CONFORME AVEC RÉSERVES: one for a session of runs whose
    // list was not communicated, one for each run the session marked, one for prizes that were
    // not.
    std::string warnings;
    // What it prints after them when the record has prizes or absences: "Palmarès :" and its
    // lines, each ended by a line feed.
    std::string palmares;
};

// A record made by hand to break a checker, and the reason every checker must give.
struct HostileRecord {
    std::string name;
    std::string json;
    std::string reason;
};

namespace proofsamples
{

inline sortivo::Seed sampleSeed()
{
    sortivo::Seed seed{};
    for (std::size_t i = 0; i < seed.size(); ++i)
        seed[i] = std::uint8_t(i);
    return seed;
}

// One click, as the window makes it: the list is loaded from its text, and what is left goes
// back into the list box as a list text. `stopAfter` draws, when not negative, end it as the
// stop button does.
inline std::string click(sortivo::ProofSession& session, const std::string& listText,
                         sortivo::DrawMode mode, std::int32_t chosen = 0, int teamSize = 0,
                         std::int32_t stopAfter = -1, std::string date = "2026-12-07T20:00:00Z")
{
    sortivo::EntryList entries = sortivo::loadEntries(listText);
    std::int32_t drawCount = std::int32_t(entries.size());
    if (mode == sortivo::DrawMode::Chosen)
        drawCount = chosen;
    else if (mode == sortivo::DrawMode::One)
        drawCount = 1;
    sortivo::DrawRun run =
        session.beginRun(std::move(entries), {}, {mode, drawCount, teamSize}, std::move(date));
    if (stopAfter >= 0)
        run.drawMany(stopAfter);
    else
        run.drawAll();
    session.endRun(run);
    return run.remainingListText();
}

inline std::string numbered(int count, const std::string& prefix)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += (i > 1 ? "\r\n" : "") + prefix + std::to_string(i);
    return text;
}

inline std::string json(const sortivo::ProofSession& session)
{
    return sortivo::recordJson(session, "Sortivo 1.30");
}

inline SampleRecord sample(std::string name, const sortivo::ProofSession& session,
                           const std::vector<std::string>& palmares = {})
{
    std::string warnings;
    if (!session.runs().empty() && !session.communicatedList())
        warnings = "ATTENTION : la liste n'a pas été communiquée avec l'engagement ; son ordre a "
                   "pu être choisi après la valeur publique.\n";
    for (const sortivo::RunRecord& run : session.runs())
        if (run.listChanged)
            warnings += "ATTENTION : tirage n° " + std::to_string(run.number) +
                        " : liste modifiée après la communication de l'engagement\n";
    if (!session.prizes().empty() && !session.communicatedPrizes())
        warnings += "ATTENTION : les lots n'ont pas été communiqués avec l'engagement ; leur ordre "
                    "a pu être choisi après le tirage.\n";
    std::string lines = palmares.empty() ? "" : "Palmarès :\n";
    for (const std::string& line : palmares)
        lines += line + "\n";
    return {std::move(name), json(session), std::move(warnings), std::move(lines)};
}

// The text of result `rank` (from 1) of run `run`, as drawn.
inline std::string drawn(const sortivo::ProofSession& session, std::size_t run, std::size_t rank)
{
    return std::string(session.runs().at(run - 1).results.at(rank - 1));
}

inline void declareAbsent(sortivo::ProofSession& session, std::int64_t run, std::size_t rank,
                          const std::string& reason, const std::string& date)
{
    if (!session.declareAbsent(run, rank, reason, date))
        throw std::logic_error("absence refused");
}

inline std::vector<SampleRecord> acceptedRecords()
{
    using sortivo::DrawMode;
    std::vector<SampleRecord> records;

    {
        // Every mode one after another on what the previous run left, then a new list.
        sortivo::ProofSession s(sampleSeed());
        std::string list = "Alice\r\nBob\r\n\r\nZoé  \r\n\"cité\" \\ x\r\ntab\there\r\n\x01"
                           "ctl\r\n🎉 fête\r\n" +
                           numbered(40, "Joueur ");
        s.noteCommunicated("2026-12-07T19:58:00Z",
                           sortivo::communicatedListOf(sortivo::loadEntries(list)));
        s.setPublicValue("Dés : 3 5 6, « salle » \\ \"B\"\t!");
        list = click(s, list, DrawMode::Chosen, 5);
        list = click(s, list, DrawMode::One);
        list = click(s, list, DrawMode::Chosen, 0);
        list = click(s, list, DrawMode::Teams, 0, 3);
        click(s, numbered(12, "Lot "), DrawMode::All);
        click(s, numbered(7, "Équipe "), DrawMode::Teams, 0, 1);
        records.push_back(sample("every-mode", s));
    }
    {
        // Stopped after some draws, stopped before the first, then carried on.
        sortivo::ProofSession s(sortivo::sha256("stopped"));
        std::string list = click(s, numbered(1500, "n"), DrawMode::All, 0, 0, 37);
        list = click(s, list, DrawMode::Chosen, 400, 0, 0);
        list = click(s, list, DrawMode::Teams, 0, 10, 5);
        click(s, list, DrawMode::One);
        records.push_back(sample("stopped", s));
    }
    {
        // Lists changed between runs: leading empty lines that the written-back list loses,
        // an entry added, then an unchanged list again, and a draw from an empty leftover.
        // The list changed after its communication marks the run on it, and those after.
        sortivo::ProofSession s(sortivo::sha256("edited"));
        const std::string first = "\r\n\r\na\r\nb\r\n\r\nc\r\nd\r\n";
        s.noteCommunicated("2026-12-07T20:00:00Z",
                           sortivo::communicatedListOf(sortivo::loadEntries(first)));
        std::string list = click(s, first, DrawMode::Chosen, 1);
        list = click(s, list, DrawMode::One);
        list = click(s, list + "\r\najout", DrawMode::One);
        list = click(s, list, DrawMode::All);
        click(s, "seul", DrawMode::One);
        records.push_back(sample("edited-lists", s));
    }
    {
        // Back to the communicated list after a changed one, and a run dated before the
        // communication.
        sortivo::ProofSession s(sortivo::sha256("back"));
        click(s, "x\r\ny", DrawMode::One, 0, 0, -1, "2026-12-07T19:59:59Z");
        s.noteCommunicated("2026-12-07T20:00:00Z",
                           sortivo::communicatedListOf(sortivo::loadEntries("a\r\nb\r\nc")));
        click(s, "a\r\nb\r\nc\r\nd", DrawMode::One);
        click(s, "a\r\nb\r\nc", DrawMode::One);
        records.push_back(sample("list-restored", s));
    }
    records.push_back(sample("no-run", sortivo::ProofSession(sortivo::sha256("none"))));
    {
        // Runs that draw nothing at all: none asked, or stopped before the first.
        sortivo::ProofSession s(sortivo::sha256("nothing"));
        const std::string list = click(s, numbered(3, "x"), DrawMode::Chosen, 0);
        click(s, list, DrawMode::All, 0, 0, 0);
        records.push_back(sample("nothing-drawn", s));
    }
    {
        // The communicated list, then what it left: a verdict without reservations.
        sortivo::ProofSession s(sortivo::sha256("kept"));
        const std::string list = numbered(20, "Élève ");
        s.noteCommunicated("2026-12-07T19:58:00Z",
                           sortivo::communicatedListOf(sortivo::loadEntries(list)));
        s.setPublicValue("4 2 6");
        click(s, click(s, list, DrawMode::Chosen, 3), DrawMode::Teams, 0, 4);
        records.push_back(sample("communicated-list-kept", s));
    }
    {
        // Prizes fixed with the commitment, won in draw order: the team run between takes none;
        // the first absent's prize goes to the earliest reserve, and the last one's, the reserves
        // left having won or gone absent, waits, free, for the next result drawn. Prizes and
        // reasons are printed whole, their control and direction characters escaped.
        sortivo::ProofSession s(sortivo::sha256("prizes"));
        const std::string longPrize = "Séjour de deux nuits pour deux personnes au gîte des "
                                      "Trois Chênes, petit déjeuner compris";
        s.setPrizes({"Vélo enfant", "Casque \u202eaudio", "Bon d'achat 20 €", longPrize});
        const std::string list = numbered(14, "Invité ");
        s.noteCommunicated("2026-12-07T19:58:00Z",
                           sortivo::communicatedListOf(sortivo::loadEntries(list)));
        std::string left = click(s, list, DrawMode::Chosen, 3, 0, -1, "2026-12-07T20:00:00Z");
        left = click(s, left, DrawMode::Teams, 0, 2, 4, "2026-12-07T20:05:00Z");
        left = click(s, left, DrawMode::Chosen, 3, 0, -1, "2026-12-07T20:10:00Z");
        declareAbsent(s, 1, 2, "absent", "2026-12-07T20:11:00Z");
        declareAbsent(s, 3, 3, "malade \x1b[31m", "2026-12-07T20:12:00Z");
        declareAbsent(s, 1, 1, "renonce", "2026-12-07T20:13:00Z");
        click(s, left, DrawMode::Chosen, 2, 0, -1, "2026-12-07T20:20:00Z");
        // What is told of the event, and an interruption, change no verdict.
        s.setTitle("Tombola \u202eécole");
        s.setEvent({"APE", "Préau", "", "", "", {{"Anne Leroy", "commissaire de justice"}}});
        s.addResumption({"2026-12-07T20:14:00Z", "2026-12-07T20:16:00Z"});
        records.push_back(sample(
            "prizes-and-absences", s,
            {"Lot 1 : Vélo enfant – " + drawn(s, 4, 1),
             "Lot 2 : Casque \\u202eaudio – " + drawn(s, 3, 2),
             "Lot 3 : Bon d'achat 20 € – " + drawn(s, 1, 3),
             "Lot 4 : " + longPrize + " – " + drawn(s, 3, 1),
             "Absence : " + drawn(s, 1, 2) + " (tirage n° 1, rang 2) – absent, lot 2 remis en jeu",
             "Absence : " + drawn(s, 3, 3) + " (tirage n° 3, rang 3) – malade \\u001b[31m",
             "Absence : " + drawn(s, 1, 1) + " (tirage n° 1, rang 1) – renonce, lot 1 remis en jeu",
             "Suppléant n° 1 : " + drawn(s, 4, 2)}));
    }
    {
        // A prize that nobody holds: its winner absent after the last run, with no reserve left.
        sortivo::ProofSession s(sortivo::sha256("prize left"));
        s.setPrizes({"Vélo", "Casque"});
        const std::string list = "Martin\r\nLeroy\r\nPetit";
        s.noteCommunicated("2026-12-07T19:58:00Z",
                           sortivo::communicatedListOf(sortivo::loadEntries(list)));
        click(s, list, DrawMode::Chosen, 2);
        declareAbsent(s, 1, 2, "parti", "2026-12-07T20:30:00Z");
        records.push_back(
            sample("prize-left", s,
                   {"Lot 1 : Vélo – " + drawn(s, 1, 1), "Lot 2 : Casque – non attribué",
                    "Absence : " + drawn(s, 1, 2) +
                        " (tirage n° 1, rang 2) – parti, lot 2 remis en jeu"}));
    }
    {
        // Prizes never communicated, said after the list's warning; the reserves past the first
        // hundred are counted, not named.
        sortivo::ProofSession s(sortivo::sha256("reserves"));
        s.setPrizes({"Vélo", "Casque"});
        click(s, numbered(104, "Billet "), DrawMode::All);
        declareAbsent(s, 1, 1, "absent", "2026-12-07T20:30:00Z");
        std::vector<std::string> palmares{
            "Lot 1 : Vélo – " + drawn(s, 1, 3), "Lot 2 : Casque – " + drawn(s, 1, 2),
            "Absence : " + drawn(s, 1, 1) + " (tirage n° 1, rang 1) – absent, lot 1 remis en jeu"};
        for (std::size_t n = 1; n <= 100; ++n)
            palmares.push_back("Suppléant n° " + std::to_string(n) + " : " + drawn(s, 1, n + 3));
        palmares.push_back("et 1 autre suppléant");
        records.push_back(sample("reserves-past-a-hundred", s, palmares));
    }
    {
        // One prize per person, fixed with the commitment: every mode, a stop, and an entry
        // whose look-alike marks are not ticket marks.
        sortivo::ProofSession s(sortivo::sha256("per-person"));
        s.setOnePrizePerPerson(true);
        const std::string list = "Dupont Marie (billet 1/3)\r\nMartin\r\nDupont Marie (billet "
                                 "2/3)\r\nDurand (billet 1/2)\r\nDupont Marie (billet 3/3)\r\n"
                                 "Durand (billet 2/2)\r\nLeroy (billet 0/0)\r\nPetit\r\nPetit "
                                 "(billet 1/2)\r\nRoux (billet 1/2) (billet 2/2)\r\nRoux (billet "
                                 "1/2)\r\n" +
                                 numbered(6, "Voisin ");
        s.noteCommunicated("2026-12-07T19:58:00Z",
                           sortivo::communicatedListOf(sortivo::loadEntries(list)));
        s.setPublicValue("5 1 4");
        std::string left = click(s, list, DrawMode::Chosen, 3);
        left = click(s, left, DrawMode::One);
        left = click(s, left, DrawMode::Teams, 0, 2, 2);
        click(s, left, DrawMode::All);
        records.push_back(sample("one-prize-per-person", s));
    }
    return records;
}

inline std::string acceptedRecord(const std::string& name)
{
    for (SampleRecord& record : acceptedRecords())
        if (record.name == name)
            return std::move(record.json);
    throw std::logic_error("no such sample: " + name);
}

// The first byte of the first string after `marker` that starts with a letter or digit.
inline std::size_t plainStringStart(const std::string& json, const std::string& marker)
{
    std::size_t at = json.find(marker);
    if (at == std::string::npos)
        throw std::logic_error("marker not found: " + marker);
    for (at = json.find('"', at + marker.size()); at != std::string::npos;
         at = json.find('"', json.find('"', at + 1) + 1)) {
        if (std::isalnum(static_cast<unsigned char>(json[at + 1])))
            return at + 1;
    }
    throw std::logic_error("no plain string after " + marker);
}

// The accepted "every-mode" record with one byte changed in each of the places a forger
// would want to touch; every one must be rejected.
inline std::vector<SampleRecord> oneByteChanges()
{
    const std::string base = acceptedRecords().front().json;
    auto changed = [&](const char* name, std::size_t at, char to) {
        std::string json = base;
        if (json[at] == to)
            throw std::logic_error("the change changes nothing");
        json[at] = to;
        return SampleRecord{name, json, {}, {}};
    };
    const std::size_t seed = base.find("\"graine\": \"") + 11;
    const std::size_t number = base.find("\"numero\": 2") + 10;
    return {
        changed("seed", seed, base[seed] == '0' ? '1' : '0'),
        changed("commitment", base.find("\"engagement\": \"") + 15, 'z'),
        changed("result", plainStringStart(base, "\"resultats\": ["), '#'),
        changed("result-of-a-later-run",
                plainStringStart(base.substr(base.find("\"numero\": 4")), "\"resultats\": [") +
                    base.find("\"numero\": 4"),
                '#'),
        changed("entry", plainStringStart(base, "\"entrees\": ["), '#'),
        changed("public-value", base.find("\"valeur_publique\": \"") + 20, 'd'),
        changed("run-number", number, '3'),
        changed("fingerprint", base.find("\"liste_sha256\": \"", base.find("\"tirages\"")) + 17,
                'g'),
        changed("communicated-list", base.find("\"liste_sha256\": \"") + 17, 'g'),
    };
}

// Records that a parser or a terminal could trip over; every checker must reject each one with
// the same reason.
inline std::vector<HostileRecord> hostileRecords()
{
    const std::string good = acceptedRecords()[1].json;   // tous, nombre, equipes, un
    const std::string listed = acceptedRecords()[0].json; // with the communicated list
    auto edited = [&](const std::string& from, const std::string& to,
                      const std::string& base = std::string()) {
        std::string json = base.empty() ? good : base;
        const std::size_t at = json.find(from);
        if (at == std::string::npos)
            throw std::logic_error("not in the sample: " + from);
        return json.replace(at, from.size(), to);
    };
    const std::string perPerson = acceptedRecord("one-prize-per-person");
    const std::string prized = acceptedRecord("prizes-and-absences");
    sortivo::ProofSession withoutRule(sortivo::sha256("two tickets"));
    click(withoutRule, "A (billet 1/2)\r\nB\r\nA (billet 2/2)", sortivo::DrawMode::All);
    const std::string twoTickets = json(withoutRule);
    const std::string deep = std::string(200'000, '[') + std::string(200'000, ']');
    const std::string seed = good.substr(good.find("\"graine\""), 76);
    return {
        {"huge-number", edited("\"numero\": 1,", "\"numero\": 1e999,"),
         "le fichier n'est pas un JSON valide ("},
        {"huge-number-elsewhere", edited("\"logiciel\": ", "\"x\": [-1e999], \"logiciel\": "),
         "le fichier n'est pas un JSON valide ("},
        {"team-size-in-chosen-run",
         edited("\"demande\": 400,\n      \"equipe\": null",
                "\"demande\": 400,\n      \"equipe\": 1e308"),
         "tirage n° 2 : « equipe » n'a de valeur qu'en mode equipes"},
        {"request-in-teams-run",
         edited("\"demande\": null,\n      \"equipe\": 10",
                "\"demande\": 3,\n      \"equipe\": 10"),
         "tirage n° 3 : « demande » n'a de valeur qu'en mode nombre"},
        {"seed-twice", edited(seed, seed + ",\n  " + seed),
         "la clé « graine » apparaît deux fois dans un même objet"},
        {"deep-run-number", edited("\"numero\": 1,", "\"numero\": " + deep + ","),
         "le fichier imbrique plus de 64 listes ou objets"},
        {"deep-team-size", edited("\"equipe\": null,", "\"equipe\": " + deep + ","),
         "le fichier imbrique plus de 64 listes ou objets"},
        {"run-number-a-list", edited("\"numero\": 1,", "\"numero\": [[1]],"),
         "(tirage n° 1 : « numero » n'est pas un nombre entier)"},
        {"request-missing", edited("\"demande\": 400,", ""),
         "tirage n° 2 : champ « demande » absent"},
        {"bad-request-then-no-team-size",
         edited("\"demande\": 400,\n      \"equipe\": null,", "\"demande\": -400,"),
         "tirage n° 2 : « demande » n'est pas un nombre entier positif ou nul"},
        {"terminal-escapes-in-mode",
         edited("\"mode\": \"tous\"", "\"mode\": \"\\u001b]0;PWNED\\u0007\\u001b[31mROUGE\u202e\""),
         "tirage n° 1 : mode « \\u001b]0;PWNED\\u0007\\u001b[31mROUGE\\u202e » inconnu"},
        {"communicated-list-a-text",
         edited("\"liste_communiquee\": {", "\"liste_communiquee\": \"x\", \"autre\": {", listed),
         "« liste_communiquee » : ce n'est pas un objet"},
        {"communicated-count-negative", edited("{\"n\": ", "{\"n\": -", listed),
         "« liste_communiquee » : « n » n'est pas un nombre entier positif ou nul"},
        {"communicated-list-without-time",
         edited("\"engagement_communique\": \"", "\"engagement_communique\": null, \"x\": \"",
                listed),
         "« engagement_communique » n'est pas un texte"},
        {"long-text-quoted-short",
         edited("\"mode\": \"tous\"", "\"mode\": \"" + std::string(5000, 'x') + "\""),
         "mode « " + std::string(60, 'x') + "… » inconnu"},
        // A date is read for every run, whether or not a list was communicated to compare it.
        {"run-without-date", edited("\"date\": \"2026-12-07T20:00:00Z\",\n      ", ""),
         "tirage n° 1 : champ « date » absent"},
        {"run-date-a-number", edited("\"date\": \"2026-12-07T20:00:00Z\"", "\"date\": 20261207"),
         "tirage n° 1 : « date » n'est pas un texte"},
        // A parser that takes a NUL byte for the end of its input would check only what comes
        // before it.
        {"nul-then-junk", good + std::string("\0{\"tirages\": []}", 16),
         "le fichier n'est pas un JSON valide ("},
        // The rule of one prize per person goes with its protocol: neither alone.
        {"rule-dropped", edited(",\n  \"un_lot_par_personne\": true", "", perPerson),
         "le protocole sortivo-preuve-2 exige « un_lot_par_personne » : true"},
        {"rule-false",
         edited("\"un_lot_par_personne\": true", "\"un_lot_par_personne\": false", perPerson),
         "le protocole sortivo-preuve-2 exige « un_lot_par_personne » : true"},
        {"rule-a-number",
         edited("\"un_lot_par_personne\": true", "\"un_lot_par_personne\": 1", perPerson),
         "« un_lot_par_personne » n'est ni true ni false"},
        {"rule-added", edited("\"graine\"", "\"un_lot_par_personne\": true, \"graine\""),
         "« un_lot_par_personne » : true exige le protocole sortivo-preuve-2"},
        // Dropped with its protocol, the runs no longer replay.
        {"rule-dropped-with-its-protocol",
         edited("\"sortivo-preuve-2\"", "\"sortivo-preuve-1\"",
                edited(",\n  \"un_lot_par_personne\": true", "", perPerson)),
         "tirage n° 1 : le résultat n° 1 n'est pas celui que donne la graine"},
        // Added with its protocol to a run drawn without it: every ticket drawn, two of them
        // one person's.
        {"person-drawn-twice",
         edited("\"sortivo-preuve-1\"", "\"sortivo-preuve-2\", \"un_lot_par_personne\": true",
                twoTickets),
         "tirage n° 1 : 3 résultats pour 2 tirages prévus"},
        // Ranks count from 1: a checker that reads rank 0 as the last result would take it.
        {"absence-of-no-result",
         edited("{\"tirage\": 3, \"rang\": 3,", "{\"tirage\": 3, \"rang\": 0,", prized),
         "absence d'un résultat inconnu (tirage n° 3, rang 0)"},
        // After the first run, but before the third, which drew the result declared absent.
        {"absence-dated-before-its-run",
         edited("\"date\": \"2026-12-07T20:12:00Z\"", "\"date\": \"2026-12-07T20:05:00Z\"", prized),
         "absence (tirage n° 3, rang 3) datée d'avant son tirage"},
        // Quoted as written: not wrapped to a negative number, nor rounded to a double's.
        {"absence-after-a-huge-run",
         edited("\"apres_tirage\": 3, \"date\": \"2026-12-07T20:12:00Z\"",
                "\"apres_tirage\": 18446744073709551615, \"date\": \"2026-12-07T20:12:00Z\"",
                prized),
         "absence (tirage n° 3, rang 3) déclarée après le tirage n° 18446744073709551615, qui "
         "n'existe pas"},
        // The first prize and the third swapped once the winners were known.
        {"prizes-reordered",
         edited("\"@\"", "\"Bon d'achat 20 €\"",
                edited("\"Bon d'achat 20 €\"", "\"Vélo enfant\"",
                       edited("\"Vélo enfant\"", "\"@\"", prized))),
         "les lots ne correspondent pas à ceux communiqués avec l'engagement"},
    };
}

} // namespace proofsamples
