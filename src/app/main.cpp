#include "app/apptitle.h"
#include "app/mainwindow.h"
#include "app/qtplatform.h"

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

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(appTitle());
    QApplication::setApplicationVersion(QStringLiteral(SORTIVO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("sortivo"));

    QtPlatform platform;
    MainWindow window(platform, documentsFolderPath());
    window.show();
    return app.exec();
}
