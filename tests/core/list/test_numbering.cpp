#include "core/list/numbering.h"

#include <QtTest>

#include <limits>

using sortivo::highestNumber;
using sortivo::numberingText;
using sortivo::parseNumberAnswer;

namespace
{

constexpr int none = std::numeric_limits<int>::max() - 12345; // marks "not a number" rows
const QString fr = QStringLiteral("fr");
const QString frNbsp = QStringLiteral("fr-nbsp");
const QString en = QStringLiteral("en");

struct Separators {
    std::string decimal;
    std::string group;
};

Separators separatorsOf(const QString& locale)
{
    if (locale == fr)
        return {",", "\u202F"};
    if (locale == frNbsp)
        return {",", "\u00A0"};
    if (locale == en)
        return {".", ","};
    return {"\u066B", "\u066C"}; // Arabic: both separators are two-byte characters
}

std::optional<std::int32_t> parse(const QString& answer, const QString& locale)
{
    const Separators s = separatorsOf(locale);
    return parseNumberAnswer(answer.toStdString(), s.decimal, s.group);
}

} // namespace

class TestNumbering : public QObject
{
    Q_OBJECT

private slots:
    void numbering_data();
    void numbering();
    void highestNumberFillsTheOldListBox();
    void answer_data();
    void answer();
    void blanksAroundNeverChangeTheAnswer();
};

void TestNumbering::numbering_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("numbers");
    QTest::addColumn<int>("length");

    QTest::newRow("negative") << -5 << 1 << 1;
    QTest::newRow("lowest int") << std::numeric_limits<int>::min() << 1 << 1;
    QTest::newRow("0") << 0 << 1 << 1;
    QTest::newRow("1") << 1 << 1 << 1;
    QTest::newRow("2") << 2 << 2 << 4;
    QTest::newRow("9") << 9 << 9 << 25;
    QTest::newRow("10") << 10 << 10 << 29;
    QTest::newRow("100") << 100 << 100 << 192 + 2 * 99;
    QTest::newRow("highest") << int(highestNumber) << int(highestNumber) << 65535;
    QTest::newRow("one more") << int(highestNumber) + 1 << int(highestNumber) + 1 << 65542;
}

void TestNumbering::numbering()
{
    QFETCH(int, n);
    QFETCH(int, numbers);
    QFETCH(int, length);

    const std::string text = numberingText(n);
    QCOMPARE(int(text.size()), length);
    // Each line is its number, in order, with CR LF between and nothing after the last.
    const QList<QByteArray> lines = QByteArray::fromStdString(text).split('\n');
    QCOMPARE(int(lines.size()), numbers);
    for (int i = 0; i < numbers; ++i) {
        QByteArray expected = QByteArray::number(i + 1);
        if (i + 1 < numbers)
            expected += '\r';
        QCOMPARE(lines[i], expected);
    }
}

void TestNumbering::highestNumberFillsTheOldListBox()
{
    const std::string text = numberingText(highestNumber);
    QCOMPARE(text.size(), std::size_t(65535));
    QVERIFY(text.ends_with("\r\n10948\r\n10949"));
    QVERIFY(numberingText(highestNumber + 1).size() > 65535);
}

