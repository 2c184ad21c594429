#include "core/text/linewrap.h"

#include <QtTest>

#include <random>

using sortivo::MeasureText;
using sortivo::wrapLines;

namespace
{

// One unit per character, so widths in the tables can be counted by eye.
float codePoints(std::string_view s)
{
    float n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++n;
    return n;
}

// Spaces half as wide as letters, as in a proportional font: a candidate line is measured as a
// whole, not from the widths of its words.
float narrowSpaces(std::string_view s)
{
    float n = 0;
    for (char c : s)
        n += c == ' ' ? 0.5f : 1.0f;
    return n;
}

QStringList toQt(const std::vector<std::string>& lines)
{
    QStringList out;
    for (const std::string& l : lines)
        out << QString::fromStdString(l);
    return out;
}

} // namespace

class TestLineWrap : public QObject
{
    Q_OBJECT

private slots:
    void wrap_data();
    void wrap();
    void randomTexts_data();
    void randomTexts();
};

void TestLineWrap::wrap_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("width");
    QTest::addColumn<bool>("halfSpaces");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("empty text") << "" << 10.f << false << QStringList{};
    QTest::newRow("only CR LF") << "\r\n" << 10.f << false << QStringList{"", ""};
    QTest::newRow("fits") << "Anne" << 10.f << false << QStringList{"Anne"};
    QTest::newRow("exactly the width") << "ab cd" << 5.f << false << QStringList{"ab cd"};
    QTest::newRow("one over") << "ab cde" << 5.f << false << QStringList{"ab", "cde"};
    QTest::newRow("paragraphs") << "a\r\nb" << 10.f << false << QStringList{"a", "b"};
    QTest::newRow("ending CR LF") << "a\r\n" << 10.f << false << QStringList{"a", ""};
    QTest::newRow("empty paragraph inside")
        << "a\r\n\r\nb" << 10.f << false << QStringList{"a", "", "b"};
    QTest::newRow("lone LF stays") << "a\nb" << 10.f << false << QStringList{"a\nb"};
    QTest::newRow("lone CR stays") << "a\rb" << 10.f << false << QStringList{"a\rb"};
    QTest::newRow("LF CR is no paragraph end")
        << "a\n\rb" << 10.f << false << QStringList{"a\n\rb"};
    QTest::newRow("tab is no break") << "a\tb c" << 3.f << false << QStringList{"a\tb", "c"};
    QTest::newRow("lone LF is no break")
        << "ab\ncd ef" << 5.f << false << QStringList{"ab\ncd", "ef"};
    QTest::newRow("spaces kept when it fits")
        << "  a  b  " << 8.f << false << QStringList{"  a  b  "};
    QTest::newRow("no break without a space")
        << "abcdefghij" << 5.f << false << QStringList{"abcdefghij"};
    QTest::newRow("wide word in the middle")
        << "ab verylongword cd" << 5.f << false << QStringList{"ab", "verylongword", "cd"};
    QTest::newRow("wide word first, no empty line before")
        << "verylongword ab" << 5.f << false << QStringList{"verylongword", "ab"};
    QTest::newRow("wide words only")
        << "abcdefg hijklmn" << 5.f << false << QStringList{"abcdefg", "hijklmn"};
    QTest::newRow("leading spaces dropped when wrapped")
        << "  ab cd ef" << 5.f << false << QStringList{"ab cd", "ef"};
    QTest::newRow("double space left at a break")
        << "abc  def" << 4.f << false << QStringList{"abc ", "def"};
    QTest::newRow("double space after a full line")
        << "abcde  fg" << 5.f << false << QStringList{"abcde", "fg"};
    QTest::newRow("trailing space kept on the last line")
        << "abc def " << 5.f << false << QStringList{"abc", "def "};
    QTest::newRow("trailing spaces after a full line")
        << "abcde   " << 5.f << false << QStringList{"abcde"};
    QTest::newRow("too many spaces give no line") << "      " << 3.f << false << QStringList{};
    QTest::newRow("spaces paragraph between others")
        << "a\r\n      \r\nb" << 3.f << false << QStringList{"a", "b"};
    QTest::newRow("team, dash ends a line")
        << "Anne - Bob - Carl" << 6.f << false << QStringList{"Anne -", "Bob -", "Carl"};
    QTest::newRow("team, dash starts a line")
        << "Anne - Bob - Carl" << 10.f << false << QStringList{"Anne - Bob", "- Carl"};
    QTest::newRow("teams, one wraps") << "Anne - Bob\r\nCarl - Dora - Eve" << 10.f << false
                                      << QStringList{"Anne - Bob", "Carl -", "Dora - Eve"};
    QTest::newRow("nothing carried to the next paragraph")
        << "abc def\r\nghi" << 5.f << false << QStringList{"abc", "def", "ghi"};
    QTest::newRow("accented letters")
        << "élève école" << 5.f << false << QStringList{"élève", "école"};
    QTest::newRow("zero width") << "a b\r\n" << 0.f << false << QStringList{"a", "b", ""};
    QTest::newRow("narrow spaces, exactly the width")
        << "ab cd ef" << 7.f << true << QStringList{"ab cd ef"};
    QTest::newRow("narrow spaces, half a unit over")
        << "ab cd ef" << 6.5f << true << QStringList{"ab cd", "ef"};
    QTest::newRow("narrow spaces, spaces left at a break")
        << "ab   cd" << 3.5f << true << QStringList{"ab  ", "cd"};
}

