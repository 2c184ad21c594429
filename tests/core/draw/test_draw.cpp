#include "core/draw/drawrun.h"
#include "core/list/person.h"
#include "core/proof/proofprotocol.h"
#include "core/text/percent.h"
#include "support/naivedraw.h"
#include "support/stdtypes.h"

#include <algorithm>
#include <array>

using namespace std::string_literals;

namespace
{

std::string numberedList(int count)
{
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i)
        lines.push_back("e" + std::to_string(i));
    return sortivo::joinListText(lines);
}

std::vector<std::string> splitLines(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    if (text.empty())
        return parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos)
            return parts;
        start = at + separator.size();
    }
}

double chiSquare(const std::vector<long>& observed, double expected)
{
    double sum = 0;
    for (long o : observed)
        sum += (o - expected) * (o - expected) / expected;
    return sum;
}

} // namespace

class TestDraw : public QObject
{
    Q_OBJECT
private slots:
    void personOfEntry_data();
    void personOfEntry();
    void sameAsErasingDraw_data();
    void sameAsErasingDraw();
    void nothingLostNothingDuplicated();
    void poolTakesLikeErasing_data();
    void poolTakesLikeErasing();
    void separators_data();
    void separators();
    void drawCountBeyondEntriesStopsAtEmpty();
    void firstDrawnIsUniform();
    void shufflePositionsAreUniform();
    void keysGiveDifferentDraws();
    void boundedNumbersStayInRange_data();
    void boundedNumbersStayInRange();
    void percent_data();
    void percent();
};

void TestDraw::personOfEntry_data()
{
    QTest::addColumn<std::string>("entry");
    QTest::addColumn<std::string>("person");

    QTest::newRow("marked") << "Dupont Marie (billet 3/5)"s
                            << "Dupont Marie"s;
    QTest::newRow("unmarked") << "Dupont Marie"s
                              << "Dupont Marie"s;
    QTest::newRow("mark inside a name") << "A (billet 1/2) B"s
                                        << "A (billet 1/2) B"s;
    QTest::newRow("one mark of two goes") << "A (billet 1/2) (billet 2/2)"s
                                          << "A (billet 1/2)"s;
    QTest::newRow("zeros are digits") << "A (billet 0/0)"s
                                      << "A"s;
    QTest::newRow("leading zeros") << "A (billet 007/012)"s
                                   << "A"s;
    QTest::newRow("no space before") << "A(billet 1/2)"s
                                     << "A(billet 1/2)"s;
    QTest::newRow("two spaces before") << "A  (billet 1/2)"s
                                       << "A "s;
    QTest::newRow("only a mark") << " (billet 1/2)"s
                                 << ""s;
    QTest::newRow("space after") << "A (billet 1/2) "s
                                 << "A (billet 1/2) "s;
    QTest::newRow("space inside") << "A (billet 1 /2)"s
                                  << "A (billet 1 /2)"s;
    QTest::newRow("missing number") << "A (billet /2)"s
                                    << "A (billet /2)"s;
    QTest::newRow("missing total") << "A (billet 1/)"s
                                   << "A (billet 1/)"s;
    QTest::newRow("sign") << "A (billet +1/2)"s
                          << "A (billet +1/2)"s;
    QTest::newRow("capital") << "A (Billet 1/2)"s
                             << "A (Billet 1/2)"s;
    QTest::newRow("arabic-indic digit") << "A (billet \u0661/2)"s
                                        << "A (billet \u0661/2)"s;
    QTest::newRow("empty") << ""s
                           << ""s;
}

void TestDraw::personOfEntry()
{
    QFETCH(std::string, entry);
    QFETCH(std::string, person);
    QCOMPARE(std::string(sortivo::personOf(entry)), person);
}

