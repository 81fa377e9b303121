// Several originals on one scan: rendered pages with known corners.

#include <QtTest>

#include "imaging/originalsdetector.h"
#include "tests/support/testpages.h"

using TestPages::Laid;
using TestPages::Platen;

Q_DECLARE_METATYPE(QVector<TestPages::Laid>)
Q_DECLARE_METATYPE(TestPages::Platen)

class OriginalsDetectorTest : public QObject
{
    Q_OBJECT

private slots:
    void findsEachOriginalInReadingOrder_data();
    void findsEachOriginalInReadingOrder();
};

// Each original comes out straightened and cropped to edges within 2 px of
// where they are, top to bottom and then left to right; small items and
// originals lying against each other are counted, never cut out.
void OriginalsDetectorTest::findsEachOriginalInReadingOrder_data()
{
    QTest::addColumn<QVector<Laid>>("laid");
    QTest::addColumn<Platen>("platen");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QList<int>>("order"); // indices into laid, as they come out
    QTest::addColumn<int>("tooSmall");
    QTest::addColumn<int>("touching");

    QTest::newRow("two cards, white lid, 300 dpi")
        << QVector<Laid> { { QRectF(110, 30, 90, 54), -4 }, { QRectF(15, 40, 85.6, 54), 3 } } << Platen::WhiteLid << 300
        << QList<int> { 1, 0 } << 0 << 0;
    QTest::newRow("four receipts, dark, 200 dpi") << QVector<Laid> { { QRectF(10, 10, 80, 120), 5 },
        { QRectF(110, 15, 70, 110), -5 }, { QRectF(15, 160, 75, 100), -2 }, { QRectF(115, 150, 80, 120), 0 } }
                                                  << Platen::Dark << 200 << QList<int> { 0, 1, 2, 3 } << 0 << 0;
    QTest::newRow("six items in two rows, white lid, 150 dpi")
        << QVector<Laid> { { QRectF(140, 20, 55, 80), 1 }, { QRectF(10, 20, 55, 80), -3 },
               { QRectF(75, 25, 55, 80), 4 }, { QRectF(10, 150, 55, 80), 2 }, { QRectF(75, 150, 55, 80), -1 },
               { QRectF(140, 150, 55, 80), -5 } }
        << Platen::WhiteLid << 150 << QList<int> { 1, 2, 0, 3, 4, 5 } << 0 << 0;
    QTest::newRow("one lying off the edge, dark")
        << QVector<Laid> { { QRectF(-10, 20, 80, 60), 0 }, { QRectF(110, 40, 80, 60), 3 } } << Platen::Dark << 200
        << QList<int> { 0, 1 } << 0 << 0;
    QTest::newRow("two touching and a stamp, white lid") << QVector<Laid> { { QRectF(20, 20, 80, 60), 4 },
        { QRectF(98, 25, 80, 60), -3 }, { QRectF(30, 150, 90, 60), 2 }, { QRectF(150, 160, 15, 15), 0 } }
                                                         << Platen::WhiteLid << 200 << QList<int> { 2 } << 1 << 1;
    QTest::newRow("one original") << QVector<Laid> { { QRectF(40, 50, 120, 90), -2 } } << Platen::Dark << 150
                                  << QList<int> { 0 } << 0 << 0;
}

void OriginalsDetectorTest::findsEachOriginalInReadingOrder()
{
    QFETCH(QVector<Laid>, laid);
    QFETCH(Platen, platen);
    QFETCH(int, dpi);
    QFETCH(QList<int>, order);
    QFETCH(int, tooSmall);
    QFETCH(int, touching);

    QVector<QPolygonF> truth;
    const QImage page = TestPages::originalsOnPlaten(QSizeF(210, 297), dpi, laid, platen, &truth);
    const OriginalsDetector::Result result = OriginalsDetector::detect(page);
    QCOMPARE(result.originals.size(), order.size());
    QCOMPARE(result.tooSmall, tooSmall);
    QCOMPARE(result.touching, touching);

    const QRectF pageRect(QPointF(0, 0), QSizeF(page.size()));
    for (int i = 0; i < order.size(); ++i) {
        const OriginalsDetector::Original &found = result.originals.at(i);
        const Laid &expected = laid.at(order.at(i));
        QPolygonF corners = truth.at(order.at(i));
        if (!pageRect.contains(corners.boundingRect())) {
            // Cut by the border of the scan: the original ends there.
            const QRectF visible = corners.boundingRect().intersected(pageRect);
            corners = QPolygonF({ visible.topLeft(), visible.topRight(), visible.bottomRight(), visible.bottomLeft() });
        }
        for (int c = 0; c < 4; ++c) {
            const double off = QLineF(found.corners.at(c), corners.at(c)).length();
            QVERIFY2(off <= 2.0,
                qPrintable(QStringLiteral("original %1 corner %2 is %3 px off").arg(i).arg(c).arg(off, 0, 'f', 2)));
        }
        QVERIFY(qAbs(found.angle - expected.angle) < 0.5);
        const QLineF top(corners.at(0), corners.at(1));
        const QLineF side(corners.at(0), corners.at(3));
        QVERIFY(qAbs(found.image.width() - top.length()) <= 3);
        QVERIFY(qAbs(found.image.height() - side.length()) <= 3);
        // Straightened: the print's first line runs level across the image.
        const int y = qRound(3.0 * dpi / 25.4 + 0.8 * dpi / 25.4);
        QVERIFY(qGray(found.image.pixel(found.image.width() / 4, y)) < 128);
    }
}

QTEST_GUILESS_MAIN(OriginalsDetectorTest)
#include "tst_originalsdetector.moc"
