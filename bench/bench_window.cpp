// What the user waits for in the real window, offscreen: from the click until the boxes hold
// their new text and the window has repainted. Each case also reports how long the event loop
// went unserved at worst ("frozen_ms", measured by a 5 ms heartbeat timer) and its time as a
// multiple of the floor ("x_floor"): a bare QPlainTextEdit showing the same list once,
// measured in the same run, beside which a bare document taking the list shows how much of the
// floor the text document alone costs. Then what the list box costs for many lines and for one
// long line, which set the limits of Open. The draws run again with the audience screen open
// (second argument 1), which must cost what changes and not the length of the lists or of an entry.
#include "app/mainwindow.h"
#include "benchplatform.h"
#include "sheets/sheetbook.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <zip.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <utility>

namespace
{

QString listOf(int count)
{
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("Participant %1").arg(qint64(i) * 7919 % 1000003);
    return lines.join(QLatin1Char('\n'));
}

// Runs `start`, then serves events until `done` holds and once more for the repaint. Returns
// the elapsed time; `longestGap` grows to the longest time no timer could fire meanwhile.
template <typename Start, typename Done> double timedRun(Start start, Done done, double& longestGap)
{
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer heartbeat;
    heartbeat.setInterval(5);
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, double(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
    });
    heartbeat.start();
    clock.start();
    sinceTick.start();
    start();
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
    longestGap = std::max(longestGap, double(sinceTick.nsecsElapsed()) / 1e6);
    return double(clock.nsecsElapsed()) / 1e9;
}

// The floor: the seconds a bare box takes to show `text` and repaint, median of three.
double floorSeconds(const QString& text)
{
    static QMap<qsizetype, double> known;
    if (known.contains(text.size()))
        return known.value(text.size());
    QPlainTextEdit box;
    box.show();
    double times[3];
    for (double& t : times) {
        box.clear();
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        box.setPlainText(text);
        QCoreApplication::processEvents();
        t = double(clock.nsecsElapsed()) / 1e9;
    }
    std::sort(std::begin(times), std::end(times));
    known.insert(text.size(), times[1]);
    return times[1];
}

struct Window {
    BenchPlatform platform;
    // The window journals its session as the program's does: its cost is in every figure.
    QTemporaryDir journals;
    MainWindow window{platform, QString(), journals.path()};
    QPlainTextEdit* list = window.findChild<QPlainTextEdit*>(QStringLiteral("txtListe"));
    QPlainTextEdit* results = window.findChild<QPlainTextEdit*>(QStringLiteral("txtResult"));
    QComboBox* drawCount = window.findChild<QComboBox*>(QStringLiteral("cmbNbTirage"));

    // With `prizes` prizes typed in "Lots…", as the palmarès on the screen then shows them.
    explicit Window(bool screenOpen = false, int prizes = 0)
    {
        if (prizes > 0) {
            QStringList lines;
            for (int i = 1; i <= prizes; ++i)
                lines << QStringLiteral("Bon d'achat n° %1").arg(i);
            window.findChild<QPlainTextEdit*>(QStringLiteral("txtLots"))
                ->setPlainText(lines.join(QLatin1Char('\n')));
        }
        window.show();
        if (screenOpen) {
            button(QStringLiteral("cmdEcran"))->click();
            QCoreApplication::processEvents();
        }
    }
    QPushButton* button(const QString& name) { return window.findChild<QPushButton*>(name); }
    bool idle() const { return !platform.busy && !window.busyState().running(); }
};

