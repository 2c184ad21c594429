#include "core/list/celltable.h"

#include "support/stdtypes.h"

#include <QtTest>

#include <algorithm>

#include <optional>
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
    QTest::newRow("an ISO date") << Rows{{"Nom", "2024-03-15"}, {"Dupont", "2"}} << false;
    QTest::newRow("thousands apart, a percentage")
        << Rows{{"1\u202f234,5", "-12 %"}, {"Dupont", "2"}} << false;
    QTest::newRow("a no-break space in thousands")
        << Rows{{"Nom", "1\u00a0234\u00a0567"}, {"Dupont", "2"}} << false;
    QTest::newRow("digits that are no number nor date")
        << Rows{{"Nom", "1 2345"}, {"12/3/45/6", "2"}} << true;
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
    QTest::addColumn<int>("count"); // the column proposed for counts of tickets, -1 for none
    QTest::newRow("ticketing export")
        << Rows{{"Numéro", "Nom", "Prénom", "Email", "Nombre de billets"},
                {"0042", "Dupont", "Jean", "j@exemple.fr", "2"}}
        << true << std::vector<std::size_t>{0, 1, 2}
        << std::vector<std::string>{"Numéro", "Nom", "Prénom", "Email", "Nombre de billets"} << 4;
    QTest::newRow("any case, no accents, plural")
        << Rows{{"Courriel", "NUMERO DE BILLET", "participants", "Ville"},
                {"a@exemple.fr", "17", "Jean", "Lyon"}}
        << true << std::vector<std::size_t>{1, 2}
        << std::vector<std::string>{"Courriel", "NUMERO DE BILLET", "participants", "Ville"} << -1;
    QTest::newRow("ticket numbers first, a quantity counts")
        << Rows{{"Nom", "N° billet", "QTÉ"}, {"Dupont", "7", " 2"}, {"Petit", "8", "0"}} << true
        << std::vector<std::size_t>{1, 0} << std::vector<std::string>{"Nom", "N° billet", "QTÉ"}
        << 2;
    QTest::newRow("a count that is no number is neither counts nor numbers")
        << Rows{{"Nom", "Nombre de billets"}, {"Dupont", "deux"}} << true
        << std::vector<std::size_t>{0} << std::vector<std::string>{"Nom", "Nombre de billets"}
        << -1;
    QTest::newRow("an empty ticket column is not ticked")
        << Rows{{"Nom", "Billet", "Ville"}, {"Dupont", "", "Lyon"}} << true
        << std::vector<std::size_t>{0} << std::vector<std::string>{"Nom", "Billet", "Ville"} << -1;
    QTest::newRow("English name") << Rows{{"Email", "Name", "Tickets"}, {"a@b.fr", "A", "3"}}
                                  << true << std::vector<std::size_t>{1}
                                  << std::vector<std::string>{"Email", "Name", "Tickets"} << 2;
    QTest::newRow("no naming title: the first column")
        << Rows{{"Ville", "Âge"}} << true << std::vector<std::size_t>{0}
        << std::vector<std::string>{"Ville", "Âge"} << -1;
    QTest::newRow("without titles")
        << Rows{{"Nom", "Prénom"}} << false << std::vector<std::size_t>{0}
        << std::vector<std::string>{"Colonne 1", "Colonne 2"} << -1;
}

void TestCellTable::defaultColumns()
{
    const sortivo::CellTable table = tableOf(FETCHED(Rows, rows));
    QFETCH(bool, titles);
    QFETCH(int, count);
    const std::optional<std::size_t> proposed = sortivo::proposedTicketCount(table, titles);
    QCOMPARE(proposed.has_value() ? int(*proposed) : -1, count);
    const auto& columns = FETCHED(std::vector<std::size_t>, columns);
    QCOMPARE(sortivo::defaultColumns(table, titles, proposed), columns);
    // Ticked in lstColonnes, they come in the table's order: the entry still starts with the
    // ticket numbers.
    std::vector<std::size_t> ticked = columns;
    std::sort(ticked.begin(), ticked.end());
    QCOMPARE(sortivo::ticketNumbersFirst(table, titles, ticked, proposed), columns);
    QCOMPARE(sortivo::columnNames(table, titles), FETCHED(std::vector<std::string>, names));
}

