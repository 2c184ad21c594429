#include "app/mainwindow.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "support/mainwindowtest.h"
#include "widgets/apptitle.h"

#include <QDialog>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{

const QString numberingTitle = QStringLiteral("Numérotation");
const QString numberingPrompt = QStringLiteral("Numéroter jusqu'à");

} // namespace

class TestListTools : public MainWindowTest
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void leavingTheListOffersItsCount_data();
    void leavingTheListOffersItsCount();
    void cancelledOpenKeepsTheList();
    void openLeavesTheCountsInStep_data();
    void openLeavesTheCountsInStep();
    void openReadsLinesUpToTheFirstEmptyOne_data();
    void openReadsLinesUpToTheFirstEmptyOne();
    void openProposesDocumentsThenLastFile_data();
    void openProposesDocumentsThenLastFile();
    void droppedFileOpens();
    void saveThenOpenRoundTrips();
    void numbering_data();
    void numbering();
};

void TestListTools::initTestCase()
{
    // Numbers are read as a French user types them.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
}

void TestListTools::init()
{
    openWindow(Journal::InTemporaryFolder);
}

void TestListTools::cleanup()
{
    closeWindow();
}

void TestListTools::leavingTheListOffersItsCount_data()
{
    QTest::addColumn<Qt::FocusReason>("reason");
    QTest::addColumn<bool>("offered");
    QTest::newRow("a click elsewhere") << Qt::MouseFocusReason << true;
    QTest::newRow("Tab") << Qt::TabFocusReason << true;
    // The box's own context menu, or another window, takes the focus for a moment only.
    QTest::newRow("right-click menu") << Qt::PopupFocusReason << false;
    QTest::newRow("window switch") << Qt::ActiveWindowFocusReason << false;
}

void TestListTools::leavingTheListOffersItsCount()
{
    QFETCH(Qt::FocusReason, reason);
    QFETCH(bool, offered);

    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    list()->setFocus(Qt::MouseFocusReason);
    setBoxLines(*list(), {QStringLiteral("a"), QStringLiteral("b"), QString(), QStringLiteral("d"),
                          QStringLiteral("e")});
    QCOMPARE(drawCount()->count(), 0);
    button("cmdGo(1)")->setFocus(reason);
    QCOMPARE(comboItems(*drawCount()), offered ? numberTexts(1, 5) : QStringList{});
    QCOMPARE(drawCount()->currentIndex(), -1);
}

void TestListTools::cancelledOpenKeepsTheList()
{
    setBoxLines(*list(), {QStringLiteral("typed"), QStringLiteral("by hand")});
    m_platform->expectOpenFile(QString());
    button("cmdOpen")->click();
    QCOMPARE(boxLines(*list()), (QStringList{QStringLiteral("typed"), QStringLiteral("by hand")}));
}

void TestListTools::openLeavesTheCountsInStep_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::newRow("cancelled") << QString();
    QTest::newRow("refused") << QStringLiteral("missing.txt");
}

void TestListTools::openLeavesTheCountsInStep()
{
    QFETCH(QString, chosen);

    // A numbering offers its own counts without reloading the list.
    m_platform->expectText(numberingTitle, numberingPrompt, QStringLiteral("100"),
                           QStringLiteral("5"));
    button("cmdNumList")->click();
    QCOMPARE(boxLines(*list()), numberTexts(1, 5));
    QCOMPARE(comboItems(*drawCount()), numberTexts(2, 5));

    m_platform->expectOpenFile(chosen.isEmpty() ? QString() : path(chosen));
    if (!chosen.isEmpty())
        m_platform->expectWarning(QStringLiteral("Sortivo"),
                                  {QStringLiteral("Impossible d'ouvrir le fichier")});
    button("cmdOpen")->click();
    QVERIFY(waitForRun(*m_window));
    QCOMPARE(boxLines(*list()), numberTexts(1, 5));
    QCOMPARE(comboItems(*drawCount()), numberTexts(1, 5));
}

