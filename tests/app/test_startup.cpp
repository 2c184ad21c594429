#include "app/mainwindow.h"
#include "app/qtfrench.h"
#include "app/startup.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "support/mainwindowcontrols.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Starting with a list file named on the command line (the desktop's "Open with"), and Qt's own
// words in French.

class TestStartup : public QObject, public MainWindowControls
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void fileArgumentOpensIntoTheList();
    void badFileArgumentStartsWithEmptyList_data();
    void badFileArgumentStartsWithEmptyList();
    void qtDialogsSpeakFrench_data();
    void qtDialogsSpeakFrench();

private:
    QWidget& drivenWindow() const override { return *m_window; }
    QString path(const QString& name) const { return m_dir->filePath(name); }
    void start(const QString& listFile)
    {
        m_window = startMainWindow(*m_platform, m_dir->path(), listFile);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<MainWindow> m_window;
};

void TestStartup::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_platform = std::make_unique<FakePlatform>();
}

void TestStartup::cleanup()
{
    m_window.reset();
    QVERIFY(m_platform->done());
    QVERIFY(!m_platform->busy());
}

void TestStartup::fileArgumentOpensIntoTheList()
{
    QVERIFY(writeBytes(path("inscrits.txt"), "Anne\r\nB\xe9"
                                             "atrice\r\nChlo\xe9\r\n"));
    start(path("inscrits.txt"));
    QVERIFY(m_window->isVisible());
    QVERIFY(waitForRun(*m_window));
    QCOMPARE(boxLines(*list()), (QStringList{QStringLiteral("Anne"), QStringLiteral("Béatrice"),
                                             QStringLiteral("Chloé")}));
    QCOMPARE(comboItems(*drawCount()), numberTexts(1, 3));
    // Save proposes the file just opened, as after Open.
    m_platform->expectSaveFile(
        QString(), [&](const QString& proposed) { QCOMPARE(proposed, path("inscrits.txt")); });
    button("cmdSave")->click();
}

void TestStartup::badFileArgumentStartsWithEmptyList_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing file") << QStringLiteral("absent.txt") << QByteArray()
                                  << QStringLiteral("Impossible d'ouvrir le fichier");
    QTest::newRow("binary file") << QStringLiteral("photo.txt") << QByteArray("PNG\0\x01\x02", 6)
                                 << QStringLiteral("Ce fichier n'est pas un fichier texte.");
}

void TestStartup::badFileArgumentStartsWithEmptyList()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    if (!bytes.isEmpty())
        QVERIFY(writeBytes(path(name), bytes));
    m_platform->expectWarning(QStringLiteral("Sortivo"), {reason, path(name)});
    start(path(name));
    QVERIFY(m_window->isVisible());
    QVERIFY(waitForRun(*m_window));
    QCOMPARE(boxLines(*list()), QStringList{});
    QCOMPARE(drawCount()->count(), 0);
}

void TestStartup::qtDialogsSpeakFrench_data()
{
    QTest::addColumn<QDialogButtonBox::StandardButton>("button");
    QTest::addColumn<QString>("text");

    QTest::newRow("yes") << QDialogButtonBox::Yes << QStringLiteral("&Oui");
    QTest::newRow("no") << QDialogButtonBox::No << QStringLiteral("&Non");
    QTest::newRow("cancel") << QDialogButtonBox::Cancel << QStringLiteral("Annuler");
    QTest::newRow("open") << QDialogButtonBox::Open << QStringLiteral("Ouvrir");
    QTest::newRow("save") << QDialogButtonBox::Save << QStringLiteral("Enregistrer");
}

void TestStartup::qtDialogsSpeakFrench()
{
    QFETCH(QDialogButtonBox::StandardButton, button);
    QFETCH(QString, text);
    // Whatever the desktop's language.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(installQtFrench(*qApp));
    QDialogButtonBox box(button);
    QCOMPARE(box.button(button)->text(), text);
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
