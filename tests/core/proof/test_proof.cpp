#include "core/draw/drawwords.h"
#include "core/proof/minutes.h"
#include "core/proof/proofprotocol.h"
#include "core/proof/proofrecord.h"
#include "core/proof/proofreport.h"
#include "core/proof/proofsession.h"
#include "core/proof/proofverify.h"
#include "support/proofsamples.h"
#include "support/stdtypes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace std::string_literals;
using sortivo::DrawMode;

namespace
{

std::vector<std::string> resultsOf(const sortivo::RunRecord& run)
{
    std::vector<std::string> results;
    for (std::size_t i = 0; i < run.results.size(); ++i)
        results.emplace_back(run.results.at(i));
    return results;
}

} // namespace

// The known answers below were computed once with docs/verifier_pv.py, the reference checker
// that third parties read; the engine must give the same to the bit.
class TestProof : public QObject
{
    Q_OBJECT
private slots:
    // Paper and dialog times are local: one zone for every test, without the zone database.
    void initTestCase()
    {
        qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
    }
    void localTimes_data();
    void localTimes();
    void knownAnswers();
    void knownWords();
    void knownPositions();
    void knownDraws();
    void fingerprintOfLoadedList_data();
    void fingerprintOfLoadedList();
    void publicValueLockedByFirstRun();
    void communication();
    void stoppedRun();
    void entriesWrittenOnlyWhenChanged();
    void leftoverRunsAsReread_data();
    void leftoverRunsAsReread();
    void oneRunAtATime();
    void freshSeeds();
    void recordBytes();
    void recordStringsRoundTrip_data();
    void recordStringsRoundTrip();
    void readableRecord();
    void acceptsRecords_data();
    void acceptsRecords();
    void rejectsRecords_data();
    void rejectsRecords();
};

void TestProof::knownAnswers()
{
    const sortivo::Seed seed = proofsamples::sampleSeed();
    QCOMPARE(sortivo::commitmentOf(seed),
             "630dcd2966c4336691125448bbb25b4ff412a49c732db2c8abc1b8581bd710dd"s);
    const std::string fingerprint =
        sortivo::entriesFingerprint(sortivo::loadEntries("Alice\r\nBob\r\n\r\nZoé  "));
    QCOMPARE(fingerprint, "f118e30bb8bd16f5ce0e11e23bff0a31a4183d18477431eef2f0acab1e1c54e3"s);
    QCOMPARE(sortivo::entriesFingerprint(sortivo::loadEntries("")),
             "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"s);
    QCOMPARE(sortivo::toHex(sortivo::runKey(seed, 7, fingerprint, "Dés : 3 5 6")),
             "d7fab2f336a05a105980839ea4980d0b30fe30f0c35e88616c7c0f71db1777bb"s);
    QCOMPARE(sortivo::toHex(sortivo::runKey(seed, 7, fingerprint, "Dés : 3 5 6",
                                            sortivo::onePrizeProtocolName)),
             "e073c4efa5589a620cf8d35ebd09e3436e5b0d09e29d3e54e77476b02950e276"s);

    // One prize per person: a run of all draws each person once.
    sortivo::ProofSession session(seed);
    QVERIFY(session.setOnePrizePerPerson(true));
    const std::string tickets = "e1 (billet 1/3)\r\ne2\r\ne1 (billet 2/3)\r\ne3 (billet 1/2)\r\n"
                                "e1 (billet 3/3)\r\ne4\r\ne3 (billet 2/2)\r\ne5";
    session.noteCommunicated("2026-12-07T19:58:00Z",
                             sortivo::communicatedListOf(sortivo::loadEntries(tickets)));
    QVERIFY(!session.setOnePrizePerPerson(false));
    QVERIFY(session.setPublicValue("Dés : 3 5 6"));
    sortivo::DrawRun run =
        session.beginRun(sortivo::loadEntries(tickets), {}, {sortivo::DrawMode::All, 8, 0}, "");
    run.drawAll();
    QCOMPARE(run.resultText(), "e1 (billet 3/3)\r\ne3 (billet 2/2)\r\ne4\r\ne2\r\ne5"s);
    QCOMPARE(run.remainingCount(), std::size_t(0));
}

void TestProof::knownWords()
{
    // Two and a half blocks: the block number goes into the hash, and words are read in order.
    const std::vector<std::uint32_t> expected{
        0xf176db35, 0xd241391f, 0x20cfa075, 0xcdad0ded, 0x4d09c252, 0x48e43114, 0xba98a095,
        0x7ceebcaa, 0x03f621fe, 0x6f176c49, 0x5026014c, 0xa304ca91, 0x5e7d31e8, 0x332d4fad,
        0x0808124b, 0x74217ccb, 0xb0937cc3, 0xcdf65211, 0x68ce41c1, 0xdf5baecf};
    sortivo::DrawWords words(*sortivo::digestFromHex(
        "d7fab2f336a05a105980839ea4980d0b30fe30f0c35e88616c7c0f71db1777bb"));
    for (const std::uint32_t word : expected)
        QCOMPARE(words.next(), word);
}