void TestDraw::sameAsErasingDraw_data()
{
    QTest::addColumn<std::string>("listText");
    QTest::addColumn<std::string>("resultText");
    QTest::addColumn<int>("drawCount");
    QTest::addColumn<int>("teamSize");
    QTest::addColumn<unsigned>("label");
    QTest::addColumn<bool>("onePerPerson");

    QTest::newRow("draw all of 1000") << numberedList(1000) << ""s << 1000 << 0 << 1u << false;
    QTest::newRow("draw some of 1000") << numberedList(1000) << ""s << 137 << 0 << 2u << false;
    QTest::newRow("one of 5") << numberedList(5) << "old"s << 1 << 0 << 3u << false;
    QTest::newRow("teams of 3 of 100") << numberedList(100) << ""s << 100 << 3 << 4u << false;
    QTest::newRow("teams after old results")
        << numberedList(10) << "x\r\ny"s << 10 << 4 << 5u << false;
    QTest::newRow("empties and duplicates") << "\r\na\r\n\r\na\r\n"s
                                            << ""s << 5 << 2 << 6u << false;
    QTest::newRow("odd size 1023") << numberedList(1023) << ""s << 1023 << 0 << 7u << false;
    QTest::newRow("power of two 1024") << numberedList(1024) << ""s << 1000 << 0 << 8u << false;
    QTest::newRow("single entry") << "only"s
                                  << ""s << 1 << 0 << 9u << false;
    QTest::newRow("one word and one bit") << numberedList(65) << ""s << 65 << 0 << 10u << false;
    QTest::newRow("two levels and one") << numberedList(16385) << ""s << 16385 << 0 << 11u << false;
    QTest::newRow("four levels, some drawn")
        << numberedList(262145) << ""s << 400 << 0 << 12u << false;

    // One prize per person: each winner withdraws the person's other tickets, in every mode.
    const std::string tickets = "A (billet 1/3)\r\nB\r\nA (billet 2/3)\r\nC (billet 1/2)\r\n"
                                "A (billet 3/3)\r\nB (billet 1/1)\r\nC (billet 2/2)\r\nD"s;
    for (unsigned label = 20; label < 24; ++label) {
        QTest::addRow("per person, all, %u", label) << tickets << ""s << 8 << 0 << label << true;
        QTest::addRow("per person, one, %u", label) << tickets << "x"s << 1 << 0 << label << true;
        QTest::addRow("per person, two, %u", label) << tickets << ""s << 2 << 0 << label << true;
        QTest::addRow("per person, teams, %u", label) << tickets << ""s << 8 << 2 << label << true;
    }
    // Against the reference over random small lists of few persons, marks and look-alikes.
    const std::vector<std::string> names = {"A",
                                            "A (billet 1/2)",
                                            "A (billet 2/2)",
                                            "B",
                                            "B (billet 0/0)",
                                            "",
                                            " (billet 1/1)",
                                            "A ",
                                            "A (billet 1/2) (billet 1/2)",
                                            "B (billet x/1)"};
    for (unsigned label = 100; label < 160; ++label) {
        sortivo::DrawWords words = testWords(label);
        std::vector<std::string> lines(1 + sortivo::uniformBelow(words, 14));
        for (std::string& line : lines)
            line = names[sortivo::uniformBelow(words, std::uint32_t(names.size()))];
        const int count = int(sortivo::uniformBelow(words, 16));
        QTest::addRow("per person, random %u", label)
            << sortivo::joinListText(lines) << ""s << count << int(label % 3) << label << true;
    }
}

void TestDraw::sameAsErasingDraw()
{
    QFETCH(std::string, listText);
    QFETCH(std::string, resultText);
    QFETCH(int, drawCount);
    QFETCH(int, teamSize);
    QFETCH(unsigned, label);
    QFETCH(bool, onePerPerson);

    const NaiveDrawResult expected = naiveDraw(sortivo::loadEntries(listText), resultText,
                                               drawCount, teamSize, testWords(label), onePerPerson);
    const auto withRule = [&](sortivo::DrawRun& run) {
        if (onePerPerson)
            run.withdrawPersons(sortivo::groupPersons(run.entries()));
    };

    sortivo::DrawRun run(sortivo::loadEntries(listText), resultText, drawCount, teamSize,
                         testWords(label));
    withRule(run);
    run.drawAll();
    QCOMPARE(run.resultText(), expected.resultText);
    QCOMPARE(run.remainingListText(), expected.listText);

    // Cut into uneven calls, as the window cuts a run between rounds of events.
    sortivo::DrawRun cut(sortivo::loadEntries(listText), resultText, drawCount, teamSize,
                         testWords(label));
    withRule(cut);
    for (std::int32_t calls = 0; !cut.finished(); ++calls)
        cut.drawMany(calls % 3 == 0 ? 1 : 37);
    QCOMPARE(cut.resultText(), expected.resultText);
    QCOMPARE(cut.remainingListText(), expected.listText);
}

