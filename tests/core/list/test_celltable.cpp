#include "core/list/celltable.h"

#include "support/stdtypes.h"

#include <QtTest>

#include <string>
#include <vector>

using Rows = std::vector<std::vector<std::string>>;
Q_DECLARE_METATYPE(Rows)

Q_DECLARE_METATYPE(std::vector<std::size_t>)

// A data column's value where an expression needs it.
#define FETCHED(Type, name) (*static_cast<Type*>(QTest::qData(#name, qMetaTypeId<Type>())))

namespace
{

Rows rowsOf(const sortivo::CellTable& table)
{
    Rows rows;
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
        auto& row = rows.emplace_back();
        for (std::size_t c = 0; c < table.cellsIn(r); ++c)
            row.emplace_back(table.cell(r, c));
    }
    return rows;
}

sortivo::CellTable tableOf(const Rows& rows)
{
    sortivo::CellTable table;
    for (const auto& row : rows) {
        for (const auto& cell : row)
            table.addCell(cell);
        table.endRow();
    }
    return table;
}

} // namespace

class TestCellTable : public QObject
{
    Q_OBJECT
private slots:
    void delimited_data();
    void delimited();
    void notText();
    void limits_data();
    void limits();
    void titles_data();
    void titles();
    void defaultColumns_data();
    void defaultColumns();
    void entries_data();
    void entries();
};

void TestCellTable::delimited_data()
{
    QTest::addColumn<std::string>("bytes");
    QTest::addColumn<char>("separator");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<int>("unclosedLine");

    QTest::newRow("semicolons, CR LF, BOM")
        << std::string("\xEF\xBB\xBFNom;Pr\xC3\xA9nom\r\nDupont;Jean\r\n") << ';'
        << Rows{{"Nom", "Prénom"}, {"Dupont", "Jean"}} << 0;
    QTest::newRow("quotes hold separators, quotes and line ends")
        << std::string("a,b\n\"x,\"\"y\"\"\",\"l1\r\nl2\"\n") << ','
        << Rows{{"a", "b"}, {"x,\"y\"", "l1\r\nl2"}} << 0;
    QTest::newRow("the separator on most lines wins over one in a field")
        << std::string("a\tb,c\nd\te\nf\tg\n") << '\t' << Rows{{"a", "b,c"}, {"d", "e"}, {"f", "g"}}
        << 0;
    QTest::newRow("commas, lone CR ends")
        << std::string("a,b\rc,d") << ',' << Rows{{"a", "b"}, {"c", "d"}} << 0;
    QTest::newRow("an empty line is an empty row and does not end the table")
        << std::string("a;b\r\n\r\nc;d\r\n") << ';' << Rows{{"a", "b"}, {}, {"c", "d"}} << 0;
    QTest::newRow("an unclosed quote runs to the end, its line told")
        << std::string("a;b\nc;d\n\"e;f\r\ng;h\rx;y\n") << ';'
        << Rows{{"a", "b"}, {"c", "d"}, {"e;f\r\ng;h\rx;y\n"}} << 3;
    QTest::newRow("an unclosed quote after quoted line ends")
        << std::string("a;b\n\"c\nd\";e\nf;\"g\n") << ';'
        << Rows{{"a", "b"}, {"c\nd", "e"}, {"f", "g\n"}} << 4;
    QTest::newRow("Windows-1252") << std::string("Nom;Pr\xE9nom\r\nL\xE9on;Z\xF6\r\n") << ';'
                                  << Rows{{"Nom", "Prénom"}, {"Léon", "Zö"}} << 0;
    QTest::newRow("UTF-16 with its mark") << std::string("\xFF\xFE"
                                                         "a\0;\0b\0\r\0\n\0",
                                                         12)
                                          << ';' << Rows{{"a", "b"}} << 0;
    QTest::newRow("a trailing separator opens an empty cell")
        << std::string("a;b;\nc;d;e") << ';' << Rows{{"a", "b"}, {"c", "d", "e"}} << 0;
    // French Excel quotes nothing when its separator is ';': the commas are in the names.
    QTest::newRow("one column of names with commas")
        << std::string("Participant\r\nDupont, Jean\r\nDupont, Marie\r\nMartin, Paul\r\n")
        << sortivo::noSeparator
        << Rows{{"Participant"}, {"Dupont, Jean"}, {"Dupont, Marie"}, {"Martin, Paul"}} << 0;
    QTest::newRow("one column keeps its quoting")
        << std::string("Nom\n\"Durand; \"\"Fils\"\"\"\nMartin, Paul\n") << sortivo::noSeparator
        << Rows{{"Nom"}, {"Durand; \"Fils\""}, {"Martin, Paul"}} << 0;
    QTest::newRow("a header a separator does not split")
        << std::string("Nom\nDupont;Jean\nMartin;Paul\n") << sortivo::noSeparator
        << Rows{{"Nom"}, {"Dupont;Jean"}, {"Martin;Paul"}} << 0;
    std::string nineInTen = "Nom,Prénom\n";
    std::string eightInTen = nineInTen;
    for (int row = 0; row < 10; ++row) {
        nineInTen += row == 0 ? "Dupont, Jean, fils\n" : "Dupont,Jean\n";
        eightInTen += row < 2 ? "Dupont, Jean, fils\n" : "Dupont,Jean\n";
    }
    Rows nineRows{{"Nom", "Prénom"}, {"Dupont", " Jean", " fils"}};
    nineRows.insert(nineRows.end(), 9, {"Dupont", "Jean"});
    QTest::newRow("9 rows in 10 split as the header") << nineInTen << ',' << nineRows << 0;
    Rows eightRows{{"Nom,Prénom"}};
    eightRows.insert(eightRows.end(), 2, {"Dupont, Jean, fils"});
    eightRows.insert(eightRows.end(), 8, {"Dupont,Jean"});
    QTest::newRow("8 rows in 10 are not enough")
        << eightInTen << sortivo::noSeparator << eightRows << 0;
}

