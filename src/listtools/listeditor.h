#pragma once

#include <QObject>

class EntryBlocks;
struct MainWindowUi;
struct WindowState;

// Keeps the window in step with the list text: a change hides the stale percentage, and
// leaving the box reloads the entries and the choice of how many to draw.
class ListEditor : public QObject
{
    Q_OBJECT
public:
    ListEditor(MainWindowUi& ui, WindowState& state, const EntryBlocks& listEntries,
               QObject* parent);

    void refreshList();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void listChanged();

    MainWindowUi& m_ui;
    WindowState& m_state;
    const EntryBlocks& m_listEntries;
};
