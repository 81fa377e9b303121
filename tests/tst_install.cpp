#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

#include "app/startup.h"
#include "document/pagestore.h"
#include "settings/appsettings.h"
#include "settings/version.h"
#include "tests/support/sanetestconfig.h"

// Installs the build into a temporary prefix with `cmake --install`, as the Debian
// package is made, and checks that a desktop finds what it needs there.
class InstallTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installsTheListedFiles();
    void iconFitsItsFolder_data();
    void iconFitsItsFolder();
    void desktopFilesPointIntoTheInstall();
    void validatorsAccept_data();
    void validatorsAccept();
    void manualPageNamesTheRealPlaces();
    void installedProgramStarts();

private:
    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }

    QTemporaryDir m_prefix;
};

namespace {

const QString appId = QStringLiteral(QUIRRA_APP_ID);

struct ProcessResult
{
    int exitCode = -1;
    QString output; // standard output and error together
};

ProcessResult runTool(const QString &program, const QStringList &arguments, int timeoutMs = 60000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForStarted(10000)) {
        result.output = QStringLiteral("%1 did not start: %2").arg(program, process.errorString());
        return result;
    }
    process.waitForFinished(timeoutMs);
    result.output = QString::fromUtf8(process.readAll());
    if (process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    return result;
}

// The text of an installed file.
QString contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The first capture of pattern in text, or an empty string.
QString captured(const QString &text, const QString &pattern)
{
    return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(text).captured(1);
}

QString withTilde(const QString &path)
{
    const QString home = QDir::homePath();
    return path.startsWith(home + QLatin1Char('/')) ? QStringLiteral("~") + path.mid(home.size()) : path;
}

} // namespace

void InstallTest::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    const ProcessResult install = runTool(QStringLiteral(QUIRRA_CMAKE_COMMAND),
        { QStringLiteral("--install"), QStringLiteral(QUIRRA_BUILD_DIR), QStringLiteral("--prefix"), m_prefix.path() },
        120000);
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));
}

// The package holds what resources/package/installed-files.txt lists (scripts/package
// compares it with the package's contents); a local install must give the same files.
void InstallTest::installsTheListedFiles()
{
    QFile listFile(QStringLiteral(QUIRRA_SOURCE_DIR "/resources/package/installed-files.txt"));
    QVERIFY(listFile.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList listed = QString::fromUtf8(listFile.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QSet<QString> found;
    QDirIterator it(m_prefix.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(m_prefix.path()).relativeFilePath(it.next());
    const QSet<QString> expected(listed.begin(), listed.end());
    QVERIFY2((expected - found).isEmpty(),
        qPrintable(QStringLiteral("not installed: ") + (expected - found).values().join(' ')));
    QVERIFY2((found - expected).isEmpty(),
        qPrintable(QStringLiteral("not listed: ") + (found - expected).values().join(' ')));
}

void InstallTest::iconFitsItsFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("size");
    for (int size : { 48, 64, 128, 256 })
        QTest::newRow(qPrintable(QString::number(size))) << QStringLiteral("%1x%1").arg(size) << size;
    QTest::newRow("scalable") << QStringLiteral("scalable") << 0;
}

// Icon themes take a PNG's folder as its size; a PNG of another size shows blurred or
// is skipped. The scalable one must be an SVG that renders.
void InstallTest::iconFitsItsFolder()
{
    QFETCH(QString, folder);
    QFETCH(int, size);
    const QString base = installed(QStringLiteral("share/icons/hicolor/%1/apps/%2").arg(folder, appId));
    if (size > 0) {
        const QImage icon(base + QStringLiteral(".png"));
        QVERIFY2(!icon.isNull(), qPrintable(base));
        QCOMPARE(icon.size(), QSize(size, size));
        QVERIFY(icon.hasAlphaChannel());
    } else {
        QSvgRenderer renderer(base + QStringLiteral(".svg"));
        QVERIFY2(renderer.isValid(), qPrintable(base));
    }
}

// The menu entry, found under the id the program gives its windows, starts the
// installed program and shows the installed icon; the software centre's metadata
// names this version, that entry, that program and a screenshot the repository holds.
void InstallTest::desktopFilesPointIntoTheInstall()
{
    const QString entry = contents(installed(QStringLiteral("share/applications/%1.desktop").arg(appId)));
    const QString program = captured(entry, QStringLiteral("^Exec=(\\S+)"));
    QVERIFY2(QFileInfo(installed(QStringLiteral("bin/") + program)).isExecutable(), qPrintable(entry));
    QCOMPARE(captured(entry, QStringLiteral("^Icon=(.*)$")), appId);

    const QString metainfo = contents(installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(appId)));
    QCOMPARE(captured(metainfo, QStringLiteral("<id>([^<]*)</id>")), appId);
    QCOMPARE(captured(metainfo, QStringLiteral("<launchable type=\"desktop-id\">([^<]*)<")), appId + ".desktop");
    QCOMPARE(captured(metainfo, QStringLiteral("<binary>([^<]*)<")), program);
    QVERIFY(metainfo.contains(QStringLiteral("<release version=\"" QUIRRA_VERSION "\"")));
    // The screenshot's address points into the repository's main branch.
    const QString inTree = captured(metainfo, QStringLiteral("<image>https://[^<]*/main/([^<]*)</image>"));
    QVERIFY2(QImage(QStringLiteral(QUIRRA_SOURCE_DIR "/") + inTree).width() >= 620, qPrintable(inTree));
}

void InstallTest::validatorsAccept_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("complaints");
    QTest::newRow("desktop entry") << QStringLiteral("desktop-file-validate") << QStringList()
                                   << QStringLiteral("share/applications/%1.desktop").arg(appId)
                                   << QStringList { QStringLiteral("error:"), QStringLiteral("warning:") };
    QTest::newRow("AppStream metadata") << QStringLiteral("appstreamcli")
                                        << QStringList { QStringLiteral("validate"), QStringLiteral("--no-net") }
                                        << QStringLiteral("share/metainfo/%1.metainfo.xml").arg(appId)
                                        << QStringList { QStringLiteral("E:"), QStringLiteral("W:") };
}

