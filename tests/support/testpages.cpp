#include "tests/support/testpages.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QStringList>

#include <cmath>

namespace TestPages {

namespace {

// A small deterministic generator: the same seed draws the same page everywhere.
class Dice
{
public:
    explicit Dice(int seed)
        : state(quint32(seed) * 2654435761u + 12345u)
    {
    }
    int below(int n)
    {
        state = state * 1664525u + 1013904223u;
        return int((state >> 8) % quint32(n));
    }

private:
    quint32 state;
};

const QStringList &englishWords()
{
    static const QStringList words = QString::fromLatin1(
        "the scanner feeds each sheet through the document feeder and the page is read line by line into memory "
        "where the software straightens it crops the margins and writes a searchable file to the folder chosen "
        "by the user invoices letters contracts receipts and forms arrive every morning at the office and most of "
        "them are printed on plain white paper with dark ink in a serif or sans serif typeface of ten to twelve "
        "points quarterly report revenue increased while costs remained stable according to the finance team")
                                         .split(QLatin1Char(' '));
    return words;
}

QString chineseText()
{
    return QString::fromUtf8(
        "扫描仪通过输稿器逐页送入文档，软件把每一页读入内存后进行纠偏、裁切和保存。办公室每天收到大量发票、合同、"
        "信函和表格，它们大多印在白纸上，字体为宋体或黑体，字号在五号到小四之间。本季度营业收入同比增长百分之十二，"
        "成本保持稳定，财务部门建议继续推进数字化归档工作，以便快速检索和长期保存。请在表格中填写姓名、日期和联系"
        "电话，并在签名处签字确认。所有扫描文件将按日期自动命名，并保存到用户指定的文件夹中。");
}

QString englishParagraph(Dice &dice, int words)
{
    const QStringList &list = englishWords();
    QStringList out;
    for (int i = 0; i < words; ++i)
        out << list.at(dice.below(list.size()));
    QString text = out.join(QLatin1Char(' '));
    text[0] = text[0].toUpper();
    return text + QLatin1Char('.');
}

QString chineseParagraph(Dice &dice, int characters)
{
    const QString source = chineseText();
    const int start = dice.below(source.size());
    QString text;
    for (int i = 0; i < characters; ++i)
        text += source.at((start + i) % source.size());
    return text;
}

QFont fontAt(const QString &family, double points, int dpi, bool bold = false)
{
    QFont font(family);
    font.setStyleHint(family.contains(QLatin1String("Mono")) ? QFont::Monospace : QFont::AnyStyle);
    // Sizes in pixels: the offscreen platform's logical resolution must not matter.
    font.setPixelSize(qMax(6, int(std::lround(points * dpi / 72.0))));
    font.setBold(bold);
    return font;
}

const QString sans = QStringLiteral("DejaVu Sans");
const QString serif = QStringLiteral("DejaVu Serif");
const QString mono = QStringLiteral("DejaVu Sans Mono");
const QString hei = QStringLiteral("WenQuanYi Micro Hei");
const QString heiMono = QStringLiteral("WenQuanYi Micro Hei Mono");

// Paragraphs down the box; returns the y below the last one.
int paragraphs(QPainter &painter, const QRect &box, const QFont &font, const QStringList &texts, int gap)
{
    painter.setFont(font);
    int y = box.top();
    for (const QString &text : texts) {
        const QRect area(box.left(), y, box.width(), box.bottom() - y);
        if (area.height() <= 0)
            break;
        const QRect used = painter.boundingRect(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
        painter.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
        y = used.bottom() + gap;
    }
    return y;
}

void drawTable(QPainter &painter, const QRect &box, int rows, int columns, int dpi, Dice &dice, bool chinese)
{
    const int rule = qMax(1, dpi / 100);
    painter.setPen(QPen(Qt::black, rule));
    const int rowHeight = box.height() / rows;
    const int columnWidth = box.width() / columns;
    for (int r = 0; r <= rows; ++r)
        painter.drawLine(
            box.left(), box.top() + r * rowHeight, box.left() + columns * columnWidth, box.top() + r * rowHeight);
    for (int c = 0; c <= columns; ++c)
        painter.drawLine(
            box.left() + c * columnWidth, box.top(), box.left() + c * columnWidth, box.top() + rows * rowHeight);
    painter.setFont(fontAt(chinese ? hei : sans, 9, dpi, false));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QRect cell(
                box.left() + c * columnWidth + 3 * rule, box.top() + r * rowHeight, columnWidth - 6 * rule, rowHeight);
            QString text;
            if (c == 0)
                text = chinese ? chineseParagraph(dice, 4 + dice.below(4)) : englishParagraph(dice, 2);
            else
                text = QString::number(dice.below(100000) / 100.0, 'f', 2);
            painter.drawText(cell, Qt::AlignVCenter | (c == 0 ? Qt::AlignLeft : Qt::AlignRight), text);
        }
    }
}

void drawForm(QPainter &painter, const QRect &box, int dpi, Dice &dice)
{
    const int rule = qMax(1, dpi / 150);
    painter.setFont(fontAt(hei, 16, dpi, true));
    painter.drawText(QRect(box.left(), box.top(), box.width(), dpi / 2), Qt::AlignCenter,
        QString::fromUtf8("扫描申请表 Application Form"));
    const QStringList labels = QString::fromUtf8("姓名 Name|日期 Date|部门 Department|电话 Phone|地址 Address|"
                                                 "用途 Purpose|页数 Pages|签名 Signature")
                                   .split(QLatin1Char('|'));
    int y = box.top() + dpi;
    const QFont labelFont = fontAt(hei, 11, dpi);
    for (const QString &label : labels) {
        painter.setFont(labelFont);
        painter.setPen(Qt::black);
        painter.drawText(
            QRect(box.left(), y - dpi / 4, box.width() / 3, dpi / 4), Qt::AlignLeft | Qt::AlignBottom, label);
        painter.setPen(QPen(Qt::black, rule));
        painter.drawLine(box.left() + box.width() / 3, y, box.right(), y);
        y += dpi * 2 / 5;
    }
    // Check boxes with their labels.
    painter.setFont(labelFont);
    const int side = dpi / 8;
    for (int i = 0; i < 4; ++i) {
        const int x = box.left() + i * box.width() / 4;
        painter.drawRect(x, y, side, side);
        if (dice.below(2))
            painter.drawLine(x, y, x + side, y + side);
        painter.drawText(QRect(x + side * 3 / 2, y - side / 2, box.width() / 4 - 2 * side, side * 2),
            Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8("选项 %1").arg(i + 1));
    }
    y += dpi / 2;
    painter.setPen(Qt::black);
    paragraphs(painter, QRect(box.left(), y, box.width(), box.bottom() - y), fontAt(sans, 9, dpi),
        { englishParagraph(dice, 60), chineseParagraph(dice, 90) }, dpi / 10);
}

} // namespace

