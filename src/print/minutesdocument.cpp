#include "print/minutesdocument.h"

#include "print/qrcode.h"

#include <QFont>
#include <QString>
#include <QTextDocument>
#include <QTextOption>
#include <QUrl>

namespace
{

QString html(const std::string& text)
{
    return QString::fromStdString(text).toHtmlEscaped();
}

QString cell(const QString& content, bool struck = false)
{
    return QStringLiteral("<td>%1</td>")
        .arg(struck && !content.isEmpty() ? QStringLiteral("<s>%1</s>").arg(content) : content);
}

QString palmaresTable(const sortivo::Minutes& minutes)
{
    if (minutes.palmares.empty())
        return QStringLiteral("<p>Aucun résultat.</p>");
    QString table = QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><thead><tr>");
    const QStringList heads =
        minutes.withPrizes ? QStringList{QStringLiteral("Rang"),    QStringLiteral("Lot"),
                                         QStringLiteral("Gagnant"), QStringLiteral("Tirage n°"),
                                         QStringLiteral("Heure"),   QStringLiteral("Statut")}
                           : QStringList{QStringLiteral("Rang"), QStringLiteral("Résultat"),
                                         QStringLiteral("Tirage n°"), QStringLiteral("Heure"),
                                         QStringLiteral("Statut")};
    for (const QString& head : heads)
        table += QStringLiteral("<th>%1</th>").arg(head);
    table += QStringLiteral("</tr></thead>");
    for (const sortivo::PalmaresRow& row : minutes.palmares) {
        table += QStringLiteral("<tr>") + cell(QString::number(row.rank));
        if (minutes.withPrizes)
            table += cell(html(row.prize), row.absent);
        table += cell(html(row.winner), row.absent) +
                 cell(row.run ? QString::number(*row.run) : QString()) + cell(html(row.time)) +
                 cell(html(row.status)) + QStringLiteral("</tr>");
    }
    table += QStringLiteral("</table>");
    if (minutes.palmaresLeftOut > 0)
        table +=
            QStringLiteral("<p>Et %1 autres lignes, dont chaque résultat figure en annexe.</p>")
                .arg(minutes.palmaresLeftOut);
    return table;
}

QString signatureTable(const sortivo::Minutes& minutes)
{
    QString table = QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"6\"><thead><tr>"
        "<th width=\"32%\">Nom</th><th width=\"28%\">Qualité</th><th width=\"40%\"></th>"
        "</tr></thead>");
    // With nobody named, lines to fill in by hand.
    std::vector<sortivo::Witness> witnesses = minutes.witnesses;
    if (witnesses.empty())
        witnesses.resize(3);
    for (const sortivo::Witness& witness : witnesses)
        table += QStringLiteral("<tr><td>%1</td><td>%2</td><td><small>Signature</small><br><br>"
                                "<br></td></tr>")
                     .arg(html(witness.name), html(witness.capacity));
    return table + QStringLiteral("</table>");
}

} // namespace

std::unique_ptr<QTextDocument> minutesDocument(const sortivo::Minutes& minutes)
{
    auto document = std::make_unique<QTextDocument>();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    document->setDefaultFont(font);
    // A ticket number or a name with no space in it must wrap, not run off the sheet.
    QTextOption option = document->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document->setDefaultTextOption(option);
    document->setDocumentMargin(0);
    const QUrl qrName(QStringLiteral("sortivo:engagement.png"));
    document->addResource(QTextDocument::ImageResource, qrName,
                          qrCodeImage(QByteArray::fromStdString(minutes.commitment), 8));

    QString body = QStringLiteral("<h1 align=\"center\">%1</h1>"
                                  "<p align=\"center\">Procès-verbal de tirage au sort</p>")
                       .arg(html(minutes.title));
    if (!minutes.details.empty()) {
        body += QStringLiteral("<table cellpadding=\"2\">");
        for (const auto& [label, value] : minutes.details)
            body += QStringLiteral("<tr><td><b>%1 :</b></td><td>%2</td></tr>")
                        .arg(html(label), html(value));
        body += QStringLiteral("</table>");
    }
    body += QStringLiteral("<h2>Déroulement</h2><ul>");
    for (const std::string& count : minutes.counts)
        body += QStringLiteral("<li>%1</li>").arg(html(count));
    body += QStringLiteral("</ul><h2>%1</h2>")
                .arg(minutes.withPrizes ? QStringLiteral("Palmarès") : QStringLiteral("Résultats"));
    body += palmaresTable(minutes);
    body += QStringLiteral("<h2>Anomalies</h2>");
    if (minutes.anomalies.empty())
        body += QStringLiteral("<p>Aucune anomalie.</p>");
    else {
        body += QStringLiteral("<ul>");
        for (const std::string& anomaly : minutes.anomalies)
            body += QStringLiteral("<li>%1</li>").arg(html(anomaly));
        body += QStringLiteral("</ul>");
    }
    body += QStringLiteral("<h2>Conclusion</h2><p><b>%1</b></p>").arg(html(minutes.conclusion));
    body += QStringLiteral(
                "<h2>Engagement</h2><table cellpadding=\"4\"><tr><td valign=\"middle\">"
                "<p>Annoncé avant les tirages, il scelle la graine dont ils découlent. Comparez-le "
                "à la photo prise au début de la séance :</p>"
                "<p style=\"font-family: 'DejaVu Sans Mono'; font-size: 12pt\"><b>%1</b></p></td>"
                "<td><img src=\"%2\" width=\"110\" height=\"110\"></td></tr></table>")
                .arg(html(sortivo::inGroupsOfEight(minutes.commitment)), qrName.toString());
    body += QStringLiteral("<h2>Personnes présentes</h2>") + signatureTable(minutes);
    body += QStringLiteral("<p>Imprimé le %1. En annexe, le procès-verbal technique, pour qui "
                           "veut vérifier les tirages.</p>")
                .arg(html(minutes.printedAt));
    document->setHtml(body);
    return document;
}
