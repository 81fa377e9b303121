// The saved-file notice above the page view: what it shows, what its buttons do, and
// that it leaves the keyboard where it was.
#include <QtTest>

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/savednotice.h"

class SavedNoticeTest : public QObject
{
    Q_OBJECT

private slots:
    void showsAndGoesAway_data();
    void showsAndGoesAway();
};

void SavedNoticeTest::showsAndGoesAway_data()
{
    QTest::addColumn<QString>("button"); // empty: nobody clicks, the notice times out
    QTest::addColumn<QStringList>("opened");
    QTest::newRow("open the folder") << QStringLiteral("openFolderButton")
                                     << QStringList { QStringLiteral("/home/user/文档/扫描") };
    QTest::newRow("close") << QStringLiteral("closeNoticeButton") << QStringList();
    QTest::newRow("time out") << QString() << QStringList();
}

void SavedNoticeTest::showsAndGoesAway()
{
    QFETCH(QString, button);
    QFETCH(QStringList, opened);

    QWidget window;
    auto *notice = new SavedNotice(&window);
    auto *edit = new QLineEdit(&window);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(notice);
    layout->addWidget(edit);
    QStringList openedFolders;
    notice->setFolderOpener([&](const QString &folder) { openedFolders << folder; });
    // Clicking tests set no timer of their own: ten seconds cannot pass before the click.
    if (button.isEmpty())
        notice->setTimeout(50);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QVERIFY(notice->isHidden());

    notice->show(QStringLiteral("已保存 3 页，1.2 MB：扫描_001.pdf"), QStringLiteral("/home/user/文档/扫描"));
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->text(), QStringLiteral("已保存 3 页，1.2 MB：扫描_001.pdf"));
    QVERIFY(edit->hasFocus());

    if (!button.isEmpty())
        QTest::mouseClick(notice->findChild<QToolButton *>(button), Qt::LeftButton);
    QTRY_VERIFY(notice->isHidden());
    QCOMPARE(openedFolders, opened);
    QVERIFY(edit->hasFocus());
}

QTEST_MAIN(SavedNoticeTest)
#include "tst_savednotice.moc"
