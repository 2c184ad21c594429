#include "listtools/textfilecommands.h"

#include "app/apptitle.h"
#include "app/mainwindowui.h"
#include "app/platform.h"
#include "app/textboxtext.h"
#include "app/windowstate.h"
#include "core/textdecode.h"
#include "listtools/listeditor.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSaveFile>

namespace
{

const QString nameFilter = QStringLiteral("Fichiers Texte (*.txt)");
// A list is names, not a disk image: past this a file is refused rather than read into memory.
constexpr qint64 largestListFile = qint64(256) * 1024 * 1024;

QString droppedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
        return {};
    const QUrl url = mime->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

} // namespace

TextFileCommands::TextFileCommands(QWidget* window, MainWindowUi& ui, WindowState& state,
                                   Platform& platform, ListEditor& listEditor)
    : QObject(window), m_window(window), m_ui(ui), m_state(state), m_platform(platform),
      m_listEditor(listEditor)
{
    m_ui.txtListe->viewport()->installEventFilter(this);
}

void TextFileCommands::open()
{
    if (m_state.drawRunning)
        return;
    m_ui.lblPourCent->hide();
    const QString proposed = m_lastPath.isEmpty() ? m_state.documentsFolder : m_lastPath;
    const QString path = m_platform.askOpenFileName(m_window, proposed, nameFilter);
    if (path.isEmpty())
        return;
    m_lastPath = path;
    readIntoList(path);
}

void TextFileCommands::openFile(const QString& path)
{
    if (m_state.drawRunning)
        return;
    m_ui.lblPourCent->hide();
    m_lastPath = path;
    readIntoList(path);
}

void TextFileCommands::refuse(const QString& text, const QString& path)
{
    m_platform.showWarning(m_window, appTitle(),
                           text + QStringLiteral("\n") + QDir::toNativeSeparators(path));
}

void TextFileCommands::readIntoList(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        refuse(QStringLiteral("Impossible d'ouvrir le fichier."), path);
        return;
    }
    if (info.isDir()) {
        refuse(QStringLiteral("Impossible d'ouvrir le fichier : c'est un dossier."), path);
        return;
    }
    // A pipe would wait for a writer and a device may never end: only a plain file is a list.
    if (!info.isFile()) {
        refuse(
            QStringLiteral("Impossible d'ouvrir le fichier : ce n'est pas un fichier ordinaire."),
            path);
        return;
    }
    if (info.size() > largestListFile) {
        refuse(QStringLiteral("Impossible d'ouvrir le fichier : il dépasse 256 Mo."), path);
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(QStringLiteral("Impossible d'ouvrir le fichier."), path);
        return;
    }
    m_platform.setBusyCursor(true);
    const QByteArray bytes = file.readAll();
    const bool readFailed = file.error() != QFileDevice::NoError;
    file.close();
    if (readFailed) {
        m_platform.setBusyCursor(false);
        refuse(QStringLiteral("Impossible de lire le fichier."), path);
        return;
    }
    const sortivo::DecodedList decoded =
        sortivo::decodeListFile(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    if (decoded.status != sortivo::DecodedList::Status::Ok) {
        m_platform.setBusyCursor(false);
        refuse(QStringLiteral("Ce fichier n'est pas un fichier texte."), path);
        return;
    }
    setBoxText(*m_ui.txtListe, decoded.listText);
    m_listEditor.refreshList();
    m_platform.setBusyCursor(false);
}

void TextFileCommands::save()
{
    const QString path = m_platform.askSaveFileName(m_window, m_lastPath, nameFilter);
    if (path.isEmpty())
        return;
    m_lastPath = path;

    const QFileInfo info(path);
    if (info.exists()) {
        if (info.isDir()) {
            m_platform.showWarning(
                m_window, appTitle(),
                QStringLiteral("Impossible d'enregistrer : c'est un dossier.\n") +
                    QDir::toNativeSeparators(path));
            return;
        }
        if (!m_platform.askYesNo(
                m_window, QStringLiteral("Ce fichier existe déjà, voulez-vous le remplacer ?")))
            return;
    }
    m_platform.setBusyCursor(true);
    const bool saved = writeResults(path);
    m_platform.setBusyCursor(false);
    if (!saved)
        m_platform.showWarning(m_window, appTitle(),
                               QStringLiteral("Impossible d'enregistrer le fichier.\n") +
                                   QDir::toNativeSeparators(path));
}

bool TextFileCommands::writeResults(const QString& path)
{
    // A read-only file stays as it is, even where its folder would let a new file replace it.
    const QFileInfo info(path);
    if (info.exists() && !info.isWritable())
        return false;
    // The new content goes to a new file that replaces the old one only once complete, so a
    // full disk never leaves the user with neither.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const std::string bytes = sortivo::encodeResultFile(boxText(*m_ui.txtResult));
    if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool TextFileCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_ui.txtListe->viewport())
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
