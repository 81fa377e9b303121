#include "escl/esclscanner.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDebug>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const char *const generationProperty = "esclScanGeneration";

// A DELETE issued while the client is destroyed gets this long to reach the scanner.
constexpr int orphanedDeleteGraceMs = 10000;

QString colorModeKeyword(qint32 colorMode)
{
    switch (colorMode) {
    case 0:
        return QStringLiteral("RGB24");
    case 1:
        return QStringLiteral("Grayscale8");
    case 2:
        return QStringLiteral("BlackAndWhite1");
    default:
        return QString();
    }
}

} // namespace

ESCLScanner::ESCLScanner(const QString &baseUrl, QObject *parent)
    : QObject(parent)
    , networkManager(new QNetworkAccessManager(this))
    , baseUrl(baseUrl)
    , timeoutTimer(new QTimer(this))
{
    timeoutTimer->setSingleShot(true);
    connect(timeoutTimer, &QTimer::timeout, this, &ESCLScanner::onScanTimeout);
    qDebug() << "ESCLScanner 创建，URL:" << baseUrl;
}

ESCLScanner::~ESCLScanner()
{
    if (jobId.isEmpty())
        return;
    // Nothing of ours may run from here on: replies still in flight are cut off.
    const QList<QNetworkReply *> pending = networkManager->findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : pending) {
        reply->disconnect(this);
        reply->abort();
    }
    QNetworkReply *deletion = deleteJob(jobId);
    jobId.clear();
    // The network manager is our child and would take the DELETE down with it
    // before it leaves the machine. It moves to the application and goes once
    // the scanner has answered, or after a grace period.
    QCoreApplication *application = QCoreApplication::instance();
    if (application && !QCoreApplication::closingDown()) {
        networkManager->setParent(application);
        connect(deletion, &QNetworkReply::finished, networkManager, &QObject::deleteLater);
        QTimer::singleShot(orphanedDeleteGraceMs, networkManager, &QObject::deleteLater);
    }
}

void ESCLScanner::setBaseUrl(const QString &baseUrl)
{
    this->baseUrl = baseUrl;
    qDebug() << "ESCLScanner URL 设置为:" << baseUrl;
}

void ESCLScanner::setIntervals(const Intervals &intervals)
{
    this->intervals = intervals;
}

QNetworkRequest ESCLScanner::makeRequest(const QString &url) const
{
    QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
    // Scanners serve HTTPS with self-signed certificates; there is no one to ask.
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setPeerVerifyMode(QSslSocket::VerifyNone);
    request.setSslConfiguration(ssl);
    return request;
}

void ESCLScanner::queryCapabilities()
{
    const QString url = baseUrl + QStringLiteral("/eSCL/ScannerCapabilities");
    qDebug() << "查询扫描仪能力:" << url;
    QNetworkReply *reply = networkManager->get(makeRequest(url));
    connect(reply, &QNetworkReply::finished, this, &ESCLScanner::onCapabilitiesReplyFinished);
}

void ESCLScanner::queryStatus()
{
    const QString url = baseUrl + QStringLiteral("/eSCL/ScannerStatus");
    qDebug() << "查询扫描仪状态:" << url;
    QNetworkReply *reply = networkManager->get(makeRequest(url));
    connect(reply, &QNetworkReply::finished, this, &ESCLScanner::onStatusReplyFinished);
}

void ESCLScanner::startScan(const ESCLScanSettings &settings)
{
    qDebug() << "开始 eSCL 扫描";
    qDebug() << "  颜色模式:" << settings.colorMode;
    qDebug() << "  分辨率:" << settings.resolution;
    qDebug() << "  扫描源:" << (settings.inputSource == 0 ? "稿台" : "ADF");

    // Whatever an earlier scan still has on its way is not ours any more.
    ++scanGeneration;
    this->settings = settings;
    busyRetryCount = 0;
    pageCount = 0;
    scannedPages.clear();
    multiPageMode = (settings.inputSource == 1);
    qDebug() << "多页模式:" << (multiPageMode ? "是" : "否");

    if (settings.colorMode != 2) {
        createScanJob();
        return;
    }
    // Black and white is asked for only where the scanner lists it; elsewhere the
    // job scans grey and the page is made two-level afterwards.
    const quint64 generation = scanGeneration;
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(
        this, &ESCLScanner::capabilitiesReceived, this, [this, generation, connection](const QString &capabilities) {
            disconnect(*connection);
            if (generation != scanGeneration)
                return;
            if (!listsColorMode(capabilities, QStringLiteral("BlackAndWhite1"))) {
                qDebug() << "扫描仪不支持 BlackAndWhite1，使用灰度扫描";
                this->settings.colorMode = 1;
            }
            createScanJob();
        });
    queryCapabilities();
}

