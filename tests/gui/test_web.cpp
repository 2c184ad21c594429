#include "app/linklabel.h"
#include "app/mainwindow.h"
#include "app/makeraddress.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "web/browserlauncher.h"
#include "web/defaultbrowser.h"
#include "web/infodialog.h"

#include <QApplication>
#include <QDialog>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The desktop's MIME database is what the browser launcher asks. GIO reads the XDG folders once,
// at its first use, so main() points them at a desktop of the test's own before anything runs:
// one where a fake browser opens https addresses and a fake viewer opens HTML files, or, in a
// second run of this program, one where nothing opens anything.

namespace
{

const char bareDesktopVariable[] = "SORTIVO_TEST_BARE_DESKTOP";
const QString notFoundTitle = QStringLiteral("Browser Not Found");
const QString notFoundText = QStringLiteral("Could not find associated Browser");
const QString startFailedTitle = QStringLiteral("URL erreur");
const QString startFailedText = QStringLiteral("La page n'a pas pu être ouverte");
const QString versionText = QStringLiteral("Sortivo, version 1.30");

void writeFile(const QString& path, const QString& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(text.toUtf8());
}

QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class FakeDesktop
{
public:
    explicit FakeDesktop(bool withApplications)
        : m_root(QDir::tempPath() + QStringLiteral("/sortivo-test-web-XXXXXX"))
    {
        if (!m_root.isValid())
            qFatal("no temporary folder");
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(path("system-data")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(path("system-config")));
        qunsetenv("XDG_CURRENT_DESKTOP");
        for (const char* folder : {"data", "system-data", "config", "system-config"})
            QDir().mkpath(path(folder));
        if (!withApplications)
            return;

        // The programs live outside the folders that GIO watches, so that making one
        // unusable changes nothing but the answer to the next question.
        addProgram(browser(), browserRecord());
        addProgram(viewer(), viewerRecord());
        writeFile(path("data/applications/fakebrowser.desktop"),
                  desktopEntry("Fake Browser", browser(), "x-scheme-handler/https;text/html;"));
        writeFile(path("data/applications/htmlviewer.desktop"),
                  desktopEntry("HTML Viewer", viewer(), "text/html;"));
        writeFile(path("config/mimeapps.list"), QStringLiteral("[Default Applications]\n"
                                                               "x-scheme-handler/https="
                                                               "fakebrowser.desktop\n"
                                                               "text/html=htmlviewer.desktop\n"));
    }

    QString path(const char* relative) const
    {
        return m_root.filePath(QString::fromLatin1(relative));
    }
    QString browser() const { return path("bin/fakebrowser"); }
    QString viewer() const { return path("bin/htmlviewer"); }
    // What each program was started with: per start, the argument count, then one argument a
    // line.
    QString browserRecord() const { return path("browser-starts.txt"); }
    QString viewerRecord() const { return path("viewer-starts.txt"); }

    void setRunnable(const QString& program, bool runnable) const
    {
        QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
        if (runnable)
            p |= QFile::ExeOwner;
        QFile::setPermissions(program, p);
    }

    void forgetStarts() const
    {
        QFile::remove(browserRecord());
        QFile::remove(viewerRecord());
    }

private:
    void addProgram(const QString& program, const QString& record) const
    {
        writeFile(program, QStringLiteral("#!/bin/sh\necho \"$#\" >> '%1'\n"
                                          "printf '%s\\n' \"$@\" >> '%1'\n")
                               .arg(record));
        setRunnable(program, true);
    }

    static QString desktopEntry(const char* name, const QString& program, const char* types)
    {
        return QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=\"%2\" %u\n"
                              "MimeType=%3\n")
            .arg(QLatin1String(name), program, QLatin1String(types));
    }

    QTemporaryDir m_root;
};

struct Start {
    QString program;
    QStringList arguments;
};

// Runs a started program to its end, so that what it recorded can be read at once.
bool runToEnd(const QString& program, const QStringList& arguments)
{
    return QProcess::execute(program, arguments) == 0;
}

