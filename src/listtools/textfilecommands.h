#pragma once

#include <QObject>
#include <QString>

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
    TextFileCommands(QWidget* window, MainWindowUi& ui, WindowState& state, Platform& platform,
                     ListEditor& listEditor);

    void open();
    void openFile(const QString& path);
    void save();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readIntoList(const QString& path);
    bool writeResults(const QString& path);
    void refuse(const QString& text, const QString& path);

    QWidget* m_window;
    MainWindowUi& m_ui;
    WindowState& m_state;
    Platform& m_platform;
    ListEditor& m_listEditor;
    // Both dialogs propose the file last chosen in either.
    QString m_lastPath;
};
