#include "core/io/textdecode.h"

#include <QtTest>

using sortivo::DecodedList;
using sortivo::decodeListFile;
using sortivo::encodeResultFile;

namespace
{

// Keeps embedded NUL bytes, which a plain QByteArray(const char*) would cut at.
template <std::size_t N> QByteArray bytes(const char (&s)[N])
{
    return QByteArray(s, N - 1);
}

std::string_view view(const QByteArray& b)
{
    return std::string_view(b.constData(), static_cast<std::size_t>(b.size()));
}

} // namespace

class TestTextDecode : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void linesLeftUnread_data();
    void linesLeftUnread();
    void lines();
    void encodings_data();
    void encodings();
    void everyByteAlone_data();
    void everyByteAlone();
    void notText_data();
    void notText();
    void bigFile_data();
    void bigFile();
    void limits_data();
    void limits();
    void encodeResult_data();
    void encodeResult();
    void savedResultReadsBack_data();
    void savedResultReadsBack();
};

void TestTextDecode::lines_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("CR LF") << bytes("a\r\nb\r\nc") << bytes("a\r\nb\r\nc");
    QTest::newRow("LF") << bytes("a\nb\nc") << bytes("a\r\nb\r\nc");
    QTest::newRow("CR") << bytes("a\rb\rc") << bytes("a\r\nb\r\nc");
    QTest::newRow("mixed") << bytes("a\r\nb\nc\rd") << bytes("a\r\nb\r\nc\r\nd");
    QTest::newRow("ends with CR LF") << bytes("a\r\nb\r\n") << bytes("a\r\nb");
    QTest::newRow("ends with LF") << bytes("a\nb\n") << bytes("a\r\nb");
    QTest::newRow("ends with CR") << bytes("a\rb\r") << bytes("a\r\nb");
    QTest::newRow("last line without end") << bytes("one\r\ntwo") << bytes("one\r\ntwo");
    QTest::newRow("single line") << bytes("alone") << bytes("alone");
    QTest::newRow("single line with end") << bytes("alone\r\n") << bytes("alone");
    QTest::newRow("blank line stops") << bytes("a\r\nb\r\n\r\nc\r\nd") << bytes("a\r\nb");
    QTest::newRow("blank line stops, LF") << bytes("a\nb\n\nc") << bytes("a\r\nb");
    QTest::newRow("blank line stops, CR") << bytes("a\rb\r\rc") << bytes("a\r\nb");
    QTest::newRow("LF then CR is two line ends") << bytes("a\n\rb") << bytes("a");
    QTest::newRow("CR then CR LF is two line ends") << bytes("a\r\r\nb") << bytes("a");
    QTest::newRow("blank line at end") << bytes("a\r\n\r\n") << bytes("a");
    QTest::newRow("line of spaces kept") << bytes("a\r\n   \r\nb") << bytes("a\r\n   \r\nb");
    QTest::newRow("line of tabs kept") << bytes("a\n\t\t\nb") << bytes("a\r\n\t\t\r\nb");
    QTest::newRow("spaces around entries kept") << bytes(" a \r\n\tb\t") << bytes(" a \r\n\tb\t");
    QTest::newRow("VT and FF inside a line") << bytes("a\vb\fc") << bytes("a\vb\fc");
    QTest::newRow("0 bytes") << bytes("") << bytes("");
    QTest::newRow("first line empty, CR LF") << bytes("\r\na\r\nb") << bytes("");
    QTest::newRow("first line empty, LF") << bytes("\na") << bytes("");
    QTest::newRow("first line empty, CR") << bytes("\ra") << bytes("");
    QTest::newRow("only CR LF") << bytes("\r\n") << bytes("");
}

void TestTextDecode::lines()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    const DecodedList d = decodeListFile(view(input));
    QCOMPARE(d.status, DecodedList::Status::Ok);
    QCOMPARE(QByteArray::fromStdString(d.listText), expected);
}

