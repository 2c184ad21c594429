// The draw edits the boxes where they stand; these compare what it leaves with what the
// rewrite of both texts leaves, on the same seeds.
#include "core/draw/drawrun.h"
#include "core/io/sha256.h"
#include "draw/boxdraw.h"
#include "draw/entryblocks.h"
#include "support/guitest.h"
#include "widgets/plaintextbox.h"
#include "widgets/textboxtext.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QtTest>

#include <optional>
#include <string>

namespace
{

sortivo::DrawWords wordsFor(quint32 seed)
{
    return sortivo::DrawWords(sortivo::sha256(std::to_string(seed)));
}

QString listOf(const QStringList& lines)
{
    return lines.join(QLatin1Char('\n'));
}

QStringList manyWithBlanks(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << (i % 17 == 0 ? QString() : QStringLiteral("Nom %1").arg(i % 400));
    return lines;
}

} // namespace

class TestBoxDraw : public QObject
{
    Q_OBJECT
private slots:
    void sameAsRewrite_data();
    void sameAsRewrite();
    void linesWithBreaksAreSeen();
    void longLinesKeepTheirGlyphs_data();
    void longLinesKeepTheirGlyphs();
};

void TestBoxDraw::sameAsRewrite_data()
{
    QTest::addColumn<QString>("boxText");      // what the list box holds, lines joined by LF
    QTest::addColumn<QString>("typedAfter");   // then typed at the start of the second line
    QTest::addColumn<QString>("resultBefore"); // the results box before the run
    QTest::addColumn<int>("drawCount");        // -1: every entry
    QTest::addColumn<int>("teamSize");
    QTest::addColumn<int>("stopAfter"); // -1: no stop
    QTest::addColumn<quint32>("seed");
    // Drawn first by a run of their own; the run under test then draws from the entries that
    // run left, as the window does when the list was not touched in between.
    QTest::addColumn<int>("drawnBefore");

    const QString abc = listOf({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                QStringLiteral("D"), QStringLiteral("E")});
    const QString blanks =
        listOf({QString(), QString(), QStringLiteral("a"), QString(), QStringLiteral(" b "),
                QStringLiteral("a"), QString(), QStringLiteral("a"), QString(), QString()});
    const QString onlyBlanks = listOf({QString(), QString(), QString(), QString()});
    const QString big = listOf(manyWithBlanks(5000));
    // A list that starts with a blank line loses it at the first draw, and is read again.
    const QString bigWithoutLeadingBlank = listOf(manyWithBlanks(5001).mid(1));
    const QString separator = QString(QChar::LineSeparator);
    const QString withSeparator = QStringLiteral("x") + separator + QStringLiteral("y\nz\n\nw");

    for (quint32 seed : {1u, 7u, 4242u}) {
        const QString s = QString::number(seed);
        QTest::newRow(qPrintable("one " + s))
            << abc << QString() << QString() << 1 << 0 << -1 << seed << 0;
        QTest::newRow(qPrintable("one after results " + s))
            << abc << QString() << QStringLiteral("old") << 1 << 0 << -1 << seed << 0;
        QTest::newRow(qPrintable("three " + s))
            << abc << QString() << QString() << 3 << 0 << -1 << seed << 0;
        QTest::newRow(qPrintable("all " + s))
            << abc << QString() << QString() << -1 << 0 << -1 << seed << 0;
        QTest::newRow(qPrintable("teams of two " + s))
            << abc << QString() << QStringLiteral("old") << -1 << 2 << -1 << seed << 0;
        QTest::newRow(qPrintable("teams of one " + s))
            << abc << QString() << QString() << -1 << 1 << -1 << seed << 0;
        QTest::newRow(qPrintable("blanks, one " + s))
            << blanks << QString() << QString() << 1 << 0 << -1 << seed << 0;
        QTest::newRow(qPrintable("blanks, four " + s))
            << blanks << QString() << QString() << 4 << 0 << -1 << seed << 0;
        QTest::newRow(qPrintable("blanks, all " + s))
            << blanks << QString() << QString() << -1 << 0 << -1 << seed << 0;
        QTest::newRow(qPrintable("blanks, teams of three " + s))
            << blanks << QString() << QString() << -1 << 3 << -1 << seed << 0;
        QTest::newRow(qPrintable("blanks, stopped " + s))
            << blanks << QString() << QString() << -1 << 0 << 3 << seed << 0;
        QTest::newRow(qPrintable("only blanks, two " + s))
            << onlyBlanks << QString() << QString() << 2 << 0 << -1 << seed << 0;
        QTest::newRow(qPrintable("big, ten " + s))
            << big << QString() << QStringLiteral("old") << 10 << 0 << -1 << seed << 0;
        QTest::newRow(qPrintable("big, all, stopped early " + s))
            << big << QString() << QString() << -1 << 0 << 1500 << seed << 0;
        QTest::newRow(qPrintable("big, all, stopped late " + s))
            << big << QString() << QString() << -1 << 0 << 4000 << seed << 0;
        QTest::newRow(qPrintable("big, teams " + s))
            << big << QString() << QString() << -1 << 4 << -1 << seed << 0;
        QTest::newRow(qPrintable("line separator inside, two " + s))
            << withSeparator << QString() << QString() << 2 << 0 << -1 << seed << 0;
        QTest::newRow(qPrintable("line separator typed later, one " + s))
            << abc << separator << QString() << 1 << 0 << -1 << seed << 0;
        QTest::newRow(qPrintable("line separator typed later, stopped " + s))
            << big << separator + QStringLiteral("k") << QString() << -1 << 0 << 100 << seed << 0;
        QTest::newRow(qPrintable("one, on what a run left " + s))
            << abc << QString() << QString() << 1 << 0 << -1 << seed << 1;
        QTest::newRow(qPrintable("all, on what a run left " + s))
            << abc << QString() << QStringLiteral("old") << -1 << 0 << -1 << seed << 2;
        QTest::newRow(qPrintable("big, ten, on what a run left " + s))
            << bigWithoutLeadingBlank << QString() << QString() << 10 << 0 << -1 << seed << 100;
        QTest::newRow(qPrintable("big, stopped, on what a run left " + s))
            << bigWithoutLeadingBlank << QString() << QString() << -1 << 0 << 1500 << seed << 50;
        QTest::newRow(qPrintable("big, teams, on what a long run left " + s))
            << bigWithoutLeadingBlank << QString() << QString() << -1 << 3 << -1 << seed << 2500;
    }
    // Read from the blocks as from the text: no-break spaces, accents, a character beyond
    // 16 bits.
    QTest::newRow("characters of every kind")
        << listOf({QStringLiteral("\u00a0a\u00a0"), QStringLiteral("é"),
                   QStringLiteral("\U0001F600"), QString()})
        << QString() << QString() << 2 << 0 << -1 << 3u << 0;
    // Right-to-left marks, Arabic, a joined emoji and stacked accents, many times over: the
    // boxes are edited without laying such a line out, and must still hold it to the byte.
    QString longEntry;
    while (longEntry.size() < 20000)
        longEntry += QStringLiteral("\u200F\u202Eمحمد عبد الله\u200E 👩\u200D👧 e\u0301\u0323 ");
    QTest::newRow("one of two long entries of every script")
        << listOf({longEntry, longEntry + QStringLiteral("x")}) << QString() << QString() << 1 << 0
        << -1 << 5u << 0;
    QTest::newRow("a long entry after long results")
        << listOf({QStringLiteral("a"), longEntry}) << QString() << longEntry << -1 << 0 << -1 << 6u
        << 0;
    QTest::newRow("nothing chosen tidies the list")
        << blanks << QString() << QString() << 0 << 0 << -1 << 1u << 0;
}

