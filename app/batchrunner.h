#pragma once

#include <QCoreApplication>
#include <QSettings>
#include <QString>
#include <QTextStream>

#include "app/commandline.h"
#include "batch/documentseparator.h"
#include "batch/documentsetwriter.h"
#include "settings/scanprofile.h"

// Carries out a command-line request without a window: lists devices, scans
// with a profile's settings, converts files. Progress and errors go to err,
// the device list to out; the result is the process's exit code. Nothing is
// written when a run fails.
//
// Runs on the thread of the application object, which may be a
// QCoreApplication or a QGuiApplication; no widget is created.
class BatchRunner
{
    Q_DECLARE_TR_FUNCTIONS(BatchRunner)

public:
    BatchRunner(QSettings &store, QTextStream &out, QTextStream &err);

    int run(const CommandLine::Request &request);

private:
    int listDevices();
    int scan(const CommandLine::Request &request);
    int convert(const CommandLine::Request &request);
    // The pages of document, split as documents says, to output: one file when
    // split is false, else a folder of files named by the profile's pattern.
    int save(const DocumentSetWriter::ProviderFor &providerFor, const QVector<DocumentSeparator::Document> &documents,
        bool split, const QString &output, const ScanProfile &profile, const QString &profileName,
        const std::function<ImageFileWriter::PageDecorator(const QVector<int> &)> &decoratorFor = {});
    int fail(int code, const QString &message);

    QSettings &store;
    QTextStream &out;
    QTextStream &err;
};
