#include "cli/commandline.h"

#include "cli/exitstatus.h"
#include "cli/verifycommand.h"
#include "core/text/buildversion.h"
#include "core/text/version.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace
{

// The window system's own options (-platform xcb, -style fusion, -session id when the desktop
// restarts a session, ...) are for the QApplication made later: let them through unlisted.
void allowWindowSystemOptions(QCommandLineParser& parser)
{
    const char* const withValue[] = {
        "platform",        "platformpluginpath", "platformtheme", "plugin", "display", "geometry",
        "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "title",  "name",    "session",
        "style",           "stylesheet"};
    for (const char* name : withValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("x"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

StartRequest refuse(const QCommandLineParser& parser, const QString& reason)
{
    print(stderr, reason + QStringLiteral("\n\n") + parser.helpText());
    return {exitstatus::usageError, {}};
}

} // namespace

namespace
{

QString shownVersion()
{
    namespace b = sortivo::build;
    return QString::fromStdString(
        sortivo::versionString(b::versionMajor, b::versionMinor, b::versionPatch));
}

} // namespace

QString versionLine()
{
    return QStringLiteral("Sortivo, version ") + shownVersion();
}

QString softwareName()
{
    return QStringLiteral("Sortivo ") + shownVersion();
}

StartRequest readCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Sortivo tire au sort les éléments d'une liste, un par ligne : un nombre "
                       "choisi,\nun seul, tous dans un ordre au hasard, ou tous en équipes.\n"
                       "Sans fenêtre : sortivo tirer --help"));
    // Qt's own help option would describe itself in English and offer Qt's options too.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Afficher cette aide."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption verify(
        QStringLiteral("verifier"),
        QStringLiteral("Vérifier le procès-verbal d'un tirage (fichier JSON), sans fenêtre :\n"
                       "CONFORME (code 0) ou NON CONFORME et la raison (code 1)."),
        QStringLiteral("FICHIER"));
    parser.addOption(verify);
    parser.addPositionalArgument(
        QStringLiteral("fichier"),
        QStringLiteral("Fichier texte à ouvrir dans la liste au démarrage."),
        QStringLiteral("[fichier]"));
    allowWindowSystemOptions(parser);

    if (!parser.parse(arguments))
        return refuse(parser, parser.errorText());
    if (parser.isSet(help)) {
        print(stdout, parser.helpText());
        return {exitstatus::done, {}};
    }
    if (parser.isSet(version)) {
        print(stdout, versionLine() + QStringLiteral("\n"));
        return {exitstatus::done, {}};
    }
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(verify)) {
        if (!files.isEmpty())
            return refuse(parser, QStringLiteral("--verifier ne prend pas de liste à ouvrir."));
        return {verifyRecordFile(parser.value(verify)), {}};
    }
    if (files.size() > 1)
        return refuse(parser, QStringLiteral("Un seul fichier à la fois."));
    return {std::nullopt, files.value(0)};
}
