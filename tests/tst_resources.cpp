#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QtTest>

#include "resources/resources.h"

class ResourcesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void iconRenders_data();
    void iconRenders();
    void applicationIcon();
    void iconSetIsComplete();
};

namespace {

const QStringList &namedIcons()
{
    static const QStringList names {
        QStringLiteral("scan"),
        QStringLiteral("save-single"),
        QStringLiteral("save-multi"),
        QStringLiteral("rotate-left"),
        QStringLiteral("rotate-right"),
        QStringLiteral("settings-gear"),
        QStringLiteral("scan-network"),
        QStringLiteral("layout-switch"),
        QStringLiteral("layout-columns"),
        QStringLiteral("layout"),
        QStringLiteral("edit"),
        QStringLiteral("crop"),
        QStringLiteral("delete"),
        QStringLiteral("clear-all"),
        QStringLiteral("about"),
        QStringLiteral("quirra"),
        QStringLiteral("undo"),
        QStringLiteral("auto-deskew"),
        QStringLiteral("enhance-text"),
        QStringLiteral("remove-border"),
        QStringLiteral("bleach"),
        QStringLiteral("blank-page-simple"),
        QStringLiteral("brightness"),
        QStringLiteral("color"),
        QStringLiteral("redo"),
        QStringLiteral("folder-open"),
    };
    return names;
}

int paintedPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0)
                ++count;
        }
    }
    return count;
}

} // namespace

void ResourcesTest::initTestCase()
{
    initQuirraResources();
}

void ResourcesTest::iconRenders_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &name : namedIcons())
        QTest::newRow(qPrintable(name)) << QStringLiteral(":/icons/%1.svg").arg(name);
}

// Each icon is valid SVG on a 24-unit grid and actually paints something at tool-bar size.
void ResourcesTest::iconRenders()
{
    QFETCH(QString, path);
    QSvgRenderer renderer(path);
    QVERIFY2(renderer.isValid(), qPrintable(path));
    QCOMPARE(renderer.viewBox(), QRect(0, 0, 24, 24));

    const QIcon icon(path);
    QVERIFY(!icon.isNull());
    const QPixmap pixmap = icon.pixmap(32, 32);
    QVERIFY(!pixmap.isNull());
    const int painted = paintedPixels(pixmap.toImage());
    QVERIFY2(painted > 32 * 32 / 20, qPrintable(QStringLiteral("%1 paints %2 pixels").arg(path).arg(painted)));
}

void ResourcesTest::applicationIcon()
{
    const QPixmap pixmap(QStringLiteral(":/icons/quirra-128.png"));
    QVERIFY(!pixmap.isNull());
    QCOMPARE(pixmap.size(), QSize(128, 128));
    QVERIFY(!QIcon(QStringLiteral(":/icons/quirra-128.png")).isNull());
}

void ResourcesTest::iconSetIsComplete()
{
    const QStringList svgs = QDir(QStringLiteral(":/icons")).entryList({ QStringLiteral("*.svg") }, QDir::Files);
    QCOMPARE(svgs.size(), 26);
    for (const QString &name : namedIcons())
        QVERIFY2(svgs.contains(name + QStringLiteral(".svg")), qPrintable(name));
}

QTEST_MAIN(ResourcesTest)
#include "tst_resources.moc"
