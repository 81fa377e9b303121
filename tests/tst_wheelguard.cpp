// The wheel over a panel in a scroll area: it scrolls the panel unless the control
// under it has the keyboard focus.
#include <QtTest>

#include <QComboBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/wheelguard.h"

class WheelGuardTest : public QObject
{
    Q_OBJECT

private slots:
    void wheelScrollsUnlessFocused_data();
    void wheelScrollsUnlessFocused();
};

void WheelGuardTest::wheelScrollsUnlessFocused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("addedLater");
    QTest::addColumn<bool>("focused");
    for (const char *kind : { "combo", "spin", "slider" }) {
        QTest::addRow("%s without focus", kind) << QString::fromLatin1(kind) << false << false;
        QTest::addRow("%s with focus", kind) << QString::fromLatin1(kind) << false << true;
    }
    QTest::newRow("combo built after the guard") << QStringLiteral("combo") << true << false;
}

void WheelGuardTest::wheelScrollsUnlessFocused()
{
    QFETCH(QString, kind);
    QFETCH(bool, addedLater);
    QFETCH(bool, focused);

    QScrollArea area;
    area.resize(200, 150);
    auto *panel = new QWidget;
    auto *layout = new QVBoxLayout(panel);
    layout->addSpacing(100);
    area.setWidget(panel);
    area.setWidgetResizable(true);
    panel->setMinimumHeight(1000);
    if (!addedLater)
        WheelGuard::install(panel);

    QWidget *control = nullptr;
    std::function<int()> value;
    if (kind == QLatin1String("combo")) {
        auto *combo = new QComboBox;
        combo->addItems({ QStringLiteral("彩色"), QStringLiteral("灰度"), QStringLiteral("黑白") });
        combo->setCurrentIndex(1);
        control = combo;
        value = [combo] {
            return combo->currentIndex();
        };
    } else if (kind == QLatin1String("spin")) {
        auto *spin = new QSpinBox;
        spin->setValue(50);
        control = spin;
        value = [spin] {
            return spin->value();
        };
    } else {
        auto *slider = new QSlider(Qt::Horizontal);
        slider->setRange(0, 100);
        slider->setValue(50);
        control = slider;
        value = [slider] {
            return slider->value();
        };
    }
    layout->insertWidget(1, control);
    auto *other = new QSpinBox;
    layout->addWidget(other);
    layout->addStretch();
    if (addedLater) {
        WheelGuard::install(panel);
        auto *late = new QComboBox;
        late->addItems({ QStringLiteral("A4"), QStringLiteral("Letter") });
        layout->insertWidget(1, late);
        control->hide();
        control = late;
        value = [late] {
            return late->currentIndex();
        };
    }
    area.show();
    QVERIFY(QTest::qWaitForWindowActive(&area));
    QCoreApplication::processEvents();
    (focused ? control : other)->setFocus();
    QCOMPARE(control->hasFocus(), focused);

    const int before = value();
    const QPoint centre = control->rect().center();
    QWheelEvent wheel(centre, control->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(control, &wheel);

    QCOMPARE(value() != before, focused);
    QCOMPARE(area.verticalScrollBar()->value() > 0, !focused);
}

QTEST_MAIN(WheelGuardTest)
#include "tst_wheelguard.moc"
