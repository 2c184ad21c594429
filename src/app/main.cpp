#include "app/apptitle.h"
#include "app/mainwindow.h"
#include "app/qtfrench.h"
#include "app/qtplatform.h"
#include "app/startup.h"
#include "cli/commandline.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

namespace
{

// Where the open dialog starts; empty when the desktop knows no documents folder.
QString documentsFolderPath()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(path).exists() ? path : QString();
}

StartRequest readArguments(int& argc, char* argv[])
{
    // Help, version and mistakes are answered without a display, so without a QApplication.
    QCoreApplication app(argc, argv);
    installQtFrench(app);
    return readCommandLine(QCoreApplication::arguments());
}

} // namespace

int main(int argc, char* argv[])
{
    const StartRequest request = readArguments(argc, argv);
    if (request.exitStatus)
        return *request.exitStatus;

    QApplication app(argc, argv);
    installQtFrench(app);
    QApplication::setApplicationName(appTitle());
    QApplication::setApplicationVersion(QStringLiteral(SORTIVO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("example.velmora.Sortivo"));

    QtPlatform platform;
    const auto window = startMainWindow(platform, documentsFolderPath(), request.listFile);
    return app.exec();
}
