#include "recovery/crashedsessions.h"

#include "core/proof/proofprotocol.h"
#include "core/text/french.h"
#include "platform/platform.h"
#include "widgets/apptitle.h"

#include <QDir>
#include <QLocale>

#include <algorithm>
#include <iterator>
#include <vector>

#include <unistd.h>

namespace
{

QString counted(std::size_t count, std::string_view singular, std::string_view plural)
{
    return QString::fromStdString(
        sortivo::frenchCount(count, singular, plural, sortivo::Thousands::None));
}

QString frenchDate(const QDate& date)
{
    const QLocale french(QLocale::French, QLocale::France);
    // French writes the first day of a month as an ordinal.
    const QString day = date.day() == 1 ? QStringLiteral("1er") : QString::number(date.day());
    return day + QLatin1Char(' ') + french.toString(date, QStringLiteral("MMMM yyyy"));
}

bool worthKeeping(const sortivo::ResumedSession& session)
{
    return !session.proof.runs().empty() || session.proof.communicatedAt() ||
           !session.list.empty() || !session.results.empty();
}

void release(sortivo::OrphanJournal& journal)
{
    if (journal.lockFd >= 0)
        ::close(journal.lockFd);
    journal.lockFd = -1;
}

} // namespace

QString resumeQuestion(const QDateTime& started, std::size_t runs, std::size_t results)
{
    const QDateTime local = started.toLocalTime();
    return QStringLiteral("Sortivo s'est fermé sans terminer la séance commencée le %1 à %2 (%3, "
                          "%4). Reprendre cette séance ?")
        .arg(frenchDate(local.date()), local.time().toString(QStringLiteral("HH:mm")),
             counted(runs, "tirage", "tirages"), counted(results, "résultat", "résultats"));
}

std::optional<ResumeChoice>
offerCrashedSessions(QWidget* window, Platform& platform, const QString& folder,
                     const std::function<bool(const sortivo::ProofSession&)>& saveRecord)
{
    std::vector<sortivo::OrphanJournal> journals =
        sortivo::orphanJournals(QDir(folder).absolutePath().toStdString());
    for (auto it = journals.begin(); it != journals.end(); ++it) {
        sortivo::OrphanJournal& journal = *it;
        std::optional<sortivo::ResumedSession> session;
        const std::string lastWritten = sortivo::lastWrittenAt(journal.path);
        // One that someone else could have written is not even read: it is not to be offered.
        if (journal.distrust.empty()) {
            platform.setBusyCursor(true);
            if (const sortivo::Expected<sortivo::JournalContents> contents =
                    sortivo::readJournal(journal.path))
                if (sortivo::Expected<sortivo::ResumedSession> replayed =
                        sortivo::replayJournal(*contents))
                    session = std::move(*replayed);
            platform.setBusyCursor(false);
        }

        if (!session) {
            const QString why =
                journal.distrust.empty()
                    ? QStringLiteral("Le journal d'une séance interrompue est illisible.")
                    : QStringLiteral("Le journal d'une séance interrompue n'est pas repris : %1.")
                          .arg(QString::fromStdString(journal.distrust));
            // Left where it was when it cannot be moved, its lock released all the same.
            const sortivo::Expected<std::string> aside = sortivo::setJournalAside(journal);
            const QString kept = QString::fromStdString(aside ? *aside : journal.path);
            platform.showWarning(window, appTitle(),
                                 QStringLiteral("%1 Il est conservé sous : %2")
                                     .arg(why, QDir::toNativeSeparators(kept)));
            continue;
        }
        if (!worthKeeping(*session)) {
            sortivo::removeJournal(journal);
            continue;
        }
        const QDateTime started =
            QDateTime::fromString(QString::fromStdString(session->startedAt), Qt::ISODate);
        if (platform.askYesNo(window, resumeQuestion(started, session->proof.runs().size(),
                                                     session->resultCount))) {
            // The others wait for a later start, or for another window.
            std::for_each(std::next(it), journals.end(), release);
            sortivo::Resumption resumption{lastWritten.empty() ? session->startedAt : lastWritten,
                                           sortivo::isoTimeNow()};
            session->proof.addResumption(resumption);
            return ResumeChoice{std::move(*session), journal, std::move(resumption)};
        }
        const bool hasRecord = !session->proof.runs().empty() || session->proof.communicatedAt();
        if (hasRecord &&
            platform.askYesNo(window, QStringLiteral("Enregistrer d'abord le procès-verbal de "
                                                     "cette séance ?")) &&
            !saveRecord(session->proof)) {
            release(journal);
            continue;
        }
        sortivo::removeJournal(journal);
    }
    return std::nullopt;
}
