#include "listtools/numberingcommand.h"

#include "core/list/numbering.h"
#include "platform/platform.h"
#include "session/busystate.h"
#include "widgets/apptitle.h"
#include "widgets/textboxtext.h"

#include <QLocale>
#include <QPlainTextEdit>

#include <algorithm>

namespace
{

constexpr std::int32_t progressThreshold = 1000;
// Numbers whose progress is shown per slice: a long list still crosses a few slices.
constexpr std::int32_t numbersPerSlice = 500;

std::optional<std::int32_t> readAnswer(const QString& answer)
{
    const QLocale locale;
    return sortivo::parseNumberAnswer(answer.toStdString(), locale.decimalPoint().toStdString(),
                                      locale.groupSeparator().toStdString());
}

} // namespace

NumberingCommand::NumberingCommand(QWidget* window, QPlainTextEdit& list, BusyState& busyState,
                                   Platform& platform)
    : QObject(window), m_window(window), m_list(list), m_busyState(busyState), m_platform(platform)
{
    m_slices.setSingleShot(true);
    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, &NumberingCommand::nextSlice);
}

// A window torn down in the middle of a run takes the boxes with it; only the pointer is left.
NumberingCommand::~NumberingCommand()
{
    if (m_running)
        m_platform.setBusyCursor(false);
}

void NumberingCommand::run()
{
    if (m_busyState.running())
        return;
    m_busyState.clearProgress();

    const std::optional<QString> answer =
        m_platform.askText(m_window, QStringLiteral("Numérotation"),
                           QStringLiteral("Numéroter jusqu'à"), QStringLiteral("100"));
    const std::optional<std::int32_t> asked = answer ? readAnswer(*answer) : std::nullopt;
    if (!asked || !m_busyState.begin())
        return;
    m_platform.setBusyCursor(true);
    m_running = true;

    m_truncated = *asked > sortivo::highestNumber;
    m_last = std::min(*asked, sortivo::highestNumber);
    m_next = 2;
    if (m_last < progressThreshold) {
        finish();
        return;
    }
    // The text itself takes no time to build; the percentage is shown as it always was, the
    // window drawn and served between slices.
    m_slices.start();
}

void NumberingCommand::nextSlice()
{
    // A window that is closing wants the run over now, not in slices.
    const std::int32_t end =
        m_busyState.closeRequested() ? m_last : std::min(m_last, m_next + numbersPerSlice - 1);
    m_busyState.showProgress(end, m_last);
    m_next = end + 1;
    if (m_next <= m_last) {
        m_slices.start();
        return;
    }
    finish();
}

void NumberingCommand::finish()
{
    emit numbered(m_last);
    setBoxText(m_list, sortivo::numberingText(m_last));

    m_running = false;
    m_platform.setBusyCursor(false);
    if (m_truncated)
        m_platform.showInformation(
            m_window, appTitle(),
            QStringLiteral("La liste a été tronquée à 65535 caractères\ndernier élément de la "
                           "liste : %1")
                .arg(sortivo::highestNumber));
    m_busyState.end();
}
