#include "document/pagecodec.h"

#include <QFile>
#include <QVector>

#include <climits>
#include <cstring>
#include <future>
#include <vector>

#include <lz4.h>
#include <sys/mman.h>
#include <unistd.h>

#include "document/pagelimits.h"

namespace {

constexpr char magic[8] = { 'Q', 'R', 'P', 'A', 'G', 'E', '1', '\0' };
// 256 rows of an A4 colour page at 300 dpi are about 2 MB: big enough for LZ4 to
// find its matches, small enough to spread a page over the cores when reading.
constexpr int bandRows = 256;
constexpr int maxColors = 256;
// LZ4 never writes fewer than one byte for 255 it restores: a band claiming more
// than that of its compressed size is not a band this codec wrote.
constexpr qint64 lz4MaxRatio = 255;

struct Header
{
    char magic[8];
    qint32 width;
    qint32 height;
    qint32 format;
    qint32 bytesPerLine;
    qint32 dotsPerMeterX;
    qint32 dotsPerMeterY;
    qint32 colorCount;
    qint32 bandCount;
};

// Ends a file that carries its page's original stream, right after that stream.
constexpr char originalMagic[8] = { 'Q', 'R', 'O', 'R', 'I', 'G', '1', '\0' };

struct OriginalTrailer
{
    qint64 length; // of the stream before this trailer
    qint32 kind;
    qint32 width;
    qint32 height;
    qint32 flags;
    char magic[8];
};

enum OriginalFlag : qint32 {
    GreyFlag = 1,
    BlackIs1Flag = 2,
};

// Where the bands end in a file of size bytes whose last bytes are tail (at least
// a trailer's worth when size allows): before the original stream when the file
// carries one, at its end otherwise.
qint64 bandsEnd(const uchar *tail, qint64 size, OriginalTrailer *trailer)
{
    if (size < qint64(sizeof(OriginalTrailer) + sizeof(Header)))
        return size;
    std::memcpy(trailer, tail, sizeof(OriginalTrailer));
    if (std::memcmp(trailer->magic, originalMagic, sizeof originalMagic) != 0 || trailer->length <= 0
        || trailer->length >= INT_MAX || trailer->length > size - qint64(sizeof(OriginalTrailer) + sizeof(Header)))
        return size;
    return size - qint64(sizeof(OriginalTrailer)) - trailer->length;
}

// 64-bit: the height comes from a file, and a header claiming a height near 2^31
// must not overflow on the way to being refused.
qint64 bandCountFor(qint64 height)
{
    return (height + bandRows - 1) / bandRows;
}

bool writeAll(QFile &file, const void *data, qint64 size)
{
    return file.write(static_cast<const char *>(data), size) == size;
}

// Decodes bands [first, last) into the image; false on any band that does not
// give exactly its rows.
// The pixels are reached through one pointer taken beforehand: scanLine() on a
// shared QImage from two threads would race on its detach bookkeeping.
bool decodeBands(const uchar *base, const QVector<qint64> &offsets, const QVector<qint32> &sizes, uchar *bits,
    qint64 rowBytes, int height, int first, int last)
{
    for (int band = first; band < last; ++band) {
        const int top = band * bandRows;
        const int rows = qMin(bandRows, height - top);
        const int expected = int(rows * rowBytes);
        const int got = LZ4_decompress_safe(reinterpret_cast<const char *>(base + offsets.at(band)),
            reinterpret_cast<char *>(bits + top * rowBytes), sizes.at(band), expected);
        if (got != expected)
            return false;
    }
    return true;
}

} // namespace