void TestCellTable::entries_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<std::vector<std::size_t>>("columns");
    QTest::addColumn<bool>("drop");
    QTest::addColumn<std::vector<std::string>>("entries");
    QTest::addColumn<std::string>("count"); // the count line, or why there is no list
    QTest::addColumn<int>("tickets");       // the column of counts, -1 for none
    QTest::addColumn<std::string>("homonyms");
    const Rows people{{"Num", "Nom", "Prénom"},
                      {"0042", " Dupont ", "Jean"},
                      {"0043", "", ""},
                      {},
                      {"0044", "Lefèvre\r\nde", "Zoé\tA"},
                      {"0045", "Dupont", "Jean"}};
    QTest::newRow("chosen cells trimmed, joined, breaks made spaces")
        << people << std::vector<std::size_t>{1, 2} << false
        << std::vector<std::string>{"Dupont Jean", "Lefèvre de Zoé A", "Dupont Jean"}
        << std::string("3 entrées · 2 lignes vides ignorées · 1 entrée en double") << -1
        << std::string("1 ligne supprimée diffère dans une autre colonne (Num) : ce sont "
                       "peut-être des personnes différentes.");
    QTest::newRow("duplicates dropped")
        << people << std::vector<std::size_t>{1, 2} << true
        << std::vector<std::string>{"Dupont Jean", "Lefèvre de Zoé A"}
        << std::string("2 entrées · 2 lignes vides ignorées · 1 entrée en double retirée") << -1
        << std::string("1 ligne supprimée diffère dans une autre colonne (Num) : ce sont "
                       "peut-être des personnes différentes.");
    QTest::newRow("an empty cell in the middle adds one space only")
        << people << std::vector<std::size_t>{0, 1, 2} << false
        << std::vector<std::string>{"0042 Dupont Jean", "0043", "0044 Lefèvre de Zoé A",
                                    "0045 Dupont Jean"}
        << std::string("4 entrées · 1 ligne vide ignorée") << -1 << std::string();
    QTest::newRow("a one-character cell is kept")
        << Rows{{"Nom", "Prénom"}, {"A", "Jean"}, {"B", ""}} << std::vector<std::size_t>{0, 1}
        << false << std::vector<std::string>{"A Jean", "B"} << std::string("2 entrées") << -1
        << std::string();
    QTest::newRow("duplicates dropped in a row, the first of each kept")
        << Rows{{"Nom"}, {"a"}, {"b"}, {"a"}, {"a"}, {"c"}, {"b"}} << std::vector<std::size_t>{0}
        << true << std::vector<std::string>{"a", "b", "c"}
        << std::string("3 entrées · 3 entrées en double retirées") << -1 << std::string();

    const Rows orders{{"Nom", "Prénom", "Matricule", "Nombre de billets"},
                      {"Dupont", "Marie", "A1", "5"},
                      {"Martin", "Paul", "A2", "1"},
                      {"Petit", "Léa", "A3", "0"},
                      {"Dupont", "Marie", "A4", " 2 "},
                      {"", "", "A5", "deux"}};
    const std::vector<std::string> tickets{
        "Dupont Marie (billet 1/5)", "Dupont Marie (billet 2/5)", "Dupont Marie (billet 3/5)",
        "Dupont Marie (billet 4/5)", "Dupont Marie (billet 5/5)", "Martin Paul",
        "Dupont Marie (billet 1/2)", "Dupont Marie (billet 2/2)"};
    const std::string ticketsLine("4 lignes → 8 billets · 1 ligne vide ignorée");
    QTest::newRow("one line per ticket, 1 adds nothing, 0 none, blanks around a count")
        << orders << std::vector<std::size_t>{0, 1} << false << tickets << ticketsLine << 3
        << std::string();
    QTest::newRow("the count column ticked too is no part of the entry")
        << orders << std::vector<std::size_t>{0, 1, 3} << false << tickets << ticketsLine << 3
        << std::string();
    const Rows namesakes{
        {"Nom", "Matricule", "Billets"}, {"Martin", "A1", "1"}, {"Martin", "A2", "1"},
        {"Martin", "A1", "1"},           {"Petit", "A3", "2"},  {"Petit", "A4", "2"}};
    QTest::newRow("duplicate tickets dropped, those of another person told")
        << namesakes << std::vector<std::size_t>{0} << true
        << std::vector<std::string>{"Martin", "Petit (billet 1/2)", "Petit (billet 2/2)"}
        << std::string("5 lignes → 3 billets · 4 entrées en double retirées") << 2
        << std::string("3 lignes supprimées diffèrent dans une autre colonne (Matricule) : ce "
                       "sont peut-être des personnes différentes.");
    QTest::newRow("the limit of a row")
        << Rows{{"Nom", "Billets"}, {"A", "10000"}} << std::vector<std::size_t>{0} << false <<
        [] {
            std::vector<std::string> all;
            for (int k = 1; k <= 10000; ++k)
                all.push_back("A (billet " + std::to_string(k) + "/10000)");
            return all;
        }()
        << std::string("1 ligne → 10 000 billets") << 1 << std::string();
    const auto refused = [](const char* name, const char* count, const char* why) {
        QTest::newRow(name) << Rows{{"Nom", "Billets"}, {"A", "1"}, {"B", count}}
                            << std::vector<std::size_t>{0, 1} << false << std::vector<std::string>{}
                            << std::string(why) << 1 << std::string();
    };
    refused("past the limit of a row", "10001",
            "Ligne 3 : « 10001 » n'est pas un nombre de billets.");
    refused("a word", "deux", "Ligne 3 : « deux » n'est pas un nombre de billets.");
    refused("a decimal", "1,5", "Ligne 3 : « 1,5 » n'est pas un nombre de billets.");
    refused("a negative count", "-1", "Ligne 3 : « -1 » n'est pas un nombre de billets.");
    refused("a blank count", "  ", "Ligne 3 : le nombre de billets manque.");
    Rows many{{"Nom", "Billets"}};
    for (int k = 0; k < 501; ++k)
        many.push_back({"A" + std::to_string(k), "10000"});
    QTest::newRow("more tickets than a list holds")
        << many << std::vector<std::size_t>{0} << false << std::vector<std::string>{}
        << std::string("Les billets dépassent 5 000 000 lignes, le plus qu'une liste "
                       "puisse tenir.")
        << 1 << std::string();
}