// What Open tells of the lines below the empty line that stopped it.
void TestTextDecode::linesLeftUnread_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("emptyLine"); // 0: nothing to tell
    QTest::addColumn<int>("following");

    QTest::newRow("no empty line") << bytes("a\r\nb\r\n") << 0 << 0;
    QTest::newRow("empty lines that end the file") << bytes("a\r\n\r\n\n\r") << 0 << 0;
    QTest::newRow("two lines below") << bytes("a\r\nb\r\n\r\nc\r\nd") << 3 << 2;
    QTest::newRow("empty lines at the end not counted") << bytes("a\n\nc\n\n\n") << 2 << 1;
    QTest::newRow("empty lines between counted") << bytes("a\n\nc\n\nd\n") << 2 << 3;
    QTest::newRow("CR only") << bytes("a\r\rb\rc\r") << 2 << 2;
    QTest::newRow("LF then CR") << bytes("a\n\rb") << 2 << 1;
    QTest::newRow("first line empty") << bytes("\r\nAnne\r\nBob") << 1 << 2;
    QTest::newRow("UTF-16") << bytes("\xff\xfe"
                                     "a\0\n\0\n\0b\0")
                            << 2 << 1;
}

void TestTextDecode::linesLeftUnread()
{
    QFETCH(QByteArray, input);
    QFETCH(int, emptyLine);
    QFETCH(int, following);
    const DecodedList d = decodeListFile(view(input));
    QCOMPARE(d.unread.has_value(), emptyLine != 0);
    if (d.unread) {
        QCOMPARE(int(d.unread->emptyLine), emptyLine);
        QCOMPARE(int(d.unread->following), following);
    }
}

