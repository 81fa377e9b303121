#include "imaging/imageprocessor.h"

#include <QDebug>
#include <QMap>
#include <QPainter>
#include <QTransform>

#include <cmath>
#include <mutex>

#include "imaging/rowwriter.h"
#include "imaging/skewestimator.h"

namespace {

bool isSet(const uchar *line, int x)
{
    return (line[x >> 3] >> (7 - (x & 7))) & 1;
}

// Red channel of one row of the page as the ARGB32 copy has it, with one repeated
// pixel on each side (the kernel's edge rule).
void paddedRedRow(const QImage &source, int y, int *out)
{
    const int width = source.width();
    if (source.format() == QImage::Format_Grayscale8) {
        const uchar *in = source.constScanLine(y);
        for (int x = 0; x < width; ++x)
            out[x + 1] = in[x];
    } else {
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        for (int x = 0; x < width; ++x)
            out[x + 1] = qRed(in[x]);
    }
    out[0] = out[1];
    out[width + 1] = out[width];
}

int popcount8(uchar byte)
{
    return __builtin_popcount(byte);
}

} // namespace

QImage ImageProcessor::detectEdges(const QImage &image)
{
    if (image.isNull())
        return QImage();
    // Both Sobel responses come from the red channel of the page (the grey value for a
    // grey page); the integer weights make every double sum of the kernel exact, so
    // integer arithmetic gives the same numbers. trunc(sqrt(n)) > 100 is n >= 101 * 101.
    const QImage::Format format = image.format();
    const QImage source
        = (format == QImage::Format_Grayscale8 || format == QImage::Format_ARGB32 || format == QImage::Format_RGB32)
        ? image
        : image.convertToFormat(QImage::Format_ARGB32);
    const int width = source.width();
    const int height = source.height();
    QImage result(width, height, QImage::Format_Mono);
    if (result.isNull())
        return result;
    result.setDotsPerMeterX(image.dotsPerMeterX());
    result.setDotsPerMeterY(image.dotsPerMeterY());
    result.setColorTable({ qRgb(0, 0, 0), qRgb(255, 255, 255) });
    auto percent = [height](int y) {
        return y * 100 / height;
    };
    const RowWriter rows(result);
    runRows(width, height, 20, percent, [&](int first, int end) {
        QVector<int> padded(3 * (width + 2));
        int *above = padded.data();
        int *current = above + width + 2;
        int *below = current + width + 2;
        paddedRedRow(source, qMax(0, first - 1), above);
        paddedRedRow(source, first, current);
        for (int y = first; y < end; ++y) {
            paddedRedRow(source, qMin(height - 1, y + 1), below);
            uchar *out = rows(y);
            memset(out, 0, size_t((width + 7) / 8));
            for (int x = 0; x < width; ++x) {
                const int gx
                    = (above[x + 2] - above[x]) + 2 * (current[x + 2] - current[x]) + (below[x + 2] - below[x]);
                const int gy
                    = (below[x] + 2 * below[x + 1] + below[x + 2]) - (above[x] + 2 * above[x + 1] + above[x + 2]);
                const int g1 = qBound(0, gx, 255);
                const int g2 = qBound(0, gy, 255);
                if (g1 * g1 + g2 * g2 >= 101 * 101)
                    out[x >> 3] |= uchar(0x80 >> (x & 7));
            }
            int *oldest = above;
            above = current;
            current = below;
            below = oldest;
        }
    });
    // The progress of the second response and of the two-level step, as separate
    // passes would report it.
    emit processingProgress(100);
    for (int y = 0; y < height; y += 20)
        reportProgress(percent(y));
    emit processingProgress(100);
    qDebug() << "图像已转换为灰度";
    for (int y = 0; y < height; y += 20)
        reportProgress(percent(y));
    emit processingProgress(100);
    qDebug() << "图像已转换为二值图像，阈值: " << 100;
    return result;
}

