#include "app/mainwindow.h"
#include "core/proof/proofsession.h"
#include "screen/pagedlist.h"
#include "screen/palmareslines.h"
#include "screen/screenfit.h"
#include "screen/screenwindow.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "support/mainwindowtest.h"
#include "support/proofsamples.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>

namespace
{

// WCAG's contrast ratio of two colours.
double contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// `length` characters cut from a run of names, with their spaces or without any.
QString entryOf(int length, bool spaces)
{
    const QString names = spaces ? QStringLiteral("Marie-Claire Dupont Hugo Léa ")
                                 : QStringLiteral("MarieClaireDupontHugoLéa");
    QString entry;
    while (entry.size() < length)
        entry += names;
    entry.truncate(length);
    if (entry.endsWith(u' '))
        entry.back() = u'x';
    return entry;
}

// `pattern` repeated and cut to `count` code points.
QString codePointsOf(const QString& pattern, qsizetype count)
{
    const QList<uint> points = pattern.toUcs4();
    QList<char32_t> out;
    out.reserve(count);
    while (out.size() < count)
        out << char32_t(points[out.size() % points.size()]);
    return QString::fromUcs4(out.constData(), out.size());
}

// Figures as the French write them, "12 345".
QString french(qsizetype number)
{
    const QLocale locale(QLocale::French);
    return locale.toString(number).replace(locale.groupSeparator(), QStringLiteral(" "));
}

QString grouped(const QString& commitment)
{
    QStringList groups;
    for (qsizetype i = 0; i < commitment.size(); i += 8)
        groups << commitment.mid(i, 8);
    return groups.join(u' ');
}

} // namespace

class TestScreen : public MainWindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void placement();
    void buttonAndKey();
    void fullScreenKeys();
    void pointerHidesAtRest();
    void followsTheBoxes_data();
    void followsTheBoxes();
    void prizes();
    void remoteKeys_data();
    void remoteKeys();
    void pages_data();
    void pages();
    void palmaresLines_data();
    void palmaresLines();
    void absentThroughLots_data();
    void absentThroughLots();
    void prizesFromFile_data();
    void prizesFromFile();
    void palmaresButton_data();
    void palmaresButton();
    void commitmentAndPublicValue();
    void revealEndsOnTheResult();
    void spaceEndsTheReveal();
    void fitRules_data();
    void fitRules();
    void nothingCutOrCovered();
    void contrastIsAAA();
    void spaceEndsTheReveal_data();
    void longEntries_data();
    void longEntries();
    void teams_data();
    void teams();
    void commitmentOnceCommunicated_data();
    void commitmentOnceCommunicated();

private:
    QWidget* screen() const { return control<QWidget>(*m_window, QStringLiteral("frmEcran")); }
    QLabel* label(const char* name) const
    {
        return control<QLabel>(*screen(), QLatin1String(name));
    }
    // A label's text as the audience reads it: the fitting only puts breaks in place of spaces.
    QString shown(const char* name) const { return label(name)->text().replace(u'\n', u' '); }
    PagedList* resultList() const
    {
        return control<PagedList>(*screen(), QStringLiteral("lstEcranResultats"));
    }
    // The page of results shown.
    QStringList items() const { return resultList()->shownTexts(); }
    // Every result of the session in draw order, as a session without prizes shows them.
    QStringList sessionResults() const
    {
        QStringList texts;
        for (const sortivo::RunRecord& run : m_window->proof().runs())
            for (std::size_t i = 0; i < run.results.size(); ++i)
                texts << QString::fromUtf8(run.results.at(i));
        return texts;
    }
    // tblPalmares of `prizes`, a row a line, its cells between bars.
    static QStringList palmaresRows(QDialog& prizes)
    {
        const auto* table = control<QTableWidget>(prizes, QStringLiteral("tblPalmares"));
        QStringList rows;
        for (int r = 0; r < table->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->columnCount(); ++c)
                cells << table->item(r, c)->text();
            rows << cells.join(u'|');
        }
        return rows;
    }
    QCheckBox* animation() const
    {
        return control<QCheckBox>(*screen(), QStringLiteral("chkAnimation"));
    }
    void openScreen(bool animated = false)
    {
        button(QStringLiteral("cmdEcran"))->click();
        QVERIFY(QTest::qWaitForWindowExposed(screen()));
        animation()->setChecked(animated);
    }
    // Serves the events that bring the screen in step.
    void settle() { QTest::qWait(20); }
    QString commitmentInDialog()
    {
        QString shownCommitment;
        m_platform->expectModal([&](QDialog& dialog) {
            shownCommitment = control<QLineEdit>(dialog, QStringLiteral("txtEngagement"))->text();
        });
        button(QStringLiteral("cmdPreuve"))->click();
        return shownCommitment;
    }

    // "Montrer au public" in the proof dialog.
    void showToAudience()
    {
        m_platform->expectModal([](QDialog& dialog) {
            control<QPushButton>(dialog, QStringLiteral("cmdMontrer"))->click();
        });
        button(QStringLiteral("cmdPreuve"))->click();
    }
};

void TestScreen::init()
{
    openWindow();
}

void TestScreen::cleanup()
{
    closeWindow();
}

void TestScreen::placement()
{
    openScreen();
    QWidget* s = screen();
    QCOMPARE(s->windowTitle(), QStringLiteral("Sortivo – Écran du public"));
    QVERIFY(s->isWindow());
    QVERIFY(!s->isModal());
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() >= 2) {
        // The projector: full screen on the screen the main window is not on.
        QVERIFY(s->isFullScreen());
        QVERIFY(s->screen() != m_window->screen());
        QCOMPARE(s->geometry(), s->screen()->geometry());
        QVERIFY(!animation()->isVisible());
    } else {
        QVERIFY(!s->isFullScreen());
        const QSize room = m_window->screen()->availableGeometry().size();
        QVERIFY(std::abs(s->width() - room.width() * 2 / 3) <= 2);
        QVERIFY(std::abs(s->height() - room.height() * 2 / 3) <= 2);
        QVERIFY(animation()->isVisible());
    }
    // The main window stays in use meanwhile, and closing the screen changes nothing there.
    setBoxLines(*list(), {QStringLiteral("Anne"), QStringLiteral("Paul")});
    go(1)->click();
    QCOMPARE(boxLines(*results()).size(), 1);
    s->close();
    QCOMPARE(boxLines(*results()).size(), 1);
    QCOMPARE(boxLines(*list()).size(), 1);
}

