#include "widgets/progresslabel.h"

#include "core/text/percent.h"
#include "session/busystate.h"

#include <QLabel>

ProgressLabel::ProgressLabel(QLabel& label, const BusyState& busyState)
    : QObject(&label), m_label(label)
{
    connect(&busyState, &BusyState::progressed, this, &ProgressLabel::show);
    connect(&busyState, &BusyState::progressCleared, &m_label, &QLabel::hide);
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
