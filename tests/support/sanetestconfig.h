#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary SANE configuration folder that enables only SANE's own "test"
// backend and points SANE_CONFIG_DIR at it for the lifetime of the object.
// Create it before the first sane_init of the process: SANE reads its
// configuration at initialisation.
class SaneTestConfig
{
public:
    // testConf is the content of test.conf; the default gives two devices.
    explicit SaneTestConfig(const QByteArray &testConf = defaultTestConf());
    ~SaneTestConfig();
    SaneTestConfig(const SaneTestConfig &) = delete;
    SaneTestConfig &operator=(const SaneTestConfig &) = delete;

    bool isValid() const;
    QString path() const;
    // Rewrites test.conf; takes effect at the next sane_init.
    bool writeTestConf(const QByteArray &testConf);

    static QByteArray defaultTestConf();

private:
    QTemporaryDir dir;
    QByteArray previousValue;
    bool hadPrevious = false;
};
