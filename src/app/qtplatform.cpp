#include "app/qtplatform.h"

#include "app/earlyclickguard.h"
#include "web/desktoplaunch.h"
#include "widgets/apptitle.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

QtPlatform::~QtPlatform()
{
    setBusyCursor(false);
}

namespace
{

bool askYesOrNo(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                QMessageBox::StandardButton byDefault)
{
    QMessageBox box(icon, appTitle(), text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(byDefault);
    // The question may open under the pointer of a double click on the button that asks it.
    new EarlyClickGuard(box, std::chrono::milliseconds(QApplication::doubleClickInterval()));
    return box.exec() == QMessageBox::Yes;
}

} // namespace

bool QtPlatform::askYesNo(QWidget* parent, const QString& text)
{
    return askYesOrNo(parent, text, QMessageBox::NoIcon, QMessageBox::Yes);
}

bool QtPlatform::askYesNoDefaultNo(QWidget* parent, const QString& text)
{
    return askYesOrNo(parent, text, QMessageBox::Warning, QMessageBox::No);
}

Platform::Answer QtPlatform::askYesNoCancel(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, appTitle(), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    new EarlyClickGuard(box, std::chrono::milliseconds(QApplication::doubleClickInterval()));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void QtPlatform::showInformation(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::information(parent, title, text);
}

void QtPlatform::showWarning(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::warning(parent, title, text);
}

std::optional<QString> QtPlatform::askText(QWidget* parent, const QString& title,
                                           const QString& prompt, const QString& defaultText)
{
    bool ok = false;
    QString answer =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

QString QtPlatform::askOpenFileName(QWidget* parent, const QString& proposedPath,
                                    const QString& nameFilter)
{
    return QFileDialog::getOpenFileName(parent, QString(), proposedPath, nameFilter);
}

QString QtPlatform::askSaveFileName(QWidget* parent, const QString& proposedPath,
                                    const QString& nameFilter)
{
    // The program asks its own overwrite question, with its own wording.
    return QFileDialog::getSaveFileName(parent, QString(), proposedPath, nameFilter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

bool QtPlatform::askPrinter(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void QtPlatform::runModal(QDialog& dialog)
{
    dialog.exec();
}

bool QtPlatform::launchApplication(const QString& entryFile, const QString& url,
                                   std::function<void()> failedLater)
{
    return launchDesktopEntry(entryFile, url, std::move(failedLater));
}

void QtPlatform::setBusyCursor(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
