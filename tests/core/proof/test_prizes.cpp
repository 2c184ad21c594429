#include "core/proof/palmaresrows.h"
#include "core/proof/prizes.h"

#include <QTest>

#include <random>

// Who wins which prize: the rule the window, the record and every checker share.

namespace
{

using sortivo::Standing;

// "3,2t,4": three results, then a run of two teams, then four.
std::vector<sortivo::PrizeRun> runsOf(const QString& text)
{
    std::vector<sortivo::PrizeRun> runs;
    for (const QString& run : text.split(u',', Qt::SkipEmptyParts)) {
        const bool teams = run.endsWith(u't');
        runs.push_back({std::int64_t(runs.size() + 1),
                        std::size_t((teams ? run.chopped(1) : run).toUInt()), teams});
    }
    return runs;
}

// "2:1@3": the first result of run 2, declared absent after run 3.
std::vector<sortivo::Absence> absencesOf(const QString& text)
{
    std::vector<sortivo::Absence> absences;
    for (const QString& absence : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList parts = absence.split(QRegularExpression(QStringLiteral("[:@]")));
        absences.push_back({parts[0].toLongLong(), std::size_t(parts[1].toUInt()), "absent",
                            parts[2].toLongLong()});
    }
    return absences;
}

// One word a result: W3 won prize 3, R2 is reserve 2, A3 is absent with prize 3 (A- with
// none), T is a team.
QString standingsOf(const sortivo::PrizeAwards& awards)
{
    QStringList words;
    for (const Standing& standing : awards.results) {
        switch (standing.kind) {
        case Standing::Kind::Winner:
            words << QStringLiteral("W%1").arg(*standing.prize + 1);
            break;
        case Standing::Kind::Reserve:
            words << QStringLiteral("R%1").arg(standing.reserve);
            break;
        case Standing::Kind::Absent:
            words << (standing.prize ? QStringLiteral("A%1").arg(*standing.prize + 1)
                                     : QStringLiteral("A-"));
            break;
        case Standing::Kind::Team:
            words << QStringLiteral("T");
            break;
        }
    }
    return words.join(u' ');
}

// The rule as it reads, one scan for each step.
QString naiveStandings(std::size_t prizes, const std::vector<sortivo::PrizeRun>& runs,
                       const std::vector<sortivo::Absence>& absences)
{
    sortivo::PrizeAwards awards;
    awards.winners.resize(prizes);
    std::vector<std::pair<std::int64_t, std::size_t>> where; // run, rank
    for (const sortivo::PrizeRun& run : runs) {
        for (std::size_t rank = 1; rank <= run.results; ++rank) {
            Standing standing;
            standing.kind = run.teams ? Standing::Kind::Team : Standing::Kind::Reserve;
            for (std::size_t p = 0; p < prizes && !run.teams; ++p)
                if (!awards.winners[p]) {
                    awards.winners[p] = awards.results.size();
                    standing = {Standing::Kind::Winner, p, 0, 0};
                    break;
                }
            awards.results.push_back(standing);
            where.emplace_back(run.number, rank);
        }
        for (const sortivo::Absence& absence : absences) {
            if (absence.afterRun != run.number)
                continue;
            std::size_t r = 0;
            while (where[r] != std::pair(absence.run, absence.rank))
                ++r;
            const std::optional<std::size_t> freed = awards.results[r].prize;
            awards.results[r].kind = Standing::Kind::Absent;
            if (!freed)
                continue;
            awards.winners[*freed].reset();
            for (std::size_t k = 0; k < awards.results.size(); ++k)
                if (awards.results[k].kind == Standing::Kind::Reserve) {
                    awards.winners[*freed] = k;
                    awards.results[k] = {Standing::Kind::Winner, *freed, 0, 0};
                    break;
                }
        }
    }
    std::size_t reserve = 0;
    for (Standing& standing : awards.results)
        if (standing.kind == Standing::Kind::Reserve)
            standing.reserve = ++reserve;
    return standingsOf(awards);
}

} // namespace

