#include "app/iconholder.h"
#include "app/mainwindow.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "widgets/linklabel.h"
#include "widgets/makeraddress.h"

#include <QApplication>
#include <QFrame>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace
{

const QColor lightGreen(192, 255, 192);
const QColor darkGreen(0, 128, 0);
const QColor blue(0, 0, 255);

// Every control of the window, by name, with the kind of widget that stands for it.
const QList<std::pair<const char*, const char*>> allControls = {
    {"lblListe", "QLabel"},
    {"lblResult", "QLabel"},
    {"picMnu(0)", "QWidget"},
    {"picMnu(1)", "QWidget"},
    {"txtListe", "QPlainTextEdit"},
    {"fraCentre", "QWidget"},
    {"txtResult", "QPlainTextEdit"},
    {"fraMenu", "QFrame"},
    {"fraBas", "QWidget"},
    {"cmdOpen", "QPushButton"},
    {"cmdNumList", "QPushButton"},
    {"Picture1(0)", "IconHolder"},
    {"Picture1(1)", "IconHolder"},
    {"cmdSave", "QPushButton"},
    {"cmdPrint", "QPushButton"},
    {"cmdClearResult", "QPushButton"},
    {"Picture1(2)", "IconHolder"},
    {"Picture1(3)", "IconHolder"},
    {"Picture1(4)", "IconHolder"},
    {"Image1", "QLabel"},
    {"cmdGo(1)", "QPushButton"},
    {"Label3", "QLabel"},
    {"Label5", "QLabel"},
    {"cmbNbTirage", "QComboBox"},
    {"cmdGo(0)", "QPushButton"},
    {"cmdGo(2)", "QPushButton"},
    {"Label1", "QLabel"},
    {"cmbEquipe", "QComboBox"},
    {"cmdGo(3)", "QPushButton"},
    {"lblPourCent", "QLabel"},
    {"cmdStopProcess", "QPushButton"},
    {"lblVelmora", "LinkLabel"},
    {"Command1", "QPushButton"},
};

QString captionOf(QWidget* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    return QStringLiteral("<no caption>");
}

bool takesTabFocus(QWidget* widget, QWidget* window)
{
    return widget->window() == window && (widget->focusPolicy() & Qt::TabFocus) &&
           widget->isEnabled() && widget->isVisibleTo(window);
}

int maxSaturation(const QImage& image)
{
    int most = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            most = std::max(most, image.pixelColor(x, y).hsvSaturation());
    return most;
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void geometryAtDesignSize_data();
    void geometryAtDesignSize();
    void followsTheWindowSize_data();
    void followsTheWindowSize();
    void minimumSizeKeepsSizesNonNegative();
    void minimisedWindowKeepsItsLayout();

    void controlKinds();
    void startVisibility();
    void captions_data();
    void captions();
    void toolButtons_data();
    void toolButtons();
    void fonts_data();
    void fonts();
    void textColours_data();
    void textColours();
    void backgrounds_data();
    void backgrounds();
    void tabOrder_data();
    void tabOrder();
    void pictures();
    void keyboardShortcuts_data();
    void keyboardShortcuts();
    void focusStartsOnOpen();
    void tabLeavesTextBoxes_data();
    void tabLeavesTextBoxes();
    void headingsShowWholeLetters_data();
    void headingsShowWholeLetters();

private:
    QWidget* widget(const QString& name) { return control<QWidget>(*m_window, name); }

    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<MainWindow> m_window;
};

void TestLayout::init()
{
    m_platform = std::make_unique<FakePlatform>();
    m_window = std::make_unique<MainWindow>(*m_platform, QString());
    m_window->show();
}

void TestLayout::cleanup()
{
    m_window.reset();
    QVERIFY(m_platform->done());
}

void TestLayout::geometryAtDesignSize_data()
{
    // Positions in logical pixels within each control's container: the design's twips / 15,
    // rounded; the moving controls as the resize rules place them for the design's client area.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");

    const auto row = [](const char* name, int x, int y, int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(name) << QRect(x, y, w, h);
    };
    // Moved and stretched by the rules.
    row("fraBas", 0, 464, 873, 33);
    row("fraMenu", 8, 447, 857, 17);
    row("Command1", 752, 8, 113, 17);
    row("txtListe", 4, 48, 355, 397);
    row("txtResult", 506, 48, 355, 397);
    row("fraCentre", 359, 16, 151, 417);
    row("lblResult", 514, 24, 249, 33);
    row("picMnu(0)", 302, 23, 57, 25);
    row("picMnu(1)", 780, 23, 81, 25);
    // Never moved.
    row("lblListe", 16, 24, 249, 33);
    row("cmdOpen", 3, 0, 25, 25);
    row("cmdNumList", 31, 0, 25, 25);
    row("Picture1(0)", 7, 3, 17, 17);
    row("Picture1(1)", 33, 2, 19, 19);
    row("cmdSave", 0, 0, 25, 25);
    row("cmdPrint", 28, 0, 25, 25);
    row("cmdClearResult", 56, 0, 25, 25);
    row("Picture1(2)", 4, 3, 17, 17);
    row("Picture1(3)", 32, 3, 17, 17);
    row("Picture1(4)", 60, 3, 17, 17);
    row("Image1", 48, 8, 50, 50);
    row("cmdGo(1)", 16, 64, 121, 49);
    row("Label3", 13, 72, 129, 113);
    row("Label5", 5, 187, 33, 17);
    row("cmbNbTirage", 41, 184, 57, 21);
    row("cmdGo(0)", 104, 184, 33, 21);
    row("cmdGo(2)", 16, 217, 121, 25);
    row("Label1", 8, 263, 129, 33);
    row("cmbEquipe", 41, 280, 57, 21);
    row("cmdGo(3)", 104, 280, 33, 21);
    row("lblPourCent", 48, 316, 57, 25);
    row("cmdStopProcess", 32, 344, 89, 25);
    row("lblVelmora", 8, 8, 225, 17);
}

void TestLayout::geometryAtDesignSize()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);

    // Another size first, so that the places come from the rules and not from the design.
    m_window->resize(1000, 700);
    m_window->resize(875, 501);
    QCOMPARE(m_window->size(), QSize(875, 501));
    QCOMPARE(widget(name)->geometry(), geometry);
}

