#include "app/mainwindow.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "support/mainwindowcontrols.h"
#include "widgets/textboxtext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QSet>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// frmColonnes between a table read and the list box: what it proposes, and what OK and
// Annuler leave in the list.

namespace
{

const QStringList oldList{QStringLiteral("ancienne"), QStringLiteral("liste")};
// cmbBillets's first item: no column of counts.
const QString none = QStringLiteral("(aucune : une ligne par entrée)");

QString fixturePath(const QString& name)
{
    return QStringLiteral(SORTIVO_SHEET_FIXTURES "/") + name;
}

} // namespace

class TestColumns : public QObject, public MainWindowControls
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void dialog_data();
    void dialog();
    void badTableKeepsTheList_data();
    void badTableKeepsTheList();

private:
    QWidget& drivenWindow() const override { return *m_window; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<MainWindow> m_window;
};

void TestColumns::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_platform = std::make_unique<FakePlatform>();
    m_window = std::make_unique<MainWindow>(*m_platform, m_dir->path());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    setBoxLines(*list(), oldList);
}

void TestColumns::cleanup()
{
    m_window.reset();
    QVERIFY(m_platform->done());
    QVERIFY(!m_platform->busy());
}

void TestColumns::dialog_data()
{
    QTest::addColumn<QString>("file");      // a fixture's name, or a CSV's lines
    QTest::addColumn<QString>("guess");     // cmbSeparateur as it opens; empty when hidden
    QTest::addColumn<QString>("separator"); // the one then chosen, if any
    QTest::addColumn<int>("sheet");
    QTest::addColumn<bool>("titles");
    QTest::addColumn<bool>("dropDuplicates");
    QTest::addColumn<bool>("ok");
    // OK clicked while the new sheet is still being counted.
    QTest::addColumn<bool>("okAtOnce");
    QTest::addColumn<QString>("example");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("billets");       // cmbBillets as it shows once counted
    QTest::addColumn<QString>("chooseBillets"); // cmbBillets then chosen, if any
    // The question OK asks before dropping duplicates, if any, and its answer.
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("answer");

    const QString countColumn = QStringLiteral("Nombre de billets");
    const QString ticketing = QStringLiteral("billetterie.csv");
    const QString semicolon = QStringLiteral(";");
    const QString countAll =
        QStringLiteral("5 entrées · 1 ligne vide ignorée · 1 entrée en double");
    const QString ticketsCount = QStringLiteral("5 lignes → 8 billets · 1 ligne vide ignorée");
    const QString firstTicket = QStringLiteral("Exemple : 0042 Dupont Jean (billet 1/2)");
    QTest::newRow("ticketing CSV, OK, one line per ticket")
        << ticketing << semicolon << QString() << 0 << true << false << true << false << firstTicket
        << ticketsCount
        << QStringList{QStringLiteral("0042 Dupont Jean (billet 1/2)"),
                       QStringLiteral("0042 Dupont Jean (billet 2/2)"),
                       QStringLiteral("0043 Martin \"la Flèche\" Hélène"),
                       QStringLiteral("0044 Durand; Fils Éric (billet 1/3)"),
                       QStringLiteral("0044 Durand; Fils Éric (billet 2/3)"),
                       QStringLiteral("0044 Durand; Fils Éric (billet 3/3)"),
                       QStringLiteral("0045 Lefèvre de Saint-Ours Zoé"),
                       QStringLiteral("0042 Dupont Jean")}
        << countColumn << QString() << QString() << false;
    QTest::newRow("ticketing CSV, Annuler")
        << ticketing << semicolon << QString() << 0 << true << false << false << false
        << firstTicket << ticketsCount << oldList << countColumn << QString() << QString() << false;
    QTest::newRow("ticketing CSV, one line per order")
        << ticketing << semicolon << QString() << 0 << true << false << true << false
        << QStringLiteral("Exemple : 0042 Dupont Jean") << countAll
        << QStringList{QStringLiteral("0042 Dupont Jean"),
                       QStringLiteral("0043 Martin \"la Flèche\" Hélène"),
                       QStringLiteral("0044 Durand; Fils Éric"),
                       QStringLiteral("0045 Lefèvre de Saint-Ours Zoé"),
                       QStringLiteral("0042 Dupont Jean")}
        << none << none << QString() << false;
    // The two Dupont Jean have two e-mails: perhaps two people.
    const QString namesakes =
        QStringLiteral("1 ligne supprimée diffère dans une autre colonne (Email) : ce sont "
                       "peut-être des personnes différentes.");
    QTest::newRow("ticketing CSV, duplicates kept once though they differ")
        << ticketing << semicolon << QString() << 0 << true << true << true << false
        << QStringLiteral("Exemple : 0042 Dupont Jean") << countAll
        << QStringList{QStringLiteral("0042 Dupont Jean"),
                       QStringLiteral("0043 Martin \"la Flèche\" Hélène"),
                       QStringLiteral("0044 Durand; Fils Éric"),
                       QStringLiteral("0045 Lefèvre de Saint-Ours Zoé")}
        << none << none << namesakes << true;
    QTest::newRow("ticketing CSV, namesakes kept when the question says No")
        << ticketing << semicolon << QString() << 0 << true << true << true << false
        << QStringLiteral("Exemple : 0042 Dupont Jean") << countAll << oldList << none << none
        << namesakes << false;
    QTest::newRow("a count that is no number cannot be taken")
        << QStringLiteral("Nom;Nombre de billets\r\nDupont;2\r\nMartin;deux\r\n") << semicolon
        << QString() << 0 << true << false << true << false << QStringLiteral("Exemple : Dupont")
        << QStringLiteral("Ligne 3 : « deux » n'est pas un nombre de billets.") << oldList
        << countColumn << countColumn << QString() << false;
    for (const bool atOnce : {false, true})
        QTest::newRow(atOnce ? "spreadsheet, second sheet, OK before it is counted"
                             : "spreadsheet, second sheet")
            << QStringLiteral("classeur_libreoffice.ods") << QString() << QString() << 1 << true
            << false << true << atOnce << QStringLiteral("Exemple : Petit Noël")
            << QStringLiteral("2 entrées")
            << QStringList{QStringLiteral("Petit Noël"), QStringLiteral("Garçon Anaïs")} << none
            << QString() << QString() << false;
    const QString names =
        QStringLiteral("Participant\r\nDupont, Jean\r\nDupont, Marie\r\nMartin, Paul\r\n");
    QTest::newRow("one column of names with commas")
        << names << QStringLiteral("aucun") << QString() << 0 << true << false << true << false
        << QStringLiteral("Exemple : Dupont, Jean") << QStringLiteral("3 entrées")
        << QStringList{QStringLiteral("Dupont, Jean"), QStringLiteral("Dupont, Marie"),
                       QStringLiteral("Martin, Paul")}
        << none << QString() << QString() << false;
    for (const bool atOnce : {false, true})
        QTest::newRow(atOnce ? "another separator, OK before it is read"
                             : "another separator reads the table again")
            << names << QStringLiteral("aucun") << QStringLiteral(",") << 0 << false << false
            << true << atOnce << QStringLiteral("Exemple : Participant")
            << QStringLiteral("4 entrées · 1 entrée en double")
            << QStringList{QStringLiteral("Participant"), QStringLiteral("Dupont"),
                           QStringLiteral("Dupont"), QStringLiteral("Martin")}
            << none << QString() << QString() << false;
    QTest::newRow("a separator that leaves a quote open cannot be taken")
        << QStringLiteral("Nom;Ville\r\nDupont;Paris\r\nMartin,\"Paul;Lyon\r\n") << semicolon
        << QStringLiteral(",") << 0 << false << false << true << false
        << QStringLiteral("Exemple : Nom;Ville")
        << QStringLiteral("3 entrées · un guillemet ouvert à la ligne 3 n'est jamais fermé")
        << oldList << none << QString() << QString() << false;
    // Each half of the last row fits in a cell; the whole row does not.
    const QString half(250000, u'x');
    QTest::newRow("a separator that makes a cell too long cannot be taken")
        << QStringLiteral("Nom;Ville\r\nDupont;Paris\r\n") + half + u';' + half +
               QStringLiteral("\r\n")
        << semicolon << QStringLiteral("aucun") << 0 << true << false << true << false
        << QStringLiteral("Exemple : Dupont;Paris")
        << QStringLiteral("1 entrée · une cellule dépasse 100\u202f000 caractères.") << oldList
        << none << QString() << QString() << false;
}