// The validators software centres and distributions run: no errors, no warnings.
void InstallTest::validatorsAccept()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(QStringList, complaints);
    QVERIFY2(!QStandardPaths::findExecutable(program).isEmpty(),
        qPrintable(program + QStringLiteral(" is missing: scripts/install-deps test installs it")));

    const ProcessResult result = runTool(program, arguments << installed(file));
    QVERIFY2(result.exitCode == 0, qPrintable(result.output));
    for (const QString &line : result.output.split(QLatin1Char('\n'))) {
        for (const QString &complaint : complaints)
            QVERIFY2(!line.contains(complaint), qPrintable(line));
    }
}

// FILES of the manual page names where the program really keeps its settings and its
// pages, for a user whose XDG folders are the defaults.
void InstallTest::manualPageNamesTheRealPlaces()
{
    const ProcessResult page = runTool(
        QStringLiteral("gzip"), { QStringLiteral("-dc"), installed(QStringLiteral("share/man/man1/quirra.1.gz")) });
    QCOMPARE(page.exitCode, 0);

    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const QString organisation = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    setApplicationIdentity();
    const QString settingsFile = withTilde(AppSettings::openStore().fileName());
    const QString pagesFolder = withTilde(PageStore::rootFolder());
    QCoreApplication::setOrganizationName(organisation);
    QCoreApplication::setApplicationName(application);
    qputenv("XDG_CONFIG_HOME", configHome);
    qputenv("XDG_DATA_HOME", dataHome);

    for (const QString &place : { settingsFile, pagesFolder }) {
        QVERIFY2(place.startsWith(QLatin1Char('~')), qPrintable(place));
        QVERIFY2(page.output.contains(QStringLiteral("\n.I ") + place), qPrintable(place));
    }
}

// The installed program, with no build tree beside it, starts and prints its
// start-up line.
void InstallTest::installedProgramStarts()
{
    SaneTestConfig sane;
    QVERIFY(sane.isValid());
    QTemporaryDir home;
    QVERIFY(home.isValid());

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.*=false"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(home.path());
    process.start(installed(QStringLiteral("bin/quirra")), {});
    QVERIFY2(process.waitForStarted(10000), qPrintable(process.errorString()));

    QByteArray output;
    QElapsedTimer timer;
    timer.start();
    while (!output.contains("\n") && process.state() == QProcess::Running && timer.elapsed() < 30000) {
        process.waitForReadyRead(100);
        output += process.readAllStandardOutput();
    }
    process.kill();
    process.waitForFinished(5000);
    output += process.readAllStandardOutput();
    const QRegularExpression startupLine(
        QStringLiteral("^程序启动到主窗口完全显示耗时: \\d+ 毫秒$"), QRegularExpression::MultilineOption);
    QVERIFY2(startupLine.match(QString::fromUtf8(output)).hasMatch(),
        qPrintable(QString::fromUtf8(output) + QString::fromUtf8(process.readAllStandardError())));
}

QTEST_MAIN(InstallTest)
#include "tst_install.moc"
