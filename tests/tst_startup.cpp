#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QScreen>
#include <QtTest>

#include "app/environmentreport.h"
#include "app/startup.h"
#include "tests/support/logcapture.h"
#include "tests/support/tempsettings.h"
#include "ui/mainwindow.h"

namespace {

struct StartupRun
{
    QStringList log; // stderr lines
    QString output; // stdout
};

// Starts the real program, waits until it has placed its window and handled its
// arguments, then ends it. Everything the start-up writes happens before the event
// loop runs, so a short grace period after the placement line is enough.
StartupRun runProgram(const QStringList &arguments, const QString &configHome)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.*=false"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QUIRRA_BINARY), arguments);
    StartupRun run;
    if (!process.waitForStarted(10000))
        return run;

    QByteArray err;
    QElapsedTimer timer;
    timer.start();
    while (!err.contains("MainWindow created at position:") && timer.elapsed() < 20000) {
        process.waitForReadyRead(100);
        err += process.readAllStandardError();
        if (process.state() != QProcess::Running)
            break;
    }
    // The argument line follows the placement line immediately.
    process.waitForReadyRead(300);
    err += process.readAllStandardError();
    QByteArray out = process.readAllStandardOutput();
    process.kill();
    process.waitForFinished(5000);
    err += process.readAllStandardError();
    out += process.readAllStandardOutput();

    run.log = QString::fromUtf8(err).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.output = QString::fromUtf8(out);
    return run;
}

int firstIndex(const QStringList &lines, const QString &prefix)
{
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i).startsWith(prefix))
            return i;
    }
    return -1;
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void environmentReportLines();
    void windowPlacement();
    void qtTextsFollowTheInterfaceLanguage();
    void argumentRule_data();
    void argumentRule();
    void programReportsBeforeWindowAndTimesTheShow();
    void programArgumentRule_data();
    void programArgumentRule();

private:
    QTemporaryDir scratch;
    TempSettings settings;
};

// The report is fourteen lines in a fixed order; build-time values are plain,
// the QSysInfo strings quoted.
void StartupTest::environmentReportLines()
{
    LogCapture log;
    reportSystemEnvironment();
    const QStringList lines = log.lines();
    QCOMPARE(lines.size(), 14);
    QCOMPARE(lines.at(0), QStringLiteral("=== 系统环境信息 ==="));
#if defined(__x86_64__)
    QCOMPARE(lines.at(1), QStringLiteral("架构: x86_64"));
#endif
    QCOMPARE(lines.at(2), QStringLiteral("操作系统: Linux"));
#if defined(__GNUC__) && !defined(__clang__)
    QCOMPARE(lines.at(3), QStringLiteral("编译器: GCC"));
    QCOMPARE(lines.at(4),
        QStringLiteral("编译器版本: %1").arg(__GNUC__ * 10000 + __GNUC_MINOR__ * 100 + __GNUC_PATCHLEVEL__));
#endif
    QCOMPARE(lines.at(5), QStringLiteral("字节序: 小端"));
    QCOMPARE(lines.at(6), QStringLiteral("Qt版本: " QT_VERSION_STR));
    QCOMPARE(lines.at(7), QStringLiteral("系统信息: \"%1\"").arg(QSysInfo::prettyProductName()));
    QCOMPARE(lines.at(8), QStringLiteral("内核版本: \"%1\"").arg(QSysInfo::kernelVersion()));
    QCOMPARE(lines.at(9), QStringLiteral("CPU架构: \"%1\"").arg(QSysInfo::currentCpuArchitecture()));
    QCOMPARE(lines.at(10), QStringLiteral("构建CPU架构: \"%1\"").arg(QSysInfo::buildCpuArchitecture()));
    QCOMPARE(lines.at(11), QStringLiteral("缓存行大小: 64 字节"));
    QCOMPARE(lines.at(12), QStringLiteral("SIMD支持: x86 SSE/AVX"));
    QCOMPARE(lines.at(13), QString(29, QLatin1Char('=')));
}