QVector<Layout> allLayouts()
{
    return { Layout::EnglishSans, Layout::EnglishSerif, Layout::EnglishMono, Layout::EnglishTwoColumns,
        Layout::EnglishLetter, Layout::Chinese, Layout::ChineseMono, Layout::ChineseLarge, Layout::Mixed, Layout::Table,
        Layout::Form, Layout::Invoice };
}

QString layoutName(Layout layout)
{
    switch (layout) {
    case Layout::EnglishSans:
        return QStringLiteral("english-sans");
    case Layout::EnglishSerif:
        return QStringLiteral("english-serif");
    case Layout::EnglishMono:
        return QStringLiteral("english-mono");
    case Layout::EnglishTwoColumns:
        return QStringLiteral("english-two-columns");
    case Layout::EnglishLetter:
        return QStringLiteral("english-letter");
    case Layout::Chinese:
        return QStringLiteral("chinese");
    case Layout::ChineseMono:
        return QStringLiteral("chinese-mono");
    case Layout::ChineseLarge:
        return QStringLiteral("chinese-large");
    case Layout::Mixed:
        return QStringLiteral("mixed");
    case Layout::Table:
        return QStringLiteral("table");
    case Layout::Form:
        return QStringLiteral("form");
    case Layout::Invoice:
        return QStringLiteral("invoice");
    }
    return QString();
}

