#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>

#include "escl/esclcapabilities.h"
#include "escl/esclscanner.h"

// A preview of a network scanner's glass: asks the scanner for its
// capabilities, then scans the whole platen at its lowest resolution, and
// hands back the image with that resolution set, so the window can show the
// glass in millimetres. The capabilities stay for the scans that follow (their
// region lies within this platen). GUI thread; one preview at a time.
class EsclPreview : public QObject
{
    Q_OBJECT

public:
    explicit EsclPreview(const QString &url, QObject *parent = nullptr);
    ~EsclPreview() override;

    QString url() const { return deviceUrl; }
    // Empty until the scanner has told them.
    EsclCapabilities capabilities() const { return caps; }
    bool hasCapabilities() const { return known; }

    // colorMode as ESCLScanSettings takes it. A preview under way is dropped.
    void start(int colorMode);
    // Drops the preview under way; neither finished nor failed follows.
    void cancel();
    // The client of the preview under way, for tests that shorten its waits.
    ESCLScanner *client() const { return scanner; }

signals:
    void finished(const QImage &preview);
    void failed(const QString &error);

private:
    void scanWith(const QByteArray &capabilities);
    void release();

    QString deviceUrl;
    EsclCapabilities caps;
    bool known = false;
    int colorMode = 0;
    QPointer<ESCLScanner> scanner;
};