void TestProof::knownPositions()
{
    // Bounds near 2^32 make rejections common: the sixth and tenth positions each throw two
    // words away, and every later position shows that exactly those were skipped.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected{{10, 9},
                                                                        {3000000000, 2463923177},
                                                                        {3000000000, 384504399},
                                                                        {3000000000, 2410265551},
                                                                        {3000000000, 902790484},
                                                                        {3000000000, 854195787},
                                                                        {3000000000, 46423314},
                                                                        {1, 0},
                                                                        {4294967295, 1344667979},
                                                                        {2147483649, 429303766},
                                                                        {2147483649, 67373349},
                                                                        {2147483649, 974175845},
                                                                        {7, 4}};
    sortivo::DrawWords words(*sortivo::digestFromHex(
        "d7fab2f336a05a105980839ea4980d0b30fe30f0c35e88616c7c0f71db1777bb"));
    for (const auto& [bound, position] : expected)
        QCOMPARE(sortivo::uniformBelow(words, bound), position);
}

void TestProof::knownDraws()
{
    sortivo::ProofSession session(proofsamples::sampleSeed());
    session.noteCommunicated("2026-12-07T19:58:00Z", sortivo::communicatedListOf({}));
    QVERIFY(session.setPublicValue("Dés : 3 5 6"));
    const std::string left =
        proofsamples::click(session, proofsamples::numbered(10, "e"), DrawMode::Chosen, 3);
    QCOMPARE(left, "e1\r\ne2\r\ne3\r\ne4\r\ne5\r\ne7\r\ne8"s);
    proofsamples::click(session, left, DrawMode::All);
    QCOMPARE(resultsOf(session.runs()[0]), (std::vector<std::string>{"e6", "e10", "e9"}));
    QCOMPARE(resultsOf(session.runs()[1]),
             (std::vector<std::string>{"e3", "e7", "e4", "e5", "e1", "e8", "e2"}));
}

void TestProof::fingerprintOfLoadedList_data()
{
    QTest::addColumn<std::string>("listText");
    QTest::newRow("empty") << ""s;
    QTest::newRow("one empty line") << "\r\n"s;
    QTest::newRow("lone CR and LF dropped") << "a\rb\r\nc\nd"s;
    QTest::newRow("trailing empty entry") << "a\r\nb\r\n"s;
    // More than the fingerprint buffers before it hashes.
    QTest::newRow("70000 entries") << proofsamples::numbered(70000, "entrée ");
}

// The fast path hashes the loaded text in one piece; it must agree with hashing entry by
// entry, which is what checkers do.
void TestProof::fingerprintOfLoadedList()
{
    QFETCH(std::string, listText);
    const sortivo::EntryList entries = sortivo::loadEntries(listText);
    sortivo::EntriesFingerprint byEntry;
    for (std::size_t i = 0; i < entries.size(); ++i)
        byEntry.add(entries.at(i));
    QCOMPARE(sortivo::entriesFingerprint(entries), byEntry.finishHex());
}

void TestProof::publicValueLockedByFirstRun()
{
    sortivo::ProofSession session(proofsamples::sampleSeed());
    // Typed before the audience saw the commitment, it could have been chosen with it.
    QVERIFY(!session.setPublicValue("4 2"));
    session.noteCommunicated("2026-12-07T19:58:00Z", sortivo::communicatedListOf({}));
    QVERIFY(session.setPublicValue("4 2"));
    QVERIFY(session.setPublicValue("4 2 6"));
    sortivo::DrawRun run =
        session.beginRun(sortivo::loadEntries("a\r\nb"), {}, {DrawMode::One, 1, 0}, "t");
    // Locked from the start of the run, so a value typed during a long run cannot change it.
    QVERIFY(!session.setPublicValue("1"));
    run.drawAll();
    session.endRun(run);
    QVERIFY(!session.setPublicValue("1"));
    QCOMPARE(session.publicValue(), "4 2 6"s);
}

