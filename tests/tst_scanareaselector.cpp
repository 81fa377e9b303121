// The preview's selection, driven with the mouse and keys offscreen.

#include <QtTest>

#include "ui/scanareaselector.h"

class ScanAreaSelectorTest : public QObject
{
    Q_OBJECT

private slots:
    void gestures_data();
    void gestures();
    void proposalYieldsToTheUsersChoice();
};

// Drag to draw, corners and edges to resize, inside to move, arrows to nudge;
// the selection stays on the glass and snaps to a listed size within 2 mm.
void ScanAreaSelectorTest::gestures_data()
{
    QTest::addColumn<QRectF>("before");
    QTest::addColumn<QPointF>("from"); // millimetres; a null point means a key press
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<int>("key");
    QTest::addColumn<QRectF>("after");
    QTest::addColumn<QString>("text");

    QTest::newRow("draw") << QRectF() << QPointF(10, 10) << QPointF(100, 80) << 0 << QRectF(10, 10, 90, 70)
                          << "90 × 70 mm";
    QTest::newRow("draw backwards") << QRectF() << QPointF(100, 80) << QPointF(10, 10) << 0 << QRectF(10, 10, 90, 70)
                                    << "90 × 70 mm";
    QTest::newRow("draw snaps to A6") << QRectF() << QPointF(20, 20) << QPointF(126.2, 166.8) << 0
                                      << QRectF(20, 20, 105, 148) << "105 × 148 mm (A6)";
    QTest::newRow("corner snaps to a card across")
        << QRectF(30, 30, 60, 40) << QPointF(90, 70) << QPointF(121.2, 84.9) << 0 << QRectF(30, 30, 90, 54)
        << QString::fromUtf8("90 × 54 mm (名片)");
    QTest::newRow("left edge") << QRectF(30, 30, 60, 40) << QPointF(30, 50) << QPointF(10, 50) << 0
                               << QRectF(10, 30, 80, 40) << "80 × 40 mm";
    QTest::newRow("move inside") << QRectF(30, 30, 60, 40) << QPointF(60, 50) << QPointF(80, 90) << 0
                                 << QRectF(50, 70, 60, 40) << "60 × 40 mm";
    QTest::newRow("move stops at the glass") << QRectF(30, 30, 60, 40) << QPointF(60, 50) << QPointF(250, 250) << 0
                                             << QRectF(140, 160, 60, 40) << "60 × 40 mm";
    QTest::newRow("arrow nudges 1 mm") << QRectF(30, 30, 60, 40) << QPointF() << QPointF() << int(Qt::Key_Right)
                                       << QRectF(31, 30, 60, 40) << "60 × 40 mm";
    QTest::newRow("shift arrow nudges 10 mm")
        << QRectF(30, 30, 60, 40) << QPointF() << QPointF() << int(Qt::Key_Up | Qt::ShiftModifier)
        << QRectF(30, 20, 60, 40) << "60 × 40 mm";
    QTest::newRow("a click draws nothing")
        << QRectF() << QPointF(50, 50) << QPointF(50.5, 50.5) << 0 << QRectF() << QString();
}

void ScanAreaSelectorTest::gestures()
{
    QFETCH(QRectF, before);
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(int, key);
    QFETCH(QRectF, after);
    QFETCH(QString, text);

    ScanAreaSelector selector;
    selector.resize(500, 500);
    QImage glass(590, 590, QImage::Format_RGB32);
    glass.fill(Qt::lightGray);
    selector.setPreview(glass, QSizeF(200, 200));
    selector.setSelection(before);
    selector.show();
    QVERIFY(QTest::qWaitForWindowExposed(&selector));
    QSignalSpy changes(&selector, &ScanAreaSelector::selectionChanged);

    if (from.isNull()) {
        QTest::keyClick(
            &selector, Qt::Key(key & ~Qt::KeyboardModifierMask), Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
    } else {
        const QPoint start = selector.toWidget(QRectF(from, QSizeF())).topLeft().toPoint();
        const QPoint end = selector.toWidget(QRectF(to, QSizeF())).topLeft().toPoint();
        QTest::mousePress(&selector, Qt::LeftButton, Qt::NoModifier, start);
        QMouseEvent move(QEvent::MouseMove, (start + end) / 2, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&selector, &move);
        QMouseEvent last(QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&selector, &last);
        QTest::mouseRelease(&selector, Qt::LeftButton, Qt::NoModifier, end);
    }

    const QRectF got = selector.selection();
    // One widget pixel is about 0.4 mm of this glass.
    const auto near = [](double a, double b) {
        return qAbs(a - b) <= 0.5;
    };
    QVERIFY2(near(got.x(), after.x()) && near(got.y(), after.y()) && near(got.width(), after.width())
            && near(got.height(), after.height()),
        qPrintable(QStringLiteral("%1,%2 %3x%4").arg(got.x()).arg(got.y()).arg(got.width()).arg(got.height())));
    QCOMPARE(selector.sizeText(), text);
    // Whoever follows the signal ends with what the selector shows.
    QCOMPARE(changes.isEmpty() ? before : changes.last().at(0).toRectF(), got);
}

// The sheet found on the preview is offered until the user draws their own.
void ScanAreaSelectorTest::proposalYieldsToTheUsersChoice()
{
    ScanAreaSelector selector;
    selector.setPreview(QImage(), QSizeF(200, 200));
    selector.proposeSelection(QRectF(5, 5, 148, 210));
    QCOMPARE(selector.selection(), QRectF(5, 0, 148, 200)); // kept on the glass
    selector.proposeSelection(QRectF(10, 10, 50, 50));
    QCOMPARE(selector.selection(), QRectF(10, 10, 50, 50));
    selector.setSelection(QRectF(20, 20, 30, 30));
    selector.proposeSelection(QRectF(10, 10, 50, 50));
    QCOMPARE(selector.selection(), QRectF(20, 20, 30, 30));
    selector.clearSelection();
    QVERIFY(!selector.hasSelection());
}

QTEST_MAIN(ScanAreaSelectorTest)
#include "tst_scanareaselector.moc"
