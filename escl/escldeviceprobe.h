#pragma once

#include <QString>
#include <functional>

class ESCLScanner;
class QObject;

// Asks one candidate URL for its eSCL capabilities and waits for the answer in
// a local event loop under a time-out: 3 s during discovery, 5 s when a device
// is added by hand. A non-empty capabilities text proves a working eSCL
// device. GUI thread only: other events are delivered while it waits.
class EsclDeviceProbe
{
public:
    struct Result
    {
        bool answered = false;
        // The text of the first pwg:MakeAndModel element; empty when there is none.
        QString modelName;
    };

    // Builds the client for a URL. Tests redirect candidates to a loopback
    // server with it; the default constructs an ESCLScanner for the URL itself.
    using ClientFactory = std::function<ESCLScanner *(const QString &url, QObject *parent)>;

    explicit EsclDeviceProbe(QObject *clientParent = nullptr);

    void setClientFactory(ClientFactory factory);

    // Blocks in a nested event loop for at most timeoutMs. The client is released
    // with deleteLater afterwards.
    Result probe(const QString &url, int timeoutMs) const;

    // The capability handler shared by discovery and the manual add.
    static Result parseCapabilities(const QString &capabilities);

private:
    QObject *clientParent = nullptr;
    ClientFactory clientFactory;
};