void TestDraw::nothingLostNothingDuplicated()
{
    const std::string listText = numberedList(5000);
    for (int drawCount : {0, 1, 2500, 4999, 5000}) {
        sortivo::DrawRun run(sortivo::loadEntries(listText), std::string(), drawCount, 0,
                             testWords(unsigned(drawCount)));
        run.drawAll();
        const auto drawn = splitLines(run.resultText(), "\r\n");
        const auto rest = splitLines(run.remainingListText(), "\r\n");
        QCOMPARE(int(drawn.size()), drawCount);
        QCOMPARE(run.remainingCount(), std::size_t(5000 - drawCount));

        // The rest keep their list order.
        const auto original = splitLines(listText, "\r\n");
        QVERIFY(std::includes(original.begin(), original.end(), rest.begin(), rest.end(),
                              [&](const std::string& a, const std::string& b) {
                                  return std::stoi(a.substr(1)) < std::stoi(b.substr(1));
                              }));
        std::vector<std::string> all = drawn;
        all.insert(all.end(), rest.begin(), rest.end());
        std::vector<std::string> sortedOriginal = original;
        std::sort(all.begin(), all.end());
        std::sort(sortedOriginal.begin(), sortedOriginal.end());
        QCOMPARE(all, sortedOriginal);
    }
}

void TestDraw::poolTakesLikeErasing_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("ranks");
    // 1: takeAt; more: takeInOrder with that many ranks; 0: remove by index, every other take
    QTest::addColumn<int>("perCall");

    // Sizes at the edges of a word (64 entries) and of each tree level (16 children a node).
    for (int count : {1, 63, 64, 65, 1023, 1024, 1025, 16384, 16385, 262145}) {
        for (const char* ranks : {"first", "last", "middle", "random"}) {
            if (count > 20000 && QByteArray(ranks) != "last" && QByteArray(ranks) != "random")
                continue; // erasing at the front of so long an array is what is slow
            // Four at a time walk the tree side by side; three and seven leave some over.
            for (int perCall : {1, 3, 4, 7, 0}) {
                QTest::addRow("%d, %s, %d a call", count, ranks, perCall)
                    << count << QString::fromLatin1(ranks) << perCall;
            }
        }
    }
}

void TestDraw::poolTakesLikeErasing()
{
    QFETCH(int, count);
    QFETCH(QString, ranks);
    QFETCH(int, perCall);

    std::vector<std::size_t> array(std::size_t(count), 0);
    for (std::size_t i = 0; i < array.size(); ++i)
        array[i] = i;
    sortivo::DrawPool pool{std::size_t(count)};
    sortivo::DrawWords words = testWords(unsigned(count));
    const std::size_t takes = count > 20000 ? 3000 : std::size_t(count);
    for (std::size_t n = 0; n < takes;) {
        const std::size_t calls = std::min(std::size_t(std::max(perCall, 1)), takes - n);
        std::vector<std::uint32_t> callRanks;
        std::vector<std::size_t> expected;
        for (std::size_t k = 0; k < calls; ++k, ++n) {
            const std::size_t left = array.size();
            std::size_t rank = 0;
            if (ranks == QLatin1String("last"))
                rank = left - 1;
            else if (ranks == QLatin1String("middle"))
                rank = left / 2;
            else if (ranks == QLatin1String("random"))
                rank = sortivo::uniformBelow(words, std::uint32_t(left));
            callRanks.push_back(std::uint32_t(rank));
            expected.push_back(array[rank]);
            array.erase(array.begin() + std::ptrdiff_t(rank));
        }
        std::vector<std::size_t> indexes(calls);
        if (perCall == 0 && n % 2 == 0) {
            // The entry at that rank leaves by its index, as a winner's other tickets do.
            pool.remove(expected[0]);
            indexes = expected;
        } else if (perCall <= 1)
            indexes[0] = pool.takeAt(callRanks[0]);
        else
            pool.takeInOrder(callRanks, indexes);
        QCOMPARE(indexes, expected);
        for (const std::size_t index : indexes)
            QVERIFY(pool.isTaken(index));
        QCOMPARE(pool.remaining(), array.size());
    }
    for (std::size_t i = 0, next = 0; i < std::size_t(count); ++i) {
        const bool left = next < array.size() && array[next] == i;
        QCOMPARE(pool.isTaken(i), !left);
        next += left;
    }
}