void TestNumbering::answer_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("expected");

    QTest::newRow("5") << "5" << fr << 5;
    QTest::newRow("+5") << "+5" << fr << 5;
    QTest::newRow("-3") << "-3" << fr << -3;
    QTest::newRow("0") << "0" << fr << 0;
    QTest::newRow("-0") << "-0" << fr << 0;
    QTest::newRow("leading zeros") << "000000000000000000000000042" << fr << 42;
    QTest::newRow("blanks around") << " 7 " << fr << 7;
    QTest::newRow("tabs around") << "\t7\t" << fr << 7;
    QTest::newRow("blanks around a sign") << "  -7  " << fr << -7;

    // Halves go to the even neighbour; the rest to the nearest.
    QTest::newRow("2,5") << "2,5" << fr << 2;
    QTest::newRow("3,5") << "3,5" << fr << 4;
    QTest::newRow("-2,5") << "-2,5" << fr << -2;
    QTest::newRow("-3,5") << "-3,5" << fr << -4;
    QTest::newRow("0,5") << "0,5" << fr << 0;
    QTest::newRow("1,5") << "1,5" << fr << 2;
    QTest::newRow("2,49") << "2,49" << fr << 2;
    QTest::newRow("2,51") << "2,51" << fr << 3;
    QTest::newRow("-2,51") << "-2,51" << fr << -3;
    QTest::newRow("-0,49") << "-0,49" << fr << 0;
    QTest::newRow("starts with the separator") << ",5" << fr << 0;
    QTest::newRow(",6") << ",6" << fr << 1;
    QTest::newRow("-,5") << "-,5" << fr << 0;
    QTest::newRow("ends with the separator") << "5," << fr << 5;
    QTest::newRow("2.5, English") << "2.5" << en << 2;
    QTest::newRow("3.5, English") << "3.5" << en << 4;
    QTest::newRow("2.5, French") << "2.5" << fr << none;
    QTest::newRow("2,5, Arabic") << "2\u066B5" << QStringLiteral("ar") << 2;

    // Groups.
    QTest::newRow("typed space in French") << "1 000" << fr << 1000;
    QTest::newRow("narrow no-break space") << "1\u202F000" << fr << 1000;
    QTest::newRow("no-break space") << "1\u00A0000" << frNbsp << 1000;
    QTest::newRow("typed space, no-break group") << "1 000" << frNbsp << 1000;
    QTest::newRow("millions in French") << "1 000 000" << fr << 1000000;
    QTest::newRow("groups and decimals") << "1 234,5" << fr << 1234;
    QTest::newRow("1,000 English") << "1,000" << en << 1000;
    QTest::newRow("1,000.5 English") << "1,000.5" << en << 1000;
    QTest::newRow("1,001.5 English") << "1,001.5" << en << 1002;
    QTest::newRow("12,345,678 English") << "12,345,678" << en << 12345678;
    QTest::newRow("0,001 English") << "0,001" << en << 1;
    QTest::newRow("group of one digit, English") << "2,5" << en << none;
    QTest::newRow("groups of one digit, English") << "1,2,3" << en << none;
    QTest::newRow("groups of one digit, Arabic")
        << "1\u066C2\u066C3" << QStringLiteral("ar") << none;
    QTest::newRow("group of four digits") << "1,0000" << en << none;
    QTest::newRow("first group of four digits") << "1000,000" << en << none;
    QTest::newRow("middle group of two digits") << "1,00,000" << en << none;
    QTest::newRow("typed space before two digits") << "1 00" << fr << none;
    QTest::newRow("group of two before decimals") << "1,00.5" << en << none;
    QTest::newRow("typed space in English") << "1 000" << en << none;
    QTest::newRow("two spaces") << "1  000" << fr << none;
    QTest::newRow("two group separators") << "1,,000" << en << none;
    QTest::newRow("group first") << ",000" << en << none;
    QTest::newRow("group last") << "1,000," << en << none;
    QTest::newRow("group before decimals") << "1,.5" << en << none;
    QTest::newRow("group after decimals") << "1.000,5" << en << none;
    QTest::newRow("space before decimals") << "1 ,5" << fr << none;
    QTest::newRow("group after a sign") << "-,5" << en << none;

    // Exponents.
    QTest::newRow("1e3") << "1e3" << fr << 1000;
    QTest::newRow("1E3") << "1E3" << fr << 1000;
    QTest::newRow("1e+2") << "1e+2" << fr << 100;
    QTest::newRow("25e-1") << "25e-1" << fr << 2;
    QTest::newRow("35e-1") << "35e-1" << fr << 4;
    QTest::newRow("1,5e1") << "1,5e1" << fr << 15;
    QTest::newRow(",5e1") << ",5e1" << fr << 5;
    QTest::newRow("5,e1") << "5,e1" << fr << 50;
    QTest::newRow("0,000005e6") << "0,000005e6" << fr << 5;
    QTest::newRow("1 000e-3") << "1 000e-3" << fr << 1;
    QTest::newRow("1e") << "1e" << fr << none;
    QTest::newRow("1e+") << "1e+" << fr << none;
    QTest::newRow("e3") << "e3" << fr << none;
    QTest::newRow("1e3,5") << "1e3,5" << fr << none;
    QTest::newRow("1e 3") << "1e 3" << fr << none;

    // Not numbers.
    QTest::newRow("empty") << "" << fr << none;
    QTest::newRow("only blanks") << "   " << fr << none;
    QTest::newRow("word") << "abc" << fr << none;
    QTest::newRow("number then word") << "5abc" << fr << none;
    QTest::newRow("word then number") << "abc5" << fr << none;
    QTest::newRow("lone minus") << "-" << fr << none;
    QTest::newRow("lone plus") << "+" << fr << none;
    QTest::newRow("lone separator") << "," << fr << none;
    QTest::newRow("lone group separator") << "\u202F" << fr << none;
    QTest::newRow("1,2,3 French") << "1,2,3" << fr << none;
    QTest::newRow("two signs") << "--5" << fr << none;
    QTest::newRow("plus minus") << "+-5" << fr << none;
    QTest::newRow("space after sign") << "- 5" << fr << none;
    QTest::newRow("sign after") << "5-" << fr << none;
    QTest::newRow("hexadecimal") << "0x10" << fr << none;
    QTest::newRow("infinity") << "inf" << fr << none;
    QTest::newRow("nan") << "nan" << fr << none;
    QTest::newRow("two numbers") << "5 6 7" << en << none;
    QTest::newRow("Arabic-Indic digits") << "\u0665" << fr << none;
    QTest::newRow("full-width digit") << "\uFF15" << fr << none;
    QTest::newRow("NUL inside") << QString("5") + QChar(0) << fr << none;

    // Numbers too big for 32 bits read as 0, not as "not a number".
    QTest::newRow("highest") << "2147483647" << fr << std::numeric_limits<int>::max();
    QTest::newRow("lowest") << "-2147483648" << fr << std::numeric_limits<int>::min();
    QTest::newRow("one above") << "2147483648" << fr << 0;
    QTest::newRow("one below") << "-2147483649" << fr << 0;
    QTest::newRow("3000000000") << "3000000000" << fr << 0;
    QTest::newRow("-3000000000") << "-3000000000" << fr << 0;
    QTest::newRow("highest and a half rounds up, out") << "2147483647,5" << fr << 0;
    QTest::newRow("even below highest and a half") << "2147483646,5" << fr << 2147483646;
    QTest::newRow("highest and 0,4") << "2147483647,4" << fr << std::numeric_limits<int>::max();
    QTest::newRow("lowest and a half rounds to even, in")
        << "-2147483648,5" << fr << std::numeric_limits<int>::min();
    QTest::newRow("lowest and 0,6") << "-2147483648,6" << fr << 0;
    QTest::newRow("26 nines") << "99999999999999999999999999" << fr << 0;
    QTest::newRow("1e300") << "1e300" << fr << 0;
    QTest::newRow("1e400") << "1e400" << fr << 0;
    QTest::newRow("-1e400") << "-1e400" << fr << 0;
    QTest::newRow("1e-400") << "1e-400" << fr << 0;
    QTest::newRow("1e-320, below normal doubles") << "1e-320" << fr << 0;
    QTest::newRow("huge exponent digits") << "1e99999999999999999999999" << fr << 0;
    QTest::newRow("huge negative exponent digits") << "1e-99999999999999999999999" << fr << 0;
    QTest::newRow("zero with a huge exponent") << "0e99999999999999999999999" << fr << 0;
    QTest::newRow("long mantissa, exponent brings it back")
        << "1" + QString(400, '0') + "e-400" << fr << 1;
    QTest::newRow("long fraction, exponent brings it back")
        << "0," + QString(400, '0') + "7e401" << fr << 7;
    QTest::newRow("100000 digits") << QString(100000, '9') << fr << 0;
    QTest::newRow("100000 zeros then 3") << QString(100000, '0') + "3" << fr << 3;
}