bool PageCodec::writeFile(const QString &path, const QImage &source, QString *errorText, const StoredEncoding &original)
{
    // A file the reader would refuse is never written: such a page stays in
    // memory, where the store keeps every page it cannot write.
    if (!PageLimits::fits(source.size(), source.format())) {
        *errorText = QStringLiteral("page beyond the page limits");
        return false;
    }
    QImage image = source;
    // Rows are stored at the length Qt gives a fresh image of this size, so the
    // reader can decode straight into one.
    const QImage probe(image.width(), 1, image.format());
    if (probe.bytesPerLine() != image.bytesPerLine()) {
        QImage packed(image.size(), image.format());
        packed.setColorTable(image.colorTable());
        packed.setDotsPerMeterX(image.dotsPerMeterX());
        packed.setDotsPerMeterY(image.dotsPerMeterY());
        const size_t rowBytes = size_t(qMin(packed.bytesPerLine(), image.bytesPerLine()));
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(packed.scanLine(y), image.constScanLine(y), rowBytes);
        image = packed;
    }

    Header header {};
    std::memcpy(header.magic, magic, sizeof magic);
    header.width = image.width();
    header.height = image.height();
    header.format = qint32(image.format());
    header.bytesPerLine = qint32(image.bytesPerLine());
    header.dotsPerMeterX = image.dotsPerMeterX();
    header.dotsPerMeterY = image.dotsPerMeterY();
    const QVector<QRgb> colors = image.colorTable();
    header.colorCount = qint32(colors.size());
    header.bandCount = qint32(bandCountFor(image.height()));

    const QString partPath = path + QStringLiteral(".part");
    QFile file(partPath);
    const auto fail = [&]() {
        *errorText = file.errorString();
        file.close();
        QFile::remove(partPath);
        return false;
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail();
    QVector<qint32> sizes(header.bandCount, 0);
    if (!writeAll(file, &header, sizeof header)
        || !writeAll(file, colors.constData(), colors.size() * qint64(sizeof(QRgb))))
        return fail();
    const qint64 sizesAt = file.pos();
    if (!writeAll(file, sizes.constData(), sizes.size() * qint64(sizeof(qint32))))
        return fail();

    const int maxBand = int(qMin<qint64>(bandRows, image.height()) * image.bytesPerLine());
    std::vector<char> compressed(size_t(LZ4_compressBound(maxBand)));
    for (int band = 0; band < header.bandCount; ++band) {
        const int top = band * bandRows;
        const int rows = qMin(bandRows, image.height() - top);
        const int size = LZ4_compress_default(reinterpret_cast<const char *>(image.constScanLine(top)),
            compressed.data(), int(rows * image.bytesPerLine()), int(compressed.size()));
        if (size <= 0) {
            file.close();
            QFile::remove(partPath);
            *errorText = QStringLiteral("LZ4");
            return false;
        }
        sizes[band] = size;
        if (!writeAll(file, compressed.data(), size))
            return fail();
    }
    // A stream that does not decode to this very page would be copied into saved
    // files in place of it.
    if (!original.isNull() && original.size == image.size()) {
        OriginalTrailer trailer {};
        trailer.length = original.bytes.size();
        trailer.kind = qint32(original.kind);
        trailer.width = original.size.width();
        trailer.height = original.size.height();
        trailer.flags = (original.grey ? GreyFlag : 0) | (original.blackIs1 ? BlackIs1Flag : 0);
        std::memcpy(trailer.magic, originalMagic, sizeof originalMagic);
        if (!writeAll(file, original.bytes.constData(), original.bytes.size())
            || !writeAll(file, &trailer, sizeof trailer))
            return fail();
    }
    if (!file.seek(sizesAt) || !writeAll(file, sizes.constData(), sizes.size() * qint64(sizeof(qint32))))
        return fail();
    // The rename below is what makes the page visible; a power cut must not find
    // it named with blocks the disk never received.
    if (!file.flush() || ::fdatasync(file.handle()) != 0)
        return fail();
    file.close();
    if (::rename(QFile::encodeName(partPath).constData(), QFile::encodeName(path).constData()) != 0) {
        *errorText = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(partPath);
        return false;
    }
    return true;
}

namespace {

// The whole file mapped with its pages faulted in by the kernel in one go: a page
// is read in full, and one fault per 4 kB costs more than the copy it saves.
class Mapping
{
public:
    explicit Mapping(const QFile &file, qint64 size)
        : size(size)
    {
        if (size > 0) {
            void *mapped = ::mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.handle(), 0);
            if (mapped != MAP_FAILED)
                address = static_cast<const uchar *>(mapped);
        }
    }
    ~Mapping()
    {
        if (address)
            ::munmap(const_cast<uchar *>(address), size_t(size));
    }
    Mapping(const Mapping &) = delete;
    Mapping &operator=(const Mapping &) = delete;

    const uchar *data() const { return address; }

private:
    const uchar *address = nullptr;
    qint64 size;
};

// Reads and checks the header and the band table of a page file of size bytes;
// data holds at least the header and the tables, which is all that is read.
// Every claim is checked before anything is allocated for it: the size against
// the page limits, the row length against the one Qt gives such an image, the
// band table against the file's size, each band's rows against what its
// compressed bytes can hold.
bool parse(const uchar *data, qint64 size, Header *header, QVector<QRgb> *colors, QVector<qint32> *sizes,
    QVector<qint64> *offsets)
{
    if (size < qint64(sizeof(Header)))
        return false;
    std::memcpy(header, data, sizeof(Header));
    if (std::memcmp(header->magic, magic, sizeof magic) != 0 || header->colorCount < 0 || header->colorCount > maxColors
        || header->format <= QImage::Format_Invalid || header->format >= QImage::NImageFormats)
        return false;
    const QSize pageSize(header->width, header->height);
    const QImage::Format format = QImage::Format(header->format);
    if (!PageLimits::fits(pageSize, format)
        || header->bytesPerLine != PageLimits::bytesPerLine(pageSize.width(), format)
        || header->bandCount != bandCountFor(header->height))
        return false;
    qint64 at = sizeof(Header);
    const qint64 tableBytes = header->colorCount * qint64(sizeof(QRgb)) + header->bandCount * qint64(sizeof(qint32));
    if (size < at + tableBytes)
        return false;
    colors->resize(header->colorCount);
    std::memcpy(colors->data(), data + at, size_t(header->colorCount) * sizeof(QRgb));
    at += header->colorCount * qint64(sizeof(QRgb));
    sizes->resize(header->bandCount);
    std::memcpy(sizes->data(), data + at, size_t(header->bandCount) * sizeof(qint32));
    at += header->bandCount * qint64(sizeof(qint32));
    offsets->resize(header->bandCount);
    for (int band = 0; band < header->bandCount; ++band) {
        const qint64 rows = qMin<qint64>(bandRows, header->height - qint64(band) * bandRows);
        const qint32 bandBytes = sizes->at(band);
        if (bandBytes <= 0 || at + bandBytes > size || rows * header->bytesPerLine > bandBytes * lz4MaxRatio)
            return false;
        (*offsets)[band] = at;
        at += bandBytes;
    }
    return at == size;
}

} // namespace

