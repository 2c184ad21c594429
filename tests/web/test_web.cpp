#include "app/mainwindow.h"
#include "info/infodialog.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "web/browserlauncher.h"
#include "web/defaultbrowser.h"
#include "web/desktoplaunch.h"
#include "widgets/linklabel.h"
#include "widgets/makeraddress.h"

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
        // Installed browsers often start through a wrapper that sets options and environment.
        writeFile(
            browserEntry(),
            desktopEntry(
                "Fake Browser",
                QStringLiteral("env SORTIVO_WRAPPED=oui \"%1\" --new-window %u").arg(browser()),
                "x-scheme-handler/https;text/html;"));
        writeFile(
            viewerEntry(),
            desktopEntry("HTML Viewer", QStringLiteral("\"%1\" %u").arg(viewer()), "text/html;"));
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
    QString browserEntry() const { return path("data/applications/fakebrowser.desktop"); }
    QString viewerEntry() const { return path("data/applications/htmlviewer.desktop"); }
    // What each program was started with: per start, the argument count, then one argument a
    // line, the first being the wrapper's variable.
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
        writeFile(program, QStringLiteral("#!/bin/sh\nset -- \"$SORTIVO_WRAPPED\" \"$@\"\n"
                                          "echo \"$#\" >> '%1'\n"
                                          "printf '%s\\n' \"$@\" >> '%1'\n")
                               .arg(record));
        setRunnable(program, true);
    }

    static QString desktopEntry(const char* name, const QString& exec, const char* types)
    {
        return QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n"
                              "MimeType=%3\n")
            .arg(QLatin1String(name), exec, QLatin1String(types));
    }

    QTemporaryDir m_root;
};

struct Start {
    QString entry;
    QString url;
};

