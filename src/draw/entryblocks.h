#pragma once

#include "core/list/entrylist.h"

#include <QObject>

#include <cstdint>

class QTextDocument;

// The list box's lines as entries. Each line of the box is one entry as long as no line holds
// a line break of its own (a line separator typed with Shift+Enter, a pasted CR or LF) and the
// box holds no frame or table, which the document's change notifications tell as text comes
// in: a draw can then count and read the entries where they stand instead of copying the
// whole list.
class EntryBlocks : public QObject
{
    Q_OBJECT
public:
    EntryBlocks(QTextDocument& list, QObject* parent);

    // Whether block i of the box is entry i.
    bool blocksAreEntries() const { return m_blocksAreEntries; }
    // The entries a draw would find, reading the whole text only when a line holds a break.
    std::int32_t entryCount() const;
    // The entries a draw takes: read block by block while the blocks are entries, without
    // building the box's whole text first.
    sortivo::EntryList entries() const;

private:
    void contentsChanged(int position, int removed, int added);

    QTextDocument& m_list;
    bool m_blocksAreEntries = true;
};