// Lists past a million entries are not set beside the floor, which would take minutes.
void report(benchmark::State& state, double total, double longestGap, const QString& text)
{
    state.counters["frozen_ms"] = longestGap;
    if (state.range(0) <= 1000000)
        state.counters["x_floor"] = total / double(state.iterations()) / floorSeconds(text);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Draw one (mode 1) or draw ten (mode 0 with "10" chosen) out of the list.
void drawFew(benchmark::State& state, int mode)
{
    Window w(state.range(1) != 0, int(state.range(2)));
    const QString text = listOf(int(state.range(0)));
    w.list->setPlainText(text);
    QCoreApplication::processEvents();
    if (state.range(0) <= 1000000)
        floorSeconds(text); // before the window's work, so both see the same machine state
    double total = 0;
    double longestGap = 0;
    // The first click reads the whole box; the clicks after it draw from what the last run left.
    double laterGap = 0;
    bool first = true;
    QPushButton* go = w.button(QStringLiteral("cmdGo(%1)").arg(mode));
    for (auto _ : state) {
        if (mode == 0) {
            state.PauseTiming();
            // The combo is refilled after every run; the user picks again.
            if (w.drawCount->count() < 10) {
                go->click();
                QCoreApplication::processEvents();
            }
            w.drawCount->setCurrentIndex(9);
            state.ResumeTiming();
        }
        double gap = 0;
        total += timedRun([&] { go->click(); }, [&] { return w.idle(); }, gap);
        if (!std::exchange(first, false))
            laterGap = std::max(laterGap, gap);
        longestGap = std::max(longestGap, gap);
    }
    state.counters["later_frozen_ms"] = laterGap;
    report(state, total, longestGap, text);
}

void BM_WindowDrawOne(benchmark::State& state)
{
    drawFew(state, 1);
}

void BM_WindowDrawTen(benchmark::State& state)
{
    drawFew(state, 0);
}

void BM_WindowDrawAll(benchmark::State& state)
{
    Window w(state.range(1) != 0, int(state.range(2)));
    const QString text = listOf(int(state.range(0)));
    double total = 0;
    double longestGap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.results->clear();
        w.list->setPlainText(text);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        total += timedRun([&] { w.button(QStringLiteral("cmdGo(2)"))->click(); },
                          [&] { return w.idle(); }, longestGap);
    }
    report(state, total, longestGap, text);
}

// Draw one from two entries of `range(0)` characters of what is slowest to lay out (marks and
// overrides of direction, Arabic, emoji, combining accents), with the audience screen open or
// not (second argument). The screen lays out a bounded beginning of the winner: what it adds
// must not grow with the entry.
void BM_WindowDrawLongEntry(benchmark::State& state)
{
    Window w(state.range(1) != 0);
    if (auto* roll = w.window.findChild<QCheckBox*>(QStringLiteral("chkAnimation")))
        roll->setChecked(false);
    const QString pattern =
        QStringLiteral("\u200F\u202Eمحمد عبد الله\u200E 👩\u200D👧 e\u0301\u0323 ");
    QString entry;
    while (entry.size() < state.range(0))
        entry += pattern;
    const QString text = entry + QLatin1Char('\n') + entry;
    double total = 0;
    double longestGap = 0;
    QPushButton* go = w.button(QStringLiteral("cmdGo(1)"));
    for (auto _ : state) {
        state.PauseTiming();
        w.results->clear();
        w.list->setPlainText(text);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        total += timedRun([&] { go->click(); }, [&] { return w.idle(); }, longestGap);
    }
    state.counters["frozen_ms"] = longestGap;
}

// Clicks Open on the file the platform hands over, into an emptied list, once an iteration;
// the list must then hold `text`, first line included.
void timeOpens(benchmark::State& state, Window& w, const QString& text)
{
    double total = 0;
    double longestGap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.list->clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        total += timedRun([&] { w.button(QStringLiteral("cmdOpen"))->click(); },
                          [&] { return w.idle(); }, longestGap);
    }
    if (w.list->blockCount() != state.range(0) ||
        w.list->document()->firstBlock().text() != text.section(QLatin1Char('\n'), 0, 0))
        qFatal("the opened file did not reach the list");
    report(state, total, longestGap, text);
}

void BM_WindowOpen(benchmark::State& state)
{
    Window w;
    const QString text = listOf(int(state.range(0)));
    QTemporaryDir dir;
    w.platform.openPath = dir.filePath(QStringLiteral("liste.txt"));
    {
        QFile file(w.platform.openPath);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the list file");
        QString crlf = text;
        crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        file.write(crlf.toUtf8() + "\r\n");
    }
    timeOpens(state, w, text);
}

