#include "cli/drawcommandline.h"

#include "cli/exitstatus.h"
#include "exports/palmaresexport.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <cstdio>

namespace
{

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Afficher cette aide.")};
    QCommandLineOption count{{QStringLiteral("n"), QStringLiteral("nombre")},
                             QStringLiteral("Tirer N éléments (par défaut : tous)."),
                             QStringLiteral("N")};
    QCommandLineOption one{{QStringLiteral("u"), QStringLiteral("un")},
                           QStringLiteral("Tirer un seul élément.")};
    QCommandLineOption teams{{QStringLiteral("e"), QStringLiteral("equipes")},
                             QStringLiteral("Tirer tous les éléments en équipes de K (2 à 10)."),
                             QStringLiteral("K")};
    QCommandLineOption publicValue{
        {QStringLiteral("p"), QStringLiteral("valeur-publique")},
        QStringLiteral("Valeur publique fournie par l'assistance après l'engagement."),
        QStringLiteral("TEXTE")};
    QCommandLineOption seed{{QStringLiteral("g"), QStringLiteral("graine")},
                            QStringLiteral("Rejouer le tirage d'une graine connue (64 chiffres "
                                           "hexadécimaux), pour vérifier."),
                            QStringLiteral("HEX")};
    QCommandLineOption seedFile{
        {QStringLiteral("f"), QStringLiteral("graine-fichier")},
        QStringLiteral("Fichier où --engagement garde la graine, et d'où un tirage la reprend."),
        QStringLiteral("FICHIER")};
    QCommandLineOption commit{
        {QStringLiteral("E"), QStringLiteral("engagement")},
        QStringLiteral("Afficher l'engagement d'une graine neuve, gardée dans --graine-fichier, "
                       "sans tirer.")};
    QCommandLineOption commitList{
        {QStringLiteral("l"), QStringLiteral("liste")},
        QStringLiteral("Avec --engagement : la liste fixée avec la graine ; son empreinte est "
                       "affichée avec l'engagement, à publier avec lui."),
        QStringLiteral("FICHIER")};
    QCommandLineOption continues{
        QStringLiteral("suite"),
        QStringLiteral("Tirer le tirage suivant de la session de --graine-fichier et l'ajouter "
                       "au procès-verbal --pv de ses tirages précédents.")};
    QCommandLineOption onePrize{
        QStringLiteral("un-lot-par-personne"),
        QStringLiteral("Un seul lot par personne : chaque entrée tirée retire les autres billets "
                       "de sa personne (« Nom (billet 2/5) » est un billet de « Nom »). Avec "
                       "--engagement, la règle est fixée dans le fichier de graine.")};
    QCommandLineOption prizes{
        QStringLiteral("lots"),
        QStringLiteral("Les lots, un par ligne dans l'ordre où ils se gagnent (« 3 × Bon » pour "
                       "trois lots) : chaque résultat est écrit « lot : gagnant », puis "
                       "« Suppléant n° 1 : … ». Avec --engagement, les lots sont fixés dans le "
                       "fichier de graine."),
        QStringLiteral("FICHIER")};
    QCommandLineOption prizeColumn{
        QStringLiteral("lots-colonne"),
        QStringLiteral("Pour des lots en tableau, titres en première ligne : la colonne des lots, "
                       "par titre ou numéro (par défaut : la première)."),
        QStringLiteral("COLONNE")};
    QCommandLineOption record{{QStringLiteral("o"), QStringLiteral("pv")},
                              QStringLiteral("Écrire le procès-verbal du tirage (JSON)."),
                              QStringLiteral("FICHIER.json")};
    QCommandLineOption palmares{
        QStringLiteral("palmares"),
        QStringLiteral("Écrire le palmarès (rang, lot, gagnant, tirage, heure, statut, et les "
                       "colonnes du tableau de la liste) en CSV, XLSX ou ODS, selon l'extension "
                       "du fichier."),
        QStringLiteral("FICHIER")};
    QCommandLineOption crlf{QStringLiteral("crlf"),
                            QStringLiteral("Finir les lignes par CR LF au lieu de LF.")};
    QCommandLineOption columns{
        QStringLiteral("colonnes"),
        QStringLiteral("Pour un tableau : les colonnes de l'entrée, par titre ou numéro depuis 1, "
                       "séparées par des virgules."),
        QStringLiteral("LISTE")};
    QCommandLineOption tickets{
        QStringLiteral("billets"),
        QStringLiteral("Pour un tableau : la colonne du nombre de billets de chaque ligne, par "
                       "titre ou numéro ; une entrée par billet, « (billet 2/5) » après le nom."),
        QStringLiteral("COLONNE")};
    QCommandLineOption noTitles{QStringLiteral("sans-titres"),
                                QStringLiteral("Pour un tableau : la première ligne est une "
                                               "entrée, pas des titres.")};
    QCommandLineOption sheet{QStringLiteral("feuille"),
                             QStringLiteral("Pour un classeur : la feuille N (depuis 1)."),
                             QStringLiteral("N")};
    QCommandLineOption noDuplicates{QStringLiteral("sans-doublons"),
                                    QStringLiteral("Pour un tableau : garder une fois chaque "
                                                   "entrée.")};
};