bool ESCLScanner::listsColorMode(const QString &capabilities, const QString &mode)
{
    const QRegularExpression entry(
        QStringLiteral("<(?:\\w+:)?ColorMode>\\s*%1\\s*</").arg(QRegularExpression::escape(mode)));
    return entry.match(capabilities).hasMatch();
}

void ESCLScanner::deleteWhenIdle(int graceMs)
{
    // Posted, so that requests sent by the signal handler now running are seen.
    QTimer::singleShot(0, this, [this, graceMs]() {
        const auto idle = [this]() {
            const QList<QNetworkReply *> replies = findChildren<QNetworkReply *>();
            return std::all_of(
                replies.begin(), replies.end(), [](const QNetworkReply *reply) { return reply->isFinished(); });
        };
        if (idle()) {
            deleteLater();
            return;
        }
        for (QNetworkReply *reply : findChildren<QNetworkReply *>()) {
            connect(reply, &QNetworkReply::finished, this, [this, idle]() {
                if (idle())
                    deleteLater();
            });
        }
        QTimer::singleShot(graceMs, this, &QObject::deleteLater);
    });
}

void ESCLScanner::cancelScan()
{
    qDebug() << "取消扫描";
    timeoutTimer->stop();
    endScanGeneration();
    if (!jobId.isEmpty()) {
        deleteScanJob();
        jobId.clear();
    }
    scannedPages.clear();
    multiPageMode = false;
    pageCount = 0;
    emit scanError(tr("扫描已取消"));
}

void ESCLScanner::onScanTimeout()
{
    qDebug() << "扫描超时";
    endScanGeneration();
    if (!jobId.isEmpty()) {
        deleteScanJob();
        jobId.clear();
    }
    emit scanError(tr("扫描超时"));
}

void ESCLScanner::endScanGeneration()
{
    ++scanGeneration;
}

bool ESCLScanner::isCurrent(QNetworkReply *reply) const
{
    return reply->property(generationProperty).toULongLong() == scanGeneration;
}

void ESCLScanner::createScanJob()
{
    const QString xml = buildScanSettingsXml(settings);
    const QString url = baseUrl + QStringLiteral("/eSCL/ScanJobs");
    qDebug() << "创建扫描任务:" << url;
    qDebug() << "扫描设置 XML:\n" << xml;

    QNetworkRequest request = makeRequest(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("text/xml"));
    QNetworkReply *reply = networkManager->post(request, xml.toUtf8());
    reply->setProperty(generationProperty, scanGeneration);
    connect(reply, &QNetworkReply::finished, this, &ESCLScanner::onCreateJobReplyFinished);
    timeoutTimer->start(intervals.createJobTimeoutMs);
}

void ESCLScanner::scheduleFetch(int delayMs)
{
    const quint64 generation = scanGeneration;
    // Bound to this object: destroying the client drops the pending fetch. The
    // generation keeps a fetch of a cancelled scan off the job of the next one.
    QTimer::singleShot(delayMs, this, [this, generation] {
        if (generation != scanGeneration || jobId.isEmpty())
            return;
        fetchNextDocument();
    });
}

void ESCLScanner::fetchNextDocument()
{
    if (jobId.isEmpty())
        return;
    const QString url = baseUrl + QStringLiteral("/eSCL/ScanJobs/") + jobId + QStringLiteral("/NextDocument");
    qDebug() << "获取扫描文档:" << url << "(尝试" << busyRetryCount + 1 << "次)";
    QNetworkReply *reply = networkManager->get(makeRequest(url));
    reply->setProperty(generationProperty, scanGeneration);
    connect(reply, &QNetworkReply::finished, this, &ESCLScanner::onDocumentReplyFinished);
    timeoutTimer->start(intervals.documentTimeoutMs);
}

void ESCLScanner::deleteScanJob()
{
    deleteJob(jobId);
}

QNetworkReply *ESCLScanner::deleteJob(const QString &id)
{
    const QString url = baseUrl + QStringLiteral("/eSCL/ScanJobs/") + id;
    qDebug() << "删除扫描任务:" << url;
    QNetworkReply *reply = networkManager->deleteResource(makeRequest(url));
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    return reply;
}

QString ESCLScanner::takeJobId()
{
    const QString id = jobId;
    jobId.clear();
    return id;
}

void ESCLScanner::finishJob(const QString &endedJob)
{
    if (!endedJob.isEmpty())
        deleteJob(endedJob);
}

void ESCLScanner::handleLateReply(QNetworkReply *reply, bool isJobReply)
{
    // The scan this reply belongs to was cancelled, timed out or replaced. Its
    // pages and signals must not reach anyone. A job the scanner created in the
    // meantime is removed again, or it would block the scanner until it expires.
    qDebug() << "忽略已结束扫描的响应:" << reply->url().toString();
    if (isJobReply && reply->error() == QNetworkReply::NoError) {
        const QString lateJob = extractJobId(QString::fromUtf8(reply->rawHeader("Location")));
        if (!lateJob.isEmpty())
            deleteJob(lateJob);
    }
    reply->deleteLater();
}

