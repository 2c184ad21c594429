#include "app/mainwindow.h"
#include "listtools/listfilecommands.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "support/mainwindowtest.h"

#include <QClipboard>
#include <QProcess>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

// Files that are not what the user thinks they chose, and disks that let the program down.
// A failure is told in French and names the file; the list and the results stay as they were.

namespace
{

const QString title = QStringLiteral("Sortivo");
const QString overwriteQuestion =
    QStringLiteral("Ce fichier existe déjà, voulez-vous le remplacer ?");
const QString cannotOpen = QStringLiteral("Impossible d'ouvrir le fichier");
const QString cannotSave = QStringLiteral("Impossible d'enregistrer");

// Root reads any file whatever its mode. Taking an ordinary user's identity for file access,
// in this thread and the threads it starts from then on, makes the mode count again. Files
// are read on Qt's pool, whose threads keep the identity they started with: the pool is
// emptied at each change.
class FileAccessAs
{
public:
    explicit FileAccessAs(uid_t uid)
    {
        QThreadPool::globalInstance()->waitForDone();
        m_previous = uid_t(::setfsuid(uid));
    }
    ~FileAccessAs()
    {
        ::setfsuid(m_previous);
        QThreadPool::globalInstance()->waitForDone();
    }
    FileAccessAs(const FileAccessAs&) = delete;
    FileAccessAs& operator=(const FileAccessAs&) = delete;

private:
    uid_t m_previous = 0;
};

// Opening a pipe for reading waits for a writer. Should the program ever do that, this opens
// the other end and closes it, so the test fails on what the program then shows instead of
// hanging.
class PipeUnblocker
{
public:
    explicit PipeUnblocker(const QString& pipe)
        : m_thread([path = QFile::encodeName(pipe)](std::stop_token stop) {
              while (!stop.stop_requested()) {
                  // Succeeds only while somebody waits at the reading end.
                  const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0) {
                      ::close(fd);
                      return;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              }
          })
    {
    }

private:
    std::jthread m_thread;
};

class Unmount
{
public:
    explicit Unmount(QString mountPoint) : m_mountPoint(std::move(mountPoint)) {}
    ~Unmount() { QProcess::execute(QStringLiteral("umount"), {m_mountPoint}); }
    Unmount(const Unmount&) = delete;
    Unmount& operator=(const Unmount&) = delete;

private:
    QString m_mountPoint;
};

// The system's words for an error, as file messages give them under the path.
QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QStringList windows1252Lines(int count, int badLine)
{
    QStringList lines;
    lines.reserve(count);
    for (int i = 1; i <= count; ++i)
        lines << (i == badLine ? QStringLiteral("André") : QStringLiteral("ZoÃ« %1").arg(i));
    return lines;
}

QByteArray utf8FileWithOneBadLine(int count, int badLine)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += i == badLine ? QByteArray("Andr\xe9\r\n")
                              : "Zo\xc3\xab " + QByteArray::number(i) + "\r\n";
    return bytes;
}

} // namespace

class TestBadFiles : public MainWindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void refusedOpen_data();
    void refusedOpen();
    void oddButReadable_data();
    void oddButReadable();
    void aMillionLinesDrawnWholeAndSaved();
    void pastedLongLine_data();
    void pastedLongLine();
    void failedSave_data();
    void failedSave();
    void saveReplacesWhatStandsAtTheName_data();
    void saveReplacesWhatStandsAtTheName();
    void fullDisk_data();
    void fullDisk();

private:
    // What a failure must leave as it was.
    struct Shown {
        QStringList list;
        QStringList results;
        QStringList counts;
        bool operator==(const Shown&) const = default;
    };
    Shown shown() { return {boxLines(*list()), boxLines(*results()), comboItems(*drawCount())}; }
};

