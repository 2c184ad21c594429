#include "listtools/textfilecommands.h"

#include "common/apptitle.h"
#include "common/filereplacement.h"
#include "common/platform.h"
#include "common/progresslabel.h"
#include "common/runstate.h"
#include "common/textboxtext.h"
#include "core/textdecode.h"
#include "listtools/listeditor.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QPlainTextEdit>

#include <algorithm>
#include <optional>

namespace
{

const QString nameFilter = QStringLiteral("Fichiers Texte (*.txt)");
// A list is names, not a disk image: past this a file is refused rather than read into memory.
constexpr qint64 largestListFile = qint64(256) * 1024 * 1024;
constexpr sortivo::DecodeLimits listLimits{TextFileCommands::maxListLines,
                                           TextFileCommands::maxLineChars};

// The file's bytes, stopping once more than `limit` have come, so that a file streaming
// without end costs no more than the limit. Read in whole pieces: some files of the system
// take reads only in multiples of their record size. Nothing when a read fails.
std::optional<QByteArray> readPastLimit(QFile& file, qint64 limit, qint64 sizeHint)
{
    constexpr qint64 piece = qint64(1) << 20;
    QByteArray bytes;
    bytes.reserve(qsizetype(std::clamp(sizeHint + piece, qint64(0), limit + piece)));
    while (bytes.size() <= limit) {
        const qsizetype had = bytes.size();
        bytes.resize(had + qsizetype(piece));
        const qint64 got = file.read(bytes.data() + had, piece);
        if (got < 0)
            return std::nullopt;
        bytes.resize(had + qsizetype(got));
        if (got == 0)
            break;
    }
    return bytes;
}

QString droppedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
        return {};
    const QUrl url = mime->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

} // namespace

TextFileCommands::TextFileCommands(QWidget* window, QPlainTextEdit& list,
                                   const QPlainTextEdit& results, ProgressLabel& progress,
                                   const RunState& runState, Platform& platform,
                                   ListEditor& listEditor, QString documentsFolder)
    : QObject(window), m_window(window), m_list(list), m_results(results), m_progress(progress),
      m_runState(runState), m_platform(platform), m_listEditor(listEditor),
      m_documentsFolder(std::move(documentsFolder))
{
    m_list.viewport()->installEventFilter(this);
}

void TextFileCommands::open()
{
    if (m_runState.running())
        return;
    m_progress.hide();
    const QString proposed = m_lastPath.isEmpty() ? m_documentsFolder : m_lastPath;
    const QString path = m_platform.askOpenFileName(m_window, proposed, nameFilter);
    if (path.isEmpty()) {
        // The list stays, but a numbering may have left the choice of counts behind it.
        m_listEditor.refreshList();
        return;
    }
    m_lastPath = path;
    readIntoList(path);
}

void TextFileCommands::openFile(const QString& path)
{
    if (m_runState.running())
        return;
    m_progress.hide();
    m_lastPath = path;
    readIntoList(path);
}

void TextFileCommands::refuse(const QString& text, const QString& path, const QString& reason)
{
    m_platform.setBusyCursor(false);
    // Whatever stopped the reading, the choice of counts must match the list the user sees.
    m_listEditor.refreshList();
    QString message = text + QStringLiteral("\n") + QDir::toNativeSeparators(path);
    if (!reason.isEmpty())
        message += QStringLiteral("\n") + reason;
    m_platform.showWarning(m_window, appTitle(), message);
}

void TextFileCommands::readIntoList(const QString& path)
{
    const QString cannotOpen = QStringLiteral("Impossible d'ouvrir le fichier");
    const QFileInfo info(path);
    if (info.isDir()) {
        refuse(cannotOpen + QStringLiteral(" : c'est un dossier."), path);
        return;
    }
    // A pipe would wait for a writer and a device may never end: only a plain file is a list.
    if (info.exists() && !info.isFile()) {
        refuse(cannotOpen + QStringLiteral(" : ce n'est pas un fichier ordinaire."), path);
        return;
    }
    const QString tooBig = cannotOpen + QStringLiteral(" : il dépasse 256 Mo.");
    if (info.size() > largestListFile) {
        refuse(tooBig, path);
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        refuse(cannotOpen + QStringLiteral("."), path, file.errorString());
        return;
    }
    m_platform.setBusyCursor(true);
    // Some files report a size they do not have (0 for those of /proc) and stream without end.
    const std::optional<QByteArray> bytes = readPastLimit(file, largestListFile, info.size());
    if (!bytes) {
        refuse(QStringLiteral("Impossible de lire le fichier."), path, file.errorString());
        return;
    }
    file.close();
    if (bytes->size() > largestListFile) {
        refuse(tooBig, path);
        return;
    }
    const sortivo::DecodedList decoded = sortivo::decodeListFile(
        std::string_view(bytes->constData(), std::size_t(bytes->size())), listLimits);
    switch (decoded.status) {
    case sortivo::DecodedList::Status::Ok:
        break;
    case sortivo::DecodedList::Status::NotText:
        refuse(QStringLiteral("Ce fichier n'est pas un fichier texte."), path);
        return;
    case sortivo::DecodedList::Status::TooManyLines:
        refuse(cannotOpen + QStringLiteral(" : la liste dépasse %1 lignes.")
                                .arg(QLocale(QLocale::French).toString(maxListLines)),
               path);
        return;
    case sortivo::DecodedList::Status::LineTooLong:
        refuse(cannotOpen + QStringLiteral(" : une ligne dépasse %1 caractères.")
                                .arg(QLocale(QLocale::French).toString(maxLineChars)),
               path);
        return;
    }
    setBoxText(m_list, decoded.listText);
    m_listEditor.refreshList();
    m_platform.setBusyCursor(false);
}

void TextFileCommands::refuseLongPastedLine()
{
    m_platform.showWarning(m_window, appTitle(),
                           QStringLiteral("Impossible de coller ce texte : une ligne dépasse %1 "
                                          "caractères.")
                               .arg(QLocale(QLocale::French).toString(maxLineChars)));
}

void TextFileCommands::save()
{
    const QString path = m_platform.askSaveFileName(m_window, m_lastPath, nameFilter);
    if (path.isEmpty())
        return;
    m_lastPath = path;

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
    if (link || info.exists()) {
        if (!m_platform.askYesNo(
                m_window, QStringLiteral("Ce fichier existe déjà, voulez-vous le remplacer ?")))
            return;
    }
    // A read-only file stays as it is, even where its folder would let a new file replace it,
    // and even for root, whom the system lets write anywhere.
    constexpr auto writeBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!link && info.exists() && (!info.isWritable() || !(info.permissions() & writeBits))) {
        warn(cannotSave + QStringLiteral(" le fichier : il est en lecture seule."));
        return;
    }
    m_platform.setBusyCursor(true);
    const std::optional<QString> failure = writeResults(path);
    m_platform.setBusyCursor(false);
    if (failure)
        warn(cannotSave + QStringLiteral(" le fichier."), *failure);
}

std::optional<QString> TextFileCommands::writeResults(const QString& path)
{
    FileReplacement file(path);
    if (!file.open())
        return file.errorString();
    const std::string bytes = sortivo::encodeResultFile(boxText(m_results));
    if (file.device().write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        return file.device().errorString();
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

bool TextFileCommands::eventFilter(QObject* watched, QEvent* event)
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
