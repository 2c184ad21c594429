#include "app/mainwindow.h"
#include "app/qtplatform.h"
#include "info/infodialog.h"
#include "widgets/apptitle.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>

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

// Lets the window's timers run: the screen follows the boxes a moment after they change.
void settle()
{
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
}

template <typename W> W* control(QWidget& window, const char* name)
{
    return window.findChild<W*>(QLatin1String(name));
}

// The audience screen as a projector shows it, before the first draw, after one, and with the
// palmarès once every prize is won.
bool saveScreen(const QDir& folder)
{
    QtPlatform platform;
    MainWindow window(platform, QString());
    setText(window, "txtListe",
            QStringLiteral("Ticket 0007 – Camille Martin\nTicket 0012 – Hugo Bernard\n"
                           "Ticket 0031 – Léa Petit\nTicket 0042 – Mathis Durand\n"
                           "Ticket 0058 – Inès Moreau\nTicket 0063 – Noah Laurent"));
    window.show();
    control<QPushButton>(window, "cmdEcran")->click();
    QWidget& screen = *control<QWidget>(window, "frmEcran");
    // Typed in "Lots…", on the operator's screen.
    control<QLineEdit>(window, "txtEcranTitre")->setText(QStringLiteral("Tombola de l'école"));
    control<QPlainTextEdit>(window, "txtLots")
        ->setPlainText(QStringLiteral("Un vélo\nUn panier garni\nDeux places de cinéma"));
    control<QCheckBox>(screen, "chkAnimation")->setChecked(false);
    screen.resize(1280, 860);
    settle();
    if (!save(screen, folder, QStringLiteral("ecran-avant.png")))
        return false;
    control<QPushButton>(window, "cmdGo(1)")->click();
    settle();
    if (!save(screen, folder, QStringLiteral("ecran-apres.png")))
        return false;
    // Every prize won and two reserves, then the palmarès asked for in "Lots…".
    for (int i = 0; i < 4; ++i)
        control<QPushButton>(window, "cmdGo(1)")->click();
    control<QPushButton>(window, "cmdLots")->click();
    QWidget& prizes = *control<QWidget>(window, "frmLots");
    control<QPushButton>(prizes, "cmdPalmares")->click();
    prizes.close();
    settle();
    return save(screen, folder, QStringLiteral("ecran-palmares.png"));
}

} // namespace

// Usage: sortivo_screenshot [folder]. Writes mainwindow.png, infobox.png, ecran-avant.png,
// ecran-apres.png and ecran-palmares.png there.
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
                    save(info, folder, QStringLiteral("infobox.png")) && saveScreen(folder);
    return ok ? 0 : 1;
}
