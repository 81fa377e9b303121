// The window's automatic corrections: "自动纠偏", "自动裁切" and "自动转正" in the
// advanced dialog (undo only after a change), and the dock's three boxes that
// correct every scanned page of an eSCL feeder job on the loopback scanner.
#include <QAbstractButton>
#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

#include "document/documentmanager.h"
#include "escl/esclregistry.h"
#include "escl/esclscanner.h"
#include "imaging/imageprocessor.h"
#include "imaging/skewestimator.h"
#include "settings/appsettings.h"
#include "tests/support/escltestserver.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/tempsettings.h"
#include "tests/support/testpages.h"
#include "tests/support/windowparts.h"
#include "ui/mainwindow.h"
#include "ui/scansession.h"

using TestPages::Layout;

namespace {

QImage textPage(double angle)
{
    return TestPages::turned(TestPages::page(Layout::EnglishSerif, 120), angle);
}

QImage platenScan(TestPages::Platen platen = TestPages::Platen::WhiteLid)
{
    return TestPages::onPlaten(TestPages::page(Layout::Chinese, 80), QSize(992, 1403), QPoint(120, 200), platen);
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class MainWindowAutoCorrectTest : public QObject
{
    Q_OBJECT

    TempSettings settings;
    std::unique_ptr<QTemporaryDir> saveFolder;
    std::unique_ptr<MainWindow> window;
    DocumentManager *document = nullptr;

    template<typename T> T *the(const char *name) { return part<T>(*window, name); }
    QString status() const { return window->statusBar()->currentMessage(); }

    QAction *action(const QString &text) const
    {
        for (QAction *candidate : window->findChildren<QAction *>())
            if (candidate->text() == text)
                return candidate;
        qFatal("no action %s", qPrintable(text));
    }

    // Presses a button of the advanced dialog; returns the boxes answered after it ("title|text").
    QStringList runAdvanced(const char *command, bool answerBox = false)
    {
        ModalAnswerer answerer;
        answerer.handle([command](QWidget *modal) { part<QAbstractButton>(*modal, command)->click(); });
        if (answerBox)
            answerer.answer(QDialogButtonBox::Ok);
        action(QStringLiteral("高级设置"))->trigger();
        return answerer.seen().filter(QRegularExpression(QStringLiteral("[^|]$")));
    }

    void openWindow()
    {
        window = std::make_unique<MainWindow>();
        document = the<DocumentManager>("documentManager");
        the<QCheckBox>("autoSaveCheck")->setChecked(false);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

private slots:
    void init()
    {
        window.reset();
        settings.clear();
        saveFolder = std::make_unique<QTemporaryDir>();
        AppSettings::savePath.write(settings.store(), saveFolder->path());
        AppSettings::saveFormat.write(settings.store(), QStringLiteral("PDF"));
    }

    void cleanup() { window.reset(); }

    void commandChangesThePageWithUndo_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QImage>("page");
        QTest::addColumn<QString>("done");
        QTest::newRow("straighten a page turned by 2.5")
            << QByteArray("StraightenCommand") << textPage(2.5) << QStringLiteral("自动纠偏完成");
        QTest::newRow("crop to the sheet")
            << QByteArray("CropPaperCommand") << platenScan() << QStringLiteral("已裁切到纸张边缘");
        QTest::newRow("turn an upside-down page")
            << QByteArray("OrientCommand")
            << TestPages::page(Layout::EnglishSerif, 150).transformed(QTransform().rotate(180))
            << QStringLiteral("页面已转正");
    }

    // A command that changes the page puts the result back, records one undo step
    // that restores the page, and leaves the progress bar hidden.
    void commandChangesThePageWithUndo()
    {
        QFETCH(QByteArray, command);
        QFETCH(QImage, page);
        QFETCH(QString, done);
        openWindow();
        document->addPage(page);
        QList<int> progress;
        connect(the<ImageProcessor>("imageProcessor"), &ImageProcessor::processingProgress, this,
            [&](int value) { progress << value; });
        runAdvanced(command.constData());
        const QImage result = document->page(0);
        QVERIFY(result != page);
        QCOMPARE(status(), done);
        QVERIFY(!the<QProgressBar>("progressBar")->isVisible());
        if (command == "StraightenCommand") {
            QVERIFY(std::fabs(SkewEstimator::estimate(result).angle) < 0.1);
            QCOMPARE(progress.first(), 0);
            QCOMPARE(progress.last(), 100);
        } else if (command == "CropPaperCommand") {
            QVERIFY(qAbs(result.width() - 662) <= 3 && qAbs(result.height() - 936) <= 3);
        } else {
            ImageProcessor processor;
            QCOMPARE(result, processor.rotateRight(processor.rotateRight(page)));
        }
        runAdvanced("UndoCommand");
        QCOMPARE(document->page(0), page);
        QCOMPARE(status(), QStringLiteral("已撤销操作（剩余 0 步可撤销）"));
    }

    void commandWithoutAnswerRecordsNoUndo_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QImage>("page");
        QTest::addColumn<QString>("message");
        QImage blank(600, 800, QImage::Format_RGB32);
        blank.fill(Qt::white);
        QTest::newRow("straighten an upright page")
            << QByteArray("StraightenCommand") << textPage(0.0) << QStringLiteral("未检测到需要校正的倾斜，页面未改变");
        QTest::newRow("straighten a photo") << QByteArray("StraightenCommand") << TestPages::photo(QSize(600, 800))
                                            << QStringLiteral("未检测到需要校正的倾斜，页面未改变");
        QTest::newRow("crop a page without a platen")
            << QByteArray("CropPaperCommand") << textPage(0.0) << QStringLiteral("未找到可靠的纸张边缘，页面未改变");
        QTest::newRow("turn a blank page")
            << QByteArray("OrientCommand") << blank << QStringLiteral("未能可靠判断页面方向，页面未改变");
    }

    // A command that finds nothing leaves the page as it was and records no undo step.
    void commandWithoutAnswerRecordsNoUndo()
    {
        QFETCH(QByteArray, command);
        QFETCH(QImage, page);
        QFETCH(QString, message);
        openWindow();
        document->addPage(page);
        runAdvanced(command.constData());
        QCOMPARE(document->page(0), page);
        QCOMPARE(status(), message);
        QCOMPARE(runAdvanced("UndoCommand", true), QStringList());
        QCOMPARE(status(), QStringLiteral("没有可撤销的操作"));
    }

    // Without a page the commands ask for one.
    void commandWithoutPageAsksForOne()
    {
        openWindow();
        QCOMPARE(runAdvanced("StraightenCommand", true), QStringList());
        QCOMPARE(status(), QStringLiteral("请先选择要处理的图像"));
    }

    // The dock's boxes start unticked, and a ticked box is stored and comes back with the next window.
    void boxesAreStored()
    {
        openWindow();
        for (const char *name : { "autoDeskewCheck", "autoCropCheck", "autoOrientCheck" })
            QVERIFY(!the<QCheckBox>(name)->isChecked());
        the<QCheckBox>("autoDeskewCheck")->setChecked(true);
        the<QCheckBox>("autoOrientCheck")->setChecked(true);
        QVERIFY(AppSettings::autoDeskew.read(settings.store()));
        QVERIFY(!AppSettings::autoCropPaper.read(settings.store()));
        window.reset();
        openWindow();
        QVERIFY(the<QCheckBox>("autoDeskewCheck")->isChecked());
        QVERIFY(!the<QCheckBox>("autoCropCheck")->isChecked());
        QVERIFY(the<QCheckBox>("autoOrientCheck")->isChecked());
    }

    // With the boxes ticked every page of a feeder job arrives cropped, straight and
    // upright, in the order scanned, and the job's one save follows the last page.
    void scannedPagesAreCorrectedInOrder()
    {
        const QList<QImage> sheets { textPage(2.0),
            TestPages::turned(TestPages::page(Layout::Mixed, 200), -1.5).transformed(QTransform().rotate(90)),
            // The eSCL client lifts a white lid to paper white; a dark platen stays.
            platenScan(TestPages::Platen::Dark) };
        EsclTestServer server;
        QVERIFY(server.start());
        server.enqueue("POST", "/eSCL/ScanJobs", EsclTestServer::Response::created("/eSCL/ScanJobs/3"));
        for (const QImage &sheet : sheets)
            server.enqueue(
                "GET", "/eSCL/ScanJobs/3/NextDocument", EsclTestServer::Response::document(png(sheet), "image/png"));
        server.enqueue("GET", "/eSCL/ScanJobs/3/NextDocument", EsclTestServer::Response::withStatus(404));
        server.setStanding("DELETE", "/eSCL/ScanJobs/3", EsclTestServer::Response::withStatus(200));
        const QString url = server.baseUrl();
        EsclRegistry registry(settings.store());
        registry.setDevices({ url });
        registry.setDeviceInfo({ { url, QStringLiteral("Loopback Scanner") } });

        openWindow();
        the<QCheckBox>("autoSaveCheck")->setChecked(true);
        for (const char *name : { "autoDeskewCheck", "autoCropCheck", "autoOrientCheck" })
            the<QCheckBox>(name)->setChecked(true);
        auto *combo = the<QComboBox>("scannerCombo");
        QTRY_COMPARE(combo->count(), 1);
        combo->addItem(EsclRegistry::displayName(url, QStringLiteral("Loopback Scanner")));
        combo->setCurrentIndex(1);
        the<QComboBox>("paperSourceCombo")->setCurrentIndex(1);
        QTest::mouseClick(the<QPushButton>("scanButton"), Qt::LeftButton);
        window->findChild<ESCLScanner *>()->setIntervals({ 30, 20, 20 });

        QTRY_VERIFY_WITH_TIMEOUT(status().startsWith(QStringLiteral("已自动保存 3 页为PDF")), 60000);
        QCOMPARE(document->pageCount(), 3);
        QTRY_VERIFY(!the<ScanSession>("scanSession")->isScanning());
        // In order: the portrait English page, the mixed page turned back upright, the sheet.
        for (int i = 0; i < 2; ++i) {
            const QImage page = document->page(i);
            QVERIFY2(page.height() > page.width(), qPrintable(QString::number(i)));
            QVERIFY(std::fabs(SkewEstimator::estimate(page).angle) < 0.1);
        }
        QVERIFY(document->page(0).width() < sheets[0].width());
        const QSize sheet = document->page(2).size();
        QVERIFY2(qAbs(sheet.width() - 662) <= 3 && qAbs(sheet.height() - 936) <= 3,
            qPrintable(QStringLiteral("%1x%2").arg(sheet.width()).arg(sheet.height())));
    }

    // Closing while scanned pages are still being straightened waits for them: they are in the document the
    // close prompt asks about, not lost with the window.
    void closingKeepsPagesStillBeingCorrected()
    {
        openWindow();
        the<QCheckBox>("autoDeskewCheck")->setChecked(true);
        for (double angle : { 2.0, -3.0 })
            QMetaObject::invokeMethod(window.get(), "onScanComplete", Q_ARG(QImage, textPage(angle)));
        int pagesWhenAsked = -1;
        ModalAnswerer answerer;
        answerer.handle([&](QWidget *modal) {
            pagesWhenAsked = document->pageCount();
            qobject_cast<QMessageBox *>(modal)->button(QMessageBox::Cancel)->click();
        });
        QVERIFY(!window->close());
        QCOMPARE(pagesWhenAsked, 2);
        QCOMPARE(answerer.seen().first(), QStringLiteral("未保存的更改|文档包含未保存的更改。\n是否保存更改?"));
    }
};

QTEST_MAIN(MainWindowAutoCorrectTest)
#include "tst_mainwindow_autocorrect.moc"