void TestProof::communication()
{
    sortivo::ProofSession session(proofsamples::sampleSeed());
    QVERIFY(session.setPrizes({"Vélo", "Livre"}));
    QVERIFY(session.setPrizes({"Livre", "Vélo"}));
    proofsamples::click(session, "a\r\nb", DrawMode::One);
    QVERIFY(!session.hasRunsSinceCommunication());
    QVERIFY(!session.communicatedPrizes());
    session.noteCommunicated("2026-12-07T20:00:00Z",
                             sortivo::communicatedListOf(sortivo::loadEntries("b")));
    session.noteCommunicated("2026-12-07T21:00:00Z",
                             sortivo::communicatedListOf(sortivo::loadEntries("a\r\nb")));
    QCOMPARE(session.communicatedAt(), std::optional<std::string>("2026-12-07T20:00:00Z"));
    QCOMPARE(session.communicatedList()->count, std::size_t(1));
    QCOMPARE(session.communicatedList()->fingerprint,
             sortivo::entriesFingerprint(sortivo::loadEntries("b")));
    // The prizes went out with the first communication, in the order they then stood.
    QVERIFY(!session.setPrizes({"Vélo", "Livre"}));
    QCOMPARE(session.prizes(), (std::vector<std::string>{"Livre", "Vélo"}));
    QCOMPARE(session.communicatedPrizes()->count, std::size_t(2));
    QCOMPARE(session.communicatedPrizes()->fingerprint,
             sortivo::entriesFingerprint(sortivo::loadEntries("Livre\r\nVélo")));
    QVERIFY(!session.hasRunsSinceCommunication());
    proofsamples::click(session, "a\r\nb", DrawMode::One);
    QVERIFY(session.hasRunsSinceCommunication());
    QVERIFY(session.runs()[0].beforeCommunication);
    QVERIFY(!session.runs()[1].beforeCommunication);
    QCOMPARE(session.runs()[1].number, std::int64_t(2));
}

void TestProof::stoppedRun()
{
    sortivo::ProofSession session(proofsamples::sampleSeed());
    const std::string list = proofsamples::numbered(50, "x");
    proofsamples::click(session, list, DrawMode::All, 0, 0, 20);
    // Stop clicked during the last draw: the run completed, so it was not cut short.
    proofsamples::click(session, "a\r\nb", DrawMode::Chosen, 2, 0, 2);
    QVERIFY(session.runs()[0].stopped);
    QCOMPARE(session.runs()[0].results.size(), std::size_t(20));
    QVERIFY(!session.runs()[1].stopped);
}

void TestProof::entriesWrittenOnlyWhenChanged()
{
    sortivo::ProofSession session(proofsamples::sampleSeed());
    std::string list = proofsamples::click(session, "\r\na\r\nb\r\nc\r\nd", DrawMode::Chosen, 0);
    // The list box lost the leading empty line, so the list differs from what was left.
    list = proofsamples::click(session, list, DrawMode::One);
    list = proofsamples::click(session, list, DrawMode::One);
    list = proofsamples::click(session, list + "\r\ne", DrawMode::One);
    proofsamples::click(session, list, DrawMode::All);
    std::vector<bool> written;
    for (const sortivo::RunRecord& run : session.runs())
        written.push_back(run.entries != nullptr);
    QCOMPARE(written, (std::vector<bool>{true, true, false, true, false}));
    // A new session writes its first run's entries whatever came before.
    sortivo::ProofSession next(sortivo::sha256("next"));
    proofsamples::click(next, "a", DrawMode::One);
    QVERIFY(next.runs()[0].entries != nullptr);
}

void TestProof::leftoverRunsAsReread_data()
{
    QTest::addColumn<std::string>("list");
    // Each click: mode, count chosen, team size, draws before a stop (-1: none).
    QTest::addColumn<QList<QList<int>>>("clicks");
    // What each run leaves is hashed later: handed over after the run for every other run, for
    // the others worked out when the next run needs it. The list is then communicated first,
    // so that its check hears of what the runs left.
    QTest::addColumn<bool>("later");
    const int one = int(DrawMode::One);
    const int chosen = int(DrawMode::Chosen);
    const int all = int(DrawMode::All);
    const int teams = int(DrawMode::Teams);
    QTest::newRow("ones") << proofsamples::numbered(10, "n")
                          << QList<QList<int>>{{one, 0, 0, -1}, {one, 0, 0, -1}, {one, 0, 0, -1}}
                          << false;
    QTest::newRow("chosen, then all")
        << proofsamples::numbered(50, "n")
        << QList<QList<int>>{{chosen, 7, 0, -1}, {chosen, 3, 0, -1}, {all, 0, 0, -1}} << false;
    QTest::newRow("teams") << proofsamples::numbered(23, "n")
                           << QList<QList<int>>{{chosen, 5, 0, -1}, {teams, 0, 3, -1}} << false;
    QTest::newRow("stopped") << proofsamples::numbered(100, "n")
                             << QList<QList<int>>{{all, 0, 0, 10},
                                                  {one, 0, 0, -1},
                                                  {all, 0, 0, 0},
                                                  {chosen, 4, 0, -1}}
                             << false;
    QTest::newRow("blank entries")
        << "a\r\n\r\nb\r\n\r\n\r\nc"s
        << QList<QList<int>>{{one, 0, 0, -1}, {one, 0, 0, -1}, {one, 0, 0, -1}, {all, 0, 0, -1}}
        << false;
    QTest::newRow("duplicates") << "x\r\nx\r\ny\r\nx"s
                                << QList<QList<int>>{{one, 0, 0, -1}, {one, 0, 0, -1}} << false;
    QTest::newRow("trailing blank")
        << "a\r\nb\r\nc\r\n"s << QList<QList<int>>{{one, 0, 0, -1}, {one, 0, 0, -1}} << false;
    // Stretches of entries left side by side longer than the hasher's buffer.
    QTest::newRow("long stretches")
        << proofsamples::numbered(30000, "n")
        << QList<QList<int>>{{one, 0, 0, -1}, {chosen, 5, 0, -1}, {one, 0, 0, -1}} << false;
    QTest::newRow("hashed later") << proofsamples::numbered(100, "n")
                                  << QList<QList<int>>{{all, 0, 0, 10},
                                                       {one, 0, 0, -1},
                                                       {chosen, 4, 0, -1},
                                                       {teams, 0, 3, 6},
                                                       {one, 0, 0, -1}}
                                  << true;
}