double ImageProcessor::detectSkewByLines(const QImage &gray)
{
    qDebug() << "开始基于线条检测倾斜角度...";
    const QImage edges = detectEdges(gray);
    const int width = edges.width();
    const int height = edges.height();
    const int shorter = qMin(width, height);
    const int reach = shorter < 510 ? shorter / 10 : 50;
    const int minimumHits = reach / 3;

    // The seeds are the same for every angle: the edge pixels of the 8-pixel grid.
    QVector<QPoint> seeds;
    if (height > 20 && width > 20) {
        for (int y = 10; y <= 10 + (height - 21) / 8 * 8; y += 8) {
            const uchar *line = edges.constScanLine(y);
            for (int x = 10; x <= 10 + (width - 21) / 8 * 8; x += 8) {
                if (isSet(line, x))
                    seeds.append(QPoint(x, y));
            }
        }
    }

    constexpr int angleCount = 151;
    double angles[angleCount];
    double angle = -15.0;
    for (int n = 0; n < angleCount; ++n, angle += 0.2)
        angles[n] = angle;
    const int samples = reach + 1; // i = -reach, -reach + 2, ... <= reach
    // Ray offsets of every angle. A sample is trunc(c * i + x): for an integer x this
    // is floor(c * i) + x, except that a sum in (-1, 0) truncates to 0 - unless the
    // fraction of c * i lies so close to 0 or 1 that the rounding of the sum could
    // cross an integer. Such angles take the double path (the one next to 0, whose
    // s * i are tiny negative numbers, does).
    struct Offset
    {
        int whole;
        int fraction; // 1 when c * i is not an integer
    };
    QVector<Offset> along(angleCount * samples);
    QVector<Offset> across(angleCount * samples);
    QVector<double> alongExact(angleCount * samples);
    QVector<double> acrossExact(angleCount * samples);
    bool integerPath[angleCount];
    for (int n = 0; n < angleCount; ++n) {
        const double c = std::cos(angles[n] * M_PI / 180.0);
        const double s = std::sin(angles[n] * M_PI / 180.0);
        integerPath[n] = true;
        for (int i = -reach, k = 0; i <= reach; i += 2, ++k) {
            const double values[2] = { c * i, s * i };
            Offset *targets[2] = { &along[n * samples + k], &across[n * samples + k] };
            for (int axis = 0; axis < 2; ++axis) {
                const double whole = std::floor(values[axis]);
                const double fraction = values[axis] - whole;
                if (fraction != 0.0 && (fraction < 1e-6 || fraction > 1 - 1e-6))
                    integerPath[n] = false;
                *targets[axis] = { int(whole), fraction != 0.0 ? 1 : 0 };
            }
            alongExact[n * samples + k] = values[0];
            acrossExact[n * samples + k] = values[1];
        }
    }

    // Edge pixels as bytes, with a zero margin wider than a ray so samples need no
    // bounds test.
    const int margin = reach + 2;
    const int paddedWidth = width + 2 * margin;
    QVector<uchar> map(seeds.isEmpty() ? 0 : qsizetype(paddedWidth) * (height + 2 * margin), 0);
    if (!seeds.isEmpty()) {
        // Eight pixels at a time; the bits past the width are zero, and the margin
        // (wider than 7) takes the few bytes written past the row.
        quint64 spread[256];
        for (int byte = 0; byte < 256; ++byte) {
            uchar pixels[8];
            for (int bit = 0; bit < 8; ++bit)
                pixels[bit] = uchar((byte >> (7 - bit)) & 1);
            memcpy(&spread[byte], pixels, 8);
        }
        for (int y = 0; y < height; ++y) {
            const uchar *line = edges.constScanLine(y);
            uchar *out = map.data() + (y + margin) * paddedWidth + margin;
            for (int byte = 0; byte < (width + 7) / 8; ++byte)
                memcpy(out + 8 * byte, &spread[line[byte]], 8);
        }
    }
    const uchar *origin = map.constData() + margin * paddedWidth + margin;
    QVector<int> offsets(angleCount * samples);
    for (int j = 0; j < angleCount * samples; ++j)
        offsets[j] = across[j].whole * paddedWidth + along[j].whole;

    int votes[angleCount] = {};
    std::mutex merge;
    // Seed by seed (its neighbourhood stays in the cache for all 151 rays), the seeds
    // shared among the threads; the per-angle counts are summed. No progress here.
    runRows(
        angleCount * samples, seeds.size(), 0, [](int) { return 0; },
        [&](int first, int end) {
            int local[angleCount] = {};
            for (int index = first; index < end; ++index) {
                const int x = seeds[index].x();
                const int y = seeds[index].y();
                // |c * i| and |s * i| never exceed the reach.
                const bool awayFromEdge = x > reach && y > reach;
                const uchar *seedPixel = origin + y * paddedWidth + x;
                for (int n = 0; n < angleCount; ++n) {
                    int hits = 0;
                    // In groups of four samples; between groups, enough hits decide the
                    // vote, and so do too few samples left to reach it.
                    if (integerPath[n] && awayFromEdge) {
                        // No sample can reach column or row -1 here, so each is a
                        // fixed offset from the seed.
                        const int *offset = offsets.constData() + n * samples;
                        for (int k = 0; k < samples;) {
                            const int stop = qMin(samples, k + 4);
                            for (; k < stop; ++k)
                                hits += seedPixel[offset[k]];
                            if (hits > minimumHits || hits + (samples - k) <= minimumHits)
                                break;
                        }
                    } else if (integerPath[n]) {
                        const Offset *dx = along.constData() + n * samples;
                        const Offset *dy = across.constData() + n * samples;
                        for (int k = 0; k < samples;) {
                            const int stop = qMin(samples, k + 4);
                            for (; k < stop; ++k) {
                                int px = dx[k].whole + x;
                                int py = dy[k].whole + y;
                                px += int(px == -1) & dx[k].fraction;
                                py += int(py == -1) & dy[k].fraction;
                                hits += origin[py * paddedWidth + px];
                            }
                            if (hits > minimumHits || hits + (samples - k) <= minimumHits)
                                break;
                        }
                    } else {
                        const double *dx = alongExact.constData() + n * samples;
                        const double *dy = acrossExact.constData() + n * samples;
                        for (int k = 0; k < samples; ++k) {
                            const int px = static_cast<int>(dx[k] + x);
                            const int py = static_cast<int>(dy[k] + y);
                            if (uint(px) < uint(width) && uint(py) < uint(height))
                                hits += origin[py * paddedWidth + px];
                        }
                    }
                    if (hits > minimumHits)
                        ++local[n];
                }
            }
            std::lock_guard<std::mutex> lock(merge);
            for (int n = 0; n < angleCount; ++n)
                votes[n] += local[n];
        });

    double bestAngle = 0.0;
    int bestVotes = 0;
    for (int n = 0; n < angleCount; ++n) {
        if (votes[n] > bestVotes) {
            bestVotes = votes[n];
            bestAngle = angles[n];
        }
    }
    qDebug() << "线条检测完成，最佳角度:" << bestAngle << "得票:" << bestVotes;
    return bestVotes > 9 ? bestAngle : 0.0;
}

