// The scan session without a window: pipeline decisions the window tests do not reach, the run record
// that follows the document, and results that wait while a box is open.
#include <QtTest>

#include "document/documentmanager.h"
#include "imaging/imageprocessor.h"
#include "ui/scansession.h"

Q_DECLARE_METATYPE(ScanSession::Kind)
Q_DECLARE_METATYPE(ScanSession::Next)

class ScanSessionTest : public QObject
{
    Q_OBJECT

    ImageProcessor processor;

    static QImage sheet(QColor colour)
    {
        QImage image(60, 80, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    }

private slots:
    void pipelineDecides_data()
    {
        QTest::addColumn<ScanSession::Kind>("kind");
        QTest::addColumn<bool>("delay");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<bool>("blank");
        QTest::addColumn<ScanSession::Next>("next");
        QTest::addColumn<bool>("stillScanning");
        using K = ScanSession::Kind;
        using N = ScanSession::Next;
        QTest::newRow("escl platen kept") << K::EsclPlaten << false << false << false << N::SaveSingle << true;
        QTest::newRow("escl platen blank") << K::EsclPlaten << false << false << true << N::SkippedBlankInRun << true;
        QTest::newRow("delay blank") << K::SinglePage << true << false << true << N::SkippedBlank << false;
        QTest::newRow("escl delay kept") << K::EsclPlaten << true << false << false << N::DelayCycleEnd << false;
        QTest::newRow("cancelled run") << K::FeederRun << false << true << false << N::AddedOnly << false;
    }

    // A page is kept or skipped, saved now, later or never, and ends the scan or not.
    void pipelineDecides()
    {
        QFETCH(ScanSession::Kind, kind);
        QFETCH(bool, delay);
        QFETCH(bool, cancelled);
        QFETCH(bool, blank);
        QFETCH(ScanSession::Next, next);
        QFETCH(bool, stillScanning);
        DocumentManager document;
        ScanSession session(&processor, &document);
        if (delay)
            session.startDelay(3, true);
        session.begin(kind);
        if (cancelled)
            session.cancel();
        const ScanSession::PageResult result = session.takePage(sheet(blank ? Qt::white : Qt::darkBlue), { true });
        QCOMPARE(result.next, next);
        QCOMPARE(session.isScanning(), stillScanning);
        QCOMPARE(result.endsScan, !stillScanning && !cancelled); // a cancelled scan has ended already
        QCOMPARE(document.pageCount(), blank ? 0 : 1);
    }

    void blackAndWhitePagesAreTwoLevel_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("grey scan of a device without a two-level mode") << QImage::Format_Grayscale8;
        QTest::newRow("colour picture") << QImage::Format_RGB32;
        QTest::newRow("two-level page with white at index 0") << QImage::Format_Mono;
    }

    // With black and white asked for, every page becomes a Format_Mono page (0 black,
    // 1 white) that keeps a thin faint stroke on paper shaded from 245 to 150 and
    // turns none of the shaded paper black.
    void blackAndWhitePagesAreTwoLevel()
    {
        QFETCH(QImage::Format, format);
        QImage scan(620, 870, QImage::Format_RGB32);
        auto paperAt = [](int y) {
            return 245 - 95 * y / 869;
        };
        for (int y = 0; y < scan.height(); ++y) {
            for (int x = 0; x < scan.width(); ++x) {
                const int level = paperAt(y) + (x * 7 + y * 3) % 5 - 2;
                scan.setPixel(x, y, qRgb(level, level, level));
            }
        }
        // Hair lines 30 % darker than their paper, every 40 pixels.
        for (int x = 40; x < scan.width() - 40; x += 40)
            for (int y = 20; y < scan.height() - 20; ++y) {
                const int ink = paperAt(y) * 7 / 10;
                scan.setPixel(x, y, qRgb(ink, ink, ink));
            }
        QImage delivered = scan.convertToFormat(format);
        if (format == QImage::Format_Mono) {
            delivered = ImageProcessor().toBinary(scan, 128).convertToFormat(QImage::Format_Mono);
            delivered.invertPixels();
            delivered.setColorTable({ qRgb(255, 255, 255), qRgb(0, 0, 0) });
        }
        DocumentManager document;
        ScanSession session(&processor, &document);
        session.begin(ScanSession::Kind::SinglePage, true);
        session.takePage(delivered, {});
        const QImage page = document.page(0);
        QCOMPARE(page.format(), QImage::Format_Mono);
        QCOMPARE(page.colorTable(), QVector<QRgb>({ qRgb(0, 0, 0), qRgb(255, 255, 255) }));
        if (format == QImage::Format_Mono) {
            QCOMPARE(page.convertToFormat(QImage::Format_RGB32), delivered.convertToFormat(QImage::Format_RGB32));
            return;
        }
        for (int y = 20; y < scan.height() - 20; ++y) {
            for (int x = 20; x < scan.width() - 20; ++x) {
                const bool ink = x % 40 == 0 && x < scan.width() - 40;
                if (page.pixelIndex(x, y) != (ink ? 0 : 1))
                    QFAIL(qPrintable(QStringLiteral("pixel %1, %2").arg(x).arg(y)));
            }
        }
    }

