#include "sheets/sheetbook.h"
#include "support/stdtypes.h"

#include <QFile>
#include <QtTest>

#include <zip.h>

#include <string>
#include <vector>

using Rows = std::vector<std::vector<std::string>>;
Q_DECLARE_METATYPE(Rows)

// Workbooks saved by two real producers, read as the spreadsheet shows them, and hostile
// archives refused with a reason.

// A data column's value where an expression needs it.
#define FETCHED(Type, name) (*static_cast<Type*>(QTest::qData(#name, qMetaTypeId<Type>())))

namespace
{

std::string fixture(const QString& name)
{
    QFile file(QStringLiteral(SORTIVO_SHEET_FIXTURES "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

Rows rowsOf(const sortivo::CellTable& table)
{
    Rows rows;
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
        auto& row = rows.emplace_back();
        for (std::size_t c = 0; c < table.columnCount(); ++c)
            row.emplace_back(table.cell(r, c));
    }
    return rows;
}

// An archive of the given parts, each stored, deflated or encrypted as asked.
std::string archive(const std::vector<std::pair<std::string, std::string>>& parts,
                    zip_int32_t method = ZIP_CM_DEFLATE, bool encrypted = false)
{
    const QString path = QDir::temp().filePath(QStringLiteral("sortivo-test-sheet.zip"));
    QFile::remove(path);
    int error = 0;
    zip_t* out = zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, text] : parts) {
        zip_source_t* source = zip_source_buffer(out, text.data(), text.size(), 0);
        const zip_int64_t index = zip_file_add(out, name.c_str(), source, ZIP_FL_OVERWRITE);
        zip_set_file_compression(out, zip_uint64_t(index), method, 9);
        if (encrypted)
            zip_file_set_encryption(out, zip_uint64_t(index), ZIP_EM_AES_256, "secret");
    }
    zip_close(out);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll().toStdString();
}

const std::pair<std::string, std::string> odsMark{"mimetype",
                                                  "application/vnd.oasis.opendocument.spreadsheet"};

std::string odsContent(const std::string& body)
{
    return "<?xml version=\"1.0\"?><office:document-content "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
           "<office:spreadsheet>" +
           body + "</office:spreadsheet></office:body></office:document-content>";
}

} // namespace

class TestSheetBook : public QObject
{
    Q_OBJECT
private slots:
    void producers_data();
    void producers();
    void odsRepeats();
    void refused_data();
    void refused();
};

void TestSheetBook::producers_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<sortivo::SheetKind>("kind");
    QTest::newRow("openpyxl, inline strings")
        << QStringLiteral("classeur_openpyxl.xlsx") << sortivo::SheetKind::Xlsx;
    QTest::newRow("LibreOffice, shared strings")
        << QStringLiteral("classeur_libreoffice.xlsx") << sortivo::SheetKind::Xlsx;
    QTest::newRow("LibreOffice, OpenDocument")
        << QStringLiteral("classeur_libreoffice.ods") << sortivo::SheetKind::Ods;
}

void TestSheetBook::producers()
{
    const std::string bytes = fixture(FETCHED(QString, file));
    QVERIFY(!bytes.empty());
    QFETCH(sortivo::SheetKind, kind);
    QCOMPARE(sortivo::spreadsheetKind(bytes), kind);
    const sortivo::Expected<std::vector<sortivo::Sheet>> book =
        sortivo::readSheetBook(bytes, kind, {}, std::atomic<bool>());
    QVERIFY2(book, book ? "" : book.error().text.c_str());
    QCOMPARE(book->size(), std::size_t(2));
    QCOMPARE((*book)[0].name, std::string("Inscrits"));
    QCOMPARE((*book)[1].name, std::string("Liste d'attente"));
    const Rows expected{{"Numéro", "Nom", "Prénom", "Inscrit le", "Billets"},
                        {"0042", "Dupont", "Jérôme", "15/03/2024", "2"},
                        {"0043", "Lefèvre", "Zoé", "16/03/2024", "1"},
                        {"", "", "", "", ""},
                        {"0044", "Müller-Åström", "Éloïse", "17/03/2024", "3,5"},
                        {"0045", "Famille Ngô", "", "18/03/2024", "4"}};
    QCOMPARE(rowsOf((*book)[0].table), expected);
    QCOMPARE(rowsOf((*book)[1].table),
             (Rows{{"Nom", "Prénom"}, {"Petit", "Noël"}, {"Garçon", "Anaïs"}}));
}