// Runs a program that may have lost its execute permission.
bool runThroughShell(const QString& program, const QStringList& arguments)
{
    return QProcess::execute(QStringLiteral("/bin/sh"), QStringList{program} + arguments) == 0;
}

// Changes an environment variable for one test and puts it back afterwards.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

class TestWeb : public QObject
{
    Q_OBJECT
public:
    explicit TestWeb(const FakeDesktop& desktop) : m_desktop(desktop) {}

private slots:
    void init();
    void cleanup();

    void desktopNamesTheBrowser_data();
    void desktopNamesTheBrowser();
    void clickStartsTheBrowserWithTheAddress();
    void secondClickUsesTheBrowserFound();
    void failedStartKeepsTheBrowser();
    void noDefaultApplication();

    void launcherRemembersOnlySuccess_data();
    void launcherRemembersOnlySuccess();
    void tempFolderPath_data();
    void tempFolderPath();

    void infoBoxShowsNameAndVersion();
    void infoBoxGeometry_data();
    void infoBoxGeometry();
    void infoBoxOkClosesIt();
    void infoBoxIsBuiltAfresh();
    void infoBoxLinkOpensTheSite();

private:
    LinkLabel* link() { return control<LinkLabel>(*m_window, QStringLiteral("lblVelmora")); }
    // A start that the fake platform passes on to the system, recorded here.
    void expectStart(bool (*run)(const QString&, const QStringList&))
    {
        m_platform->expectStart([this, run](const QString& program, const QStringList& args) {
            m_starts.append({program, args});
            return run(program, args);
        });
    }
    void expectInfoBox(std::function<void(QDialog&)> action)
    {
        m_platform->expectModal(std::move(action));
    }
    void openInfoBox()
    {
        QTest::mouseClick(control<QPushButton>(*m_window, QStringLiteral("Command1")),
                          Qt::LeftButton);
    }

    const FakeDesktop& m_desktop;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<MainWindow> m_window;
    QList<Start> m_starts;
};

void TestWeb::init()
{
    m_desktop.setRunnable(m_desktop.browser(), true);
    m_desktop.forgetStarts();
    m_starts.clear();
    m_platform = std::make_unique<FakePlatform>();
    m_window = std::make_unique<MainWindow>(*m_platform, QString());
    m_window->show();
}

void TestWeb::cleanup()
{
    m_window.reset();
    QVERIFY(m_platform->done());
    m_desktop.setRunnable(m_desktop.browser(), true);
}

void TestWeb::desktopNamesTheBrowser_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("byScheme");

    QTest::newRow("https has its own handler") << makerAddress() << true;
    QTest::newRow("scheme in capitals") << QStringLiteral("HTTPS://WWW.VELMORA.EXAMPLE/") << true;
    QTest::newRow("http has none: HTML files' application")
        << QStringLiteral("http://www.velmora.example") << false;
    QTest::newRow("no scheme: HTML files' application")
        << QStringLiteral("www.velmora.example") << false;
}

void TestWeb::desktopNamesTheBrowser()
{
    QFETCH(QString, url);
    QFETCH(bool, byScheme);

    QCOMPARE(findDefaultBrowser(url), byScheme ? m_desktop.browser() : m_desktop.viewer());
}