void TestTextDecode::encodings_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    // UTF-8 read as it is.
    QTest::newRow("UTF-8") << bytes("Zo\xC3\xA9\r\n\xC5\x92"
                                    "dipe")
                           << bytes("Zoé\r\nŒdipe");
    QTest::newRow("UTF-8 with BOM") << bytes("\xEF\xBB\xBFZo\xC3\xA9\r\nx") << bytes("Zoé\r\nx");
    QTest::newRow("BOM only") << bytes("\xEF\xBB\xBF") << bytes("");
    QTest::newRow("BOM then empty line") << bytes("\xEF\xBB\xBF\r\na") << bytes("");
    QTest::newRow("only the first BOM is skipped") << bytes("\xEF\xBB\xBF\xEF\xBB\xBF"
                                                            "a")
                                                   << bytes("\xEF\xBB\xBF"
                                                            "a");
    QTest::newRow("BOM-like bytes later are text") << bytes("a\r\n\xEF\xBB\xBF"
                                                            "b")
                                                   << bytes("a\r\n\xEF\xBB\xBF"
                                                            "b");
    QTest::newRow("U+0080, lowest two bytes") << bytes("\xC2\x80") << bytes("\xC2\x80");
    QTest::newRow("U+0800, lowest three bytes") << bytes("\xE0\xA0\x80") << bytes("\xE0\xA0\x80");
    QTest::newRow("U+D7FF, last before surrogates")
        << bytes("\xED\x9F\xBF") << bytes("\xED\x9F\xBF");
    QTest::newRow("U+E000, first after surrogates")
        << bytes("\xEE\x80\x80") << bytes("\xEE\x80\x80");
    QTest::newRow("U+10000, lowest four bytes")
        << bytes("\xF0\x90\x80\x80") << bytes("\xF0\x90\x80\x80");
    QTest::newRow("U+10FFFF, highest") << bytes("\xF4\x8F\xBF\xBF") << bytes("\xF4\x8F\xBF\xBF");
    QTest::newRow("emoji") << bytes("d\xC3\xA9 \xF0\x9F\x8E\xB2") << bytes("dé 🎲");

    // UTF-16 with its mark, as Notepad saves "Unicode" and "Unicode big endian".
    QTest::newRow("UTF-16 LE") << bytes("\xFF\xFE"
                                        "Z\0o\0\xE9\0\r\0\n\0R\x01")
                               << bytes("Zoé\r\nŒ");
    QTest::newRow("UTF-16 BE") << bytes("\xFE\xFF"
                                        "\0Z\0o\0\xE9\0\r\0\n\x01R")
                               << bytes("Zoé\r\nŒ");
    QTest::newRow("UTF-16 LE, lines end with LF") << bytes("\xFF\xFE"
                                                           "a\0\n\0b\0\n\0")
                                                  << bytes("a\r\nb");
    QTest::newRow("UTF-16 LE, blank line stops") << bytes("\xFF\xFE"
                                                          "a\0\r\0\n\0\r\0\n\0c\0")
                                                 << bytes("a");
    QTest::newRow("UTF-16 LE, mark only") << bytes("\xFF\xFE") << bytes("");
    QTest::newRow("UTF-16 LE, surrogate pair") << bytes("\xFF\xFE"
                                                        "\x3C\xD8\xB2\xDF")
                                               << bytes("🎲");
    QTest::newRow("UTF-16 BE, surrogate pair") << bytes("\xFE\xFF"
                                                        "\xD8\x3C\xDF\xB2")
                                               << bytes("🎲");
    QTest::newRow("UTF-16 LE, lone high surrogate") << bytes("\xFF\xFE"
                                                             "\x3C\xD8x\0")
                                                    << bytes("\uFFFDx");
    QTest::newRow("UTF-16 LE, lone low surrogate at the end") << bytes("\xFF\xFE"
                                                                       "x\0\xB2\xDF")
                                                              << bytes("x\uFFFD");
    QTest::newRow("UTF-16 LE, Ctrl-Z at the end") << bytes("\xFF\xFE"
                                                           "a\0\r\0\n\0\x1A\0")
                                                  << bytes("a");

    // A DOS end-of-file mark as the file's last byte.
    QTest::newRow("Ctrl-Z after the last line end") << bytes("a\r\nb\r\n\x1A") << bytes("a\r\nb");
    QTest::newRow("Ctrl-Z right after the last line") << bytes("a\r\nb\x1A") << bytes("a\r\nb");
    QTest::newRow("Ctrl-Z alone") << bytes("\x1A") << bytes("");
    QTest::newRow("Ctrl-Z after Windows-1252") << bytes("\xE9t\xE9\x1A") << bytes("été");

    // A text box would split a line at these or drop them: one line stays one entry.
    QTest::newRow("line separator") << bytes("a\u2028b\r\nc") << bytes("a b\r\nc");
    QTest::newRow("paragraph separator") << bytes("a\u2029b") << bytes("a b");
    QTest::newRow("frame marks") << bytes("\uFDD0x\uFDD1") << bytes(" x ");
    QTest::newRow("separators side by side") << bytes("\u2028\u2029") << bytes("  ");
    QTest::newRow("neighbours are kept")
        << bytes("\u2027\u202A\uFDCF\uFDD2") << bytes("\u2027\u202A\uFDCF\uFDD2");
    QTest::newRow("UTF-16 LE, line separator") << bytes("\xFF\xFE"
                                                        "a\0\x28\x20"
                                                        "b\0")
                                               << bytes("a b");

    // Windows-1252.
    QTest::newRow("e acute") << bytes("\xE9t\xE9") << bytes("été");
    QTest::newRow("oe ligature") << bytes("c\x9Cur") << bytes("cœur");
    QTest::newRow("euro") << bytes("5 \x80") << bytes("5 €");
    QTest::newRow("right quote") << bytes("l\x92"
                                          "eau")
                                 << bytes("l’eau");
    QTest::newRow("0x80 to 0x9F")
        << bytes("\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F"
                 "\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E\x9F")
        << bytes("€\xC2\x81‚ƒ„…†‡ˆ‰Š‹Œ\xC2\x8DŽ\xC2\x8F"
                 "\xC2\x90‘’“”•–—˜™š›œ\xC2\x9DžŸ");
    QTest::newRow("0xA0 to 0xBF")
        << bytes("\xA0\xA1\xA2\xA3\xA4\xA5\xA6\xA7\xA8\xA9\xAA\xAB\xAC\xAD\xAE\xAF"
                 "\xB0\xB1\xB2\xB3\xB4\xB5\xB6\xB7\xB8\xB9\xBA\xBB\xBC\xBD\xBE\xBF")
        << bytes("\xC2\xA0¡¢£¤¥¦§¨©ª«¬\xC2\xAD®¯°±²³´µ¶·¸¹º»¼½¾¿");
    QTest::newRow("0xC0 to 0xFF")
        << bytes("\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF"
                 "\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD7\xD8\xD9\xDA\xDB\xDC\xDD\xDE\xDF"
                 "\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
                 "\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF")
        << bytes("ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖ×ØÙÚÛÜÝÞßàáâãäåæçèéêëìíîïðñòóôõö÷øùúûüýþÿ");
    QTest::newRow("Windows-1252 with line ends")
        << bytes("\xE9l\xE8ve\r\nna\xEFve\nc\x9Cur\r\x80") << bytes("élève\r\nnaïve\r\ncœur\r\n€");

    // One byte that is not UTF-8 makes the whole file Windows-1252, lines before it included.
    QTest::newRow("invalid UTF-8 in the middle")
        << bytes("Zo\xC3\xA9\r\nAndr\xE9\r\nx") << bytes("ZoÃ©\r\nAndré\r\nx");
    QTest::newRow("invalid UTF-8 after the blank line")
        << bytes("Zo\xC3\xA9\r\n\r\n\xE9") << bytes("ZoÃ©");
    QTest::newRow("BOM of a Windows-1252 file is text")
        << bytes("\xEF\xBB\xBF\xE9") << bytes("ï»¿é");
    QTest::newRow("truncated two-byte sequence at end") << bytes("ab\xC3") << bytes("abÃ");
    QTest::newRow("truncated three-byte sequence at end") << bytes("ab\xE2\x82") << bytes("abâ‚");
    QTest::newRow("truncated four-byte sequence at end") << bytes("\xF0\x9F\x8E") << bytes("ðŸŽ");
    QTest::newRow("truncated sequence before a line end")
        << bytes("a\xC3\r\nb") << bytes("aÃ\r\nb");
    QTest::newRow("lone continuation byte") << bytes("a\x80z") << bytes("a€z");
    QTest::newRow("overlong slash, two bytes") << bytes("\xC0\xAF") << bytes("À¯");
    QTest::newRow("overlong, C1 lead") << bytes("\xC1\xBF") << bytes("Á¿");
    QTest::newRow("overlong slash, three bytes") << bytes("\xE0\x80\xAF") << bytes("à€¯");
    QTest::newRow("overlong, four bytes") << bytes("\xF0\x8F\xBF\xBF") << bytes("ð\xC2\x8F¿¿");
    QTest::newRow("surrogate D800") << bytes("\xED\xA0\x80") << bytes("í\xC2\xA0€");
    QTest::newRow("above U+10FFFF") << bytes("\xF4\x90\x80\x80") << bytes("ô\xC2\x90€€");
    QTest::newRow("F5 lead") << bytes("\xF5\x80\x80\x80") << bytes("õ€€€");
    QTest::newRow("FF byte") << bytes("a\xFF") << bytes("aÿ");
    QTest::newRow("lead followed by ASCII") << bytes("\xC3"
                                                     "A")
                                            << bytes("ÃA");
}