// An XLSX workbook of one sheet, a title "Nom" over `text`'s lines, in shared strings as
// LibreOffice writes them.
void writeWorkbook(const QString& path, const QString& text)
{
    std::string strings =
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<si><t>Nom</t></si>";
    std::string sheet = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                        "main\"><sheetData>";
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i <= lines.size(); ++i) {
        if (i > 0)
            strings += "<si><t>" + lines[i - 1].toStdString() + "</t></si>";
        const std::string row = std::to_string(i + 1);
        sheet += "<row r=\"" + row + "\"><c r=\"A" + row + "\" t=\"s\"><v>" + std::to_string(i) +
                 "</v></c></row>";
    }
    strings += "</sst>";
    sheet += "</sheetData></worksheet>";
    const std::string parts[][2] = {
        {"[Content_Types].xml",
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {"xl/workbook.xml",
         "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
         "<sheets><sheet name=\"Inscrits\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\" Type=\"http://"
         "schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\"/>"
         "</Relationships>"},
        {"xl/sharedStrings.xml", strings},
        {"xl/worksheets/sheet1.xml", sheet},
    };
    int error = 0;
    zip_t* archive = zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        qFatal("cannot write the workbook");
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        if (!source || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0)
            qFatal("cannot write the workbook");
    }
    if (zip_close(archive) != 0)
        qFatal("cannot write the workbook");
}

// Open on a workbook holding the same entries as BM_WindowOpen's text file, its default
// column taken: what the table reading adds to Open is this time over that one.
void BM_WindowOpenWorkbook(benchmark::State& state)
{
    Window w;
    const QString text = listOf(int(state.range(0)));
    QTemporaryDir dir;
    w.platform.openPath = dir.filePath(QStringLiteral("inscrits.xlsx"));
    writeWorkbook(w.platform.openPath, text);
    timeOpens(state, w, text);
}

// Open on an export of orders, "Nom;Billets", each row of 5 tickets (second argument 0), beside
// a text file of the very tickets it gives (1): the expansion runs where the reading and the
// counting do, off the window's thread, and this time over that one is what it adds to Open.
void BM_WindowOpenTickets(benchmark::State& state)
{
    constexpr int perRow = 5;
    Window w;
    const int rows = int(state.range(0)) / perRow;
    QTemporaryDir dir;
    const bool asText = state.range(1) != 0;
    w.platform.openPath =
        dir.filePath(asText ? QStringLiteral("billets.txt") : QStringLiteral("commandes.csv"));
    QByteArray bytes = asText ? QByteArray() : QByteArray("Nom;Billets\r\n");
    QString first;
    for (int i = 0; i < rows; ++i) {
        const QByteArray name = "Participant " + QByteArray::number(qint64(i) * 7919 % 1000003);
        if (!asText) {
            bytes += name + ";" + QByteArray::number(perRow) + "\r\n";
            continue;
        }
        for (int k = 1; k <= perRow; ++k)
            bytes += name + " (billet " + QByteArray::number(k) + "/" + QByteArray::number(perRow) +
                     ")\r\n";
    }
    {
        QFile file(w.platform.openPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the list file");
    }
    timeOpens(state, w, QStringLiteral("Participant 0 (billet 1/5)"));
}

// What the reading thread spends of BM_WindowOpenWorkbook: the workbook's bytes to its table.
void BM_ReadWorkbook(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("inscrits.xlsx"));
    writeWorkbook(path, listOf(int(state.range(0))));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the workbook");
    const QByteArray bytes = file.readAll();
    const std::string_view view(bytes.constData(), std::size_t(bytes.size()));
    const std::atomic<bool> cancelled{false};
    for (auto _ : state) {
        const sortivo::Expected<std::vector<sortivo::Sheet>> book = sortivo::readSheetBook(
            view, sortivo::spreadsheetKind(view), sortivo::SheetLimits(), cancelled);
        if (!book || book->empty() ||
            book->front().table.rowCount() != std::size_t(state.range(0)) + 1)
            qFatal("the workbook was not read whole");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The floor on its own line, with its own longest freeze.
void BM_BareBoxShowsList(benchmark::State& state)
{
    QPlainTextEdit box;
    box.show();
    const QString text = listOf(int(state.range(0)));
    double total = 0;
    double longestGap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        box.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        total += timedRun([&] { box.setPlainText(text); }, [] { return true; }, longestGap);
    }
    report(state, total, longestGap, text);
}

// The same lines put into a document that no box shows, the way a run appends its results: the
// least a window can spend to hold them in a text box, set beside the floor. "Tous" cannot come
// under this row's x_floor, whatever its draws cost.
void BM_BareDocumentTakesList(benchmark::State& state)
{
    const QString text = listOf(int(state.range(0)));
    floorSeconds(text);
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<QTextDocument>();
        document->setUndoRedoEnabled(false);
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        QTextCursor(document.get()).insertText(text);
        total += double(clock.nsecsElapsed()) / 1e9;
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.counters["x_floor"] = total / double(state.iterations()) / floorSeconds(text);
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
    Window w;
    const QString text = QStringLiteral("x\n").repeated(state.range(0));
    long grown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.list->clear();
        QCoreApplication::processEvents();
        const long before = residentKiB();
        state.ResumeTiming();

        w.list->setPlainText(text);
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
    Window w;
    QString line;
    for (qint64 i = 0; i < state.range(0); ++i)
        line += i % 8 == 7 ? QLatin1Char(' ') : QLatin1Char('a' + i % 26);
    w.list->setPlainText(QStringLiteral("Anne\n") + line + QStringLiteral("\nBob"));
    w.list->setFocus();
    w.list->moveCursor(QTextCursor::Down);
    w.list->moveCursor(QTextCursor::EndOfLine);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QCoreApplication::sendEvent(w.list, &press);
        QCoreApplication::sendEvent(w.list, &release);
        w.list->viewport()->repaint();
    }
}

} // namespace

