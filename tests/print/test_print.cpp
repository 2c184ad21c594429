#include "app/mainwindow.h"
#include "core/text/printlayout.h"
#include "print/printjob.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "support/mainwindowtest.h"
#include "support/pdfreading.h"
#include "widgets/textboxtext.h"

#include <QFile>
#include <QFontInfo>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <functional>
#include <memory>
#include <unistd.h>

namespace
{

const QString failureTitle = QStringLiteral("Impression");
const QString failureText = QStringLiteral("L'impression a échoué.");

// Letter with quarter-inch margins. In points: the printable area starts at 18, lines start 24
// further right (480 twips) and 28 lower (560 twips), may run to 570 and may begin down to 718
// (14000 twips below the printable top).
constexpr double lineLeft = 42;
constexpr double lineRightLimit = 570;
constexpr double firstLineTop = 46;
constexpr double lowestLineTop = 718;

void setUpLetter(QPrinter& printer, const QString& path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageMargins(QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch);
}

// A printed line as the PDF holds it.
QStringList words(const QString& text)
{
    return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

// A few hundred result lines: single names, team lines, lines of words wider than the page, a
// word wider than the line (but not the paper, or the reader would drop it), and an empty line.
// No "fi" or "fl": the PDF reader would read the ligature back as one other character.
QStringList resultLines(const QString& wideWord = QString(60, QLatin1Char('W')))
{
    const QStringList names = {QStringLiteral("Anne-Sophie"), QStringLiteral("Bruno"),
                               QStringLiteral("Chloé"),       QStringLiteral("Dédé"),
                               QStringLiteral("Éloïse"),      QStringLiteral("François")};
    QStringList lines;
    for (int i = 1; i <= 320; ++i) {
        if (i == 3) {
            lines << QString();
        } else if (i % 10 == 0) {
            QStringList team;
            for (int k = 0; k < (i % 40 == 0 ? 24 : 3); ++k)
                team << names[(i + k) % names.size()] + QString::number(k);
            lines << team.join(QLatin1String(" - "));
        } else if (i % 37 == 0) {
            QStringList sentence;
            for (int k = 0; k < 45; ++k)
                sentence << QStringLiteral("mot%1").arg(k * i % 1000);
            lines << sentence.join(QLatin1Char(' '));
        } else if (i % 101 == 0) {
            lines << QStringLiteral("Nom%1 ").arg(i) + wideWord + QStringLiteral(" end");
        } else {
            lines << QStringLiteral("Nom %1").arg(i);
        }
    }
    return lines;
}

} // namespace

class TestPrint : public MainWindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void cancelPrintsNothing();
    void nothingToPrint_data();
    void nothingToPrint();
    void printsToPdf_data();
    void printsToPdf();
    void failingPrinter_data();
    void failingPrinter();
    void fontCopiesFiveAttributes();
    void fontIsTheFaceShown();
    void fullDiskKeepsTheEarlierFile_data();
    void fullDiskKeepsTheEarlierFile();

private:
    QPushButton* printButton() const { return button(QStringLiteral("cmdPrint")); }
    QString pdfPath() const { return m_dir->filePath(QStringLiteral("out.pdf")); }
};

void TestPrint::init()
{
    openWindow();
}

void TestPrint::cleanup()
{
    closeWindow();
    m_dir.reset();
}

void TestPrint::cancelPrintsNothing()
{
    setBoxLines(*results(), resultLines());
    const QString path = pdfPath();
    m_platform->expectPrinter([path](QPrinter& printer) {
        setUpLetter(printer, path);
        return false;
    });
    printButton()->click();
    QVERIFY(m_platform->done());
    QVERIFY(!QFile::exists(path));
}

void TestPrint::nothingToPrint_data()
{
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty result") << QStringList{};
    // A run of spaces wider than the line is wrapped into nothing at all.
    QTest::newRow("only a run of spaces") << QStringList{QString(3000, QLatin1Char(' '))};
    QTest::newRow("two runs of spaces")
        << QStringList{QString(3000, QLatin1Char(' ')), QString(2500, QLatin1Char(' '))};
}

