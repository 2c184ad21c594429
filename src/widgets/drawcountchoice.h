#pragma once

#include <QObject>

class NumberRangeModel;
class QComboBox;

// cmbNbTirage: how many entries "Go" draws, offered for the list as it stands. Nothing is
// chosen after a refill, so that a count chosen for another list is never drawn by mistake.
class DrawCountChoice : public QObject
{
    Q_OBJECT
public:
    // Owned by the combo box it fills.
    explicit DrawCountChoice(QComboBox& combo);

    // 1 to `entries`, for a list of that many entries.
    void offerEntries(int entries);
    // 2 to `last` for the numbers 1 to `last`, no further than anybody scrolls in a drop-down.
    void offerNumbers(int last);
    // Zero while nothing is chosen.
    int chosen() const;

private:
    void offer(int first, int last);

    QComboBox& m_combo;
    NumberRangeModel* m_model;
};
