#pragma once

#include <QObject>

#include <cstdint>

class QLabel;

// lblPourCent: how far a long run has gone. The run that reports its progress shows it; it
// stays on the last figure until the list changes or another command starts.
class ProgressLabel : public QObject
{
    Q_OBJECT
public:
    // Owned by the label it drives.
    explicit ProgressLabel(QLabel& label);

    // A run starts whose progress is worth showing.
    void start();
    void report(std::int64_t done, std::int64_t total);
    void hide();

private:
    QLabel& m_label;
    // Rewriting the same figure would repaint the label for nothing at every slice.
    std::int64_t m_shownPercent = -1;
};
