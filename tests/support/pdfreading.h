#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What poppler's tools read back from a PDF the program printed.

struct PdfLine {
    int page = 0;
    double xMin = 0;
    double xMax = 0;
    double yMin = 0;
    QStringList words;
};

// Runs a poppler tool and gives its standard output; warns and gives nothing when it does not run.
QByteArray runTool(const QString& program, const QStringList& arguments);

int pdfPageCount(const QString& pdfinfo, const QString& pdf);

// Words of one page with the same top form one line.
QList<PdfLine> pdfLines(const QString& pdftotext, const QString& pdf);