void TestScreen::buttonAndKey()
{
    QPushButton* cmdEcran = button(QStringLiteral("cmdEcran"));
    QPushButton* cmdPreuve = button(QStringLiteral("cmdPreuve"));
    QCOMPARE(cmdEcran->text(), QStringLiteral("Écran du public"));
    QCOMPARE(cmdEcran->parentWidget(), cmdPreuve->parentWidget());
    QCOMPARE(cmdEcran->size(), cmdPreuve->size());
    QVERIFY(cmdEcran->width() >= cmdEcran->sizeHint().width());
    QCOMPARE(cmdEcran->y(), cmdPreuve->y());
    QCOMPARE(cmdEcran->geometry().right() + 1 + 8, cmdPreuve->x());
    // Narrow, it hides rather than cover the link; wide again, it is back.
    QWidget* link = control<QWidget>(*m_window, QStringLiteral("lblVelmora"));
    m_window->resize(400, 400);
    QVERIFY(!cmdEcran->isVisible() || cmdEcran->x() > link->geometry().right() + 1);
    m_window->resize(m_window->minimumSize());
    QVERIFY(!cmdEcran->isVisible());
    m_window->resize(875, 501);
    QVERIFY(cmdEcran->isVisible());

    // F5 opens the screen, and brings it back to the front when it is open.
    QApplication::setActiveWindow(m_window.get());
    QTest::keyClick(list(), Qt::Key_F5);
    QVERIFY(QTest::qWaitForWindowExposed(screen()));
    QApplication::setActiveWindow(m_window.get());
    QTest::keyClick(list(), Qt::Key_F5);
    QVERIFY(screen()->isVisible());
    QCOMPARE(m_window->findChildren<QWidget*>(QStringLiteral("frmEcran")).size(), 1);
}

void TestScreen::fullScreenKeys()
{
    openScreen();
    QWidget* s = screen();
    if (!s->isFullScreen())
        QTest::keyClick(s, Qt::Key_F11);
    QVERIFY(s->isFullScreen());
    QTest::keyClick(s, Qt::Key_Escape);
    QVERIFY(!s->isFullScreen());
    QVERIFY(s->isVisible());
    QWidget* view = control<QWidget>(*s, QStringLiteral("vueEcran"));
    QTest::mouseDClick(view, Qt::LeftButton);
    QVERIFY(s->isFullScreen());
    QTest::keyClick(s, Qt::Key_F11);
    QVERIFY(!s->isFullScreen());
    QTest::keyClick(s, Qt::Key_Escape);
    QVERIFY(!s->isVisible());
}

