#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>

#include <random>

// Pages of known text for the recognition tests and benchmarks: Chinese and
// English lines drawn at 300 dpi in the Chinese font the application installs,
// with grain and specks like a scanner's. Header only, so the benchmarks use the
// same pages without the test library.
namespace TextPages {

struct Word
{
    QString text;
    QRect box; // the word's ink, in page pixels
};

struct Page
{
    QImage image;
    QStringList lines; // what was drawn, one entry per line
    QVector<Word> words; // each English word and each Chinese line, with its box
};

inline const QStringList &chineseLines()
{
    static const QStringList lines {
        QStringLiteral("本合同自双方签字盖章之日起生效"),
        QStringLiteral("请于本月二十日前缴纳物业管理费"),
        QStringLiteral("发票金额以实际收到的款项为准"),
        QStringLiteral("会议将在三楼大会议室准时举行"),
        QStringLiteral("甲方应当按照约定支付全部货款"),
        QStringLiteral("停车场下周一起暂停对外开放"),
        QStringLiteral("乙方负责设备的安装调试与维护"),
        QStringLiteral("如有疑问请联系行政部门办公室"),
        QStringLiteral("本通知的解释权归管理委员会所有"),
        QStringLiteral("逾期未付的款项将按日计算利息"),
        QStringLiteral("合同一式两份双方各执一份为凭"),
        QStringLiteral("报销单据须经部门经理审核签字"),
    };
    return lines;
}

inline const QStringList &englishLines()
{
    static const QStringList lines {
        QStringLiteral("Invoice number 20240517 due within thirty days"),
        QStringLiteral("The tenant shall keep the premises clean"),
        QStringLiteral("Please bring this notice to the front desk"),
        QStringLiteral("Payment received with thanks from Lambert"),
        QStringLiteral("Delivery address Harbour Road Building 7"),
        QStringLiteral("This agreement is governed by local law"),
        QStringLiteral("Contact the office for any further questions"),
        QStringLiteral("Total amount payable including tax 1280.50"),
    };
    return lines;
}

// Specks and grain on a grey page; the same seed gives the same page.
inline void addNoise(QImage *image, unsigned seed, double grain)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> normal(0, grain);
    std::uniform_int_distribution<int> speck(0, 4000);
    for (int y = 0; y < image->height(); ++y) {
        uchar *row = image->scanLine(y);
        for (int x = 0; x < image->width(); ++x) {
            int value = row[x] + int(normal(random));
            const int roll = speck(random);
            if (roll == 0)
                value = 0;
            else if (roll == 1)
                value = 255;
            row[x] = uchar(qBound(0, value, 255));
        }
    }
}

// lines drawn top down on a white page of size pixels at 300 dpi, pointSize each
// (12 pt is 50 pixels), then skewed by degrees and roughened by grain.
inline Page render(const QStringList &lines, const QSize &size, double pointSize = 12, unsigned seed = 1,
    double grain = 12, double degrees = 0)
{
    Page page;
    page.lines = lines;
    page.image = QImage(size, QImage::Format_Grayscale8);
    page.image.fill(255);
    const int dotsPerMetre = qRound(300 / 0.0254);
    page.image.setDotsPerMeterX(dotsPerMetre);
    page.image.setDotsPerMeterY(dotsPerMetre);
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(qRound(pointSize * 300 / 72));
    const QFontMetrics metrics(font);
    {
        QPainter painter(&page.image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.translate(size.width() / 2.0, size.height() / 2.0);
        painter.rotate(degrees);
        painter.translate(-size.width() / 2.0, -size.height() / 2.0);
        painter.setFont(font);
        painter.setPen(QColor(20, 20, 20));
        const int margin = qRound(size.width() * 0.06);
        int baseline = margin + metrics.ascent();
        for (const QString &line : lines) {
            painter.drawText(margin, baseline, line);
            const bool chinese = !line.isEmpty() && line.at(0).unicode() >= 0x2E80;
            const QStringList pieces = chinese ? QStringList { line } : line.split(QLatin1Char(' '));
            int x = margin;
            for (const QString &piece : pieces) {
                const QRect ink = metrics.tightBoundingRect(piece).translated(x, baseline);
                if (qFuzzyIsNull(degrees))
                    page.words.append(Word { piece, ink });
                x += metrics.horizontalAdvance(piece + QLatin1Char(' '));
            }
            baseline += qRound(metrics.height() * 1.6);
        }
    }
    addNoise(&page.image, seed, grain);
    return page;
}

// A page of mixed lines: Chinese and English taken in turn, starting at first.
inline QStringList mixedLines(int count, int first = 0)
{
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        const int n = first + i;
        lines.append(n % 2 == 0 ? chineseLines().at((n / 2) % chineseLines().size())
                                : englishLines().at((n / 2) % englishLines().size()));
    }
    return lines;
}

// Levenshtein distance over characters, blanks left out: the recogniser's blanks
// between words are no error of reading.
inline int editDistance(const QString &a, const QString &b)
{
    QString left = a;
    QString right = b;
    left.remove(QLatin1Char(' ')).remove(QLatin1Char('\n'));
    right.remove(QLatin1Char(' ')).remove(QLatin1Char('\n'));
    QVector<int> previous(right.size() + 1), current(right.size() + 1);
    for (int j = 0; j <= right.size(); ++j)
        previous[j] = j;
    for (int i = 1; i <= left.size(); ++i) {
        current[0] = i;
        for (int j = 1; j <= right.size(); ++j) {
            const int substitute = previous[j - 1] + (left.at(i - 1) == right.at(j - 1) ? 0 : 1);
            current[j] = qMin(substitute, qMin(previous[j], current[j - 1]) + 1);
        }
        previous.swap(current);
    }
    return previous[right.size()];
}

// Share of the reference's characters (blanks left out) the recognised text gets wrong.
inline double characterErrorRate(const QString &reference, const QString &recognised)
{
    QString letters = reference;
    letters.remove(QLatin1Char(' ')).remove(QLatin1Char('\n'));
    return letters.isEmpty() ? 0 : double(editDistance(reference, recognised)) / letters.size();
}

} // namespace TextPages
