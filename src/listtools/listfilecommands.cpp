#include "listtools/listfilecommands.h"

#include "core/io/textdecode.h"
#include "core/text/french.h"
#include "listsource/listfilerefusal.h"
#include "listtools/columnsdialog.h"
#include "listtools/listboxfiller.h"
#include "listtools/listwatcher.h"
#include "platform/filereplacement.h"
#include "platform/platform.h"
#include "session/busystate.h"
#include "widgets/apptitle.h"
#include "widgets/textboxtext.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPlainTextEdit>

#include <algorithm>
#include <optional>
#include <utility>

namespace
{

const QString nameFilter = QStringLiteral("Fichiers Texte (*.txt)");
// Every file Open reads is in view at first: exports and workbooks sit beside the lists.
const QString openFilters =
    QStringLiteral("Listes et tableaux (*.txt *.csv *.tsv *.xlsx *.ods);;") + nameFilter +
    QStringLiteral(";;Tableaux et exports (*.csv *.tsv *.xlsx *.ods);;Tous les fichiers (*)");
constexpr qint64 readWorkDivisor = 8;

// What Save would replace, when it is more than a list of results.
enum class Replaced { Text, Workbook, NotText };

// A table by its name (its rows would be lost to a few lines of results), or a file whose
// first bytes are no text: a workbook by any name is a ZIP. A file that cannot be read is
// taken as it is named.
Replaced replacedKind(const QFileInfo& info)
{
    static const QStringList tableSuffixes =
        QStringLiteral("csv tsv xlsx xlsm xls ods").split(u' ');
    if (tableSuffixes.contains(info.suffix().toLower()))
        return Replaced::Workbook;
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return Replaced::Text;
    // Even, so that a UTF-16 text is not cut inside a character.
    const QByteArray head = file.read(4096);
    return sortivo::decodeTextFile(std::string_view(head.constData(), std::size_t(head.size())))
               ? Replaced::Text
               : Replaced::NotText;
}

// "personnel.ods" gives "personnel-resultats.txt" beside it.
QString resultsPathFor(const QString& table)
{
    const QFileInfo info(table);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("-resultats.txt"));
}

QString droppedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
        return {};
    const QUrl url = mime->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

} // namespace

ListFileCommands::ListFileCommands(QWidget* window, QPlainTextEdit& list,
                                   const QPlainTextEdit& results, BusyState& busyState,
                                   Platform& platform, ListWatcher& listWatcher,
                                   QString documentsFolder)
    : QObject(window), m_window(window), m_list(list), m_results(results), m_busyState(busyState),
      m_platform(platform), m_listWatcher(listWatcher),
      m_documentsFolder(std::move(documentsFolder)), m_reader(new ListFileReader(this)),
      m_filler(new ListBoxFiller(m_list, this)),
      m_tableLoader(
          [this](std::shared_ptr<sortivo::LoadedList> list) { tableLoaded(std::move(list)); })
{
    m_list.viewport()->installEventFilter(this);
    connect(m_reader, &ListFileReader::finished, this, &ListFileCommands::fileRead);
    connect(m_reader, &ListFileReader::progressed, this, &ListFileCommands::showReadProgress,
            Qt::QueuedConnection);
    connect(m_filler, &ListBoxFiller::progressed, this, &ListFileCommands::showFillProgress);
    connect(m_filler, &ListBoxFiller::finished, this, &ListFileCommands::fillEnded);
}

// A window torn down in the middle of an open takes the box with it, and the reading thread
// is stopped and waited for with the reader; only the pointer is left.
ListFileCommands::~ListFileCommands()
{
    if (m_reader->running() || m_filler->running() || m_tableLoader.running())
        m_platform.setBusyCursor(false);
}

void ListFileCommands::open()
{
    if (m_busyState.running())
        return;
    m_busyState.clearProgress();
    const QString proposed = m_lastPath.isEmpty() ? m_documentsFolder : m_lastPath;
    const QString path = m_platform.askOpenFileName(m_window, proposed, openFilters);
    if (path.isEmpty()) {
        // The list stays, but a numbering may have left the choice of counts behind it.
        m_listWatcher.refreshList();
        return;
    }
    m_lastPath = path;
    m_lastPathIsTable = false;
    readIntoList(path);
}

void ListFileCommands::openFile(const QString& path)
{
    if (m_busyState.running())
        return;
    m_busyState.clearProgress();
    m_lastPath = path;
    m_lastPathIsTable = false;
    readIntoList(path);
}

