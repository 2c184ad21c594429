#include "texts/listfilerefusal.h"

#include "core/listlimits.h"

#include <QLocale>

QString ListFileRefusal::text(Reason reason)
{
    // The context tells a translator that these refuse a list, not a record or a seed file.
    const char* const context = "refus d'ouvrir une liste";
    const QLocale french(QLocale::French);
    switch (reason) {
    case CannotOpen:
        return tr("Impossible d'ouvrir le fichier.", context);
    case Folder:
        return tr("Impossible d'ouvrir le fichier : c'est un dossier.", context);
    case NotRegular:
        return tr("Impossible d'ouvrir le fichier : ce n'est pas un fichier ordinaire.", context);
    case TooBig:
        return tr("Impossible d'ouvrir le fichier : il dépasse 256 Mo.", context);
    case CannotRead:
        return tr("Impossible de lire le fichier.", context);
    case NotText:
        return tr("Ce fichier n'est pas un fichier texte.", context);
    case TooManyLines:
        return tr("Impossible d'ouvrir le fichier : la liste dépasse %1 lignes.", context)
            .arg(french.toString(qulonglong(sortivo::listFileLimits.maxLines)));
    case LineTooLong:
        return tr("Impossible d'ouvrir le fichier : une ligne dépasse %1 caractères.", context)
            .arg(french.toString(qulonglong(sortivo::listFileLimits.maxLineChars)));
    }
    return {};
}
