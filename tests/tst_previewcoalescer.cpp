#include <QtTest>

#include "ui/previewcoalescer.h"

class PreviewCoalescerTest : public QObject
{
    Q_OBJECT

private slots:
    void onlyTheNewestPendingValueIsComputed();
    void discardedRequestIsNotComputed();
};

// Of the values requested before a computation starts, or while one runs (image
// operations let events through), only the newest is computed: no stale queue.
void PreviewCoalescerTest::onlyTheNewestPendingValueIsComputed()
{
    QList<int> computed;
    PreviewCoalescer *self = nullptr;
    PreviewCoalescer coalescer([&](int first, int second) {
        computed << first;
        for (int value = 21; first == 20 && value <= 29; ++value) {
            self->request(value, second);
            QCoreApplication::processEvents();
        }
        return QImage(first, second, QImage::Format_RGB32);
    });
    self = &coalescer;
    QSignalSpy ready(&coalescer, &PreviewCoalescer::previewReady);
    for (int value = 1; value <= 20; ++value)
        coalescer.request(value, 7);
    QTRY_VERIFY(coalescer.isIdle());
    QCOMPARE(computed, (QList<int> { 20, 29 }));
    QCOMPARE(ready.count(), 2);
    QCOMPARE(qvariant_cast<QImage>(ready.last().first()).size(), QSize(29, 7));
}

// A request discarded when its dialog closes is never computed.
void PreviewCoalescerTest::discardedRequestIsNotComputed()
{
    int calls = 0;
    PreviewCoalescer coalescer([&](int, int) { return QImage(++calls, 1, QImage::Format_RGB32); });
    coalescer.request(3, 4);
    coalescer.discard();
    QCoreApplication::processEvents(); // a first request starts from here, if at all
    QCOMPARE(calls, 0);
}

QTEST_MAIN(PreviewCoalescerTest)
#include "tst_previewcoalescer.moc"