std::optional<int> wholeNumber(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    return text.toInt();
}

} // namespace

std::optional<DrawCommandOptions> readDrawCommandLine(const QStringList& arguments, int& exitStatus)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Tire au sort les éléments d'une liste (un par ligne) et écrit les résultats sur la\n"
        "sortie standard, un par ligne, ou une équipe par ligne. FICHIER « - » : l'entrée\n"
        "standard. Codes de retour : 0 fait, 1 entrée incorrecte, 2 mauvais usage."));
    Options o;
    for (const QCommandLineOption* option :
         {&o.help,        &o.count,  &o.one,         &o.teams,     &o.publicValue, &o.seed,
          &o.seedFile,    &o.commit, &o.commitList,  &o.continues, &o.onePrize,    &o.prizes,
          &o.prizeColumn, &o.record, &o.palmares,    &o.crlf,      &o.columns,     &o.tickets,
          &o.noTitles,    &o.sheet,  &o.noDuplicates})
        parser.addOption(*option);
    parser.addPositionalArgument(QStringLiteral("tirer"), QStringLiteral("La commande."),
                                 QStringLiteral("tirer"));
    parser.addPositionalArgument(QStringLiteral("FICHIER"),
                                 QStringLiteral("La liste, ou « - » pour l'entrée standard."),
                                 QStringLiteral("FICHIER|-"));

    const auto refuse = [&](const QString& reason) -> std::optional<DrawCommandOptions> {
        print(stderr, QStringLiteral("sortivo tirer : ") + reason + QStringLiteral("\n\n") +
                          parser.helpText());
        exitStatus = exitstatus::usageError;
        return std::nullopt;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(o.help)) {
        print(stdout, parser.helpText());
        exitStatus = exitstatus::done;
        return std::nullopt;
    }

    DrawCommandOptions request;
    const QStringList positional = parser.positionalArguments().mid(1);
    request.commitOnly = parser.isSet(o.commit);
    if (request.commitOnly) {
        if (!positional.isEmpty())
            return refuse(QStringLiteral("--engagement ne tire pas : pas de liste avec lui."));
        for (const QCommandLineOption* option :
             {&o.count, &o.one, &o.teams, &o.publicValue, &o.seed, &o.record, &o.palmares, &o.crlf,
              &o.continues})
            if (parser.isSet(*option))
                return refuse(QStringLiteral("--engagement ne tire pas : pas de --%1 avec lui.")
                                  .arg(option->names().constLast()));
        // A table is read with its options, so that its fingerprint is the one the draw finds.
        if (!parser.isSet(o.commitList))
            for (const QCommandLineOption* option :
                 {&o.columns, &o.tickets, &o.noTitles, &o.sheet, &o.noDuplicates})
                if (parser.isSet(*option))
                    return refuse(QStringLiteral("--%1 ne sert qu'à lire la liste de --liste.")
                                      .arg(option->names().constLast()));
        if (!parser.isSet(o.seedFile))
            return refuse(
                QStringLiteral("--engagement demande --graine-fichier, où garder la graine."));
        request.commitListPath = parser.value(o.commitList).toStdString();
    } else {
        if (parser.isSet(o.commitList))
            return refuse(QStringLiteral("--liste va avec --engagement ; la liste d'un tirage "
                                         "se donne seule."));
        if (positional.size() != 1)
            return refuse(positional.isEmpty() ? QStringLiteral("il manque le fichier de la liste.")
                                               : QStringLiteral("une seule liste à la fois."));
        request.listPath = positional.constFirst().toStdString();
    }

    const int modes =
        int(parser.isSet(o.count)) + int(parser.isSet(o.one)) + int(parser.isSet(o.teams));
    if (modes > 1)
        return refuse(QStringLiteral("--nombre, --un et --equipes s'excluent."));
    if (parser.isSet(o.count)) {
        const std::optional<int> n = wholeNumber(parser.value(o.count));
        if (!n || *n < 1)
            return refuse(QStringLiteral("--nombre attend un nombre entier positif."));
        request.mode = sortivo::DrawMode::Chosen;
        request.count = *n;
    } else if (parser.isSet(o.one)) {
        request.mode = sortivo::DrawMode::One;
    } else if (parser.isSet(o.teams)) {
        const std::optional<int> k = wholeNumber(parser.value(o.teams));
        if (!k || *k < 2 || *k > 10)
            return refuse(QStringLiteral("--equipes attend une taille d'équipe de 2 à 10."));
        request.mode = sortivo::DrawMode::Teams;
        request.teamSize = *k;
    }

    if (parser.isSet(o.seed) && parser.isSet(o.seedFile))
        return refuse(QStringLiteral("--graine et --graine-fichier s'excluent."));
    if (parser.isSet(o.seed)) {
        static const QRegularExpression hex(QStringLiteral("^[0-9a-fA-F]{64}$"));
        const QString seed = parser.value(o.seed);
        if (!hex.match(seed).hasMatch())
            return refuse(QStringLiteral("--graine attend 64 chiffres hexadécimaux."));
        request.seedHex = seed.toLower().toStdString();
    }
    request.continuesSession = parser.isSet(o.continues);
    if (request.continuesSession && (!parser.isSet(o.seedFile) || !parser.isSet(o.record)))
        return refuse(QStringLiteral("--suite demande --graine-fichier, la graine de la session, "
                                     "et --pv, le procès-verbal de ses tirages précédents."));
    request.onePrizePerPerson = parser.isSet(o.onePrize);
    if (parser.isSet(o.prizeColumn) && !parser.isSet(o.prizes))
        return refuse(QStringLiteral("--lots-colonne ne sert qu'à lire les lots de --lots."));
    if (parser.isSet(o.prizes) && request.mode == sortivo::DrawMode::Teams)
        return refuse(QStringLiteral("--lots ne va pas avec --equipes : les équipes ne gagnent "
                                     "pas de lot."));
    if (parser.isSet(o.prizes) && parser.value(o.prizes).isEmpty())
        return refuse(QStringLiteral("--lots attend le fichier des lots."));
    if (parser.isSet(o.prizeColumn) && parser.value(o.prizeColumn).trimmed().isEmpty())
        return refuse(QStringLiteral("--lots-colonne attend une colonne."));
    request.prizesPath = parser.value(o.prizes).toStdString();
    request.prizeColumn = parser.value(o.prizeColumn).trimmed().toStdString();
    request.seedFile = parser.value(o.seedFile).toStdString();
    request.publicValue = parser.value(o.publicValue).toStdString();
    request.recordPath = parser.value(o.record).toStdString();
    if (parser.isSet(o.palmares) && !sortivo::palmaresFormatOf(parser.value(o.palmares)))
        return refuse(QStringLiteral("--palmares : le nom du fichier doit finir par .csv, "
                                     ".xlsx ou .ods, qui en choisit le format."));
    request.palmaresPath = parser.value(o.palmares).toStdString();
    request.crlf = parser.isSet(o.crlf);
    if (parser.isSet(o.sheet)) {
        const std::optional<int> n = wholeNumber(parser.value(o.sheet));
        if (!n || *n < 1)
            return refuse(QStringLiteral("--feuille attend un numéro de feuille depuis 1."));
        request.sheet = *n;
    }
    if (parser.isSet(o.columns) && parser.value(o.columns).trimmed().isEmpty())
        return refuse(QStringLiteral("--colonnes attend au moins une colonne."));
    request.columns = parser.value(o.columns).toStdString();
    if (parser.isSet(o.tickets) && parser.value(o.tickets).trimmed().isEmpty())
        return refuse(QStringLiteral("--billets attend une colonne."));
    request.tickets = parser.value(o.tickets).trimmed().toStdString();
    request.noTitles = parser.isSet(o.noTitles);
    request.dropDuplicates = parser.isSet(o.noDuplicates);
    return request;
}