void TestBadFiles::init()
{
    openWindow(Journal::InTemporaryFolder);
    // A list the window has loaded, and earlier results.
    setBoxLines(*list(), {QStringLiteral("Élodie"), QStringLiteral("Zoë"), QStringLiteral("Marc")});
    button("cmdGo(0)")->click();
    QCOMPARE(comboItems(*drawCount()), numberTexts(1, 3));
    setBoxLines(*results(), {QStringLiteral("Gagnant 1"), QStringLiteral("Gagnant 2")});
}

void TestBadFiles::cleanup()
{
    closeWindow();
    if (m_dir)
        QFile::setPermissions(m_dir->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestBadFiles::refusedOpen_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("reason");

    const QByteArray none;
    QTest::newRow("a folder chosen as a file")
        << "folder" << none << QStringList{QStringLiteral("c'est un dossier")};
    QTest::newRow("a file removed between dialog and read")
        << "removed" << none << QStringList{cannotOpen, systemReason(ENOENT)};
    QTest::newRow("a file without read permission")
        << "unreadable" << none << QStringList{cannotOpen, systemReason(EACCES)};
    QTest::newRow("a link to nowhere")
        << "dangling" << none << QStringList{cannotOpen, systemReason(ENOENT)};
    QTest::newRow("a binary file")
        << "bytes" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
        << QStringList{QStringLiteral("Ce fichier n'est pas un fichier texte.")};
    QByteArray nulInText;
    for (int i = 0; i < 5000; ++i)
        nulInText += "Nom " + QByteArray::number(i) + "\r\n";
    nulInText += QByteArray(1, '\0') + "Nom\r\n";
    QTest::newRow("a text file with a NUL byte far down")
        << "bytes" << nulInText
        << QStringList{QStringLiteral("Ce fichier n'est pas un fichier texte.")};
    QTest::newRow("a file that fails while read")
        << "readError" << none
        << QStringList{QStringLiteral("Impossible de lire le fichier"), systemReason(EIO)};
    QTest::newRow("a file over 256 MiB")
        << "huge" << none << QStringList{cannotOpen, QStringLiteral("256 Mo")};
    QTest::newRow("a file that says it is empty and never ends")
        << "pagemap" << none << QStringList{cannotOpen, QStringLiteral("256 Mo")};
    const QLocale french(QLocale::French);
    QTest::newRow("one line too many")
        << "bytes" << QByteArray("x\r\n").repeated(qsizetype(ListFileCommands::maxListLines) + 1)
        << QStringList{cannotOpen,
                       french.toString(qulonglong(ListFileCommands::maxListLines)) + " lignes"};
    QTest::newRow("a line one character too long")
        << "bytes"
        << "Anne\r\n" + QByteArray(qsizetype(ListFileCommands::maxLineChars) + 1, 'x') + "\r\nBob"
        << QStringList{cannotOpen,
                       french.toString(qulonglong(ListFileCommands::maxLineChars)) + " caractères"};
    QTest::newRow("a named pipe") << "pipe" << none
                                  << QStringList{cannotOpen, QStringLiteral("fichier ordinaire")};
    QTest::newRow("a device without end")
        << "device" << none << QStringList{cannotOpen, QStringLiteral("fichier ordinaire")};
}

void TestBadFiles::refusedOpen()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, reason);

    const QString chosen = path(QStringLiteral("liste à tirer.txt"));
    std::function<void(const QString&)> duringDialog;
    std::unique_ptr<FileAccessAs> ordinaryUser;
    std::unique_ptr<PipeUnblocker> unblocker;
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(chosen));
    } else if (kind == QLatin1String("removed")) {
        QVERIFY(writeBytes(chosen, "Anne\r\nBob\r\n"));
        duringDialog = [chosen](const QString&) { QVERIFY(QFile::remove(chosen)); };
    } else if (kind == QLatin1String("unreadable")) {
        QVERIFY(writeBytes(chosen, "Anne\r\nBob\r\n"));
        QVERIFY(QFile::setPermissions(chosen, QFileDevice::WriteOwner));
        // The folder open to all, so that only the file's own mode is in the way.
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ReadOther |
                                                         QFile::ExeOther));
        if (::geteuid() == 0)
            ordinaryUser = std::make_unique<FileAccessAs>(65534);
        if (QFile probe(chosen); probe.open(QIODevice::ReadOnly))
            QSKIP("this system lets the test read a file of mode 0200 (root without a way to "
                  "drop its file access rights)");
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(path(QStringLiteral("nowhere/list.txt")), chosen));
    } else if (kind == QLatin1String("bytes")) {
        QVERIFY(writeBytes(chosen, bytes));
    } else if (kind == QLatin1String("readError")) {
        // The program's own memory from address 0 opens, then fails on the first read.
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), chosen));
    } else if (kind == QLatin1String("pagemap")) {
        QVERIFY(QFile::link(QStringLiteral("/proc/self/pagemap"), chosen));
    } else if (kind == QLatin1String("huge")) {
        QFile file(chosen);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Sparse: it takes no room on disk.
        QVERIFY(file.resize(qint64(257) * 1024 * 1024));
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(chosen).constData(), 0600), 0);
        unblocker = std::make_unique<PipeUnblocker>(chosen);
    } else if (kind == QLatin1String("device")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), chosen));
    }

    const Shown before = shown();
    m_platform->expectOpenFile(chosen, duringDialog);
    m_platform->expectWarning(title, reason + QStringList{chosen});
    button("cmdOpen")->click();
    QVERIFY(waitForRun(*m_window));
    ordinaryUser.reset();
    QVERIFY(shown() == before);
}

