#include "print/printjob.h"

#include "core/text/linewrap.h"
#include "platform/filereplacement.h"

#include <QAbstractTextDocumentLayout>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QString>
#include <QTextDocument>

#include <cmath>
#include <functional>
#include <limits>

namespace
{

constexpr double twipsPerInch = 1440;

std::int32_t wholeTwips(double twips)
{
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    // An absurd size must still come out as one that the layout refuses, not as a wrapped one.
    if (!(twips >= low))
        return std::numeric_limits<std::int32_t>::min();
    if (!(twips <= high))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::lround(twips));
}

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

SheetTwips sheetTwips(const QPrinter& printer)
{
    // Device pixels, so that the printable area is the one the device really has, and the
    // print position that is later mapped back lands on the same pixels.
    const double perPixel = twipsPerInch / printer.resolution();
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF printable = printer.pageRect(QPrinter::DevicePixel);
    SheetTwips sheet;
    sheet.width = wholeTwips(paper.width() * perPixel);
    sheet.height = wholeTwips(paper.height() * perPixel);
    sheet.printableWidth = float(printable.width() * perPixel);
    sheet.printableHeight = float(printable.height() * perPixel);
    return sheet;
}

QFont printFont(const QFont& boxFont, qreal boxDpiY)
{
    // The face the box shows, not the first it asks for: that one may not be installed.
    QFont font(QFontInfo(boxFont).family());
    font.setBold(boxFont.bold());
    qreal points = boxFont.pointSizeF();
    if (points <= 0 && boxFont.pixelSize() > 0 && boxDpiY > 0)
        points = boxFont.pixelSize() * 72.0 / boxDpiY;
    if (points > 0)
        font.setPointSizeF(points);
    font.setItalic(boxFont.italic());
    font.setUnderline(boxFont.underline());
    return font;
}

std::optional<PrintPlan> planPrint(QPrinter& printer, const QFont& font, std::string_view text)
{
    const SheetTwips sheet = sheetTwips(printer);
    const auto layout = sortivo::computePrintLayout(sheet.width, sheet.height, sheet.printableWidth,
                                                    sheet.printableHeight);
    if (!layout)
        return std::nullopt;

    PrintPlan plan;
    plan.layout = *layout;
    plan.font = QFont(font, &printer);
    const QFontMetricsF metrics(plan.font, &printer);
    const double perPixel = twipsPerInch / printer.resolution();
    plan.lineHeight = float(metrics.lineSpacing() * perPixel);
    plan.lines = sortivo::wrapLines(text, layout->lineWidth, [&](std::string_view piece) {
        return float(metrics.horizontalAdvance(fromUtf8(piece)) * perPixel);
    });
    plan.places = sortivo::placeLines(plan.lines.size(), plan.lineHeight, plan.layout);
    return plan;
}

namespace
{

// Paints `document` page after page within the plan's margins, the pages turned by `newPage`;
// the painter is left on its last page.
bool paintDocument(QPainter& painter, QPaintDevice& device, int resolution, const PrintPlan& plan,
                   QTextDocument& document, const std::function<bool()>& newPage)
{
    const double perTwip = resolution / twipsPerInch;
    const QRectF body(plan.layout.leftMargin * perTwip, plan.layout.topMargin * perTwip,
                      plan.layout.lineWidth * perTwip,
                      (plan.layout.lowestLineStart + plan.lineHeight - plan.layout.topMargin) *
                          perTwip);
    document.documentLayout()->setPaintDevice(&device);
    document.setPageSize(body.size());
    const int pages = document.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !newPage())
            return false;
        painter.save();
        painter.translate(body.left(), body.top() - page * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, page * body.height(), body.width(), body.height());
        painter.setClipRect(context.clip);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    return true;
}

// Paints `before`, if any, then the plan's lines from a new page, on a paged device of
// `resolution` dots per inch. `newPage` turns the page and says whether it could.
bool paintPlan(QPaintDevice& device, int resolution, const PrintPlan& plan, QTextDocument* before,
               const std::function<bool()>& newPage)
{
    // The PDF writer creates its document here and a printer takes the job here: with no
    // lines there must be no document at all.
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    if (before && (!paintDocument(painter, device, resolution, plan, *before, newPage) ||
                   (!plan.lines.empty() && !newPage())))
        return false;
    painter.setFont(plan.font);
    const QFontMetricsF metrics(plan.font, &device);
    const double perTwip = resolution / twipsPerInch;
    const double left = plan.layout.leftMargin * perTwip;
    std::size_t page = 0;
    for (std::size_t i = 0; i < plan.lines.size(); ++i) {
        const sortivo::LinePlace& place = plan.places[i];
        while (page < place.page) {
            if (!newPage())
                return false;
            ++page;
        }
        painter.drawText(QPointF(left, place.top * perTwip + metrics.ascent()),
                         fromUtf8(plan.lines[i]));
    }
    return painter.end();
}

} // namespace

bool printPlan(QPrinter& printer, const PrintPlan& plan, QTextDocument* before)
{
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        return printPlanToFile(printer, plan, printer.outputFileName(), before);
    const bool painted = paintPlan(printer, printer.resolution(), plan, before, [&printer] {
        if (printer.newPage())
            return true;
        // Half a job should not come out looking like the whole one; where the driver cannot
        // drop it, the warning that follows still says it failed.
        printer.abort();
        return false;
    });
    return painted && printer.printerState() != QPrinter::Error;
}

bool printPlanToFile(const QPrinter& printer, const PrintPlan& plan, const QString& path,
                     QTextDocument* before)
{
    // The PDF writer does not tell when its file fails to be written: it goes to a file that
    // takes the target's place only once complete, and whose every write is checked.
    // Printing has no platform to ask: its PDF goes through the system's own calls.
    sortivo::FileSystem files;
    return saveReplacing(path, files,
                         [&](QIODevice& device) {
                             QPdfWriter writer(&device);
                             writer.setResolution(printer.resolution());
                             writer.setPageLayout(printer.pageLayout());
                             writer.setTitle(printer.docName());
                             writer.setCreator(printer.creator());
                             return paintPlan(writer, printer.resolution(), plan, before,
                                              [&writer] { return writer.newPage(); });
                         })
        .has_value();
}