void TestScreen::pointerHidesAtRest()
{
    openScreen();
    QWidget* s = screen();
    if (!s->isFullScreen())
        s->showFullScreen();
    QWidget* view = control<QWidget>(*s, QStringLiteral("vueEcran"));
    const auto move = [view](QPoint at) {
        QMouseEvent event(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    };
    move(view->rect().center());
    QCOMPARE(s->cursor().shape(), Qt::ArrowCursor);
    QTRY_COMPARE_WITH_TIMEOUT(s->cursor().shape(), Qt::BlankCursor, 3000);
    move(view->rect().center() + QPoint(5, 5));
    QCOMPARE(s->cursor().shape(), Qt::ArrowCursor);
    // Out of full screen the pointer stays, as on any window.
    s->showNormal();
    QTest::qWait(ScreenWindow::pointerRestMs + 100);
    QCOMPARE(s->cursor().shape(), Qt::ArrowCursor);
}

void TestScreen::followsTheBoxes_data()
{
    QTest::addColumn<std::function<void(TestScreen&)>>("act");

    const QStringList names = numberedNames(30);
    const auto row = [](const char* name, std::function<void(TestScreen&)> act) {
        QTest::newRow(name) << act;
    };
    row("draw one", [names](TestScreen& t) {
        setBoxLines(*t.list(), names);
        t.go(1)->click();
    });
    row("draw ten", [names](TestScreen& t) {
        setBoxLines(*t.list(), names);
        t.go(1)->click();
        t.drawCount()->setCurrentIndex(9);
        t.m_platform->expectYesNo(QStringLiteral("Effacer d'abord les résultats ?"), false);
        t.go(0)->click();
    });
    row("draw all", [names](TestScreen& t) {
        setBoxLines(*t.list(), names);
        t.m_platform->expectYesNo(QStringLiteral("Effacer d'abord les résultats ?"), false);
        t.go(2)->click();
    });
    row("long draw all", [](TestScreen& t) {
        setBoxLines(*t.list(), numberedNames(3000));
        t.m_platform->expectYesNo(QStringLiteral("Effacer d'abord les résultats ?"), false);
        t.go(2)->click();
        QVERIFY(waitForRun(*t.m_window));
    });
    row("clear", [names](TestScreen& t) {
        setBoxLines(*t.list(), names);
        t.go(1)->click();
        t.button(QStringLiteral("cmdClearResult"))->click();
    });
    row("edit by hand", [names](TestScreen& t) {
        setBoxLines(*t.list(), names);
        t.go(1)->click();
        t.results()->setFocus();
        t.results()->moveCursor(QTextCursor::End);
        QTest::keyClick(t.results(), Qt::Key_Return);
        QTest::keyClicks(t.results(), QStringLiteral("Ajout"));
        t.list()->moveCursor(QTextCursor::End);
        QTest::keyClick(t.list(), Qt::Key_Backspace);
    });
    row("open", [](TestScreen& t) {
        const QString path = t.m_dir->filePath(QStringLiteral("liste.txt"));
        QVERIFY(writeBytes(path, "Anne\r\nPaul\r\nZoé\r\n"));
        t.m_platform->expectOpenFile(path);
        t.button(QStringLiteral("cmdOpen"))->click();
        QVERIFY(waitForRun(*t.m_window));
    });
    row("numbering", [](TestScreen& t) {
        t.m_platform->expectText(QStringLiteral("Numérotation"),
                                 QStringLiteral("Numéroter jusqu'à"), QStringLiteral("100"),
                                 QStringLiteral("7"));
        t.button(QStringLiteral("cmdNumList"))->click();
        QVERIFY(waitForRun(*t.m_window));
    });
}

void TestScreen::followsTheBoxes()
{
    QFETCH(std::function<void(TestScreen&)>, act);

    openScreen();
    setBoxLines(*list(), {QStringLiteral("Avant")});
    go(1)->click();
    settle();
    act(*this);
    settle();

    // The results drawn in the session, whatever the box shows of them since (cleared, typed
    // in): the page that ends with the latest.
    const QStringList lines = sessionResults();
    QStringList expected;
    for (qsizetype i = 0; i < lines.size(); ++i)
        expected << QStringLiteral("%1. %2").arg(i + 1).arg(lines[i]);
    const QStringList page = items();
    QVERIFY(!page.isEmpty());
    QCOMPARE(page, expected.mid(expected.size() - page.size()));
    QCOMPARE(resultList()->paged(), page.size() < expected.size());
    QCOMPARE(shown("lblEcranGagnant"), lines.constLast());
    const auto left = list()->toPlainText().isEmpty() ? 0 : boxLines(*list()).size();
    QCOMPARE(shown("lblEcranCompte"),
             QStringLiteral("%1 %2 · %3 %4")
                 .arg(french(lines.size()))
                 .arg(lines.size() > 1 ? QStringLiteral("tirés") : QStringLiteral("tiré"))
                 .arg(french(left))
                 .arg(left > 1 ? QStringLiteral("restants") : QStringLiteral("restant")));
}

void TestScreen::prizes()
{
    openScreen();
    // Typed on the operator's screen; a blank line is no prize, and "2 ×" counts out two.
    control<QPlainTextEdit>(*m_window, QStringLiteral("txtLots"))
        ->setPlainText(QStringLiteral("Panier garni\n\n2 × Vélo"));
    setBoxLines(*list(), numberedNames(5));
    for (int i = 0; i < 3; ++i)
        go(1)->click();
    settle();
    const QStringList lines = boxLines(*results());
    QCOMPARE(items(), (QStringList{QStringLiteral("1. Panier garni : ") + lines[0],
                                   QStringLiteral("2. Vélo (1/2) : ") + lines[1],
                                   QStringLiteral("3. Vélo (2/2) : ") + lines[2]}));
    QCOMPARE(shown("lblEcranLot"), QStringLiteral("Lot 3 : Vélo (2/2)"));
    go(1)->click();
    settle();
    QCOMPARE(shown("lblEcranLot"), QString());
    QCOMPARE(items().constLast(), QStringLiteral("Suppléant 1 : ") + boxLines(*results())[3]);

    // The operator's palmarès: each prize's winner and run, then the reserves. Its button sits
    // left of the screen's, as wide.
    QPushButton* cmdLots = button(QStringLiteral("cmdLots"));
    QPushButton* cmdEcran = button(QStringLiteral("cmdEcran"));
    QCOMPARE(cmdLots->size(), cmdEcran->size());
    QVERIFY(cmdLots->geometry().right() < cmdEcran->x());
    cmdLots->click();
    auto* prizes = control<QDialog>(*m_window, QStringLiteral("frmLots"));
    QVERIFY(prizes->isVisible() && !prizes->isModal());
    const QStringList drawn = boxLines(*results());
    QCOMPARE(palmaresRows(*prizes),
             (QStringList{QStringLiteral("1|Panier garni|%1|1|gagnant").arg(drawn[0]),
                          QStringLiteral("2|Vélo (1/2)|%1|2|gagnant").arg(drawn[1]),
                          QStringLiteral("3|Vélo (2/2)|%1|3|gagnant").arg(drawn[2]),
                          QStringLiteral("||%1|4|suppléant n° 1").arg(drawn[3])}));

    control<QPlainTextEdit>(*prizes, QStringLiteral("txtLots"))
        ->setPlainText(QStringLiteral("Vélo\n0 × Stylo"));
    QCOMPARE(control<QLabel>(*prizes, QStringLiteral("lblLotsRefus"))->text(),
             QStringLiteral("Ligne 2 : « 0 × Stylo » : un lot se compte de 1 à 10\u202f000 fois."));
    prizes->close();
}

void TestScreen::pages_data()
{
    QTest::addColumn<int>("key"); // 0: none, the page turns by itself

    QTest::newRow("down arrow") << int(Qt::Key_Down);
    QTest::newRow("up arrow") << int(Qt::Key_Up);
    QTest::newRow("eight seconds") << 0;
}

// Fifty winners on a screen that holds fewer: every one on some page, whole, in letters of a
// fortieth of the height at least.
void TestScreen::pages()
{
    QFETCH(int, key);

    openScreen();
    screen()->showNormal();
    screen()->resize(1920, 1080);
    QStringList prizes;
    for (int i = 1; i <= 50; ++i)
        prizes << QStringLiteral("Bon d'achat de %1 € au marché de Noël de la place").arg(i);
    control<QPlainTextEdit>(*m_window, QStringLiteral("txtLots"))->setPlainText(prizes.join(u'\n'));
    setBoxLines(*list(), numberedNames(50));
    go(2)->click();
    settle();
    const QStringList drawn = sessionResults();
    QStringList expected;
    for (int i = 0; i < 50; ++i)
        expected << QStringLiteral("%1. %2 : %3").arg(i + 1).arg(prizes[i], drawn[i]);

    // The latest on the page shown first.
    PagedList* pages = resultList();
    QVERIFY(pages->paged());
    QCOMPARE(items().constLast(), expected.constLast());
    const int height = control<QWidget>(*screen(), QStringLiteral("vueEcran"))->height();
    QStringList seen;
    for (int turn = 0; turn < 50 && seen.size() < expected.size(); ++turn) {
        const QStringList before = items();
        QVERIFY(pages->shownPixelSize() * 40 >= height);
        const QList<QRect> boxes = pages->shownBoxes();
        for (qsizetype i = 0; i < boxes.size(); ++i) {
            QVERIFY(pages->rect().contains(boxes[i]));
            for (qsizetype j = 0; j < i; ++j)
                QVERIFY(!boxes[i].intersects(boxes[j]));
        }
        for (const QString& line : before)
            if (!seen.contains(line))
                seen << line;
        if (key != 0) {
            QTest::keyClick(screen(), Qt::Key(key));
        } else {
            // Back a page by hand first, so that the turn is not the one from the last page.
            QTest::keyClick(screen(), Qt::Key_Up);
            const QStringList turnedFrom = items();
            QTRY_VERIFY_WITH_TIMEOUT(items() != turnedFrom, PagedList::pageTurnMs + 1000);
            // Turned forward: to the next results, or from the last back to the first.
            const qsizetype last = expected.indexOf(turnedFrom.constLast());
            QCOMPARE(items().constFirst(), expected[last + 1 < expected.size() ? last + 1 : 0]);
            return;
        }
        QVERIFY(items() != before);
    }
    seen.sort();
    expected.sort();
    QCOMPARE(seen, expected);
    // Paging draws nothing.
    QCOMPARE(sessionResults(), drawn);
}

void TestScreen::palmaresLines_data()
{
    QTest::addColumn<QStringList>("prizes");
    // "draw N" draws N from what is left, "teams N S" N in teams of S, "absent R K why" declares
    // result K of run R absent.
    QTest::addColumn<QStringList>("steps");
    // {n} stands for the n-th result drawn; [...] is struck through.
    QTest::addColumn<QStringList>("lines");

    const QStringList twoPrizes{QStringLiteral("Vélo"), QStringLiteral("Entrée au parc Vulcania")};
    QTest::newRow("no prize") << QStringList() << QStringList{"draw 2"}
                              << QStringList{"1. {1}", "2. {2}"};
    QTest::newRow("winners, then reserves")
        << twoPrizes << QStringList{"draw 4"}
        << QStringList{"1. Vélo : {1}", "2. Entrée au parc Vulcania : {2}", "Suppléant 1 : {3}",
                       "Suppléant 2 : {4}"};
    QTest::newRow("absent, the prize to the first reserve")
        << twoPrizes << QStringList{"draw 4", "absent 1 1 absent"}
        << QStringList{"[1. Vélo : {1}] (absent)", "2. Entrée au parc Vulcania : {2}",
                       "1. Vélo : {3}", "Suppléant 1 : {4}"};
    QTest::newRow("absent without reserve: put back")
        << twoPrizes << QStringList{"draw 2", "absent 1 2 absent"}
        << QStringList{"1. Vélo : {1}", "[2. Entrée au parc Vulcania : {2}] (absent)",
                       "Lot 2 : Entrée au parc Vulcania – remis en jeu (absent)"};
    QTest::newRow("put back, then won by the next drawn")
        << twoPrizes << QStringList{"draw 2", "absent 1 2 absent", "draw 1"}
        << QStringList{"1. Vélo : {1}", "[2. Entrée au parc Vulcania : {2}] (absent)",
                       "2. Entrée au parc Vulcania : {3}"};
    QTest::newRow("a reserve absent")
        << QStringList{QStringLiteral("Vélo")} << QStringList{"draw 3", "absent 1 2 renonce"}
        << QStringList{"1. Vélo : {1}", "[{2}] (renonce)", "Suppléant 1 : {3}"};
    QTest::newRow("teams take no prize")
        << QStringList{QStringLiteral("Vélo")} << QStringList{"teams 5 2", "draw 1"}
        << QStringList{"Équipe 1 : {1} - {2}", "Équipe 2 : {3} - {4}", "Équipe 3 : {5}",
                       "1. Vélo : {6}"};
}

void TestScreen::palmaresLines()
{
    QFETCH(QStringList, prizes);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, lines);

    sortivo::ProofSession session(proofsamples::sampleSeed());
    std::vector<std::string> prizeTexts;
    for (const QString& prize : prizes)
        prizeTexts.push_back(prize.toStdString());
    QVERIFY(session.setPrizes(prizeTexts));
    std::string left = proofsamples::numbered(20, "Nom ");
    for (const QString& step : steps) {
        const QStringList words = step.split(u' ');
        if (words[0] == QLatin1String("draw"))
            left = proofsamples::click(session, left, sortivo::DrawMode::Chosen, words[1].toInt());
        else if (words[0] == QLatin1String("teams"))
            left = proofsamples::click(session, left, sortivo::DrawMode::Teams, 0, words[2].toInt(),
                                       words[1].toInt());
        else
            QVERIFY(session.declareAbsent(words[1].toInt(), words[2].toULongLong(),
                                          words[3].toStdString(), "2026-12-07T20:30:00Z"));
    }
    QStringList drawn;
    for (const sortivo::RunRecord& run : session.runs())
        for (std::size_t i = 0; i < run.results.size(); ++i)
            drawn << QString::fromUtf8(run.results.at(i));

    const PalmaresLines palmares(session);
    QCOMPARE(palmares.lineCount(palmares.resultCount()), std::size_t(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString text = lines[i];
        for (qsizetype r = drawn.size(); r >= 1; --r)
            text.replace(QStringLiteral("{%1}").arg(r), drawn[r - 1]);
        const qsizetype struck = text.startsWith(u'[') ? text.indexOf(u']') - 1 : 0;
        text.remove(u'[').remove(u']');
        const PalmaresLine line = palmares.line(std::size_t(i), palmares.resultCount());
        QCOMPARE(line.text, text);
        QCOMPARE(line.struck, struck);
    }
}

void TestScreen::absentThroughLots_data()
{
    QTest::addColumn<int>("draws");
    // The row of tblPalmares declared absent, and why.
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("drawsAfter");
    // tblPalmares' rows, then the screen's last line; {n} is the n-th result drawn.
    QTest::addColumn<QStringList>("palmares");
    QTest::addColumn<QString>("screenLast");

    QTest::newRow("to the earliest reserve")
        << 4 << 0 << "renonce" << 0
        << QStringList{"1|Vélo|{3}|3|gagnant", "2|Livre|{2}|2|gagnant",
                       "|Vélo|{1}|1|absent : renonce", "||{4}|4|suppléant n° 1"}
        << "Suppléant 1 : {4}";
    QTest::newRow("no reserve: put back, a reason typed")
        << 2 << 1 << "parti avant la fin" << 0
        << QStringList{"1|Vélo|{1}|1|gagnant", "2|Livre|||remis en jeu (parti avant la fin)",
                       "|Livre|{2}|2|absent : parti avant la fin"}
        << "Lot 2 : Livre – remis en jeu (parti avant la fin)";
    QTest::newRow("put back, then to the next drawn")
        << 2 << 1 << "absent" << 1
        << QStringList{"1|Vélo|{1}|1|gagnant", "2|Livre|{3}|3|gagnant",
                       "|Livre|{2}|2|absent : absent"}
        << "2. Livre : {3}";
}

// The prizes typed in frmLots are fixed once communicated; a winner declared absent there keeps
// the result, and the prize goes on at once.
void TestScreen::prizesFromFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // none: the file is not there
    QTest::addColumn<QString>("column");   // the one column left ticked in frmColonnes
    QTest::addColumn<QString>("prizes");   // what txtLots then holds
    QTest::addColumn<QString>("refusal");

    const QString typed = QStringLiteral("Tapé à la main");
    QTest::newRow("text file, one a line")
        << "lots.txt" << QByteArray("V\xc3\xa9lo\r\n2 \xc3\x97 Livre\r\n") << QString()
        << QStringLiteral("Vélo\n2 × Livre") << QString();
    QTest::newRow("one column of a table")
        << "lots.csv" << QByteArray("Lot;Donateur\nV\xc3\xa9lo;Mairie\nLivre;Librairie\n") << "Lot"
        << QStringLiteral("Vélo\nLivre") << QString();
    QTest::newRow("choice of columns cancelled")
        << "lots.csv" << QByteArray("Lot;Donateur\nVelo;Mairie\n") << "-" << typed << QString();
    QTest::newRow("open cancelled") << "" << QByteArray() << QString() << typed << QString();
    QTest::newRow("not there") << "absent.txt" << QByteArray() << QString() << typed
                               << QStringLiteral("absent.txt");
}