// A run on the entries the last run left, as the window starts it when the list was not touched
// since, must be the run that reading the list box again would give, to the record's byte.
void TestProof::leftoverRunsAsReread()
{
    QFETCH(std::string, list);
    QFETCH(QList<QList<int>>, clicks);
    QFETCH(bool, later);
    const std::string date = "2026-12-07T20:00:00Z";
    sortivo::ProofSession reread(proofsamples::sampleSeed());
    sortivo::ProofSession onLeftover(proofsamples::sampleSeed());
    if (later) {
        const sortivo::CommunicatedList shown =
            sortivo::communicatedListOf(sortivo::loadEntries(list));
        reread.noteCommunicated(date, shown);
        onLeftover.noteCommunicated(date, shown);
    }
    std::string rereadList = list;
    std::string leftoverList = list;
    int runsOnLeftover = 0;
    for (const QList<int>& c : clicks) {
        const auto mode = DrawMode(c[0]);
        rereadList = proofsamples::click(reread, rereadList, mode, c[1], c[2], c[3]);
        // The window's guard: what the box shows has as many entries as the run left.
        const std::size_t shown = sortivo::loadEntries(leftoverList).size();
        if (onLeftover.leftoverCount() != shown) {
            leftoverList = proofsamples::click(onLeftover, leftoverList, mode, c[1], c[2], c[3]);
            continue;
        }
        ++runsOnLeftover;
        const std::int32_t count = mode == DrawMode::Chosen ? c[1]
                                   : mode == DrawMode::One  ? 1
                                                            : std::int32_t(shown);
        sortivo::DrawRun run = onLeftover.beginRunOnLeftover({}, {mode, count, c[2]}, date);
        if (c[3] >= 0)
            run.drawMany(c[3]);
        else
            run.drawAll();
        if (later) {
            onLeftover.endRun(run, sortivo::ProofSession::LeftoverHash::Later);
            if (runsOnLeftover % 2 == 0)
                onLeftover.setLeftoverFingerprint(
                    sortivo::leftoverFingerprint(run.entries(), run.pool()));
        } else {
            onLeftover.endRun(run);
        }
        leftoverList = run.remainingListText();
    }
    QVERIFY(runsOnLeftover > 0);
    QCOMPARE(leftoverList, rereadList);
    QCOMPARE(proofsamples::json(onLeftover), proofsamples::json(reread));
}

void TestProof::oneRunAtATime()
{
    sortivo::ProofSession session(proofsamples::sampleSeed());
    sortivo::DrawRun run =
        session.beginRun(sortivo::loadEntries("a"), {}, {DrawMode::One, 1, 0}, "t");
    QVERIFY(session.runInProgress());
    QVERIFY_THROWS_EXCEPTION(std::logic_error, session.beginRun(sortivo::loadEntries("a"), {},
                                                                {DrawMode::One, 1, 0}, "t"));
    // The session was replaced during the run: the new one has not begun it.
    sortivo::ProofSession replaced(sortivo::sha256("replaced"));
    replaced.endRun(run);
    QVERIFY(replaced.runs().empty());
    session.endRun(run);
    QCOMPARE(session.runs().size(), std::size_t(1));
    QVERIFY(!session.runInProgress());
    // Who won is not settled while a run draws.
    proofsamples::click(session, "b", DrawMode::One);
    sortivo::DrawRun third =
        session.beginRun(sortivo::loadEntries("c"), {}, {DrawMode::One, 1, 0}, "t");
    QVERIFY(!session.declareAbsent(2, 1, "absent", "t"));
    session.endRun(third);
    QVERIFY(session.declareAbsent(2, 1, "absent", "t"));
}

void TestProof::freshSeeds()
{
    const sortivo::Seed a = sortivo::freshSeed();
    const sortivo::Seed b = sortivo::freshSeed();
    QVERIFY(a != b);
    sortivo::ProofSession session(a);
    QCOMPARE(session.commitment(), sortivo::toHex(sortivo::sha256(std::string_view(
                                       reinterpret_cast<const char*>(a.data()), a.size()))));
}

