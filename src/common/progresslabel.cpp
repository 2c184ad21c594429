#include "common/progresslabel.h"

#include "core/percent.h"

#include <QLabel>

ProgressLabel::ProgressLabel(QLabel& label) : QObject(&label), m_label(label) {}

void ProgressLabel::start()
{
    m_shownPercent = -1;
    m_label.show();
}

void ProgressLabel::report(std::int64_t done, std::int64_t total)
{
    const std::int64_t percent = sortivo::percentOf(done, total);
    if (percent == m_shownPercent)
        return;
    m_shownPercent = percent;
    m_label.setText(QString::fromStdString(sortivo::percentText(percent)));
}

void ProgressLabel::hide()
{
    m_label.hide();
}
