// The whole draw as the user sees it: from the click on "Tous" until both text boxes hold their
// new text, beside the time a bare QPlainTextEdit takes to show the same result once.
#include "app/mainwindow.h"
#include "app/platform.h"

#include <QApplication>
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
