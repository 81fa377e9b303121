#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

#include "document/pdfdocument.h"
#include "settings/scanprofilestore.h"
#include "tests/support/barcodepages.h"
#include "tests/support/sanetestconfig.h"
#include "tests/support/testpages.h"

// The program run from a script: a child process without a display, its exit
// codes and the files it leaves.
class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exitCodesAndFiles_data();
    void exitCodesAndFiles();
    void feederRunSplitEveryThreePages();
    void conversionSplitAtQrAndCode128Sheets();
    void scanWithAStoredProfile();
    void helpAndErrorsInTheInterfaceLanguage_data();
    void helpAndErrorsInTheInterfaceLanguage();

private:
    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    // environment: "NAME=value" entries set for this run only.
    Run run(const QStringList &arguments, const QStringList &environment = {});
    // Page counts of the PDFs in folder, in name order.
    static QList<int> pdfPageCounts(const QString &folder);

    QTemporaryDir work;
    std::unique_ptr<SaneTestConfig> sane;
    QString page;
};

CommandLineTest::Run CommandLineTest::run(const QStringList &arguments, const QStringList &environment)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
    for (const QString &setting : environment)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QUIRRA_BINARY), arguments);
    Run result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

QList<int> CommandLineTest::pdfPageCounts(const QString &folder)
{
    QList<int> counts;
    for (const QFileInfo &file : QDir(folder).entryInfoList({ QStringLiteral("*.pdf") }, QDir::Files, QDir::Name)) {
        PdfDocument pdf;
        counts.append(pdf.open(file.filePath()) == PdfDocument::Status::Opened ? pdf.pageCount() : -1);
    }
    return counts;
}

void CommandLineTest::initTestCase()
{
    QVERIFY(work.isValid());
    sane = std::make_unique<SaneTestConfig>();
    QVERIFY(sane->isValid());
    page = work.filePath(QStringLiteral("page.png"));
    QVERIFY(TestPages::page(TestPages::Layout::Invoice, 100).save(page));
}

void CommandLineTest::exitCodesAndFiles_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // a file that must exist after the run, or must not when the run fails
    QTest::addColumn<QString>("says"); // on standard output when the run succeeds, on standard error when it fails
    const QString missing = QStringLiteral("/nonexistent/page.png");
    QTest::newRow("help") << QStringList { QStringLiteral("--help") } << 0 << QString() << QStringLiteral("用法");
    QTest::newRow("version") << QStringList { QStringLiteral("--version") } << 0 << QString()
                             << QStringLiteral("Quirra 1.");
    QTest::newRow("unknown option") << QStringList { QStringLiteral("--fly") } << 1 << QString()
                                    << QStringLiteral("用法");
    QTest::newRow("missing value") << QStringList { QStringLiteral("--scan"), QStringLiteral("--output") } << 1
                                   << QString() << QStringLiteral("--output");
    QTest::newRow("no input") << QStringList { QStringLiteral("--convert"), QStringLiteral("--output"),
        QStringLiteral("a.pdf") }
                              << 1 << QStringLiteral("a.pdf") << QStringLiteral("输入文件");
    QTest::newRow("bad split") << QStringList { QStringLiteral("--convert"), QStringLiteral("PAGE"),
        QStringLiteral("--split"), QStringLiteral("every:0"), QStringLiteral("--output"), QStringLiteral("b.pdf") }
                               << 1 << QStringLiteral("b.pdf") << QStringLiteral("every:0");
    QTest::newRow("compact under a limit") << QStringList { QStringLiteral("--convert"), QStringLiteral("PAGE"),
        QStringLiteral("--compact"), QStringLiteral("--max-size"), QStringLiteral("2MB"), QStringLiteral("--output"),
        QStringLiteral("c.pdf") } << 0 << QStringLiteral("c.pdf")
                                           << QString();
    QTest::newRow("limit out of reach") << QStringList { QStringLiteral("--convert"), QStringLiteral("PAGE"),
        QStringLiteral("--max-size"), QStringLiteral("1KB"), QStringLiteral("--output"), QStringLiteral("c2.pdf") }
                                        << 2 << QStringLiteral("c2.pdf") << QStringLiteral("大小上限");
    QTest::newRow("missing input") << QStringList { QStringLiteral("--convert"), QStringLiteral("PAGE"), missing,
        QStringLiteral("--output"), QStringLiteral("d.pdf") }
                                   << 2 << QStringLiteral("d.pdf") << missing;
    QTest::newRow("unwritable output") << QStringList { QStringLiteral("--convert"), QStringLiteral("PAGE"),
        QStringLiteral("--output"), QStringLiteral("/proc/e.pdf") }
                                       << 2 << QStringLiteral("/proc/e.pdf") << QStringLiteral("/proc/e.pdf");
    QTest::newRow("converted") << QStringList { QStringLiteral("--convert"), QStringLiteral("PAGE"),
        QStringLiteral("PAGE"), QStringLiteral("--output"), QStringLiteral("f.pdf") }
                               << 0 << QStringLiteral("f.pdf") << QString();
    QTest::newRow("unknown profile") << QStringList { QStringLiteral("--scan"), QStringLiteral("--profile"),
        QStringLiteral("无此方案"), QStringLiteral("--output"), QStringLiteral("g.pdf") }
                                     << 1 << QStringLiteral("g.pdf") << QStringLiteral("无此方案");
    QTest::newRow("unknown scanner") << QStringList { QStringLiteral("--scan"), QStringLiteral("--device"),
        QStringLiteral("test:9"), QStringLiteral("--output"), QStringLiteral("h.pdf") }
                                     << 3 << QStringLiteral("h.pdf") << QStringLiteral("test:9");
    QTest::newRow("flatbed page") << QStringList { QStringLiteral("--scan"), QStringLiteral("--resolution"),
        QStringLiteral("75"), QStringLiteral("--mode"), QStringLiteral("gray"), QStringLiteral("--output"),
        QStringLiteral("i.pdf") } << 0
                                  << QStringLiteral("i.pdf") << QString();
}

