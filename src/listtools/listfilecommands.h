#pragma once

#include "core/list/listlimits.h"
#include "jobs/backgroundjob.h"
#include "listtools/listfilereader.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

class ListBoxFiller;
class ListWatcher;
class Platform;
class QPlainTextEdit;
class QWidget;
class BusyState;

// Open a text file into the list (from the toolbar, or dropped on the list), and save the
// results to one.
class ListFileCommands : public QObject
{
    Q_OBJECT
public:
    // Past these a list is refused on opening.
    static constexpr std::size_t maxListLines = sortivo::listFileLimits.maxLines;
    static constexpr std::size_t maxLineChars = sortivo::listFileLimits.maxLineChars;

    // The open dialog starts in `documentsFolder` (empty when the system names none) until a
    // file has been chosen.
    ListFileCommands(QWidget* window, QPlainTextEdit& list, const QPlainTextEdit& results,
                     BusyState& busyState, Platform& platform, ListWatcher& listWatcher,
                     QString documentsFolder);
    ~ListFileCommands() override;

    void open();
    void openFile(const QString& path);
    // An open in progress ends at its next step, leaving the list as it was before it or, once
    // the box has started to take the new list, empty.
    void cancelOpen();
    void save();
    // A paste or drop into the list held a line past maxLineChars, and was not taken.
    void refuseLongPastedLine();

signals:
    // An open put `list` into the box, which shows exactly its entries until it is changed.
    void listOpened(const sortivo::LoadedList& list);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readIntoList(const QString& path);
    void fileRead(const std::shared_ptr<ListFileReader::Outcome>& outcome);
    // frmColonnes turns a table into the entries that fill the list, or leaves it as it was.
    void chooseColumns(ListFileReader::Outcome& outcome);
    // A table's entries, hashed and checked as a text list's are, go into the box.
    void tableLoaded(std::shared_ptr<sortivo::LoadedList> list);
    void showReadProgress(qint64 bytesRead);
    void showFillProgress(std::int64_t done, std::int64_t total);
    void showProgress(std::int64_t done, std::int64_t total);
    void endOpen();
    void fillEnded(bool cancelled);
    void refuse(const ListFileRefusal& refusal, const QString& path);

    QWidget* m_window;
    QPlainTextEdit& m_list;
    const QPlainTextEdit& m_results;
    BusyState& m_busyState;
    Platform& m_platform;
    ListWatcher& m_listWatcher;
    QString m_documentsFolder;
    ListFileReader* m_reader;
    ListBoxFiller* m_filler;
    // What the open being filled left below its empty line, told once the list is in the box.
    std::optional<sortivo::UnreadLines> m_unread;
    // The list being put into the box by an open of a text file.
    sortivo::LoadedList m_opened;
    // The file being opened, for the messages of a refusal that comes once it is read.
    QString m_openingPath;
    // What the file says it holds, and what reading it counts for in the open's progress.
    qint64 m_fileSize = 0;
    qint64 m_readWork = 0;
    double m_shownFraction = 0;
    // Both dialogs propose the file last chosen in either; Save, when it was opened as a table,
    // a text file named after it instead.
    QString m_lastPath;
    bool m_lastPathIsTable = false;
    // Loads the entries frmColonnes made off the window's thread: millions of tickets would
    // hold it for seconds, and the journal and the first draw would read the box for them.
    BackgroundJob<std::shared_ptr<sortivo::LoadedList>> m_tableLoader;
};