void TestTextDecode::encodings()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    const DecodedList d = decodeListFile(view(input));
    QCOMPARE(d.status, DecodedList::Status::Ok);
    QCOMPARE(QByteArray::fromStdString(d.listText), expected);
}

void TestTextDecode::everyByteAlone_data()
{
    QTest::addColumn<int>("byte");
    for (int b = 0; b < 256; ++b)
        QTest::addRow("0x%02X", b) << b;
}

// A file of one byte followed by a letter: each byte is either refused, a line end, or a
// character whose UTF-8 form is one (ASCII) or two (0xA0-0xFF) or up to three bytes.
void TestTextDecode::everyByteAlone()
{
    QFETCH(int, byte);
    const char c = static_cast<char>(byte);
    const std::string file{c, 'z'};
    const DecodedList d = decodeListFile(file);

    const bool refused = byte < 0x09 || (byte >= 0x0E && byte <= 0x1F);
    QCOMPARE(d.status == DecodedList::Status::NotText, refused);
    if (refused) {
        QVERIFY(d.listText.empty());
        return;
    }
    if (byte == '\r' || byte == '\n') {
        QVERIFY(d.listText.empty());
        return;
    }
    if (byte < 0x80) {
        QCOMPARE(QByteArray::fromStdString(d.listText), QByteArray::fromStdString(file));
        return;
    }
    // Decoding back through Qt's own UTF-8 reader gives one character, then the letter.
    const QString s = QString::fromUtf8(d.listText.data(), qsizetype(d.listText.size()));
    QCOMPARE(s.size(), 2);
    QCOMPARE(s.at(1), QChar('z'));
    if (byte >= 0xA0)
        QCOMPARE(s.at(0).unicode(), char16_t(byte));
    else if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D)
        QCOMPARE(s.at(0).unicode(), char16_t(byte));
    else
        QVERIFY2(s.at(0).unicode() > 0xFF, "0x80-0x9F are Windows-1252 characters");
}