void ESCLScanner::onCapabilitiesReplyFinished()
{
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply)
        return;
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "扫描仪能力查询失败:" << reply->errorString();
        emit scanError(tr("查询扫描仪能力失败: %1").arg(reply->errorString()));
        return;
    }
    const QString capabilities = QString::fromUtf8(reply->readAll());
    qDebug() << "扫描仪能力查询成功";
    emit capabilitiesReceived(capabilities);
}

void ESCLScanner::onStatusReplyFinished()
{
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply)
        return;
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "扫描仪状态查询失败:" << reply->errorString();
        return;
    }
    const QString status = QString::fromUtf8(reply->readAll());
    qDebug() << "扫描仪状态查询成功";
    emit statusReceived(status);
}

void ESCLScanner::onCreateJobReplyFinished()
{
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply)
        return;
    if (!isCurrent(reply)) {
        handleLateReply(reply, true);
        return;
    }
    timeoutTimer->stop();
    reply->deleteLater();

    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "创建扫描任务失败:" << reply->errorString();
        qDebug() << "HTTP 状态码:" << reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        qDebug() << "响应内容:" << reply->readAll();
        emit scanError(tr("创建扫描任务失败: %1").arg(reply->errorString()));
        return;
    }

    // The raw header: scanners often answer with a bare path, which the parsed
    // LocationHeader drops for want of a scheme.
    const QString location = QString::fromUtf8(reply->rawHeader("Location"));
    qDebug() << "扫描任务创建成功，Location:" << location;
    jobId = extractJobId(location);
    qDebug() << "任务 ID:" << jobId;

    if (jobId.isEmpty()) {
        emit scanError(tr("无法解析任务 ID"));
        return;
    }
    qDebug() << "等待扫描仪准备...";
    scheduleFetch(intervals.scannerReadyDelayMs);
}

void ESCLScanner::onDocumentReplyFinished()
{
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply)
        return;
    if (!isCurrent(reply)) {
        handleLateReply(reply, false);
        return;
    }
    timeoutTimer->stop();
    reply->deleteLater();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = reply->error();

    if (error == QNetworkReply::NoError) {
        handleDocument(reply);
        return;
    }

    if (status == 404) {
        qDebug() << "没有更多文档，扫描完成。共扫描" << pageCount << "页";
        // The job is taken before the signals: a listener may start the next scan from them.
        const QString endedJob = takeJobId();
        if (pageCount < 1)
            emit scanError(tr("未扫描到任何文档"));
        else
            completeWithPages();
        finishJob(endedJob);
        return;
    }

    if (status == 503 && busyRetryCount < maxBusyRetries) {
        ++busyRetryCount;
        qDebug() << "扫描仪忙碌 (503)，" << intervals.busyRetryDelayMs << "ms 后重试...";
        scheduleFetch(intervals.busyRetryDelayMs);
        return;
    }

    const QString errorString = reply->errorString();
    qDebug() << "获取扫描文档失败:" << errorString;
    qDebug() << "HTTP 状态码:" << status;
    busyRetryCount = 0;
    const QString endedJob = takeJobId();
    if (pageCount < 1) {
        emit scanError(tr("获取扫描文档失败: %1").arg(errorString));
    } else {
        // Many feeders announce their end with an error other than 404; the
        // pages delivered so far stand.
        qDebug() << "虽然出现错误，但已成功扫描" << pageCount << "页";
        completeWithPages();
    }
    finishJob(endedJob);
}

QImage ESCLScanner::decodeDocument(QByteArray data, int resolution, QString *errorText)
{
    QImage image;
    {
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setDecideFormatFromContent(true);
        // The header's size, before a row is decoded: the decoder allocates what
        // the header claims, and a page of unknown size is not decoded at all.
        const QSize declared = reader.size();
        const qint64 maxPixels = qint64(maxPageWidth) * maxPageHeight;
        if (!declared.isValid()) {
            *errorText = reader.errorString();
            return QImage();
        }
        if (qint64(declared.width()) * declared.height() > maxPixels) {
            *errorText = tr("图像尺寸过大 (%1 x %2)").arg(declared.width()).arg(declared.height());
            return QImage();
        }
        image = reader.read();
        if (image.isNull()) {
            *errorText = reader.errorString();
            return QImage();
        }
        if (qint64(image.width()) * image.height() > maxPixels) {
            *errorText = tr("图像尺寸过大 (%1 x %2)").arg(image.width()).arg(image.height());
            return QImage();
        }
    }

    // A JPEG may name its own density. None at all, or the 72 and 96 dpi that image
    // libraries write when nobody told them better, mean the page was scanned at the
    // job's resolution.
    const auto placeholder = [](int dotsPerMetre) {
        const double dpi = dotsPerMetre * 0.0254;
        return dotsPerMetre <= 0 || std::abs(dpi - 72) < 1 || std::abs(dpi - 96) < 1;
    };
    if (resolution > 0 && (placeholder(image.dotsPerMeterX()) || placeholder(image.dotsPerMeterY()))) {
        const int dotsPerMetre = int(std::lround(resolution / 0.0254));
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
    }
    return image;
}

