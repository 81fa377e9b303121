#include "app/batchrunner.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QTimer>

#include "batch/documentsetwriter.h"
#include "batch/inputpages.h"
#include "document/documentmanager.h"
#include "document/pdftextlayer.h"
#include "escl/esclregistry.h"
#include "imaging/imageprocessor.h"
#include "ocr/textrecognizer.h"
#include "scanner/optionvocabulary.h"
#include "scanner/scannercontroller.h"
#include "settings/appsettings.h"
#include "settings/scanprofilestore.h"
#include "settings/version.h"
#include "ui/savesummary.h"

namespace {

QString sourceText(ScanSource source)
{
    switch (source) {
    case ScanSource::Flatbed:
        return QStringLiteral("平板");
    case ScanSource::Feeder:
        return QStringLiteral("自动进纸器");
    case ScanSource::Duplex:
        return QStringLiteral("双面自动进纸器");
    }
    return QString();
}

QString colorModeText(ScanColorMode mode)
{
    switch (mode) {
    case ScanColorMode::Color:
        return QStringLiteral("彩色");
    case ScanColorMode::Gray:
        return QStringLiteral("灰度");
    case ScanColorMode::BlackWhite:
        return QStringLiteral("黑白");
    }
    return QString();
}

} // namespace

BatchRunner::BatchRunner(QSettings &store, QTextStream &out, QTextStream &err)
    : store(store)
    , out(out)
    , err(err)
{
}

int BatchRunner::fail(int code, const QString &message)
{
    err << message << Qt::endl;
    return code;
}

int BatchRunner::run(const CommandLine::Request &request)
{
    switch (request.mode) {
    case CommandLine::Mode::Help:
        out << CommandLine::helpText();
        out.flush();
        return CommandLine::Done;
    case CommandLine::Mode::Version:
        out << QStringLiteral("Quirra %1").arg(QStringLiteral(QUIRRA_VERSION)) << Qt::endl;
        return CommandLine::Done;
    case CommandLine::Mode::Refused:
        err << request.error << Qt::endl << Qt::endl << CommandLine::helpText();
        err.flush();
        return CommandLine::WrongUsage;
    case CommandLine::Mode::ListDevices:
        return listDevices();
    case CommandLine::Mode::Scan:
        return scan(request);
    case CommandLine::Mode::Convert:
        return convert(request);
    case CommandLine::Mode::Window:
        break;
    }
    return CommandLine::WrongUsage;
}

int BatchRunner::listDevices()
{
    ScannerController controller;
    controller.initializeSync();
    if (!controller.isSaneInitialized())
        return fail(CommandLine::ScannerFailed, tr("扫描仪初始化失败"));
    const bool network = AppSettings::searchMode.read(store) == SearchMode::UsbAndNetwork;
    for (const QString &name : controller.getAvailableScanners(network)) {
        controller.selectScanner(name);
        out << name << '\t' << controller.deviceNameFor(name) << '\t'
            << controller.supportedSources().join(QLatin1Char(',')) << Qt::endl;
    }
    const EsclRegistry registry(store);
    const QMap<QString, QString> info = registry.deviceInfo();
    for (const QString &url : registry.devices())
        out << EsclRegistry::displayName(url, info.value(url)) << '\t' << url << '\t' << QStringLiteral("eSCL")
            << Qt::endl;
    return CommandLine::Done;
}

