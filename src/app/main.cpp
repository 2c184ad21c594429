#include "app/mainwindow.h"
#include "app/qtfrench.h"
#include "app/qtplatform.h"
#include "app/startup.h"
#include "cli/commandline.h"
#include "cli/drawcommand.h"
#include "cli/drawcommandline.h"
#include "widgets/apptitle.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include <string_view>

namespace
{

// Where the open dialog starts; empty when the desktop knows no documents folder.
QString documentsFolderPath()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(path).exists() ? path : QString();
}

// Where a window keeps the journal of its session: the desktop's state folder, as the XDG
// base directories name it.
QString journalFolderPath()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    const QString state = QStandardPaths::writableLocation(QStandardPaths::GenericStateLocation);
#else
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // The base directories ignore a relative path, and so does this: the default stands.
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
#endif
    return QDir(state).filePath(QStringLiteral("sortivo"));
}

StartRequest readArguments(int& argc, char* argv[])
{
    // Help, version and mistakes are answered without a display, so without a QApplication.
    QCoreApplication app(argc, argv);
    installQtFrench(app);
    return readCommandLine(QCoreApplication::arguments());
}

// `sortivo tirer`: no window at all; Qt only reads the options.
int drawFromCommandLine(int& argc, char* argv[])
{
    std::optional<DrawCommandOptions> options;
    int status = 0;
    {
        QCoreApplication app(argc, argv);
        installQtFrench(app);
        options = readDrawCommandLine(QCoreApplication::arguments(), status);
    }
    return options ? runDrawCommand(*options, softwareName().toStdString()) : status;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && std::string_view(argv[1]) == "tirer")
        return drawFromCommandLine(argc, argv);
    const StartRequest request = readArguments(argc, argv);
    if (request.exitStatus)
        return *request.exitStatus;

    QApplication app(argc, argv);
    installQtFrench(app);
    QApplication::setApplicationName(appTitle());
    QApplication::setApplicationVersion(QStringLiteral(SORTIVO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("example.velmora.Sortivo"));

    QtPlatform platform;
    const auto window =
        startMainWindow(platform, documentsFolderPath(), request.listFile, journalFolderPath());
    return app.exec();
}
