// The whole draw as the user sees it: from the click on "Tous" until both text boxes hold their
// new text, beside the time a bare QPlainTextEdit takes to show the same result once. Then what
// the list box costs for many lines and for one long line, which set the limits of Open.
#include "app/mainwindow.h"
#include "app/platform.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <utility>

namespace
{

// The draw asks nothing when the results are empty; any dialog here is a fault of the setup.
class NoDialogPlatform final : public Platform
{
public:
    bool askYesNo(QWidget*, const QString&) override { unexpected(); }
    Answer askYesNoCancel(QWidget*, const QString&) override { unexpected(); }
    void showInformation(QWidget*, const QString&, const QString&) override { unexpected(); }
    void showWarning(QWidget*, const QString&, const QString&) override { unexpected(); }
    std::optional<QString> askText(QWidget*, const QString&, const QString&,
                                   const QString&) override
    {
        unexpected();
    }
    QString askOpenFileName(QWidget*, const QString&, const QString&) override { unexpected(); }
    QString askSaveFileName(QWidget*, const QString&, const QString&) override { unexpected(); }
    bool askPrinter(QWidget*, QPrinter&) override { unexpected(); }
    void runModal(QDialog&) override { unexpected(); }
    bool launchApplication(const QString&, const QString&, std::function<void()>) override
    {
        unexpected();
    }
    void setBusyCursor(bool) override {}

private:
    [[noreturn]] static void unexpected()
    {
        qFatal("the benchmark's window asked for a dialog");
        std::abort();
    }
};

QString listOf(int count)
{
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("Participant %1").arg(i * 7919 % 1000003);
    return lines.join(QLatin1Char('\n'));
}

void BM_WindowDrawAll(benchmark::State& state)
{
    NoDialogPlatform platform;
    MainWindow window(platform, QString());
    window.show();
    auto* list = window.findChild<QPlainTextEdit*>(QStringLiteral("txtListe"));
    auto* results = window.findChild<QPlainTextEdit*>(QStringLiteral("txtResult"));
    auto* drawAll = window.findChild<QPushButton*>(QStringLiteral("cmdGo(2)"));
    const QString text = listOf(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        results->clear();
        list->setPlainText(text);
        QCoreApplication::processEvents();
        state.ResumeTiming();

        drawAll->click();
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The floor: what showing the result text costs the widget itself.
void BM_BareBoxShowsResult(benchmark::State& state)
{
    QPlainTextEdit box;
    box.show();
    const QString text = listOf(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        box.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();

        box.setPlainText(text);
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// A list of one-character lines shown in the window's list box: time and the memory the box
// keeps for it.
void BM_ListBoxTakesLines(benchmark::State& state)
{
    NoDialogPlatform platform;
    MainWindow window(platform, QString());
    window.show();
    auto* list = window.findChild<QPlainTextEdit*>(QStringLiteral("txtListe"));
    const QString text = QStringLiteral("x\n").repeated(state.range(0));
    long grown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        list->clear();
        QCoreApplication::processEvents();
        const long before = residentKiB();
        state.ResumeTiming();

        list->setPlainText(text);
        QCoreApplication::processEvents();

        state.PauseTiming();
        grown = residentKiB() - before;
        state.ResumeTiming();
    }
    state.counters["MB"] = double(grown) / 1024;
}

// One key typed at the end of a line of the given length, in the list box with the focus.
void BM_KeyInLongLine(benchmark::State& state)
{
    NoDialogPlatform platform;
    MainWindow window(platform, QString());
    window.show();
    auto* list = window.findChild<QPlainTextEdit*>(QStringLiteral("txtListe"));
    QString line;
    for (qint64 i = 0; i < state.range(0); ++i)
        line += i % 8 == 7 ? QLatin1Char(' ') : QLatin1Char('a' + i % 26);
    list->setPlainText(QStringLiteral("Anne\n") + line + QStringLiteral("\nBob"));
    list->setFocus();
    list->moveCursor(QTextCursor::Down);
    list->moveCursor(QTextCursor::EndOfLine);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QCoreApplication::sendEvent(list, &press);
        QCoreApplication::sendEvent(list, &release);
        list->viewport()->repaint();
    }
}

} // namespace

// Each run is long enough to time on its own; the short ones are repeated to steady them.
void registerBenchmarks()
{
    for (const auto& [entries, runs] : {std::pair{10000, 20}, {100000, 5}, {1000000, 3}}) {
        for (const auto& [name, function] : {std::pair{"BM_WindowDrawAll", &BM_WindowDrawAll},
                                             {"BM_BareBoxShowsResult", &BM_BareBoxShowsResult}})
            benchmark::RegisterBenchmark(name, function)
                ->Arg(entries)
                ->Iterations(runs)
                ->Unit(benchmark::kMillisecond);
    }
    for (const int lines : {100000, 1000000, 2000000})
        benchmark::RegisterBenchmark("BM_ListBoxTakesLines", BM_ListBoxTakesLines)
            ->Arg(lines)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    for (const int chars : {10000, 100000, 1000000})
        benchmark::RegisterBenchmark("BM_KeyInLongLine", BM_KeyInLongLine)
            ->Arg(chars)
            ->Iterations(chars > 100000 ? 3 : 20)
            ->Unit(benchmark::kMillisecond);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    registerBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