int BatchRunner::scan(const CommandLine::Request &request)
{
    ScanProfile profile;
    if (!request.profile.isEmpty()) {
        const std::optional<ScanProfile> stored = ScanProfileStore(store).profile(request.profile);
        if (!stored)
            return fail(CommandLine::WrongUsage, tr("没有名为“%1”的扫描方案").arg(request.profile));
        profile = *stored;
    }
    if (!request.device.isEmpty())
        profile.device = request.device;
    profile.source = request.source.value_or(profile.source);
    profile.resolution = request.resolution.value_or(profile.resolution);
    profile.colorMode = request.colorMode.value_or(profile.colorMode);
    if (!request.pageSize.isEmpty())
        profile.pageSize = request.pageSize;
    if (request.split) {
        profile.splitRule = *request.split;
        if (request.splitEvery > 0)
            profile.splitEvery = request.splitEvery;
    }
    if (profile.device.startsWith(QLatin1String("eSCL-")))
        return fail(CommandLine::ScannerFailed, tr("命令行只能使用 SANE 扫描仪: %1").arg(profile.device));

    ScannerController controller;
    controller.initializeSync();
    if (!controller.isSaneInitialized())
        return fail(CommandLine::ScannerFailed, tr("扫描仪初始化失败"));
    const QStringList devices
        = controller.getAvailableScanners(AppSettings::searchMode.read(store) == SearchMode::UsbAndNetwork);
    QString device = profile.device;
    if (device.isEmpty() && !devices.isEmpty())
        device = devices.first();
    if (device.isEmpty())
        return fail(CommandLine::ScannerFailed, tr("没有找到扫描仪"));
    if (!devices.contains(device) && !devices.contains(controller.deviceNameFor(device))) {
        bool known = false;
        for (const QString &name : devices)
            known = known || controller.deviceNameFor(name) == device;
        if (!known)
            return fail(CommandLine::ScannerFailed, tr("找不到扫描仪: %1").arg(device));
    }
    if (!controller.selectScanner(device))
        return fail(CommandLine::ScannerFailed, tr("无法打开扫描仪: %1").arg(device));
    controller.setPageSize(profile.pageSize);

    DocumentManager document;
    DocumentSeparator separator(DocumentSeparator::Rule::of(profile));
    ImageProcessor processor;
    const QString source = sourceText(profile.source);
    const bool feeder = OptionVocabulary::isFeederTarget(source);
    QString scanError;
    int scanned = 0;
    QEventLoop loop;
    QObject::connect(&controller, &ScannerController::scanComplete, &loop, [&](const QImage &image) {
        ++scanned;
        err << tr("已扫描第 %1 页").arg(scanned) << Qt::endl;
        const bool blank = profile.removeBlankPages
            && processor.isBlankPage(image, profile.blankPageThreshold, profile.blankPageRatio / 100.0);
        if (!blank && !separator.add(static_cast<quint64>(document.pageCount()), image).dropped)
            document.addPage(image);
        if (!feeder)
            loop.quit();
    });
    QObject::connect(&controller, &ScannerController::multiPageScanFinished, &loop, &QEventLoop::quit);
    QObject::connect(&controller, &ScannerController::scanError, &loop, [&](const QString &message) {
        scanError = message;
        loop.quit();
    });
    err << tr("正在使用 %1 扫描...").arg(device) << Qt::endl;
    if (controller.startScan(device, colorModeText(profile.colorMode), profile.resolution, source,
            profile.source == ScanSource::Duplex ? QStringLiteral("Duplex") : QStringLiteral("Simplex")))
        loop.exec();
    if (!scanError.isEmpty())
        return fail(CommandLine::ScannerFailed, tr("扫描错误: %1").arg(scanError));
    if (document.pageCount() == 0)
        return fail(CommandLine::ScannerFailed, tr("没有扫描到页面"));
    return save([&document](const QVector<int> &indices) { return document.pageProvider(indices); },
        separator.documents(), profile.splitRule != SplitRule::None, request.output, profile, request.profile);
}

