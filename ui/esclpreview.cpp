#include "ui/esclpreview.h"

EsclPreview::EsclPreview(const QString &url, QObject *parent)
    : QObject(parent)
    , deviceUrl(url)
{
}

EsclPreview::~EsclPreview()
{
    release();
}

void EsclPreview::start(int mode)
{
    release();
    colorMode = mode;
    scanner = new ESCLScanner(deviceUrl, this);
    connect(scanner, &ESCLScanner::capabilitiesReceived, this,
        [this](const QString &capabilities) { scanWith(capabilities.toUtf8()); });
    connect(scanner, &ESCLScanner::pageScanned, this, [this](const QImage &image) {
        release();
        emit finished(image);
    });
    connect(scanner, &ESCLScanner::scanError, this, [this](const QString &error) {
        release();
        emit failed(error);
    });
    scanner->queryCapabilities();
}

void EsclPreview::scanWith(const QByteArray &capabilities)
{
    caps = EsclCapabilities::parse(capabilities);
    known = caps.platen.present;
    // A scanner that does not describe its platen still gets a preview: A4 at 75 dpi.
    ESCLScanSettings settings = caps.previewSettings(colorMode);
    if (!known) {
        settings.resolution = 75;
        settings.width = 2480;
        settings.height = 3508;
    }
    scanner->startScan(settings);
}

void EsclPreview::cancel()
{
    if (scanner)
        scanner->cancelScan();
    release();
}

void EsclPreview::release()
{
    ESCLScanner *client = scanner;
    scanner = nullptr;
    if (!client)
        return;
    disconnect(client, nullptr, this, nullptr);
    // The client may still be answering the job's last request.
    client->setParent(nullptr);
    client->deleteWhenIdle();
}
