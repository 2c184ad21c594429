#include "listtools/listeditor.h"

#include "app/mainwindowui.h"
#include "common/numberrangemodel.h"
#include "app/windowstate.h"
#include "draw/entryblocks.h"

#include <QFocusEvent>
#include <QLabel>
#include <QPlainTextEdit>

ListEditor::ListEditor(MainWindowUi& ui, WindowState& state, const EntryBlocks& listEntries,
                       QObject* parent)
    : QObject(parent), m_ui(ui), m_state(state), m_listEntries(listEntries)
{
    connect(m_ui.txtListe, &QPlainTextEdit::textChanged, this, &ListEditor::listChanged);
    m_ui.txtListe->installEventFilter(this);
}

void ListEditor::listChanged()
{
    if (!m_state.drawRunning)
        m_ui.lblPourCent->hide();
}

void ListEditor::refreshList()
{
    // A run refills the choice itself when it ends.
    if (m_state.drawRunning)
        return;
    offerNumbers(*m_ui.cmbNbTirage, 1, m_listEntries.entryCount());
}

bool ListEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui.txtListe && event->type() == QEvent::FocusOut) {
        // Only a move to another control of this window counts; switching windows or opening
        // the box's context menu leaves the list as it was.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            refreshList();
    }
    return QObject::eventFilter(watched, event);
}
