#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace sortivo
{
class FileSystem;
}

class QDialog;
class QPrinter;
class QWidget;

// Everything that stops and asks the user, or reaches outside the program, goes through here:
// the program shows Qt's own dialogs, and tests script the answers.
class Platform
{
public:
    virtual ~Platform() = default;

    // Yes/No question, Yes the default button, no icon, titled with the program's name. Mouse
    // clicks within a double-click interval of its appearing do not answer it.
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
    // The same with No the default button, for a Yes that would lose what cannot be had back.
    virtual bool askYesNoDefaultNo(QWidget* parent, const QString& text) = 0;
    enum class Answer { Yes, No, Cancel };
    // Yes/No/Cancel question, Yes the default and Escape cancelling, titled with the program's
    // name.
    virtual Answer askYesNoCancel(QWidget* parent, const QString& text) = 0;
    virtual void showInformation(QWidget* parent, const QString& title, const QString& text) = 0;
    // Exclamation icon: a failure the user must know of.
    virtual void showWarning(QWidget* parent, const QString& title, const QString& text) = 0;
    // The typed answer, or nothing when the box is cancelled.
    virtual std::optional<QString> askText(QWidget* parent, const QString& title,
                                           const QString& prompt, const QString& defaultText) = 0;
    // The chosen path, or an empty string when the dialog is cancelled.
    virtual QString askOpenFileName(QWidget* parent, const QString& proposedPath,
                                    const QString& nameFilter) = 0;
    virtual QString askSaveFileName(QWidget* parent, const QString& proposedPath,
                                    const QString& nameFilter) = 0;
    // Lets the user pick and set up the printer; false when cancelled.
    virtual bool askPrinter(QWidget* parent, QPrinter& printer) = 0;
    // Runs one of the program's own dialogs modally.
    virtual void runModal(QDialog& dialog) = 0;
    // Starts the application of a desktop entry file on an address, as the desktop would,
    // without waiting for it; false when it cannot start. `failedLater` runs afterwards if the
    // application ends with an error at once.
    virtual bool launchApplication(const QString& entryFile, const QString& url,
                                   std::function<void()> failedLater) = 0;
    // Busy pointer on or off for the whole application; repeated calls do not stack.
    virtual void setBusyCursor(bool busy) = 0;
    // What every saved file is written through: the system's, or in tests one that fails.
    virtual sortivo::FileSystem& files() = 0;
};