void TestSheetBook::odsRepeats()
{
    const std::string bytes =
        archive({odsMark,
                 {"content.xml",
                  odsContent("<table:table table:name=\"A\"><table:table-row>"
                             "<table:table-cell table:number-columns-repeated=\"2\"/>"
                             "<table:table-cell office:value-type=\"string\"><text:p>x<text:s "
                             "text:c=\"2\"/>y</text:p><office:annotation><text:p>note</text:p>"
                             "</office:annotation></table:table-cell></table:table-row>"
                             "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell "
                             "office:value-type=\"float\" office:value=\"7\"><text:p>7,00</text:p>"
                             "</table:table-cell></table:table-row><table:table-row "
                             "table:number-rows-repeated=\"1048570\"><table:table-cell "
                             "table:number-columns-repeated=\"1024\"/></table:table-row>"
                             "</table:table>")}});
    const sortivo::Expected<std::vector<sortivo::Sheet>> book =
        sortivo::readSheetBook(bytes, sortivo::SheetKind::Ods, {}, std::atomic<bool>());
    QVERIFY2(book, book ? "" : book.error().text.c_str());
    QCOMPARE(rowsOf(book->at(0).table), (Rows{{"", "", "x  y"}, {"7", "", ""}, {"7", "", ""}}));
}

void TestSheetBook::refused_data()
{
    QTest::addColumn<std::string>("bytes");
    QTest::addColumn<QString>("reason");
    // The size limit lowered so that a part that barely compresses passes it.
    QTest::addColumn<quint64>("largestContent");
    const quint64 gib = quint64(1) << 30;
    const std::string bomb(std::size_t(8) << 20, 'a');
    QTest::newRow("compressed past a thousand to one")
        << archive({odsMark, {"content.xml", bomb}}) << QStringLiteral("1 000 fois") << gib;
    std::string noise;
    for (std::uint32_t x = 1; noise.size() < 8192; x = x * 1103515245 + 12345)
        noise += char('a' + (x >> 16) % 26);
    QTest::newRow("larger than allowed once uncompressed")
        << archive({odsMark, {"content.xml", odsContent(noise)}}) << QStringLiteral("1 Go")
        << quint64(4096);
    QTest::newRow("encrypted") << archive({odsMark, {"content.xml", odsContent("")}},
                                          ZIP_CM_DEFLATE, true)
                               << QStringLiteral("chiffré") << gib;
    QTest::newRow("without a sheet") << archive({odsMark, {"content.xml", odsContent("")}})
                                     << QStringLiteral("aucune feuille") << gib;
    QTest::newRow("a DOCTYPE") << archive({odsMark,
                                           {"content.xml",
                                            "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY e "
                                            "SYSTEM \"file:///etc/passwd\">]><x>&e;</x>"}})
                               << QStringLiteral("DOCTYPE") << gib;
    QTest::newRow("XML cut short")
        << archive({odsMark, {"content.xml", odsContent("").substr(0, 90)}})
        << QStringLiteral("endommagé") << gib;
    std::string cut = archive({odsMark, {"content.xml", odsContent(std::string(4000, ' '))}});
    cut[cut.size() / 2] ^= 0x55;
    QTest::newRow("damaged archive") << cut << QStringLiteral("endommagé") << gib;
}

void TestSheetBook::refused()
{
    QFETCH(std::string, bytes);
    sortivo::SheetLimits limits;
    limits.largestContent = FETCHED(quint64, largestContent);
    const sortivo::Expected<std::vector<sortivo::Sheet>> book =
        sortivo::readSheetBook(bytes, sortivo::SheetKind::Ods, limits, std::atomic<bool>());
    QVERIFY(!book);
    QVERIFY2(QString::fromStdString(book.error().text).contains(FETCHED(QString, reason)),
             book.error().text.c_str());
}

QTEST_APPLESS_MAIN(TestSheetBook)
#include "test_sheetbook.moc"