// "Ouvrir…" fills the prizes as Open fills the list: a text file, or one column of a table
// through the same column dialog; what cannot be read is told with its path, and changes
// nothing.
void TestScreen::prizesFromFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, column);
    QFETCH(QString, prizes);
    QFETCH(QString, refusal);

    button(QStringLiteral("cmdLots"))->click();
    auto* dialog = control<QDialog>(*m_window, QStringLiteral("frmLots"));
    auto* prizeLines = control<QPlainTextEdit>(*dialog, QStringLiteral("txtLots"));
    prizeLines->setPlainText(QStringLiteral("Tapé à la main"));
    const QString path = name.isEmpty() ? QString() : m_dir->filePath(name);
    if (!bytes.isEmpty())
        QVERIFY(writeBytes(path, bytes));
    m_platform->expectOpenFile(path);
    if (!column.isEmpty())
        m_platform->expectModal([&](QDialog& columns) {
            QCOMPARE(columns.objectName(), QStringLiteral("frmColonnes"));
            if (column == QLatin1String("-")) {
                columns.reject();
                return;
            }
            auto* list = control<QListWidget>(columns, QStringLiteral("lstColonnes"));
            for (int row = 0; row < list->count(); ++row)
                list->item(row)->setCheckState(list->item(row)->text() == column ? Qt::Checked
                                                                                 : Qt::Unchecked);
            control<QPushButton>(columns, QStringLiteral("cmdOK"))->click();
            QTRY_COMPARE(columns.result(), int(QDialog::Accepted));
        });
    if (!refusal.isEmpty())
        m_platform->expectWarning(QStringLiteral("Lots"), {refusal});
    control<QPushButton>(*dialog, QStringLiteral("cmdLotsOuvrir"))->click();
    QTRY_VERIFY(m_platform->done());
    QTRY_VERIFY(!m_platform->busy());
    QCOMPARE(prizeLines->toPlainText(), prizes);
    // Taken as typed: fixed with the commitment, and undone with Ctrl+Z.
    if (prizes != QStringLiteral("Tapé à la main")) {
        QCOMPARE(m_window->proof().prizes().front(), std::string("Vélo"));
        prizeLines->undo();
        QCOMPARE(prizeLines->toPlainText(), QStringLiteral("Tapé à la main"));
    }
    dialog->close();
}

