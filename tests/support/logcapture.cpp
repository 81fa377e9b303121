#include "tests/support/logcapture.h"

#include <QMutexLocker>

LogCapture *LogCapture::active = nullptr;

LogCapture::LogCapture()
{
    Q_ASSERT(!active);
    active = this;
    previous = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previous);
    active = nullptr;
}

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&mutex);
    return captured;
}

QStringList LogCapture::linesStartingWith(const QString &prefix) const
{
    QStringList result;
    for (const QString &line : lines()) {
        if (line.startsWith(prefix))
            result << line;
    }
    return result;
}

bool LogCapture::contains(const QString &line) const
{
    return lines().contains(line);
}

int LogCapture::indexOf(const QString &prefix) const
{
    const QStringList all = lines();
    for (int i = 0; i < all.size(); ++i) {
        if (all.at(i).startsWith(prefix))
            return i;
    }
    return -1;
}

void LogCapture::clear()
{
    QMutexLocker lock(&mutex);
    captured.clear();
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (LogCapture *self = active) {
        QMutexLocker lock(&self->mutex);
        self->captured << message;
    }
    // Keep the lines visible in the test output; a failing test is easier to read with them.
    if (type != QtDebugMsg || qEnvironmentVariableIsSet("QUIRRA_TEST_VERBOSE")) {
        const QByteArray text = qFormatLogMessage(type, context, message).toLocal8Bit();
        fprintf(stderr, "%s\n", text.constData());
    }
}
