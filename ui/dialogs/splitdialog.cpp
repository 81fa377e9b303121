#include "ui/dialogs/splitdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "ui/dialogs/dialogstyles.h"

namespace {

constexpr int previewSide = 520;

} // namespace

SplitDialog::SplitDialog(const QImage &page, bool leftRight, int line, QWidget *parent)
    : QDialog(parent)
    , leftRight(leftRight)
    , pageLength(qMax(2, leftRight ? page.width() : page.height()))
{
    setObjectName(QStringLiteral("splitDialog"));
    setWindowTitle(leftRight ? tr("左右拆分") : tr("上下拆分"));
    preview = page.scaled(previewSide, previewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                  .convertToFormat(QImage::Format_RGB32);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(DialogStyles::usageLabel(leftRight
            ? tr("拖动红色分割线选择拆分位置。\n左右两部分都会作为新页面插入到本页之后，本页保持不变。")
            : tr("拖动红色分割线选择拆分位置。\n上下两部分都会作为新页面插入到本页之后，本页保持不变。"),
        this));

    view = new QLabel(this);
    view->setObjectName(QStringLiteral("splitView"));
    view->setFixedSize(preview.size());
    view->setCursor(leftRight ? Qt::SplitHCursor : Qt::SplitVCursor);
    view->installEventFilter(this);
    layout->addWidget(view, 0, Qt::AlignCenter);

    slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QStringLiteral("splitSlider"));
    slider->setRange(1, pageLength - 1);
    slider->setValue(qBound(1, line, pageLength - 1));
    layout->addWidget(slider);
    position = new QLabel(this);
    position->setObjectName(QStringLiteral("splitPosition"));
    position->setAlignment(Qt::AlignCenter);
    layout->addWidget(position);
    connect(slider, &QSlider::valueChanged, this, &SplitDialog::showLine);

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("拆分"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    showLine();
}

int SplitDialog::line() const
{
    return slider->value();
}

bool SplitDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove)) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->buttons() & Qt::LeftButton) {
            slider->setValue(lineAt(mouse->pos()));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int SplitDialog::lineAt(const QPoint &point) const
{
    const int shown = leftRight ? preview.width() : preview.height();
    const int along = leftRight ? point.x() : point.y();
    return qBound(1, qRound(double(along) * pageLength / qMax(1, shown)), pageLength - 1);
}

void SplitDialog::showLine()
{
    QImage shown = preview;
    QPainter painter(&shown);
    painter.setPen(QPen(QColor(220, 30, 30), 2, Qt::DashLine));
    const int shownLength = leftRight ? shown.width() : shown.height();
    const int at = qRound(double(slider->value()) * shownLength / pageLength);
    if (leftRight)
        painter.drawLine(at, 0, at, shown.height());
    else
        painter.drawLine(0, at, shown.width(), at);
    painter.end();
    view->setPixmap(QPixmap::fromImage(shown));
    position->setText(leftRight ? tr("分割线位置: 距左边 %1 像素").arg(slider->value())
                                : tr("分割线位置: 距上边 %1 像素").arg(slider->value()));
}