void TestBadFiles::oddButReadable_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("0 bytes empties the list") << QByteArray() << QStringList{};
    // One byte that is not UTF-8 makes the whole file Windows-1252, the UTF-8 lines included.
    QTest::newRow("Latin-1 byte between UTF-8 lines")
        << QByteArray("Zo\xc3\xab\r\nAndr\xe9\r\nChlo\xc3\xa9\r\n")
        << QStringList{"ZoÃ«", "André", "ChloÃ©"};
    QTest::newRow("sequence cut by the line end")
        << QByteArray("Zo\xc3\r\n\xab\r\nfin") << QStringList{"ZoÃ", "«", "fin"};
    QTest::newRow("sequence cut by the end of the file")
        << QByteArray("Zo\xc3\xab\ncaf\xc3") << QStringList{"ZoÃ«", "cafÃ"};
    QTest::newRow("stray continuation byte")
        << QByteArray("a\n\x80\nb") << QStringList{"a", "€", "b"};
    QTest::newRow("overlong slash") << QByteArray("a\n\xc0\xaf"
                                                  "b\nc")
                                    << QStringList{"a", "À¯b", "c"};
    QTest::newRow("encoded surrogate")
        << QByteArray("a\r\n\xed\xa0\x80\r\nb") << QStringList{"a", "í\u00a0€", "b"};
    QTest::newRow("beyond U+10FFFF")
        << QByteArray("\xf4\x90\x80\x80\nz") << QStringList{"ô\u0090€€", "z"};
    QTest::newRow("bytes Windows-1252 leaves undefined")
        << QByteArray("x\x81\x8d\x8f\x90\x9dy\n\xff")
        << QStringList{"x\u0081\u008d\u008f\u0090\u009dy", "ÿ"};
    QTest::newRow("Notepad's Unicode, UTF-16 LE")
        << QByteArray("\xff\xfeZ\0o\0\xeb\0\r\0\n\0R\x01\r\0\n\0", 18) << QStringList{"Zoë", "Œ"};
    QTest::newRow("UTF-16 BE") << QByteArray("\xfe\xff\0Z\0o\0\xeb\0\n\x01R", 12)
                               << QStringList{"Zoë", "Œ"};
    QTest::newRow("DOS end-of-file mark")
        << QByteArray("Anne\r\nBob\r\n\x1a") << QStringList{"Anne", "Bob"};
    QTest::newRow("line and paragraph separators inside lines")
        << QByteArray("Anne\xe2\x80\xa8Marie\r\nBob\xe2\x80\xa9Jean\r\n\xef\xb7\x90Zo\xc3\xab")
        << QStringList{"Anne Marie", "Bob Jean", " Zoë"};
    QTest::newRow("one bad line among 100000")
        << utf8FileWithOneBadLine(100000, 54321) << windows1252Lines(100000, 54321);
}

