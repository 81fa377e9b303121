#include "tests/support/fakeavahibrowse.h"

#include <QFile>

namespace {

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

FakeAvahiBrowse::FakeAvahiBrowse(Behaviour behaviour, const QByteArray &standardOutput, const QByteArray &standardError)
    : previousPath(qgetenv("PATH"))
{
    if (!dir.isValid())
        return;
    const QString folder = dir.path();
    if (behaviour == Behaviour::Absent) {
        // An empty folder alone on PATH: no browser can be found, the real one included.
        valid = qputenv("PATH", folder.toLocal8Bit());
        return;
    }

    const QByteArray quoted = "'" + folder.toLocal8Bit() + "'";
    QByteArray script = "#!/bin/sh\n"
                        "printf '%s\\n' \"$@\" > "
        + quoted + "/arguments\n" + "/bin/cat " + quoted + "/stdout\n" + "/bin/cat " + quoted + "/stderr >&2\n";
    // exec, so that killing the browser kills the sleep and closes its pipes.
    script += behaviour == Behaviour::PrintThenHang ? "exec /bin/sleep 120\n" : "exit 0\n";

    const QString program = folder + QStringLiteral("/avahi-browse");
    valid = writeFile(folder + QStringLiteral("/stdout"), standardOutput)
        && writeFile(folder + QStringLiteral("/stderr"), standardError) && writeFile(program, script)
        && QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)
        && qputenv("PATH", folder.toLocal8Bit() + ':' + previousPath);
}

FakeAvahiBrowse::~FakeAvahiBrowse()
{
    qputenv("PATH", previousPath);
}

QStringList FakeAvahiBrowse::recordedArguments() const
{
    QFile file(dir.path() + QStringLiteral("/arguments"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringList();
    return QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray FakeAvahiBrowse::resolvedLine(const QByteArray &name, const QByteArray &address, const QByteArray &port,
    const QByteArray &protocol, const QByteArray &interface)
{
    // =;interface;protocol;name;type;domain;host;address;port;txt
    return "=;" + interface + ';' + protocol + ';' + name + ";_uscan._tcp;local;scanner.local;" + address + ';' + port
        + ";\"txtvers=1\" \"rs=eSCL\"\n";
}