// What the browser records for one start through its wrapper.
QString wrappedStart(const QString& url)
{
    return QStringLiteral("3\noui\n--new-window\n") + url + '\n';
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
    void launchAsTheDesktopDoes_data();
    void launchAsTheDesktopDoes();

    void launcherRemembersOnlySuccess_data();
    void launcherRemembersOnlySuccess();

    void infoBoxShowsNameAndVersion();
    void infoBoxGeometry_data();
    void infoBoxGeometry();
    void infoBoxOkClosesIt();
    void infoBoxIsBuiltAfresh();
    void infoBoxLinkOpensTheSite();

private:
    LinkLabel* link() { return control<LinkLabel>(*m_window, QStringLiteral("lblVelmora")); }
    // A launch recorded here, and passed on to the desktop when `real`.
    void expectLaunch(bool real)
    {
        m_platform->expectLaunch(
            [this, real](const QString& entry, const QString& url, std::function<void()> failed) {
                m_starts.append({entry, url});
                return !real || launchDesktopEntry(entry, url, std::move(failed));
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

    QCOMPARE(findDefaultBrowser(url),
             byScheme ? m_desktop.browserEntry() : m_desktop.viewerEntry());
}

void TestWeb::clickStartsTheBrowserWithTheAddress()
{
    // Asking the desktop must leave nothing behind in the shared temporary folder.
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const ScopedEnv tmpdir("TMPDIR", QFile::encodeName(temp.path()));

    expectLaunch(true);
    QTest::mouseClick(link(), Qt::LeftButton);

    QCOMPARE(m_starts.size(), 1);
    QCOMPARE(m_starts[0].entry, m_desktop.browserEntry());
    QCOMPARE(m_starts[0].url, makerAddress());
    QTRY_COMPARE(readFile(m_desktop.browserRecord()), wrappedStart(makerAddress()));
    QVERIFY(QDir(temp.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

void TestWeb::secondClickUsesTheBrowserFound()
{
    expectLaunch(true);
    QTest::mouseClick(link(), Qt::LeftButton);
    QTRY_COMPARE(readFile(m_desktop.browserRecord()), wrappedStart(makerAddress()));

    expectLaunch(true);
    QTest::mouseClick(link(), Qt::LeftButton);

    QCOMPARE(m_starts.size(), 2);
    QCOMPARE(m_starts[1].entry, m_desktop.browserEntry());
    QCOMPARE(m_starts[1].url, makerAddress());
    QTRY_COMPARE(readFile(m_desktop.browserRecord()),
                 wrappedStart(makerAddress()) + wrappedStart(makerAddress()));
    QVERIFY(readFile(m_desktop.viewerRecord()).isEmpty());
}

void TestWeb::failedStartKeepsTheBrowser()
{
    // The browser found, then unable to run when its wrapper starts it: the wrapper ends at
    // once with an error, which is told when it comes.
    m_platform->expectLaunch(
        [this](const QString& entry, const QString& url, std::function<void()> failed) {
            m_desktop.setRunnable(m_desktop.browser(), false);
            m_starts.append({entry, url});
            return launchDesktopEntry(entry, url, std::move(failed));
        });
    m_platform->expectWarning(startFailedTitle, {startFailedText});
    QTest::mouseClick(link(), Qt::LeftButton);
    QTRY_VERIFY(m_platform->done());

    m_desktop.setRunnable(m_desktop.browser(), true);
    expectLaunch(true);
    QTest::mouseClick(link(), Qt::LeftButton);

    QCOMPARE(m_starts.size(), 2);
    QCOMPARE(m_starts[0].entry, m_desktop.browserEntry());
    QCOMPARE(m_starts[1].entry, m_desktop.browserEntry());
    QTRY_COMPARE(readFile(m_desktop.browserRecord()), wrappedStart(makerAddress()));
}

void TestWeb::launchAsTheDesktopDoes_data()
{
    QTest::addColumn<QString>("exec");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<bool>("failsLater");
    QTest::addColumn<QString>("recorded"); // what the browser records; empty: nothing

    const QString url = makerAddress() + QStringLiteral("?a=1&b='2' $(x)");
    QTest::newRow("wrapper with options and environment")
        << QStringLiteral("env SORTIVO_WRAPPED=oui \"%1\" --new-window %u") << true << false
        << wrappedStart(url);
    QTest::newRow("shell command line") << QStringLiteral("sh -c '\"%1\" \"$1\"' sh %u") << true
                                        << false << QStringLiteral("2\n\n") + url + '\n';
    QTest::newRow("program ending at once with an error")
        << QStringLiteral("sh -c 'exit 3' sh %u") << true << true << QString();
    QTest::newRow("program ending at once without error")
        << QStringLiteral("sh -c 'exit 0' sh %u") << true << false << QString();
    QTest::newRow("program that is not there")
        << QStringLiteral("\"%1.absent\" %u") << false << false << QString();
}

void TestWeb::launchAsTheDesktopDoes()
{
    QFETCH(QString, exec);
    QFETCH(bool, starts);
    QFETCH(bool, failsLater);
    QFETCH(QString, recorded);

    // A file the address would name if it were taken for a path in the current folder.
    QTemporaryDir here;
    QVERIFY(here.isValid());
    const QString planted = here.filePath(QStringLiteral("https:/www.velmora.example"));
    const QString marker = here.filePath(QStringLiteral("planted-ran"));
    writeFile(planted, QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker));
    QFile::setPermissions(planted, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(here.path()));

    const QString entry = m_desktop.path("entries/test.desktop");
    writeFile(entry,
              QStringLiteral("[Desktop Entry]\nType=Application\nName=Test\nExec=%1\n")
                  .arg(exec.contains(QLatin1String("%1")) ? exec.arg(m_desktop.browser()) : exec));
    const QString url = makerAddress() + QStringLiteral("?a=1&b='2' $(x)");
    int failures = 0;
    const bool started = launchDesktopEntry(entry, url, [&] { ++failures; });
    QDir::setCurrent(previous);

    QCOMPARE(started, starts);
    if (!recorded.isEmpty())
        QTRY_COMPARE(readFile(m_desktop.browserRecord()), recorded);
    if (failsLater)
        QTRY_COMPARE(failures, 1);
    else
        QTest::qWait(300);
    QCOMPARE(failures, failsLater ? 1 : 0);
    QVERIFY(!QFileInfo::exists(marker));
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
        m_platform->expectLaunch(
            [this, starts](const QString& entry, const QString& url, std::function<void()>) {
                m_starts.append({entry, url});
                return starts;
            });
        if (!starts)
            m_platform->expectWarning(startFailedTitle, {startFailedText});
    }

    for (qsizetype i = 0; i < outcomes.size(); ++i)
        launcher.openInBrowser(url);

    QCOMPARE(asked, QStringList(lookups, url));
    for (const Start& start : std::as_const(m_starts)) {
        QCOMPARE(start.entry, kept);
        QCOMPARE(start.url, url);
    }
    QCOMPARE(launcher.browserPath(), kept);
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
        expectLaunch(true);
        QTest::mouseClick(control<LinkLabel>(box, QStringLiteral("lblVelmora")), Qt::LeftButton);
        stillOpen = box.isVisible();
    });
    openInfoBox();
    QVERIFY(stillOpen);
    QCOMPARE(m_starts.size(), 1);
    QCOMPARE(m_starts[0].entry, m_desktop.browserEntry());
    QCOMPARE(m_starts[0].url, makerAddress());
    QTRY_COMPARE(readFile(m_desktop.browserRecord()), wrappedStart(makerAddress()));

    // The box and the window share what was found.
    m_desktop.setRunnable(m_desktop.browser(), false);
    expectLaunch(false);
    QTest::mouseClick(link(), Qt::LeftButton);
    QCOMPARE(m_starts.size(), 2);
    QCOMPARE(m_starts[1].entry, m_desktop.browserEntry());
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