void TestBadFiles::oddButReadable()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);

    const QString chosen = path(QStringLiteral("liste.txt"));
    QVERIFY(writeBytes(chosen, bytes));
    const QStringList resultsBefore = boxLines(*results());
    m_platform->expectOpenFile(chosen);
    button("cmdOpen")->click();
    QVERIFY(waitForRun(*m_window));
    QCOMPARE(boxLines(*list()), lines);
    QCOMPARE(comboItems(*drawCount()), numberTexts(1, int(lines.size())));
    QCOMPARE(boxLines(*results()), resultsBefore);
}

void TestBadFiles::pastedLongLine_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("taken");

    const auto line = [](std::size_t length) { return QString(qsizetype(length), u'x'); };
    constexpr std::size_t limit = ListFileCommands::maxLineChars;
    QTest::newRow("a line at the limit") << line(limit) << true;
    QTest::newRow("two lines at the limit")
        << line(limit) + QStringLiteral("\n") + line(limit) << true;
    QTest::newRow("a line one character too long") << line(limit + 1) << false;
    QTest::newRow("too long after short lines")
        << QStringLiteral("Anne\r\nBob\n") + line(limit + 1) << false;
    QTest::newRow("two lines joined by a tab, too long together")
        << line(limit / 2) + QStringLiteral("\t") + line(limit / 2) << false;
    QTest::newRow("a paragraph separator ends a line")
        << line(limit) + QChar(QChar::ParagraphSeparator) + line(limit) << true;
}

// Pasting, dropping or middle-clicking text into the list all end in the same insertion: the
// box would freeze for seconds per key with a line of megabytes in it.
void TestBadFiles::pastedLongLine()
{
    QFETCH(QString, pasted);
    QFETCH(bool, taken);

    const QString before = list()->toPlainText();
    QApplication::clipboard()->setText(pasted);
    if (!taken)
        m_platform->expectWarning(
            title, {QStringLiteral("Impossible de coller ce texte"),
                    QLocale(QLocale::French).toString(qulonglong(ListFileCommands::maxLineChars)) +
                        QStringLiteral(" caractères")});
    list()->moveCursor(QTextCursor::End);
    list()->paste();
    QCOMPARE(list()->toPlainText().size(), taken ? before.size() + pasted.size() : before.size());
    if (!taken)
        QCOMPARE(list()->toPlainText(), before);
}

