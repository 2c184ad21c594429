#pragma once

#include "core/text/printlayout.h"

#include <QFont>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QPrinter;
class QTextDocument;

// The sheet and its printable area as the printer reports them, in twips.
struct SheetTwips {
    std::int32_t width = 0;
    std::int32_t height = 0;
    float printableWidth = 0;
    float printableHeight = 0;
};

SheetTwips sheetTwips(const QPrinter& printer);

// The font to print in: the face the result box shows, its bold, size in points, italic and
// underline, and nothing else, so that strikeout or spacing set on the box stay off the paper. A
// font sized in pixels is converted to points at the box's resolution.
QFont printFont(const QFont& boxFont, qreal boxDpiY);

// Everything the job needs, measured on the printer that will print it.
struct PrintPlan {
    sortivo::PrintLayout layout;
    // The font for the printer's resolution.
    QFont font;
    float lineHeight = 0;
    std::vector<std::string> lines;
    std::vector<sortivo::LinePlace> places;
};

// Nothing when the sheet's margins cannot be laid out. text is UTF-8 with CR LF between lines.
std::optional<PrintPlan> planPrint(QPrinter& printer, const QFont& font, std::string_view text);

// Prints a plan with lines on the printer and ends the document; `before`, when given, is
// printed first within the same margins, and the lines start on a page of their own. False
// when the printer refused the document or failed during it. A printer that prints to a PDF
// file prints through printPlanToFile.
bool printPlan(QPrinter& printer, const PrintPlan& plan, QTextDocument* before = nullptr);

// Writes the same as a PDF of the printer's page layout and resolution into `path`, which
// keeps what it held unless the whole document was written, and always when it is read-only.
bool printPlanToFile(const QPrinter& printer, const PrintPlan& plan, const QString& path,
                     QTextDocument* before = nullptr);