void TestScreen::absentThroughLots()
{
    QFETCH(int, draws);
    QFETCH(int, row);
    QFETCH(QString, reason);
    QFETCH(int, drawsAfter);
    QFETCH(QStringList, palmares);
    QFETCH(QString, screenLast);

    openScreen();
    button(QStringLiteral("cmdLots"))->click();
    auto* prizes = control<QDialog>(*m_window, QStringLiteral("frmLots"));
    auto* prizeLines = control<QPlainTextEdit>(*prizes, QStringLiteral("txtLots"));
    typeText(prizeLines, QStringLiteral("Vélo"));
    QTest::keyClick(prizeLines, Qt::Key_Return);
    typeText(prizeLines, QStringLiteral("Livre"));
    showToAudience();
    QVERIFY(prizeLines->isReadOnly());
    QVERIFY(!control<QPushButton>(*prizes, QStringLiteral("cmdLotsOuvrir"))->isEnabled());
    QTest::keyClick(prizeLines, Qt::Key_Return);
    typeText(prizeLines, QStringLiteral("Trottinette"));
    QCOMPARE(prizeLines->toPlainText(), QStringLiteral("Vélo\nLivre"));
    QCOMPARE(m_window->proof().prizes(), (std::vector<std::string>{"Vélo", "Livre"}));

    setBoxLines(*list(), numberedNames(8));
    for (int i = 0; i < draws; ++i)
        go(1)->click();
    const QStringList drawnBefore = boxLines(*results());
    auto* table = control<QTableWidget>(*prizes, QStringLiteral("tblPalmares"));
    table->setCurrentCell(row, 2);
    m_platform->expectModal([&](QDialog& dialog) {
        control<QComboBox>(dialog, QStringLiteral("cmbMotif"))->setCurrentText(reason);
        dialog.accept();
    });
    control<QPushButton>(*prizes, QStringLiteral("cmdAbsent"))->click();
    for (int i = 0; i < drawsAfter; ++i)
        go(1)->click();
    settle();

    // Drawn is drawn: the results stay as they were.
    QCOMPARE(boxLines(*results()).mid(0, draws), drawnBefore);
    const QStringList drawn = sessionResults();
    const auto withResults = [&](QString text) {
        for (qsizetype r = drawn.size(); r >= 1; --r)
            text.replace(QStringLiteral("{%1}").arg(r), drawn[r - 1]);
        return text;
    };
    QStringList expected;
    for (const QString& line : palmares)
        expected << withResults(line);
    QCOMPARE(palmaresRows(*prizes), expected);
    QCOMPARE(items().constLast(), withResults(screenLast));
    QCOMPARE(m_window->proof().absences().size(), std::size_t(1));
    prizes->close();
}

void TestScreen::palmaresButton_data()
{
    QTest::addColumn<int>("draws");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("none drawn") << 0 << false;
    QTest::newRow("two prizes of three") << 2 << false;
    QTest::newRow("every prize") << 3 << true;
    QTest::newRow("and reserves") << 5 << true;
}

// "Afficher le palmarès" once every prize is won: the title and every result instead of the
// latest winner, until the next draw.
void TestScreen::palmaresButton()
{
    QFETCH(int, draws);
    QFETCH(bool, enabled);

    openScreen();
    button(QStringLiteral("cmdLots"))->click();
    auto* prizes = control<QDialog>(*m_window, QStringLiteral("frmLots"));
    control<QLineEdit>(*prizes, QStringLiteral("txtEcranTitre"))
        ->setText(QStringLiteral("Tombola de l'école"));
    control<QPlainTextEdit>(*prizes, QStringLiteral("txtLots"))
        ->setPlainText(QStringLiteral("Vélo\nPanier garni\nLivre"));
    setBoxLines(*list(), numberedNames(8));
    for (int i = 0; i < draws; ++i)
        go(1)->click();
    auto* cmdPalmares = control<QPushButton>(*prizes, QStringLiteral("cmdPalmares"));
    QCOMPARE(cmdPalmares->text(), QStringLiteral("Afficher le palmarès"));
    QCOMPARE(cmdPalmares->isEnabled(), enabled);
    prizes->close();
    if (!enabled)
        return;

    screen()->close();
    cmdPalmares->click();
    QVERIFY(QTest::qWaitForWindowExposed(screen()));
    settle();
    QCOMPARE(shown("lblEcranTitre"), QStringLiteral("Tombola de l'école"));
    QVERIFY(!label("lblEcranGagnant")->isVisible());
    QVERIFY(!label("lblEcranLot")->isVisible());
    const QStringList drawn = sessionResults();
    QStringList expected{QStringLiteral("1. Vélo : ") + drawn[0],
                         QStringLiteral("2. Panier garni : ") + drawn[1],
                         QStringLiteral("3. Livre : ") + drawn[2]};
    for (int i = 3; i < draws; ++i)
        expected << QStringLiteral("Suppléant %1 : %2").arg(i - 2).arg(drawn[i]);
    QCOMPARE(items(), expected);

    go(1)->click();
    settle();
    QVERIFY(label("lblEcranGagnant")->isVisible());
    QCOMPARE(shown("lblEcranGagnant"), sessionResults().constLast());
}