void TestProof::recordBytes()
{
    sortivo::ProofSession session(proofsamples::sampleSeed());
    session.noteCommunicated("2026-12-07T19:58:00Z",
                             sortivo::communicatedListOf(sortivo::loadEntries("b\r\n\ta\r\nc")));
    QVERIFY(session.setPublicValue("\"4\" \\ 2\x01"));
    std::string list = proofsamples::click(session, "b\r\n\ta\r\nc", DrawMode::Chosen, 1);
    proofsamples::click(session, list, DrawMode::Teams, 0, 2);
    const std::string expected = R"({
  "protocole": "sortivo-preuve-1",
  "logiciel": "Sortivo 1.30",
  "engagement": "630dcd2966c4336691125448bbb25b4ff412a49c732db2c8abc1b8581bd710dd",
  "engagement_communique": "2026-12-07T19:58:00Z",
  "liste_communiquee": {"n": 3, "liste_sha256": "e4ed4a2e1173ae415a4db322fab1eb0d9f1b60b18028bbacd8e04196561de6b8"},
  "graine": "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
  "valeur_publique": "\"4\" \\ 2\u0001",
  "tirages": [
    {
      "numero": 1,
      "date": "2026-12-07T20:00:00Z",
      "mode": "nombre",
      "demande": 1,
      "equipe": null,
      "entrees": [
        "b",
        "\ta",
        "c"
      ],
      "liste_sha256": "e4ed4a2e1173ae415a4db322fab1eb0d9f1b60b18028bbacd8e04196561de6b8",
      "resultats": [
        "b"
      ],
      "interrompu": false
    },
    {
      "numero": 2,
      "date": "2026-12-07T20:00:00Z",
      "mode": "equipes",
      "demande": null,
      "equipe": 2,
      "entrees": null,
      "liste_sha256": "8732db17245c2514cd8d46dd2650edcbb23e69df35d2b4dd0fc7b8f8aaffd22c",
      "resultats": [
        "\ta",
        "c"
      ],
      "interrompu": false
    }
  ]
}
)";
    QCOMPARE(proofsamples::json(session), expected);

    // What the organiser tells of the event and the interruptions follow, outside the
    // randomness: the record still checks.
    session.setTitle("Tombola");
    session.setEvent({"APE", "Préau", "", std::string(64, 'f'), "", {{"Anne", "témoin"}}});
    session.addResumption({"2026-12-07T20:41:00Z", "2026-12-07T20:43:00Z"});
    const std::string told = proofsamples::json(session);
    QCOMPARE(told.substr(expected.size() - 3), R"(,
  "evenement": {
    "titre": "Tombola",
    "organisateur": "APE",
    "lieu": "Préau",
    "reglement": "",
    "reglement_sha256": "ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff",
    "autorisation": "",
    "temoins": [
      {"nom": "Anne", "qualite": "témoin"}
    ]
  },
  "reprises": [
    {"interruption": "2026-12-07T20:41:00Z", "reprise": "2026-12-07T20:43:00Z"}
  ]
}
)"s);
    QVERIFY(sortivo::verifyRecord(told).conforming);
}

void TestProof::recordStringsRoundTrip_data()
{
    QTest::addColumn<std::string>("text");
    std::string controls;
    for (char c = 1; c < 0x20; ++c)
        controls += c;
    // Escapes at both ends of the eight-byte words the writer looks over, and in strings
    // longer than what it escapes at once or writes in one block.
    QTest::newRow("empty") << ""s;
    QTest::newRow("quote ending 8") << "abcdefg\""s;
    QTest::newRow("backslash after 8") << "abcdefgh\\"s;
    QTest::newRow("quote opening 16") << "\"bcdefghijklmnop"s;
    QTest::newRow("tab ending 15") << "abcdefghijklmn\t"s;
    QTest::newRow("line end after 20") << "abcdefghijklmnopqrst\n"s;
    QTest::newRow("controls and DEL") << controls + "\x7f"s;
    QTest::newRow("UTF-8") << "Zoë Éléonore — 日本 🎲 \u00a0"s;
    std::string quoted;
    for (int i = 0; i < 3000; ++i)
        quoted += "ab\"cd\\e";
    QTest::newRow("long, escaped") << quoted;
    QTest::newRow("longer than a block") << std::string(3 << 20, 'x') + "\"";
}

