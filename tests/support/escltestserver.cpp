#include "tests/support/escltestserver.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPointer>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTimer>

namespace {

QByteArray routeKey(const QByteArray &method, const QByteArray &path)
{
    return method + ' ' + path;
}

QByteArray readDataFile(const char *name)
{
    QFile file(QStringLiteral(QUIRRA_TEST_DATA_DIR "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("EsclTestServer: cannot read test data %s", name);
    return file.readAll();
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 409:
        return "Conflict";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

} // namespace

QByteArray EsclTestServer::Request::header(const QByteArray &name) const
{
    for (const auto &header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return header.second;
    }
    return QByteArray();
}

bool EsclTestServer::Request::hasHeader(const QByteArray &name) const
{
    for (const auto &header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString EsclTestServer::Request::line() const
{
    return QString::fromLatin1(method + ' ' + path);
}

EsclTestServer::Response EsclTestServer::Response::withStatus(int status)
{
    Response response;
    response.status = status;
    return response;
}

EsclTestServer::Response EsclTestServer::Response::created(const QByteArray &location)
{
    Response response;
    response.status = 201;
    response.headers << qMakePair(QByteArray("Location"), location);
    return response;
}

EsclTestServer::Response EsclTestServer::Response::document(const QByteArray &body, const QByteArray &contentType)
{
    Response response;
    response.headers << qMakePair(QByteArray("Content-Type"), contentType);
    response.body = body;
    return response;
}

EsclTestServer::Response EsclTestServer::Response::text(const QByteArray &body, const QByteArray &contentType)
{
    return document(body, contentType);
}

EsclTestServer::EsclTestServer(Scheme scheme, QObject *parent)
    : QTcpServer(parent)
    , scheme(scheme)
{
    if (scheme == Scheme::Https) {
        certificate = readDataFile("escl-test-cert.pem");
        privateKey = readDataFile("escl-test-key.pem");
    }
}

EsclTestServer::~EsclTestServer() = default;

bool EsclTestServer::start()
{
    return listen(QHostAddress::LocalHost, 0);
}

QString EsclTestServer::baseUrl() const
{
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(scheme == Scheme::Https ? QStringLiteral("https") : QStringLiteral("http"))
        .arg(serverPort());
}

void EsclTestServer::enqueue(const QByteArray &method, const QByteArray &path, const Response &response)
{
    queues[routeKey(method, path)].append(response);
}

void EsclTestServer::setStanding(const QByteArray &method, const QByteArray &path, const Response &response)
{
    standing.insert(routeKey(method, path), response);
}

QStringList EsclTestServer::requestLines() const
{
    QStringList lines;
    for (const Request &request : received)
        lines << request.line();
    return lines;
}

int EsclTestServer::count(const QByteArray &method, const QByteArray &path) const
{
    int n = 0;
    for (const Request &request : received) {
        if (request.method == method && request.path == path)
            ++n;
    }
    return n;
}

QByteArray EsclTestServer::encodedPage(const QSize &size, const QByteArray &format, const QColor &color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    // A dark band gives the encoder something other than a flat field.
    for (int y = size.height() / 3; y < size.height() / 3 + qMax(1, size.height() / 20); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = qRgb(20, 30, 40);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    if (!writer.write(image))
        qFatal("EsclTestServer: cannot encode a %s page", format.constData());
    return bytes;
}

QByteArray EsclTestServer::capabilitiesXml(const QString &makeAndModel)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<scan:ScannerCapabilities xmlns:pwg=\"http://www.pwg.org/schemas/2010/12/sm\" "
                     "xmlns:scan=\"http://schemas.hp.com/imaging/escl/2011/05/03\">\n"
                     "  <pwg:Version>2.63</pwg:Version>\n";
    if (!makeAndModel.isNull())
        xml += "  <pwg:MakeAndModel>" + makeAndModel.toUtf8() + "</pwg:MakeAndModel>\n";
    xml += "  <scan:Platen/>\n</scan:ScannerCapabilities>\n";
    return xml;
}

QByteArray EsclTestServer::capabilitiesXml(const QSize &platenMax, const QList<int> &resolutions, bool duplexFeeder)
{
    const auto inputCaps = [&](const QByteArray &name) {
        QByteArray caps = "    <scan:" + name + ">\n      <scan:MinWidth>16</scan:MinWidth>\n" + "      <scan:MaxWidth>"
            + QByteArray::number(platenMax.width()) + "</scan:MaxWidth>\n" + "      <scan:MaxHeight>"
            + QByteArray::number(platenMax.height()) + "</scan:MaxHeight>\n"
            + "      "
              "<scan:SettingProfiles><scan:SettingProfile><scan:SupportedResolutions><scan:DiscreteResolutions>\n";
        for (int dpi : resolutions) {
            caps += "        <scan:DiscreteResolution><scan:XResolution>" + QByteArray::number(dpi)
                + "</scan:XResolution><scan:YResolution>" + QByteArray::number(dpi)
                + "</scan:YResolution></scan:DiscreteResolution>\n";
        }
        caps += "      "
                "</scan:DiscreteResolutions></scan:SupportedResolutions></scan:SettingProfile></scan:SettingProfiles>\n"
                "    </scan:"
            + name + ">\n";
        return caps;
    };
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<scan:ScannerCapabilities xmlns:pwg=\"http://www.pwg.org/schemas/2010/12/sm\" "
                     "xmlns:scan=\"http://schemas.hp.com/imaging/escl/2011/05/03\">\n"
                     "  <pwg:Version>2.63</pwg:Version>\n  <pwg:MakeAndModel>Loopback Scanner</pwg:MakeAndModel>\n"
                     "  <scan:Platen>\n"
        + inputCaps("PlatenInputCaps") + "  </scan:Platen>\n";
    if (duplexFeeder)
        xml += "  <scan:Adf>\n" + inputCaps("AdfSimplexInputCaps") + inputCaps("AdfDuplexInputCaps")
            + "  </scan:Adf>\n";
    xml += "</scan:ScannerCapabilities>\n";
    return xml;
}

void EsclTestServer::incomingConnection(qintptr socketDescriptor)
{
    QTcpSocket *socket = nullptr;
    if (scheme == Scheme::Https) {
        auto *ssl = new QSslSocket(this);
        if (!ssl->setSocketDescriptor(socketDescriptor)) {
            delete ssl;
            return;
        }
        ssl->setLocalCertificate(QSslCertificate(certificate, QSsl::Pem));
        ssl->setPrivateKey(QSslKey(privateKey, QSsl::Rsa, QSsl::Pem));
        ssl->setPeerVerifyMode(QSslSocket::VerifyNone);
        ssl->startServerEncryption();
        socket = ssl;
    } else {
        socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(socketDescriptor)) {
            delete socket;
            return;
        }
    }
    ++connections;
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        buffers.remove(socket);
        busy.remove(socket);
        socket->deleteLater();
    });
}

void EsclTestServer::readFrom(QTcpSocket *socket)
{
    QByteArray &buffer = buffers[socket];
    buffer += socket->readAll();
    // One request at a time per connection: the client does not pipeline.
    while (!busy.value(socket)) {
        const int headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        Request request;
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.path = requestLine.value(1);
        qint64 contentLength = 0;
        for (int i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            const int colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            const QByteArray name = line.left(colon).trimmed();
            const QByteArray value = line.mid(colon + 1).trimmed();
            request.headers << qMakePair(name, value);
            if (name.compare("Content-Length", Qt::CaseInsensitive) == 0)
                contentLength = value.toLongLong();
        }
        if (buffer.size() < headerEnd + 4 + contentLength)
            return;
        request.body = buffer.mid(headerEnd + 4, int(contentLength));
        buffer.remove(0, headerEnd + 4 + int(contentLength));

        received << request;
        const Response response = answerFor(request);
        emit requestReceived(request.line());
        if (response.delayMs > 0) {
            busy[socket] = true;
            QPointer<QTcpSocket> guard(socket);
            QTimer::singleShot(response.delayMs, this, [this, guard, response] {
                if (!guard)
                    return;
                busy[guard] = false;
                respond(guard, response);
                if (guard && guard->state() == QAbstractSocket::ConnectedState)
                    readFrom(guard);
            });
            return;
        }
        respond(socket, response);
        if (socket->state() != QAbstractSocket::ConnectedState)
            return;
    }
}

EsclTestServer::Response EsclTestServer::answerFor(const Request &request)
{
    const QByteArray key = routeKey(request.method, request.path);
    auto queue = queues.find(key);
    if (queue != queues.end() && !queue->isEmpty())
        return queue->takeFirst();
    auto fallback = standing.constFind(key);
    if (fallback != standing.constEnd())
        return *fallback;
    return Response::withStatus(404);
}

void EsclTestServer::respond(QTcpSocket *socket, const Response &response)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
    for (const auto &header : response.headers)
        head += header.first + ": " + header.second + "\r\n";
    if (response.closeAfterResponse)
        head += "Connection: close\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n\r\n";
    if (response.closeMidBody) {
        socket->write(head);
        socket->write(response.body.left(response.body.size() / 2));
        socket->flush();
        socket->disconnectFromHost();
        return;
    }
    socket->write(head);
    socket->write(response.body);
    if (response.closeAfterResponse)
        socket->disconnectFromHost();
}
