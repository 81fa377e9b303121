#include "tests/support/sanetestconfig.h"

#include <QFile>

namespace {

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size();
}

} // namespace

SaneTestConfig::SaneTestConfig(const QByteArray &testConf)
{
    hadPrevious = qEnvironmentVariableIsSet("SANE_CONFIG_DIR");
    previousValue = qgetenv("SANE_CONFIG_DIR");
    if (!dir.isValid())
        return;
    writeFile(dir.filePath(QStringLiteral("dll.conf")), QByteArrayLiteral("test\n"));
    writeTestConf(testConf);
    // No trailing colon: the system folders stay out, so the machine's real
    // backends (and their slow network probes) never take part in a test.
    qputenv("SANE_CONFIG_DIR", dir.path().toLocal8Bit());
}

SaneTestConfig::~SaneTestConfig()
{
    if (hadPrevious)
        qputenv("SANE_CONFIG_DIR", previousValue);
    else
        qunsetenv("SANE_CONFIG_DIR");
}

bool SaneTestConfig::isValid() const
{
    return dir.isValid();
}

QString SaneTestConfig::path() const
{
    return dir.path();
}

bool SaneTestConfig::writeTestConf(const QByteArray &testConf)
{
    return writeFile(dir.filePath(QStringLiteral("test.conf")), testConf);
}

QByteArray SaneTestConfig::defaultTestConf()
{
    return QByteArrayLiteral("number_of_devices 2\n"
                             "mode Color\n"
                             "depth 8\n"
                             "hand-scanner false\n"
                             "three-pass false\n"
                             "three-pass-order RGB\n"
                             "resolution 75\n"
                             "test-picture \"Solid black\"\n"
                             "read-limit false\n"
                             "read-delay false\n"
                             "fuzzy-parameters false\n"
                             "non-blocking false\n"
                             "select-fd false\n"
                             "enable-test-options false\n");
}
