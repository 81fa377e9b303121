#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <QStringList>

#include <cmath>

#include "tests/support/textpages.h"

// A colour office notice as a scanner delivers it, A4 at 300 dpi: tinted paper lit
// unevenly, a colour logo, a Chinese title, Chinese and English lines, a ruled
// table, a red round seal over the signature, sensor noise. Header only, so the
// benchmarks draw the same page. The same seed gives the same page.
namespace OfficePage {

struct Page
{
    QImage image;
    QStringList lines; // the body's text, top down
    QRect body; // where those lines are, in page pixels
    QRect seal; // the seal's square
};

inline Page render(unsigned seed = 1, bool withPhoto = false)
{
    constexpr int width = 2480, height = 3508;
    Page page;
    page.image = QImage(width, height, QImage::Format_RGB32);
    // Cream paper, darker towards the lower right as under a lid that does not close.
    for (int y = 0; y < height; ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(page.image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int shade = int(18.0 * (double(x) / width + double(y) / height) / 2);
            row[x] = qRgb(246 - shade, 241 - shade, 226 - shade);
        }
    }
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    {
        QPainter painter(&page.image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        // Logo: a blue disc and an orange square.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(30, 90, 170));
        painter.drawEllipse(QRect(180, 160, 190, 190));
        painter.setBrush(QColor(240, 140, 30));
        painter.drawRect(QRect(290, 250, 120, 120));
        font.setPixelSize(92);
        painter.setFont(font);
        painter.setPen(QColor(25, 25, 35));
        painter.drawText(
            QRect(460, 180, 1900, 150), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("关于办公楼停车场调整的通知"));

        font.setPixelSize(50);
        painter.setFont(font);
        page.lines = TextPages::mixedLines(14, int(seed % 5));
        page.body = QRect(180, 480, 2120, 14 * 80);
        for (int i = 0; i < page.lines.size(); ++i)
            painter.drawText(180, 540 + i * 80, page.lines.at(i));

        // A table of three columns.
        const int top = 1720, rowHeight = 90;
        const int columns[] = { 180, 900, 1650, 2300 };
        painter.setPen(QPen(QColor(30, 30, 40), 4));
        for (int r = 0; r <= 6; ++r)
            painter.drawLine(columns[0], top + r * rowHeight, columns[3], top + r * rowHeight);
        for (int c : columns)
            painter.drawLine(c, top, c, top + 6 * rowHeight);
        painter.setFont(font);
        const QStringList cells { QStringLiteral("项目"), QStringLiteral("Amount"), QStringLiteral("备注"),
            QStringLiteral("物业管理费"), QStringLiteral("1280.50"), QStringLiteral("按月"), QStringLiteral("停车费"),
            QStringLiteral("300.00"), QStringLiteral("Monthly"), QStringLiteral("水电费"), QStringLiteral("452.80"),
            QStringLiteral("预付"), QStringLiteral("维修基金"), QStringLiteral("96.00"), QStringLiteral("Yearly"),
            QStringLiteral("合计"), QStringLiteral("2129.30"), QString() };
        for (int i = 0; i < cells.size(); ++i)
            painter.drawText(QRect(columns[i % 3] + 20, top + (i / 3) * rowHeight, 680, rowHeight),
                Qt::AlignVCenter | Qt::AlignLeft, cells.at(i));

        // Signature line, a blue signature and the seal over them.
        painter.setFont(font);
        painter.setPen(QColor(25, 25, 35));
        painter.drawText(1300, 2580, QStringLiteral("行政管理部  2024年5月17日"));
        painter.setPen(QPen(QColor(20, 50, 150), 6));
        QPainterPath signature;
        signature.moveTo(1350, 2700);
        for (int k = 0; k < 12; ++k)
            signature.cubicTo(1380 + k * 50, 2640, 1400 + k * 50, 2760, 1420 + k * 50, 2690);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(signature);
        page.seal = QRect(1500, 2380, 440, 440);
        const QColor red(205, 35, 40, 225);
        painter.setPen(QPen(red, 14));
        painter.drawEllipse(page.seal.adjusted(10, 10, -10, -10));
        QPainterPath star;
        const QPointF centre = page.seal.center();
        for (int k = 0; k < 10; ++k) {
            const double radius = k % 2 == 0 ? 80 : 32;
            const double angle = -M_PI / 2 + k * M_PI / 5;
            const QPointF point(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
            if (k == 0)
                star.moveTo(point);
            else
                star.lineTo(point);
        }
        star.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(red);
        painter.drawPath(star);
        QFont sealFont = font;
        sealFont.setPixelSize(54);
        painter.setFont(sealFont);
        painter.setPen(red);
        painter.drawText(page.seal.adjusted(0, 250, 0, -60), Qt::AlignHCenter, QStringLiteral("合同专用章"));

        if (withPhoto) {
            const QImage photo = [] {
                QImage image(900, 600, QImage::Format_RGB32);
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x)
                        image.setPixel(x, y,
                            qRgb(int(127 + 100 * std::sin(x / 37.0) * std::cos(y / 53.0)), int(90 + y / 7),
                                int(120 + 80 * std::sin((x + y) / 29.0))));
                return image;
            }();
            painter.drawImage(QPoint(180, 2900), photo);
        }
    }
    // Sensor noise on each channel and a few specks.
    quint32 state = seed * 2654435761u + 7;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return int(state >> 24);
    };
    for (int y = 0; y < height; ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(page.image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int grain = (next() + next() - 255) / 24;
            int r = qRed(row[x]) + grain + (next() & 3) - 1;
            int g = qGreen(row[x]) + grain + (next() & 3) - 1;
            int b = qBlue(row[x]) + grain + (next() & 3) - 1;
            if (next() == 0 && next() < 40)
                r = g = b = 40;
            row[x] = qRgb(qBound(0, r, 255), qBound(0, g, 255), qBound(0, b, 255));
        }
    }
    const int dotsPerMetre = qRound(300 / 0.0254);
    page.image.setDotsPerMeterX(dotsPerMetre);
    page.image.setDotsPerMeterY(dotsPerMetre);
    return page;
}

} // namespace OfficePage
