#pragma once

#include "listtools/listfilereader.h"

#include <QObject>
#include <QString>

#include <memory>

class Platform;
class QWidget;

// "Ouvrir…" in frmLots: a text file, or one column of a table, read as Open reads a list (the
// same reader, refusals and column dialog) and handed back as prize lines.
class PrizesFileOpener : public QObject
{
    Q_OBJECT
public:
    // The open dialog starts in `documentsFolder` until a file has been chosen.
    PrizesFileOpener(QWidget* dialog, Platform& platform, QString documentsFolder);
    ~PrizesFileOpener() override;

    // The prizes are one a line; past this a file is not a list of prizes.
    static constexpr std::size_t mostPrizeLines = 10'000;

    bool running() const { return m_reader->running(); }
    void open();

signals:
    // The prizes the file holds, one a line.
    void opened(const QString& lines);

private:
    void fileRead(const std::shared_ptr<ListFileReader::Outcome>& outcome);
    void refuse(const QString& why, const QString& systemReason = {});

    QWidget* m_dialog;
    Platform& m_platform;
    QString m_lastPath;
    QString m_openingPath;
    ListFileReader* m_reader;
};
