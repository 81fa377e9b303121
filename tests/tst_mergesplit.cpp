// Merging two pages into one and splitting one page into two: what the user keeps.
#include <QPainter>
#include <QtTest>

#include "imaging/imageprocessor.h"
#include "tests/support/logcapture.h"
#include "ui/pagemerger.h"

class MergeSplitTest : public QObject
{
    Q_OBJECT

private slots:
    void mergeKeepsEveryGlyph_data();
    void mergeKeepsEveryGlyph();

private:
    LogCapture quiet; // the operations log every step
};

namespace {

// A small scanned text page: one block of lines ending in a narrow glyph, a grey shadow
// along the scanner's edges.
QImage textPage(const QString &label)
{
    QImage page(460, 210, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.fillRect(0, 0, page.width(), 4, QColor(200, 200, 200));
    painter.fillRect(0, 0, 4, page.height(), QColor(200, 200, 200));
    QFont font = painter.font();
    font.setPixelSize(28);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int line = 0; line < 4; ++line)
        painter.drawText(QPoint(30, 60 + 30 * line), QStringLiteral("%1 line %2 l").arg(label).arg(line + 1));
    return page;
}

int inkPixels(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    int count = 0;
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            count += grey.constScanLine(y)[x] < 100;
    return count;
}

} // namespace

void MergeSplitTest::mergeKeepsEveryGlyph_data()
{
    QTest::addColumn<bool>("sideBySide");
    QTest::newRow("side by side") << true;
    QTest::newRow("stacked") << false;
}

// With the dialog's defaults (crop, edge trim, spacing) every dark pixel of both pages
// is in the merged page.
void MergeSplitTest::mergeKeepsEveryGlyph()
{
    QFETCH(bool, sideBySide);
    ImageProcessor processor;
    PageMerger merger(&processor);
    MergeOptions options;
    options.sideBySide = sideBySide;
    const QImage first = textPage(QStringLiteral("page 1"));
    const QImage second = textPage(QStringLiteral("page 2"));
    const QImage merged = merger.merge(first, second, options).merged;
    QVERIFY(!merged.isNull());
    QCOMPARE(inkPixels(merged), inkPixels(first) + inkPixels(second));
}

QTEST_MAIN(MergeSplitTest)
#include "tst_mergesplit.moc"
