#include "listsource/listfilerefusal.h"

#include "core/list/listlimits.h"
#include "core/text/french.h"

QString ListFileRefusal::text(Reason reason)
{
    // The context tells a translator that these refuse a list, not a record or a seed file.
    const char* const context = "refus d'ouvrir une liste";
    switch (reason) {
    case CannotOpen:
        return tr("Impossible d'ouvrir le fichier.", context);
    case Folder:
        return tr("Impossible d'ouvrir le fichier : c'est un dossier.", context);
    case NotRegular:
        return tr("Impossible d'ouvrir le fichier : ce n'est pas un fichier ordinaire.", context);
    case TooBig:
        return tr("Impossible d'ouvrir le fichier : il dépasse %1 Mo.", context)
            .arg(qulonglong(sortivo::largestListFile / (1024 * 1024)));
    case CannotRead:
        return tr("Impossible de lire le fichier.", context);
    case NotText:
        return tr("Ce fichier n'est pas un fichier texte.", context);
    case TooManyLines:
        return tr("Impossible d'ouvrir le fichier : la liste dépasse %1 lignes.", context)
            .arg(QString::fromStdString(sortivo::frenchNumber(sortivo::listFileLimits.maxLines)));
    case Table:
        break;
    case LineTooLong:
        return tr("Impossible d'ouvrir le fichier : une ligne dépasse %1 caractères.", context)
            .arg(QString::fromStdString(
                sortivo::frenchNumber(sortivo::listFileLimits.maxLineChars)));
    }
    return {};
}
