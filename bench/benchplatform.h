#pragma once

#include "platform/platform.h"

#include <QDialog>
#include <QString>
#include <QtGlobal>

#include <cstdlib>

// Answers the clear prompt with Yes, the open dialog with the file it was given and the choice
// of columns with its own defaults; any other dialog is a fault of the setup.
class BenchPlatform final : public Platform
{
public:
    QString openPath;
    bool busy = false;

    bool askYesNo(QWidget*, const QString&) override { return true; }
    bool askYesNoDefaultNo(QWidget*, const QString&) override { unexpected(); }
    Answer askYesNoCancel(QWidget*, const QString&) override { unexpected(); }
    void showInformation(QWidget*, const QString&, const QString&) override { unexpected(); }
    void showWarning(QWidget*, const QString&, const QString&) override { unexpected(); }
    std::optional<QString> askText(QWidget*, const QString&, const QString&,
                                   const QString&) override
    {
        unexpected();
    }
    QString askOpenFileName(QWidget*, const QString&, const QString&) override { return openPath; }
    QString askSaveFileName(QWidget*, const QString&, const QString&) override { unexpected(); }
    bool askPrinter(QWidget*, QPrinter&) override { unexpected(); }
    void runModal(QDialog& dialog) override
    {
        if (dialog.objectName() != QLatin1String("frmColonnes"))
            unexpected();
        dialog.accept();
    }
    bool launchApplication(const QString&, const QString&, std::function<void()>) override
    {
        unexpected();
    }
    void setBusyCursor(bool on) override { busy = on; }
    // The benchmarks save nothing.
    sortivo::FileSystem& files() override { unexpected(); }

private:
    [[noreturn]] static void unexpected()
    {
        qFatal("the benchmark's window asked for a dialog");
        std::abort();
    }
};