void registerBenchmarks()
{
    using Function = void (*)(benchmark::State&);
    for (const auto& [entries, few, many] :
         {std::tuple{100000, 20, 5}, std::tuple{1000000, 5, 2}}) {
        for (const auto& [name, function, runs] : {
                 std::tuple<const char*, Function, int>{"BM_BareBoxShowsList", &BM_BareBoxShowsList,
                                                        many},
                 {"BM_BareDocumentTakesList", &BM_BareDocumentTakesList, many},
                 {"BM_WindowDrawOne", &BM_WindowDrawOne, few},
                 {"BM_WindowDrawTen", &BM_WindowDrawTen, few},
                 {"BM_WindowDrawAll", &BM_WindowDrawAll, many},
                 {"BM_WindowOpen", &BM_WindowOpen, many},
                 {"BM_WindowOpenWorkbook", &BM_WindowOpenWorkbook, many},
             })
            benchmark::RegisterBenchmark(name, function)
                ->Args({entries, 0, 0})
                ->Iterations(runs)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        // The screen open, without prizes and with 200 of them: its palmarès then holds a
        // winner or a reserve for each result.
        for (const int prizes : {0, 200})
            for (const auto& [name, function, runs] : {
                     std::tuple<const char*, Function, int>{"BM_WindowDrawOne", &BM_WindowDrawOne,
                                                            few},
                     {"BM_WindowDrawTen", &BM_WindowDrawTen, few},
                     {"BM_WindowDrawAll", &BM_WindowDrawAll, many},
                 })
                benchmark::RegisterBenchmark(name, function)
                    ->Args({entries, 1, prizes})
                    ->Iterations(runs)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
    }
    // Draws from the longest list Open takes, the first of them reading the whole box.
    benchmark::RegisterBenchmark("BM_WindowDrawOne", BM_WindowDrawOne)
        ->Args({5000000, 0, 0})
        ->Iterations(4)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    // The longest list Open takes, once each: the floor alone costs a minute there.
    for (const auto& [name, function] :
         {std::pair<const char*, Function>{"BM_BareBoxShowsList", &BM_BareBoxShowsList},
          {"BM_WindowOpen", &BM_WindowOpen}})
        benchmark::RegisterBenchmark(name, function)
            ->Args({5000000, 0})
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    // A million orders of five tickets, and the same tickets in a text file.
    for (const int asText : {1, 0})
        benchmark::RegisterBenchmark("BM_WindowOpenTickets", BM_WindowOpenTickets)
            ->Args({5000000, asText})
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    benchmark::RegisterBenchmark("BM_ReadWorkbook", BM_ReadWorkbook)
        ->Arg(1000000)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    for (const int lines : {100000, 1000000, 2000000})
        benchmark::RegisterBenchmark("BM_ListBoxTakesLines", BM_ListBoxTakesLines)
            ->Arg(lines)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    for (const int screen : {0, 1})
        benchmark::RegisterBenchmark("BM_WindowDrawLongEntry", BM_WindowDrawLongEntry)
            ->Args({100000, screen})
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
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