void TestLayout::followsTheWindowSize_data()
{
    QTest::addColumn<QSize>("client");

    QTest::newRow("design, odd twips") << QSize(875, 501);
    QTest::newRow("even twips") << QSize(876, 502);
    QTest::newRow("smallest") << QSize(166, 104);
    QTest::newRow("wide") << QSize(1921, 601);
    QTest::newRow("tall") << QSize(500, 1081);
    QTest::newRow("full HD") << QSize(1920, 1080);
}

void TestLayout::followsTheWindowSize()
{
    QFETCH(QSize, client);

    m_window->resize(client);
    QCOMPARE(m_window->size(), client);
    const QRect list = widget(QStringLiteral("txtListe"))->geometry();
    const QRect results = widget(QStringLiteral("txtResult"))->geometry();
    const QRect centre = widget(QStringLiteral("fraCentre"))->geometry();
    const QRect bar = widget(QStringLiteral("fraBas"))->geometry();

    QCOMPARE(results.size(), list.size());
    QVERIFY(list.width() >= 0 && list.height() >= 0);
    // Rounding each figure to pixels may put an edge one pixel off, never more.
    const auto near = [](int a, int b) { return std::abs(a - b) <= 1; };
    QVERIFY(near(widget(QStringLiteral("picMnu(0)"))->geometry().right(), list.right()));
    QVERIFY(near(widget(QStringLiteral("picMnu(1)"))->geometry().right(), results.right()));
    QVERIFY(near(widget(QStringLiteral("lblResult"))->x(), results.x() + 8));
    // The results box covers the centre panel's last 60 twips.
    QVERIFY(near(results.x(), centre.x() + centre.width() - 4));
    QVERIFY(near(bar.width(), client.width() - 2));
    QVERIFY(near(bar.bottom() + 1, client.height() - 4));
    QVERIFY(near(widget(QStringLiteral("Command1"))->geometry().right() + 1, bar.width() - 8));
    QVERIFY(near(widget(QStringLiteral("fraMenu"))->geometry().bottom() + 1, bar.top()));
}

void TestLayout::minimumSizeKeepsSizesNonNegative()
{
    // 2570 x 2080 twips outer is the smallest size with no negative width or height.
    QCOMPARE(m_window->minimumSize(), QSize(166, 104));
    m_window->resize(10, 10);
    QCOMPARE(m_window->size(), QSize(166, 104));
    for (const auto& [name, kind] : allControls) {
        const QRect g = widget(QString::fromLatin1(name))->geometry();
        QVERIFY2(g.width() >= 0 && g.height() >= 0, name);
    }
}