void TestCellTable::delimited()
{
    QFETCH(std::string, bytes);
    const std::optional<sortivo::DelimitedTable> table = sortivo::readDelimited(bytes);
    QVERIFY(table);
    QCOMPARE(table->separator, FETCHED(char, separator));
    QCOMPARE(rowsOf(table->table), FETCHED(Rows, rows));
    QCOMPARE(table->unclosedQuoteLine, std::size_t(FETCHED(int, unclosedLine)));
}

void TestCellTable::notText()
{
    QVERIFY(!sortivo::readDelimited(std::string("a;b\n\x01\x02;c", 9)));
}

void TestCellTable::limits_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<QString>("refusal"); // empty when the table is taken
    const auto row = [](const char* name, const char* text, const char* refusal) {
        QTest::newRow(name) << std::string(text) << QString::fromUtf8(refusal);
    };
    row("at every limit", "abcdefgh;bcdefgh;cd\nd;e;f\ng;;\n", "");
    row("empty cells after the last text cost nothing", "a;;;\nb;;;\n", "");
    row("one column more", "a;b;c;d\ne;f;g;h\n", "le tableau dépasse 3 colonnes.");
    row("empty cells before a text count", "a;;;d\ne;;;h\n", "le tableau dépasse 3 colonnes.");
    row("one row more", "a\nb\nc\nd\n", "la liste dépasse 2 lignes.");
    row("empty rows before a text count", "a\n\n\nb\n", "la liste dépasse 2 lignes.");
    row("one cell more", "a;b;c\nd;e;f\ng;h;i\n", "le tableau dépasse 7 cellules.");
    row("a cell of one byte more", "abcdefghi;b\nc;d\n", "une cellule dépasse 2 caractères.");
    row("the cells' text one byte more", "abcdefgh;abcdefgh\nabcde;x\n",
        "ses cellules dépassent ensemble");
}

// A table takes no more than its limits, counted as it is built, and tells which it passed.
void TestCellTable::limits()
{
    const sortivo::TableLimits limits{3, 3, 8, 21, 7};
    QFETCH(std::string, text);
    QFETCH(QString, refusal);
    const std::optional<sortivo::DelimitedTable> table = sortivo::readDelimited(text, limits);
    QVERIFY(table);
    QCOMPARE(table->table.refused(), !refusal.isEmpty());
    const QString told = QString::fromStdString(table->table.refusal());
    QVERIFY2(refusal.isEmpty() ? told.isEmpty() : told.startsWith(refusal), qPrintable(told));
}

void TestCellTable::titles_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<bool>("titles");
    QTest::newRow("text titles") << Rows{{"Nom", "Billets"}, {"Dupont", "2"}} << true;
    QTest::newRow("an empty title") << Rows{{"Nom", ""}, {"Dupont", "2"}} << false;
    QTest::newRow("a short first row") << Rows{{"Nom"}, {"Dupont", "2"}} << false;
    QTest::newRow("a number") << Rows{{"Nom", "0042"}, {"Dupont", "2"}} << false;
    QTest::newRow("a decimal number") << Rows{{"Nom", "3,5"}, {"Dupont", "2"}} << false;
    QTest::newRow("a date") << Rows{{"Nom", "15/03/2024"}, {"Dupont", "2"}} << false;
    QTest::newRow("repeated below") << Rows{{"Dupont", "Jean"}, {"Dupont", "Paul"}} << false;
    QTest::newRow("repeated in another column only")
        << Rows{{"Dupont", "Jean"}, {"Jean", "Paul"}} << true;
}

void TestCellTable::titles()
{
    QCOMPARE(sortivo::firstRowLooksLikeTitles(tableOf(FETCHED(Rows, rows))), FETCHED(bool, titles));
}