// Read back by another JSON reader, every string is what was written, whatever it holds.
void TestProof::recordStringsRoundTrip()
{
    QFETCH(std::string, text);
    const std::vector<std::string> strings{text, "plain", text + text};
    const sortivo::RecordStrings list{
        strings.size(), [&](std::size_t i) -> std::string_view { return strings[i]; }};
    const sortivo::RecordRun run{1, text, {DrawMode::All, 3, 0}, list, "f", list, false};
    const std::optional<std::string> none;
    std::string json;
    sortivo::writeRecordJson({"Sortivo", proofsamples::sampleSeed(), none, text},
                             std::span(&run, 1), [&](std::string_view block) { json += block; });

    QJsonParseError error;
    const QJsonObject record =
        QJsonDocument::fromJson(QByteArray::fromStdString(json), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QString expected = QString::fromStdString(text);
    QCOMPARE(record.value("valeur_publique").toString(), expected);
    const QJsonObject first = record.value("tirages")[0].toObject();
    QCOMPARE(first.value("date").toString(), expected);
    const QStringList all{expected, "plain", expected + expected};
    QCOMPARE(first.value("entrees").toVariant().toStringList(), all);
    QCOMPARE(first.value("resultats").toVariant().toStringList(), all);
}

void TestProof::readableRecord()
{
    sortivo::ProofSession session(proofsamples::sampleSeed());
    const std::string first = proofsamples::numbered(10, "e");
    session.noteCommunicated("2026-12-07T19:58:00Z",
                             sortivo::communicatedListOf(sortivo::loadEntries(first)));
    QVERIFY(session.setPublicValue("Dés : 3 5 6"));
    std::string list = proofsamples::click(session, first, DrawMode::Chosen, 3);
    list = proofsamples::click(session, list, DrawMode::Teams, 0, 3, 5);
    proofsamples::click(session, list + "\r\ne1", DrawMode::One);
    const std::string text = sortivo::recordReport(session, "Sortivo 1.30", "2026-12-07T21:00:00Z");
    for (const std::string& part : {
             "Imprimé le 2026-12-07 à 22:00:00 (UTC+01:00)"s,
             "Engagement : 630dcd2966c4336691125448bbb25b4ff412a49c732db2c8abc1b8581bd710dd"s,
             "Engagement communiqué le 2026-12-07 à 20:58:00 (UTC+01:00)"s,
             "Valeur publique : « Dés : 3 5 6 »"s,
             // The known draw of the first run.
             "Liste : 10 entrées, empreinte " +
                 sortivo::entriesFingerprint(sortivo::loadEntries(first)) +
                 " (liste communiquée avec l'engagement)\r\n",
             "Tirage n° 1, 2026-12-07 à 21:00:00 (UTC+01:00) : tirer 3 éléments, 10 entrées, 3 "
             "éléments "
             "tirés\r\n"s,
             "    1. e6\r\n    2. e10\r\n    3. e9\r\n"s,
             "équipes de 3, 7 entrées, 5 éléments tirés, interrompu\r\n"s,
             "(les entrées laissées par le tirage précédent)"s,
             "    Équipe 1 : e3 - e7 - e4\r\n    Équipe 2 : "s,
             "n° 3, 2026-12-07 à 21:00:00 (UTC+01:00) : un élément au hasard, 3 entrées, 1 élément "
             "tiré "
             "(liste modifiée après la communication de l'engagement)\r\n"s,
             "Graine : 000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"s,
             "\r\nVérifiable avec verifier_pv.html (navigateur), verifier_pv.py ou sortivo "
             "--verifier.\r\n"s,
         })
        QVERIFY2(text.find(part) != std::string::npos, part.c_str());

    // The procès-verbal for people tells the same session in words, and checks it.
    session.addResumption({"2026-12-07T20:41:10Z", "2026-12-07T20:43:00Z"});
    session.addResumption({"2026-12-07T22:59:00Z", "2026-12-08T00:01:00Z"});
    const sortivo::Minutes minutes =
        sortivo::minutesOf(session, "Sortivo 1.30", "2026-12-07T21:00:00Z");
    QCOMPARE(minutes.anomalies,
             (std::vector<std::string>{
                 "Séance interrompue à 21:41 et reprise à 21:43 ; aucun résultat perdu.",
                 "Séance interrompue le 2026-12-07 à 23:59 et reprise le 2026-12-08 à 01:01 ; "
                 "aucun résultat perdu.",
                 "Tirage n° 2 arrêté par l'opérateur avant son terme.",
                 "Tirage n° 3 fait sur une autre liste que celle communiquée avec l'engagement.",
             }));
    QCOMPARE(minutes.conclusion, "Les 3 tirages ont été vérifiés : conformes au protocole "
                                 "sortivo-preuve-1. Les réserves dites plus haut demeurent."s);
    QCOMPARE(minutes.counts[1], "Entrées parmi lesquelles le premier tirage a été fait : 10"s);
    QCOMPARE(minutes.palmares.front().time, "21:00:00"s);
    const std::string sheet = sortivo::commitmentSheet(
        session.commitment(), {352, std::string(64, 'a')}, "2026-12-07T19:58:00Z");
    QVERIFY(sheet.find(session.commitment()) != std::string::npos);
    QVERIFY(sheet.find("\r\nListe : 352 entrées, empreinte " + std::string(64, 'a') + "\r\n") !=
            std::string::npos);
    QCOMPARE(sortivo::listLine({1, "1a2b3c4d5e6f7a8b9c"}, 16),
             "Liste : 1 entrée, empreinte 1a2b3c4d5e6f7a8b …"s);
    QVERIFY(sheet.find("Date : 2026-12-07 à 20:58:00 (UTC+01:00)") != std::string::npos);
    QVERIFY(sheet.find(sortivo::toHex(session.seed())) == std::string::npos);
    // Without the rule neither says a word of it; with it, both state it.
    QVERIFY(text.find("lot par personne") == std::string::npos);
    QVERIFY(text.find("Protocole : sortivo-preuve-1\r\n") != std::string::npos);
    QVERIFY(sheet.find("lot par personne") == std::string::npos);
    sortivo::ProofSession ruled(proofsamples::sampleSeed());
    QVERIFY(ruled.setOnePrizePerPerson(true));
    const std::string ruledText =
        sortivo::recordReport(ruled, "Sortivo 1.30", "2026-12-07T21:00:00Z");
    QVERIFY(ruledText.find("Protocole : sortivo-preuve-2\r\n") != std::string::npos);
    QVERIFY(ruledText.find("\r\nUn seul lot par personne : oui\r\n") != std::string::npos);
    QVERIFY(sortivo::commitmentSheet(ruled.commitment(), {352, std::string(64, 'a')},
                                     "2026-12-07T19:58:00Z", true)
                .find("\r\nUn seul lot par personne : oui\r\n") != std::string::npos);
}

// The record's UTC times as people read them: local, with the offset back to the record's.
void TestProof::localTimes_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QString>("iso");
    QTest::addColumn<QString>("shown");

    const QByteArray paris = "CET-1CEST,M3.5.0,M10.5.0/3";
    QTest::newRow("winter") << paris << "2026-12-07T19:58:00Z"
                            << "2026-12-07 à 20:58:00 (UTC+01:00)";
    QTest::newRow("summer") << paris << "2026-07-14T21:30:05Z"
                            << "2026-07-14 à 23:30:05 (UTC+02:00)";
    QTest::newRow("next day") << paris << "2026-12-31T23:30:00Z"
                              << "2027-01-01 à 00:30:00 (UTC+01:00)";
    QTest::newRow("west of Greenwich")
        << QByteArray("EST5EDT,M3.2.0,M11.1.0") << "2026-12-08T03:00:00Z"
        << "2026-12-07 à 22:00:00 (UTC-05:00)";
    QTest::newRow("half hour") << QByteArray("IST-5:30") << "2026-12-07T19:58:00Z"
                               << "2026-12-08 à 01:28:00 (UTC+05:30)";
    QTest::newRow("UTC") << QByteArray("UTC0") << "2026-12-07T19:58:00Z"
                         << "2026-12-07 à 19:58:00 (UTC+00:00)";
    QTest::newRow("not a time, shown as it is") << paris << "2026-13-07T19:58:00Z"
                                                << "2026-13-07T19:58:00Z";
}

