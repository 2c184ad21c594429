#include "core/list/contactdetails.h"
#include "core/list/entrylist.h"
#include "core/list/listflaws.h"
#include "support/stdtypes.h"

using namespace std::string_literals;

class TestEntryList : public QObject
{
    Q_OBJECT
private slots:
    void loadEntries_data();
    void loadEntries();
    void joinListText_data();
    void joinListText();
    void flawsAskedAbout_data();
    void flawsAskedAbout();
    void contactDetails_data();
    void contactDetails();
};

// What the proof dialog warns of before a record publishes it.
void TestEntryList::contactDetails_data()
{
    QTest::addColumn<std::string>("entry");
    QTest::addColumn<bool>("contact");

    QTest::newRow("name") << "Jean Dupont"s << false;
    QTest::newRow("e-mail") << "Jean Dupont jean.dupont@exemple.fr"s << true;
    QTest::newRow("at sign alone") << "Rendez-vous @ 20 h"s << false;
    QTest::newRow("at sign without a domain") << "jean@exemple"s << false;
    QTest::newRow("phone in pairs") << "Anne 06 12 34 56 78"s << true;
    QTest::newRow("international phone") << "+33.6.12.34.56.78"s << true;
    QTest::newRow("ticket number") << "Billet 0042"s << false;
    QTest::newRow("date") << "né le 07/12/2026"s << false;
    QTest::newRow("two short numbers") << "Table 12 - 345 places"s << false;
    // What a ticketing export holds besides names, and is no one's address.
    QTest::newRow("ticket reference") << "T-2026-01393 FOURNIER Noémie"s << false;
    QTest::newRow("reference glued to its letters") << "REF2026001393 Martin"s << false;
    QTest::newRow("ticket number after n°") << "Billet n° 2026 001393"s << false;
    QTest::newRow("number padded with zeros") << "Billet 000123456"s << false;
    QTest::newRow("number after its year") << "2026-001393 Paul"s << false;
    QTest::newRow("date and time") << "12.05.2026 14.30 Salle B"s << false;
    QTest::newRow("ISO date and hour") << "2026-05-12 14 h 30"s << false;
    QTest::newRow("amount") << "Don : 1 250,00 €"s << false;
    QTest::newRow("large amount") << "Cagnotte 125 000 000 €"s << false;
    QTest::newRow("amount with points") << "Lot 1.250.000.000,00 EUR"s << false;
    QTest::newRow("phone after a date") << "12.05.2026 06 12 34 56 78"s << true;
    QTest::newRow("phone in one piece") << "Noémie 0612345678"s << true;
    QTest::newRow("phone with its zero in brackets") << "+33 (0)6 12 34 56 78"s << true;
    QTest::newRow("American phone") << "(415) 555-0132 Sam"s << true;
    QTest::newRow("phone after a reference") << "T-2026-01393 06.12.34.56.78"s << true;
}

void TestEntryList::contactDetails()
{
    QFETCH(std::string, entry);
    QFETCH(bool, contact);
    QCOMPARE(sortivo::looksLikeContactDetails(entry), contact);
    QCOMPARE(sortivo::holdsContactDetails(sortivo::loadEntries("Anne\r\n" + entry)), contact);
}

// What a draw asks about before it runs: blanks and entries written twice.
void TestEntryList::flawsAskedAbout_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<QString>("question"); // empty: none
    // Whether the list came from a table with a column left out of the entry.
    QTest::addColumn<bool>("columnLeftOut");

    const QString tail = QStringLiteral(". Tirer quand même ?");
    QTest::newRow("clean") << "Anne\r\nBob\r\nanne"s << QString() << false;
    QTest::newRow("one empty line")
        << "Anne\r\n\r\nBob"s << QStringLiteral("La liste contient 1 ligne vide") + tail << false;
    QTest::newRow("blanks count as empty, not as twice")
        << " \r\nAnne\r\n\t\r\n \r\nBob"s
        << QStringLiteral("La liste contient 3 lignes vides") + tail << false;
    QTest::newRow("three copies are two too many")
        << "Marie\r\nPaul\r\nMarie\r\nMarie"s
        << QStringLiteral("La liste contient 2 entrées en double") + tail << false;
    QTest::newRow("trailing blank makes another entry") << "Marie\r\nMarie "s << QString() << false;
    QTest::newRow("both") << "a\r\n\r\nb\r\na\r\n"s
                          << QStringLiteral("La liste contient 2 lignes vides et 1 entrée en "
                                            "double") +
                                 tail
                          << false;
    const QString namesakes =
        QStringLiteral(" : des personnes différentes peuvent porter le même nom. Ajoutez une "
                       "colonne qui les distingue (matricule, e-mail) ou tirez quand même ?");
    QTest::newRow("from a table with a column left out: namesakes")
        << "Marie\r\nPaul\r\nMarie\r\nMarie"s
        << QStringLiteral("La liste contient 2 entrées en double") + namesakes << true;
    QTest::newRow("from such a table, empty lines only") << "a\r\n\r\nb"s
                                                         << QStringLiteral("La liste contient 1 "
                                                                           "ligne vide") +
                                                                tail
                                                         << true;
}