class TestPrizes : public QObject
{
    Q_OBJECT
private slots:
    void expandPrizes_data();
    void expandPrizes();
    void awardPrizes_data();
    void awardPrizes();
    void awardPrizesAsTheRuleReads();
    void palmaresRows_data();
    void palmaresRows();
};

void TestPrizes::expandPrizes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("prizes");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("one a line, blank lines and spaces dropped")
        << QStringLiteral("  Vélo enfant \r\n\r\n\tBon d'achat\n")
        << QStringList{QStringLiteral("Vélo enfant"), QStringLiteral("Bon d'achat")} << QString();
    QTest::newRow("a count stands for as many")
        << QStringLiteral("3 × Bon d'achat 20 €")
        << QStringList{QStringLiteral("Bon d'achat 20 € (1/3)"),
                       QStringLiteral("Bon d'achat 20 € (2/3)"),
                       QStringLiteral("Bon d'achat 20 € (3/3)")}
        << QString();
    QTest::newRow("the letter x, no space before it")
        << QStringLiteral("2x  Place de cinéma")
        << QStringList{QStringLiteral("Place de cinéma (1/2)"),
                       QStringLiteral("Place de cinéma (2/2)")}
        << QString();
    QTest::newRow("a count of one adds nothing")
        << QStringLiteral("1 × Vélo") << QStringList{QStringLiteral("Vélo")} << QString();
    QTest::newRow("a sign with no space after is a name")
        << QStringLiteral("4x4 télécommandé\n2 ×")
        << QStringList{QStringLiteral("4x4 télécommandé"), QStringLiteral("2 ×")} << QString();
    QTest::newRow("none is refused with its line")
        << QStringLiteral("Vélo\n0 × Stylo") << QStringList()
        << QStringLiteral("Ligne 2 : « 0 × Stylo » : un lot se compte de 1 à 10\u202f000 fois.");
    QTest::newRow("past the most, however long the count")
        << QStringLiteral("99999999999999999999 x Stylo") << QStringList()
        << QStringLiteral("Ligne 1 : « 99999999999999999999 x Stylo » : un lot se compte de 1 "
                          "à 10\u202f000 fois.");
}

void TestPrizes::expandPrizes()
{
    QFETCH(QString, text);
    QFETCH(QStringList, prizes);
    QFETCH(QString, refusal);
    const sortivo::Expected<std::vector<std::string>> expanded =
        sortivo::expandPrizes(text.toStdString());
    QCOMPARE(expanded ? QString() : QString::fromStdString(expanded.error().text), refusal);
    if (!expanded)
        return;
    QStringList got;
    for (const std::string& prize : *expanded)
        got << QString::fromStdString(prize);
    QCOMPARE(got, prizes);
}