// The dialog comes first, but with no lines there is no document: no file, no blank page.
void TestPrint::nothingToPrint()
{
    QFETCH(QStringList, lines);

    setBoxLines(*results(), lines);
    const QString path = pdfPath();
    m_platform->expectPrinter([path](QPrinter& printer) {
        setUpLetter(printer, path);
        return true;
    });
    printButton()->click();
    QVERIFY(m_platform->done());
    QVERIFY(!QFile::exists(path));
}

void TestPrint::printsToPdf_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<QString>("pdfFont");

    QTest::newRow("the box's own font") << QString() << false << false << 0.0 << QString();
    QTest::newRow("DejaVu Sans 12") << "DejaVu Sans" << false << false << 12.0 << "DejaVuSans";
    QTest::newRow("DejaVu Serif bold italic 9.75")
        << "DejaVu Serif" << true << true << 9.75 << "DejaVuSerif-BoldItalic";
    QTest::newRow("DejaVu Sans Mono bold 16")
        << "DejaVu Sans Mono" << true << false << 16.0 << "DejaVuSansMono-Bold";
}

void TestPrint::printsToPdf()
{
    QFETCH(QString, family);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(qreal, points);
    QFETCH(QString, pdfFont);

    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    const QString pdffonts = QStandardPaths::findExecutable(QStringLiteral("pdffonts"));
    if (pdfinfo.isEmpty() || pdftotext.isEmpty() || pdffonts.isEmpty())
        QSKIP("pdfinfo, pdftotext and pdffonts (poppler-utils) are needed to read the PDF");

    QPlainTextEdit& box = *results();
    if (family.isEmpty())
        pdfFont = QFontInfo(box.font()).family().remove(QLatin1Char(' '));
    if (!family.isEmpty()) {
        QFont font(family);
        font.setBold(bold);
        font.setItalic(italic);
        font.setPointSizeF(points);
        box.setFont(font);
    }
    const QString path = pdfPath();
    QPrinter same(QPrinter::HighResolution);
    setUpLetter(same, path);
    const QFont font = printFont(box.font(), box.logicalDpiY());

    // A word from 4 to 24 points wider than the line.
    const QFontMetricsF metrics(QFont(font, &same), &same);
    const double pointsPerPixel = 72.0 / same.resolution();
    QString wideWord;
    while ((metrics.horizontalAdvance(wideWord) * pointsPerPixel) < lineRightLimit - lineLeft + 4)
        wideWord += QLatin1Char('W');
    QVERIFY(metrics.horizontalAdvance(wideWord) * pointsPerPixel < lineRightLimit - lineLeft + 24);

    const QStringList lines = resultLines(wideWord);
    setBoxLines(box, lines);

    m_platform->expectPrinter([path](QPrinter& printer) {
        setUpLetter(printer, path);
        return true;
    });
    printButton()->click();
    QVERIFY(m_platform->done());
    QVERIFY(QFile::exists(path));

    // What the layout and the wrapping make of this text on this paper.
    const auto plan = planPrint(same, font, boxText(box));
    QVERIFY(plan);
    QCOMPARE(int(plan->layout.leftMargin), 480);
    QCOMPARE(int(plan->layout.topMargin), 560);
    QCOMPARE(plan->layout.lineWidth, 10560.f);
    QVERIFY(plan->lines.size() > std::size_t(lines.size())); // some lines were wrapped

    const int pages = pdfPageCount(pdfinfo, path);
    QVERIFY(pages > 1);
    QCOMPARE(std::size_t(pages), sortivo::pageCount(plan->places));

    const QList<PdfLine> printed = pdfLines(pdftotext, path);
    QVERIFY(!printed.isEmpty());

    // No word lost, cut or moved: the paper holds the result text's words in order.
    QStringList printedWords;
    for (const PdfLine& line : printed)
        printedWords += line.words;
    QCOMPARE(printedWords, words(lines.join(QLatin1Char('\n'))));

    // The printed lines are the wrapped lines, on the pages the layout gave them (an empty
    // line leaves no text to find).
    QStringList plannedLines;
    QList<int> plannedPages;
    for (std::size_t i = 0; i < plan->lines.size(); ++i) {
        const QStringList w = words(QString::fromStdString(plan->lines[i]));
        if (w.isEmpty())
            continue;
        plannedLines << w.join(QLatin1Char(' '));
        plannedPages << int(plan->places[i].page);
    }
    QStringList printedLines;
    QList<int> printedPages;
    for (const PdfLine& line : printed) {
        printedLines << line.words.join(QLatin1Char(' '));
        printedPages << line.page;
    }
    QCOMPARE(printedLines, plannedLines);
    QCOMPARE(printedPages, plannedPages);

    // Geometry read back from the paper. The PDF reader takes a word's top from the font's
    // ascent, which may differ a little from Qt's; page 1's first line gives that offset.
    const double offset = printed.first().yMin - firstLineTop;
    QVERIFY2(qAbs(offset) < 3, qPrintable(QString::number(printed.first().yMin)));
    const double pitch = printed[1].yMin - printed[0].yMin;
    QVERIFY(pitch > 0);
    bool sawWideWord = false;
    for (qsizetype i = 0; i < printed.size(); ++i) {
        const PdfLine& line = printed[i];
        const QString where = QStringLiteral("page %1: %2").arg(line.page).arg(printedLines[i]);
        QVERIFY2(qAbs(line.xMin - lineLeft) < 1.5, qPrintable(where));
        if (line.words.size() > 1)
            QVERIFY2(line.xMax <= lineRightLimit + 0.5, qPrintable(where));
        else if (line.xMax > lineRightLimit + 0.5)
            sawWideWord = true;
        const double top = line.yMin - offset;
        QVERIFY2(top <= lowestLineTop + 0.1, qPrintable(where));
        const bool firstOnPage = i == 0 || printed[i - 1].page != line.page;
        if (firstOnPage)
            QVERIFY2(qAbs(top - firstLineTop) < 0.1, qPrintable(where));
        const bool lastOnPage = i + 1 == printed.size() || printed[i + 1].page != line.page;
        // A page ends only when the next line would begin below the lowest place allowed.
        if (lastOnPage && line.page + 1 < pages)
            QVERIFY2(top + pitch > lowestLineTop, qPrintable(where));
    }
    QVERIFY(sawWideWord);

    if (!pdfFont.isEmpty()) {
        const QString fonts = QString::fromUtf8(runTool(pdffonts, {path}));
        // Embedded whole or as a subset ("ABCDEF+Name").
        const QRegularExpression name(QStringLiteral("^([A-Z]{6}\\+)?%1\\s").arg(pdfFont),
                                      QRegularExpression::MultilineOption);
        QVERIFY2(fonts.contains(name), qPrintable(fonts));
    }
}