void TestScreen::commitmentAndPublicValue()
{
    // "Montrer au public" communicates the commitment and opens the screen on it.
    QString commitment;
    m_platform->expectModal([&](QDialog& dialog) {
        commitment = control<QLineEdit>(dialog, QStringLiteral("txtEngagement"))->text();
        control<QPushButton>(dialog, QStringLiteral("cmdMontrer"))->click();
    });
    button(QStringLiteral("cmdPreuve"))->click();
    QVERIFY(QTest::qWaitForWindowExposed(screen()));
    animation()->setChecked(false);
    screen()->showFullScreen();
    settle();
    // With the list it fixes: here the empty one.
    QCOMPARE(shown("lblEcranEngagement"),
             QStringLiteral("Engagement : ") + grouped(commitment) +
                 QStringLiteral(" · Liste : 0 entrée, empreinte e3b0c44298fc1c14 …"));
    QVERIFY(!label("lblEcranValeur")->isVisible());
    const int large = label("lblEcranEngagement")->font().pixelSize();

    m_platform->expectModal([](QDialog& dialog) {
        auto* value = control<QLineEdit>(dialog, QStringLiteral("txtValeurPublique"));
        typeText(value, QStringLiteral("dés 4 2"));
    });
    button(QStringLiteral("cmdPreuve"))->click();
    settle();
    QVERIFY(label("lblEcranValeur")->isVisible());
    QCOMPARE(shown("lblEcranValeur"), QStringLiteral("Valeur publique : dés 4 2"));

    // Once runs have begun the commitment stays, smaller.
    setBoxLines(*list(), {QStringLiteral("Anne"), QStringLiteral("Paul")});
    go(1)->click();
    settle();
    QVERIFY(shown("lblEcranEngagement")
                .startsWith(QStringLiteral("Engagement : ") + grouped(commitment) +
                            QStringLiteral(" · Liste : 0 entrée")));
    const int small = label("lblEcranEngagement")->font().pixelSize();
    QVERIFY(small < large);

    // A saved record, and the new session's commitment shown: large again, and no public value
    // yet.
    m_platform->expectModal([this](QDialog& dialog) {
        m_platform->expectSaveFile(m_dir->filePath(QStringLiteral("pv.json")));
        control<QPushButton>(dialog, QStringLiteral("cmdEnregistrerPV"))->click();
        control<QPushButton>(dialog, QStringLiteral("cmdMontrer"))->click();
    });
    button(QStringLiteral("cmdPreuve"))->click();
    settle();
    const QString next = commitmentInDialog();
    QVERIFY(next != commitment);
    QVERIFY(shown("lblEcranEngagement")
                .startsWith(QStringLiteral("Engagement : ") + grouped(next) +
                            QStringLiteral(" · Liste : 1 entrée, empreinte ")));
    QVERIFY(label("lblEcranEngagement")->font().pixelSize() > small);
    QVERIFY(!label("lblEcranValeur")->isVisible());
}

void TestScreen::revealEndsOnTheResult()
{
    openScreen(true);
    setBoxLines(*list(), numberedNames(8));
    QElapsedTimer clock;
    clock.start();
    go(1)->click();
    // Drawn and written before the show starts; the window does not wait for it.
    QVERIFY(!m_window->busyState().running());
    const QString result = results()->toPlainText();
    QCOMPARE(boxLines(*results()).size(), 1);
    QVERIFY(items().isEmpty());
    QString runs;
    m_platform->expectModal([&](QDialog& dialog) {
        runs = control<QPlainTextEdit>(dialog, QStringLiteral("txtTirages"))->toPlainText();
    });
    button(QStringLiteral("cmdPreuve"))->click();

    QTRY_COMPARE_WITH_TIMEOUT(items().size(), 1, 2500);
    QVERIFY(clock.elapsed() <= 1500 + 300);
    QCOMPARE(shown("lblEcranGagnant"), result);
    QCOMPARE(results()->toPlainText(), result);
    m_platform->expectModal([&](QDialog& dialog) {
        QCOMPARE(control<QPlainTextEdit>(dialog, QStringLiteral("txtTirages"))->toPlainText(),
                 runs);
    });
    button(QStringLiteral("cmdPreuve"))->click();
}

void TestScreen::spaceEndsTheReveal_data()
{
    QTest::addColumn<std::function<void(TestScreen&)>>("act");

    const auto row = [](const char* name, std::function<void(TestScreen&)> act) {
        QTest::newRow(name) << act;
    };
    row("space on the screen", [](TestScreen& t) { QTest::keyClick(t.screen(), Qt::Key_Space); });
    row("enter on the screen", [](TestScreen& t) { QTest::keyClick(t.screen(), Qt::Key_Return); });
    row("page down on the screen",
        [](TestScreen& t) { QTest::keyClick(t.screen(), Qt::Key_PageDown); });
    row("click on the screen", [](TestScreen& t) {
        QTest::mouseClick(control<QWidget>(*t.screen(), QStringLiteral("vueEcran")),
                          Qt::LeftButton);
    });
    // The focus stays on the button that drew.
    row("space on the draw button", [](TestScreen& t) {
        QApplication::setActiveWindow(t.m_window.get());
        t.go(1)->setFocus();
        QTest::keyClick(t.go(1), Qt::Key_Space);
    });
    row("enter in the list", [](TestScreen& t) {
        QApplication::setActiveWindow(t.m_window.get());
        t.list()->setFocus();
        QTest::keyClick(t.list(), Qt::Key_Enter);
    });
    row("click on a draw button", [](TestScreen& t) { t.go(1)->click(); });
    row("click on draw all", [](TestScreen& t) { t.go(2)->click(); });
}

// A presenter's remote draws from the screen: "next" draws one as cmdGo(1) does, "previous"
// does nothing.
void TestScreen::remoteKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("draws");
    QTest::newRow("page down") << int(Qt::Key_PageDown) << 1;
    QTest::newRow("right arrow") << int(Qt::Key_Right) << 1;
    QTest::newRow("page up") << int(Qt::Key_PageUp) << 0;
    QTest::newRow("left arrow") << int(Qt::Key_Left) << 0;
}

void TestScreen::remoteKeys()
{
    QFETCH(int, key);
    QFETCH(int, draws);
    openScreen();
    setBoxLines(*list(), numberedNames(5));
    QTest::keyClick(screen(), Qt::Key(key));
    settle();
    QCOMPARE(boxLines(*results()).size(), draws);
    QCOMPARE(m_window->proof().runs().size(), std::size_t(draws));
}

void TestScreen::spaceEndsTheReveal()
{
    QFETCH(std::function<void(TestScreen&)>, act);

    openScreen();
    setBoxLines(*list(), numberedNames(8));
    go(1)->click();
    animation()->setChecked(true);
    drawCount()->setCurrentIndex(2);
    m_platform->expectYesNo(QStringLiteral("Effacer d'abord les résultats ?"), false);
    go(0)->click();
    QVERIFY(items().size() < 4);
    const QString listText = list()->toPlainText();

    act(*this);
    // The roll is over, and nothing else happened.
    const QStringList lines = boxLines(*results());
    QCOMPARE(lines.size(), 4);
    QCOMPARE(m_window->proof().runs().size(), std::size_t(2));
    QCOMPARE(list()->toPlainText(), listText);
    QCOMPARE(items().size(), 4);
    QCOMPARE(shown("lblEcranGagnant"), lines.back());

    // The keys type again, and the next click draws; without the box checked, results show at
    // once.
    list()->moveCursor(QTextCursor::End);
    QTest::keyClick(list(), Qt::Key_Space);
    QCOMPARE(list()->toPlainText(), listText + u' ');
    QTest::keyClick(list(), Qt::Key_Backspace);
    animation()->setChecked(false);
    go(1)->click();
    QCOMPARE(boxLines(*results()).size(), 5);
    QCOMPARE(items().size(), 5);
}