bool PageCodec::inspect(const QString &path, qint64 *imageBytes)
{
    // Only the header and the band table are read: start-up inspects every page
    // a crashed session left, and those may be thousands of large files.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray head = file.read(sizeof(Header));
    if (head.size() != int(sizeof(Header)))
        return false;
    Header header {};
    std::memcpy(&header, head.constData(), sizeof(Header));
    // The band table of the largest page there may be; a header claiming more
    // is refused before its table is read.
    const qint64 maxBands = bandCountFor(PageLimits::maxPixels);
    if (header.colorCount < 0 || header.colorCount > maxColors || header.bandCount < 0 || header.bandCount > maxBands)
        return false;
    const qint64 tableBytes = header.colorCount * qint64(sizeof(QRgb)) + header.bandCount * qint64(sizeof(qint32));
    head += file.read(tableBytes);
    if (head.size() != qint64(sizeof(Header)) + tableBytes)
        return false;
    const qint64 size = file.size();
    QByteArray tail;
    if (size >= qint64(sizeof(OriginalTrailer)) && file.seek(size - qint64(sizeof(OriginalTrailer))))
        tail = file.read(sizeof(OriginalTrailer));
    OriginalTrailer trailer {};
    const qint64 end = tail.size() == int(sizeof(OriginalTrailer))
        ? bandsEnd(reinterpret_cast<const uchar *>(tail.constData()), size, &trailer)
        : size;
    QVector<QRgb> colors;
    QVector<qint32> sizes;
    QVector<qint64> offsets;
    if (!parse(reinterpret_cast<const uchar *>(head.constData()), end, &header, &colors, &sizes, &offsets))
        return false;
    *imageBytes = qint64(header.bytesPerLine) * header.height;
    return true;
}

