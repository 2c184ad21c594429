#include "exports/palmaresexport.h"
#include "support/sheetreading.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

// The palmarès as a spreadsheet opens it: each format written, then read back by another reader
// than the one that wrote it.

namespace
{

using sortivo::PalmaresFormat;
using Table = QList<QStringList>;

// Rows where a writer could go wrong: a separator and quotes in a prize, accents, a run of
// spaces, a ticket that looks like a number, a name that looks like a formula, a prize nobody
// holds, and the columns of the table the list came from.
const std::vector<sortivo::PalmaresRow> rows{
    {1, "Bon d'achat ; \"spécial\"", "Zoé  Éluard", 1, "2026-12-09T18:01:00Z", "gagnant", 0},
    {2, "Vélo", "007", 2, "2026-12-09T18:02:05Z", "gagnant", 1},
    {3, "Casque", {}, std::nullopt, {}, "non attribué", std::nullopt},
    {4, {}, "=1+1", 2, "2026-12-09T18:02:05Z", "suppléant n° 1", 2},
};
const sortivo::SourceColumns source{
    {"Nom", "Courriel"}, [](std::size_t r) {
        return std::vector<std::string>{"N" + std::to_string(r), "n" + std::to_string(r) + "@x.fr"};
    }};

// What every reader must find, the header first; times in the zone the test sets, UTC+1.
Table expected(bool csv)
{
    const QString formula = csv ? QStringLiteral("'=1+1") : QStringLiteral("=1+1");
    return {
        {"Rang", "Lot", "Gagnant", "Tirage n°", "Heure", "Statut", "Nom", "Courriel"},
        {"1", "Bon d'achat ; \"spécial\"", "Zoé  Éluard", "1", "2026-12-09 19:01:00", "gagnant",
         "N0", "n0@x.fr"},
        {"2", "Vélo", "007", "2", "2026-12-09 19:02:05", "gagnant", "N1", "n1@x.fr"},
        {"3", "Casque", "", "", "", "non attribué", "", ""},
        {"4", "", formula, "2", "2026-12-09 19:02:05", "suppléant n° 1", "N2", "n2@x.fr"},
    };
}

Table readBack(const std::string& bytes, PalmaresFormat format, const QString& folder)
{
    Table table;
    if (format == PalmaresFormat::Csv) {
        const QString path = folder + QStringLiteral("/palmares.csv");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
            return {};
        file.close();
        QProcess python;
        python.start(
            QStringLiteral(PYTHON3),
            {QStringLiteral("-c"),
             QStringLiteral("import csv, json, sys\n"
                            "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                            "    print(json.dumps(list(csv.reader(f, delimiter=';'))))"),
             path});
        if (!python.waitForFinished() || python.exitCode() != 0)
            return {};
        for (const QJsonValue& row :
             QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
            QStringList cells;
            for (const QJsonValue& cell : row.toArray())
                cells << cell.toString();
            table << cells;
        }
        return table;
    }
    const sortivo::SheetKind kind = sortivo::spreadsheetKind(bytes);
    if (kind !=
        (format == PalmaresFormat::Xlsx ? sortivo::SheetKind::Xlsx : sortivo::SheetKind::Ods))
        return {};
    const std::optional<SheetText> sheet = onlySheet(bytes);
    if (!sheet || sheet->name != "Palmarès")
        return {};
    return sheet->rows;
}

} // namespace

class TestPalmaresExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void formatOf_data();
    void formatOf();
    void roundTrip_data();
    void roundTrip();
    void sourceColumns();
};

void TestPalmaresExport::initTestCase()
{
    qputenv("TZ", "CET-1");
    tzset();
}

void TestPalmaresExport::formatOf_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("mostRows"); // under the titles; 0: no limit
    QTest::newRow("xlsx, any case")
        << "/tmp/Palmarès.XLSX" << int(PalmaresFormat::Xlsx) << 1'048'575;
    QTest::newRow("ods") << "a.b/palmares.ods" << int(PalmaresFormat::Ods) << 0;
    QTest::newRow("csv") << "palmares.csv" << int(PalmaresFormat::Csv) << 0;
    QTest::newRow("no suffix") << "/tmp/palmares" << -1 << 0;
    QTest::newRow("another") << "/tmp/palmares.xls" << -1 << 0;
}

void TestPalmaresExport::formatOf()
{
    QFETCH(QString, path);
    QFETCH(int, format);
    QFETCH(int, mostRows);
    const std::optional<PalmaresFormat> got = sortivo::palmaresFormatOf(path);
    QCOMPARE(got ? int(*got) : -1, format);
    const std::size_t most = mostRows > 0 ? std::size_t(mostRows) : std::size_t(50'000'000);
    QVERIFY(!sortivo::palmaresRowsRefusal(path, most));
    QCOMPARE(sortivo::palmaresRowsRefusal(path, most + 1).has_value(), mostRows > 0);
}

void TestPalmaresExport::roundTrip_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("csv") << int(PalmaresFormat::Csv);
    QTest::newRow("xlsx") << int(PalmaresFormat::Xlsx);
    QTest::newRow("ods") << int(PalmaresFormat::Ods);
}

void TestPalmaresExport::roundTrip()
{
    QFETCH(int, format);
    const auto kind = PalmaresFormat(format);
    const sortivo::Expected<std::string> bytes =
        sortivo::exportBytes(sortivo::palmaresTable(rows, source), kind);
    QVERIFY2(bytes, bytes ? "" : bytes.error().text.c_str());
    if (kind == PalmaresFormat::Csv) {
        // As French spreadsheets expect it: a byte order mark, and CR LF after each row.
        QVERIFY(bytes->starts_with("\xEF\xBB\xBF"));
        QCOMPARE(QByteArray::fromStdString(*bytes).count("\r\n"), 5);
        QCOMPARE(QByteArray::fromStdString(*bytes).count('\n'), 5);
    }
    const QTemporaryDir folder;
    QCOMPARE(readBack(*bytes, kind, folder.path()), expected(kind == PalmaresFormat::Csv));
}

// A winner's row is found by its text; a text two rows gave names neither.
void TestPalmaresExport::sourceColumns()
{
    sortivo::ListTable table;
    for (const auto& cells : std::vector<std::vector<std::string>>{
             {"Nom", "Courriel"}, {"Jean", "j@x.fr"}, {"Léa", "l@x.fr"}, {"Léa", "l2@x.fr"}}) {
        for (const std::string& cell : cells)
            table.cells.addCell(cell);
        table.cells.endRow();
    }
    table.names = {"Nom", "Courriel"};
    table.entryRows = {1, 2, 3};
    table.entries =
        std::make_shared<const sortivo::EntryList>(sortivo::loadEntries("Jean\r\nLéa\r\nLéa"));
    const std::vector<sortivo::PalmaresRow> winners{
        {1, "Vélo", "Léa", 1, "2026-12-09T18:01:00Z", "gagnant", 0},
        {2, "Casque", "Jean", 1, "2026-12-09T18:01:00Z", "gagnant", 1},
        {3, "Livre", {}, std::nullopt, {}, "non attribué", std::nullopt},
    };
    const sortivo::SourceColumns found = sortivo::sourceColumnsOf(table, winners);
    QCOMPARE(found.names, table.names);
    QCOMPARE(found.cellsOf(0), std::vector<std::string>());
    QCOMPARE(found.cellsOf(1), (std::vector<std::string>{"Jean", "j@x.fr"}));
}

QTEST_GUILESS_MAIN(TestPalmaresExport)
#include "test_palmaresexport.moc"
