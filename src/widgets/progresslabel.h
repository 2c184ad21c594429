#pragma once

#include <QObject>

#include <cstdint>

class QLabel;
class BusyState;

// lblPourCent: how far a long run has gone, as the run state tells it; the one writer of the
// label.
class ProgressLabel : public QObject
{
    Q_OBJECT
public:
    // Owned by the label it drives.
    ProgressLabel(QLabel& label, const BusyState& busyState);

private:
    void show(std::int64_t done, std::int64_t total);

    QLabel& m_label;
    // Rewriting the same figure would repaint the label for nothing at every slice.
    std::int64_t m_shownPercent = -1;
};