void TestLayout::minimisedWindowKeepsItsLayout()
{
    m_window->resize(875, 501);
    QList<QRect> before;
    for (const auto& [name, kind] : allControls)
        before << widget(QString::fromLatin1(name))->geometry();

    m_window->setWindowState(Qt::WindowMinimized);
    m_window->resize(1200, 800);
    for (qsizetype i = 0; i < allControls.size(); ++i)
        QCOMPARE(widget(QString::fromLatin1(allControls[i].first))->geometry(), before[i]);

    // Restored, it is laid out for the size that it was given meanwhile.
    m_window->setWindowState(Qt::WindowNoState);
    QCOMPARE(widget(QStringLiteral("txtListe"))->geometry(), QRect(4, 48, 517, 696));
    QCOMPARE(widget(QStringLiteral("txtResult"))->geometry(), QRect(669, 48, 517, 696));
}

void TestLayout::controlKinds()
{
    QCOMPARE(m_window->objectName(), QStringLiteral("frmMain"));
    for (const auto& [name, kind] : allControls) {
        const auto found = m_window->findChildren<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(found.size() == 1, name);
        QVERIFY2(found.front()->inherits(kind), name);
    }
    for (const char* name : {"cmbNbTirage", "cmbEquipe"})
        QVERIFY2(!control<QComboBox>(*m_window, QString::fromLatin1(name))->isEditable(), name);
    const auto* teams = control<QComboBox>(*m_window, QStringLiteral("cmbEquipe"));
    for (int i = 0; i < teams->count(); ++i)
        QCOMPARE(teams->itemData(i), QVariant(0));
}

void TestLayout::startVisibility()
{
    for (const auto& [name, kind] : allControls) {
        const bool hidden =
            qstrcmp(name, "lblPourCent") == 0 || qstrcmp(name, "cmdStopProcess") == 0;
        QVERIFY2(widget(QString::fromLatin1(name))->isVisible() == !hidden, name);
    }
}

void TestLayout::captions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    const auto row = [](const char* name, const QString& text) {
        QTest::newRow(name) << QString::fromLatin1(name) << text;
    };
    row("lblListe", QStringLiteral("Entrez ou copiez une liste"));
    row("lblResult", QStringLiteral("Résultat du tirage"));
    row("Label3", QStringLiteral("=>"));
    row("Label5", QStringLiteral("Tirer"));
    row("Label1", QStringLiteral("Former des équipes de"));
    row("lblPourCent", QStringLiteral("0%"));
    row("cmdGo(0)", QStringLiteral("Go"));
    row("cmdGo(1)", QStringLiteral("Tirer un élément au hasard"));
    row("cmdGo(2)", QStringLiteral("Tous"));
    row("cmdGo(3)", QStringLiteral("Go"));
    row("cmdStopProcess", QStringLiteral("Arreter"));
    row("Command1", QStringLiteral("Info"));
    row("lblVelmora", QStringLiteral("by Velmora - ") + makerAddress());
}

void TestLayout::captions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    QCOMPARE(m_window->windowTitle(), QStringLiteral("Sortivo"));
    QCOMPARE(captionOf(widget(name)), text);
}

void TestLayout::toolButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("holder");
    QTest::addColumn<int>("iconSize");

    QTest::newRow("open") << QStringLiteral("cmdOpen") << QStringLiteral("Ouvrir un fichier Texte")
                          << QStringLiteral("Picture1(0)") << 16;
    QTest::newRow("numbers") << QStringLiteral("cmdNumList") << QStringLiteral("Liste numérique")
                             << QStringLiteral("Picture1(1)") << 20;
    QTest::newRow("save") << QStringLiteral("cmdSave")
                          << QStringLiteral("Enregistrer au format Texte")
                          << QStringLiteral("Picture1(2)") << 16;
    QTest::newRow("print") << QStringLiteral("cmdPrint") << QStringLiteral("Imprimer")
                           << QStringLiteral("Picture1(3)") << 16;
    QTest::newRow("clear") << QStringLiteral("cmdClearResult") << QStringLiteral("Effacer")
                           << QStringLiteral("Picture1(4)") << 16;
}

void TestLayout::toolButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, tip);
    QFETCH(QString, holder);
    QFETCH(int, iconSize);

    auto* b = control<QPushButton>(*m_window, button);
    auto* icon = control<IconHolder>(*m_window, holder);
    QVERIFY(b->text().isEmpty());
    QCOMPARE(b->toolTip(), tip);
    // Screen readers have nothing else to read on an icon-only button.
    QCOMPARE(b->accessibleName(), tip);

    QCOMPARE(icon->parentWidget(), b->parentWidget());
    QVERIFY(b->geometry().contains(icon->geometry().center()));
    QVERIFY(!icon->isEnabled());
    // A click on the icon lands on the button beneath it.
    QCOMPARE(b->parentWidget()->childAt(icon->geometry().center()), b);

    QCOMPARE(icon->iconSize(), QSize(iconSize, iconSize));
    QVERIFY(!icon->icon().pixmap(icon->iconSize()).isNull());
    // Disabled, yet drawn in colour: a greyed icon would have no saturated pixel at all.
    QVERIFY(maxSaturation(icon->grab().toImage()) > 150);
}