void ListFileCommands::refuse(const ListFileRefusal& refusal, const QString& path)
{
    m_platform.setBusyCursor(false);
    // Whatever stopped the reading, the choice of counts must match the list the user sees.
    m_listWatcher.refreshList();
    QString message = refusal.text() + QStringLiteral("\n") + QDir::toNativeSeparators(path);
    if (!refusal.systemReason().isEmpty())
        message += QStringLiteral("\n") + refusal.systemReason();
    m_platform.showWarning(m_window, appTitle(), message);
}

void ListFileCommands::readIntoList(const QString& path)
{
    // Told at once, before the open counts as running.
    if (const std::optional<ListFileRefusal> refusal =
            refusalBeforeReading(QFile::encodeName(path).toStdString())) {
        refuse(*refusal, path);
        return;
    }
    // The rest goes on after the click, a run that other requests wait for.
    if (!m_busyState.begin())
        return;
    m_platform.setBusyCursor(true);
    m_openingPath = path;
    m_fileSize = std::max<qint64>(0, QFileInfo(path).size());
    m_readWork = 0;
    m_shownFraction = 0;
    m_reader->start(path);
}

void ListFileCommands::cancelOpen()
{
    m_reader->cancel();
    m_tableLoader.stop();
    m_filler->cancel();
}

void ListFileCommands::fileRead(const std::shared_ptr<ListFileReader::Outcome>& outcome)
{
    const auto& file = outcome->file;
    // Results saved where a table was opened would take its place.
    if (m_openingPath == m_lastPath &&
        (file ? !file->sheets.empty() : file.error().reason() == ListFileRefusal::Table))
        m_lastPathIsTable = true;
    if (!file) {
        // The list stays as it was, for the other commands to use again.
        m_busyState.end();
        refuse(file.error(), m_openingPath);
        return;
    }
    if (file->cancelled) {
        endOpen();
        return;
    }
    if (!file->sheets.empty()) {
        chooseColumns(*outcome);
        return;
    }
    m_unread = outcome->unread;
    m_opened = std::move(outcome->list);
    m_filler->start(m_opened.entries);
}

void ListFileCommands::chooseColumns(ListFileReader::Outcome& outcome)
{
    ListFile& file = *outcome.file;
    // The choice is the user's: no busy pointer and no percentage while it is made.
    m_platform.setBusyCursor(false);
    m_busyState.clearProgress();
    m_shownFraction = 0;
    m_readWork = 0;
    sortivo::TableEntries entries;
    auto table = std::make_shared<sortivo::ListTable>();
    {
        // Gone before the sheets are, with the thread that counts in them.
        ColumnsDialog dialog(file.sheets, outcome.choice, std::move(outcome.entries),
                             file.delimitedText ? &*file.delimitedText : nullptr, file.separator,
                             m_platform, m_window);
        m_platform.runModal(dialog);
        if (dialog.result() != QDialog::Accepted) {
            m_busyState.end();
            m_listWatcher.refreshList();
            return;
        }
        m_platform.setBusyCursor(true);
        entries = dialog.takeEntries();
        // Kept with the list, for the palmarès to show each winner's row.
        table->cells = std::move(file.sheets[dialog.sheetIndex()].table);
        table->names = sortivo::columnNames(table->cells, dialog.titles());
        table->entryRows = std::move(entries.entryRows);
    }
    file.sheets.clear();
    file.delimitedText.reset();
    const auto refused = [&](ListFileRefusal::Reason reason) {
        m_busyState.end();
        refuse(reason, m_openingPath);
    };
    if (entries.count > maxListLines)
        return refused(ListFileRefusal::TooManyLines);
    if (entries.longestEntry > maxLineChars)
        return refused(ListFileRefusal::LineTooLong);
    // Shared, for the work is called as const and takes the text over once.
    auto text = std::make_shared<std::string>(std::move(entries.text));
    m_tableLoader.start(
        [text, table, columnLeftOut = entries.columnLeftOut](const std::atomic<bool>&) {
            auto list = std::make_shared<sortivo::LoadedList>(sortivo::loadList(std::move(*text)));
            list->columnLeftOut = columnLeftOut;
            // An entry per row taken, or the rows would be another list's.
            if (list->entries->size() == table->entryRows.size()) {
                table->entries = list->entries;
                list->table = std::move(table);
            }
            return list;
        });
}

void ListFileCommands::tableLoaded(std::shared_ptr<sortivo::LoadedList> list)
{
    // Cancelled while loading: the list is as it was.
    if (m_tableLoader.stopped()) {
        endOpen();
        return;
    }
    m_opened = std::move(*list);
    m_filler->start(m_opened.entries);
}

// Reading and decoding a byte costs about an eighth of putting it into the box. The reading
// counts only once it has been shown, so that a list read at once starts from 0%.
void ListFileCommands::showReadProgress(qint64 bytesRead)
{
    if (m_fileSize <= 0)
        return;
    m_readWork = m_fileSize / readWorkDivisor;
    showProgress(std::min(bytesRead, m_fileSize) / readWorkDivisor, m_readWork + m_fileSize);
}