// A list far past what a hall calls out, read, drawn and saved whole. Open takes five times as
// many lines; the decoding tests check that limit to the line, and bench_window times it.
void TestBadFiles::aMillionLinesDrawnWholeAndSaved()
{
    constexpr int count = 1'000'000;
    static_assert(count <= int(ListFileCommands::maxListLines));
    QByteArray bytes;
    bytes.reserve(count * 11);
    for (int i = 1; i <= count; ++i)
        bytes.append("n").append(QByteArray::number(i)).append("\n");
    const QString chosen = path(QStringLiteral("un million.txt"));
    QVERIFY(writeBytes(chosen, bytes));
    bytes.clear();

    results()->clear();
    m_platform->expectOpenFile(chosen);
    button("cmdOpen")->click();
    QVERIFY(waitForRun(*m_window, 120000));
    QCOMPARE(list()->document()->blockCount(), count);
    QCOMPARE(drawCount()->count(), count);
    QCOMPARE(drawCount()->itemText(count - 1), QString::number(count));

    button("cmdGo(2)")->click();
    QVERIFY(QTest::qWaitFor([&] { return !m_window->busyState().running(); }, 120000));
    QVERIFY(list()->document()->isEmpty());
    QCOMPARE(drawCount()->count(), 0);
    QCOMPARE(results()->document()->blockCount(), count);

    const QString saved = path(QStringLiteral("tirage.txt"));
    m_platform->expectSaveFile(saved);
    button("cmdSave")->click();
    const QByteArray written = readBytes(saved);
    QVERIFY(written.endsWith("\r\n"));
    QCOMPARE(written.count("\r\n"), qsizetype(count));
    // Every line once, each of the list's lines.
    std::vector<bool> seen(count + 1, false);
    qsizetype start = 0;
    while (start < written.size()) {
        const qsizetype end = written.indexOf("\r\n", start);
        const QByteArray line = written.mid(start, end - start);
        bool ok = false;
        const int n = line.startsWith('n') ? line.mid(1).toInt(&ok) : 0;
        QVERIFY2(ok && n >= 1 && n <= count && !seen[n], line.constData());
        seen[n] = true;
        start = end + 2;
    }
}

void TestBadFiles::failedSave_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("reason");

    QTest::newRow("folder removed between dialog and write")
        << "folderRemoved" << QStringList{cannotSave};
    QTest::newRow("folder replaced by a file") << "folderIsFile" << QStringList{cannotSave};
    QTest::newRow("name taken by a new folder")
        << "targetIsFolder" << QStringList{cannotSave, QStringLiteral("c'est un dossier")};
}

void TestBadFiles::failedSave()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, reason);

    const QString folder = path(QStringLiteral("résultats"));
    const QString target = folder + QStringLiteral("/tirage.txt");
    QVERIFY(QDir().mkdir(folder));
    m_platform->expectSaveFile(target, [&](const QString&) {
        if (kind == QLatin1String("folderRemoved")) {
            QVERIFY(QDir(folder).removeRecursively());
        } else if (kind == QLatin1String("folderIsFile")) {
            QVERIFY(QDir(folder).removeRecursively());
            QVERIFY(writeBytes(folder, "pas un dossier\n"));
        } else {
            QVERIFY(QDir().mkdir(target));
        }
    });
    m_platform->expectWarning(title, reason + QStringList{target});
    const Shown before = shown();
    button("cmdSave")->click();
    QVERIFY(shown() == before);
    // Nothing made up for what went away.
    if (kind == QLatin1String("folderRemoved"))
        QVERIFY(!QFileInfo::exists(folder));
    if (kind == QLatin1String("folderIsFile"))
        QCOMPARE(readBytes(folder), QByteArray("pas un dossier\n"));
    if (kind == QLatin1String("targetIsFolder"))
        QVERIFY(QDir(target).isEmpty());
}