void TestProof::localTimes()
{
    QFETCH(QByteArray, zone);
    QFETCH(QString, iso);
    QFETCH(QString, shown);
    const QByteArray before = qgetenv("TZ");
    qputenv("TZ", zone);
    tzset();
    const std::string sheet = sortivo::commitmentSheet(
        std::string(64, 'c'), {1, std::string(64, 'a')}, iso.toStdString());
    qputenv("TZ", before);
    tzset();
    QVERIFY2(sheet.find("Date : " + shown.toStdString() + "\r\n") != std::string::npos,
             sheet.c_str());
}

void TestProof::acceptsRecords_data()
{
    QTest::addColumn<std::string>("json");
    QTest::addColumn<std::string>("warnings");
    QTest::addColumn<std::string>("palmares");
    for (const SampleRecord& record : proofsamples::acceptedRecords())
        QTest::newRow(record.name.c_str()) << record.json << record.warnings << record.palmares;
    // Written before the list was part of the commitment: nothing to compare it with, which is
    // said.
    const SampleRecord edited = proofsamples::acceptedRecords()[2];
    std::string old = edited.json;
    const std::size_t list = old.find("  \"liste_communiquee\"");
    old.erase(list, old.find('\n', list) + 1 - list);
    const std::string mark = ",\n      \"liste_modifiee\": true";
    for (std::size_t at; (at = old.find(mark)) != std::string::npos;)
        old.erase(at, mark.size());
    QTest::newRow("without the communicated list")
        << old
        << "ATTENTION : la liste n'a pas été communiquée avec l'engagement ; son ordre a pu être "
           "choisi après la valeur publique.\n"s
        << ""s;
    // Empty prizes and absences say nothing: no palmarès, no warning, as without them.
    const SampleRecord kept = proofsamples::acceptedRecords()[6];
    std::string empty = kept.json;
    empty.insert(empty.find("  \"graine\""), "  \"lots\": [],\n  \"lots_communiques\": null,\n");
    empty.insert(empty.rfind("\n}"), ",\n  \"absences\": null");
    QTest::newRow("empty prizes, no absences") << empty << kept.warnings << ""s;
}