void TestListTools::openReadsLinesUpToTheFirstEmptyOne_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("told"); // of the lines left below the empty line

    QTest::newRow("LF file") << QByteArray("Anne\nBob\nCarl\n")
                             << QStringList{"Anne", "Bob", "Carl"} << QString();
    QTest::newRow("CR LF up to the empty line")
        << QByteArray("a\r\nb\r\n\r\nc\r\n") << QStringList{"a", "b"}
        << QStringLiteral("La lecture s'est arrêtée à la ligne vide n° 3 : 1 ligne suivante n'a "
                          "pas été lue.");
    QTest::newRow("lines below the empty line")
        << QByteArray("a\n\nb\n\nc\n\n\n") << QStringList{"a"}
        << QStringLiteral("La lecture s'est arrêtée à la ligne vide n° 2 : 3 lignes suivantes "
                          "n'ont pas été lues.");
    QTest::newRow("empty lines at the end")
        << QByteArray("a\r\n\r\n\r\n") << QStringList{"a"} << QString();
    QTest::newRow("line of blanks kept")
        << QByteArray("a\r\n  \r\nb") << QStringList{"a", "  ", "b"} << QString();
    QTest::newRow("Windows-1252") << QByteArray("\xc9lodie\r\n\x9c"
                                                "uf \x80\r\n")
                                  << QStringList{"Élodie", "œuf €"} << QString();
    QTest::newRow("UTF-8 with mark")
        << QByteArray("\xef\xbb\xbfZo\xc3\xab\n") << QStringList{"Zoë"} << QString();
    QTest::newRow("empty file empties the list") << QByteArray() << QStringList{} << QString();
}

void TestListTools::openReadsLinesUpToTheFirstEmptyOne()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(QString, told);
    QVERIFY(writeBytes(path("list.txt"), bytes));
    setBoxLines(*list(), {QStringLiteral("old")});
    m_platform->expectOpenFile(path("list.txt"));
    if (!told.isEmpty())
        m_platform->expectInformation(appTitle(), told);
    button("cmdOpen")->click();
    QVERIFY(waitForRun(*m_window));
    QCOMPARE(boxLines(*list()), lines);
    QCOMPARE(comboItems(*drawCount()), numberTexts(1, int(lines.size())));
}

void TestListTools::openProposesDocumentsThenLastFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("saveProposes");

    QTest::newRow("a text list") << QStringLiteral("names.txt") << QByteArray("x\r\n")
                                 << QStringLiteral("names.txt");
    // Accepting the name proposed must not put the results in a table's place.
    QTest::newRow("a CSV export") << QStringLiteral("personnel.csv")
                                  << QByteArray("Nom;Ville\r\nDupont;Lyon\r\n")
                                  << QStringLiteral("personnel-resultats.txt");
    QFile workbook(QStringLiteral(SORTIVO_SHEET_FIXTURES "/classeur_libreoffice.ods"));
    QVERIFY(workbook.open(QIODevice::ReadOnly));
    QTest::newRow("a workbook") << QStringLiteral("personnel.ods") << workbook.readAll()
                                << QStringLiteral("personnel-resultats.txt");
}

void TestListTools::openProposesDocumentsThenLastFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, saveProposes);
    QVERIFY(writeBytes(path(name), bytes));
    m_platform->expectOpenFile(path(name),
                               [&](const QString& proposed) { QCOMPARE(proposed, m_dir->path()); });
    if (!name.endsWith(QLatin1String(".txt")))
        m_platform->expectModal([](QDialog& columns) { columns.accept(); });
    button("cmdOpen")->click();
    QVERIFY(waitForRun(*m_window));
    // Every file Open reads is in view at first; text files alone are the second choice.
    const QStringList openFilters = m_platform->lastNameFilter().split(QStringLiteral(";;"));
    for (const char* pattern : {"*.txt", "*.csv", "*.tsv", "*.xlsx", "*.ods"})
        QVERIFY2(openFilters.value(0).contains(QLatin1String(pattern)), pattern);
    QCOMPARE(openFilters.value(1), QStringLiteral("Fichiers Texte (*.txt)"));
    m_platform->expectSaveFile(
        QString(), [&](const QString& proposed) { QCOMPARE(proposed, path(saveProposes)); });
    button("cmdSave")->click();
    QCOMPARE(m_platform->lastNameFilter(), QStringLiteral("Fichiers Texte (*.txt)"));
}