void TestBadFiles::saveReplacesWhatStandsAtTheName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<bool>("replace");
    // Asked with No the default, where one Enter must not lose a workbook; empty: the plain
    // question, or none where nothing would be replaced.
    QTest::addColumn<QString>("riskyQuestion");
    QTest::addColumn<QStringList>("refusal"); // empty: the answer is followed

    const QString text = QStringLiteral("tirage.txt");
    const QByteArray old("ancien\r\n");
    const QByteArray zip("PK\x03\x04\x14\0\0\0", 8);
    const QStringList none;
    QTest::newRow("no keeps it") << text << "file" << old << false << QString() << none;
    QTest::newRow("yes replaces it, its mode 0604 kept")
        << text << "mode0604" << old << true << QString() << none;
    QTest::newRow("hidden file is seen too")
        << QStringLiteral(".hidden.txt") << "file" << old << false << QString() << none;
    // "a" and a line end in UTF-16 LE, its mark first.
    QTest::newRow("UTF-16 text is text")
        << text << "file" << QByteArray::fromHex("fffe61000d000a00") << true << QString() << none;
    const QString workbook = QStringLiteral(
        "« personnel.ods » est un classeur, pas un fichier texte. Le remplacer par les "
        "résultats ?");
    QTest::newRow("a workbook, no keeps it")
        << QStringLiteral("personnel.ods") << "file" << zip << false << workbook << none;
    QTest::newRow("a workbook, yes replaces it")
        << QStringLiteral("personnel.ods") << "file" << zip << true << workbook << none;
    QTest::newRow("a CSV export by its name")
        << QStringLiteral("inscrits.CSV") << "file" << QByteArray("Nom;Ville\r\nDupont;Lyon\r\n")
        << false
        << QStringLiteral("« inscrits.CSV » est un classeur, pas un fichier texte. Le remplacer "
                          "par les résultats ?")
        << none;
    QTest::newRow("a workbook under another name")
        << QStringLiteral("liste") << "file" << zip << false
        << QStringLiteral("« liste » n'est pas un fichier texte. Le remplacer par les résultats ?")
        << none;
    QTest::newRow("a link to a file in another folder")
        << text << "link" << old << true << QString() << none;
    QTest::newRow("a link to a missing file in another folder")
        << text << "dangling" << old << true << QString() << none;
    QTest::newRow("a named pipe") << text << "pipe" << old << true << QString()
                                  << QStringList{cannotSave,
                                                 QStringLiteral("pas un fichier ordinaire")};
    QTest::newRow("a device node")
        << text << "device" << old << true << QString()
        << QStringList{cannotSave, QStringLiteral("pas un fichier ordinaire")};
    QTest::newRow("a read-only file") << text << "readOnly" << old << true << QString()
                                      << QStringList{cannotSave, QStringLiteral("lecture seule")};
}

void TestBadFiles::saveReplacesWhatStandsAtTheName()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QByteArray, old);
    QFETCH(bool, replace);
    QFETCH(QString, riskyQuestion);
    QFETCH(QStringList, refusal);

    const QString target = path(name);
    const QString elsewhere = path(QStringLiteral("ailleurs"));
    const QString victim = elsewhere + QStringLiteral("/victime.txt");
    QVERIFY(QDir().mkdir(elsewhere));
    QFile::Permissions mode;
    if (kind == QLatin1String("link")) {
        QVERIFY(writeBytes(victim, old));
        QVERIFY(QFile::link(victim, target));
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(victim, target));
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    } else if (kind == QLatin1String("device")) {
        if (::mknod(QFile::encodeName(target).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("making a device node needs root");
    } else {
        QVERIFY(writeBytes(target, old));
        if (kind != QLatin1String("file")) {
            mode = kind == QLatin1String("readOnly")
                       ? QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther
                       : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;
            QVERIFY(QFile::setPermissions(target, mode));
        }
    }

    setBoxLines(*results(), {QStringLiteral("nouveau")});
    m_platform->expectSaveFile(target);
    if (!riskyQuestion.isEmpty())
        m_platform->expectYesNoDefaultNo(riskyQuestion, replace);
    else if (kind != QLatin1String("pipe") && kind != QLatin1String("device"))
        m_platform->expectYesNo(overwriteQuestion, replace);
    if (!refusal.isEmpty())
        m_platform->expectWarning(title, refusal + QStringList{target});
    button("cmdSave")->click();

    const QFileInfo saved(target);
    if (refusal.isEmpty() && replace) {
        QVERIFY(!saved.isSymLink());
        QCOMPARE(readBytes(target), QByteArray("nouveau\r\n"));
    }
    if (!replace || kind == QLatin1String("readOnly"))
        QCOMPARE(readBytes(target), old);
    // Nothing written through the link, nothing made at its far end.
    if (kind == QLatin1String("link"))
        QCOMPARE(readBytes(victim), old);
    if (kind == QLatin1String("dangling"))
        QVERIFY(!QFileInfo::exists(victim));
    if (kind == QLatin1String("mode0604") || kind == QLatin1String("readOnly"))
        QCOMPARE(saved.permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                 mode);
    if (kind == QLatin1String("pipe"))
        QVERIFY(!saved.isFile() && saved.exists());
    // No temporary file left behind.
    QStringList left{QStringLiteral("ailleurs"), name};
    left.sort(Qt::CaseInsensitive);
    QCOMPARE(QDir(m_dir->path())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                            QDir::Name | QDir::IgnoreCase),
             left);
}

