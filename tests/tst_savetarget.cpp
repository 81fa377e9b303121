// The file a save writes and its format follow the typed name.
#include <QtTest>

#include "ui/savetarget.h"

class SaveTargetTest : public QObject
{
    Q_OBJECT

private slots:
    void contentMatchesName_data();
    void contentMatchesName();
};

void SaveTargetTest::contentMatchesName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("dock");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("format");
    QTest::newRow("png named, dock at pdf") << "/d/page.png"
                                            << "pdf"
                                            << "/d/page.png"
                                            << "png";
    QTest::newRow("upper-case JPEG named") << "/d/page.JPEG"
                                           << "pdf"
                                           << "/d/page.JPEG"
                                           << "jpg";
    QTest::newRow("tif named, dock at png") << "/d/page.tif"
                                            << "png"
                                            << "/d/page.tif"
                                            << "tiff";
    QTest::newRow("pdf named, dock at bmp") << "/d/page.pdf"
                                            << "bmp"
                                            << "/d/page.pdf"
                                            << "pdf";
    QTest::newRow("no suffix takes the dock's") << "/d/page"
                                                << "tiff"
                                                << "/d/page.tiff"
                                                << "tiff";
    QTest::newRow("unknown suffix kept, dock's added") << "/d/scan.2024"
                                                       << "jpg"
                                                       << "/d/scan.2024.jpg"
                                                       << "jpg";
}

void SaveTargetTest::contentMatchesName()
{
    QFETCH(QString, typed);
    QFETCH(QString, dock);
    QFETCH(QString, path);
    QFETCH(QString, format);
    const SaveTarget target(typed, dock);
    QCOMPARE(target.path, path);
    QCOMPARE(target.format, format);
}

QTEST_MAIN(SaveTargetTest)
#include "tst_savetarget.moc"