void TestLayout::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("linuxFamily");
    QTest::addColumn<double>("points");

    const QString comic = QStringLiteral("Comic Sans MS");
    const QString comicNeue = QStringLiteral("Comic Neue");
    const QString sans = QStringLiteral("MS Sans Serif");
    const QString dejaVu = QStringLiteral("DejaVu Sans");
    const auto row = [](const char* name, const QString& family, const QString& linux,
                        double points) {
        QTest::newRow(name) << QString::fromLatin1(name) << family << linux << points;
    };
    row("lblListe", comic, comicNeue, 14.25);
    row("lblResult", comic, comicNeue, 14.25);
    row("Label3", comic, comicNeue, 72);
    row("Label5", sans, dejaVu, 9.75);
    row("Label1", sans, dejaVu, 9.75);
    row("lblPourCent", sans, dejaVu, 12);
    row("txtListe", sans, dejaVu, 12);
    row("txtResult", sans, dejaVu, 12);
    // Controls that name no font take the window's default one.
    row("lblVelmora", sans, dejaVu, 8.25);
    row("Command1", sans, dejaVu, 8.25);
    row("cmdGo(1)", sans, dejaVu, 8.25);
    row("cmbNbTirage", sans, dejaVu, 8.25);
    row("cmdStopProcess", sans, dejaVu, 8.25);
}

void TestLayout::fonts()
{
    QFETCH(QString, name);
    QFETCH(QString, family);
    QFETCH(QString, linuxFamily);
    QFETCH(double, points);

    const QFont font = widget(name)->font();
    QCOMPARE(font.families().value(0), family);
    QVERIFY(font.families().contains(linuxFamily));
    QCOMPARE(font.pointSizeF(), points);
    QCOMPARE(font.weight(), QFont::Normal);
    QVERIFY(!font.italic());
}

void TestLayout::textColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("centred");

    QTest::newRow("lblListe") << QStringLiteral("lblListe") << darkGreen << false;
    QTest::newRow("lblResult") << QStringLiteral("lblResult") << darkGreen << false;
    QTest::newRow("Label3") << QStringLiteral("Label3") << darkGreen << true;
    QTest::newRow("lblPourCent") << QStringLiteral("lblPourCent") << blue << true;
    QTest::newRow("lblVelmora") << QStringLiteral("lblVelmora") << blue << true;
}

void TestLayout::textColours()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    QFETCH(bool, centred);

    auto* label = control<QLabel>(*m_window, name);
    QCOMPARE(label->palette().color(QPalette::WindowText), colour);
    QCOMPARE(label->alignment() == Qt::AlignCenter, centred);
}

void TestLayout::backgrounds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour"); // invalid: transparent, the container shows through

    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    const auto row = [](const char* name, const QColor& colour) {
        QTest::newRow(name) << QString::fromLatin1(name) << colour;
    };
    row("picMnu(0)", lightGreen);
    row("picMnu(1)", lightGreen);
    row("fraCentre", lightGreen);
    row("fraMenu", lightGreen);
    row("fraBas", buttonFace);
    row("lblPourCent", buttonFace);
    row("lblVelmora", buttonFace);
    row("lblListe", QColor());
    row("lblResult", QColor());
    row("Label3", QColor());
    row("Label5", QColor());
    row("Label1", QColor());
}

void TestLayout::backgrounds()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);

    QCOMPARE(m_window->palette().color(QPalette::Window), lightGreen);
    QVERIFY(m_window->autoFillBackground());
    QWidget* w = widget(name);
    QCOMPARE(w->autoFillBackground(), colour.isValid());
    if (colour.isValid())
        QCOMPARE(w->palette().color(w->backgroundRole()), colour);
}

void TestLayout::tabOrder_data()
{
    QTest::addColumn<bool>("stopShown");
    QTest::addColumn<QStringList>("order");

    const QStringList before = {"cmdOpen",     "cmdNumList", "cmdGo(1)",
                                "cmbNbTirage", "cmdGo(0)",   "cmdGo(2)"};
    // The screen and proof buttons sit in the bottom bar before "Info", as the bar reads.
    const QStringList after = {"cmdSave",  "cmdPrint", "cmdClearResult", "cmdLots", "cmdEcran", "cmdPreuve",
                               "Command1", "cmdGo(3)", "cmbEquipe",      "txtListe", "txtResult"};
    QTest::newRow("stop hidden") << false << before + after;
    QTest::newRow("stop shown") << true << before + QStringList{"cmdStopProcess"} + after;
}