void TestColumns::dialog()
{
    QFETCH(QString, file);
    QFETCH(QString, guess);
    QFETCH(QString, separator);
    QFETCH(int, sheet);
    QFETCH(bool, titles);
    QFETCH(bool, dropDuplicates);
    QFETCH(bool, ok);
    QFETCH(bool, okAtOnce);
    QFETCH(QString, example);
    QFETCH(QString, count);
    QFETCH(QStringList, lines);
    QFETCH(QString, billets);
    QFETCH(QString, chooseBillets);
    QFETCH(QString, question);
    QFETCH(bool, answer);

    QString path = fixturePath(file);
    if (file.contains(u'\n')) {
        path = m_dir->filePath(QStringLiteral("inscrits.csv"));
        QVERIFY(writeBytes(path, file.toUtf8()));
    }
    m_platform->expectOpenFile(path);
    m_platform->expectModal([&](QDialog& dialog) {
        QCOMPARE(dialog.objectName(), QStringLiteral("frmColonnes"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Colonnes de la liste"));
        QVERIFY(!m_platform->busy());
        auto* separators = control<QComboBox>(dialog, QStringLiteral("cmbSeparateur"));
        QCOMPARE(separators->isVisibleTo(&dialog), !guess.isEmpty());
        if (!guess.isEmpty()) {
            QCOMPARE(separators->currentText(), guess);
            QStringList items;
            for (int k = 0; k < separators->count(); ++k)
                items << separators->itemText(k);
            QCOMPARE(items, (QStringList{QStringLiteral(";"), QStringLiteral(","),
                                         QStringLiteral("tabulation"), QStringLiteral("aucun")}));
        }
        if (!separator.isEmpty()) {
            separators->setCurrentText(separator);
            // Read again off the window's thread, the pointer busy meanwhile.
            QVERIFY(m_platform->busy());
        }
        auto* sheets = control<QComboBox>(dialog, QStringLiteral("cmbFeuille"));
        sheets->setCurrentIndex(sheet);
        // Another sheet is counted off the window's thread, the pointer busy meanwhile.
        QCOMPARE(m_platform->busy(), sheet != 0 || !separator.isEmpty());
        auto* counts = control<QComboBox>(dialog, QStringLiteral("cmbBillets"));
        QCOMPARE(counts->itemText(0), none);
        if (!chooseBillets.isEmpty()) {
            counts->setCurrentText(chooseBillets);
            QCOMPARE(counts->currentText(), chooseBillets);
        }
        if (okAtOnce) {
            control<QPushButton>(dialog, QStringLiteral("cmdOK"))->click();
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QTRY_COMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QTRY_COMPARE(control<QLabel>(dialog, QStringLiteral("lblExemple"))->text(), example);
        QTRY_COMPARE(control<QLabel>(dialog, QStringLiteral("lblDecompte"))->text(), count);
        QCOMPARE(counts->currentText(), billets);
        QVERIFY(!m_platform->busy());
        QCOMPARE(control<QCheckBox>(dialog, QStringLiteral("chkTitres"))->isChecked(), titles);
        QVERIFY(control<QTableWidget>(dialog, QStringLiteral("tblApercu"))->rowCount() > 1);
        auto* duplicates = control<QCheckBox>(dialog, QStringLiteral("chkDoublons"));
        QVERIFY(!duplicates->isChecked());
        if (okAtOnce)
            return;
        duplicates->setChecked(dropDuplicates);
        if (!question.isEmpty())
            m_platform->expectYesNoDefaultNo(question, answer);
        control<QPushButton>(dialog, ok ? QStringLiteral("cmdOK") : QStringLiteral("cmdAnnuler"))
            ->click();
    });
    button(QStringLiteral("cmdOpen"))->click();
    QVERIFY(waitForRun(*m_window, 20000));
    QCOMPARE(boxLines(*list()), lines);
    QCOMPARE(drawCount()->count(), lines.size());
    if (lines == oldList)
        return;
    // Every table here has a column left out of the entry: its duplicates may be namesakes.
    const auto duplicates = lines.size() - QSet<QString>(lines.begin(), lines.end()).size();
    if (duplicates == 0)
        return;
    m_platform->expectYesNo(
        QStringLiteral("La liste contient %1 entrée en double : des personnes différentes "
                       "peuvent porter le même nom. Ajoutez une colonne qui les distingue "
                       "(matricule, e-mail) ou tirez quand même ?")
            .arg(duplicates),
        false);
    go(1)->click();
    QCOMPARE(boxLines(*list()), lines);
    // Once the list is typed in, nothing says where its names came from.
    list()->appendPlainText(lines.constFirst());
    m_platform->expectYesNo(
        QStringLiteral("La liste contient %1 entrées en double. Tirer quand même ?")
            .arg(duplicates + 1),
        false);
    go(1)->click();
}

void TestColumns::badTableKeepsTheList_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    QFile source(fixturePath(QStringLiteral("classeur_openpyxl.xlsx")));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray workbook = source.readAll();
    workbook.truncate(workbook.size() - 200);
    QTest::newRow("damaged workbook") << QStringLiteral("abîmé.xlsx") << workbook
                                      << QStringLiteral("Impossible d'ouvrir le fichier");
    // Written by make_bombs.py: 60,000 cells showing one string of 99,000 characters.
    QFile bomb(QStringLiteral(SORTIVO_BOMBS "/xlsx-texte-partage.xlsx"));
    QVERIFY(bomb.open(QIODevice::ReadOnly));
    QTest::newRow("a shared string shown past 256 MB")
        << QStringLiteral("partagé.xlsx") << bomb.readAll()
        << QStringLiteral("Impossible d'ouvrir le fichier : ses cellules dépassent ensemble "
                          "256 Mo de texte.");
    // The quote would take every row after it into one entry.
    QTest::newRow("unclosed quote")
        << QStringLiteral("inscrits.csv")
        << QByteArray("Nom;Pr\xc3\xa9nom\r\nDupont;Jean\r\nMartin;\"Paul\r\nPetit;Zo\xc3\xa9\r\n")
        << QStringLiteral("Impossible d'ouvrir le fichier : un guillemet ouvert à la ligne 3 "
                          "n'est jamais fermé.");
}

void TestColumns::badTableKeepsTheList()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString chosen = m_dir->filePath(name);
    QVERIFY(writeBytes(chosen, bytes));
    m_platform->expectOpenFile(chosen);
    m_platform->expectWarning(QStringLiteral("Sortivo"), {reason, chosen});
    button(QStringLiteral("cmdOpen"))->click();
    QVERIFY(waitForRun(*m_window, 20000));
    QCOMPARE(boxLines(*list()), oldList);
}

QTEST_MAIN(TestColumns)
#include "test_columns.moc"
