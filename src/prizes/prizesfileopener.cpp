#include "prizes/prizesfileopener.h"

#include "core/text/french.h"
#include "listsource/listsource.h"
#include "listtools/columnsdialog.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>

namespace
{

const QString prizeFilters =
    QStringLiteral("Listes et tableaux (*.txt *.csv *.tsv *.xlsx *.ods);;Fichiers Texte (*.txt);;"
                   "Tous les fichiers (*)");

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

PrizesFileOpener::PrizesFileOpener(QWidget* dialog, Platform& platform, QString documentsFolder)
    : QObject(dialog), m_dialog(dialog), m_platform(platform),
      m_lastPath(std::move(documentsFolder)), m_reader(new ListFileReader(this))
{
    connect(m_reader, &ListFileReader::finished, this, &PrizesFileOpener::fileRead);
}

PrizesFileOpener::~PrizesFileOpener()
{
    if (m_reader->running())
        m_platform.setBusyCursor(false);
}

void PrizesFileOpener::open()
{
    if (m_reader->running())
        return;
    const QString path = m_platform.askOpenFileName(m_dialog, m_lastPath, prizeFilters);
    if (path.isEmpty())
        return;
    m_lastPath = m_openingPath = path;
    if (const std::optional<ListFileRefusal> refusal =
            refusalBeforeReading(QFile::encodeName(path).toStdString())) {
        refuse(refusal->text(), refusal->systemReason());
        return;
    }
    m_platform.setBusyCursor(true);
    m_reader->start(path);
}

void PrizesFileOpener::refuse(const QString& why, const QString& systemReason)
{
    QString message = why + QStringLiteral("\n") + QDir::toNativeSeparators(m_openingPath);
    if (!systemReason.isEmpty())
        message += QStringLiteral("\n") + systemReason;
    m_platform.showWarning(m_dialog, QStringLiteral("Lots"), message);
}

void PrizesFileOpener::fileRead(const std::shared_ptr<ListFileReader::Outcome>& outcome)
{
    m_platform.setBusyCursor(false);
    const auto& file = outcome->file;
    if (!file) {
        refuse(file.error().text(), file.error().systemReason());
        return;
    }
    if (file->cancelled)
        return;
    QStringList lines;
    const auto take = [&lines](const sortivo::EntryList& entries) {
        if (entries.size() > mostPrizeLines)
            return false;
        for (std::size_t i = 0; i < entries.size(); ++i)
            lines << fromUtf8(entries.at(i));
        return true;
    };
    bool taken = false;
    if (file->sheets.empty()) {
        taken = take(*outcome->list.entries);
    } else {
        ListFile& table = *outcome->file;
        ColumnsDialog dialog(table.sheets, outcome->choice, std::move(outcome->entries),
                             table.delimitedText ? &*table.delimitedText : nullptr, table.separator,
                             m_platform, m_dialog);
        m_platform.runModal(dialog);
        if (dialog.result() != QDialog::Accepted)
            return;
        sortivo::TableEntries entries = dialog.takeEntries();
        taken = entries.count <= mostPrizeLines &&
                take(*sortivo::loadList(std::move(entries.text)).entries);
    }
    if (!taken) {
        refuse(QStringLiteral("Ce fichier a plus de %1 lignes : ce n'est pas une liste de lots.")
                   .arg(fromUtf8(sortivo::frenchNumber(mostPrizeLines))));
        return;
    }
    emit opened(lines.join(QLatin1Char('\n')));
}
