#include "session/listboxstate.h"

#include <QTextDocument>

#include <utility>

ListBoxState::ListBoxState(QTextDocument& list, QObject* parent) : QObject(parent)
{
    connect(&list, &QTextDocument::contentsChange, this, &ListBoxState::contentsChanged);
}

void ListBoxState::takeOpened(const sortivo::LoadedList& list)
{
    m_origin = Origin::Opened;
    m_entries = list;
    m_columnLeftOut = list.columnLeftOut;
    m_table = list.table;
    emit changed();
}

void ListBoxState::takeRead(std::shared_ptr<const sortivo::EntryList> entries)
{
    m_origin = Origin::Read;
    m_entries = sortivo::LoadedList{std::move(entries), {}, {}};
    emit changed();
}

void ListBoxState::runLeft()
{
    m_runWriting = false;
    m_origin = Origin::LeftByRun;
    m_entries.reset();
    emit changed();
}

// Any change but a run's own: typing, pasting, an open filling the box, a numbering.
void ListBoxState::contentsChanged()
{
    ++m_version;
    if (m_runWriting)
        return;
    m_origin = Origin::Typed;
    m_entries.reset();
    m_columnLeftOut = false;
    emit changed();
}