void TestTextDecode::notText_data()
{
    QTest::addColumn<QByteArray>("input");

    QTest::newRow("NUL") << bytes("a\0b");
    QTest::newRow("NUL alone") << bytes("\0");
    QTest::newRow("NUL at the end") << bytes("a\r\nb\0");
    QTest::newRow("NUL after the blank line") << bytes("a\r\n\r\n\0");
    QTest::newRow("UTF-16 without its mark") << bytes("a\0b\0");
    QTest::newRow("UTF-16 LE, odd byte at the end") << bytes("\xFF\xFE"
                                                             "a\0b");
    QTest::newRow("UTF-16 LE, NUL character") << bytes("\xFF\xFE"
                                                       "a\0\0\0");
    QTest::newRow("Ctrl-Z inside a line") << bytes("a\x1A"
                                                   "b");
    QTest::newRow("Ctrl-Z before the last line end") << bytes("a\x1A\r\n");
    QTest::newRow("two Ctrl-Z at the end") << bytes("a\x1A\x1A");
    QTest::newRow("SOH") << bytes("a\x01");
    QTest::newRow("BEL") << bytes("ding\a");
    QTest::newRow("backspace") << bytes("a\bb");
    QTest::newRow("SO") << bytes("a\x0E");
    QTest::newRow("ESC") << bytes("\x1B[0m");
    QTest::newRow("unit separator") << bytes("\x1F");
    QTest::newRow("control in a Windows-1252 file") << bytes("\xE9\x02");
    QTest::newRow("PNG header") << bytes("\x89PNG\r\n\x1A\n\0\0\0\rIHDR");
}

void TestTextDecode::notText()
{
    QFETCH(QByteArray, input);
    const DecodedList d = decodeListFile(view(input));
    QCOMPARE(d.status, DecodedList::Status::NotText);
    QVERIFY(d.listText.empty());
}

void TestTextDecode::bigFile_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QByteArray>("decodedEntry");
    QTest::addColumn<QByteArray>("lineEnd");

    QTest::newRow("UTF-8, LF") << bytes("Zo\xC3\xA9 \xE2\x82\xAC") << bytes("Zoé €") << bytes("\n");
    QTest::newRow("Windows-1252, CR LF") << bytes("Zo\xE9 \x80") << bytes("Zoé €") << bytes("\r\n");
    QTest::newRow("one letter, CR") << bytes("x") << bytes("x") << bytes("\r");
}