double ImageProcessor::detectSkewByText(const QImage &image)
{
    qDebug() << "开始基于文字检测倾斜角度...";
    const QImage binary = binarize(image, -1);
    if (binary.isNull())
        return 0.0;
    const int width = binary.width();
    const int height = binary.height();
    const int fullBytes = width / 8;
    const int tailBits = width % 8;

    QVector<int> counts(height, 0);
    qint64 sum = 0;
    for (int y = 0; y < height; ++y) {
        const uchar *line = binary.constScanLine(y);
        int white = 0;
        for (int i = 0; i < fullBytes; ++i)
            white += popcount8(line[i]);
        if (tailBits)
            white += popcount8(uchar(line[fullBytes] & (0xff00 >> tailBits)));
        counts[y] = width - white;
        sum += counts[y];
    }
    const qint64 average = sum / height;

    QVector<int> textRows;
    for (int y = 0; y < height; ++y) {
        if (counts[y] > average * 1.5)
            textRows.append(y);
    }
    if (textRows.size() < 3) {
        qDebug() << "检测到的文字行太少，无法判断倾斜";
        return 0.0;
    }

    // Mean column of the black pixels of each text row (integer division, as defined).
    auto blackColumnSum = [&](int y) {
        const uchar *line = binary.constScanLine(y);
        qint64 columns = 0;
        for (int x = 0; x < width; ++x) {
            if (!isSet(line, x))
                columns += x;
        }
        return columns;
    };
    QVector<qint64> columnSums(textRows.size());
    for (int i = 0; i < textRows.size(); ++i)
        columnSums[i] = blackColumnSum(textRows[i]);

    QVector<double> angles;
    for (int i = 0; i + 1 < textRows.size(); ++i) {
        const qint64 n1 = counts[textRows[i]];
        const qint64 n2 = counts[textRows[i + 1]];
        if (n1 > 0 && n2 > 0) {
            const qint64 dx = columnSums[i + 1] / n2 - columnSums[i] / n1;
            angles.append(std::atan2(double(dx), double(textRows[i + 1] - textRows[i])) * 180 / M_PI);
        }
    }
    if (angles.isEmpty())
        return 0.0;
    double total = 0;
    for (double a : angles)
        total += a;
    const double result = total / angles.size();
    qDebug() << "文字检测完成，平均倾斜角度:" << result;
    return result;
}

