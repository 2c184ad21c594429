#include "core/io/textdecode.h"
#include "core/list/entrylist.h"
#include "core/list/listfileentries.h"

#include <QtTest>

#include <random>

using sortivo::ListFileEntries;

// The command-line draw reads files in place; what it reads must be what Open reads.

namespace
{

template <std::size_t N> std::string bytes(const char (&s)[N])
{
    return std::string(s, N - 1);
}

std::vector<std::string> asOpenReads(const std::string& file)
{
    const sortivo::DecodedList decoded = sortivo::decodeListFile(file);
    const sortivo::EntryList list = sortivo::loadEntries(decoded.listText);
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < list.size(); ++i)
        entries.emplace_back(list.at(i));
    return entries;
}

// Each entry as read by its index, and as read again from its start alone.
std::vector<std::string> inPlace(const ListFileEntries& read)
{
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < read.size(); ++i) {
        const std::string_view fromStart = read.entryAt(read.startOf(i));
        if (fromStart == read.at(i))
            entries.emplace_back(fromStart);
        else
            entries.push_back("<" + std::string(fromStart) + "> read from its start");
    }
    return entries;
}

} // namespace

Q_DECLARE_METATYPE(std::string)

class TestListFileEntries : public QObject
{
    Q_OBJECT
private slots:
    void readsAsOpen_data();
    void readsAsOpen();
    void randomFilesReadAsOpen();
};

void TestListFileEntries::readsAsOpen_data()
{
    QTest::addColumn<std::string>("file");
    QTest::addColumn<bool>("text");

    QTest::newRow("LF") << bytes("Anne\nBob\nCarl\n") << true;
    QTest::newRow("CR LF, no last end") << bytes("Anne\r\nBob\r\nCarl") << true;
    QTest::newRow("CR only") << bytes("a\rb\rc\r") << true;
    QTest::newRow("mixed ends") << bytes("a\r\nb\nc\rd\n\re") << true;
    QTest::newRow("CR CR LF") << bytes("a\r\r\nb") << true;
    QTest::newRow("stops at empty line") << bytes("a\nb\n\nc\n") << true;
    QTest::newRow("empty first line") << bytes("\na\nb") << true;
    QTest::newRow("empty file") << std::string() << true;
    QTest::newRow("blanks and tabs kept") << bytes(" a \n\tb\x0b\x0c\n") << true;
    QTest::newRow("UTF-8 mark") << bytes("\xef\xbb\xbf"
                                         "Zo\xc3\xab\r\n\xe2\x82\xac")
                                << true;
    QTest::newRow("mark alone") << bytes("\xef\xbb\xbf") << true;
    QTest::newRow("four-byte UTF-8") << bytes("\xf0\x9f\x8e\xb2 d\xc3\xa9\n") << true;
    QTest::newRow("Windows-1252") << bytes("\xc9lodie\r\n\x9cuf \x80") << true;
    QTest::newRow("overlong form is Windows-1252") << bytes("a\xc0\xafz\nb") << true;
    QTest::newRow("surrogate is Windows-1252") << bytes("\xed\xa0\x80\n") << true;
    QTest::newRow("cut sequence at end") << bytes("abc\xe2\x82") << true;
    QTest::newRow("long ASCII lines")
        << std::string(100, 'x') + "\r\n" + std::string(37, 'y') + "\n"
        << true;
    QTest::newRow("line separator becomes a space") << bytes("a\xe2\x80\xa8"
                                                             "b\nc")
                                                    << true;
    QTest::newRow("paragraph separator becomes a space") << bytes("\xe2\x80\xa9z\n") << true;
    QTest::newRow("frame mark becomes a space") << bytes("a\xef\xb7\x90\n") << true;
    QTest::newRow("second frame mark becomes a space") << bytes("\xef\xb7\x91") << true;
    QTest::newRow("UTF-16 LE") << bytes("\xff\xfe"
                                        "a\0\r\0\n\0b\0")
                               << true;
    QTest::newRow("Ctrl-Z at the end") << bytes("a\nb\n\x1a") << true;
    QTest::newRow("NUL is not text") << bytes("abc\0def") << false;
    QTest::newRow("escape is not text") << bytes("abcdefgh\x1b[0m\n") << false;
}

void TestListFileEntries::readsAsOpen()
{
    QFETCH(std::string, file);
    QFETCH(bool, text);
    const std::optional<ListFileEntries> read = ListFileEntries::read(file);
    QCOMPARE(read.has_value(), text);
    if (text) {
        QCOMPARE(inPlace(*read), asOpenReads(file));
        QVERIFY(read->unread() == sortivo::decodeListFile(file).unread);
    }
}

// Short files of the bytes that matter (line ends, UTF-8 leads and continuations, a control),
// so that every way of splitting and every fallback meets its double.
void TestListFileEntries::randomFilesReadAsOpen()
{
    const char alphabet[] = {'a',    ' ',    '\r',   '\n',   '\t',   '\xc3', '\xa9',
                             '\xe2', '\x82', '\xac', '\x80', '\xa8', '\xef', '\xbb',
                             '\xbf', '\xb7', '\x90', '\xf0', '\x9f', '\x1a', '\x01'};
    std::mt19937 rng(12345);
    for (int round = 0; round < 20000; ++round) {
        std::string file(rng() % 40, ' ');
        for (char& c : file)
            c = alphabet[rng() % (round % 2 ? sizeof alphabet : sizeof alphabet - 1)];
        const std::optional<ListFileEntries> read = ListFileEntries::read(file);
        const bool text = sortivo::decodeListFile(file).status == sortivo::DecodedList::Status::Ok;
        QCOMPARE(read.has_value(), text);
        if (text && (inPlace(*read) != asOpenReads(file) ||
                     read->unread() != sortivo::decodeListFile(file).unread))
            QFAIL(qPrintable(QByteArray::fromStdString(file).toHex(' ')));
    }
}

QTEST_APPLESS_MAIN(TestListFileEntries)
#include "test_listfileentries.moc"
