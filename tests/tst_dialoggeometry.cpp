// Dialogs on a small screen: fitted to the available area, centred on their window,
// and opened again at the size the user left them.
#include <QtTest>

#include <QPushButton>
#include <QScreen>
#include <QScrollArea>

#include "annotation/annotationdialog.h"
#include "annotation/annotationwidget.h"
#include "support/tempsettings.h"
#include "ui/dialoggeometry.h"

namespace {

QImage a4At300Dpi()
{
    QImage page(2480, 3508, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    return page;
}

// The dialog as the window manager would frame it.
QRect framed(const QWidget &dialog)
{
    return QRect(dialog.pos(), dialog.size() + QSize(DialogGeometry::frameWidth, DialogGeometry::frameHeight));
}

} // namespace

class DialogGeometryTest : public QObject
{
    Q_OBJECT

private slots:
    void fitsTheScreen_data();
    void fitsTheScreen();
    void keepsTheUsersSize_data();
    void keepsTheUsersSize();

private:
    TempSettings settings;
};

void DialogGeometryTest::fitsTheScreen_data()
{
    QTest::addColumn<QSize>("plainSize"); // empty: the annotation dialog with an A4 page at 300 dpi
    QTest::addColumn<QRect>("available"); // empty: the dialog's own screen
    QTest::addColumn<QRect>("parent"); // empty: no parent
    QTest::newRow("annotating A4 at 1024 x 768") << QSize() << QRect(0, 0, 1024, 768) << QRect();
    QTest::newRow("annotating A4 at 1366 x 768 below a panel") << QSize() << QRect(0, 32, 1366, 736) << QRect();
    QTest::newRow("annotating A4 on its own screen") << QSize() << QRect() << QRect();
    QTest::newRow("dialog larger than the screen") << QSize(1500, 1100) << QRect(0, 0, 1024, 768) << QRect();
    QTest::newRow("dialog centred on its window")
        << QSize(600, 400) << QRect(0, 0, 1024, 768) << QRect(100, 50, 800, 600);
    QTest::newRow("dialog of a window at the screen's edge")
        << QSize(600, 400) << QRect(0, 0, 1024, 768) << QRect(600, 400, 400, 300);
}

void DialogGeometryTest::fitsTheScreen()
{
    QFETCH(QSize, plainSize);
    QFETCH(QRect, available);
    QFETCH(QRect, parent);

    QWidget window;
    if (parent.isValid()) {
        window.setGeometry(parent);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    QWidget *owner = parent.isValid() ? &window : nullptr;
    const bool annotation = plainSize.isEmpty();
    std::unique_ptr<QDialog> dialog(annotation ? new AnnotationDialog(a4At300Dpi(), owner) : new QDialog(owner));
    if (!annotation)
        dialog->resize(plainSize);
    if (available.isValid()) {
        DialogGeometry::fitInto(dialog.get(), available);
    } else {
        DialogGeometry::fitToScreen(dialog.get());
        available = dialog->screen()->availableGeometry();
    }
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));

    const QRect frame = framed(*dialog);
    QVERIFY2(available.contains(frame),
        qPrintable(QStringLiteral("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
    // Centred on the window unless that would push it off the screen.
    QRect centred(QPoint(), frame.size());
    centred.moveCenter(parent.center());
    if (parent.isValid())
        QCOMPARE(frame.center() == parent.center(), available.contains(centred));
    if (!annotation)
        return;
    auto *annotationDialog = static_cast<AnnotationDialog *>(dialog.get());
    for (const char *name : { "applyButton", "cancelButton", "undoButton" }) {
        auto *button = dialog->findChild<QPushButton *>(QLatin1String(name));
        QVERIFY(button->isVisible());
        QVERIFY2(dialog->rect().contains(QRect(button->mapTo(dialog.get(), QPoint()), button->size())), name);
    }
    // The whole page is in view, scaled down rather than cut.
    auto *canvasArea = dialog->findChild<QScrollArea *>(QStringLiteral("canvasScrollArea"));
    QTRY_VERIFY(annotationDialog->canvas()->displayScale() < 1);
    QVERIFY(canvasArea->viewport()->rect().contains(annotationDialog->canvas()->geometry()));
}

void DialogGeometryTest::keepsTheUsersSize_data()
{
    QTest::addColumn<QSize>("left");
    QTest::addColumn<QSize>("reopened"); // empty: bounded by the screen
    QTest::newRow("size that fits") << QSize(520, 380) << QSize(520, 380);
    QTest::newRow("size from a larger screen") << QSize(3000, 2000) << QSize();
}

void DialogGeometryTest::keepsTheUsersSize()
{
    QFETCH(QSize, left);
    QFETCH(QSize, reopened);

    {
        QDialog dialog;
        DialogGeometry::remember(&dialog, settings.store(), QStringLiteral("merge"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.resize(left);
        dialog.reject();
    }
    // Written at once, into the application's store.
    QCOMPARE(QSettings(settings.store().fileName(), settings.store().format()).value("dialogs/merge").toSize(), left);

    QDialog dialog;
    DialogGeometry::restore(&dialog, settings.store(), QStringLiteral("merge"));
    const QRect screen = dialog.screen()->availableGeometry();
    if (reopened.isEmpty())
        reopened = screen.size() - QSize(DialogGeometry::frameWidth, DialogGeometry::frameHeight);
    QCOMPARE(dialog.size(), reopened);
}

QTEST_MAIN(DialogGeometryTest)
#include "tst_dialoggeometry.moc"