QImage page(Layout layout, int dpi, int seed)
{
    const QSize size(int(std::lround(210 / 25.4 * dpi)), int(std::lround(297 / 25.4 * dpi)));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    Dice dice(seed * 31 + int(layout));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::black);
    const int margin = dpi; // one inch
    const QRect body(margin, margin, size.width() - 2 * margin, size.height() - 2 * margin);
    const int gap = dpi / 8;

    auto englishBody = [&](const QString &family, double points, const QRect &box) {
        QStringList texts;
        for (int i = 0; i < 12; ++i)
            texts << englishParagraph(dice, 40 + dice.below(60));
        return paragraphs(painter, box, fontAt(family, points, dpi), texts, gap);
    };
    auto chineseBody = [&](const QString &family, double points, const QRect &box, int count) {
        QStringList texts;
        for (int i = 0; i < count; ++i)
            texts << chineseParagraph(dice, 60 + dice.below(120));
        return paragraphs(painter, box, fontAt(family, points, dpi), texts, gap);
    };

    switch (layout) {
    case Layout::EnglishSans:
        englishBody(sans, 11, body);
        break;
    case Layout::EnglishSerif:
        englishBody(serif, 12, body);
        break;
    case Layout::EnglishMono:
        englishBody(mono, 10, body);
        break;
    case Layout::EnglishTwoColumns: {
        const int half = (body.width() - gap * 2) / 2;
        painter.setFont(fontAt(serif, 20, dpi, true));
        painter.drawText(
            QRect(body.left(), body.top(), body.width(), dpi / 2), Qt::AlignCenter, QStringLiteral("Quarterly Report"));
        const int top = body.top() + dpi * 3 / 4;
        englishBody(serif, 10, QRect(body.left(), top, half, body.bottom() - top));
        englishBody(serif, 10, QRect(body.left() + half + 2 * gap, top, half, body.bottom() - top));
        break;
    }
    case Layout::EnglishLetter: {
        painter.setFont(fontAt(serif, 12, dpi));
        painter.drawText(
            QRect(body.left(), body.top(), body.width(), dpi / 3), Qt::AlignRight, QStringLiteral("12 March 2024"));
        paragraphs(painter, QRect(body.left(), body.top() + dpi, body.width(), dpi * 3), fontAt(serif, 12, dpi),
            { QStringLiteral("Dear Sir or Madam,"), englishParagraph(dice, 45), QStringLiteral("Yours faithfully,") },
            gap * 2);
        break;
    }
    case Layout::Chinese:
        chineseBody(hei, 12, body, 14);
        break;
    case Layout::ChineseMono:
        chineseBody(heiMono, 10.5, body, 16);
        break;
    case Layout::ChineseLarge:
        chineseBody(hei, 16, body, 8);
        break;
    case Layout::Mixed: {
        painter.setFont(fontAt(hei, 18, dpi, true));
        painter.drawText(QRect(body.left(), body.top(), body.width(), dpi / 2), Qt::AlignCenter,
            QString::fromUtf8("年度工作总结 Annual Summary"));
        int y = body.top() + dpi * 3 / 4;
        for (int i = 0; i < 5 && y < body.bottom(); ++i) {
            y = chineseBody(hei, 11, QRect(body.left(), y, body.width(), body.bottom() - y), 1);
            y = englishBody(sans, 10, QRect(body.left(), y, body.width(), qMin(dpi, body.bottom() - y)));
        }
        break;
    }
    case Layout::Table: {
        painter.setFont(fontAt(hei, 14, dpi, true));
        painter.drawText(QRect(body.left(), body.top(), body.width(), dpi / 2), Qt::AlignCenter,
            QString::fromUtf8("费用明细表 Expense Table"));
        drawTable(painter, QRect(body.left(), body.top() + dpi, body.width(), dpi * 6), 18, 4, dpi, dice, true);
        break;
    }
    case Layout::Form:
        drawForm(painter, body, dpi, dice);
        break;
    case Layout::Invoice: {
        const int y = englishBody(sans, 10, QRect(body.left(), body.top(), body.width(), dpi * 2));
        const int below = chineseBody(hei, 10, QRect(body.left(), y, body.width(), dpi), 1);
        drawTable(painter, QRect(body.left(), below + gap, body.width(), dpi * 4), 10, 5, dpi, dice, false);
        break;
    }
    }
    return image;
}

QImage turned(const QImage &page, double angle, QRgb fill)
{
    QImage result(
        page.size(), page.format() == QImage::Format_Grayscale8 ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    result.setDotsPerMeterX(page.dotsPerMeterX());
    result.setDotsPerMeterY(page.dotsPerMeterY());
    result.fill(fill);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(page.width() / 2.0, page.height() / 2.0);
    painter.rotate(angle);
    painter.translate(-page.width() / 2.0, -page.height() / 2.0);
    painter.drawImage(0, 0, page);
    painter.end();
    return page.format() == QImage::Format_Mono ? result.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither)
                                                : result;
}