void TestCellTable::defaultColumns_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<bool>("titles");
    QTest::addColumn<std::vector<std::size_t>>("columns");
    QTest::addColumn<std::vector<std::string>>("names");
    QTest::newRow("ticketing export")
        << Rows{{"Numéro", "Nom", "Prénom", "Email", "Nombre de billets"}} << true
        << std::vector<std::size_t>{0, 1, 2}
        << std::vector<std::string>{"Numéro", "Nom", "Prénom", "Email", "Nombre de billets"};
    QTest::newRow("any case, no accents, plural")
        << Rows{{"Courriel", "NUMERO DE BILLET", "participants", "Ville"}} << true
        << std::vector<std::size_t>{1, 2}
        << std::vector<std::string>{"Courriel", "NUMERO DE BILLET", "participants", "Ville"};
    QTest::newRow("English name") << Rows{{"Email", "Name"}} << true << std::vector<std::size_t>{1}
                                  << std::vector<std::string>{"Email", "Name"};
    QTest::newRow("no naming title: the first column")
        << Rows{{"Ville", "Âge"}} << true << std::vector<std::size_t>{0}
        << std::vector<std::string>{"Ville", "Âge"};
    QTest::newRow("without titles")
        << Rows{{"Nom", "Prénom"}} << false << std::vector<std::size_t>{0}
        << std::vector<std::string>{"Colonne 1", "Colonne 2"};
}

void TestCellTable::defaultColumns()
{
    const sortivo::CellTable table = tableOf(FETCHED(Rows, rows));
    QFETCH(bool, titles);
    QCOMPARE(sortivo::defaultColumns(table, titles), FETCHED(std::vector<std::size_t>, columns));
    QCOMPARE(sortivo::columnNames(table, titles), FETCHED(std::vector<std::string>, names));
}

void TestCellTable::entries_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<std::vector<std::size_t>>("columns");
    QTest::addColumn<bool>("drop");
    QTest::addColumn<std::vector<std::string>>("entries");
    QTest::addColumn<std::string>("count");
    const Rows people{{"Num", "Nom", "Prénom"},
                      {"0042", " Dupont ", "Jean"},
                      {"0043", "", ""},
                      {},
                      {"0044", "Lefèvre\r\nde", "Zoé\tA"},
                      {"0045", "Dupont", "Jean"}};
    QTest::newRow("chosen cells trimmed, joined, breaks made spaces")
        << people << std::vector<std::size_t>{1, 2} << false
        << std::vector<std::string>{"Dupont Jean", "Lefèvre de Zoé A", "Dupont Jean"}
        << std::string("3 entrées · 2 lignes vides ignorées · 1 entrée en double");
    QTest::newRow("duplicates dropped")
        << people << std::vector<std::size_t>{1, 2} << true
        << std::vector<std::string>{"Dupont Jean", "Lefèvre de Zoé A"}
        << std::string("2 entrées · 2 lignes vides ignorées · 1 entrée en double retirée");
    QTest::newRow("an empty cell in the middle adds one space only")
        << people << std::vector<std::size_t>{0, 1, 2} << false
        << std::vector<std::string>{"0042 Dupont Jean", "0043", "0044 Lefèvre de Zoé A",
                                    "0045 Dupont Jean"}
        << std::string("4 entrées · 1 ligne vide ignorée");
    QTest::newRow("a one-character cell is kept")
        << Rows{{"Nom", "Prénom"}, {"A", "Jean"}, {"B", ""}} << std::vector<std::size_t>{0, 1}
        << false << std::vector<std::string>{"A Jean", "B"} << std::string("2 entrées");
    QTest::newRow("duplicates dropped in a row, the first of each kept")
        << Rows{{"Nom"}, {"a"}, {"b"}, {"a"}, {"a"}, {"c"}, {"b"}} << std::vector<std::size_t>{0}
        << true << std::vector<std::string>{"a", "b", "c"}
        << std::string("3 entrées · 3 entrées en double retirées");
}

void TestCellTable::entries()
{
    const sortivo::CellTable table = tableOf(FETCHED(Rows, rows));
    const auto& columns = FETCHED(std::vector<std::size_t>, columns);
    QFETCH(bool, drop);
    const auto& expected = FETCHED(std::vector<std::string>, entries);
    // The dialog counts once with the duplicates kept, whatever chkDoublons says.
    sortivo::TableEntries entries = sortivo::tableEntries(table, {true, columns, false});
    QCOMPARE(sortivo::countLine(entries, drop, 0), FETCHED(std::string, count));
    if (drop)
        sortivo::dropDuplicates(entries);
    std::vector<std::string> lines;
    std::size_t longest = 0;
    for (const QString& line : QString::fromStdString(entries.text).split(QStringLiteral("\r\n"))) {
        lines.push_back(line.toStdString());
        longest = std::max(longest, std::size_t(line.toUcs4().size()));
    }
    QCOMPARE(lines, expected);
    QCOMPARE(entries.count, expected.size());
    QCOMPARE(entries.first(), std::string_view(expected.front()));
    QCOMPARE(entries.longestEntry, longest);
    // The command line drops them as it reads the rows, to the same list.
    QCOMPARE(sortivo::tableEntries(table, {true, columns, drop}).text, entries.text);
}

QTEST_APPLESS_MAIN(TestCellTable)
#include "test_celltable.moc"