    // Run pages moved, removed or edited during the run are saved as they are at its end; others are not.
    void runRecordFollowsTheDocument()
    {
        DocumentManager document;
        document.addPage(sheet(Qt::black));
        ScanSession session(&processor, &document);
        session.begin(ScanSession::Kind::SinglePage);
        session.beginFeederRun();
        for (QColor colour : { QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue), QColor(Qt::yellow) })
            session.takePage(sheet(colour), {});
        document.insertPage(0, sheet(Qt::gray)); // not the run's: gray black red green blue yellow
        document.movePageUp(3); // gray black green red blue yellow
        document.removePage(4); // blue goes
        document.putBackPage(document.pageId(2), sheet(Qt::cyan)); // green is edited
        session.takePage(sheet(Qt::magenta), {});
        QList<QColor> saved;
        for (int index : session.finishRun())
            saved << document.page(index).pixelColor(0, 0);
        QCOMPARE(saved, QList<QColor>({ Qt::cyan, Qt::red, Qt::yellow, Qt::magenta }));
        QVERIFY(!session.isScanning());
        session.begin(ScanSession::Kind::SinglePage);
        session.beginFeederRun();
        session.takePage(sheet(Qt::red), {});
        document.newDocument();
        QVERIFY(session.finishRun().isEmpty());
    }

    // Results that arrive while a box is open wait, and run in order once it closes.
    // The blank test takes the stored white threshold and the ratio in percent
    // (98 is a fraction of 0.98 of white pixels).
    void blankTestUsesTheStoredValues_data()
    {
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("darkEvery");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<int>("ratioPercent");
        QTest::addColumn<bool>("blank");
        QTest::newRow("grey paper, default threshold") << 235 << 0 << 240 << 98 << false;
        QTest::newRow("grey paper, lower threshold") << 235 << 0 << 230 << 98 << true;
        QTest::newRow("4 % ink, ratio 98") << 255 << 25 << 240 << 98 << false;
        QTest::newRow("4 % ink, ratio 95") << 255 << 25 << 240 << 95 << true;
    }

    void blankTestUsesTheStoredValues()
    {
        QFETCH(int, paper);
        QFETCH(int, darkEvery);
        QFETCH(int, threshold);
        QFETCH(int, ratioPercent);
        QFETCH(bool, blank);
        QImage page(200, 280, QImage::Format_RGB32);
        page.fill(QColor(paper, paper, paper));
        for (int x = 0; darkEvery > 0 && x < page.width(); x += darkEvery)
            for (int y = 0; y < page.height(); ++y)
                page.setPixel(x, y, qRgb(0, 0, 0));
        DocumentManager document;
        ScanSession session(&processor, &document);
        QCOMPARE(session.isBlank(page, { true, threshold, ratioPercent }), blank);
        // Switched off, nothing is blank.
        QVERIFY(!session.isBlank(page, { false, threshold, ratioPercent }));
    }

    void resultsWaitForTheBoxInOrder()
    {
        DocumentManager document;
        ScanSession session(&processor, &document);
        QStringList handled;
        std::function<void(const QString &)> handle = [&](const QString &name) {
            if (session.deferIfBusy([&handle, name]() { handle(name); }))
                return;
            const ScanSession::Hold hold(&session);
            handled << name + QStringLiteral(" begins");
            // The error and page 2 arrive while page 1's box is open, the run's end during the error's box.
            if (name == QLatin1String("page 1")) {
                handle(QStringLiteral("error"));
                handle(QStringLiteral("page 2"));
            }
            if (name == QLatin1String("error"))
                handle(QStringLiteral("finished"));
            handled << name + QStringLiteral(" ends");
        };
        handle(QStringLiteral("page 1"));
        QCOMPARE(handled,
            QStringList({ "page 1 begins", "page 1 ends", "error begins", "error ends", "page 2 begins", "page 2 ends",
                "finished begins", "finished ends" }));
        QVERIFY(!session.isBusy());
        QCOMPARE(session.deferredCount(), 0);
    }
};

QTEST_MAIN(ScanSessionTest)
#include "tst_scansession.moc"
