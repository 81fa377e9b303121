#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

#include "ui/croppableimagewidget.h"
#include "ui/imagescaler.h"

namespace {

QImage page(int width, int height, QColor colour = Qt::white)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos, Qt::MouseButton button)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : button,
        held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void drag(QWidget *widget, const QPoint &from, const QPoint &to, Qt::MouseButton button = Qt::LeftButton)
{
    sendMouse(widget, QEvent::MouseButtonPress, from, button);
    sendMouse(widget, QEvent::MouseMove, (from + to) / 2, button);
    sendMouse(widget, QEvent::MouseMove, to, button);
    sendMouse(widget, QEvent::MouseButtonRelease, to, button);
}

// The widget's own painting, without the rubber band child on top of it.
QImage ownPainting(QWidget *widget)
{
    QImage shot(widget->size(), QImage::Format_RGB32);
    shot.fill(Qt::black);
    widget->render(&shot, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return shot;
}

} // namespace

class CroppableImageWidgetTest : public QObject
{
    Q_OBJECT

private slots:
    void dragReportsImagePixels_data();
    void dragReportsImagePixels();
    void moveReportsLiveSelection();
    void imageToWidgetIsTheInverse();
    void noImageMeansNoMapping();
    void onlyLeftDragInCropModeSelects();
    void escapeLeavesCropMode();
    void escapeOutsideCropModeReachesTheLabel();
    void setImageClearsSelectionButKeepsMode();
    void nullImageClearsLabel();
    void leavingCropModeClearsSelection();
    void selectionIsFramedAndSurroundingsDarkened();
    void fitMatchesSmoothScaling_data();
    void fitMatchesSmoothScaling();
    void fitOfNothingIsNothing();
};

// Widget positions become page pixels; a selection of less than 11 x 11 page
// pixels is dropped, and a drag beginning in the margin is clipped to the page.
void CroppableImageWidgetTest::dragReportsImagePixels_data()
{
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<QSize>("widgetSize");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("expected"); // null: selection dropped

    QTest::newRow("A4-like page scaled by five")
        << QSize(2000, 3000) << QSize(400, 600) << QPoint(100, 100) << QPoint(200, 300) << QRect(500, 500, 500, 1000);
    QTest::newRow("dragged upwards to the left")
        << QSize(2000, 3000) << QSize(400, 600) << QPoint(200, 300) << QPoint(100, 100) << QRect(500, 500, 500, 1000);
    QTest::newRow("10 x 50 page pixels is dropped")
        << QSize(2000, 3000) << QSize(400, 600) << QPoint(100, 100) << QPoint(102, 110) << QRect();
    QTest::newRow("11 x 11 is kept") << QSize(400, 600) << QSize(400, 600) << QPoint(10, 10) << QPoint(21, 21)
                                     << QRect(10, 10, 11, 11);
    QTest::newRow("10 x 11 is dropped") << QSize(400, 600) << QSize(400, 600) << QPoint(10, 10) << QPoint(20, 21)
                                        << QRect();
    QTest::newRow("start in the left margin is clipped")
        << QSize(2000, 3000) << QSize(600, 600) << QPoint(50, 100) << QPoint(200, 300) << QRect(0, 500, 500, 1000);
    QTest::newRow("end beyond the page is clipped")
        << QSize(2000, 3000) << QSize(600, 600) << QPoint(400, 500) << QPoint(590, 650) << QRect(1500, 2500, 500, 500);
    QTest::newRow("drag entirely in the margin is dropped")
        << QSize(2000, 3000) << QSize(600, 600) << QPoint(10, 10) << QPoint(90, 500) << QRect();
}

void CroppableImageWidgetTest::dragReportsImagePixels()
{
    QFETCH(QSize, imageSize);
    QFETCH(QSize, widgetSize);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, expected);

    CroppableImageWidget widget;
    widget.resize(widgetSize);
    widget.setImage(page(imageSize.width(), imageSize.height()));
    widget.setCropMode(true);
    QSignalSpy completed(&widget, &CroppableImageWidget::cropCompleted);

    drag(&widget, from, to);

    if (expected.isNull()) {
        QCOMPARE(completed.count(), 0);
        QVERIFY(widget.cropRect().isNull());
    } else {
        QCOMPARE(completed.count(), 1);
        QCOMPARE(completed.at(0).at(0).toRect(), expected);
        QCOMPARE(widget.cropRect(), expected);
    }
}

void CroppableImageWidgetTest::moveReportsLiveSelection()
{
    CroppableImageWidget widget;
    widget.resize(400, 600);
    widget.setImage(page(2000, 3000));
    widget.setCropMode(true);
    QSignalSpy changed(&widget, &CroppableImageWidget::cropRectChanged);

    sendMouse(&widget, QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton);
    sendMouse(&widget, QEvent::MouseMove, QPoint(120, 140), Qt::LeftButton);
    sendMouse(&widget, QEvent::MouseMove, QPoint(200, 300), Qt::LeftButton);

    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(0).at(0).toRect(), QRect(500, 500, 100, 200));
    QCOMPARE(changed.at(1).at(0).toRect(), QRect(500, 500, 500, 1000));
}

