#pragma once

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

// Collects every Qt log line written while it lives, so tests can assert the
// exact log texts. Lines are formatted as the default handler prints them
// (without the category prefix). Thread-safe: SANE and eSCL code log from
// worker threads too. Only one capture may be active at a time.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const;
    // Lines that start with the given text.
    QStringList linesStartingWith(const QString &prefix) const;
    bool contains(const QString &line) const;
    // Index of the first line starting with prefix, or -1.
    int indexOf(const QString &prefix) const;
    void clear();

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message);

    mutable QMutex mutex;
    QStringList captured;
    QtMessageHandler previous = nullptr;
    static LogCapture *active;
};
