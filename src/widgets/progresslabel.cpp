#include "widgets/progresslabel.h"

#include "session/runstate.h"
#include "core/text/percent.h"

#include <QLabel>

ProgressLabel::ProgressLabel(QLabel& label, const RunState& runState)
    : QObject(&label), m_label(label)
{
    connect(&runState, &RunState::progressed, this, &ProgressLabel::show);
    connect(&runState, &RunState::progressCleared, &m_label, &QLabel::hide);
}

void ProgressLabel::show(std::int64_t done, std::int64_t total)
{
    const std::int64_t percent = sortivo::percentOf(done, total);
    // Rewriting the same figure would repaint the label for nothing at every slice.
    if (percent != m_shownPercent || m_label.isHidden())
        m_label.setText(QString::fromStdString(sortivo::percentText(percent)));
    m_shownPercent = percent;
    m_label.show();
}