void TestPrint::failingPrinter_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSizeF>("paperInches");
    QTest::addColumn<qreal>("marginInches");
    QTest::addColumn<bool>("painterRefused");

    // The PDF writer cannot create its file, so the document cannot begin.
    QTest::newRow("folder does not exist")
        << QStringLiteral("missing/folder/out.pdf") << QSizeF(8.5, 11) << 0.25 << false;
    // Half the unprintable width plus 120 twips is more than twice 16 bits can hold.
    QTest::newRow("margins too wide for 16 bits")
        << QStringLiteral("out.pdf") << QSizeF(30, 30) << 11.5 << false;
}

void TestPrint::failingPrinter()
{
    QFETCH(QString, file);
    QFETCH(QSizeF, paperInches);
    QFETCH(qreal, marginInches);
    QFETCH(bool, painterRefused);

    setBoxLines(*results(), {QStringLiteral("Anne"), QStringLiteral("Bruno")});
    const QString path = m_dir->filePath(file);
    m_platform->expectPrinter([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(paperInches, QPageSize::Inch));
        const QMarginsF margins(marginInches, marginInches, marginInches, marginInches);
        if (!printer.setPageMargins(margins, QPageLayout::Inch))
            qWarning("margins refused");
        return true;
    });
    m_platform->expectWarning(failureTitle, {failureText, path});
    if (painterRefused)
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    printButton()->click();
    QVERIFY(m_platform->done());
    QVERIFY(!QFile::exists(path));
}

