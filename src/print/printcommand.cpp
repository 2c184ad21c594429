#include "print/printcommand.h"

#include "platform/platform.h"
#include "print/printjob.h"
#include "widgets/textboxtext.h"

#include <QPlainTextEdit>
#include <QPrinter>

PrintCommand::PrintCommand(QWidget* window, const QPlainTextEdit& results, Platform& platform)
    : QObject(window), m_window(window), m_results(results), m_platform(platform)
{
}

void PrintCommand::run()
{
    // The dialog hands this printer its choice, so the system's default printer is left as
    // it was; high resolution so that the wrapping measures what the device will print.
    QPrinter printer(QPrinter::HighResolution);
    if (!m_platform.askPrinter(m_window, printer))
        return;

    const QPlainTextEdit& box = m_results;
    const auto plan = planPrint(printer, printFont(box.font(), box.logicalDpiY()), boxText(box));
    if (!plan) {
        reportFailure(printer);
        return;
    }
    if (plan->lines.empty())
        return;
    if (!printPlan(printer, *plan))
        reportFailure(printer);
}

// A job that silently never prints looks like success, so after a confirmed dialog every
// failure is told.
void PrintCommand::reportFailure(const QPrinter& printer)
{
    QString text = QStringLiteral("L'impression a échoué.");
    if (!printer.printerName().isEmpty())
        text += QStringLiteral("\nImprimante : %1").arg(printer.printerName());
    else if (!printer.outputFileName().isEmpty())
        text += QStringLiteral("\nFichier : %1").arg(printer.outputFileName());
    m_platform.showWarning(m_window, QStringLiteral("Impression"), text);
}
