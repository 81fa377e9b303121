// Merging two pages into one and splitting one page into two: what the user keeps.
#include <QPainter>
#include <QtTest>

#include "imaging/imageprocessor.h"
#include "ui/dialogs/splitdialog.h"
#include "tests/support/logcapture.h"
#include "ui/pagemerger.h"

class MergeSplitTest : public QObject
{
    Q_OBJECT

private slots:
    void mergeKeepsEveryGlyph_data();
    void mergeKeepsEveryGlyph();
    void splitProposesTheGap_data();
    void splitProposesTheGap();
    void splitLineFollowsTheDrag_data();
    void splitLineFollowsTheDrag();

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

void MergeSplitTest::splitProposesTheGap_data()
{
    QTest::addColumn<bool>("leftRight");
    QTest::addColumn<QList<QRect>>("blocks");
    QTest::addColumn<int>("expected");
    // A 600 x 400 page.
    QTest::newRow("two-up, gutter off the middle")
        << true << QList<QRect> { { 40, 40, 300, 300 }, { 380, 40, 180, 300 } } << 360;
    QTest::newRow("one block over the middle") << true << QList<QRect> { { 100, 100, 400, 200 } } << 300;
    QTest::newRow("blank margins are no gap") << true << QList<QRect> { { 250, 40, 60, 300 } } << 300;
    QTest::newRow("top and bottom blocks")
        << false << QList<QRect> { { 40, 20, 500, 150 }, { 40, 230, 500, 150 } } << 200;
    QTest::newRow("one block, top/bottom") << false << QList<QRect> { { 40, 20, 500, 360 } } << 200;
}

// The line proposed is the middle of the gap between the two blocks, or the
// page's middle when there is no such gap.
void MergeSplitTest::splitProposesTheGap()
{
    QFETCH(bool, leftRight);
    QFETCH(QList<QRect>, blocks);
    QFETCH(int, expected);
    QImage page(600, 400, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    for (const QRect &block : blocks)
        painter.fillRect(block, Qt::black);
    painter.end();
    ImageProcessor processor;
    QCOMPARE(processor.findSplitLine(page, leftRight, PageMerger::contentThreshold), expected);
}

void MergeSplitTest::splitLineFollowsTheDrag_data()
{
    QTest::addColumn<bool>("leftRight");
    QTest::newRow("left and right") << true;
    QTest::newRow("top and bottom") << false;
}

// The user drags the line on the page; the two parts cut there hold the whole page.
void MergeSplitTest::splitLineFollowsTheDrag()
{
    QFETCH(bool, leftRight);
    QImage page(1040, 1040, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.fillRect(100, 100, 840, 840, Qt::black);
    painter.end();
    SplitDialog dialog(page, leftRight, 520);
    QCOMPARE(dialog.line(), 520);
    auto *view = dialog.findChild<QWidget *>(QStringLiteral("splitView"));
    QVERIFY(view);
    dialog.show();
    // The page is shown at half its size: a quarter of the view is a quarter of the page.
    const QPoint start = leftRight ? QPoint(view->width() / 2, 10) : QPoint(10, view->height() / 2);
    const QPoint end = leftRight ? QPoint(view->width() / 4, 10) : QPoint(10, view->height() / 4);
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, start);
    QMouseEvent move(QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, end);
    QCOMPARE(dialog.line(), 260);

    ImageProcessor processor;
    const QList<QImage> parts = processor.splitAt(page, leftRight, dialog.line());
    QCOMPARE(parts.size(), 2);
    QCOMPARE(inkPixels(parts.at(0)) + inkPixels(parts.at(1)), inkPixels(page));
    QCOMPARE(leftRight ? parts.at(0).width() : parts.at(0).height(), 260);
}

QTEST_MAIN(MergeSplitTest)
#include "tst_mergesplit.moc"