void CommandLineTest::exitCodesAndFiles()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, says);
    for (QString &argument : arguments) {
        if (argument == QLatin1String("PAGE"))
            argument = page;
        else if (argument.endsWith(QLatin1String(".pdf")) && !argument.startsWith(QLatin1Char('/')))
            argument = work.filePath(argument);
    }
    const Run result = run(arguments);
    QVERIFY2(result.exitCode == exitCode, qPrintable(QStringLiteral("%1\n%2").arg(result.exitCode).arg(result.err)));
    if (!output.isEmpty()) {
        const QString path = output.startsWith(QLatin1Char('/')) ? output : work.filePath(output);
        QCOMPARE(QFileInfo::exists(path), exitCode == 0);
        if (exitCode == 0)
            QCOMPARE(pdfPageCounts(work.path()).isEmpty(), false);
    }
    QVERIFY2((exitCode == 0 ? result.out : result.err).contains(says), qPrintable(result.out + result.err));
}

// The test backend's feeder delivers ten sheets: four files of 3, 3, 3 and 1 pages.
void CommandLineTest::feederRunSplitEveryThreePages()
{
    const QString folder = work.filePath(QStringLiteral("feeder"));
    const Run result = run({ QStringLiteral("--scan"), QStringLiteral("--source"), QStringLiteral("adf"),
        QStringLiteral("--resolution"), QStringLiteral("75"), QStringLiteral("--split"), QStringLiteral("every:3"),
        QStringLiteral("--output"), folder });
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QCOMPARE(pdfPageCounts(folder), (QList<int> { 3, 3, 3, 1 }));
}

// Scanned-looking pages with a QR and a Code 128 separator sheet between them
// become three files; the separators are left out.
void CommandLineTest::conversionSplitAtQrAndCode128Sheets()
{
    QStringList inputs;
    const QString stack = QStringLiteral("ttQtCtt");
    for (int i = 0; i < stack.size(); ++i) {
        QImage sheet;
        if (stack.at(i) == QLatin1Char('Q'))
            sheet = BarcodePages::separatorSheet(BarcodePages::Symbology::QrCode, QStringLiteral("NEXT-1"), 200, i);
        else if (stack.at(i) == QLatin1Char('C'))
            sheet = BarcodePages::separatorSheet(BarcodePages::Symbology::Code128, QStringLiteral("NEXT-2"), 200, i);
        else
            sheet = BarcodePages::scanned(TestPages::page(TestPages::Layout::Mixed, 200, i), 0.6, i);
        inputs.append(work.filePath(QStringLiteral("stack-%1.jpg").arg(i)));
        QVERIFY(sheet.save(inputs.last(), "JPEG", 90));
    }
    const QString folder = work.filePath(QStringLiteral("split"));
    const Run result = run(QStringList { QStringLiteral("--convert") } + inputs
        + QStringList { QStringLiteral("--split"), QStringLiteral("barcode"), QStringLiteral("--output"), folder });
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QCOMPARE(pdfPageCounts(folder), (QList<int> { 2, 1, 2 }));
}

