#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

// Stands in for the mDNS browser during a test: puts an executable script
// named "avahi-browse" first on PATH that prints recorded output (and, when
// asked, then hangs), or hides every browser by pointing PATH at an empty
// folder. PATH is restored when the object goes. The script records the
// arguments it was started with.
class FakeAvahiBrowse
{
public:
    enum class Behaviour {
        Print, // prints the output and exits 0
        PrintThenHang, // prints the output, then sleeps far past any wait
        Absent, // no browser on PATH at all
    };

    explicit FakeAvahiBrowse(Behaviour behaviour, const QByteArray &standardOutput = QByteArray(),
        const QByteArray &standardError = QByteArray());
    ~FakeAvahiBrowse();
    FakeAvahiBrowse(const FakeAvahiBrowse &) = delete;
    FakeAvahiBrowse &operator=(const FakeAvahiBrowse &) = delete;

    bool isValid() const { return valid; }
    // The arguments of the last run, one per entry; empty when it never ran.
    QStringList recordedArguments() const;

    // One resolved-service line of the browser's parsable output.
    static QByteArray resolvedLine(const QByteArray &name, const QByteArray &address, const QByteArray &port = "443",
        const QByteArray &protocol = "IPv4", const QByteArray &interface = "eth0");

private:
    QTemporaryDir dir;
    QByteArray previousPath;
    bool valid = false;
};
