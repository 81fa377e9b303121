#include "escl/escldeviceprobe.h"

#include <QEventLoop>
#include <QTimer>

#include "escl/esclscanner.h"

EsclDeviceProbe::EsclDeviceProbe(QObject *clientParent)
    : clientParent(clientParent)
{
}

void EsclDeviceProbe::setClientFactory(ClientFactory factory)
{
    clientFactory = std::move(factory);
}

EsclDeviceProbe::Result EsclDeviceProbe::probe(const QString &url, int timeoutMs) const
{
    ESCLScanner *client = clientFactory ? clientFactory(url, clientParent) : new ESCLScanner(url, clientParent);
    Result result;
    if (!client)
        return result;

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(client, &ESCLScanner::scanError, &loop, &QEventLoop::quit);
    // The loop is the context: an answer that comes after the wait finds no one.
    QObject::connect(client, &ESCLScanner::capabilitiesReceived, &loop, [&result, &loop](const QString &capabilities) {
        result = parseCapabilities(capabilities);
        loop.quit();
    });

    client->queryCapabilities();
    timer.start(timeoutMs);
    loop.exec();
    client->deleteLater();
    return result;
}

EsclDeviceProbe::Result EsclDeviceProbe::parseCapabilities(const QString &capabilities)
{
    Result result;
    result.answered = !capabilities.isEmpty();
    if (!capabilities.contains(QLatin1String("MakeAndModel")))
        return result;

    const QLatin1String openTag("<pwg:MakeAndModel>");
    const int start = capabilities.indexOf(openTag);
    const int end = capabilities.indexOf(QLatin1String("</pwg:MakeAndModel>"));
    if (start > 0 && start + openTag.size() < end)
        result.modelName = capabilities.mid(start + openTag.size(), end - start - openTag.size());
    return result;
}
