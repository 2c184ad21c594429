#include "listtools/numberingcommand.h"

#include "app/apptitle.h"
#include "app/mainwindowui.h"
#include "app/numberrangemodel.h"
#include "app/platform.h"
#include "app/textboxtext.h"
#include "app/windowstate.h"
#include "core/numbering.h"
#include "core/percent.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>

#include <algorithm>

namespace
{

constexpr std::int32_t progressThreshold = 1000;
// The choice of how many to draw stops here; nobody scrolls further in a drop-down list.
constexpr std::int32_t highestOffered = 1000;
constexpr qint64 eventIntervalMs = 15;

std::optional<std::int32_t> readAnswer(const QString& answer)
{
    const QLocale locale;
    return sortivo::parseNumberAnswer(answer.toStdString(), locale.decimalPoint().toStdString(),
                                      locale.groupSeparator().toStdString());
}

} // namespace

NumberingCommand::NumberingCommand(QWidget* window, MainWindowUi& ui, WindowState& state,
                                   Platform& platform)
    : QObject(window), m_window(window), m_ui(ui), m_state(state), m_platform(platform)
{
}

void NumberingCommand::run()
{
    if (m_state.drawRunning)
        return;
    m_state.drawRunning = true;
    m_ui.lblPourCent->hide();

    const std::optional<QString> answer =
        m_platform.askText(m_window, QStringLiteral("Numérotation"),
                           QStringLiteral("Numéroter jusqu'à"), QStringLiteral("100"));
    const std::optional<std::int32_t> asked = answer ? readAnswer(*answer) : std::nullopt;
    if (!asked) {
        m_state.drawRunning = false;
        emit finished();
        return;
    }
    m_platform.setBusyCursor(true);

    const bool truncated = *asked > sortivo::highestNumber;
    const std::int32_t n = std::min(*asked, sortivo::highestNumber);
    if (n >= progressThreshold) {
        // The text itself takes no time to build; the percentage is shown as it always was,
        // and events are let in so the window stays drawn.
        m_ui.lblPourCent->show();
        QElapsedTimer sinceEvents;
        std::int64_t shown = -1;
        for (std::int32_t i = 2; i <= n; ++i) {
            if (i == 2 || sinceEvents.elapsed() >= eventIntervalMs) {
                QCoreApplication::processEvents();
                sinceEvents.start();
            }
            const std::int64_t percent = sortivo::percentOf(i, n);
            if (percent != shown) {
                shown = percent;
                m_ui.lblPourCent->setText(QString::fromStdString(sortivo::percentText(percent)));
            }
        }
    }
    offerNumbers(*m_ui.cmbNbTirage, 2, std::min(n, highestOffered));
    setBoxText(*m_ui.txtListe, sortivo::numberingText(n));

    m_platform.setBusyCursor(false);
    m_state.drawRunning = false;
    if (truncated)
        m_platform.showInformation(
            m_window, appTitle(),
            QStringLiteral("La liste a été tronquée à 65535 caractères\ndernier élément de la "
                           "liste : %1")
                .arg(sortivo::highestNumber));
    emit finished();
}
