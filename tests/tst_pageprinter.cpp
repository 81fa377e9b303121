// Printing pages to a PDF printer: the sheets pdfinfo counts and where each page lands,
// read back from the rendered sheets.
#include <QtTest>

#include <QCheckBox>
#include <QPrinter>

#include "document/pageresolution.h"
#include "ui/pageprinter.h"
#include "ui/printfitoptions.h"

namespace {

constexpr int renderDpi = 36;

QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// A black page of the given size in millimetres at dpi (0: no resolution, read as 300).
QImage blackPage(const QSizeF &millimetres, double dpi)
{
    const double pixelsPerMm = (dpi > 0 ? dpi : PagePrinter::fallbackDpi) / 25.4;
    QImage page(qRound(millimetres.width() * pixelsPerMm), qRound(millimetres.height() * pixelsPerMm),
        QImage::Format_Grayscale8);
    page.fill(Qt::black);
    if (dpi > 0)
        PageResolution::set(&page, dpi, dpi);
    return page;
}

// The dark part of a rendered sheet, in millimetres from the sheet's corner.
QRectF inkOf(const QImage &sheet)
{
    QRect ink;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            if (qGray(sheet.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    const double mmPerPixel = 25.4 / renderDpi;
    return QRectF(ink.x() * mmPerPixel, ink.y() * mmPerPixel, ink.width() * mmPerPixel, ink.height() * mmPerPixel);
}

} // namespace

class PagePrinterTest : public QObject
{
    Q_OBJECT

private slots:
    void placesEveryPageOnItsSheet_data();
    void placesEveryPageOnItsSheet();
    void reportsWhatStoppedTheRun_data();
    void reportsWhatStoppedTheRun();

private:
    QTemporaryDir folder;
};

// Three pages on A4 with 10 mm margins, the scaling chosen in the print dialog's tab.
void PagePrinterTest::placesEveryPageOnItsSheet_data()
{
    QTest::addColumn<QSizeF>("pageMm");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<bool>("fitToPaper");
    QTest::addColumn<QSizeF>("printedMm");
    QTest::newRow("A5 scanned at 150 dpi, real size") << QSizeF(148, 210) << 150.0 << false << QSizeF(148, 210);
    QTest::newRow("A5 without a resolution, real size at 300 dpi")
        << QSizeF(148, 210) << 0.0 << false << QSizeF(148, 210);
    QTest::newRow("A5 fitted to the printable width")
        << QSizeF(148, 210) << 150.0 << true << QSizeF(190, 190 * 210 / 148.0);
    QTest::newRow("A3 at real size shrinks to the paper") << QSizeF(297, 420) << 100.0 << false << QSizeF(210, 297);
    QTest::newRow("narrow slip fitted to the printable height")
        << QSizeF(60, 120) << 100.0 << true << QSizeF(277 / 2.0, 277);
}

void PagePrinterTest::placesEveryPageOnItsSheet()
{
    QFETCH(QSizeF, pageMm);
    QFETCH(double, dpi);
    QFETCH(bool, fitToPaper);
    QFETCH(QSizeF, printedMm);

    PrintFitOptions options;
    if (fitToPaper)
        options.findChild<QCheckBox *>(QStringLiteral("fitToPaperCheck"))->click();
    const QString pdf = folder.filePath(QStringLiteral("%1.pdf").arg(QTest::currentDataTag()));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    const QImage page = blackPage(pageMm, dpi);
    QList<int> progress;
    const PagePrinter::Result result = PagePrinter::print(
        printer, 3, [&](int, QImage *) { return page; }, options.scaling(),
        [&](int done, int) {
            progress << done;
            return true;
        });
    QCOMPARE(int(result.outcome), int(PagePrinter::Outcome::Printed));
    QCOMPARE(progress, QList<int>({ 0, 1, 2, 3 }));

    const QString info = runTool(QStringLiteral("pdfinfo"), { "-f", "1", "-l", "3", pdf });
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n"))), qPrintable(info));
    // Qt's PDF engine rounds the sheet to whole points, which pdfinfo still calls A4.
    QVERIFY2(info.count(QRegularExpression(QStringLiteral("Page\\s+\\d size:\\s+595 x 842 pts \\(A4\\)"))) == 3,
        qPrintable(info));

    runTool(QStringLiteral("pdftoppm"),
        { "-r", QString::number(renderDpi), "-gray", "-png", pdf, folder.filePath(QStringLiteral("sheet")) });
    const double tolerance = 2 * 25.4 / renderDpi;
    for (int sheet = 1; sheet <= 3; ++sheet) {
        const QImage rendered(folder.filePath(QStringLiteral("sheet-%1.png").arg(sheet)));
        QVERIFY(!rendered.isNull());
        const QRectF ink = inkOf(rendered);
        QVERIFY2(
            qAbs(ink.width() - printedMm.width()) < tolerance && qAbs(ink.height() - printedMm.height()) < tolerance,
            qPrintable(QStringLiteral("sheet %1: %2 x %3 mm").arg(sheet).arg(ink.width()).arg(ink.height())));
        QVERIFY(qAbs(ink.center().x() - 105) < tolerance && qAbs(ink.center().y() - 148.5) < tolerance);
    }
}

void PagePrinterTest::reportsWhatStoppedTheRun_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("nullPage");
    QTest::addColumn<int>("cancelBefore");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("errorText");
    QTest::newRow("output that cannot be written")
        << QStringLiteral("/nonexistent-folder/out.pdf") << -1 << -1 << int(PagePrinter::Outcome::Failed)
        << QStringLiteral("无法开始打印到“/nonexistent-folder/out.pdf”：打印机不可用或无法写入。");
    QTest::newRow("page the store cannot give")
        << QStringLiteral("unreadable.pdf") << 1 << -1 << int(PagePrinter::Outcome::Failed)
        << QStringLiteral("无法读取第 2 页，打印已停止。");
    QTest::newRow("cancelled before the third page")
        << QStringLiteral("cancelled.pdf") << -1 << 2 << int(PagePrinter::Outcome::Cancelled) << QString();
}

void PagePrinterTest::reportsWhatStoppedTheRun()
{
    QFETCH(QString, output);
    QFETCH(int, nullPage);
    QFETCH(int, cancelBefore);
    QFETCH(int, outcome);
    QFETCH(QString, errorText);

    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(output.startsWith(QLatin1Char('/')) ? output : folder.filePath(output));
    const QImage page = blackPage(QSizeF(50, 50), 72);
    QList<int> asked;
    const PagePrinter::Result result = PagePrinter::print(
        printer, 3,
        [&](int index, QImage *) {
            asked << index;
            return index == nullPage ? QImage() : page;
        },
        PagePrinter::Scaling::RealSize, [&](int done, int) { return done != cancelBefore; });
    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.errorText, errorText);
    // Nothing is asked for after the run stopped.
    const int stoppedAt = nullPage >= 0 ? nullPage : cancelBefore >= 0 ? cancelBefore - 1 : -1;
    QCOMPARE(asked.isEmpty() ? -1 : asked.last(), stoppedAt);
}

QTEST_MAIN(PagePrinterTest)
#include "tst_pageprinter.moc"