void TestBoxDraw::sameAsRewrite()
{
    QFETCH(QString, boxText);
    QFETCH(QString, typedAfter);
    QFETCH(QString, resultBefore);
    QFETCH(int, drawCount);
    QFETCH(int, teamSize);
    QFETCH(int, stopAfter);
    QFETCH(quint32, seed);
    QFETCH(int, drawnBefore);

    QPlainTextEdit list;
    QPlainTextEdit results;
    EntryBlocks blocks(*list.document(), nullptr);
    list.setPlainText(boxText);
    if (!typedAfter.isEmpty()) {
        QTextCursor cursor(list.document()->findBlockByNumber(1));
        cursor.insertText(typedAfter);
    }
    std::optional<BoxDraw> before;
    if (drawnBefore > 0) {
        before.emplace(*list.document(), *results.document(), blocks,
                       sortivo::DrawRun(std::make_shared<const sortivo::EntryList>(
                                            sortivo::loadEntries(::boxText(list))),
                                        sortivo::ResultText({false, BoxDraw::lineBreak}, 0),
                                        drawnBefore, wordsFor(seed + 1)));
        before->draw(drawnBefore);
        while (!before->writeBackList(700)) {
        }
        // What the window checks before it draws on what a run left.
        QVERIFY(blocks.blocksAreEntries());
        QCOMPARE(before->run().remainingCount(), std::size_t(blocks.entryCount()));
    }
    results.setPlainText(resultBefore);

    // The rewrite, as the window did it before it edited the boxes in place.
    const std::string listBefore = ::boxText(list);
    QCOMPARE(std::size_t(blocks.entryCount()), sortivo::loadEntries(listBefore).size());
    sortivo::EntryList entries = sortivo::loadEntries(listBefore);
    QCOMPARE(blocks.entries().joinedText(), entries.joinedText());
    const auto count = drawCount < 0 ? std::int32_t(entries.size()) : drawCount;
    sortivo::DrawRun rewrite(std::move(entries), ::boxText(results), count, teamSize,
                             wordsFor(seed));
    rewrite.drawMany(stopAfter < 0 ? count : stopAfter);

    // The window's run has only to know whether the results are empty.
    const sortivo::ResultText start({!results.document()->isEmpty(), BoxDraw::lineBreak}, teamSize);
    BoxDraw run(*list.document(), *results.document(), blocks,
                before
                    ? sortivo::DrawRun(before->run().sharedEntries(), before->run().pool(), start,
                                       count, wordsFor(seed))
                    : sortivo::DrawRun(std::make_shared<const sortivo::EntryList>(blocks.entries()),
                                       start, count, wordsFor(seed)));
    const sortivo::DrawRun& drawn = run.run();
    // In uneven slices, as the window's timer cuts a run.
    for (std::int32_t slice = 1;
         !drawn.finished() && (stopAfter < 0 || drawn.drawsDone() < stopAfter);
         slice = slice % 5 + 1)
        run.draw(stopAfter < 0 ? slice : std::min(slice, stopAfter - drawn.drawsDone()));
    while (!run.writeBackList(700)) {
    }

    QCOMPARE(drawn.drawsDone(), rewrite.drawsDone());
    QCOMPARE(drawn.remainingCount(), rewrite.remainingCount());
    QCOMPARE(::boxText(list), rewrite.remainingListText());
    QCOMPARE(::boxText(results), rewrite.resultText());
    // Line by line as well: the same text could hide a line break of another kind.
    QPlainTextEdit expectedList;
    QPlainTextEdit expectedResults;
    setBoxText(expectedList, rewrite.remainingListText());
    setBoxText(expectedResults, rewrite.resultText());
    QCOMPARE(boxLines(list), boxLines(expectedList));
    QCOMPARE(boxLines(results), boxLines(expectedResults));
}

