#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include "app/recoveryoffer.h"
#include "document/documentmanager.h"
#include "document/pagecodec.h"
#include "document/pageindex.h"
#include "document/pagerecovery.h"
#include "document/pagestore.h"
#include "tests/support/filesizelimit.h"
#include "tests/support/logcapture.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/tempsettings.h"
#include "ui/mainwindow.h"
#include "ui/settingskeys.h"

namespace {

DocumentManager *documentOf(QWidget &window)
{
    auto *document = window.findChild<DocumentManager *>(QStringLiteral("documentManager"));
    if (!document)
        qFatal("no document");
    return document;
}

// Noise in every byte: incompressible, and no two pages alike.
QImage noisePage(int seed, QImage::Format format = QImage::Format_RGB888, QSize size = QSize(600, 800))
{
    QImage image(size, format);
    quint32 state = quint32(seed) * 2654435761u + 7;
    for (int y = 0; y < image.height(); ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < image.bytesPerLine(); ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = uchar(state >> 24);
        }
    }
    return image;
}

bool identical(const QImage &a, const QImage &b)
{
    return a.format() == b.format() && a.size() == b.size() && a.colorTable() == b.colorTable() && a == b;
}

// Clicks the button of the recovery box that carries this text.
ModalAnswerer::Handler press(const QString &text)
{
    return [text](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box)
            return;
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
    };
}

// The child's side of a crash. "files": adds each image file through the window's
// add-image command, saves as report.tif after the second, adds the rest, waits
// until every page is on disk and says "ready". "stream": adds generated pages
// as fast as it can, saying "added N" after each. Either way it then waits to be
// killed.
int runChild(const QStringList &arguments)
{
    TempSettings settings;
    // Added pages would otherwise also be saved automatically, each with a box.
    SettingsKeys::openSettings().setValue(SettingsKeys::autoSave, false);
    MainWindow window;
    window.show();
    DocumentManager *document = documentOf(window);
    QTextStream out(stdout);
    if (arguments.at(2) == QLatin1String("files")) {
        const QStringList files = arguments.mid(4);
        for (int i = 0; i < files.size(); ++i) {
            ModalAnswerer answerer;
            answerer.handle([path = files.at(i)](QWidget *modal) { ModalAnswerer::acceptFileDialog(modal, path); });
            QMetaObject::invokeMethod(&window, "onAddImageFromFile");
            if (document->pageCount() != i + 1)
                return 2;
            if (i == 1 && !document->saveDocument(arguments.at(3) + QStringLiteral("/report.tif")))
                return 3;
        }
        document->pageStore()->waitForWrites();
        out << "ready" << Qt::endl;
    } else {
        for (int i = 0; i < 60; ++i) {
            document->addPage(noisePage(i));
            QCoreApplication::processEvents();
            out << "added " << i + 1 << Qt::endl;
        }
    }
    return QApplication::exec();
}

} // namespace

class RecoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void crashedPagesAreOffered_data();
    void crashedPagesAreOffered();
    void killAtAnyMomentRecoversWholePages_data();
    void killAtAnyMomentRecoversWholePages();
    void unindexedPagesAreNeverRecovered();
    void fullDiskKeepsPagesInMemory();
    void twoWindowsKeepToTheirFolders();
    void unreadableFolderIsLeftAlone();

private:
    // Starts this program as the child, reads its lines until one starts with
    // until, then kills it with SIGKILL.
    void crashChild(const QStringList &arguments, const QString &until);
    QString root() const { return PageStore::rootFolder(); }

    std::unique_ptr<QTemporaryDir> dataHome;
    std::unique_ptr<TempSettings> settings;
};

void RecoveryTest::init()
{
    dataHome = std::make_unique<QTemporaryDir>();
    QVERIFY(dataHome->isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome->path()));
    settings = std::make_unique<TempSettings>();
}

void RecoveryTest::cleanup()
{
    settings.reset();
    dataHome.reset();
}

void RecoveryTest::crashChild(const QStringList &arguments, const QString &until)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (qEnvironmentVariableIsEmpty("QUIRRA_TEST_VERBOSE"))
        child.setStandardErrorFile(QProcess::nullDevice());
    child.start(QCoreApplication::applicationFilePath(), QStringList { QStringLiteral("--child") } + arguments);
    QVERIFY(child.waitForStarted());
    bool reached = false;
    while (!reached && child.waitForReadyRead(60000)) {
        while (child.canReadLine()) {
            if (QString::fromUtf8(child.readLine()).startsWith(until)) {
                reached = true;
                break;
            }
        }
    }
    QVERIFY2(reached, qPrintable(QStringLiteral("child never said %1 (exit %2)").arg(until).arg(child.exitCode())));
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
}

