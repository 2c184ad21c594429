#include "core/proof/minutes.h"

#include "core/proof/proofrecord.h"
#include "core/proof/proofreport.h"
#include "core/proof/proofverify.h"
#include "core/text/french.h"

#include <map>

namespace sortivo
{

namespace
{

std::string capitalised(std::string_view sentence)
{
    std::string text(sentence);
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = char(text[0] - 'a' + 'A');
    return text;
}

// "à 20:41", or "le 2026-12-07 à 23:59" when the day is not the one before it.
std::string momentOf(std::string_view iso, const std::string& otherDate)
{
    const std::optional<LocalTime> local = localTimeOf(iso);
    if (!local)
        return "le " + std::string(iso);
    const std::string clock = "à " + local->time.substr(0, 5);
    return local->date == otherDate ? clock : "le " + local->date + " " + clock;
}

std::string resumptionSentence(const Resumption& resumption)
{
    const std::optional<LocalTime> interrupted = localTimeOf(resumption.interrupted);
    const std::optional<LocalTime> resumed = localTimeOf(resumption.resumed);
    const std::string sameDay =
        interrupted && resumed && interrupted->date == resumed->date ? resumed->date : "";
    return "Séance interrompue " + momentOf(resumption.interrupted, sameDay) + " et reprise " +
           momentOf(resumption.resumed, sameDay) + " ; aucun résultat perdu.";
}

std::vector<std::string> countsOf(const ProofSession& session)
{
    std::vector<std::string> counts;
    const auto number = [](std::size_t n) { return frenchNumber(n); };
    if (const auto& list = session.communicatedList())
        counts.push_back("Entrées communiquées avec l'engagement : " + number(list->count));
    else
        counts.push_back("Entrées communiquées avec l'engagement : aucune liste communiquée");
    const auto& runs = session.runs();
    if (!runs.empty())
        counts.push_back("Entrées parmi lesquelles le premier tirage a été fait : " +
                         number(runs.front().entryCount));
    std::size_t results = 0;
    for (const RunRecord& run : runs)
        results += run.results.size();
    counts.push_back("Tirages : " + number(runs.size()) + " ; résultats : " + number(results));
    if (!session.prizes().empty())
        counts.push_back("Lots : " + number(session.prizes().size()));
    std::map<std::string, std::size_t> reasons;
    for (const DeclaredAbsence& declared : session.absences())
        ++reasons[declared.absence.reason];
    std::string absences =
        "Absences : " +
        (session.absences().empty() ? std::string("aucune") : number(session.absences().size()));
    std::string byReason;
    for (const auto& [reason, count] : reasons)
        byReason += (byReason.empty() ? "" : ", ") + reason + " : " + number(count);
    if (!byReason.empty())
        absences += " (" + byReason + ")";
    counts.push_back(std::move(absences));
    if (!session.prizes().empty()) {
        std::size_t reserves = 0;
        for (const Standing& standing : session.awards().results)
            reserves += standing.kind == Standing::Kind::Reserve ? 1 : 0;
        counts.push_back("Suppléants : " + number(reserves));
    }
    return counts;
}

std::vector<std::string> anomaliesOf(const ProofSession& session)
{
    std::vector<std::string> anomalies;
    for (const Resumption& resumption : session.resumptions())
        anomalies.push_back(resumptionSentence(resumption));
    const auto& runs = session.runs();
    if (!runs.empty() && !session.communicatedList())
        anomalies.push_back(capitalised(listNotCommunicatedWarning));
    for (const RunRecord& run : runs) {
        const std::string name = "Tirage n° " + std::to_string(run.number);
        if (run.beforeCommunication)
            anomalies.push_back(name +
                                " fait avant la communication de l'engagement : il ne prouve "
                                "rien au public.");
        if (run.listChanged)
            anomalies.push_back(name + " fait sur une autre liste que celle communiquée avec "
                                       "l'engagement.");
        if (run.stopped)
            anomalies.push_back(name + " arrêté par l'opérateur avant son terme.");
    }
    if (!runs.empty() && session.publicValue().empty())
        anomalies.push_back("Aucune valeur publique n'a été fournie : rien ne montre que la "
                            "graine n'a pas été choisie.");
    if (!session.prizes().empty() && !session.communicatedPrizes())
        anomalies.push_back(capitalised(prizesNotCommunicatedWarning));
    return anomalies;
}

std::string conclusionOf(const ProofSession& session, const VerifyResult& verdict)
{
    const std::size_t runs = session.runs().size();
    if (!verdict.conforming) {
        constexpr std::string_view refused = "NON CONFORME : ";
        std::string_view reason = verdict.message;
        if (reason.starts_with(refused))
            reason.remove_prefix(refused.size());
        return "La vérification des tirages a échoué : " + std::string(reason);
    }
    if (runs == 0)
        return "Aucun tirage n'a été fait.";
    const std::string protocol(session.protocolName());
    std::string text =
        runs == 1 ? "Le tirage a été vérifié : conforme au protocole " + protocol + "."
                  : "Les " + frenchNumber(runs) +
                        " tirages ont été vérifiés : conformes au protocole " + protocol + ".";
    if (!verdict.warnings.empty())
        text += " Les réserves dites plus haut demeurent.";
    return text;
}

} // namespace

std::string inGroupsOfEight(std::string_view hex)
{
    std::string text;
    for (std::size_t i = 0; i < hex.size(); i += 8) {
        if (i > 0)
            text += ' ';
        text += hex.substr(i, 8);
    }
    return text;
}

Minutes minutesOf(const ProofSession& session, std::string_view software,
                  std::string_view printedAt)
{
    Minutes minutes;
    minutes.title =
        session.title() && !session.title()->empty() ? *session.title() : "Tirage au sort";
    const EventDetails& event = session.event();
    const auto detail = [&](std::string label, const std::string& value) {
        if (!value.empty())
            minutes.details.emplace_back(std::move(label), value);
    };
    detail("Organisateur", event.organizer);
    detail("Lieu", event.place);
    detail("Règlement", event.rules);
    if (!event.rulesSha256.empty())
        detail("Empreinte SHA-256 du règlement", inGroupsOfEight(event.rulesSha256));
    detail("Autorisation", event.authorization);
    minutes.witnesses = event.witnesses;

    Expected<PalmaresPage> page = palmaresRowsOf(session, printedPalmaresRows);
    minutes.counts = countsOf(session);
    minutes.withPrizes = !session.prizes().empty();
    if (page) {
        minutes.palmaresLeftOut = page->total - page->rows.size();
        for (PalmaresRow& row : page->rows)
            if (const std::optional<LocalTime> local = localTimeOf(row.time))
                row.time = local->time;
        minutes.palmares = std::move(page->rows);
    }
    minutes.anomalies = anomaliesOf(session);

    const VerifyResult verdict = verifyRecord(recordJson(session, software));
    minutes.conforming = verdict.conforming;
    minutes.conclusion = conclusionOf(session, verdict);
    minutes.commitment = session.commitment();
    minutes.printedAt = readableTime(printedAt);
    return minutes;
}

} // namespace sortivo