void TestBoxDraw::linesWithBreaksAreSeen()
{
    QPlainTextEdit list;
    EntryBlocks blocks(*list.document(), nullptr);
    QVERIFY(blocks.blocksAreEntries());
    QCOMPARE(blocks.entryCount(), 0);
    list.setPlainText(QStringLiteral("a\nb\n"));
    QVERIFY(blocks.blocksAreEntries());
    QCOMPARE(blocks.entryCount(), 3);

    list.moveCursor(QTextCursor::Start);
    list.insertPlainText(QString(QChar::LineSeparator));
    QVERIFY(!blocks.blocksAreEntries());
    QCOMPARE(blocks.entryCount(), 4);
    // Removing the break is not looked into; a new text is.
    list.setPlainText(QStringLiteral("c"));
    QVERIFY(blocks.blocksAreEntries());
    QCOMPARE(blocks.entryCount(), 1);

    // Half a surrogate pair reads as the box's text does, or the list drawn from would not be
    // the one communicated.
    list.setPlainText(QStringLiteral("a") + QChar(0xD800) + QStringLiteral("\nb"));
    QCOMPARE(blocks.entries().joinedText(), sortivo::loadEntries(::boxText(list)).joinedText());
}

void TestBoxDraw::longLinesKeepTheirGlyphs_data()
{
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QString>("typed"); // then typed at the end of the first line
    QTest::addColumn<bool>("kept");     // whether the first line keeps its glyphs
    const QString longLine(PlainTextBox::shapedLineChars + 1, QLatin1Char('a'));
    const QString shortLine(PlainTextBox::shapedLineChars - 1, QLatin1Char('a'));
    QTest::newRow("short") << shortLine + QStringLiteral("\nb") << QString() << false;
    QTest::newRow("long") << longLine + QStringLiteral("\nb") << QString() << true;
    QTest::newRow("long, after the first of many lines")
        << QStringLiteral("b\n").repeated(3000) + longLine << QString() << true;
    QTest::newRow("just long, among many short lines")
        << QStringLiteral("b\n").repeated(3000) + longLine + QStringLiteral("\nb").repeated(3000)
        << QString() << true;
    QTest::newRow("long, then a key") << longLine << QStringLiteral("z") << true;
    QTest::newRow("short, made long by a paste") << shortLine << longLine << true;
}

void TestBoxDraw::longLinesKeepTheirGlyphs()
{
    QFETCH(QString, boxText);
    QFETCH(QString, typed);
    QFETCH(bool, kept);
    PlainTextBox box(nullptr);
    box.setPlainText(boxText);
    if (!typed.isEmpty()) {
        QTextCursor cursor(box.document()->firstBlock());
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.insertText(typed);
    }
    QTextBlock line = box.document()->firstBlock();
    while (line.next().isValid() && line.length() <= PlainTextBox::shapedLineChars)
        line = line.next();
    if (line.length() <= PlainTextBox::shapedLineChars)
        line = box.document()->firstBlock();
    QCOMPARE(line.layout()->cacheEnabled(), kept);
}

QTEST_MAIN(TestBoxDraw)
#include "test_boxdraw.moc"
