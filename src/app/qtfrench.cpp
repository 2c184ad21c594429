#include "app/qtfrench.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installQtFrench(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_fr"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