void TestCellTable::entries()
{
    const sortivo::CellTable table = tableOf(FETCHED(Rows, rows));
    const auto& columns = FETCHED(std::vector<std::size_t>, columns);
    QFETCH(bool, drop);
    QFETCH(int, tickets);
    const auto& expected = FETCHED(std::vector<std::string>, entries);
    const std::optional<std::size_t> count =
        tickets < 0 ? std::nullopt : std::optional(std::size_t(tickets));
    // The dialog counts once with the duplicates kept, whatever chkDoublons says.
    sortivo::TableEntries entries = sortivo::tableEntries(table, {true, columns, false, count});
    if (expected.empty()) {
        QCOMPARE(entries.refusal, FETCHED(std::string, count));
        QVERIFY(entries.text.empty());
        QCOMPARE(entries.count, std::size_t(0));
        return;
    }
    QVERIFY(entries.refusal.empty());
    QCOMPARE(sortivo::countLine(entries, drop, 0), FETCHED(std::string, count));
    QCOMPARE(
        sortivo::homonymWarning(entries, sortivo::columnNames(table, true)).value_or(std::string()),
        FETCHED(std::string, homonyms));
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
    QCOMPARE(sortivo::tableEntries(table, {true, columns, drop, count}).text, entries.text);
    // Each entry knows its row, whether its duplicates go as the rows are read or afterwards:
    // the first word of the row's chosen cells begins it.
    sortivo::TableEntries withRows =
        sortivo::tableEntries(table, {true, columns, false, count, true});
    if (drop)
        sortivo::dropDuplicates(withRows);
    QCOMPARE(sortivo::tableEntries(table, {true, columns, drop, count, true}).entryRows,
             withRows.entryRows);
    QCOMPARE(withRows.entryRows.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        std::string_view first;
        for (std::size_t c = 0; c < columns.size() && first.empty(); ++c) {
            first = table.cell(withRows.entryRows[k], columns[c]);
            first.remove_prefix(std::min(first.find_first_not_of(" \t\r\n"), first.size()));
            first = first.substr(0, first.find_first_of(" \t\r\n"));
        }
        QVERIFY2(expected[k].starts_with(first), expected[k].c_str());
    }
}

QTEST_APPLESS_MAIN(TestCellTable)
#include "test_celltable.moc"
