#include "imaging/imageprocessor.h"

#include <QDebug>
#include <QMap>
#include <QTransform>

#include <cmath>

namespace {

bool isSet(const QImage &mono, int x, int y)
{
    return (mono.constScanLine(y)[x >> 3] >> (7 - (x & 7))) & 1;
}

} // namespace

QImage ImageProcessor::detectEdges(const QImage &image)
{
    if (image.isNull())
        return QImage();
    static const QVector<double> sobelX = { -1, 0, 1, -2, 0, 2, -1, 0, 1 };
    static const QVector<double> sobelY = { -1, -2, -1, 0, 0, 0, 1, 2, 1 };
    const QImage gx = applyKernel(image, sobelX, 3);
    const QImage gy = applyKernel(image, sobelY, 3);
    const int width = image.width();
    const int height = image.height();
    QImage magnitude(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        const auto *lx = reinterpret_cast<const QRgb *>(gx.constScanLine(y));
        const auto *ly = reinterpret_cast<const QRgb *>(gy.constScanLine(y));
        uchar *out = magnitude.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int g1 = qRed(lx[x]);
            const int g2 = qRed(ly[x]);
            out[x] = static_cast<uchar>(qMin(255, static_cast<int>(std::sqrt(double(g1 * g1 + g2 * g2)))));
        }
    }
    return toBinary(magnitude, 100);
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

    QMap<double, int> votesByAngle;
    double angle = -15.0;
    for (int n = 0; n < 151; ++n, angle += 0.2) {
        const double c = std::cos(angle * M_PI / 180.0);
        const double s = std::sin(angle * M_PI / 180.0);
        int votes = 0;
        if (height > 20 && width > 20) {
            for (int y = 10; y <= 10 + (height - 21) / 8 * 8; y += 8) {
                for (int x = 10; x <= 10 + (width - 21) / 8 * 8; x += 8) {
                    if (!isSet(edges, x, y))
                        continue;
                    int hits = 0;
                    for (int i = -reach; i <= reach; i += 2) {
                        const int px = static_cast<int>(c * i + x);
                        const int py = static_cast<int>(s * i + y);
                        if (px >= 0 && px < width && py >= 0 && py < height && isSet(edges, px, py))
                            ++hits;
                    }
                    if (hits > minimumHits)
                        ++votes;
                }
            }
        }
        if (votes > 0)
            votesByAngle[angle] = votes;
    }

    double bestAngle = 0.0;
    int bestVotes = 0;
    for (auto it = votesByAngle.constBegin(); it != votesByAngle.constEnd(); ++it) {
        if (it.value() > bestVotes) {
            bestVotes = it.value();
            bestAngle = it.key();
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

    QVector<int> counts(height, 0);
    qint64 sum = 0;
    for (int y = 0; y < height; ++y) {
        int count = 0;
        for (int x = 0; x < width; ++x) {
            if (!isSet(binary, x, y))
                ++count;
        }
        counts[y] = count;
        sum += count;
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

    QVector<double> angles;
    for (int i = 0; i + 1 < textRows.size(); ++i) {
        const int y1 = textRows[i];
        const int y2 = textRows[i + 1];
        qint64 n1 = 0, sx1 = 0, n2 = 0, sx2 = 0;
        for (int x = 0; x < width; ++x) {
            if (!isSet(binary, x, y1)) {
                ++n1;
                sx1 += x;
            }
            if (!isSet(binary, x, y2)) {
                ++n2;
                sx2 += x;
            }
        }
        if (n1 > 0 && n2 > 0) {
            const qint64 dx = sx2 / n2 - sx1 / n1;
            angles.append(std::atan2(double(dx), double(y2 - y1)) * 180 / M_PI);
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
    const QImage gray = toGrayscale(image);
    emit processingProgress(10);
    const double lineAngle = detectSkewByLines(gray);
    emit processingProgress(30);
    qDebug() << "基于线条检测的倾斜角度: " << lineAngle;
    const double textAngle = detectSkewByText(gray);
    emit processingProgress(50);
    qDebug() << "基于文字检测的倾斜角度: " << textAngle;

    const bool lineDecided = std::fabs(lineAngle) > 0.1;
    const bool textDecided = std::fabs(textAngle) > 0.1;
    double finalAngle = 0.0;
    if (lineDecided && textDecided) {
        finalAngle = (lineAngle + textAngle) * 0.5;
        qDebug() << "综合两种方法，最终倾斜角度: " << finalAngle;
    } else if (lineDecided) {
        finalAngle = lineAngle;
        qDebug() << "使用线条检测结果: " << finalAngle;
    } else if (textDecided) {
        finalAngle = textAngle;
        qDebug() << "使用文字检测结果: " << finalAngle;
    }
    if (std::fabs(finalAngle) < 0.1) {
        qDebug() << "图像倾斜角度很小，无需校正";
        emit processingProgress(100);
        return image.copy();
    }
    const QImage rotated = image.transformed(QTransform().rotate(-finalAngle), Qt::SmoothTransformation);
    emit processingProgress(90);
    QImage result = cropToRotatedContent(rotated, finalAngle);
    emit processingProgress(100);
    qDebug() << "倾斜校正完成，校正角度: " << finalAngle << " 度";
    return result;
}