void TestProof::acceptsRecords()
{
    QFETCH(std::string, json);
    QFETCH(std::string, warnings);
    QFETCH(std::string, palmares);
    const sortivo::VerifyResult result = sortivo::verifyRecord(json);
    QVERIFY2(result.conforming, result.message.c_str());
    // Any warning qualifies the verdict in its first line, which is all some people read.
    QVERIFY2(
        result.message.starts_with(warnings.empty() ? "CONFORME : " : "CONFORME AVEC RÉSERVES : "),
        result.message.c_str());
    std::string given;
    for (const std::string& warning : result.warnings)
        given += "ATTENTION : " + warning + "\n";
    QCOMPARE(given, warnings);
    std::string lines = result.palmares.empty() ? "" : "Palmarès :\n";
    for (const std::string& line : result.palmares)
        lines += line + "\n";
    QCOMPARE(lines, palmares);
}

void TestProof::rejectsRecords_data()
{
    QTest::addColumn<std::string>("json");
    QTest::addColumn<std::string>("reason");
    const std::vector<std::string> reasons{"la graine ne correspond pas à l'engagement",
                                           "la graine ne correspond pas à l'engagement",
                                           "n° 1 : le résultat n° 1 n'est pas celui",
                                           "n° 4 : le résultat n° 1 n'est pas celui",
                                           "n° 1 : l'empreinte de la liste",
                                           "n° 1 : le résultat",
                                           "ne sont pas numérotés 1, 2, …",
                                           "n° 1 : l'empreinte de la liste",
                                           "« liste_communiquee » : l'empreinte"};
    const std::vector<SampleRecord> changed = proofsamples::oneByteChanges();
    QCOMPARE(changed.size(), reasons.size());
    for (std::size_t i = 0; i < changed.size(); ++i)
        QTest::addRow("one byte: %s", changed[i].name.c_str()) << changed[i].json << reasons[i];

    const std::string good = proofsamples::acceptedRecords()[1].json; // the stopped runs
    auto edited = [&](const std::string& from, const std::string& to) {
        std::string json = good;
        const std::size_t at = json.find(from);
        if (at == std::string::npos)
            qFatal("not in the sample: %s", from.c_str());
        return json.replace(at, from.size(), to);
    };
    QTest::newRow("not JSON") << "{\"protocole\": "s
                              << "pas un JSON valide"s;
    QTest::newRow("not an object") << "[1, 2]"s
                                   << "n'est pas un procès-verbal"s;
    QTest::newRow("another protocol")
        << edited("sortivo-preuve-1", "sortivo-preuve-3") << "protocole inconnu"s;
    QTest::newRow("seed in capitals")
        << edited("\"graine\": \"", "\"graine\": \"A") << "64 chiffres hexadécimaux"s;
    QTest::newRow("no earlier run for null entries")
        << edited("\"entrees\": [", "\"entrees\": null, \"x\": [") << "sans tirage précédent"s;
    QTest::newRow("complete run marked stopped")
        << edited("\"interrompu\": false", "\"interrompu\": true") << "(tirage interrompu)"s;
    QTest::newRow("stopped run marked complete")
        << edited("\"interrompu\": true", "\"interrompu\": false") << "résultats pour"s;
    QTest::newRow("unknown mode") << edited("\"mode\": \"tous\"", "\"mode\": \"tout\"")
                                  << "mode « tout » inconnu"s;
    QTest::newRow("run number as text")
        << edited("\"numero\": 1,", "\"numero\": \"1\",") << "numérotés 1, 2"s;
    QTest::newRow("negative request")
        << edited("\"demande\": 400", "\"demande\": -4") << "« demande »"s;
    QTest::newRow("line break inside an entry")
        << edited("\"n1\",", "\"n1\\r\\nn1b\",") << "saut de ligne"s;
    QTest::newRow("results missing")
        << edited("\"resultats\"", "\"resultat\"") << "champ « resultats » absent"s;
    for (const HostileRecord& record : proofsamples::hostileRecords())
        QTest::addRow("hostile: %s", record.name.c_str()) << record.json << record.reason;
}

void TestProof::rejectsRecords()
{
    QFETCH(std::string, json);
    QFETCH(std::string, reason);
    const sortivo::VerifyResult result = sortivo::verifyRecord(json);
    QVERIFY(!result.conforming);
    QVERIFY(result.message.starts_with("NON CONFORME : "));
    QVERIFY2(result.message.find(reason) != std::string::npos, result.message.c_str());
}

QTEST_APPLESS_MAIN(TestProof)
#include "test_proof.moc"