void TestPrizes::awardPrizes_data()
{
    QTest::addColumn<int>("prizes");
    QTest::addColumn<QString>("runs");
    QTest::addColumn<QString>("absences");
    QTest::addColumn<QString>("standings");

    QTest::newRow("plain") << 3 << "2,1"
                           << ""
                           << "W1 W2 W3";
    QTest::newRow("prizes left over") << 3 << "2"
                                      << ""
                                      << "W1 W2";
    QTest::newRow("reserves") << 2 << "4"
                              << ""
                              << "W1 W2 R1 R2";
    QTest::newRow("absent before the prizes run out: the next result drawn") << 3 << "2,1"
                                                                             << "1:1@1"
                                                                             << "A1 W2 W1";
    QTest::newRow("absent once they have: the earliest reserve") << 2 << "4,1"
                                                                 << "1:2@1"
                                                                 << "W1 A2 W2 R1 R2";
    QTest::newRow("two absences in a row") << 2 << "4"
                                           << "1:1@1 1:3@1"
                                           << "A1 W2 A1 W1";
    QTest::newRow("a reserve absent is passed over") << 1 << "3"
                                                     << "1:2@1 1:1@1"
                                                     << "A1 A- W1";
    QTest::newRow("a team run takes no prize") << 2 << "1,2t,2"
                                               << ""
                                               << "W1 T T W2 R1";
    QTest::newRow("declared later, after a team run") << 1 << "1,2t"
                                                      << "1:1@2"
                                                      << "A1 T T";
    QTest::newRow("an unknown result") << 1 << "2"
                                       << "1:3@1"
                                       << "absence d'un résultat inconnu (tirage n° 1, rang 3)";
    QTest::newRow("a team") << 1 << "2t"
                            << "1:1@1"
                            << "absence d'une équipe (tirage n° 1, rang 1) : les équipes n'ont "
                               "pas de lot";
    QTest::newRow("already absent") << 1 << "2"
                                    << "1:1@1 1:1@1"
                                    << "résultat (tirage n° 1, rang 1) déjà déclaré absent";
    QTest::newRow("before its result")
        << 1 << "1,1"
        << "2:1@1"
        << "absence (tirage n° 2, rang 1) déclarée avant le tirage de son résultat";
    QTest::newRow("after no run")
        << 1 << "1"
        << "1:1@2"
        << "absence (tirage n° 1, rang 1) déclarée après le tirage n° 2, qui n'existe pas";
    QTest::newRow("out of order")
        << 1 << "1,1"
        << "2:1@2 1:1@1"
        << "absence (tirage n° 1, rang 1) placée après une absence déclarée plus tard";
}

void TestPrizes::awardPrizes()
{
    QFETCH(int, prizes);
    QFETCH(QString, runs);
    QFETCH(QString, absences);
    QFETCH(QString, standings);
    const sortivo::Expected<sortivo::PrizeAwards> awards =
        sortivo::awardPrizes(std::size_t(prizes), runsOf(runs), absencesOf(absences));
    QCOMPARE(awards ? standingsOf(*awards) : QString::fromStdString(awards.error().text),
             standings);
    // Each prize names its winner, and that winner names the prize back.
    for (std::size_t p = 0; awards && p < awards->winners.size(); ++p)
        if (const std::optional<std::size_t> winner = awards->winners[p])
            QCOMPARE(awards->results[*winner].prize, std::optional(p));
}

// Random sessions against the rule read literally, with the absences a window could declare.
void TestPrizes::awardPrizesAsTheRuleReads()
{
    std::mt19937 random(20261209);
    for (int session = 0; session < 2000; ++session) {
        const std::size_t prizes = random() % 8;
        std::vector<sortivo::PrizeRun> runs;
        std::vector<sortivo::Absence> absences;
        std::vector<std::pair<std::int64_t, std::size_t>> present;
        for (std::int64_t number = 1; number <= std::int64_t(1 + random() % 6); ++number) {
            const sortivo::PrizeRun run{number, random() % 6, random() % 6 == 0};
            runs.push_back(run);
            for (std::size_t rank = 1; rank <= run.results && !run.teams; ++rank)
                present.emplace_back(number, rank);
            for (int n = int(random() % 3); n > 0 && !present.empty(); --n) {
                const std::size_t pick = random() % present.size();
                absences.push_back({present[pick].first, present[pick].second, "absent", number});
                present.erase(present.begin() + std::ptrdiff_t(pick));
            }
        }
        const sortivo::Expected<sortivo::PrizeAwards> awards =
            sortivo::awardPrizes(prizes, runs, absences);
        QVERIFY2(awards, awards ? "" : awards.error().text.c_str());
        QCOMPARE(standingsOf(*awards), naiveStandings(prizes, runs, absences));
    }
}