void RecoveryTest::crashedPagesAreOffered_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("recover") << QStringLiteral("恢复");
    QTest::newRow("delete") << QStringLiteral("删除");
    QTest::newRow("later") << QStringLiteral("以后再说");
}

// A window that dies with unsaved pages offers them to the next window; the
// answer decides whether they come back, go, or wait for the next start.
void RecoveryTest::crashedPagesAreOffered()
{
    QFETCH(QString, answer);
    QTemporaryDir files;
    const QList<QImage::Format> formats { QImage::Format_RGB888, QImage::Format_Grayscale8, QImage::Format_Mono,
        QImage::Format_ARGB32, QImage::Format_Grayscale16 };
    QStringList paths;
    QVector<QImage> expected;
    for (int i = 0; i < formats.size(); ++i) {
        paths << files.filePath(QStringLiteral("page%1.png").arg(i));
        QVERIFY(noisePage(i, formats.at(i), QSize(300 + i, 200)).save(paths.last()));
        expected << QImage(paths.last());
    }
    crashChild(QStringList { QStringLiteral("files"), files.path() } + paths, QStringLiteral("ready"));
    if (QTest::currentTestFailed())
        return;
    const QStringList left = QDir(root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(left.size(), 1);
    const QString crashedFolder = QDir(root()).filePath(left.first());

    {
        MainWindow window;
        window.show();
        DocumentManager *document = documentOf(window);
        ModalAnswerer answerer;
        answerer.handle(press(answer));
        RecoveryOffer::run(&window, document, root());
        QCOMPARE(answerer.pending(), 0);
        QCOMPARE(answerer.seen().size(), 1);
        QVERIFY2(
            answerer.seen().first().startsWith(QStringLiteral("恢复未保存的页面|上次运行时有 5 页扫描结果尚未保存（")),
            qPrintable(answerer.seen().first()));

        if (answer == QStringLiteral("恢复")) {
            QCOMPARE(document->pageCount(), expected.size());
            for (int i = 0; i < expected.size(); ++i)
                QVERIFY2(identical(document->page(i), expected.at(i)), qPrintable(QString::number(i)));
            QCOMPARE(document->title(), QStringLiteral("report"));
            QVERIFY(document->isModified());
            QCOMPARE(document->currentPageIndex(), 0);
            QCOMPARE(window.findChild<QListWidget *>(QStringLiteral("pageList"))->count(), expected.size());
            QVERIFY(window.windowTitle().startsWith(QStringLiteral("report *")));
            // Taken over, so never offered twice.
            QCOMPARE(document->pageStore()->folder(), crashedFolder);
            QVERIFY(PageRecovery::find(root()).isEmpty());
        } else if (answer == QStringLiteral("删除")) {
            QCOMPARE(document->pageCount(), 0);
            QVERIFY(!QDir(crashedFolder).exists());
        } else {
            QCOMPARE(document->pageCount(), 0);
            QCOMPARE(PageRecovery::find(root()).size(), 1);
        }
    }
    // The recovering window's end removes the folder it took over.
    QCOMPARE(QDir(crashedFolder).exists(), answer == QStringLiteral("以后再说"));
}

void RecoveryTest::killAtAnyMomentRecoversWholePages_data()
{
    QTest::addColumn<int>("killAfter");
    QTest::newRow("first page") << 1;
    QTest::newRow("fourth page") << 4;
    QTest::newRow("ninth page") << 9;
}

// Killed while pages are still being written, the folder recovers to a prefix of
// the pages in order, each whole; nothing half-written is ever named.
void RecoveryTest::killAtAnyMomentRecoversWholePages()
{
    QFETCH(int, killAfter);
    crashChild({ QStringLiteral("stream") }, QStringLiteral("added %1").arg(killAfter));
    if (QTest::currentTestFailed())
        return;
    const QList<RecoverableFolder> found = PageRecovery::find(root());
    QVERIFY(found.size() <= 1);
    if (found.isEmpty())
        return; // killed before the first page was complete: nothing to offer is right
    DocumentManager document;
    QVERIFY(document.recoverPages(found.first()));
    QVERIFY(document.pageCount() >= 1);
    for (int i = 0; i < document.pageCount(); ++i)
        QVERIFY2(identical(document.page(i), noisePage(i)), qPrintable(QString::number(i)));
    document.pageStore()->waitForWrites();
    // Files no index named are gone with the take-over.
    QStringList onDisk = QDir(found.first().path).entryList(QDir::Files);
    onDisk.removeAll(QStringLiteral("lock"));
    onDisk.removeAll(PageIndex::fileName());
    QCOMPARE(onDisk.size(), document.pageCount());
}

// The state a kill leaves between a page's write and the index update: a complete
// page file the index does not name yet, and a page file cut short.
void RecoveryTest::unindexedPagesAreNeverRecovered()
{
    const QString crashed = root() + QStringLiteral("/crashed");
    {
        DocumentManager document;
        document.addPage(noisePage(1));
        document.addPage(noisePage(2));
        document.pageStore()->waitForWrites();
        QVERIFY(QDir().mkpath(crashed));
        const QDir from(document.pageStore()->folder());
        for (const QString &name : from.entryList(QDir::Files)) {
            if (name != QLatin1String("lock"))
                QVERIFY(QFile::copy(from.filePath(name), QDir(crashed).filePath(name)));
        }
    }
    QString errorText;
    QVERIFY(PageCodec::writeFile(QDir(crashed).filePath(QStringLiteral("page-7.qpage")), noisePage(3), &errorText));
    QFile cut(QDir(crashed).filePath(QStringLiteral("page-8.qpage.part")));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(QByteArray(5000, 'x'));
    cut.close();

    const QList<RecoverableFolder> found = PageRecovery::find(root());
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().index.pages.size(), 2);
    DocumentManager document;
    QVERIFY(document.recoverPages(found.first()));
    QCOMPARE(document.pageCount(), 2);
    QVERIFY(identical(document.page(0), noisePage(1)));
    QVERIFY(identical(document.page(1), noisePage(2)));
    QVERIFY(!QFile::exists(QDir(crashed).filePath(QStringLiteral("page-7.qpage"))));
    QVERIFY(!QFile::exists(cut.fileName()));
}