void TestLayout::tabOrder()
{
    QFETCH(bool, stopShown);
    QFETCH(QStringList, order);

    widget(QStringLiteral("cmdStopProcess"))->setVisible(stopShown);
    QWidget* first = widget(QStringLiteral("cmdOpen"));
    QStringList seen;
    QWidget* w = first;
    do {
        if (takesTabFocus(w, m_window.get()))
            seen << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first && seen.size() <= order.size());
    QCOMPARE(seen, order);
}

void TestLayout::pictures()
{
    const QIcon icon = m_window->windowIcon();
    QVERIFY(!icon.isNull());
    for (int size : {16, 32})
        QVERIFY(icon.availableSizes().contains(QSize(size, size)));

    const QPixmap logo = control<QLabel>(*m_window, QStringLiteral("Image1"))->pixmap();
    QVERIFY(!logo.isNull());
    QCOMPARE(logo.deviceIndependentSize(), QSizeF(50, 50));
}

void TestLayout::keyboardShortcuts_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("button");

    QTest::newRow("Ctrl+O opens") << int(Qt::Key_O) << QStringLiteral("cmdOpen");
    QTest::newRow("Ctrl+S saves") << int(Qt::Key_S) << QStringLiteral("cmdSave");
    QTest::newRow("Ctrl+P prints") << int(Qt::Key_P) << QStringLiteral("cmdPrint");
}

void TestLayout::keyboardShortcuts()
{
    QFETCH(int, key);
    QFETCH(QString, button);

    // Only which button the key reaches matters here, not what the button then does.
    QList<std::pair<QString, std::shared_ptr<QSignalSpy>>> spies;
    for (const char* name : {"cmdOpen", "cmdSave", "cmdPrint"}) {
        auto* b = control<QPushButton>(*m_window, QString::fromLatin1(name));
        QObject::disconnect(b, &QAbstractButton::clicked, nullptr, nullptr);
        spies.append({QString::fromLatin1(name),
                      std::make_shared<QSignalSpy>(b, &QAbstractButton::clicked)});
    }
    QApplication::setActiveWindow(m_window.get());
    QTest::keyClick(widget(QStringLiteral("txtListe")), Qt::Key(key), Qt::ControlModifier);
    for (const auto& [name, spy] : spies)
        QCOMPARE(spy->count(), name == button ? 1 : 0);
}

void TestLayout::focusStartsOnOpen()
{
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(QApplication::focusWidget(), widget(QStringLiteral("cmdOpen")));
}

void TestLayout::tabLeavesTextBoxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("next");

    QTest::newRow("list") << QStringLiteral("txtListe") << QStringLiteral("txtResult");
    QTest::newRow("results") << QStringLiteral("txtResult") << QStringLiteral("cmdOpen");
}

void TestLayout::tabLeavesTextBoxes()
{
    QFETCH(QString, box);
    QFETCH(QString, next);

    auto* edit = control<QPlainTextEdit>(*m_window, box);
    setBoxLines(*edit, {QStringLiteral("Anne"), QStringLiteral("Paul")});
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), widget(next));
    QCOMPARE(boxLines(*edit), (QStringList{QStringLiteral("Anne"), QStringLiteral("Paul")}));
}

void TestLayout::headingsShowWholeLetters_data()
{
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("box");

    QTest::newRow("list") << QStringLiteral("lblListe") << QStringLiteral("txtListe");
    QTest::newRow("results") << QStringLiteral("lblResult") << QStringLiteral("txtResult");
}

void TestLayout::headingsShowWholeLetters()
{
    QFETCH(QString, heading);
    QFETCH(QString, box);

    // The text box covers the heading's lower part: every row of ink must lie above it.
    QWidget* label = widget(heading);
    const int visibleRows = widget(box)->y() - label->y();
    QVERIFY(visibleRows > 0 && visibleRows < label->height());
    const QImage image = label->grab().toImage();
    int lowestInk = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.green() - c.red() > 40 && c.red() < 150)
                lowestInk = y;
        }
    QVERIFY(lowestInk >= 0);
    QVERIFY2(lowestInk < visibleRows,
             qPrintable(
                 QStringLiteral("ink down to row %1, box at %2").arg(lowestInk).arg(visibleRows)));
}

QTEST_MAIN(TestLayout)
#include "test_layout.moc"
