#include "app/mainwindow.h"
#include "common/textboxtext.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "support/mainwindowcontrols.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// frmColonnes between a table read and the list box: what it proposes, and what OK and
// Annuler leave in the list.

namespace
{

const QStringList oldList{QStringLiteral("ancienne"), QStringLiteral("liste")};

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
    void badSpreadsheetKeepsTheList_data();
    void badSpreadsheetKeepsTheList();

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
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("sheet");
    QTest::addColumn<bool>("dropDuplicates");
    QTest::addColumn<bool>("ok");
    // OK clicked while the new sheet is still being counted.
    QTest::addColumn<bool>("okAtOnce");
    QTest::addColumn<QString>("example");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("lines");

    const QString ticketing = QStringLiteral("billetterie.csv");
    const QString countAll =
        QStringLiteral("5 entrées · 1 ligne vide ignorée · 1 entrée en double");
    QTest::newRow("ticketing CSV, OK")
        << ticketing << 0 << false << true << false << QStringLiteral("Exemple : 0042 Dupont Jean")
        << countAll
        << QStringList{QStringLiteral("0042 Dupont Jean"),
                       QStringLiteral("0043 Martin \"la Flèche\" Hélène"),
                       QStringLiteral("0044 Durand; Fils Éric"),
                       QStringLiteral("0045 Lefèvre de Saint-Ours Zoé"),
                       QStringLiteral("0042 Dupont Jean")};
    QTest::newRow("ticketing CSV, Annuler")
        << ticketing << 0 << false << false << false << QStringLiteral("Exemple : 0042 Dupont Jean")
        << countAll << oldList;
    QTest::newRow("ticketing CSV, duplicates kept once")
        << ticketing << 0 << true << true << false << QStringLiteral("Exemple : 0042 Dupont Jean")
        << countAll
        << QStringList{QStringLiteral("0042 Dupont Jean"),
                       QStringLiteral("0043 Martin \"la Flèche\" Hélène"),
                       QStringLiteral("0044 Durand; Fils Éric"),
                       QStringLiteral("0045 Lefèvre de Saint-Ours Zoé")};
    for (const bool atOnce : {false, true})
        QTest::newRow(atOnce ? "spreadsheet, second sheet, OK before it is counted"
                             : "spreadsheet, second sheet")
            << QStringLiteral("classeur_libreoffice.ods") << 1 << false << true << atOnce
            << QStringLiteral("Exemple : Petit Noël") << QStringLiteral("2 entrées")
            << QStringList{QStringLiteral("Petit Noël"), QStringLiteral("Garçon Anaïs")};
}

void TestColumns::dialog()
{
    QFETCH(QString, file);
    QFETCH(int, sheet);
    QFETCH(bool, dropDuplicates);
    QFETCH(bool, ok);
    QFETCH(bool, okAtOnce);
    QFETCH(QString, example);
    QFETCH(QString, count);
    QFETCH(QStringList, lines);

    m_platform->expectOpenFile(fixturePath(file));
    m_platform->expectModal([&](QDialog& dialog) {
        QCOMPARE(dialog.objectName(), QStringLiteral("frmColonnes"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Colonnes de la liste"));
        QVERIFY(!m_platform->busy());
        auto* sheets = control<QComboBox>(dialog, QStringLiteral("cmbFeuille"));
        sheets->setCurrentIndex(sheet);
        // Another sheet is counted off the window's thread, the pointer busy meanwhile.
        QCOMPARE(m_platform->busy(), sheet != 0);
        QVERIFY(control<QCheckBox>(dialog, QStringLiteral("chkTitres"))->isChecked());
        QVERIFY(control<QTableWidget>(dialog, QStringLiteral("tblApercu"))->rowCount() > 1);
        QVERIFY(control<QListWidget>(dialog, QStringLiteral("lstColonnes"))->count() > 1);
        auto* duplicates = control<QCheckBox>(dialog, QStringLiteral("chkDoublons"));
        QVERIFY(!duplicates->isChecked());
        if (okAtOnce) {
            control<QPushButton>(dialog, QStringLiteral("cmdOK"))->click();
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QTRY_COMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QTRY_COMPARE(control<QLabel>(dialog, QStringLiteral("lblExemple"))->text(), example);
        QCOMPARE(control<QLabel>(dialog, QStringLiteral("lblDecompte"))->text(), count);
        QVERIFY(!m_platform->busy());
        if (okAtOnce)
            return;
        duplicates->setChecked(dropDuplicates);
        control<QPushButton>(dialog, ok ? QStringLiteral("cmdOK") : QStringLiteral("cmdAnnuler"))
            ->click();
    });
    button(QStringLiteral("cmdOpen"))->click();
    QVERIFY(waitForRun(*m_window, 20000));
    QCOMPARE(boxLines(*list()), lines);
    QCOMPARE(drawCount()->count(), lines.size());
}

void TestColumns::badSpreadsheetKeepsTheList_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const auto bytesOf = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QByteArray cut = bytesOf(fixturePath(QStringLiteral("classeur_openpyxl.xlsx")));
    cut.truncate(cut.size() - 200);
    QTest::newRow("damaged") << QStringLiteral("abîmé.xlsx") << cut
                             << QStringLiteral("Impossible d'ouvrir le fichier");
    // Written by make_bombs.py: 60,000 cells showing one string of 99,000 characters.
    QTest::newRow("a shared string shown past 256 MB")
        << QStringLiteral("partagé.xlsx")
        << bytesOf(QStringLiteral(SORTIVO_BOMBS "/xlsx-texte-partage.xlsx"))
        << QStringLiteral("Impossible d'ouvrir le fichier : ses cellules dépassent ensemble "
                          "256 Mo de texte.");
}

void TestColumns::badSpreadsheetKeepsTheList()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QVERIFY(!bytes.isEmpty());
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