void TestListTools::droppedFileOpens()
{
    QVERIFY(writeBytes(path("dropped.txt"), "un\ndeux\n"));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path("dropped.txt"))});
    QWidget* target = list()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    QVERIFY(waitForRun(*m_window));
    QCOMPARE(boxLines(*list()), (QStringList{QStringLiteral("un"), QStringLiteral("deux")}));
    QCOMPARE(comboItems(*drawCount()), numberTexts(1, 2));
}

void TestListTools::saveThenOpenRoundTrips()
{
    const QStringList drawn{QStringLiteral("Élodie"), QStringLiteral("Zoë - Œdipe - 5 €"),
                            QStringLiteral("nbsp\u00a0kept")};
    setBoxLines(*results(), drawn);
    m_platform->expectSaveFile(path("results.txt"));
    button("cmdSave")->click();
    QCOMPARE(readBytes(path("results.txt")), drawn.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");

    m_platform->expectOpenFile(path("results.txt"));
    button("cmdOpen")->click();
    QVERIFY(waitForRun(*m_window));
    QCOMPARE(boxLines(*list()), drawn);
}

void TestListTools::numbering_data()
{
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<int>("last");      // 0: nothing changes
    QTest::addColumn<bool>("progress"); // lblPourCent left showing 100%
    QTest::addColumn<bool>("truncated");

    QTest::newRow("5") << std::optional<QString>("5") << 5 << false << false;
    QTest::newRow("1") << std::optional<QString>("1") << 1 << false << false;
    QTest::newRow("negative") << std::optional<QString>("-4") << 1 << false << false;
    QTest::newRow("halves to even") << std::optional<QString>("2,5") << 2 << false << false;
    QTest::newRow("999") << std::optional<QString>("999") << 999 << false << false;
    QTest::newRow("1000") << std::optional<QString>("1000") << 1000 << true << false;
    QTest::newRow("10949") << std::optional<QString>("10949") << 10949 << true << false;
    QTest::newRow("20000 truncated") << std::optional<QString>("20000") << 10949 << true << true;
    QTest::newRow("beyond 32 bits") << std::optional<QString>("3000000000") << 1 << false << false;
    QTest::newRow("a word") << std::optional<QString>("abc") << 0 << false << false;
    QTest::newRow("empty") << std::optional<QString>("") << 0 << false << false;
    QTest::newRow("cancelled") << std::optional<QString>() << 0 << false << false;
}

void TestListTools::numbering()
{
    QFETCH(std::optional<QString>, answer);
    QFETCH(int, last);
    QFETCH(bool, progress);
    QFETCH(bool, truncated);

    const QStringList before{QStringLiteral("keep"), QStringLiteral("me")};
    setBoxLines(*list(), before);
    setBoxLines(*results(), {QStringLiteral("results untouched")});
    m_platform->expectText(numberingTitle, numberingPrompt, QStringLiteral("100"), answer);
    if (truncated)
        m_platform->expectInformation(
            QStringLiteral("Sortivo"),
            QStringLiteral("La liste a été tronquée à 65535 caractères\ndernier élément de la "
                           "liste : 10949"));
    button("cmdNumList")->click();
    if (progress) {
        // A long list goes on after the click, pointer busy; requests meanwhile are ignored
        // (the fake platform fails on any question they would ask).
        QVERIFY(m_window->busyState().running());
        QVERIFY(m_platform->busy());
        button("cmdNumList")->click();
        button("cmdGo(2)")->click();
        QTRY_VERIFY(!m_window->busyState().running());
    }

    QCOMPARE(boxLines(*results()), QStringList{QStringLiteral("results untouched")});
    if (last == 0) {
        QCOMPARE(boxLines(*list()), before);
        QCOMPARE(drawCount()->count(), 0);
        QVERIFY(!percent()->isVisible());
        return;
    }
    QCOMPARE(boxLines(*list()), numberTexts(1, last));
    QCOMPARE(comboItems(*drawCount()), numberTexts(2, qMin(last, 1000)));
    QCOMPARE(percent()->isVisible(), progress);
    if (progress)
        QCOMPARE(percent()->text(), QStringLiteral("100%"));
    if (last == 10949)
        QCOMPARE(list()->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")).size(),
                 65535);
}

QTEST_MAIN(TestListTools)
#include "test_listtools.moc"
