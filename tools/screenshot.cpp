#include "app/mainwindow.h"
#include "app/qtplatform.h"
#include "core/io/sha256.h"
#include "core/list/entrylist.h"
#include "core/proof/minutes.h"
#include "core/proof/proofprotocol.h"
#include "core/proof/proofsession.h"
#include "info/infodialog.h"
#include "print/minutesdocument.h"
#include "widgets/apptitle.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
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

// The first page of a school raffle's procès-verbal: prizes, an absent winner replaced, an
// interruption, two witnesses; laid out as on an A4 sheet at 100 dots per inch.
bool saveMinutes(const QDir& folder)
{
    sortivo::ProofSession session(sortivo::freshSeed());
    std::string list = "Camille Martin (billet 7)\r\nHugo Bernard (billet 12)\r\nLéa Petit (billet "
                       "31)\r\nMathis Durand (billet 42)\r\nInès Moreau (billet 58)\r\nNoah "
                       "Laurent (billet 63)\r\nJade Simon (billet 70)\r\nLouis Michel (billet 81)";
    session.setTitle("Tombola de l'école Jules-Ferry");
    session.setEvent(
        {"Association des parents d'élèves",
         "Préau de l'école, 12 rue des Écoles, Lyon",
         "Règlement de la tombola du 12 décembre 2026",
         sortivo::toHex(sortivo::sha256("règlement")),
         "Arrêté municipal n° 2026-118",
         {{"Anne Leroy", "commissaire de justice"}, {"Marc Petit", "président de l'association"}}});
    session.setPrizes({"Un vélo enfant", "Un panier garni", "Deux places de cinéma"});
    session.noteCommunicated("2026-12-12T18:58:00Z",
                             sortivo::communicatedListOf(sortivo::loadEntries(list)));
    session.setPublicValue("dés 3, 5 et 6");
    for (int run = 0; run < 4; ++run) {
        sortivo::DrawRun draw =
            session.beginRun(sortivo::loadEntries(list), {}, {sortivo::DrawMode::One, 1, 0},
                             "2026-12-12T19:0" + std::to_string(run) + ":30Z");
        draw.drawAll();
        session.endRun(draw);
        list = draw.remainingListText();
    }
    if (!session.declareAbsent(2, 1, "absent", "2026-12-12T19:05:10Z"))
        return false;
    session.addResumption({"2026-12-12T19:01:40Z", "2026-12-12T19:02:05Z"});

    const auto document =
        minutesDocument(sortivo::minutesOf(session, "Sortivo", "2026-12-12T19:10:00Z"));
    // A4 at 100 dots per inch, with 2 cm margins.
    const QSize sheet(827, 1169);
    const int margin = 79;
    QImage page(sheet, QImage::Format_RGB32);
    page.fill(Qt::white);
    page.setDotsPerMeterX(3937);
    page.setDotsPerMeterY(3937);
    QPainter painter(&page);
    document->documentLayout()->setPaintDevice(&page);
    document->setPageSize(QSizeF(sheet.width() - 2 * margin, sheet.height() - 2 * margin));
    painter.translate(margin, margin);
    document->drawContents(&painter,
                           QRectF(0, 0, sheet.width() - 2 * margin, sheet.height() - 2 * margin));
    painter.end();
    const QString path = folder.filePath(QStringLiteral("proces-verbal.png"));
    if (!page.save(path)) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return false;
    }
    QTextStream(stdout) << path << '\n';
    return true;
}

} // namespace

// Usage: sortivo_screenshot [folder]. Writes mainwindow.png, infobox.png, ecran-avant.png,
// ecran-apres.png, ecran-palmares.png and proces-verbal.png there.
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
                    save(info, folder, QStringLiteral("infobox.png")) && saveScreen(folder) &&
                    saveMinutes(folder);
    return ok ? 0 : 1;
}