void TestWeb::clickStartsTheBrowserWithTheAddress()
{
    // Asking the desktop must leave nothing behind in the shared temporary folder.
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const ScopedEnv tmpdir("TMPDIR", QFile::encodeName(temp.path()));

    expectStart(runToEnd);
    QTest::mouseClick(link(), Qt::LeftButton);

    QCOMPARE(m_starts.size(), 1);
    QCOMPARE(m_starts[0].program, m_desktop.browser());
    QCOMPARE(m_starts[0].arguments, QStringList{makerAddress()});
    QCOMPARE(readFile(m_desktop.browserRecord()), QStringLiteral("1\n") + makerAddress() + '\n');
    QVERIFY(QDir(temp.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

void TestWeb::secondClickUsesTheBrowserFound()
{
    expectStart(runToEnd);
    QTest::mouseClick(link(), Qt::LeftButton);

    // From now on, asking the desktop again would name the HTML viewer.
    m_desktop.setRunnable(m_desktop.browser(), false);
    QCOMPARE(findDefaultBrowser(makerAddress()), m_desktop.viewer());

    expectStart(runThroughShell);
    QTest::mouseClick(link(), Qt::LeftButton);

    QCOMPARE(m_starts.size(), 2);
    QCOMPARE(m_starts[1].program, m_desktop.browser());
    QCOMPARE(m_starts[1].arguments, QStringList{makerAddress()});
    QCOMPARE(readFile(m_desktop.browserRecord()),
             QStringLiteral("1\n%1\n1\n%1\n").arg(makerAddress()));
    QVERIFY(readFile(m_desktop.viewerRecord()).isEmpty());
}

void TestWeb::failedStartKeepsTheBrowser()
{
    m_platform->expectStart([this](const QString& program, const QStringList& args) {
        m_starts.append({program, args});
        return false;
    });
    m_platform->expectWarning(startFailedTitle, {startFailedText});
    QTest::mouseClick(link(), Qt::LeftButton);

    m_desktop.setRunnable(m_desktop.browser(), false);
    expectStart(runThroughShell);
    QTest::mouseClick(link(), Qt::LeftButton);

    QCOMPARE(m_starts.size(), 2);
    QCOMPARE(m_starts[0].program, m_desktop.browser());
    QCOMPARE(m_starts[1].program, m_desktop.browser());
    QCOMPARE(readFile(m_desktop.browserRecord()), QStringLiteral("1\n%1\n").arg(makerAddress()));
}

void TestWeb::noDefaultApplication()
{
    // GIO cannot be made to forget this desktop, so the bare one is tested in a run of its own.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(bareDesktopVariable), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(-1));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             output.constData());
}

void TestWeb::launcherRemembersOnlySuccess_data()
{
    // Per call: the browser starts, fails to start, or none is found.
    QTest::addColumn<QStringList>("found");    // what each lookup answers, in turn
    QTest::addColumn<QStringList>("outcomes"); // one per call
    QTest::addColumn<int>("lookups");
    QTest::addColumn<QString>("kept");

    const QString b = QStringLiteral("/opt/browser/bin/browser");
    QTest::newRow("found once, kept for the run")
        << QStringList{b} << QStringList{"started", "started", "started"} << 1 << b;
    QTest::newRow("a failed lookup keeps nothing")
        << QStringList{"", b} << QStringList{"not found", "started", "started"} << 2 << b;
    QTest::newRow("never found: asked every time")
        << QStringList{"", "", ""} << QStringList{"not found", "not found", "not found"} << 3
        << QString();
    QTest::newRow("a failed start keeps the browser")
        << QStringList{b} << QStringList{"start failed", "start failed", "started"} << 1 << b;
}

void TestWeb::launcherRemembersOnlySuccess()
{
    QFETCH(QStringList, found);
    QFETCH(QStringList, outcomes);
    QFETCH(int, lookups);
    QFETCH(QString, kept);

    // Reaches the browser untouched: no quoting, no shell.
    const QString url = QStringLiteral("https://www.velmora.example/a b?x=\"1\"&y='2';$(z)");
    QStringList asked;
    BrowserLauncher launcher(*m_platform, m_window.get(), [&](const QString& u) {
        asked << u;
        return found.value(asked.size() - 1);
    });
    for (const QString& outcome : outcomes) {
        if (outcome == QLatin1String("not found")) {
            m_platform->expectWarning(notFoundTitle, {notFoundText});
            continue;
        }
        const bool starts = outcome == QLatin1String("started");
        m_platform->expectStart([this, starts](const QString& program, const QStringList& args) {
            m_starts.append({program, args});
            return starts;
        });
        if (!starts)
            m_platform->expectWarning(startFailedTitle, {startFailedText});
    }

    for (qsizetype i = 0; i < outcomes.size(); ++i)
        launcher.openInBrowser(url);

    QCOMPARE(asked, QStringList(lookups, url));
    for (const Start& start : std::as_const(m_starts)) {
        QCOMPARE(start.program, kept);
        QCOMPARE(start.arguments, QStringList{url});
    }
    QCOMPARE(launcher.browserPath(), kept);
}

void TestWeb::tempFolderPath_data()
{
    QTest::addColumn<bool>("ownFolder");
    QTest::addColumn<QByteArray>("tmpdir");

    QTest::newRow("the user's own") << true << QByteArray();
    QTest::newRow("empty setting") << false << QByteArray("");
}

void TestWeb::tempFolderPath()
{
    QFETCH(bool, ownFolder);
    QFETCH(QByteArray, tmpdir);

    QTemporaryDir own;
    QVERIFY(own.isValid());
    const ScopedEnv env("TMPDIR", ownFolder ? QFile::encodeName(own.path()) : tmpdir);
    const QString path = ::tempFolderPath();
    QVERIFY(!path.isEmpty());
    if (ownFolder)
        QCOMPARE(path, own.path());
    QVERIFY(QFileInfo(path).isDir());
}

void TestWeb::infoBoxShowsNameAndVersion()
{
    expectInfoBox([](QDialog& box) {
        QCOMPARE(box.objectName(), QStringLiteral("frmInfo"));
        QCOMPARE(box.windowTitle(), QStringLiteral("Info"));
        QVERIFY(!box.windowIcon().isNull());
        QCOMPARE(box.palette().color(QPalette::Window), QColor(192, 255, 192));
        QVERIFY(box.autoFillBackground());

        auto* version = control<QLabel>(box, QStringLiteral("lblVersion"));
        QCOMPARE(version->text(), versionText);
        QCOMPARE(version->font().families().value(0), QStringLiteral("Comic Sans MS"));
        QVERIFY(version->font().families().contains(QStringLiteral("Comic Neue")));
        QCOMPARE(version->font().pointSizeF(), 12.0);
        QCOMPARE(version->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(version->alignment(), Qt::AlignCenter);
        QVERIFY(!version->autoFillBackground());

        auto* link = control<LinkLabel>(box, QStringLiteral("lblVelmora"));
        QCOMPARE(link->text(), QStringLiteral("Velmora (") + makerAddress() + QStringLiteral(") "));
        QCOMPARE(link->font().families().value(0), QStringLiteral("MS Sans Serif"));
        QCOMPARE(link->font().pointSizeF(), 9.75);
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(192, 0, 192));
        QCOMPARE(link->alignment(), Qt::AlignCenter);
        QVERIFY(!link->autoFillBackground());
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);

        QCOMPARE(control<QPushButton>(box, QStringLiteral("cmdOk"))->text(), QStringLiteral("Ok"));
        const QPixmap logo = control<QLabel>(box, QStringLiteral("Image1"))->pixmap();
        QCOMPARE(logo.deviceIndependentSize(), QSizeF(50, 50));

        // Only the button takes the keyboard.
        for (QWidget* child : box.findChildren<QWidget*>())
            QCOMPARE(child->focusPolicy() != Qt::NoFocus,
                     child->objectName() == QLatin1String("cmdOk"));
    });
    openInfoBox();
}

void TestWeb::infoBoxGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("Image1") << QStringLiteral("Image1") << QRect(120, 0, 50, 50);
    QTest::newRow("lblVersion") << QStringLiteral("lblVersion") << QRect(0, 40, 313, 25);
    QTest::newRow("lblVelmora") << QStringLiteral("lblVelmora") << QRect(0, 72, 313, 17);
    QTest::newRow("cmdOk") << QStringLiteral("cmdOk") << QRect(208, 128, 81, 33);
}

void TestWeb::infoBoxGeometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);

    expectInfoBox([&](QDialog& box) {
        box.show();
        QCOMPARE(box.size(), QSize(312, 171));
        QCOMPARE(control<QWidget>(box, name)->geometry(), geometry);
    });
    openInfoBox();
}