void RecoveryTest::fullDiskKeepsPagesInMemory()
{
    MainWindow window;
    DocumentManager *document = documentOf(window);
    QSignalSpy failures(document->pageStore(), &PageStore::writeFailed);
    QVector<QImage> pages;
    {
        FileSizeLimit nearlyFull(64 * 1024);
        for (int i = 0; i < 3; ++i) {
            pages << noisePage(i);
            document->addPage(pages.last());
        }
        document->pageStore()->waitForWrites();
    }
    QCOMPARE(failures.count(), 1);
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("页面缓存写入失败，页面仅保存在内存中"));
    QCOMPARE(document->pageCount(), 3);
    for (int i = 0; i < 3; ++i)
        QVERIFY(identical(document->page(i), pages.at(i)));
    // Writing works again: the pages kept in memory reach the disk after all.
    document->addPage(noisePage(3));
    document->pageStore()->waitForWrites();
    PageIndex index;
    QVERIFY(index.read(document->pageStore()->folder()));
    QCOMPARE(index.pages.size(), 4);
}

void RecoveryTest::twoWindowsKeepToTheirFolders()
{
    auto first = std::make_unique<MainWindow>();
    MainWindow second;
    documentOf(*first)->addPage(noisePage(1));
    documentOf(second)->addPage(noisePage(2));
    documentOf(*first)->pageStore()->waitForWrites();
    documentOf(second)->pageStore()->waitForWrites();
    const QString firstFolder = documentOf(*first)->pageStore()->folder();
    const QString secondFolder = documentOf(second)->pageStore()->folder();
    QVERIFY(firstFolder != secondFolder);
    // Living windows hold their locks: nothing of theirs is offered or touched.
    QVERIFY(PageRecovery::find(root()).isEmpty());
    first.reset();
    QVERIFY(!QDir(firstFolder).exists());
    QVERIFY(QDir(secondFolder).exists());
    documentOf(second)->pageStore()->setCacheBudget(0);
    QVERIFY(identical(documentOf(second)->page(0), noisePage(2)));
}

void RecoveryTest::unreadableFolderIsLeftAlone()
{
    const QString broken = root() + QStringLiteral("/broken");
    QVERIFY(QDir().mkpath(broken));
    QFile index(QDir(broken).filePath(PageIndex::fileName()));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write(R"({"version":1,"title":"x","time":"2026-01-01T10:00:00.000","pages":["page-1.qpage"]})");
    index.close();
    QFile page(QDir(broken).filePath(QStringLiteral("page-1.qpage")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("not a page");
    page.close();

    LogCapture log;
    MainWindow window;
    ModalAnswerer answerer;
    RecoveryOffer::run(&window, documentOf(window), root());
    QVERIFY(answerer.seen().isEmpty());
    QCOMPARE(log.linesStartingWith(QStringLiteral("无法读取未保存的页面: ")).size(), 1);
    QVERIFY(QFile::exists(page.fileName()));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 2 && arguments.at(1) == QLatin1String("--child"))
        return runChild(arguments);
    RecoveryTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
