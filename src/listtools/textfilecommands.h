#pragma once

#include <QObject>
#include <QString>

#include <cstddef>
#include <optional>

class ListEditor;
class Platform;
class QWidget;
struct MainWindowUi;
struct WindowState;

// Open a text file into the list (from the toolbar, or dropped on the list), and save the
// results to one.
class TextFileCommands : public QObject
{
    Q_OBJECT
public:
    // Past these a list is refused on opening. The list box shows a million lines in about 7 s
    // and keeps some 430 MB for them; five million took 40 s and up to 2 GB. A key typed in a
    // line costs about 1 ms per thousand characters of the line, so at 100,000 characters the
    // box still answers within a tenth of a second (bench_window, BM_ListBoxTakesLines and
    // BM_KeyInLongLine).
    static constexpr std::size_t maxListLines = 1'000'000;
    static constexpr std::size_t maxLineChars = 100'000;

    TextFileCommands(QWidget* window, MainWindowUi& ui, WindowState& state, Platform& platform,
                     ListEditor& listEditor);

    void open();
    void openFile(const QString& path);
    void save();
    // A paste or drop into the list held a line past maxLineChars, and was not taken.
    void refuseLongPastedLine();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readIntoList(const QString& path);
    // Nothing when the file was written, else the system's reason.
    std::optional<QString> writeResults(const QString& path);
    void refuse(const QString& text, const QString& path, const QString& reason = {});

    QWidget* m_window;
    MainWindowUi& m_ui;
    WindowState& m_state;
    Platform& m_platform;
    ListEditor& m_listEditor;
    // Both dialogs propose the file last chosen in either.
    QString m_lastPath;
};
