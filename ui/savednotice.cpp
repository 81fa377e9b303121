#include "ui/savednotice.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

SavedNotice::SavedNotice(QWidget *parent)
    : QFrame(parent)
    , opener([](const QString &folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); })
{
    setObjectName(QStringLiteral("savedNotice"));
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QStringLiteral("QFrame#savedNotice { background-color: #e6f4ea; border: 1px solid #a8d5b5; "
                                 "border-radius: 4px; } QLabel { color: #1e4620; background: transparent; }"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    iconLabel = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    iconLabel->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton, nullptr, this).pixmap(iconSize));
    textLabel = new QLabel(this);
    textLabel->setObjectName(QStringLiteral("savedNoticeText"));
    textLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    textLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    openButton = new QToolButton(this);
    openButton->setObjectName(QStringLiteral("openFolderButton"));
    openButton->setText(tr("打开文件夹"));
    openButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    closeButton = new QToolButton(this);
    closeButton->setObjectName(QStringLiteral("closeNoticeButton"));
    closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton, nullptr, this));
    closeButton->setToolTip(tr("关闭"));
    closeButton->setAutoRaise(true);
    // The user keeps typing or paging where they were; the bar is clicked, never tabbed to.
    for (QToolButton *button : { openButton, closeButton })
        button->setFocusPolicy(Qt::NoFocus);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 3, 4, 3);
    layout->addWidget(iconLabel);
    layout->addWidget(textLabel, 1);
    layout->addWidget(openButton);
    layout->addWidget(closeButton);

    hideTimer = new QTimer(this);
    hideTimer->setSingleShot(true);
    hideTimer->setInterval(10000);
    connect(hideTimer, &QTimer::timeout, this, &QWidget::hide);
    connect(closeButton, &QToolButton::clicked, this, &QWidget::hide);
    connect(openButton, &QToolButton::clicked, this, [this] {
        opener(folder);
        hide();
    });
    hide();
}

void SavedNotice::show(const QString &text, const QString &folder)
{
    this->folder = folder;
    textLabel->setText(text);
    textLabel->setToolTip(folder.isEmpty() ? text : folder);
    openButton->setVisible(!folder.isEmpty());
    show();
    if (!underMouse())
        hideTimer->start();
}

QString SavedNotice::text() const
{
    return textLabel->text();
}

void SavedNotice::setFolderOpener(FolderOpener opener)
{
    this->opener = std::move(opener);
}

void SavedNotice::setTimeout(int milliseconds)
{
    hideTimer->setInterval(milliseconds);
}

// A user reading the notice or reaching for its button keeps it.
void SavedNotice::enterEvent(QEvent *event)
{
    hideTimer->stop();
    QFrame::enterEvent(event);
}

void SavedNotice::leaveEvent(QEvent *event)
{
    if (isVisible())
        hideTimer->start();
    QFrame::leaveEvent(event);
}