// A profile stored in the settings names the file pattern and the colour mode
// of a scan; the options on the line win over it.
void CommandLineTest::scanWithAStoredProfile()
{
    {
        QSettings store(work.filePath(QStringLiteral("config/Tovenko/Quirra.conf")), QSettings::IniFormat);
        ScanProfile profile;
        profile.source = ScanSource::Feeder;
        profile.resolution = 75;
        profile.splitRule = SplitRule::EveryNPages;
        profile.splitEvery = 5;
        profile.fileNamePattern = QStringLiteral("{方案}_{序号}_{页数}页");
        QVERIFY(ScanProfileStore(store).save(QStringLiteral("发票"), profile));
    }
    const QString folder = work.filePath(QStringLiteral("profile"));
    const Run result = run({ QStringLiteral("--scan"), QStringLiteral("--profile"), QStringLiteral("发票"),
        QStringLiteral("--mode"), QStringLiteral("bw"), QStringLiteral("--output"), folder });
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
        (QStringList { QStringLiteral("发票_001_5页.pdf"), QStringLiteral("发票_002_5页.pdf") }));
}

// The help and the errors speak the interface's language: the stored choice, the
// locale when it says to follow the system, or --language for the one run.
void CommandLineTest::helpAndErrorsInTheInterfaceLanguage_data()
{
    QTest::addColumn<QString>("stored"); // the 界面语言 setting, empty when never chosen
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("says"); // on standard output when the run succeeds, on standard error when it fails
    const QString en = QStringLiteral("en_US.UTF-8");
    const QString zh = QStringLiteral("zh_CN.UTF-8");
    const QStringList english { QStringLiteral("Usage:"), QStringLiteral("use the English or Chinese interface") };
    QTest::newRow("Chinese by default under an English locale")
        << QString() << en << QStringList { "--help" } << 0 << QStringList { "用法:", "显示本帮助" };
    QTest::newRow("--language en") << QString() << zh << QStringList { "--language", "en", "--help" } << 0 << english;
    QTest::newRow("English chosen in the settings") << "en" << zh << QStringList { "-h" } << 0 << english;
    QTest::newRow("following an English system") << "system" << en << QStringList { "--help" } << 0 << english;
    QTest::newRow("following a Chinese system")
        << "system" << zh << QStringList { "--help" } << 0 << QStringList { "用法:" };
    QTest::newRow("--language=zh over the setting")
        << "en" << en << QStringList { "--language=zh", "--help" } << 0 << QStringList { "用法:" };
    QTest::newRow("English error and help")
        << QString() << zh << QStringList { "--language", "en", "--convert", "--output", "x.pdf" } << 1
        << QStringList { "--convert needs at least one input file", "Usage:" };
    QTest::newRow("Qt's own parser error in English")
        << "en" << zh << QStringList { "--fly" } << 1 << QStringList { "Unknown option 'fly'", "Usage:" };
    QTest::newRow("unknown language") << QString() << en << QStringList { "--language", "fr", "--help" } << 1
                                      << QStringList { "无法识别的界面语言: fr" };
    QTest::newRow("listing devices beside --language")
        << QString() << zh << QStringList { "--list-devices", "--language", "en" } << 0 << QStringList { "test:0" };
}

void CommandLineTest::helpAndErrorsInTheInterfaceLanguage()
{
    QFETCH(QString, stored);
    QFETCH(QString, locale);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, says);
    const QString config = work.filePath(QStringLiteral("language-%1").arg(QTest::currentDataTag()));
    if (!stored.isEmpty()) {
        QSettings store(config + QStringLiteral("/Tovenko/Quirra.conf"), QSettings::IniFormat);
        store.setValue(QStringLiteral("interfaceLanguage"), stored);
    }
    const Run result = run(arguments,
        { QStringLiteral("XDG_CONFIG_HOME=") + config, QStringLiteral("LC_ALL=") + locale,
            QStringLiteral("LANG=") + locale, QStringLiteral("LANGUAGE=") });
    QVERIFY2(result.exitCode == exitCode, qPrintable(QStringLiteral("%1\n%2").arg(result.exitCode).arg(result.err)));
    const QString said = exitCode == 0 ? result.out : result.err;
    for (const QString &text : says)
        QVERIFY2(said.contains(text), qPrintable(said));
}

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
