// The document's parsers: page files, the recovery index and folder, and the
// files a user opens (images, multi-page TIFFs, PDFs), each through the code
// the program itself runs.
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTransform>

#include "document/documentmanager.h"
#include "document/pagecodec.h"
#include "document/pageindex.h"
#include "document/pagerecovery.h"
#include "document/pagetext.h"
#include "document/pdftextlayer.h"
#include "document/pagestore.h"
#include "fuzz/fuzztargets.h"

namespace FuzzTargets {

namespace {

QString inputPath(const QString &name)
{
    return scratchFolder() + QLatin1Char('/') + name;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

Outcome loadAs(const QByteArray &data, const QString &suffix)
{
    const QString path = inputPath(QStringLiteral("input.") + suffix);
    if (!writeFile(path, data))
        return { true, QStringLiteral("cannot write the input") };
    Outcome outcome;
    DocumentManager document;
    QObject::connect(&document, &DocumentManager::documentError,
        [&outcome](const QString &message) { outcome.message += message + QLatin1Char('\n'); });
    outcome.refused = !document.loadDocument(path);
    if (!outcome.refused)
        outcome.message += QStringLiteral("%1 pages").arg(document.pageCount());
    QFile::remove(path);
    return outcome;
}

} // namespace

Outcome pageFile(const QByteArray &data)
{
    const QString path = inputPath(QStringLiteral("page-1.qpage"));
    if (!writeFile(path, data))
        return { true, QStringLiteral("cannot write the input") };
    Outcome outcome;
    qint64 bytes = 0;
    const bool inspected = PageCodec::inspect(path, &bytes);
    QString errorText;
    const QImage image = PageCodec::readFile(path, &errorText);
    // The stream an imported page carries is read on its own, by the writers.
    const StoredEncoding original = PageCodec::readOriginal(path);
    QFile::remove(path);
    // The quick look at start-up and the full read must agree on what a page is.
    if (inspected && !image.isNull() && image.sizeInBytes() != bytes)
        qFatal("inspect and readFile disagree on the size of a page");
    outcome.refused = image.isNull();
    outcome.message = outcome.refused ? errorText : QStringLiteral("%1 bytes").arg(image.sizeInBytes());
    if (!original.isNull())
        outcome.message += QStringLiteral(", original of %1 bytes").arg(original.bytes.size());
    return outcome;
}

Outcome pageIndex(const QByteArray &data)
{
    PageIndex index;
    if (!index.fromJson(data))
        return { true, QStringLiteral("not an index") };
    // What is read back must write out as the same index.
    PageIndex again;
    if (!again.fromJson(index.toJson()) || again.pages != index.pages || again.title != index.title)
        qFatal("an index does not survive its own round trip");
    return { false, QStringLiteral("%1 pages").arg(index.pages.size()) };
}

Outcome recoveryFolder(const QByteArray &data)
{
    const QString root = PageStore::rootFolder();
    const QString folder = root + QStringLiteral("/crashed");
    QDir(root).removeRecursively();
    QDir().mkpath(folder);
    const QList<QByteArray> parts = splitFolderParts(data);
    writeFile(folder + QLatin1Char('/') + PageIndex::fileName(), parts.value(0));
    for (int i = 1; i < parts.size(); ++i)
        writeFile(folder + QStringLiteral("/page-%1.qpage").arg(i), parts.at(i));

    Outcome outcome { true, QStringLiteral("nothing offered") };
    const QList<RecoverableFolder> found = PageRecovery::find(root);
    if (!found.isEmpty()) {
        DocumentManager document;
        if (document.recoverPages(found.first())) {
            // Every page recovered is read back, as showing and saving it would.
            int readable = 0;
            for (int i = 0; i < document.pageCount(); ++i)
                readable += document.page(i).isNull() ? 0 : 1;
            outcome = { false,
                QStringLiteral("%1 of %2 pages, %3 damaged")
                    .arg(readable)
                    .arg(document.pageCount())
                    .arg(found.first().damaged.size()) };
        } else {
            outcome.message = QStringLiteral("not recovered");
        }
    }
    QDir(root).removeRecursively();
    return outcome;
}

Outcome documentImage(const QByteArray &data)
{
    // The first byte picks the suffix, so one corpus reaches every image reader.
    static const QStringList suffixes { QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("bmp"),
        QStringLiteral("tif") };
    if (data.isEmpty())
        return { true, QStringLiteral("empty") };
    return loadAs(data.mid(1), suffixes.at(uchar(data.at(0)) % suffixes.size()));
}

Outcome documentTiff(const QByteArray &data)
{
    return loadAs(data, QStringLiteral("tif"));
}

Outcome documentPdf(const QByteArray &data)
{
    return loadAs(data, QStringLiteral("pdf"));
}

} // namespace FuzzTargets

namespace FuzzTargets {

// A page's recognised text as the page store keeps it beside the page file (read
// back with a recovered document), laid over a page the way the PDF writer does.
Outcome pageText(const QByteArray &data)
{
    PageText text;
    if (!PageText::fromJson(data, &text))
        return { true, QStringLiteral("not a page text") };
    PageText again;
    if (!PageText::fromJson(text.toJson(), &again) || again.wordCount() != text.wordCount())
        qFatal("a page text does not survive its own round trip");
    const QTransform toPoints = QTransform::fromScale(0.24, 0.24);
    const QByteArray content = PdfTextLayer::pageContent(text, toPoints, QByteArrayLiteral("/TT0"));
    text.plainText();
    return { false, QStringLiteral("%1 words, %2 bytes of content").arg(text.wordCount()).arg(content.size()) };
}

} // namespace FuzzTargets
