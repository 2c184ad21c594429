#include "support/stdtypes.h"
#include "widgets/boxlinebreaks.h"

using namespace std::string_literals;

class TestBoxLineBreaks : public QObject
{
    Q_OBJECT
private slots:
    void listTextFromBox_data();
    void listTextFromBox();
    void boxTextFromList_data();
    void boxTextFromList();
};

void TestBoxLineBreaks::listTextFromBox_data()
{
    QTest::addColumn<std::string>("box");
    QTest::addColumn<std::string>("list");

    const std::string para = "\u2029";
    const std::string line = "\u2028";
    QTest::newRow("empty") << ""s
                           << ""s;
    QTest::newRow("one paragraph") << "abc"s
                                   << "abc"s;
    QTest::newRow("two paragraphs") << "a" + para + "b"
                                    << "a\r\nb"s;
    QTest::newRow("line break within a paragraph") << "a" + line + "b"
                                                   << "a\r\nb"s;
    QTest::newRow("separators only") << para + line + para << "\r\n\r\n\r\n"s;
    QTest::newRow("empty last paragraph") << "a" + para << "a\r\n"s;
    // Other characters whose UTF-8 also starts with E2 stay as they are.
    QTest::newRow("ellipsis, euro, dash") << "…" + para + "€–"
                                          << "…\r\n€–"s;
    QTest::newRow("E2 80 cut short at the end") << "a\xE2\x80"s
                                                << "a\xE2\x80"s;
    QTest::newRow("lone E2 before a separator") << "\xE2" + para << "\xE2\r\n"s;
    QTest::newRow("no-break space kept") << "A\u00a0B" + para + "C"
                                         << "A\u00a0B\r\nC"s;
    // A table's cells, as a document holds them: each cell a line of its own.
    QTest::newRow("table marks") << "x" + para + "\uFDD0a\uFDD0b\uFDD1y"
                                 << "x\r\n\r\na\r\nb\r\ny"s;
    // Other characters whose UTF-8 starts with EF stay as they are.
    QTest::newRow("EF B7 of other characters") << "\uFDCF\uFDD2\uFFFD"s
                                               << "\uFDCF\uFDD2\uFFFD"s;
}

void TestBoxLineBreaks::listTextFromBox()
{
    QFETCH(std::string, box);
    QFETCH(std::string, list);
    QCOMPARE(sortivo::listTextFromBox(box), list);
}

void TestBoxLineBreaks::boxTextFromList_data()
{
    QTest::addColumn<std::string>("list");
    QTest::addColumn<std::string>("box");

    QTest::newRow("empty") << ""s
                           << ""s;
    QTest::newRow("CR LF between") << "a\r\nb\r\nc"s
                                   << "a\nb\nc"s;
    QTest::newRow("CR LF at both ends") << "\r\na\r\n"s
                                        << "\na\n"s;
    QTest::newRow("lone CR and LF left to the box") << "a\rb\nc"s
                                                    << "a\rb\nc"s;
    QTest::newRow("CR before CR LF") << "a\r\r\nb"s
                                     << "a\r\nb"s;
    QTest::newRow("ends in a lone CR") << "a\r"s
                                       << "a\r"s;
}

void TestBoxLineBreaks::boxTextFromList()
{
    QFETCH(std::string, list);
    QFETCH(std::string, box);
    QCOMPARE(sortivo::boxTextFromList(list), box);
}

QTEST_APPLESS_MAIN(TestBoxLineBreaks)
#include "test_boxlinebreaks.moc"