void ESCLScanner::handleDocument(QNetworkReply *reply)
{
    QByteArray data = reply->readAll();
    qDebug() << "接收到扫描数据，大小:" << data.size() << "字节";

    QString decodeError;
    QImage image = decodeDocument(std::move(data), settings.resolution, &decodeError);
    if (image.isNull()) {
        // The job stays on the scanner; a later cancel or the destructor removes it.
        qDebug() << "图像解析失败:" << decodeError;
        emit scanError(tr("图像解析失败: %1").arg(decodeError));
        return;
    }

    ++pageCount;
    qDebug() << "第" << pageCount << "页扫描成功！图像尺寸:" << image.size();
    busyRetryCount = 0;
    image = enhanceScannedPage(std::move(image));
    scannedPages.append(image);

    const quint64 generation = scanGeneration;
    emit pageScanned(image, pageCount);
    if (generation != scanGeneration)
        return; // a listener cancelled or restarted the scan

    if (multiPageMode) {
        qDebug() << "ADF 模式，尝试获取下一页...";
        scheduleFetch(intervals.nextPageDelayMs);
        return;
    }
    const QString endedJob = takeJobId();
    emit scanComplete(image);
    if (generation == scanGeneration)
        emit allPagesComplete(pageCount);
    finishJob(endedJob);
}

void ESCLScanner::completeWithPages()
{
    // A listener may cancel or restart the scan from scanComplete; the count
    // then belongs to a scan that no longer exists.
    const quint64 generation = scanGeneration;
    if (!scannedPages.isEmpty())
        emit scanComplete(scannedPages.last());
    if (generation == scanGeneration)
        emit allPagesComplete(pageCount);
}

QString ESCLScanner::extractJobId(const QString &location)
{
    const QStringList parts = location.split(QLatin1Char('/'));
    return parts.last().trimmed();
}

QString ESCLScanner::buildScanSettingsXml(const ESCLScanSettings &settings)
{
    static const QString templateText
        = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<scan:ScanSettings xmlns:pwg=\"http://www.pwg.org/schemas/2010/12/sm\" "
                         "xmlns:scan=\"http://schemas.hp.com/imaging/escl/2011/05/03\">\n"
                         "   <pwg:Version>2.63</pwg:Version>\n"
                         "   <pwg:ScanRegions>\n"
                         "      <pwg:ScanRegion>\n"
                         "          <pwg:ContentRegionUnits>escl:ThreeHundredthsOfInches</pwg:ContentRegionUnits>\n"
                         "          <pwg:Height>%1</pwg:Height>\n"
                         "          <pwg:Width>%2</pwg:Width>\n"
                         "          <pwg:XOffset>%3</pwg:XOffset>\n"
                         "          <pwg:YOffset>%4</pwg:YOffset>\n"
                         "      </pwg:ScanRegion>\n"
                         "   </pwg:ScanRegions>\n"
                         "   <scan:DocumentFormatExt>image/jpeg</scan:DocumentFormatExt>\n"
                         "   <scan:ColorMode>%5</scan:ColorMode>\n"
                         "   <scan:XResolution>%6</scan:XResolution>\n"
                         "   <scan:YResolution>%6</scan:YResolution>\n"
                         "   <pwg:InputSource>%7</pwg:InputSource>\n"
                         "</scan:ScanSettings>");
    // One multi-argument pass, so no filled-in value is scanned for placeholders again.
    QString xml = templateText.arg(QString::number(settings.height), QString::number(settings.width),
        QString::number(settings.xOffset), QString::number(settings.yOffset), colorModeKeyword(settings.colorMode),
        QString::number(settings.resolution),
        settings.inputSource == 0 ? QStringLiteral("Platen") : QStringLiteral("Feeder"));
    // Only a duplex request says so; a one-sided document stays as it always was.
    if (settings.duplex != 0 && settings.inputSource != 0) {
        const QString end = QStringLiteral("</scan:ScanSettings>");
        xml.insert(xml.size() - end.size(), QStringLiteral("   <scan:Duplex>true</scan:Duplex>\n"));
    }
    return xml;
}