QImage photo(const QSize &size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    Dice dice(seed + 7);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, size.width() * 0.3, size.height());
    sky.setColorAt(0, QColor(90 + dice.below(60), 140, 200));
    sky.setColorAt(1, QColor(60, 110 + dice.below(60), 70));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    const int extent = qMax(size.width(), size.height());
    for (int i = 0; i < 40; ++i) {
        const QPointF centre(dice.below(size.width()), dice.below(size.height()));
        const double radius = extent / 30.0 + dice.below(qMax(1, extent / 6));
        QRadialGradient blob(centre, radius);
        const QColor colour(dice.below(256), dice.below(256), dice.below(256), 200);
        blob.setColorAt(0, colour);
        blob.setColorAt(1, QColor(colour.red(), colour.green(), colour.blue(), 0));
        painter.setBrush(blob);
        painter.drawEllipse(centre, radius, radius * (0.5 + dice.below(100) / 100.0));
    }
    painter.end();
    return image;
}

QImage onPlaten(const QImage &sheet, const QSize &platen, const QPoint &topLeft, Platen kind, int seed)
{
    QImage image(platen, QImage::Format_RGB32);
    image.setDotsPerMeterX(sheet.dotsPerMeterX());
    image.setDotsPerMeterY(sheet.dotsPerMeterY());
    const int base = kind == Platen::WhiteLid ? 226 : 24;
    Dice dice(seed + 3);
    for (int y = 0; y < platen.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < platen.width(); ++x) {
            const int v = base + dice.below(7) - 3;
            line[x] = qRgb(v, v, v);
        }
    }
    // The scanner sees the paper a little below full white.
    const QRect place(topLeft, sheet.size());
    const QImage paper = sheet.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < sheet.height(); ++y) {
        const int ty = topLeft.y() + y;
        if (ty < 0 || ty >= platen.height())
            continue;
        const auto *in = reinterpret_cast<const QRgb *>(paper.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(ty));
        for (int x = 0; x < sheet.width(); ++x) {
            const int tx = topLeft.x() + x;
            if (tx < 0 || tx >= platen.width())
                continue;
            const int noise = dice.below(5) - 2;
            out[tx] = qRgb(qBound(0, qRed(in[x]) * 248 / 255 + noise, 255),
                qBound(0, qGreen(in[x]) * 248 / 255 + noise, 255), qBound(0, qBlue(in[x]) * 248 / 255 + noise, 255));
        }
    }
    if (kind == Platen::WhiteLid) {
        // The lamp throws the sheet's shadow onto the lid along its right and lower edges.
        QPainter painter(&image);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(150, 150, 150));
        painter.drawRect(QRect(place.right() + 1, place.top() + 2, 2, place.height()));
        painter.drawRect(QRect(place.left() + 2, place.bottom() + 1, place.width(), 2));
    }
    return image;
}

QImage originalsOnPlaten(
    const QSizeF &platenMm, int dpi, const QVector<Laid> &originals, Platen kind, QVector<QPolygonF> *corners, int seed)
{
    const double scale = dpi / 25.4;
    const QSize size(qRound(platenMm.width() * scale), qRound(platenMm.height() * scale));
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    const int base = kind == Platen::WhiteLid ? 226 : 24;
    Dice dice(seed + 5);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int v = base + dice.below(7) - 3;
            line[x] = qRgb(v, v, v);
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    if (corners)
        corners->clear();
    for (const Laid &laid : originals) {
        const QRectF rect(laid.millimetres.topLeft() * scale, laid.millimetres.size() * scale);
        QTransform turn;
        turn.translate(rect.center().x(), rect.center().y());
        turn.rotate(laid.angle);
        const QRectF local(-rect.width() / 2, -rect.height() / 2, rect.width(), rect.height());
        if (kind == Platen::WhiteLid) {
            painter.setTransform(QTransform::fromTranslate(2, 2) * turn);
            painter.setBrush(QColor(150, 150, 150));
            painter.drawRect(local);
        }
        painter.setTransform(turn);
        painter.setBrush(QColor(248, 248, 246));
        painter.drawRect(local);
        // Lines of print, kept 3 mm from the edges.
        painter.setBrush(QColor(40, 40, 40));
        const double margin = 3 * scale;
        const double lineHeight = 1.6 * scale;
        for (double y = local.top() + margin; y + lineHeight < local.bottom() - margin; y += 2.6 * lineHeight) {
            const double length = (local.width() - 2 * margin) * (0.4 + 0.6 * dice.below(100) / 100.0);
            painter.drawRect(QRectF(local.left() + margin, y, length, lineHeight));
        }
        if (corners)
            *corners << turn.map(QPolygonF(local));
    }
    painter.end();
    return image;
}

} // namespace TestPages