void TestEntryList::flawsAskedAbout()
{
    QFETCH(std::string, text);
    QFETCH(QString, question);
    QFETCH(bool, columnLeftOut);
    const std::optional<std::string> asked =
        sortivo::flawsQuestion(sortivo::flawsOf(sortivo::loadEntries(text)), columnLeftOut);
    QCOMPARE(asked ? QString::fromStdString(*asked) : QString(), question);
}

void TestEntryList::loadEntries_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<std::vector<std::string>>("entries");
    using V = std::vector<std::string>;

    QTest::newRow("empty text") << ""s << V{};
    QTest::newRow("one line") << "abc"s << V{"abc"};
    QTest::newRow("lone CR and LF deleted") << "a\rb\nc"s << V{"abc"};
    QTest::newRow("two lines") << "a\r\nb"s << V{"a", "b"};
    QTest::newRow("ending CR LF gives an empty last entry") << "a\r\nb\r\n"s << V{"a", "b", ""};
    QTest::newRow("CR LF alone") << "\r\n"s << V{"", ""};
    QTest::newRow("empty line in the middle") << "a\r\n\r\nb"s << V{"a", "", "b"};
    QTest::newRow("LF alone joins") << "a\nb"s << V{"ab"};
    QTest::newRow("CR before CR LF") << "a\r\r\nb"s << V{"a", "b"};
    QTest::newRow("LF CR is no separator") << "a\n\rb"s << V{"ab"};
    QTest::newRow("CR CR LF LF") << "a\r\r\n\nb"s << V{"a", "b"};
    QTest::newRow("text starting with CR LF") << "\r\na"s << V{"", "a"};
    QTest::newRow("blanks kept") << "   \r\n x \r\n\t"s << V{"   ", " x ", "\t"};
    QTest::newRow("same line twice") << "x\r\nx"s << V{"x", "x"};
    QTest::newRow("only a lone CR") << "\r"s << V{""};
    QTest::newRow("lone LF after good lines") << "a\r\nb\r\nc\nd"s << V{"a", "b", "cd"};
    QTest::newRow("lone CR at the very end") << "a\r\nb\r"s << V{"a", "b"};
    QTest::newRow("LF first") << "\na\r\nb"s << V{"a", "b"};
    QTest::newRow("CR LF then lone CR") << "\r\n\r"s << V{"", ""};
    QTest::newRow("UTF-8 untouched") << "É\u00a0é\r\nœ€"s << V{"É\u00a0é", "œ€"};
}

void TestEntryList::loadEntries()
{
    QFETCH(std::string, text);
    QFETCH(std::vector<std::string>, entries);
    const sortivo::EntryList list = sortivo::loadEntries(text);
    QCOMPARE(list.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        QCOMPARE(std::string(list.at(i)), entries[i]);
}

void TestEntryList::joinListText_data()
{
    QTest::addColumn<std::vector<std::string>>("entries");
    QTest::addColumn<std::string>("text");
    using V = std::vector<std::string>;

    QTest::newRow("none") << V{} << ""s;
    QTest::newRow("two") << V{"a", "b"} << "a\r\nb"s;
    QTest::newRow("leading empties vanish") << V{"", "", "a", "b"} << "a\r\nb"s;
    QTest::newRow("empty between stays") << V{"a", "", "b"} << "a\r\n\r\nb"s;
    QTest::newRow("trailing empties stay") << V{"a", "", ""} << "a\r\n\r\n"s;
    QTest::newRow("only empties") << V{"", ""} << ""s;
}

void TestEntryList::joinListText()
{
    QFETCH(std::vector<std::string>, entries);
    QFETCH(std::string, text);
    QCOMPARE(sortivo::joinListText(entries), text);
}

QTEST_APPLESS_MAIN(TestEntryList)
#include "test_entrylist.moc"