void TestDraw::separators_data()
{
    QTest::addColumn<std::string>("initial");
    QTest::addColumn<int>("teamSize");
    QTest::addColumn<std::vector<std::string>>("drawn");
    QTest::addColumn<std::string>("result");
    using V = std::vector<std::string>;

    QTest::newRow("one per line") << ""s << 0 << V{"a", "b", "c"} << "a\r\nb\r\nc"s;
    QTest::newRow("appended below old results") << "old"s << 0 << V{"a"} << "old\r\na"s;
    QTest::newRow("empty entry first adds nothing") << ""s << 0 << V{"", "a", "b"} << "a\r\nb"s;
    QTest::newRow("empty entry later leaves an empty line")
        << ""s << 0 << V{"a", "", "b"} << "a\r\n\r\nb"s;
    QTest::newRow("teams of two, last short")
        << ""s << 2 << V{"a", "b", "c", "d", "e"} << "a - b\r\nc - d\r\ne"s;
    QTest::newRow("teams of three exact")
        << ""s << 3 << V{"a", "b", "c", "d", "e", "f"} << "a - b - c\r\nd - e - f"s;
    QTest::newRow("team size one") << ""s << 1 << V{"a", "b", "c"} << "a\r\nb\r\nc"s;
    QTest::newRow("first team below old results") << "old"s << 2 << V{"a", "b"} << "old\r\na - b"s;
    QTest::newRow("empty first member keeps the dash")
        << ""s << 2 << V{"", "b", "c"} << " - b\r\nc"s;
    QTest::newRow("team larger than the list") << ""s << 10 << V{"a", "b"} << "a - b"s;
}

void TestDraw::separators()
{
    QFETCH(std::string, initial);
    QFETCH(int, teamSize);
    QFETCH(std::vector<std::string>, drawn);
    QFETCH(std::string, result);
    sortivo::ResultText text(initial, teamSize);
    for (const auto& entry : drawn)
        text.append(entry);
    QCOMPARE(text.text(), result);

    // Written out a piece at a time with LF line ends, as the command line writes it.
    sortivo::ResultText pieces(initial, teamSize, "\n");
    std::string written;
    for (const auto& entry : drawn) {
        pieces.append(entry);
        written += pieces.text();
        pieces.clearWritten();
    }
    QCOMPARE(written, QString::fromStdString(result).replace("\r\n", "\n").toStdString());
}

void TestDraw::drawCountBeyondEntriesStopsAtEmpty()
{
    sortivo::DrawRun run(sortivo::loadEntries("a\r\nb\r\nc"), std::string(), 1000, 0, testWords(5));
    run.drawAll();
    QVERIFY(run.finished());
    QCOMPARE(run.drawsDone(), 3);
    QCOMPARE(run.remainingCount(), std::size_t(0));
    QCOMPARE(run.remainingListText(), ""s);
    QCOMPARE(splitLines(run.resultText(), "\r\n").size(), std::size_t(3));
}

// The fairness tests draw as a session does: one run after another from one seed, each with
// the key of its number, so they check the words that real runs get.
void TestDraw::firstDrawnIsUniform()
{
    const sortivo::EntryList base = sortivo::loadEntries(numberedList(10));
    const std::string fingerprint = sortivo::entriesFingerprint(base);
    const sortivo::Seed seed = sortivo::sha256("fairness, first drawn");
    constexpr int trials = 50000;
    std::vector<long> counts(10);
    for (int t = 1; t <= trials; ++t) {
        sortivo::DrawRun run(base, std::string(), 1, 0,
                             sortivo::DrawWords(sortivo::runKey(seed, t, fingerprint, "")));
        run.drawMany(1);
        ++counts[std::size_t(std::stoi(run.resultText().substr(1)) - 1)];
    }
    // Critical value of chi-square with 9 degrees of freedom at p = 0.001.
    QVERIFY2(chiSquare(counts, trials / 10.0) < 27.877, "first drawn entry is not uniform");
}