void CroppableImageWidgetTest::imageToWidgetIsTheInverse()
{
    CroppableImageWidget widget;
    widget.resize(600, 600);
    widget.setImage(page(2000, 3000)); // pixmap 400 x 600, centred: 100 pixels of margin each side
    QCOMPARE(widget.imageToWidget(QRect(500, 500, 500, 1000)), QRect(200, 100, 100, 200));
    QCOMPARE(widget.widgetToImage(QRect(200, 100, 100, 200)), QRect(500, 500, 500, 1000));
}

void CroppableImageWidgetTest::noImageMeansNoMapping()
{
    CroppableImageWidget widget;
    widget.resize(400, 600);
    QVERIFY(widget.widgetToImage(QRect(10, 10, 50, 50)).isNull());
    QVERIFY(widget.imageToWidget(QRect(10, 10, 50, 50)).isNull());

    widget.setCropMode(true);
    QSignalSpy completed(&widget, &CroppableImageWidget::cropCompleted);
    drag(&widget, QPoint(10, 10), QPoint(200, 200));
    QCOMPARE(completed.count(), 0);
}

// A right drag, or a left drag outside crop mode, changes nothing.
void CroppableImageWidgetTest::onlyLeftDragInCropModeSelects()
{
    CroppableImageWidget widget;
    widget.resize(400, 600);
    widget.setImage(page(400, 600));
    QSignalSpy completed(&widget, &CroppableImageWidget::cropCompleted);
    QSignalSpy changed(&widget, &CroppableImageWidget::cropRectChanged);

    drag(&widget, QPoint(10, 10), QPoint(200, 200));
    widget.setCropMode(true);
    drag(&widget, QPoint(10, 10), QPoint(200, 200), Qt::RightButton);

    QCOMPARE(completed.count(), 0);
    QCOMPARE(changed.count(), 0);
    QVERIFY(widget.cropRect().isNull());
}

void CroppableImageWidgetTest::escapeLeavesCropMode()
{
    CroppableImageWidget widget;
    widget.resize(400, 600);
    widget.setImage(page(400, 600));
    widget.setCropMode(true);
    QCOMPARE(widget.cursor().shape(), Qt::CrossCursor);
    drag(&widget, QPoint(10, 10), QPoint(200, 200));
    QVERIFY(!widget.cropRect().isNull());
    QSignalSpy cancelled(&widget, &CroppableImageWidget::cropCancelled);

    QTest::keyClick(&widget, Qt::Key_Escape);

    QCOMPARE(cancelled.count(), 1);
    QVERIFY(!widget.isCropMode());
    QVERIFY(widget.cropRect().isNull());
    QCOMPARE(widget.cursor().shape(), Qt::ArrowCursor);
}

void CroppableImageWidgetTest::escapeOutsideCropModeReachesTheLabel()
{
    CroppableImageWidget widget;
    widget.resize(400, 600);
    widget.setImage(page(400, 600));
    QSignalSpy cancelled(&widget, &CroppableImageWidget::cropCancelled);

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&widget, &escape);

    QCOMPARE(cancelled.count(), 0);
    QVERIFY(!escape.isAccepted()); // the label lets it travel on to the window
}

void CroppableImageWidgetTest::setImageClearsSelectionButKeepsMode()
{
    CroppableImageWidget widget;
    widget.resize(400, 600);
    widget.setImage(page(400, 600));
    widget.setCropMode(true);
    drag(&widget, QPoint(10, 10), QPoint(200, 200));
    QCOMPARE(widget.cropRect(), QRect(10, 10, 190, 190));

    widget.setImage(page(800, 1200, Qt::gray));

    QVERIFY(widget.cropRect().isNull());
    QVERIFY(widget.isCropMode());
    QCOMPARE(widget.sourceImage().size(), QSize(800, 1200));
    QCOMPARE(widget.pixmap(Qt::ReturnByValue).size(), QSize(400, 600));
}

void CroppableImageWidgetTest::nullImageClearsLabel()
{
    CroppableImageWidget widget;
    widget.resize(400, 600);
    widget.setImage(page(400, 600));
    widget.setCropMode(true);
    drag(&widget, QPoint(10, 10), QPoint(200, 200));

    widget.setImage(QImage());

    QVERIFY(widget.pixmap(Qt::ReturnByValue).isNull());
    QVERIFY(widget.sourceImage().isNull());
    QVERIFY(widget.cropRect().isNull());
}

void CroppableImageWidgetTest::leavingCropModeClearsSelection()
{
    CroppableImageWidget widget;
    widget.resize(400, 600);
    widget.setImage(page(400, 600));
    widget.setCropMode(true);
    drag(&widget, QPoint(10, 10), QPoint(200, 200));
    widget.setCropMode(false);
    QVERIFY(widget.cropRect().isNull());
    QCOMPARE(widget.cursor().shape(), Qt::ArrowCursor);
}

