#include <QApplication>
#include <QAbstractButton>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QStatusBar>
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
#include "tests/support/windowparts.h"
#include "ui/mainwindow.h"
#include "settings/appsettings.h"

namespace {

DocumentManager *documentOf(QObject &window)
{
    return part<DocumentManager>(window, "documentManager");
}

// Noise in every byte: incompressible, and no two pages alike.
QImage noisePage(int seed, QImage::Format format = QImage::Format_RGB888, QSize size = QSize(600, 800))
{
    QImage image(size, format);
    quint32 state = quint32(seed) * 2654435761u + 7;
    std::generate_n(
        image.bits(), image.sizeInBytes(), [&state] { return uchar((state = state * 1664525u + 1013904223u) >> 24); });
    return image;
}

bool identical(const QImage &a, const QImage &b)
{
    return a.format() == b.format() && a.size() == b.size() && a.colorTable() == b.colorTable() && a == b;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The child's side of a crash: adds each file through the window's add-image command,
// saves as report.tif after the second, says "ready" with every page on disk, waits.
int runChild(const QStringList &arguments)
{
    TempSettings settings;
    // Added pages would otherwise also be saved automatically, each with a box.
    AppSettings::autoSave.write(settings.store(), false);
    MainWindow window;
    window.show();
    DocumentManager *document = documentOf(window);
    const QStringList files = arguments.mid(3);
    for (int i = 0; i < files.size(); ++i) {
        ModalAnswerer answerer;
        answerer.handle([path = files.at(i)](QWidget *modal) { ModalAnswerer::acceptFileDialog(modal, path); });
        QMetaObject::invokeMethod(&window, "onAddImageFromFile");
        if (document->pageCount() != i + 1
            || (i == 1 && !document->saveDocument(arguments.at(2) + QStringLiteral("/report.tif"))))
            return 2;
    }
    document->pageStore()->waitForWrites();
    QTextStream(stdout) << "ready" << Qt::endl;
    return QApplication::exec();
}

} // namespace

class RecoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dataHome.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    }
    void cleanup() { QVERIFY(QDir(root()).removeRecursively()); }

    void crashedPagesAreOffered_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("recovered");
        QTest::addColumn<bool>("offeredAgain");
        QTest::newRow("recover") << QStringLiteral("恢复") << true << false;
        QTest::newRow("delete") << QStringLiteral("删除") << false << false;
        QTest::newRow("later") << QStringLiteral("以后再说") << false << true;
    }

    // A killed window's pages are offered to the next window and come back (bit for bit, in
    // order, titled, modified, the folder taken over), go, or wait; what a kill between a page's
    // write and the index update leaves (an unnamed whole page, a page cut short) never comes back.
    void crashedPagesAreOffered()
    {
        QFETCH(QString, answer);
        QFETCH(bool, recovered);
        QFETCH(bool, offeredAgain);
        QTemporaryDir files;
        QStringList paths;
        for (QImage::Format format : { QImage::Format_RGB888, QImage::Format_Grayscale8, QImage::Format_Mono,
                 QImage::Format_ARGB32, QImage::Format_Grayscale16 }) {
            paths << files.filePath(QStringLiteral("page%1.png").arg(paths.size()));
            QVERIFY(noisePage(paths.size(), format, QSize(300 + paths.size(), 200)).save(paths.last()));
        }
        // A JPEG page keeps the file it came in beside its pixels.
        paths << files.filePath(QStringLiteral("page5.jpg"));
        QVERIFY(noisePage(5, QImage::Format_Grayscale8, QSize(305, 200)).save(paths.last()));
        QProcess child; // this program again, killed once it says "ready"
        child.start(
            QCoreApplication::applicationFilePath(), QStringList { QStringLiteral("--child"), files.path() } + paths);
        QByteArray out;
        while (!out.contains("ready\n") && child.waitForReadyRead(60000))
            out += child.readAllStandardOutput();
        QVERIFY2(out.contains("ready\n"), out.constData());
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        const QStringList left = QDir(root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(left.size(), 1);
        const QDir crashed(QDir(root()).filePath(left.first()));
        QVERIFY(QFile::copy(crashed.filePath(crashed.entryList({ QStringLiteral("page-*") }).first()),
            crashed.filePath(QStringLiteral("page-99.qpage"))));
        QVERIFY(writeBytes(crashed.filePath(QStringLiteral("page-98.qpage.part")), QByteArray(5000, 'x')));
        {
            MainWindow window;
            window.show();
            DocumentManager *document = documentOf(window);
            ModalAnswerer answerer;
            answerer.handle([answer](QWidget *box) {
                for (QAbstractButton *button : box->findChildren<QAbstractButton *>()) {
                    if (button->text() == answer)
                        button->click();
                }
            });
            RecoveryOffer::run(&window, document, root());
            QCOMPARE(answerer.seen().size(), 1);
            QVERIFY2(answerer.seen().first().startsWith(
                         QStringLiteral("恢复未保存的页面|上次运行时有 6 页扫描结果尚未保存（")),
                qPrintable(answerer.seen().first()));
            QCOMPARE(document->pageCount(), recovered ? paths.size() : 0);
            QCOMPARE(PageRecovery::find(root()).size(), offeredAgain ? 1 : 0);
            QCOMPARE(crashed.exists(), recovered || offeredAgain);
            if (recovered) {
                for (int i = 0; i < paths.size(); ++i)
                    QVERIFY2(identical(document->page(i), QImage(paths.at(i))), qPrintable(QString::number(i)));
                QCOMPARE(document->pageStore()->source(5).original().kind, StoredEncoding::Kind::Jpeg);
                QCOMPARE(document->title(), QStringLiteral("report"));
                QVERIFY(document->isModified());
                QCOMPARE(document->currentPageIndex(), 0);
                QCOMPARE(part<QListWidget>(window, "pageList")->count(), paths.size());
                QVERIFY(window.windowTitle().startsWith(QStringLiteral("report *")));
                QCOMPARE(document->pageStore()->folder(), crashed.path());
                QVERIFY(!QFile::exists(crashed.filePath(QStringLiteral("page-99.qpage"))));
                QVERIFY(!QFile::exists(crashed.filePath(QStringLiteral("page-98.qpage.part"))));
            }
        }
        // The recovering window's end removes the folder it took over.
        QCOMPARE(crashed.exists(), offeredAgain);
    }

    // A full disk keeps the pages in memory and says so once; they reach the disk once
    // writing works again.
    void fullDiskKeepsPagesInMemory()
    {
        MainWindow window;
        DocumentManager *document = documentOf(window);
        QSignalSpy failures(document->pageStore(), &PageStore::writeFailed);
        {
            FileSizeLimit nearlyFull(64 * 1024);
            for (int i = 0; i < 3; ++i)
                document->addPage(noisePage(i));
            document->pageStore()->waitForWrites();
        }
        QCOMPARE(failures.count(), 1);
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("页面缓存写入失败，页面仅保存在内存中"));
        QCOMPARE(document->pageCount(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY(identical(document->page(i), noisePage(i)));
        document->addPage(noisePage(3));
        document->pageStore()->waitForWrites();
        PageIndex index;
        QVERIFY(index.read(document->pageStore()->folder()));
        QCOMPARE(index.pages.size(), 4);
    }

    // The offer leaves alone all but a dead window's readable folder: living windows' folders
    // (one window's end leaves the other's pages) and an unreadable folder (the log says why).
    void othersFoldersAreLeftAlone()
    {
        const QDir broken(root() + QStringLiteral("/broken"));
        QVERIFY(QDir().mkpath(broken.path()));
        QVERIFY(writeBytes(broken.filePath(PageIndex::fileName()),
            R"({"version":1,"title":"x","time":"2026-01-01T10:00:00.000","pages":["page-1.qpage"]})"));
        QVERIFY(writeBytes(broken.filePath(QStringLiteral("page-1.qpage")), "not a page"));
        auto first = std::make_unique<MainWindow>();
        MainWindow second;
        PageStore *secondStore = documentOf(second)->pageStore();
        documentOf(*first)->addPage(noisePage(1));
        documentOf(second)->addPage(noisePage(2));
        documentOf(*first)->pageStore()->waitForWrites();
        secondStore->waitForWrites();
        const QString firstFolder = documentOf(*first)->pageStore()->folder();
        LogCapture log;
        ModalAnswerer answerer;
        RecoveryOffer::run(&second, documentOf(second), root());
        QVERIFY(answerer.seen().isEmpty());
        QCOMPARE(log.linesStartingWith(QStringLiteral("无法读取未保存的页面: ")).size(), 1);
        QVERIFY(QFile::exists(broken.filePath(QStringLiteral("page-1.qpage"))));
        first.reset();
        QVERIFY(!QDir(firstFolder).exists());
        secondStore->setCacheBudget(0);
        QVERIFY(identical(documentOf(second)->page(0), noisePage(2)));
    }

    void damagedPagesCostOnlyThemselves_data()
    {
        QTest::addColumn<QVector<int>>("damaged");
        QTest::addColumn<QString>("named");
        QTest::newRow("second of four cut short") << QVector<int> { 1 } << QStringLiteral("第 2 页已损坏，无法恢复");
        QTest::newRow("first and third") << QVector<int> { 0, 2 } << QStringLiteral("第 1、3 页已损坏，无法恢复");
    }

    // A folder whose page files are partly damaged (cut short, as a failing disk leaves
    // them) offers the pages that can be had, names the others, and recovers the rest in
    // order; the index taken over no longer names the damaged ones.
    void damagedPagesCostOnlyThemselves()
    {
        QFETCH(QVector<int>, damaged);
        QFETCH(QString, named);
        const QDir crashed(root() + QStringLiteral("/20260101-100000-1-1"));
        QVERIFY(QDir().mkpath(crashed.path()));
        PageIndex index;
        index.title = QStringLiteral("report");
        index.time = QDateTime::currentDateTime();
        QVector<QImage> intact;
        for (int i = 0; i < 4; ++i) {
            const QString name = QStringLiteral("page-%1.qpage").arg(i + 1);
            QString errorText;
            QVERIFY(PageCodec::writeFile(crashed.filePath(name), noisePage(i), &errorText));
            index.pages << name;
            if (damaged.contains(i))
                QVERIFY(QFile::resize(crashed.filePath(name), QFileInfo(crashed.filePath(name)).size() / 2));
            else
                intact << noisePage(i);
        }
        QString errorText;
        QVERIFY(PageIndex::write(crashed.path(), index.toJson(), &errorText));

        MainWindow window;
        DocumentManager *document = documentOf(window);
        ModalAnswerer answerer;
        QString informative;
        answerer.handle([&informative](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            informative = box->informativeText();
            for (QAbstractButton *button : box->findChildren<QAbstractButton *>()) {
                if (button->text() == QStringLiteral("恢复"))
                    button->click();
            }
        });
        RecoveryOffer::run(&window, document, root());
        QCOMPARE(answerer.seen().size(), 1);
        QVERIFY2(answerer.seen().first().startsWith(
                     QStringLiteral("恢复未保存的页面|上次运行时有 %1 页扫描结果尚未保存（").arg(intact.size())),
            qPrintable(answerer.seen().first()));
        QVERIFY2(informative.startsWith(named + QLatin1Char('\n')), qPrintable(informative));
        QCOMPARE(document->pageCount(), intact.size());
        document->pageStore()->setCacheBudget(0);
        for (int i = 0; i < intact.size(); ++i)
            QVERIFY2(identical(document->page(i), intact.at(i)), qPrintable(QString::number(i)));
        document->pageStore()->waitForWrites();
        PageIndex after;
        QVERIFY(after.read(crashed.path()));
        QCOMPARE(after.pages.size(), intact.size());
        for (int position : damaged)
            QVERIFY(!crashed.exists(index.pages.at(position)));
    }

private:
    QString root() const { return PageStore::rootFolder(); }

    QTemporaryDir dataHome;
    TempSettings settings;
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0)
        return runChild(QCoreApplication::arguments());
    RecoveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
