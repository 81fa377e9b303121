#include <QtTest>

#include "ui/previewcoalescer.h"

class PreviewCoalescerTest : public QObject
{
    Q_OBJECT

private slots:
    void burstComputesOnlyItsLastValue();
    void valuesDuringAComputationLeaveOnlyTheNewest();
    void discardedRequestIsNotComputed();
};

namespace {

QImage marked(int first, int second)
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(qRgb(first, second, 0));
    return image;
}

} // namespace

// Requests made before the event loop runs again collapse into the last one.
void PreviewCoalescerTest::burstComputesOnlyItsLastValue()
{
    QList<QPair<int, int>> computed;
    PreviewCoalescer coalescer([&](int first, int second) {
        computed << qMakePair(first, second);
        return marked(first, second);
    });
    QSignalSpy ready(&coalescer, &PreviewCoalescer::previewReady);
    for (int value = 1; value <= 20; ++value)
        coalescer.request(value, 7);
    QTRY_VERIFY(coalescer.isIdle());
    QCOMPARE(computed, (QList<QPair<int, int>> { { 20, 7 } }));
    QCOMPARE(ready.count(), 1);
    QCOMPARE(qvariant_cast<QImage>(ready.first().first()), marked(20, 7));
}

// An operation lets events through, as the image operations do; the values
// that arrive meanwhile are not queued: only the newest is computed next.
void PreviewCoalescerTest::valuesDuringAComputationLeaveOnlyTheNewest()
{
    QList<int> computed;
    PreviewCoalescer *self = nullptr;
    PreviewCoalescer coalescer([&](int first, int) {
        computed << first;
        if (first == 1) {
            for (int value = 2; value <= 9; ++value) {
                self->request(value, 0);
                QCoreApplication::processEvents();
            }
        }
        return marked(first, 0);
    });
    self = &coalescer;
    coalescer.request(1, 0);
    QTRY_VERIFY(coalescer.isIdle());
    QCOMPARE(computed, (QList<int> { 1, 9 }));
    QCOMPARE(coalescer.computedCount(), 2);
}

void PreviewCoalescerTest::discardedRequestIsNotComputed()
{
    int calls = 0;
    PreviewCoalescer coalescer([&](int first, int second) {
        ++calls;
        return marked(first, second);
    });
    coalescer.request(3, 4);
    coalescer.discard();
    // The first request starts from the event loop at once, if at all.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(calls, 0);
    QVERIFY(coalescer.isIdle());
}

QTEST_MAIN(PreviewCoalescerTest)
#include "tst_previewcoalescer.moc"