QImage PageCodec::readFile(const QString &path, QString *errorText, QImage *reuse)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *errorText = file.errorString();
        return QImage();
    }
    const qint64 size = file.size();
    const Mapping mapping(file, size);
    const uchar *data = mapping.data();
    Header header {};
    QVector<QRgb> colors;
    QVector<qint32> sizes;
    QVector<qint64> offsets;
    OriginalTrailer trailer {};
    const qint64 end = data && size >= qint64(sizeof(OriginalTrailer))
        ? bandsEnd(data + size - qint64(sizeof(OriginalTrailer)), size, &trailer)
        : size;
    if (!data || !parse(data, end, &header, &colors, &sizes, &offsets)) {
        *errorText = QStringLiteral("not a complete page file");
        return QImage();
    }
    const QImage::Format format = QImage::Format(header.format);
    // A fresh 26 MB image costs thousands of page faults; one of the same shape
    // that nobody else holds is simply overwritten.
    const bool fits = reuse && reuse->width() == header.width && reuse->height() == header.height
        && reuse->format() == format && reuse->isDetached();
    QImage image = fits ? QImage() : QImage(header.width, header.height, format);
    if (fits)
        image.swap(*reuse);
    if (image.isNull() || image.bytesPerLine() != header.bytesPerLine) {
        *errorText = QStringLiteral("page too large or of another row length");
        return QImage();
    }
    image.setColorTable(colors);
    image.setDotsPerMeterX(header.dotsPerMeterX);
    image.setDotsPerMeterY(header.dotsPerMeterY);

    // The second half of the bands on a helper thread: the read is what the user
    // waits for when selecting a page that is not in memory.
    uchar *bits = image.bits();
    const qint64 rowBytes = image.bytesPerLine();
    const int half = header.bandCount / 2;
    bool ok = true;
    if (half > 0) {
        std::future<bool> second = std::async(std::launch::async | std::launch::deferred, decodeBands, data,
            std::cref(offsets), std::cref(sizes), bits, rowBytes, header.height, half, int(header.bandCount));
        ok = decodeBands(data, offsets, sizes, bits, rowBytes, header.height, 0, half);
        ok = second.get() && ok;
    } else {
        ok = decodeBands(data, offsets, sizes, bits, rowBytes, header.height, 0, header.bandCount);
    }
    if (!ok) {
        *errorText = QStringLiteral("damaged page data");
        return QImage();
    }
    if (reuse)
        *reuse = image;
    return image;
}

StoredEncoding PageCodec::readOriginal(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return StoredEncoding();
    const qint64 size = file.size();
    if (size < qint64(sizeof(OriginalTrailer)) || !file.seek(size - qint64(sizeof(OriginalTrailer))))
        return StoredEncoding();
    const QByteArray tail = file.read(sizeof(OriginalTrailer));
    OriginalTrailer trailer {};
    if (tail.size() != int(sizeof(OriginalTrailer))
        || bandsEnd(reinterpret_cast<const uchar *>(tail.constData()), size, &trailer) == size)
        return StoredEncoding();
    if (trailer.kind != qint32(StoredEncoding::Kind::Jpeg) && trailer.kind != qint32(StoredEncoding::Kind::G4))
        return StoredEncoding();
    StoredEncoding original;
    original.kind = StoredEncoding::Kind(trailer.kind);
    original.size = QSize(trailer.width, trailer.height);
    original.grey = trailer.flags & GreyFlag;
    original.blackIs1 = trailer.flags & BlackIs1Flag;
    if (!file.seek(size - qint64(sizeof(OriginalTrailer)) - trailer.length))
        return StoredEncoding();
    original.bytes = file.read(trailer.length);
    if (original.bytes.size() != trailer.length || original.isNull())
        return StoredEncoding();
    return original;
}