void TestScreen::fitRules_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("entry");

    for (const QSize size : {QSize(1920, 1080), QSize(1024, 768)})
        for (const int length : {1, 20, 60, 300})
            for (const bool spaces : {true, false})
                QTest::addRow("%dx%d, %d characters%s", size.width(), size.height(), length,
                              spaces ? "" : ", no space")
                    << size << entryOf(length, spaces);
}

void TestScreen::fitRules()
{
    QFETCH(QSize, size);
    QFETCH(QString, entry);

    openScreen();
    const QFont font = label("lblEcranGagnant")->font();
    const TextRoom room = screenBoxes(size, false).winner;
    const FittedText fitted = fitText(entry, font, room);
    QFont sized = font;
    sized.setPixelSize(fitted.pixelSize);

    // Never cut: the whole text, only broken at spaces, within its box.
    QCOMPARE(QString(fitted.text).replace(u'\n', u' '), entry);
    QVERIFY(room.box.contains(drawnRect(fitted.text, sized, room.box)));
    QVERIFY(fitted.lines <= 3);
    if (!entry.contains(u' '))
        QCOMPARE(fitted.lines, 1);
    if (entry.size() <= 20 && size == QSize(1920, 1080)) {
        QVERIFY2(fitted.pixelSize >= size.height() / 8,
                 qPrintable(QString::number(fitted.pixelSize)));
    }
    // Shrunk only as much as needed: one pixel more no longer fits, on as many lines.
    if (fitted.pixelSize < room.maxPixels) {
        TextRoom bigger = room;
        bigger.maxPixels = fitted.pixelSize + 1;
        bigger.oneLineFloor = 0;
        const FittedText next = fitText(entry, font, bigger);
        QVERIFY(next.pixelSize <= fitted.pixelSize || next.lines > fitted.lines);
    }
}

void TestScreen::nothingCutOrCovered()
{
    openScreen();
    QWidget* s = screen();
    if (!s->isFullScreen())
        s->showFullScreen();
    // The prizes are fixed when the commitment is shown.
    control<QPlainTextEdit>(*m_window, QStringLiteral("txtLots"))->setPlainText(entryOf(200, true));
    showToAudience();
    control<QLineEdit>(*m_window, QStringLiteral("txtEcranTitre"))->setText(entryOf(120, true));
    setBoxLines(*list(), {entryOf(300, true), entryOf(300, false)});
    go(1)->click();
    settle();
    QList<QRect> taken;
    for (const char* name : {"lblEcranTitre", "lblEcranEngagement", "lblEcranLot",
                             "lblEcranGagnant", "lblEcranCompte"}) {
        QLabel* l = label(name);
        QVERIFY2(!l->text().isEmpty(), name);
        QVERIFY2(l->rect().contains(drawnRect(l->text(), l->font(), l->rect())), name);
        for (const QRect& other : taken)
            QVERIFY2(!other.intersects(l->geometry()), name);
        taken << l->geometry();
    }
    auto* results = control<QWidget>(*s, QStringLiteral("lstEcranResultats"));
    for (const QRect& other : taken)
        QVERIFY(!other.intersects(results->geometry()));
}

void TestScreen::contrastIsAAA()
{
    openScreen();
    for (const char* name : {"lblEcranTitre", "lblEcranEngagement", "lblEcranValeur", "lblEcranLot",
                             "lblEcranGagnant", "lblEcranCompte"}) {
        const QPalette pal = label(name)->palette();
        QVERIFY2(contrast(pal.color(QPalette::WindowText), pal.color(QPalette::Window)) >= 7, name);
    }
    const QPalette pal = resultList()->palette();
    QVERIFY(contrast(pal.color(QPalette::WindowText), pal.color(QPalette::Window)) >= 7);
}

void TestScreen::longEntries_data()
{
    QTest::addColumn<QString>("entry");

    const auto row = [](const char* name, const QString& pattern) {
        QTest::newRow(name) << codePointsOf(pattern, 100000);
    };
    row("right-to-left marks and Arabic",
        QStringLiteral("\u200F\u202Eمحمد عبد الله\u200E \u2067سارة\u2069 "));
    row("emoji", QStringLiteral("👩\u200D👩\u200D👧\u200D👦🎉🇫🇷😀"));
    row("combining accents", QStringLiteral("e\u0301\u0323a\u0308\u0304o\u0302 "));
    row("one letter", QStringLiteral("a"));
    row("names", QStringLiteral("Marie-Claire Dupont "));
}

void TestScreen::longEntries()
{
    QFETCH(QString, entry);

    openScreen();
    setBoxLines(*list(), {entry});
    go(1)->click();
    settle();
    QCOMPARE(results()->toPlainText(), entry);

    // A bounded beginning of the entry, then its length; the same in the list of results.
    const QString ending = QStringLiteral("… (100 000 caractères)");
    const QStringList shownItems = items();
    QCOMPARE(shownItems.size(), 1);
    QVERIFY(shownItems[0].startsWith(QStringLiteral("1. ")));
    for (const QString& text : {shown("lblEcranGagnant"), shownItems[0].mid(3)}) {
        QVERIFY2(text.endsWith(ending), qPrintable(text.right(40)));
        // Isolated, so that the length reads left to right whatever the beginning holds.
        const QString isolated = text.chopped(ending.size());
        QVERIFY(isolated.startsWith(QChar(0x2068)) && isolated.endsWith(QChar(0x2069)));
        const QString beginning = isolated.mid(1, isolated.size() - 2);
        QVERIFY(beginning.toUcs4().size() <= 300);
        QVERIFY(beginning.toUcs4().size() >= 10);
        QVERIFY(entry.startsWith(beginning));
    }
    // The winner is seen: in its box, never smaller than the results under it.
    QLabel* winner = label("lblEcranGagnant");
    QVERIFY(winner->isVisible());
    QVERIFY(winner->rect().contains(drawnRect(winner->text(), winner->font(), winner->rect())));
    const int listPixels =
        screenBoxes(control<QWidget>(*screen(), QStringLiteral("vueEcran"))->size(), false)
            .resultsPixels;
    QVERIFY2(winner->font().pixelSize() >= listPixels,
             qPrintable(QStringLiteral("%1 < %2").arg(winner->font().pixelSize()).arg(listPixels)));
}