// The completed selection keeps the page visible (the rubber band stays on top) inside a red dashed frame and
// darkens everything around it.
void CroppableImageWidgetTest::selectionIsFramedAndSurroundingsDarkened()
{
    CroppableImageWidget widget;
    widget.resize(400, 600);
    widget.setImage(page(400, 600));
    widget.setCropMode(true);
    drag(&widget, QPoint(100, 100), QPoint(300, 400));

    const QImage shot = ownPainting(&widget);
    const QColor inside = shot.pixelColor(200, 250);
    const QColor outside = shot.pixelColor(30, 30);
    QCOMPARE(inside, QColor(Qt::white));
    QVERIFY2(outside.value() < 200, qPrintable(outside.name()));
    const QColor frame = shot.pixelColor(100, 104); // a dash of the left edge
    QVERIFY2(frame.red() > 200 && frame.green() < 80, qPrintable(frame.name()));

    widget.setCropMode(false);
    QCOMPARE(ownPainting(&widget).pixelColor(30, 30), QColor(Qt::white));
}

// The fast reduction gives the size and, within a few levels, the colours that
// Qt's smooth scaling gives, for every page format and awkward sizes.
void CroppableImageWidgetTest::fitMatchesSmoothScaling_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("box");
    const QList<QPair<const char *, QImage::Format>> formats { { "rgb888", QImage::Format_RGB888 },
        { "rgb32", QImage::Format_RGB32 }, { "grey", QImage::Format_Grayscale8 }, { "argb32", QImage::Format_ARGB32 },
        { "mono", QImage::Format_Mono } };
    for (const auto &format : formats) {
        QTest::newRow(qPrintable(QStringLiteral("%1 A4 in view").arg(format.first)))
            << format.second << QSize(2480, 3508) << QSize(640, 660);
        QTest::newRow(qPrintable(QStringLiteral("%1 A4 thumbnail").arg(format.first)))
            << format.second << QSize(2480, 3508) << QSize(100, 100);
        QTest::newRow(qPrintable(QStringLiteral("%1 odd size").arg(format.first)))
            << format.second << QSize(1001, 777) << QSize(97, 300);
        QTest::newRow(qPrintable(QStringLiteral("%1 enlarged").arg(format.first)))
            << format.second << QSize(50, 40) << QSize(400, 400);
    }
}

void CroppableImageWidgetTest::fitMatchesSmoothScaling()
{
    QFETCH(QImage::Format, format);
    QFETCH(QSize, size);
    QFETCH(QSize, box);
    // Broad stripes and blocks, so both results must keep them where they are.
    QImage page(size, QImage::Format_RGB32);
    {
        QPainter painter(&page);
        for (int row = 0; row < 6; ++row) {
            for (int column = 0; column < 8; ++column) {
                // Exact integer edges, the same ones the edge test below assumes.
                const int left = column * size.width() / 8, right = (column + 1) * size.width() / 8;
                const int top = row * size.height() / 6, bottom = (row + 1) * size.height() / 6;
                painter.fillRect(QRect(left, top, right - left, bottom - top),
                    (row + column) % 2 ? QColor(20, 40, 200) : QColor(250, 240, 90));
            }
        }
    }
    page = page.convertToFormat(format);

    const QImage fitted = ImageScaler::fitInto(page, box);
    const QImage reference = page.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QCOMPARE(fitted.size(), reference.size());
    // Where a stripe edge crosses an output pixel the two filters may blend
    // differently; everywhere else they must agree.
    auto nearEdge = [](int out, int outSize, int sourceSize, int stripes) {
        const double perPixel = double(sourceSize) / outSize;
        const double centre = (out + 0.5) * perPixel;
        const double stripe = double(sourceSize) / stripes;
        const double offset = std::fmod(centre, stripe);
        return qMin(offset, stripe - offset) < 1.5 * perPixel;
    };
    int compared = 0;
    for (int y = 0; y < fitted.height(); ++y) {
        if (nearEdge(y, fitted.height(), size.height(), 6))
            continue;
        for (int x = 0; x < fitted.width(); ++x) {
            if (nearEdge(x, fitted.width(), size.width(), 8))
                continue;
            const QColor a = fitted.pixelColor(x, y);
            const QColor b = reference.pixelColor(x, y);
            const int difference
                = qMax(qAbs(a.red() - b.red()), qMax(qAbs(a.green() - b.green()), qAbs(a.blue() - b.blue())));
            QVERIFY2(difference <= 8,
                qPrintable(QStringLiteral("(%1, %2): %3 against %4").arg(x).arg(y).arg(a.name(), b.name())));
            ++compared;
        }
    }
    QVERIFY(compared > fitted.width() * fitted.height() / 3);
}

void CroppableImageWidgetTest::fitOfNothingIsNothing()
{
    QVERIFY(ImageScaler::fitInto(QImage(), QSize(100, 100)).isNull());
    QVERIFY(ImageScaler::fitInto(page(10, 10), QSize(0, 100)).isNull());
    QCOMPARE(ImageScaler::fitInto(page(1000, 10), QSize(10, 10)).size(), QSize(10, 1));
}

QTEST_MAIN(CroppableImageWidgetTest)
#include "tst_croppableimagewidget.moc"
