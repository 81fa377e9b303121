#include "fuzz/fuzztargets.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdlib>

namespace FuzzTargets {

// Defined by the targets' files, one per subsystem.
Outcome pageFile(const QByteArray &data);
Outcome pageIndex(const QByteArray &data);
Outcome recoveryFolder(const QByteArray &data);
Outcome documentImage(const QByteArray &data);
Outcome documentTiff(const QByteArray &data);
Outcome documentPdf(const QByteArray &data);
Outcome esclCapabilities(const QByteArray &data);
Outcome esclLocation(const QByteArray &data);
Outcome esclDocument(const QByteArray &data);
Outcome avahiOutput(const QByteArray &data);
Outcome saneFrames(const QByteArray &data);
Outcome annotationJson(const QByteArray &data);
Outcome pageText(const QByteArray &data);
Outcome scanProfile(const QByteArray &data);

namespace {

struct Entry
{
    const char *name;
    Target target;
};

const Entry entries[] = {
    { "page_file", pageFile },
    { "page_index", pageIndex },
    { "recovery_folder", recoveryFolder },
    { "document_image", documentImage },
    { "document_tiff", documentTiff },
    { "document_pdf", documentPdf },
    { "escl_capabilities", esclCapabilities },
    { "escl_location", esclLocation },
    { "escl_document", esclDocument },
    { "avahi_output", avahiOutput },
    { "sane_frames", saneFrames },
    { "annotation_json", annotationJson },
    { "page_text", pageText },
    { "scan_profile", scanProfile },
};

const QByteArray folderSeparator = QByteArrayLiteral("\n--quirra-page--\n");

// Neither is ever destroyed: the fuzzing runtime ends the process from places
// where Qt's own statics are already gone. The folder goes at exit.
QTemporaryDir *scratch = nullptr;
QGuiApplication *application = nullptr;

void removeScratch()
{
    QDir(scratch->path()).removeRecursively();
}

void dropMessage(QtMsgType, const QMessageLogContext &, const QString &)
{
}

} // namespace

QStringList names()
{
    QStringList list;
    for (const Entry &entry : entries)
        list << QLatin1String(entry.name);
    return list;
}

Target find(const QString &name)
{
    for (const Entry &entry : entries) {
        if (name == QLatin1String(entry.name))
            return entry.target;
    }
    return nullptr;
}

void setUp(int *argc, char **argv)
{
    if (application)
        return;
    scratch = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/quirra-fuzz-XXXXXX"));
    std::atexit(removeScratch);
    const QString base = scratch->path();
    for (const char *folder : { "data", "config", "cache", "runtime" })
        QDir(base).mkpath(QLatin1String(folder));
    QFile::setPermissions(
        base + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_DATA_HOME", QFile::encodeName(base + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(base + QStringLiteral("/config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(base + QStringLiteral("/cache")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(base + QStringLiteral("/runtime")));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QUIRRA_FUZZ_VERBOSE"))
        qInstallMessageHandler(dropMessage);
    application = new QGuiApplication(*argc, argv);
}

QString scratchFolder()
{
    return scratch ? scratch->path() : QDir::tempPath();
}

QByteArray joinFolderParts(const QList<QByteArray> &parts)
{
    QByteArray joined;
    for (int i = 0; i < parts.size(); ++i) {
        if (i > 0)
            joined += folderSeparator;
        joined += parts.at(i);
    }
    return joined;
}

QList<QByteArray> splitFolderParts(const QByteArray &data)
{
    QList<QByteArray> parts;
    int from = 0;
    for (;;) {
        const int at = data.indexOf(folderSeparator, from);
        if (at < 0) {
            parts << data.mid(from);
            return parts;
        }
        parts << data.mid(from, at - from);
        from = at + folderSeparator.size();
    }
}

QByteArray frameInput(
    int format, int depth, int pixelsPerLine, int lines, int bytesPerLine, const QByteArray &bytes, int chunkBytes)
{
    QByteArray input;
    for (const qint32 value : { format, depth, pixelsPerLine, lines, bytesPerLine }) {
        char field[4];
        qToLittleEndian(value, field);
        input.append(field, 4);
    }
    chunkBytes = qBound(1, chunkBytes, 255);
    for (int at = 0; at < bytes.size(); at += chunkBytes) {
        const QByteArray chunk = bytes.mid(at, chunkBytes);
        input.append(char(chunk.size()));
        input.append(chunk);
    }
    return input;
}

} // namespace FuzzTargets