void TestWeb::infoBoxOkClosesIt()
{
    bool closed = false;
    expectInfoBox([&](QDialog& box) {
        box.show();
        QTest::mouseClick(control<QPushButton>(box, QStringLiteral("cmdOk")), Qt::LeftButton);
        closed = !box.isVisible() && box.result() == QDialog::Accepted;
    });
    openInfoBox();
    QVERIFY(closed);
    QVERIFY(m_window->findChildren<InfoDialog*>().isEmpty());
}

void TestWeb::infoBoxIsBuiltAfresh()
{
    QStringList shown;
    const auto look = [&](QDialog& box) {
        auto* version = control<QLabel>(box, QStringLiteral("lblVersion"));
        shown << version->text();
        // Whatever happens to this box must not reach the next one.
        version->setText(QStringLiteral("spoilt"));
        box.accept();
    };
    expectInfoBox(look);
    openInfoBox();
    QVERIFY(m_window->findChildren<InfoDialog*>().isEmpty());
    expectInfoBox(look);
    openInfoBox();
    QCOMPARE(shown, (QStringList{versionText, versionText}));
}

void TestWeb::infoBoxLinkOpensTheSite()
{
    bool stillOpen = false;
    expectInfoBox([&](QDialog& box) {
        box.show();
        expectStart(runToEnd);
        QTest::mouseClick(control<LinkLabel>(box, QStringLiteral("lblVelmora")), Qt::LeftButton);
        stillOpen = box.isVisible();
    });
    openInfoBox();
    QVERIFY(stillOpen);
    QCOMPARE(m_starts.size(), 1);
    QCOMPARE(m_starts[0].program, m_desktop.browser());
    QCOMPARE(m_starts[0].arguments, QStringList{makerAddress()});

    // The box and the window share what was found.
    m_desktop.setRunnable(m_desktop.browser(), false);
    expectStart(runThroughShell);
    QTest::mouseClick(link(), Qt::LeftButton);
    QCOMPARE(m_starts.size(), 2);
    QCOMPARE(m_starts[1].program, m_desktop.browser());
}

