#include "screen/palmareslines.h"

#include "core/proof/proofsession.h"
#include "screen/screentext.h"

#include <QStringList>

#include <algorithm>

PalmaresLines::PalmaresLines(const sortivo::ProofSession& session)
    : m_session(&session), m_awards(session.awards())
{
    std::size_t result = 0;
    std::size_t line = 0;
    for (const sortivo::RunRecord& run : session.runs()) {
        const bool teams = run.request.mode == sortivo::DrawMode::Teams;
        const std::size_t teamSize = teams ? std::size_t(std::max(run.request.teamSize, 1)) : 0;
        m_runs.push_back({result, line, teamSize});
        result += run.results.size();
        line += teams ? (run.results.size() + teamSize - 1) / teamSize : run.results.size();
    }
    m_results = result;

    // A prize freed by an absence waits for its next winner under the last absence that freed
    // it.
    std::vector<std::optional<std::size_t>> freedBy(m_awards.winners.size());
    for (const sortivo::Standing& standing : m_awards.results) {
        if (standing.kind != sortivo::Standing::Kind::Absent || !standing.prize ||
            m_awards.winners[*standing.prize])
            continue;
        std::optional<std::size_t>& absence = freedBy[*standing.prize];
        absence = std::max(absence.value_or(0), standing.absence);
    }
    for (std::size_t prize = 0; prize < freedBy.size(); ++prize)
        if (freedBy[prize])
            m_putBack.push_back({prize, session.absences().at(*freedBy[prize]).absence.reason});
}

std::size_t PalmaresLines::runOfResult(std::size_t result) const
{
    // Runs without results start where the next does: the last of them holds the result.
    const auto after = std::upper_bound(
        m_runs.begin(), m_runs.end(), result,
        [](std::size_t value, const RunStart& start) { return value < start.result; });
    return std::size_t(after - m_runs.begin()) - 1;
}

std::size_t PalmaresLines::runOfLine(std::size_t line) const
{
    const auto after = std::upper_bound(
        m_runs.begin(), m_runs.end(), line,
        [](std::size_t value, const RunStart& start) { return value < start.line; });
    return std::size_t(after - m_runs.begin()) - 1;
}

std::size_t PalmaresLines::lineCount(std::size_t results) const
{
    results = std::min(results, m_results);
    if (results == 0)
        return m_putBack.size();
    // The lines of the runs before the one that holds the last result shown, then its own.
    const RunStart& run = m_runs[runOfResult(results - 1)];
    const std::size_t done = results - run.result;
    const std::size_t lines = run.teamSize > 0 ? (done + run.teamSize - 1) / run.teamSize : done;
    return run.line + lines + m_putBack.size();
}

PalmaresLine PalmaresLines::line(std::size_t index, std::size_t results) const
{
    const std::size_t ofResults = lineCount(results) - m_putBack.size();
    if (index >= ofResults) {
        const std::size_t putBack = index - ofResults;
        if (putBack >= m_putBack.size())
            return {};
        const PutBack& freed = m_putBack[putBack];
        return {QStringLiteral("Lot %1 : %2 – remis en jeu (%3)")
                    .arg(QString::number(freed.prize + 1), prizeName(freed.prize),
                         shownText(freed.reason))};
    }
    const std::size_t run = runOfLine(index);
    const RunStart& start = m_runs[run];
    if (start.teamSize > 0)
        return teamLine(run, index - start.line);
    return resultLine(start.result + index - start.line);
}

QString PalmaresLines::prizeName(std::size_t prize) const
{
    const std::vector<std::string>& prizes = m_session->prizes();
    return prize < prizes.size() ? shownText(prizes[prize]) : QString();
}

QString PalmaresLines::resultText(std::size_t result) const
{
    if (result >= m_results)
        return {};
    const std::size_t run = runOfResult(result);
    const std::vector<sortivo::RunRecord>& runs = m_session->runs();
    const std::size_t rank = result - m_runs[run].result;
    // The session changed since these lines were made.
    if (run >= runs.size() || rank >= runs[run].results.size())
        return {};
    const std::string_view text = runs[run].results.at(rank);
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString PalmaresLines::prizeLine(std::size_t result) const
{
    if (result >= m_awards.results.size())
        return {};
    const sortivo::Standing& standing = m_awards.results[result];
    if (standing.kind != sortivo::Standing::Kind::Winner || !standing.prize)
        return {};
    return QStringLiteral("Lot %1 : %2")
        .arg(QString::number(*standing.prize + 1), prizeName(*standing.prize));
}

PalmaresLine PalmaresLines::resultLine(std::size_t result) const
{
    const QString name = shownText(resultText(result));
    if (result >= m_awards.results.size())
        return {name};
    const sortivo::Standing& standing = m_awards.results[result];
    const bool prizes = !m_awards.winners.empty();
    const auto won = [this](std::size_t prize) {
        return QStringLiteral("%1. %2 : ").arg(QString::number(prize + 1), prizeName(prize));
    };
    switch (standing.kind) {
    case sortivo::Standing::Kind::Winner:
        return {won(*standing.prize) + name};
    case sortivo::Standing::Kind::Absent: {
        QString struck = standing.prize ? won(*standing.prize)
                         : prizes       ? QString()
                                        : QStringLiteral("%1. ").arg(result + 1);
        struck += name;
        const std::vector<sortivo::DeclaredAbsence>& absences = m_session->absences();
        const QString reason = standing.absence < absences.size()
                                   ? shownText(absences[standing.absence].absence.reason)
                                   : QString();
        return {struck + QStringLiteral(" (") + reason + u')', struck.size()};
    }
    case sortivo::Standing::Kind::Reserve:
        if (prizes)
            return {QStringLiteral("Suppléant %1 : ").arg(standing.reserve) + name};
        break;
    case sortivo::Standing::Kind::Team:
        break;
    }
    return {QStringLiteral("%1. ").arg(result + 1) + name};
}

PalmaresLine PalmaresLines::teamLine(std::size_t run, std::size_t team) const
{
    const RunStart& start = m_runs[run];
    const std::size_t first = start.result + team * start.teamSize;
    const std::size_t runEnd = run + 1 < m_runs.size() ? m_runs[run + 1].result : m_results;
    const std::size_t end = std::min(first + start.teamSize, runEnd);
    QStringList members;
    for (std::size_t result = first; result < end; ++result)
        members << shownText(resultText(result));
    return {QStringLiteral("Équipe %1 : ").arg(team + 1) + members.join(QStringLiteral(" - "))};
}