// Face, bold, size, italic and underline reach the paper; strikeout, spacing and the like
// set on the box do not.
void TestPrint::fontCopiesFiveAttributes()
{
    QFont boxFont(QStringLiteral("DejaVu Serif"));
    boxFont.setPointSizeF(14.25);
    boxFont.setBold(true);
    boxFont.setItalic(true);
    boxFont.setUnderline(true);
    boxFont.setStrikeOut(true);
    boxFont.setOverline(true);
    boxFont.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    boxFont.setCapitalization(QFont::AllUppercase);

    const QFont font = printFont(boxFont, 96);
    QCOMPARE(font.family(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(font.pointSizeF(), 14.25);
    QVERIFY(font.bold());
    QVERIFY(font.italic());
    QVERIFY(font.underline());
    QVERIFY(!font.strikeOut());
    QVERIFY(!font.overline());
    QCOMPARE(font.letterSpacing(), 0.0);
    QCOMPARE(font.capitalization(), QFont::MixedCase);

    // A box sized in pixels prints at the size it shows: 32 px at 192 dpi is 12 points.
    QFont pixelFont(QStringLiteral("DejaVu Sans"));
    pixelFont.setPixelSize(32);
    QCOMPARE(printFont(pixelFont, 192).pointSizeF(), 12.0);
}

void TestPrint::fontIsTheFaceShown()
{
    // The box asks for a face that Linux does not have; the page must use the one it shows.
    const QFont boxFont = results()->font();
    const QString shown = QFontInfo(boxFont).family();
    QVERIFY(shown != boxFont.families().value(0));
    QCOMPARE(printFont(boxFont, 96).family(), shown);
}

void TestPrint::fullDiskKeepsTheEarlierFile_data()
{
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<bool>("earlierFile");

    QTest::newRow("one page, no earlier file") << 3 << false;
    QTest::newRow("one page over an earlier file") << 3 << true;
    QTest::newRow("many pages over an earlier file") << 3000 << true;
}

void TestPrint::fullDiskKeepsTheEarlierFile()
{
    QFETCH(int, lineCount);
    QFETCH(bool, earlierFile);

    if (::geteuid() != 0)
        QSKIP("a full disk is a small tmpfs, and mounting one needs root");
    const QString disk = m_dir->filePath(QStringLiteral("petit disque"));
    QVERIFY(QDir().mkdir(disk));
    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=64k"), QStringLiteral("tmpfs"), disk}) != 0)
        QSKIP("cannot mount a small tmpfs here");
    const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {disk}); });

    // An earlier document, then the disk filled but for a few kilobytes.
    const QString target = disk + QStringLiteral("/tirage.pdf");
    const QByteArray earlier = "%PDF-1.4 earlier document\n" + QByteArray(6000, 'x') + "\n%%EOF\n";
    if (earlierFile)
        QVERIFY(writeBytes(target, earlier));
    {
        QFile filler(disk + QStringLiteral("/remplissage"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(1024, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    QVERIFY(QFile::resize(disk + QStringLiteral("/remplissage"),
                          QFileInfo(disk + QStringLiteral("/remplissage")).size() - 4096));

    QStringList lines;
    for (int i = 0; i < lineCount; ++i)
        lines << QStringLiteral("Gagnant numéro %1").arg(i);
    setBoxLines(*results(), lines);
    m_platform->expectPrinter([&](QPrinter& printer) {
        setUpLetter(printer, target);
        return true;
    });
    m_platform->expectWarning(failureTitle, {failureText, target});
    printButton()->click();
    QVERIFY(m_platform->done());
    if (earlierFile)
        QCOMPARE(readBytes(target), earlier);
    else
        QVERIFY(!QFileInfo::exists(target));
    QCOMPARE(QDir(disk).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
             earlierFile ? 2 : 1);
}

QTEST_MAIN(TestPrint)
#include "test_print.moc"