// Run with no application for web pages at all.
class TestBareDesktop : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void nothingNamed_data();
    void nothingNamed();
    void windowLinkSaysNotFoundEachTime();
    void infoBoxLinkSaysNotFound();

private:
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<MainWindow> m_window;
};

void TestBareDesktop::init()
{
    m_platform = std::make_unique<FakePlatform>();
    m_window = std::make_unique<MainWindow>(*m_platform, QString());
    m_window->show();
}

void TestBareDesktop::cleanup()
{
    m_window.reset();
    QVERIFY(m_platform->done());
}

void TestBareDesktop::nothingNamed_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("https") << makerAddress();
    QTest::newRow("http") << QStringLiteral("http://www.velmora.example");
    QTest::newRow("no scheme") << QStringLiteral("www.velmora.example");
}

void TestBareDesktop::nothingNamed()
{
    QFETCH(QString, url);
    QCOMPARE(findDefaultBrowser(url), QString());
}

void TestBareDesktop::windowLinkSaysNotFoundEachTime()
{
    m_platform->expectWarning(notFoundTitle, {notFoundText});
    m_platform->expectWarning(notFoundTitle, {notFoundText});
    auto* link = control<LinkLabel>(*m_window, QStringLiteral("lblVelmora"));
    QTest::mouseClick(link, Qt::LeftButton);
    QTest::mouseClick(link, Qt::LeftButton);
}

void TestBareDesktop::infoBoxLinkSaysNotFound()
{
    bool stillOpen = false;
    m_platform->expectModal([&](QDialog& box) {
        box.show();
        m_platform->expectWarning(notFoundTitle, {notFoundText});
        QTest::mouseClick(control<LinkLabel>(box, QStringLiteral("lblVelmora")), Qt::LeftButton);
        stillOpen = box.isVisible();
    });
    QTest::mouseClick(control<QPushButton>(*m_window, QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(stillOpen);
}

int main(int argc, char* argv[])
{
    const bool bare = qEnvironmentVariableIsSet(bareDesktopVariable);
    const FakeDesktop desktop(!bare);
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    QTEST_SET_MAIN_SOURCE_PATH
    if (bare) {
        TestBareDesktop test;
        return QTest::qExec(&test, argc, argv);
    }
    TestWeb test(desktop);
    return QTest::qExec(&test, argc, argv);
}

#include "test_web.moc"