QImage ImageProcessor::deskew(const QImage &image)
{
    if (image.isNull()) {
        qDebug() << "无法进行倾斜校正：空图像";
        return QImage();
    }
    emit processingProgress(0);
    qDebug() << "开始倾斜校正处理（增强版）...";
    // The two estimators above measure poorly on real pages (the text rows are
    // mostly neighbouring pixel rows of one line, the line vote is off by a
    // degree or more), so the angle comes from the projection profiles.
    const SkewEstimate estimate = SkewEstimator::estimate(image);
    reportProgress(50);
    qDebug() << "基于投影检测的倾斜角度: " << estimate.angle << "置信度:" << estimate.confidence;
    const double finalAngle = estimate.certain ? estimate.angle : 0.0;
    if (std::fabs(finalAngle) < 0.1) {
        qDebug() << "图像倾斜角度很小，无需校正";
        emit processingProgress(100);
        return image.copy();
    }
    const QImage rotated = turnOntoPaper(image, -finalAngle);
    reportProgress(90);
    QImage result = keepFormatOf(image, cropToRotatedContent(rotated, finalAngle));
    result.setDotsPerMeterX(image.dotsPerMeterX());
    result.setDotsPerMeterY(image.dotsPerMeterY());
    emit processingProgress(100);
    qDebug() << "倾斜校正完成，校正角度: " << finalAngle << " 度";
    return result;
}

namespace {

// Most pages with an alpha channel got it from a colour operation and are opaque.
bool hasTransparency(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 255)
                return true;
        }
    }
    return false;
}

} // namespace

QImage ImageProcessor::turnOntoPaper(const QImage &image, double angle)
{
    const bool alpha = hasTransparency(image);
    const QImage source = image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const QImage turned = source.transformed(QTransform().rotate(angle), Qt::SmoothTransformation);
    if (alpha || turned.isNull())
        return turned;
    // The corners the turn uncovers would be black in an opaque page.
    QImage paper(turned.size(), QImage::Format_RGB32);
    if (paper.isNull())
        return turned;
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.drawImage(0, 0, turned);
    painter.end();
    return paper;
}

QImage ImageProcessor::keepFormatOf(const QImage &original, const QImage &result)
{
    if (result.isNull() || result.format() == original.format())
        return result;
    QImage converted;
    if (original.format() == QImage::Format_Mono || original.format() == QImage::Format_MonoLSB) {
        // A two-level page stays two-level with its own colour table, its print
        // thresholded rather than dithered.
        const QImage grey = result.convertToFormat(QImage::Format_Grayscale8);
        converted = QImage(grey.size(), original.format());
        const QVector<QRgb> colours
            = original.colorCount() == 2 ? original.colorTable() : QVector<QRgb> { qRgb(0, 0, 0), qRgb(255, 255, 255) };
        converted.setColorTable(colours);
        const uint dark = qGray(colours[0]) <= qGray(colours[1]) ? 0 : 1;
        for (int y = 0; y < grey.height(); ++y) {
            const uchar *in = grey.constScanLine(y);
            for (int x = 0; x < grey.width(); ++x)
                converted.setPixel(x, y, in[x] < 128 ? dark : 1 - dark);
        }
    } else if (original.format() == QImage::Format_Indexed8) {
        converted = result.convertToFormat(QImage::Format_RGB32);
    } else {
        converted = result.convertToFormat(original.format());
    }
    if (converted.isNull())
        return result;
    converted.setDotsPerMeterX(original.dotsPerMeterX());
    converted.setDotsPerMeterY(original.dotsPerMeterY());
    return converted;
}