void TestDraw::shufflePositionsAreUniform()
{
    constexpr int size = 6;
    constexpr int trials = 30000;
    const sortivo::EntryList base = sortivo::loadEntries(numberedList(size));
    const std::string fingerprint = sortivo::entriesFingerprint(base);
    const sortivo::Seed seed = sortivo::sha256("fairness, shuffle");
    std::vector<long> counts(size * size); // entry x position
    for (int t = 1; t <= trials; ++t) {
        sortivo::DrawRun run(base, std::string(), size, 0,
                             sortivo::DrawWords(sortivo::runKey(seed, t, fingerprint, "")));
        run.drawAll();
        const auto drawn = splitLines(run.resultText(), "\r\n");
        for (int pos = 0; pos < size; ++pos)
            ++counts[std::size_t((std::stoi(drawn[pos].substr(1)) - 1) * size + pos)];
    }
    // (6-1)^2 = 25 degrees of freedom; critical value at p = 0.001.
    QVERIFY2(chiSquare(counts, double(trials) / size) < 52.620, "shuffle positions not uniform");
}

void TestDraw::keysGiveDifferentDraws()
{
    const std::string listText = numberedList(100);
    auto shuffled = [&](sortivo::DrawWords words) {
        sortivo::DrawRun run(sortivo::loadEntries(listText), std::string(), 100, 0,
                             std::move(words));
        run.drawAll();
        return run.resultText();
    };
    QCOMPARE(shuffled(testWords(1)), shuffled(testWords(1)));
    QVERIFY(shuffled(testWords(1)) != shuffled(testWords(2)));
    QVERIFY(shuffled(sortivo::DrawWords(sortivo::freshSeed())) !=
            shuffled(sortivo::DrawWords(sortivo::freshSeed())));
}

void TestDraw::boundedNumbersStayInRange_data()
{
    QTest::addColumn<quint32>("bound");
    QTest::newRow("1") << quint32(1);
    QTest::newRow("3") << quint32(3);
    QTest::newRow("2^31+1") << quint32(2147483649u);
    QTest::newRow("2^32-1") << quint32(4294967295u);
}

void TestDraw::boundedNumbersStayInRange()
{
    QFETCH(quint32, bound);
    sortivo::DrawWords words = testWords(bound);
    std::uint32_t highest = 0;
    for (int i = 0; i < 10000; ++i) {
        const auto v = sortivo::uniformBelow(words, bound);
        QVERIFY(v < bound);
        highest = std::max(highest, v);
    }
    // With a large bound the upper half must be reached: a truncating mapping would not.
    if (bound > 2)
        QVERIFY(highest > bound / 2);
}

void TestDraw::percent_data()
{
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("total");
    QTest::addColumn<std::string>("text");
    QTest::newRow("half rounds up") << 1 << 8 << "13%"s;
    QTest::newRow("a third") << 1 << 3 << "33%"s;
    QTest::newRow("two thirds") << 2 << 3 << "67%"s;
    QTest::newRow("half a percent") << 1 << 200 << "1%"s;
    QTest::newRow("just under half a percent") << 1 << 201 << "0%"s;
    QTest::newRow("done") << 300 << 300 << "100%"s;
    // "Go" with no number chosen on a long list: a run of no draws is done at once.
    QTest::newRow("nothing to draw") << 0 << 0 << "100%"s;
}

void TestDraw::percent()
{
    QFETCH(int, done);
    QFETCH(int, total);
    QFETCH(std::string, text);
    QCOMPARE(sortivo::percentText(sortivo::percentOf(done, total)), text);
}

QTEST_APPLESS_MAIN(TestDraw)
#include "test_draw.moc"