// A few megabytes, well past any small-buffer case, read in full and in order.
void TestTextDecode::bigFile()
{
    QFETCH(QByteArray, entry);
    QFETCH(QByteArray, decodedEntry);
    QFETCH(QByteArray, lineEnd);

    constexpr int count = 400000;
    std::string file;
    std::string expected;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        file.append(n).append(view(entry)).append(view(lineEnd));
        if (i > 0)
            expected += "\r\n";
        expected.append(n).append(view(decodedEntry));
    }
    file.append(view(lineEnd)).append("after the blank line");

    const DecodedList d = decodeListFile(file);
    QCOMPARE(d.status, DecodedList::Status::Ok);
    QVERIFY(d.listText == expected);
}

void TestTextDecode::limits_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("maxLines");
    QTest::addColumn<int>("maxLineChars");
    QTest::addColumn<int>("status");

    using enum DecodedList::Status;
    QTest::newRow("lines at the limit") << bytes("a\nb\nc\n") << 3 << 9 << int(Ok);
    QTest::newRow("one line too many") << bytes("a\nb\nc\nd") << 3 << 9 << int(TooManyLines);
    QTest::newRow("lines below the blank line do not count")
        << bytes("a\nb\nc\n\nd\ne") << 3 << 9 << int(Ok);
    QTest::newRow("line at the limit") << bytes("abcde\r\nx") << 9 << 5 << int(Ok);
    QTest::newRow("line one character too long")
        << bytes("x\r\nabcdef") << 9 << 5 << int(LineTooLong);
    QTest::newRow("characters, not bytes")
        << bytes("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9") << 9 << 5 << int(Ok);
    QTest::newRow("Windows-1252 line too long")
        << bytes("\xE9\xE9\xE9\xE9\xE9\xE9") << 9 << 5 << int(LineTooLong);
    QTest::newRow("UTF-16 line at the limit") << bytes("\xFF\xFE"
                                                       "a\0b\0c\0")
                                              << 9 << 3 << int(Ok);
    QTest::newRow("long line below the blank line")
        << bytes("a\r\n\r\nabcdefgh") << 9 << 5 << int(Ok);
}

void TestTextDecode::limits()
{
    QFETCH(QByteArray, input);
    QFETCH(int, maxLines);
    QFETCH(int, maxLineChars);
    QFETCH(int, status);

    const DecodedList d =
        decodeListFile(view(input), {std::size_t(maxLines), std::size_t(maxLineChars)});
    QCOMPARE(int(d.status), status);
    QCOMPARE(d.listText.empty(), status != int(DecodedList::Status::Ok));
}

void TestTextDecode::encodeResult_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty") << bytes("") << bytes("\r\n");
    QTest::newRow("one line") << bytes("a") << bytes("a\r\n");
    QTest::newRow("two lines") << bytes("a\r\nb") << bytes("a\r\nb\r\n");
    QTest::newRow("ends with an empty line") << bytes("a\r\n") << bytes("a\r\n\r\n");
    QTest::newRow("UTF-8, no BOM") << bytes("élève") << bytes("\xC3\xA9l\xC3\xA8ve\r\n");
}

void TestTextDecode::encodeResult()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(QByteArray::fromStdString(encodeResultFile(view(text))), expected);
}

void TestTextDecode::savedResultReadsBack_data()
{
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("one entry") << bytes("Anne");
    QTest::newRow("teams") << bytes("Anne - Bob\r\nCarl - Dora");
    QTest::newRow("accents and euro") << bytes("élève\r\n5 €\r\nœuvre");
    QTest::newRow("entries of blanks") << bytes(" \r\n\t\r\nx");
}

// A saved result opened again as a list gives the same entries.
void TestTextDecode::savedResultReadsBack()
{
    QFETCH(QByteArray, text);
    const DecodedList d = decodeListFile(encodeResultFile(view(text)));
    QCOMPARE(d.status, DecodedList::Status::Ok);
    QCOMPARE(QByteArray::fromStdString(d.listText), text);
}

QTEST_APPLESS_MAIN(TestTextDecode)
#include "test_textdecode.moc"
