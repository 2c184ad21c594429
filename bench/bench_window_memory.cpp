// Peak memory of opening a large list, beside a bare QPlainTextEdit that reads the same file
// and shows it. Each side runs in a process of its own, since a peak cannot be reset:
//     bench_window_memory [lines]          both sides and their ratio (default 5,000,000 lines)
//     bench_window_memory bare|window FILE one side; prints its peak in kB
#include "app/mainwindow.h"
#include "benchplatform.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

namespace
{

long peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
    return -1;
}

int runBare(const QString& path)
{
    QPlainTextEdit box;
    box.show();
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        box.setPlainText(QString::fromUtf8(file.readAll()));
    }
    QCoreApplication::processEvents();
    std::printf("%ld %d\n", peakKilobytes(), box.blockCount());
    return 0;
}

int runWindow(const QString& path)
{
    BenchPlatform platform;
    platform.openPath = path;
    MainWindow window(platform, QString());
    window.show();
    QCoreApplication::processEvents();
    window.findChild<QPushButton*>(QStringLiteral("cmdOpen"))->click();
    do
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    while (platform.busy);
    QCoreApplication::processEvents();
    std::printf("%ld %d\n", peakKilobytes(),
                window.findChild<QPlainTextEdit*>(QStringLiteral("txtListe"))->blockCount());
    return 0;
}

long runSide(const QString& side, const QString& path)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {side, path});
    child.waitForFinished(-1);
    const QList<QByteArray> out = child.readAllStandardOutput().trimmed().split(' ');
    const long peak = out.constFirst().toLong();
    std::printf("%-7s peak %8.1f MB, %s lines in the box\n", qPrintable(side), peak / 1024.0,
                out.size() > 1 ? out[1].constData() : "?");
    return peak;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("bare"))
        return runBare(args[1]);
    if (args.size() == 2 && args[0] == QLatin1String("window"))
        return runWindow(args[1]);

    const int lines = args.isEmpty() ? 5000000 : args[0].toInt();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("liste.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        QTextStream out(&file);
        for (int i = 0; i < lines; ++i)
            out << "Participant " << (qint64(i) * 7919 % 1000003) << "\r\n";
    }
    std::printf("%d lines, %.1f MB\n", lines, QFile(path).size() / 1048576.0);
    const long bare = runSide(QStringLiteral("bare"), path);
    const long window = runSide(QStringLiteral("window"), path);
    std::printf("window / bare: %.2f\n", double(window) / double(bare));
    return 0;
}
