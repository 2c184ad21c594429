#pragma once

#include "core/io/atomicfile.h"
#include "platform/platform.h"

class QtPlatform final : public Platform
{
public:
    ~QtPlatform() override;

    bool askYesNo(QWidget* parent, const QString& text) override;
    bool askYesNoDefaultNo(QWidget* parent, const QString& text) override;
    Answer askYesNoCancel(QWidget* parent, const QString& text) override;
    void showInformation(QWidget* parent, const QString& title, const QString& text) override;
    void showWarning(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt,
                                   const QString& defaultText) override;
    QString askOpenFileName(QWidget* parent, const QString& proposedPath,
                            const QString& nameFilter) override;
    QString askSaveFileName(QWidget* parent, const QString& proposedPath,
                            const QString& nameFilter) override;
    bool askPrinter(QWidget* parent, QPrinter& printer) override;
    void runModal(QDialog& dialog) override;
    bool launchApplication(const QString& entryFile, const QString& url,
                           std::function<void()> failedLater) override;
    void setBusyCursor(bool busy) override;
    sortivo::FileSystem& files() override { return m_files; }

private:
    bool m_busy = false;
    sortivo::FileSystem m_files;
};
