#pragma once

#include <QByteArray>
#include <QColor>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>
#include <QSize>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// A small eSCL scanner on loopback, HTTP or HTTPS (a self-signed certificate
// from tests/data), scripted per test: answers are queued per method and path
// and taken in order; a route may also have a standing answer for when its
// queue is empty. Unscripted requests get a 404. Every request is recorded.
// Runs on the thread of the test, so the client under test and the server
// share one event loop.
class EsclTestServer : public QTcpServer
{
    Q_OBJECT

public:
    enum class Scheme { Http, Https };

    struct Request
    {
        QByteArray method;
        QByteArray path;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        // Header value by case-insensitive name; empty when absent.
        QByteArray header(const QByteArray &name) const;
        bool hasHeader(const QByteArray &name) const;
        // "METHOD path"
        QString line() const;
    };

    struct Response
    {
        int status = 200;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        // Waits this long before answering.
        int delayMs = 0;
        // Sends the headers (with the full Content-Length) and half the body, then closes.
        bool closeMidBody = false;
        // Answers with "Connection: close" and closes, so the next request needs a new connection.
        bool closeAfterResponse = false;

        static Response withStatus(int status);
        static Response created(const QByteArray &location);
        static Response document(const QByteArray &body, const QByteArray &contentType = "image/jpeg");
        static Response text(const QByteArray &body, const QByteArray &contentType = "text/xml");
    };

    explicit EsclTestServer(Scheme scheme = Scheme::Http, QObject *parent = nullptr);
    ~EsclTestServer() override;

    // Listens on 127.0.0.1 on a free port.
    bool start();
    // "http://127.0.0.1:PORT" or "https://…", without a trailing slash.
    QString baseUrl() const;

    void enqueue(const QByteArray &method, const QByteArray &path, const Response &response);
    void setStanding(const QByteArray &method, const QByteArray &path, const Response &response);

    QList<Request> requests() const { return received; }
    // "METHOD path" of every request so far, in arrival order.
    QStringList requestLines() const;
    int count(const QByteArray &method, const QByteArray &path) const;
    int connectionCount() const { return connections; }

    static QByteArray encodedPage(const QSize &size, const QByteArray &format, const QColor &color = Qt::gray);
    static QByteArray capabilitiesXml(const QString &makeAndModel);
    // Capabilities with a platen of the given largest region (1/300 in) and
    // resolutions, and optionally a feeder that scans both sides.
    static QByteArray capabilitiesXml(const QSize &platenMax, const QList<int> &resolutions, bool duplexFeeder);

signals:
    void requestReceived(const QString &line);

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void readFrom(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const Response &response);
    Response answerFor(const Request &request);

    Scheme scheme;
    QByteArray certificate;
    QByteArray privateKey;
    QHash<QTcpSocket *, QByteArray> buffers;
    QHash<QTcpSocket *, bool> busy;
    QMap<QByteArray, QList<Response>> queues;
    QMap<QByteArray, Response> standing;
    QList<Request> received;
    int connections = 0;
};