void TestScreen::teams_data()
{
    QTest::addColumn<int>("people");
    QTest::addColumn<int>("teamSize");
    QTest::addColumn<QString>("counts");

    QTest::newRow("31 pupils in fours") << 31 << 4 << QStringLiteral("8 équipes · 31 personnes");
    QTest::newRow("two in twos") << 2 << 2 << QStringLiteral("1 équipe · 2 personnes");
    QTest::newRow("three in tens") << 3 << 10 << QStringLiteral("1 équipe · 3 personnes");
    QTest::newRow("60 in threes") << 60 << 3 << QStringLiteral("20 équipes · 60 personnes");
    QTest::newRow("250 in twos") << 250 << 2 << QStringLiteral("125 équipes · 250 personnes");
}

void TestScreen::teams()
{
    QFETCH(int, people);
    QFETCH(int, teamSize);
    QFETCH(QString, counts);

    openScreen(true);
    screen()->showFullScreen();
    setBoxLines(*list(), numberedNames(people));
    this->teamSize()->setCurrentIndex(teamSize - 2);
    go(3)->click();
    QVERIFY(waitForRun(*m_window));
    settle();

    const QStringList teamLines = boxLines(*results());
    QCOMPARE(shown("lblEcranCompte"), counts);
    // Teams are no winners: no roll, no prize, no one name in large letters.
    QCOMPARE(shown("lblEcranGagnant"), QString());
    QCOMPARE(shown("lblEcranLot"), QString());
    QVERIFY(!control<QWidget>(*screen(), QStringLiteral("lstEcranResultats"))->isVisible());
    // Nor a commitment that nobody communicated.
    QCOMPARE(shown("lblEcranEngagement"), QString());

    // Every team numbered, as many as the grid holds, each whole in its own cell.
    auto* grid = control<QWidget>(*screen(), QStringLiteral("fraEcranEquipes"));
    QVERIFY(grid->isVisible());
    QStringList texts;
    QList<QRect> cells;
    int pixels = 0;
    for (QLabel* cell : grid->findChildren<QLabel*>(QStringLiteral("lblEcranEquipe"))) {
        if (!cell->isVisible())
            continue;
        texts << QString(cell->text()).replace(u'\n', u' ');
        QVERIFY(grid->rect().contains(cell->geometry()));
        QVERIFY(cell->rect().contains(drawnRect(cell->text(), cell->font(), cell->rect())));
        for (const QRect& other : cells)
            QVERIFY(!other.intersects(cell->geometry()));
        cells << cell->geometry();
        if (pixels == 0)
            pixels = cell->font().pixelSize();
        QCOMPARE(cell->font().pixelSize(), pixels);
    }
    QStringList expected;
    const qsizetype whole = teamLines.size() <= 40 ? teamLines.size() : 39;
    for (qsizetype i = 0; i < whole; ++i)
        expected << QStringLiteral("Équipe %1 : %2").arg(i + 1).arg(teamLines[i]);
    if (whole < teamLines.size())
        expected << QStringLiteral("… et %1 autres équipes").arg(teamLines.size() - whole);
    QCOMPARE(texts, expected);
    QVERIFY(grid->geometry().bottom() <
            control<QWidget>(*screen(), QStringLiteral("lblEcranCompte"))->geometry().top());
    // Eight teams are read from where the counts are.
    if (teamLines.size() <= 8)
        QVERIFY2(pixels >= label("lblEcranCompte")->font().pixelSize(),
                 qPrintable(QString::number(pixels)));

    // A single draw after them shows its winner again.
    setBoxLines(*list(), {QStringLiteral("Anne")});
    animation()->setChecked(false);
    go(1)->click();
    settle();
    QVERIFY(!grid->isVisible());
    QCOMPARE(shown("lblEcranGagnant"), QStringLiteral("Anne"));
    QCOMPARE(shown("lblEcranCompte"), QStringLiteral("%1 tirés · 0 restant").arg(people + 1));
}

void TestScreen::commitmentOnceCommunicated_data()
{
    using Act = std::function<void(TestScreen&)>;
    QTest::addColumn<Act>("act");
    QTest::addColumn<bool>("communicated");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("onePrize"); // the rule shown with the list

    QTest::newRow("screen opened") << Act([](TestScreen&) {}) << false << false << false;
    QTest::newRow("shown to the audience")
        << Act([](TestScreen& t) { t.showToAudience(); }) << true << false << false;
    QTest::newRow("copied") << Act([](TestScreen& t) {
        t.m_platform->expectModal([](QDialog& dialog) {
            control<QPushButton>(dialog, QStringLiteral("cmdCopierEngagement"))->click();
        });
        t.button(QStringLiteral("cmdPreuve"))->click();
    }) << true << false << false;
    QTest::newRow("copied under one prize per person") << Act([](TestScreen& t) {
        control<QCheckBox>(*t.m_window, QStringLiteral("chkUnLotParPersonne"))->click();
        t.m_platform->expectModal([](QDialog& dialog) {
            control<QPushButton>(dialog, QStringLiteral("cmdCopierEngagement"))->click();
        });
        t.button(QStringLiteral("cmdPreuve"))->click();
    }) << true << false << true;
    // The next session's commitment waits to be shown in its turn; the closed one's stays, so
    // that the room photographs what matches the record.
    QTest::newRow("record saved") << Act([](TestScreen& t) {
        t.showToAudience();
        setBoxLines(*t.list(), {QStringLiteral("Zoé")});
        t.go(1)->click();
        t.m_platform->expectModal([&t](QDialog& dialog) {
            t.m_platform->expectSaveFile(t.m_dir->filePath(QStringLiteral("pv.json")));
            control<QPushButton>(dialog, QStringLiteral("cmdEnregistrerPV"))->click();
        });
        t.button(QStringLiteral("cmdPreuve"))->click();
    }) << true << true << false;
}

void TestScreen::commitmentOnceCommunicated()
{
    QFETCH(std::function<void(TestScreen&)>, act);
    QFETCH(bool, communicated);
    QFETCH(bool, closed);
    QFETCH(bool, onePrize);

    openScreen();
    act(*this);
    settle();
    QCOMPARE(label("lblEcranEngagement")->isVisible(), communicated);
    const QString engagement = shown("lblEcranEngagement");
    const QString closing = QStringLiteral(" · Séance close – procès-verbal enregistré");
    if (communicated) {
        const QString commitment = grouped(commitmentInDialog());
        QCOMPARE(engagement.startsWith(QStringLiteral("Engagement : ") + commitment), !closed);
        QVERIFY(engagement.contains(QStringLiteral(" · Liste : ")));
        QCOMPARE(engagement.endsWith(closing), closed);
        QCOMPARE(engagement.contains(QStringLiteral(" · Un seul lot par personne : oui")),
                 onePrize);
    } else {
        QCOMPARE(engagement, QString());
    }
}

QTEST_MAIN(TestScreen)
#include "test_screen.moc"
