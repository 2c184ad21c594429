#pragma once

#include "core/proof/loadedlist.h"

#include <QObject>

#include <cstdint>
#include <optional>

class QTextDocument;

// Where the text of the list box came from: typed (by hand, pasted, numbered: whatever only
// reading the box tells), an open, whose entries come hashed and checked, a draw that has just
// read the box, or what the last run left. Its one owner: the draw and the journal ask here
// instead of each watching the box on its own.
class ListBoxState : public QObject
{
    Q_OBJECT
public:
    enum class Origin { Typed, Opened, Read, LeftByRun };

    ListBoxState(QTextDocument& list, QObject* parent);

    Origin origin() const { return m_origin; }
    // The entries the box shows, with Opened (hashed and checked) and Read (as read).
    const std::optional<sortivo::LoadedList>& entries() const { return m_entries; }
    // Grows with every change of the box's text: whoever keeps a copy of a text knows from it
    // whether the box still shows that text.
    std::uint64_t version() const { return m_version; }

    // Whether the box shows a list taken from a table that had a column left out of the entry,
    // as it was taken or as runs left it: its duplicates may be namesakes.
    bool columnLeftOut() const { return m_columnLeftOut; }
    // The table the last list opened was taken from; null after one that was not a table. Kept
    // while runs and typing change the box: the palmarès finds a winner's row by its text.
    const std::shared_ptr<const sortivo::ListTable>& table() const { return m_table; }

    // An open put exactly these entries into the box.
    void takeOpened(const sortivo::LoadedList& list);
    // A draw read the box: it holds these entries.
    void takeRead(std::shared_ptr<const sortivo::EntryList> entries);
    // From here until runLeft(), the box changes as a run writes back what it left.
    void runWriting() { m_runWriting = true; }
    void runLeft();

signals:
    void changed();

private:
    void contentsChanged();

    Origin m_origin = Origin::Typed;
    std::optional<sortivo::LoadedList> m_entries;
    std::uint64_t m_version = 0;
    bool m_runWriting = false;
    bool m_columnLeftOut = false;
    std::shared_ptr<const sortivo::ListTable> m_table;
};