void TestBadFiles::fullDisk_data()
{
    QTest::addColumn<FailingFiles::Step>("step");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("budget");

    // A real full disk (a small tmpfs, which only root can mount), then each step failed.
    QTest::newRow("small disk") << FailingFiles::Step::Nothing << ENOSPC << 0;
    QTest::newRow("no new file") << FailingFiles::Step::Create << EACCES << 0;
    QTest::newRow("disk full after 4096 bytes") << FailingFiles::Step::Write << ENOSPC << 4096;
    QTest::newRow("device fails at sync") << FailingFiles::Step::Sync << EIO << 0;
    QTest::newRow("rename refused") << FailingFiles::Step::Rename << EACCES << 0;
}

void TestBadFiles::fullDisk()
{
    QFETCH(FailingFiles::Step, step);
    QFETCH(int, error);
    QFETCH(int, budget);

    const QString disk = path(QStringLiteral("petit disque"));
    QVERIFY(QDir().mkdir(disk));
    std::optional<Unmount> unmount;
    if (step == FailingFiles::Step::Nothing) {
        if (::geteuid() != 0)
            QSKIP("a full disk is a small tmpfs, and mounting one needs root");
        QProcess mount;
        mount.start(QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                     QStringLiteral("size=64k"), QStringLiteral("tmpfs"), disk});
        if (!mount.waitForFinished() || mount.exitStatus() != QProcess::NormalExit ||
            mount.exitCode() != 0)
            QSKIP(qPrintable(QStringLiteral("cannot mount a small tmpfs here: ") +
                             QString::fromLocal8Bit(mount.readAllStandardError()).trimmed() +
                             QStringLiteral(" (") + mount.errorString() + QStringLiteral(")")));
        unmount.emplace(disk);
    }
    m_platform->failFiles(step, error, std::size_t(budget));

    const QString target = disk + QStringLiteral("/tirage.txt");
    QByteArray old;
    for (int i = 0; i < 1000; ++i)
        old += "ancien " + QByteArray::number(i) + "\r\n";
    QVERIFY(writeBytes(target, old));

    QStringList many;
    for (int i = 0; i < 20000; ++i)
        many << QStringLiteral("Gagnant numéro %1").arg(i);
    setBoxLines(*results(), many);
    m_platform->expectSaveFile(target);
    m_platform->expectYesNo(overwriteQuestion, true);
    m_platform->expectWarning(title,
                              {cannotSave, target, QString::fromLocal8Bit(std::strerror(error))});
    const Shown before = shown();
    button("cmdSave")->click();
    QVERIFY(shown() == before);
    QCOMPARE(readBytes(target), old);
    QCOMPARE(QDir(disk).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("tirage.txt")});

    // The failed attempt gave its room back: a result that fits is saved.
    m_platform->failFiles(FailingFiles::Step::Nothing);
    setBoxLines(*results(), {QStringLiteral("petit")});
    m_platform->expectSaveFile(target);
    m_platform->expectYesNo(overwriteQuestion, true);
    button("cmdSave")->click();
    QCOMPARE(readBytes(target), QByteArray("petit\r\n"));
}

QTEST_MAIN(TestBadFiles)
#include "test_badfiles.moc"
