#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cmath>
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

// A scan-like office notice on an A4 page at 300 dpi, in colour: a title, Chinese
// and English paragraphs, a ruled table whose last column holds amounts, and a red
// seal stamped over the signature line. lines holds every text in reading order.
inline Page officeNotice(unsigned seed = 3)
{
    Page page;
    page.image = QImage(2480, 3508, QImage::Format_RGB32);
    page.image.fill(qRgb(250, 249, 246));
    const int dotsPerMetre = qRound(300 / 0.0254);
    page.image.setDotsPerMeterX(dotsPerMetre);
    page.image.setDotsPerMeterY(dotsPerMetre);
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(50);
    QPainter painter(&page.image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QColor(25, 25, 30));
    auto write = [&](int x, int baseline, const QString &text, int pixels = 50) {
        font.setPixelSize(pixels);
        painter.setFont(font);
        painter.drawText(x, baseline, text);
        page.lines.append(text);
    };
    write(860, 300, QStringLiteral("关于办公用品采购的通知"), 80);
    int baseline = 480;
    const QStringList paragraph {
        QStringLiteral("各部门：为保障日常办公需要，行政部将于下月统一采购办公用品。"),
        QStringLiteral("请各部门于本月二十日前将需求清单报送行政部，逾期不再受理。"),
        QStringLiteral("Please send your list to the administration office before May 20."),
        QStringLiteral("Late requests will be handled in the next purchasing round."),
    };
    for (const QString &line : paragraph) {
        write(200, baseline, line);
        baseline += 90;
    }
    // The table: four columns, ruled.
    const int columns[] = { 200, 900, 1300, 1700, 2280 };
    const QStringList rows[] = {
        { QStringLiteral("项目"), QStringLiteral("数量"), QStringLiteral("单价"), QStringLiteral("金额") },
        { QStringLiteral("打印纸"), QStringLiteral("55"), QStringLiteral("29元"), QStringLiteral("1595元") },
        { QStringLiteral("文件夹"), QStringLiteral("302"), QStringLiteral("17元"), QStringLiteral("5134元") },
        { QStringLiteral("墨盒"), QStringLiteral("26"), QStringLiteral("301元"), QStringLiteral("7834元") },
        { QStringLiteral("Stapler"), QStringLiteral("40"), QStringLiteral("23元"), QStringLiteral("920元") },
    };
    const int top = baseline + 40;
    const int rowHeight = 110;
    painter.setPen(QPen(QColor(30, 30, 30), 4));
    for (int r = 0; r <= 5; ++r)
        painter.drawLine(columns[0], top + r * rowHeight, columns[4], top + r * rowHeight);
    for (int c = 0; c <= 4; ++c)
        painter.drawLine(columns[c], top, columns[c], top + 5 * rowHeight);
    painter.setPen(QColor(25, 25, 30));
    for (int r = 0; r < 5; ++r) {
        QStringList cells;
        for (int c = 0; c < 4; ++c) {
            font.setPixelSize(50);
            painter.setFont(font);
            painter.drawText(columns[c] + 30, top + r * rowHeight + 75, rows[r].at(c));
            cells.append(rows[r].at(c));
        }
        page.lines.append(cells.join(QLatin1Char(' ')));
    }
    baseline = top + 5 * rowHeight + 140;
    const QStringList closing {
        QStringLiteral("采购完成后请各部门派人到三楼行政部领取，领取时须本人签字确认。"),
        QStringLiteral("Contact Ms. Zhou at extension 8021 for any questions."),
    };
    for (const QString &line : closing) {
        write(200, baseline, line);
        baseline += 90;
    }
    baseline += 260;
    write(1300, baseline, QStringLiteral("行政部负责人：王建国"));
    write(1300, baseline + 100, QStringLiteral("二〇二四年五月十日"));
    // The seal, stamped in red ink over the signature: the ink darkens what lies
    // beneath it, as a stamp on printed paper does.
    const QColor red(205, 35, 40);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    const QPointF centre(1650, baseline + 10);
    painter.setPen(QPen(red, 14));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 220, 220);
    font.setPixelSize(44);
    painter.setFont(font);
    painter.setPen(red);
    painter.drawText(
        QRectF(centre.x() - 170, centre.y() - 120, 340, 70), Qt::AlignCenter, QStringLiteral("行政管理部"));
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double angle = M_PI / 2 + i * M_PI / 5;
        const double radius = i % 2 == 0 ? 70 : 28;
        star << QPointF(centre.x() + radius * std::cos(angle), centre.y() + 20 - radius * std::sin(angle));
    }
    painter.setBrush(red);
    painter.setPen(Qt::NoPen);
    painter.drawPolygon(star);
    painter.end();
    // Grain, as a scanner's sensor adds it.
    std::mt19937 random(seed);
    std::normal_distribution<double> normal(0, 6);
    for (int y = 0; y < page.image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(page.image.scanLine(y));
        for (int x = 0; x < page.image.width(); ++x) {
            const int n = int(normal(random));
            row[x] = qRgb(qBound(0, qRed(row[x]) + n, 255), qBound(0, qGreen(row[x]) + n, 255),
                qBound(0, qBlue(row[x]) + n, 255));
        }
    }
    return page;
}

} // namespace TextPages