int BatchRunner::convert(const CommandLine::Request &request)
{
    for (const QString &input : request.inputs) {
        const QFileInfo info(input);
        if (!info.isFile() || !info.isReadable())
            return fail(CommandLine::BadInputOrOutput, tr("无法读取输入文件: %1").arg(input));
    }
    TextRecognizer recognizer;
    if (!request.ocrLanguages.isEmpty()) {
        QString errorText;
        if (!recognizer.load(request.ocrLanguages, TextRecognizer::defaultDataPath(), &errorText))
            return fail(CommandLine::WrongUsage, errorText);
    }
    InputPages inputs;
    QString errorText;
    if (!inputs.open(request.inputs, &errorText))
        return fail(CommandLine::BadInputOrOutput, errorText);
    if (inputs.count() == 0)
        return fail(CommandLine::BadInputOrOutput, tr("输入文件中没有页面"));

    // Pages are read from their files whenever they are needed, so straightening
    // happens there too, on the writer's helper threads.
    std::function<QImage(const QImage &)> change;
    if (request.deskew) {
        change = [](const QImage &page) {
            ImageProcessor processor;
            return processor.deskew(page);
        };
    }
    auto pageAt = [&](int i) {
        QString readError;
        const QImage image = inputs.page(i, &readError);
        if (image.isNull() && errorText.isEmpty())
            errorText = readError;
        return change && !image.isNull() ? change(image) : image;
    };

    ScanProfile profile;
    profile.compact = request.compact;
    profile.maxFileBytes = request.maxFileBytes;
    profile.splitRule = request.split.value_or(SplitRule::None);
    if (request.splitEvery > 0)
        profile.splitEvery = request.splitEvery;
    const DocumentSeparator::Rule rule = DocumentSeparator::Rule::of(profile);
    if (DocumentSeparator(rule).needsImages())
        err << tr("正在查找分隔页...") << Qt::endl;
    const QVector<DocumentSeparator::Document> documents = DocumentSeparator::split(rule, inputs.count(), pageAt);

    QVector<PageText> texts(inputs.count());
    if (recognizer.isLoaded()) {
        for (int i = 0; i < inputs.count(); ++i) {
            err << tr("正在识别文字 %1/%2").arg(i + 1).arg(inputs.count()) << Qt::endl;
            texts[i] = recognizer.recognize(pageAt(i));
        }
    }
    if (!errorText.isEmpty())
        return fail(CommandLine::BadInputOrOutput, errorText);
    auto decoratorFor = [&texts, &recognizer](const QVector<int> &indices) {
        if (!recognizer.isLoaded())
            return ImageFileWriter::PageDecorator();
        QVector<PageText> own;
        for (int index : indices)
            own.append(texts.value(index));
        return PdfTextLayer::decorator(own);
    };
    return save([&inputs, &change](const QVector<int> &indices) { return inputs.provider(indices, change); }, documents,
        profile.splitRule != SplitRule::None, request.output, profile, QString(), decoratorFor);
}

int BatchRunner::save(const DocumentSetWriter::ProviderFor &providerFor,
    const QVector<DocumentSeparator::Document> &documents, bool split, const QString &output,
    const ScanProfile &profile, const QString &profileName,
    const std::function<ImageFileWriter::PageDecorator(const QVector<int> &)> &decoratorFor)
{
    if (documents.isEmpty())
        return fail(CommandLine::BadInputOrOutput, tr("分割后没有页面"));
    if (split) {
        DocumentSetWriter::Options options;
        options.folder = output;
        options.pattern = profile.fileNamePattern;
        options.profileName = profileName;
        options.save = DocumentSetWriter::saveOptionsOf(profile);
        options.decoratorFor = decoratorFor;
        options.progress = [this](int file, int fileCount, const QString &path) {
            err << tr("正在写入 %1 (%2/%3)").arg(QDir::toNativeSeparators(path)).arg(file).arg(fileCount) << Qt::endl;
        };
        const DocumentSetWriter::Result result = DocumentSetWriter::write(providerFor, documents, options);
        if (!result.errorText.isEmpty())
            return fail(CommandLine::BadInputOrOutput, result.errorText);
        err << tr("已写入 %1 个文件，共 %2").arg(result.written.size()).arg(SaveSummary::sizeText(result.bytes))
            << Qt::endl;
        return CommandLine::Done;
    }

    QVector<int> indices;
    for (const DocumentSeparator::Document &part : documents) {
        for (quint64 key : part.pages)
            indices.append(static_cast<int>(key));
    }
    if (QFileInfo(output).isDir())
        return fail(CommandLine::BadInputOrOutput, tr("输出路径是一个文件夹: %1").arg(output));
    err << tr("正在写入 %1").arg(QDir::toNativeSeparators(output)) << Qt::endl;
    QString errorText;
    const ImageFileWriter::PageDecorator decorator
        = decoratorFor ? decoratorFor(indices) : ImageFileWriter::PageDecorator();
    ImageFileWriter::PdfReport report;
    if (!DocumentSetWriter::writePdf(indices.size(), providerFor(indices), output, decorator,
            DocumentSetWriter::saveOptionsOf(profile), &errorText, &report))
        return fail(CommandLine::BadInputOrOutput, tr("无法写入 %1: %2").arg(output, errorText));
    err << tr("已写入 %1 页，%2").arg(indices.size()).arg(SaveSummary::sizeText(report.bytes)) << Qt::endl;
    return CommandLine::Done;
}
