#include "screen/screenwindow.h"

#include "screen/pagedlist.h"
#include "widgets/appicons.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QWindow>

namespace
{

// Near-black on white: about 17 to 1, well past the 7 to 1 that people read from afar.
const QColor ink(0x1a, 0x1a, 0x1a);
const QColor paper(0xff, 0xff, 0xff);

template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* audienceLabel(QWidget* view, const char* name)
{
    auto* label = named(new QLabel(view), name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setContentsMargins(0, 0, 0, 0);
    label->setMargin(0);
    // The view hears every click and move, so that a click anywhere ends the reveal.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

} // namespace

ScreenWindow::ScreenWindow(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("frmEcran"));
    setWindowTitle(QStringLiteral("Sortivo – Écran du public"));
    setWindowIcon(programIcon());

    m_strip = new QWidget(this);
    chkAnimation =
        named(new QCheckBox(QStringLiteral("Animer la révélation"), m_strip), "chkAnimation");
    chkAnimation->setChecked(true);
    auto* form = new QFormLayout(m_strip);
    form->addRow(QString(), chkAnimation);

    m_view = new QWidget(this);
    m_view->setObjectName(QStringLiteral("vueEcran"));
    QPalette pal = m_view->palette();
    pal.setColor(QPalette::Window, paper);
    pal.setColor(QPalette::WindowText, ink);
    pal.setColor(QPalette::Base, paper);
    pal.setColor(QPalette::Text, ink);
    m_view->setPalette(pal);
    m_view->setAutoFillBackground(true);
    m_view->setMouseTracking(true);
    m_view->installEventFilter(this);

    lblEcranTitre = audienceLabel(m_view, "lblEcranTitre");
    lblEcranEngagement = audienceLabel(m_view, "lblEcranEngagement");
    lblEcranValeur = audienceLabel(m_view, "lblEcranValeur");
    lblEcranLot = audienceLabel(m_view, "lblEcranLot");
    lblEcranGagnant = audienceLabel(m_view, "lblEcranGagnant");
    lblEcranCompte = audienceLabel(m_view, "lblEcranCompte");
    lstEcranResultats = named(new PagedList(m_view), "lstEcranResultats");
    lstEcranResultats->setAttribute(Qt::WA_TransparentForMouseEvents);
    fraEcranEquipes = named(new QWidget(m_view), "fraEcranEquipes");
    fraEcranEquipes->setAttribute(Qt::WA_TransparentForMouseEvents);
    fraEcranEquipes->hide();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_strip);
    column->addWidget(m_view, 1);

    const auto addKeys = [this](const QList<QKeySequence>& keys, auto slot) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    addKeys({QKeySequence(Qt::Key_F11)}, &ScreenWindow::toggleFullScreen);
    // What a presenter's remote sends for "next". Its "previous" does nothing: a draw cannot be
    // taken back.
    addKeys({QKeySequence(Qt::Key_PageDown), QKeySequence(Qt::Key_Right)},
            &ScreenWindow::nextAsked);
    addKeys({QKeySequence(Qt::Key_Down)}, [this] { lstEcranResultats->nextPage(); });
    addKeys({QKeySequence(Qt::Key_Up)}, [this] { lstEcranResultats->previousPage(); });
    addKeys({QKeySequence(Qt::Key_Escape)}, [this] {
        if (isFullScreen())
            showNormal();
        else
            close();
    });

    m_pointerRest.setSingleShot(true);
    m_pointerRest.setInterval(pointerRestMs);
    connect(&m_pointerRest, &QTimer::timeout, this, [this] {
        if (isFullScreen())
            setCursor(Qt::BlankCursor);
    });
}

void ScreenWindow::toggleFullScreen()
{
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}

QList<QLabel*> ScreenWindow::teamCells(int count)
{
    while (m_teamCells.size() < count)
        m_teamCells << audienceLabel(fraEcranEquipes, "lblEcranEquipe");
    for (qsizetype i = 0; i < m_teamCells.size(); ++i)
        m_teamCells[i]->setVisible(i < count);
    return m_teamCells.mid(0, count);
}

bool ScreenWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view) {
        switch (event->type()) {
        case QEvent::Resize:
            emit viewResized();
            break;
        case QEvent::MouseButtonPress:
            emit skipAsked();
            break;
        case QEvent::MouseButtonDblClick:
            toggleFullScreen();
            break;
        case QEvent::MouseMove:
            pointerMoved();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ScreenWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Full screen is for the audience: the settings belong to the organiser's window.
    m_strip->setVisible(!isFullScreen());
    emit placementChanged();
    unsetCursor();
    if (isFullScreen())
        m_pointerRest.start();
    else
        m_pointerRest.stop();
}

void ScreenWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The window exists from its first showing; dragged to another screen, it is elsewhere.
    connect(windowHandle(), &QWindow::screenChanged, this, &ScreenWindow::placementChanged,
            Qt::UniqueConnection);
    emit placementChanged();
}

void ScreenWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    emit placementChanged();
}

void ScreenWindow::pointerMoved()
{
    unsetCursor();
    if (isFullScreen())
        m_pointerRest.start();
}