void TestPrizes::palmaresRows_data()
{
    QTest::addColumn<int>("prizes");
    QTest::addColumn<QString>("runs");
    QTest::addColumn<QString>("absences");
    QTest::addColumn<QString>("rows");

    // A row "rank|prize|winner|run|time|status", results named by their index in draw order,
    // run n's time 2026-12-09T18:0n:00Z, prizes "Lot 1" on.
    QTest::newRow("no prizes: every result in draw order, teams numbered")
        << 0 << "2,4t"
        << ""
        << "1||R0|1|2026-12-09T18:01:00Z|tiré 2||R1|1|2026-12-09T18:01:00Z|tiré "
           "3||R2|2|2026-12-09T18:02:00Z|équipe n° 1 4||R3|2|2026-12-09T18:02:00Z|équipe n° 1 "
           "5||R4|2|2026-12-09T18:02:00Z|équipe n° 2 6||R5|2|2026-12-09T18:02:00Z|équipe n° 2";
    QTest::newRow("prizes, then the absent with the prize they held, then reserves")
        << 2 << "4"
        << "1:1@1"
        << "1|Lot 1|R2|1|2026-12-09T18:01:00Z|gagnant 2|Lot 2|R1|1|2026-12-09T18:01:00Z|gagnant "
           "3|Lot 1|R0|1|2026-12-09T18:01:00Z|absent "
           "4||R3|1|2026-12-09T18:01:00Z|suppléant n° 1";
    QTest::newRow("a prize nobody holds yet, teams last")
        << 3 << "1,2t,1"
        << ""
        << "1|Lot 1|R0|1|2026-12-09T18:01:00Z|gagnant 2|Lot 2|R3|3|2026-12-09T18:03:00Z|gagnant "
           "3|Lot 3||||non attribué 4||R1|2|2026-12-09T18:02:00Z|équipe n° 1 "
           "5||R2|2|2026-12-09T18:02:00Z|équipe n° 1";
    QTest::newRow("refused as the award rule refuses")
        << 1 << "2"
        << "1:3@1"
        << "absence d'un résultat inconnu (tirage n° 1, rang 3)";
}

void TestPrizes::palmaresRows()
{
    QFETCH(int, prizes);
    QFETCH(QString, runs);
    QFETCH(QString, absences);
    QFETCH(QString, rows);
    sortivo::PalmaresInput input;
    for (int p = 1; p <= prizes; ++p)
        input.prizes.push_back("Lot " + std::to_string(p));
    for (const sortivo::PrizeRun& run : runsOf(runs))
        input.runs.push_back({run.number, "2026-12-09T18:0" + std::to_string(run.number) + ":00Z",
                              run.results, run.teams ? 2 : 0});
    input.absences = absencesOf(absences);
    std::vector<std::string> names;
    input.resultText = [&](std::size_t r) {
        return std::string_view(names.emplace_back("R" + std::to_string(r)));
    };
    names.reserve(100);
    const sortivo::Expected<sortivo::PalmaresPage> got = sortivo::palmaresRows(input);
    QStringList lines;
    for (const sortivo::PalmaresRow& row : got ? got->rows : std::vector<sortivo::PalmaresRow>()) {
        QCOMPARE(row.result.has_value(), !row.winner.empty());
        lines << QString::fromStdString(
            std::to_string(row.rank) + "|" + row.prize + "|" + row.winner + "|" +
            (row.run ? std::to_string(*row.run) : "") + "|" + row.time + "|" + row.status);
    }
    QCOMPARE(got ? lines.join(u' ') : QString::fromStdString(got.error().text), rows);
    // A page of the first rows holds those very rows and counts all of them.
    for (std::size_t count = 0; got && count <= got->total + 1; ++count) {
        const sortivo::Expected<sortivo::PalmaresPage> page = sortivo::palmaresRows(input, count);
        QCOMPARE(page->total, got->total);
        QCOMPARE(page->rows.size(), std::min(count, got->total));
        for (std::size_t i = 0; i < page->rows.size(); ++i) {
            QCOMPARE(page->rows[i].rank, got->rows[i].rank);
            QCOMPARE(page->rows[i].status, got->rows[i].status);
        }
    }
}

QTEST_APPLESS_MAIN(TestPrizes)
#include "test_prizes.moc"
