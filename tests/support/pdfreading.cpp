#include "support/pdfreading.h"

#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

// Runs a poppler tool and gives its standard output; fails the test when it does not run.
QByteArray runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
        return {};
    }
    return process.readAllStandardOutput();
}

int pdfPageCount(const QString& pdfinfo, const QString& pdf)
{
    const QString info = QString::fromUtf8(runTool(pdfinfo, {pdf}));
    const auto match = QRegularExpression(QStringLiteral("^Pages:\\s*(\\d+)\\s*$"),
                                          QRegularExpression::MultilineOption)
                           .match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Words of one page with the same top form one line: the job prints in one font.
QList<PdfLine> pdfLines(const QString& pdftotext, const QString& pdf)
{
    QList<PdfLine> lines;
    QXmlStreamReader xml(runTool(pdftotext, {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    int page = -1;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            ++page;
        } else if (xml.name() == QLatin1String("word")) {
            const auto a = xml.attributes();
            const double xMin = a.value(QLatin1String("xMin")).toDouble();
            const double xMax = a.value(QLatin1String("xMax")).toDouble();
            const double yMin = a.value(QLatin1String("yMin")).toDouble();
            const QString word = xml.readElementText();
            if (lines.isEmpty() || lines.last().page != page ||
                qAbs(lines.last().yMin - yMin) > 0.01) {
                lines.append(PdfLine{page, xMin, xMax, yMin, {}});
            }
            PdfLine& line = lines.last();
            line.xMin = qMin(line.xMin, xMin);
            line.xMax = qMax(line.xMax, xMax);
            line.words << word;
        }
    }
    if (xml.hasError())
        qWarning("pdftotext -bbox: %s", qPrintable(xml.errorString()));
    return lines;
}