void TestNumbering::answer()
{
    QFETCH(QString, answer);
    QFETCH(QString, locale);
    QFETCH(int, expected);

    const std::optional<std::int32_t> got = parse(answer, locale);
    if (expected == none) {
        QVERIFY2(!got.has_value(), qPrintable(QString::number(got.value_or(0))));
    } else {
        QVERIFY(got.has_value());
        QCOMPARE(*got, expected);
    }
}

// Every short answer over an alphabet of the characters that matter, with and without blanks
// around it: the blanks must never change what it reads as, and nothing may crash.
void TestNumbering::blanksAroundNeverChangeTheAnswer()
{
    const std::vector<std::string> pieces = {"0", "5", "9",      ",",        ".", " ", "+",
                                             "-", "e", "\u202F", "\xE2\x80", "x", ""};
    const Separators s = separatorsOf(fr);
    int numbers = 0;
    for (const auto& a : pieces)
        for (const auto& b : pieces)
            for (const auto& c : pieces)
                for (const auto& d : pieces) {
                    const std::string answer = a + b + c + d;
                    const auto bare = parseNumberAnswer(answer, s.decimal, s.group);
                    const auto padded =
                        parseNumberAnswer(" \t" + answer + "\t ", s.decimal, s.group);
                    QVERIFY2(bare == padded, answer.c_str());
                    if (bare) {
                        ++numbers;
                        if (answer.find('e') == std::string::npos)
                            QVERIFY2(*bare >= -9999 && *bare <= 9999, answer.c_str());
                    }
                }
    QVERIFY(numbers > 0);
}

QTEST_APPLESS_MAIN(TestNumbering)
#include "test_numbering.moc"