void ListFileCommands::showFillProgress(std::int64_t done, std::int64_t total)
{
    showProgress(m_readWork + done, m_readWork + total);
}

void ListFileCommands::showProgress(std::int64_t done, std::int64_t total)
{
    // The list's text may be longer than the file was thought to make it: the figure waits
    // rather than going back.
    const double fraction = double(done) / double(total);
    if (fraction < m_shownFraction)
        return;
    m_shownFraction = fraction;
    // Only an open that takes more than one piece or one slice shows it.
    m_busyState.showProgress(done, total);
}

void ListFileCommands::endOpen()
{
    // The percentage told of this open only.
    m_busyState.clearProgress();
    m_platform.setBusyCursor(false);
    m_busyState.end();
    m_listWatcher.refreshList();
}

void ListFileCommands::fillEnded(bool cancelled)
{
    const std::optional<sortivo::UnreadLines> unread = std::exchange(m_unread, std::nullopt);
    const sortivo::LoadedList opened = std::exchange(m_opened, {});
    // Told while the open still counts as running, so that whoever hears of the open's end
    // already has the entries.
    if (!cancelled && opened.entries)
        emit listOpened(opened);
    endOpen();
    // The stop at an empty line is the rule, but the lines below it are often entrants: the
    // user must hear of them before drawing without them.
    if (!cancelled && unread)
        m_platform.showInformation(m_window, appTitle(),
                                   QString::fromStdString(sortivo::unreadLinesMessage(*unread)));
}

void ListFileCommands::refuseLongPastedLine()
{
    m_platform.showWarning(m_window, appTitle(),
                           QStringLiteral("Impossible de coller ce texte : une ligne dépasse %1 "
                                          "caractères.")
                               .arg(QString::fromStdString(sortivo::frenchNumber(maxLineChars))));
}

void ListFileCommands::save()
{
    const QString proposed = m_lastPathIsTable ? resultsPathFor(m_lastPath) : m_lastPath;
    const QString path = m_platform.askSaveFileName(m_window, proposed, nameFilter);
    if (path.isEmpty())
        return;
    m_lastPath = path;
    m_lastPathIsTable = false;

    const QString cannotSave = QStringLiteral("Impossible d'enregistrer");
    const auto warn = [&](const QString& text, const QString& reason = {}) {
        QString message = text + QStringLiteral("\n") + QDir::toNativeSeparators(path);
        if (!reason.isEmpty())
            message += QStringLiteral("\n") + reason;
        m_platform.showWarning(m_window, appTitle(), message);
    };
    // A link at the name is itself what gets replaced, so only what stands there counts.
    const QFileInfo info(path);
    const bool link = info.isSymLink();
    if (!link && info.isDir()) {
        warn(cannotSave + QStringLiteral(" : c'est un dossier."));
        return;
    }
    if (!link && info.exists() && !info.isFile()) {
        warn(cannotSave + QStringLiteral(" : ce n'est pas un fichier ordinaire."));
        return;
    }
    // A workbook replaced by a few lines of results is lost: its question answers No to Enter.
    const Replaced replaced = link || !info.exists() ? Replaced::Text : replacedKind(info);
    if (replaced != Replaced::Text) {
        const QString question =
            replaced == Replaced::Workbook
                ? QStringLiteral("« %1 » est un classeur, pas un fichier texte. Le remplacer par "
                                 "les résultats ?")
                : QStringLiteral("« %1 » n'est pas un fichier texte. Le remplacer par les "
                                 "résultats ?");
        if (!m_platform.askYesNoDefaultNo(m_window, question.arg(info.fileName())))
            return;
    } else if (link || info.exists()) {
        if (!m_platform.askYesNo(
                m_window, QStringLiteral("Ce fichier existe déjà, voulez-vous le remplacer ?")))
            return;
    }
    m_platform.setBusyCursor(true);
    const std::string bytes = sortivo::encodeResultFile(boxText(m_results));
    const sortivo::Expected<void, SaveFailure> saved =
        saveReplacing(path, m_platform.files(), bytes);
    m_platform.setBusyCursor(false);
    if (!saved && saved.error().readOnly)
        warn(cannotSave + QStringLiteral(" le fichier : il est en lecture seule."));
    else if (!saved)
        warn(cannotSave + QStringLiteral(" le fichier."), saved.error().reason);
}

bool ListFileCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_list.viewport())
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!droppedFile(drag->mimeData()).isEmpty()) {
            drag->acceptProposedAction();
            return true;
        }
    } else if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = droppedFile(drop->mimeData());
        if (!path.isEmpty()) {
            drop->acceptProposedAction();
            openFile(path);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