// The entry titles and shows the window; on a first start it fits the
// available screen (maximised on one smaller than 1280 x 800), later it comes
// back where it was left.
void StartupTest::windowPlacement()
{
    LogCapture log;
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QSize left;
    {
        MainWindow window;
        showMainWindow(window, 42);
        QCOMPARE(window.startTime, qint64(42));
        QCOMPARE(window.windowTitle(), QStringLiteral("Quirra"));
        QVERIFY(window.isVisible());
        QVERIFY2(available.contains(window.frameGeometry()) || window.isMaximized(),
            qPrintable(QStringLiteral("%1x%2").arg(window.width()).arg(window.height())));
        QCOMPARE(window.isMaximized(), available.width() < 1280 || available.height() < 800);
        window.showNormal();
        window.resize(window.minimumSizeHint());
        left = window.size();
        QTest::qWait(700);
        window.close();
    }
    MainWindow again;
    showMainWindow(again, 43);
    QCOMPARE(again.size(), left);
    const QStringList placed = log.linesStartingWith(QStringLiteral("MainWindow created at position:"));
    QCOMPARE(placed.size(), 2);
}

// Standard dialog buttons come from Qt's own catalogue; an English "Cancel" in a
// Chinese message box looks unfinished.
void StartupTest::qtTextsFollowTheInterfaceLanguage()
{
    installQtTranslations();
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
}

void StartupTest::argumentRule_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected"); // the logged path, or empty for no line

    const QString file = scratch.filePath(QStringLiteral("page.png"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not really a picture");
    f.close();
    const QString missing = scratch.filePath(QStringLiteral("missing.png"));

    QTest::newRow("no argument") << QStringList { QStringLiteral("quirra") } << QString();
    QTest::newRow("directory") << QStringList { QStringLiteral("quirra"), scratch.path() } << QString();
    QTest::newRow("missing path") << QStringList { QStringLiteral("quirra"), missing } << QString();
    QTest::newRow("regular file") << QStringList { QStringLiteral("quirra"), file } << file;
    QTest::newRow("only the first argument counts")
        << QStringList { QStringLiteral("quirra"), missing, file } << QString();
    QTest::newRow("second argument ignored") << QStringList { QStringLiteral("quirra"), file, scratch.path() } << file;
}

void StartupTest::argumentRule()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    LogCapture log;
    logCommandLineFile(arguments);
    if (expected.isEmpty())
        QCOMPARE(log.lines(), QStringList());
    else
        QCOMPARE(log.lines(), QStringList { QStringLiteral("打开文件:  \"%1\"").arg(expected) });
}

// The real program: report first, then the window's own lines, and the show
// prints its timing line on standard output.
void StartupTest::programReportsBeforeWindowAndTimesTheShow()
{
    const StartupRun run = runProgram({}, scratch.filePath(QStringLiteral("config")));
    const int reportStart = firstIndex(run.log, QStringLiteral("=== 系统环境信息 ==="));
    const int reportEnd = firstIndex(run.log, QString(29, QLatin1Char('=')));
    const int windowInit = firstIndex(run.log, QStringLiteral("主窗口已初始化"));
    const int placed = firstIndex(run.log, QStringLiteral("MainWindow created at position:"));
    QVERIFY2(reportStart == 0, qPrintable(run.log.join(QLatin1Char('\n'))));
    QCOMPARE(reportEnd, 13);
    QVERIFY(windowInit > reportEnd);
    QVERIFY(placed > windowInit);
    const QRegularExpression timing(
        QStringLiteral("^程序启动到主窗口完全显示耗时: \\d+ 毫秒$"), QRegularExpression::MultilineOption);
    QVERIFY2(timing.match(run.output).hasMatch(), qPrintable(run.output));
}

void StartupTest::programArgumentRule_data()
{
    argumentRule_data();
}

void StartupTest::programArgumentRule()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    const StartupRun run = runProgram(arguments.mid(1), scratch.filePath(QStringLiteral("config")));
    QVERIFY(firstIndex(run.log, QStringLiteral("MainWindow created at position:")) >= 0);
    QStringList opened;
    for (const QString &line : run.log) {
        if (line.startsWith(QStringLiteral("打开文件:")))
            opened << line;
    }
    if (expected.isEmpty())
        QCOMPARE(opened, QStringList());
    else
        QCOMPARE(opened, QStringList { QStringLiteral("打开文件:  \"%1\"").arg(expected) });
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
