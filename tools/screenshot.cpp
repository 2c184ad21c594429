#include "app/mainwindow.h"
#include "app/qtplatform.h"
#include "common/apptitle.h"
#include "info/infodialog.h"

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QTextStream>

namespace
{

bool save(QWidget& window, const QDir& folder, const QString& name)
{
    const QString path = folder.filePath(name);
    if (!window.grab().save(path)) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return false;
    }
    QTextStream(stdout) << path << '\n';
    return true;
}

void setText(QWidget& window, const char* box, const QString& text)
{
    window.findChild<QPlainTextEdit*>(QLatin1String(box))->setPlainText(text);
}

} // namespace

// Usage: sortivo_screenshot [folder]. Writes mainwindow.png and infobox.png there.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(appTitle());
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    if (!folder.exists() && !QDir().mkpath(folder.path()))
        return 1;

    QtPlatform platform;
    MainWindow window(platform, QString());
    setText(window, "txtListe",
            QStringLiteral("Camille\nHugo\nLéa\nMathis\nInès\nNoah\nJade\nLouis\nChloé\nGabriel"));
    setText(window, "txtResult",
            QStringLiteral("Emma - Lucas\nManon - Arthur\nZoé - Jules\nLina\nRaphaël\nAlice"));
    window.show();
    QApplication::processEvents();

    InfoDialog info(&window);
    info.show();
    QApplication::processEvents();

    const bool ok = save(window, folder, QStringLiteral("mainwindow.png")) &&
                    save(info, folder, QStringLiteral("infobox.png"));
    return ok ? 0 : 1;
}