void TestLineWrap::wrap()
{
    QFETCH(QString, text);
    QFETCH(float, width);
    QFETCH(bool, halfSpaces);
    QFETCH(QStringList, expected);

    const MeasureText measure = halfSpaces ? MeasureText(narrowSpaces) : MeasureText(codePoints);
    QCOMPARE(toQt(wrapLines(text.toStdString(), width, measure)), expected);
}

void TestLineWrap::randomTexts_data()
{
    QTest::addColumn<int>("seed");
    for (int seed = 1; seed <= 20; ++seed)
        QTest::addRow("seed %d", seed) << seed;
}

// Whatever the text, no word is lost, split or moved, and a line wider than the page is one
// word on its own.
void TestLineWrap::randomTexts()
{
    QFETCH(int, seed);
    std::mt19937 rng(static_cast<unsigned>(seed));
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };

    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int pieces = pick(0, 30);
        for (int i = 0; i < pieces; ++i) {
            const int kind = pick(0, 9);
            if (kind < 6)
                text += std::string(static_cast<std::size_t>(pick(1, 12)), char('a' + pick(0, 25)));
            else if (kind < 9)
                text += std::string(static_cast<std::size_t>(pick(1, 3)), ' ');
            else
                text += "\r\n";
        }
        const float width = float(pick(0, 15));
        const std::vector<std::string> lines = wrapLines(text, width, codePoints);

        QStringList wordsIn =
            QString::fromStdString(text).split(QRegularExpression("[ \r\n]+"), Qt::SkipEmptyParts);
        QStringList wordsOut;
        for (const std::string& line : lines) {
            const QString l = QString::fromStdString(line);
            QVERIFY2(!l.contains("\r\n"), qPrintable(l));
            if (codePoints(line) > width)
                QVERIFY2(!l.contains(' '), qPrintable(QString::fromStdString(text)));
            wordsOut += l.split(QRegularExpression("[ \r\n]+"), Qt::SkipEmptyParts);
        }
        QCOMPARE(wordsOut, wordsIn);
        // A text of n CR LF has n + 1 paragraphs and each gives at least one line unless it is
        // all spaces and too wide; with no spaces at all the count is exact.
        if (!text.empty() && text.find(' ') == std::string::npos) {
            const auto paragraphs = QString::fromStdString(text).count("\r\n") + 1;
            QCOMPARE(qsizetype(lines.size()), paragraphs);
        }
    }
}

QTEST_APPLESS_MAIN(TestLineWrap)
#include "test_linewrap.moc"
