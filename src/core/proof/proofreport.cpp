#include "core/proof/proofreport.h"

#include "core/text/french.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace sortivo
{

namespace
{

constexpr std::string_view crlf = "\r\n";

} // namespace

std::optional<LocalTime> localTimeOf(std::string_view iso)
{
    int year = 0;
    unsigned month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char tail = 0;
    if (iso.size() != 20 ||
        std::sscanf(std::string(iso).c_str(), "%4d-%2u-%2uT%2u:%2u:%2u%c", &year, &month, &day,
                    &hour, &minute, &second, &tail) != 7 ||
        tail != 'Z')
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(month),
                                           std::chrono::day(day)};
    if (!date.ok() || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    const std::time_t utc = std::chrono::system_clock::to_time_t(
        std::chrono::sys_days(date) + std::chrono::hours(hour) + std::chrono::minutes(minute) +
        std::chrono::seconds(second));
    std::tm local{};
    if (!localtime_r(&utc, &local))
        return std::nullopt;
    char text[32];
    LocalTime time;
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    time.date = text;
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    time.time = text;
    const long offset = local.tm_gmtoff / 60;
    std::snprintf(text, sizeof text, "UTC%c%02ld:%02ld", offset < 0 ? '-' : '+',
                  std::labs(offset) / 60, std::labs(offset) % 60);
    time.offset = text;
    return time;
}

std::string readableTime(std::string_view iso)
{
    const std::optional<LocalTime> local = localTimeOf(iso);
    return local ? local->date + " à " + local->time + " (" + local->offset + ")"
                 : std::string(iso);
}

namespace
{

std::string modeText(const DrawRequest& request)
{
    switch (request.mode) {
    case DrawMode::Chosen:
        return request.drawCount == 1 ? "tirer 1 élément"
                                      : "tirer " + std::to_string(request.drawCount) + " éléments";
    case DrawMode::One:
        return "un élément au hasard";
    case DrawMode::All:
        return "tous les éléments";
    case DrawMode::Teams:
        return "équipes de " + std::to_string(request.teamSize);
    }
    return {};
}

void appendResults(std::string& text, const RunRecord& run)
{
    const std::size_t teamSize =
        run.request.mode == DrawMode::Teams ? std::size_t(std::max(run.request.teamSize, 1)) : 1;
    for (std::size_t i = 0; i < run.results.size(); i += teamSize) {
        text += "    ";
        if (run.request.mode == DrawMode::Teams) {
            text += "Équipe " + std::to_string(i / teamSize + 1) + " : ";
            for (std::size_t k = i; k < std::min(i + teamSize, run.results.size()); ++k) {
                if (k > i)
                    text += " - ";
                text += run.results.at(k);
            }
        } else {
            text += std::to_string(i + 1) + ". ";
            text += run.results.at(i);
        }
        text += crlf;
    }
}

} // namespace

std::string listLine(const CommunicatedList& list, std::size_t digits)
{
    std::string line =
        "Liste : " + frenchCount(list.count, "entrée", "entrées", Thousands::None) + ", empreinte ";
    if (digits >= list.fingerprint.size())
        return line + list.fingerprint;
    return line + list.fingerprint.substr(0, digits) + " …";
}

std::string prizesLine(const CommunicatedPrizes& prizes, std::size_t digits)
{
    std::string line = "Lots : " + std::to_string(prizes.count) + ", empreinte ";
    if (digits >= prizes.fingerprint.size())
        return line + prizes.fingerprint;
    return line + prizes.fingerprint.substr(0, digits) + " …";
}

std::string commitmentSheet(std::string_view commitment, const CommunicatedList& list,
                            std::string_view printedAt, bool onePrizePerPerson,
                            const std::vector<std::string>& prizes)
{
    std::string text;
    text += "Engagement de tirage - Sortivo";
    text += crlf;
    text += crlf;
    text += "Date : " + readableTime(printedAt);
    text += crlf;
    text += crlf;
    text += "Engagement (empreinte SHA-256 de la graine secrète des tirages) :";
    text += crlf;
    text += crlf;
    text += commitment;
    text += crlf;
    text += crlf;
    text += listLine(list, list.fingerprint.size());
    text += crlf;
    if (onePrizePerPerson) {
        text += onePrizeLine;
        text += crlf;
    }
    if (!prizes.empty()) {
        const CommunicatedPrizes shown = communicatedPrizesOf(prizes);
        text += prizesLine(shown, shown.fingerprint.size());
        text += crlf;
        for (std::size_t p = 0; p < prizes.size(); ++p) {
            text += "  " + std::to_string(p + 1) + ". " + prizes[p];
            text += crlf;
        }
    }
    text += crlf;
    text += "Ce nombre scelle, avant les tirages, la graine dont ils découleront. Après les "
            "tirages, le procès-verbal révélera la graine : chacun pourra vérifier qu'elle "
            "redonne cet engagement et rejouer tous les tirages, avec Sortivo "
            "(sortivo --verifier FICHIER) ou sans lui (python3 verifier_pv.py FICHIER). "
            "L'empreinte de la liste fixe les entrées : le procès-verbal doit porter la même "
            "(« liste_communiquee »), et signale tout tirage fait sur une autre liste que "
            "celle-ci ou que ce que les tirages précédents en ont laissé.";
    text += crlf;
    text += crlf;
    text += "Valeur publique fournie par l'assistance avant le premier tirage : "
            "______________________________";
    return text;
}

std::string runSummary(const RunRecord& run)
{
    std::string line =
        "Tirage n° " + std::to_string(run.number) + ", " + readableTime(run.date) + " : " +
        modeText(run.request) + ", " +
        frenchCount(run.entryCount, "entrée", "entrées", Thousands::None) + ", " +
        frenchCount(run.results.size(), "élément tiré", "éléments tirés", Thousands::None);
    if (run.stopped)
        line += ", interrompu";
    if (run.beforeCommunication)
        line += " (avant la communication de l'engagement)";
    if (run.listChanged)
        line += " (liste modifiée après la communication de l'engagement)";
    return line;
}

std::string recordReport(const ProofSession& session, std::string_view software,
                         std::string_view printedAt)
{
    std::string text;
    auto line = [&](std::string_view s) {
        text += s;
        text += crlf;
    };
    line("Procès-verbal de tirage - " + std::string(software));
    line("Imprimé le " + readableTime(printedAt));
    line("Protocole : " + std::string(session.protocolName()));
    line("");
    line("Engagement : " + session.commitment());
    line(session.communicatedAt()
             ? "Engagement communiqué le " + readableTime(*session.communicatedAt())
             : std::string("Engagement jamais communiqué : ces tirages ne prouvent rien au "
                           "public."));
    if (const auto& list = session.communicatedList())
        line(listLine(*list, list->fingerprint.size()) + " (liste communiquée avec l'engagement)");
    if (session.onePrizePerPerson())
        line(onePrizeLine);
    if (const auto& prizes = session.communicatedPrizes())
        line(prizesLine(*prizes, prizes->fingerprint.size()) +
             " (lots communiqués avec l'engagement)");
    line(session.publicValue().empty() ? std::string("Valeur publique : aucune")
                                       : "Valeur publique : « " + session.publicValue() + " »");
    line("");
    if (session.runs().empty())
        line("Aucun tirage.");
    for (const RunRecord& run : session.runs()) {
        line(runSummary(run));
        line("  Empreinte de la liste : " + run.fingerprint +
             (run.entries ? "" : " (les entrées laissées par le tirage précédent)"));
        if (run.results.empty())
            line("  Aucun résultat.");
        else
            line("  Résultats :");
        appendResults(text, run);
        line("");
    }
    if (!session.prizes().empty() || !session.absences().empty()) {
        line("Palmarès :");
        const std::vector<PrizeRun> runs = session.prizeRuns();
        const ResultPlaces places(runs);
        std::vector<Absence> absences;
        for (const DeclaredAbsence& a : session.absences())
            absences.push_back(a.absence);
        for (const std::string& entry :
             palmaresLines(session.prizes(), absences, session.awards(), [&](std::size_t r) {
                 const ResultPlaces::Place place = places(r);
                 return session.runs()[place.run].results.at(place.rank - 1);
             }))
            line("  " + entry);
        line("");
    }
    line("Graine : " + toHex(session.seed()));
    line("");
    line("Vérification : la graine doit redonner l'engagement (SHA-256), et chaque tirage rejoué "
         "à partir de la graine, de son numéro, de l'empreinte de sa liste et de la valeur "
         "publique doit redonner ses résultats.");
    // Short enough for one line of the sheet, so that nobody misses one of the three ways.
    line("Vérifiable avec verifier_pv.html (navigateur), verifier_pv.py ou sortivo --verifier.");
    return text;
}

} // namespace sortivo
