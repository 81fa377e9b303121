#include "annotation/annotationwidget.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <cstring>
#include <cmath>

#include "annotation/annotationtool.h"

namespace {

const QColor selectionColor(0, 120, 215);

// Event positions are fractional on scaled screens; halves round upwards.
QPoint roundedPosition(const QMouseEvent *event)
{
    const QPointF p = event->localPos();
    return QPoint(qFloor(p.x() + 0.5), qFloor(p.y() + 0.5));
}

QString editorStyleSheet(const QFont &font)
{
    return QStringLiteral("QLineEdit {  background-color: white;  border: 2px solid #4A90E2;  border-radius: 4px;  "
                          "padding: 8px;  font-size: %1pt;  min-width: 200px;}")
        .arg(font.pointSize());
}

} // namespace

AnnotationWidget::AnnotationWidget(const QImage &image, QWidget *parent)
    : QWidget(parent)
    , pageImage(image)
    , paintablePage(AnnotationTool::paintableImage(image))
    , tool(new AnnotationTool(this))
    , displaySize(image.size())
{
    setMouseTracking(true);
    setMinimumSize(400, 300);
    // A plain widget never takes the keyboard focus, which would leave the Delete key dead and
    // keep an open text editor from noticing a click elsewhere on the page.
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::CrossCursor);
    refreshDisplay();
    connect(tool, &AnnotationTool::annotationsChanged, this, &AnnotationWidget::onAnnotationsChanged);
}

AnnotationWidget::~AnnotationWidget()
{
    // The editor outlives this part of the object by a little: ~QWidget deletes it after the
    // focus has moved away from it, and its editing-finished notification must not reach a
    // canvas that is half destroyed.
    if (editor) {
        editor->removeEventFilter(this);
        disconnect(editor, nullptr, this, nullptr);
    }
}

void AnnotationWidget::setCurrentTool(int type)
{
    currentTool = type;
}

void AnnotationWidget::setTextMode(bool enabled)
{
    textMode = enabled;
    setCursor(enabled ? Qt::IBeamCursor : Qt::CrossCursor);
}

void AnnotationWidget::setTextFont(const QFont &font)
{
    currentStyle.font = font;
    if (editor) {
        editor->setFont(font);
        editor->setStyleSheet(editorStyleSheet(font));
    }
}

void AnnotationWidget::setCurrentColor(const QColor &color)
{
    currentStyle.color = color;
    if (editor) {
        QPalette palette = editor->palette();
        palette.setColor(QPalette::Text, color);
        editor->setPalette(palette);
    }
}

void AnnotationWidget::setTransparency(int value)
{
    currentStyle.transparency = qBound(0, value, 255);
}

void AnnotationWidget::setLineWidth(int width)
{
    currentStyle.lineWidth = width;
}

void AnnotationWidget::setFilled(bool filled)
{
    currentStyle.filled = filled;
}

void AnnotationWidget::fitToSize(const QSize &available)
{
    if (pageImage.isNull())
        return;
    const double fit
        = std::min(double(available.width()) / pageImage.width(), double(available.height()) / pageImage.height());
    // A window squeezed below its panel leaves nothing to fit into; keep the last scale
    // rather than a zero one that every coordinate mapping would divide by.
    if (!(fit > 0.0) || !std::isfinite(fit))
        return;
    scale = fit;
    displaySize = QSize(int(scale * pageImage.width()), int(scale * pageImage.height()));
    setFixedSize(displaySize);
    refreshDisplay();
}

QImage AnnotationWidget::resultImage() const
{
    ensureComposite();
    return compositeImage;
}

QSize AnnotationWidget::sizeHint() const
{
    return displaySize;
}

QPoint AnnotationWidget::widgetToImage(const QPoint &p) const
{
    return QPoint(int(p.x() / scale), int(p.y() / scale));
}

QPoint AnnotationWidget::imageToWidget(const QPoint &p) const
{
    return QPoint(int(p.x() * scale), int(p.y() * scale));
}

int AnnotationWidget::textAnnotationAt(const QPoint &widgetPoint) const
{
    const QPoint p = widgetToImage(widgetPoint);
    const QVector<AnnotationItem> &list = tool->annotationList();
    for (int i = list.size() - 1; i >= 0; --i) {
        if (list.at(i).type == AnnotationItem::Text && list.at(i).rect.contains(p))
            return i;
    }
    return -1;
}

QSize AnnotationWidget::textBoxSize(const QString &text, const QFont &font)
{
    const QFontMetrics metrics(font);
    const QRect bounds = metrics.boundingRect(QRect(0, 0, 10000, 10000), Qt::TextDontClip | Qt::TextExpandTabs, text);
    const int width
        = std::max({ bounds.width(), metrics.horizontalAdvance(text), metrics.maxWidth() * int(text.size()) });
    const int height = std::max(metrics.height(), bounds.height());
    return QSize(width + 100, height + 40);
}

void AnnotationWidget::onAnnotationsChanged()
{
    // Undo, redo, a clear or a removal may take the selected text away or shift another one
    // under its index; drop such a selection so the dialog's font and colour controls cannot
    // reach a text the user did not select.
    if (!internalEdit && selectedTextIndex >= 0 && !selectionStillHolds()) {
        selectedTextIndex = -1;
        dragging = false;
        emit textAnnotationSelected(-1);
    }
    refreshDisplay();
    emit imageChanged();
}

void AnnotationWidget::refreshDisplay()
{
    compositeStale = true;
    update();
}

void AnnotationWidget::ensureComposite() const
{
    if (!compositeStale)
        return;
    // At scale 1 the display image is the composite itself; let go of it so that the
    // composite's buffer can be reused below.
    displayImage = QImage();
    // Reusing the composite's buffer spares allocating and faulting in a whole page (35 MB
    // for A4 at 300 dpi) on every edit, which costs more than the copy itself.
    if (compositeImage.isDetached() && compositeImage.size() == paintablePage.size()
        && compositeImage.format() == paintablePage.format()
        && compositeImage.bytesPerLine() == paintablePage.bytesPerLine()) {
        std::memcpy(compositeImage.bits(), paintablePage.constBits(), size_t(paintablePage.sizeInBytes()));
    } else {
        compositeImage = paintablePage.copy();
    }
    tool->paintAnnotations(compositeImage);
    if (scale != 1.0 && !compositeImage.isNull())
        displayImage = compositeImage.scaled(displaySize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    else
        displayImage = compositeImage;
    compositeStale = false;
}

void AnnotationWidget::paintEvent(QPaintEvent *)
{
    ensureComposite();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QPoint(0, 0), displayImage.isNull() ? compositeImage : displayImage);

    if (hasSelectedText()) {
        const QRect r = tool->annotationList().at(selectedTextIndex).rect;
        const QPoint topLeft = imageToWidget(r.topLeft());
        const int x = topLeft.x();
        const int y = topLeft.y();
        const int w = int(r.width() * scale);
        const int h = int(r.height() * scale);
        painter.setPen(QPen(selectionColor, 2, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(x, y, w, h));
        const int right = x + w;
        const int bottom = y + h;
        const int midX = (x + right) / 2;
        const int midY = (y + bottom) / 2;
        const QPoint handles[] = { { x, y }, { midX, y }, { right, y }, { right, midY }, { right, bottom },
            { midX, bottom }, { x, bottom }, { x, midY } };
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(selectionColor);
        for (const QPoint &c : handles)
            painter.drawRect(QRect(QPoint(c.x() - 4, c.y() - 4), QPoint(c.x() + 3, c.y() + 3)));
    }

    if (drawing) {
        painter.setPen(QPen(currentStyle.colorAtTransparency(), currentStyle.lineWidth * scale, Qt::SolidLine));
        painter.setBrush(Qt::NoBrush);
        const QRect box = QRect(startPoint, currentPoint).normalized();
        switch (currentTool) {
        case AnnotationItem::Arrow:
        case AnnotationItem::Line:
            painter.drawLine(startPoint, currentPoint);
            break;
        case AnnotationItem::Rectangle:
        case AnnotationItem::Ellipse:
            if (currentStyle.filled) {
                QColor fill = currentStyle.color.isValid() ? currentStyle.color : QColor(Qt::black);
                fill.setAlpha(255);
                painter.setBrush(fill);
            }
            if (currentTool == AnnotationItem::Rectangle)
                painter.drawRect(box);
            else
                painter.drawEllipse(box);
            break;
        case AnnotationItem::Freehand:
            for (int i = 1; i < currentStyle.points.size(); ++i)
                painter.drawLine(
                    imageToWidget(currentStyle.points.at(i - 1)), imageToWidget(currentStyle.points.at(i)));
            break;
        default:
            break;
        }
    }
}

void AnnotationWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = roundedPosition(event);

    const int hit = textAnnotationAt(pos);
    if (hit >= 0) {
        selectedTextIndex = hit;
        rememberSelection();
        dragging = true;
        lastDragPoint = pos;
        setCursor(Qt::ClosedHandCursor);
        update();
        emit textAnnotationSelected(hit);
        return;
    }
    if (selectedTextIndex >= 0) {
        selectedTextIndex = -1;
        update();
        emit textAnnotationSelected(-1);
    }
    if (!textMode) {
        drawing = true;
        startPoint = pos;
        currentPoint = pos;
        currentStyle.points.clear();
        currentStyle.points.append(widgetToImage(startPoint));
        update();
    } else {
        showTextEditor(pos);
    }
}

void AnnotationWidget::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = roundedPosition(event);
    if (dragging && hasSelectedText()) {
        dragSelectedBy(pos - lastDragPoint);
        lastDragPoint = pos;
        update();
    } else if (drawing) {
        currentPoint = pos;
        if (currentTool == AnnotationItem::Freehand)
            currentStyle.points.append(widgetToImage(currentPoint));
        update();
    } else {
        updateHoverCursor(pos);
    }
}

void AnnotationWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (dragging) {
        // The selection outlives the drag: the dialog shows the text as selected, and its font,
        // colour and Delete commands act on the selection once the button is up.
        dragging = false;
        setCursor(Qt::CrossCursor);
        update();
        return;
    }
    if (!drawing)
        return;
    drawing = false;
    currentPoint = roundedPosition(event);
    finishDrawing();
    update();
}

void AnnotationWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int hit = textAnnotationAt(roundedPosition(event));
    if (hit >= 0)
        editTextAnnotation(hit);
    else
        // A quick second click elsewhere still starts a stroke or opens the editor.
        mousePressEvent(event);
}

void AnnotationWidget::contextMenuEvent(QContextMenuEvent *event)
{
    const int hit = textAnnotationAt(event->pos());
    if (hit < 0)
        return;
    QMenu menu(this);
    QAction *editAction = menu.addAction(tr("✏️ 编辑文字"));
    QAction *deleteAction = menu.addAction(tr("🗑️ 删除"));
    QAction *chosen = menu.exec(event->globalPos());
    if (chosen == editAction)
        editTextAnnotation(hit);
    else if (chosen == deleteAction)
        deleteTextAnnotation(hit);
}

void AnnotationWidget::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && selectedTextIndex >= 0) {
        deleteTextAnnotation(selectedTextIndex);
        return;
    }
    QWidget::keyPressEvent(event);
}

bool AnnotationWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == editor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        // QLineEdit passes Return and Escape on to its window, where they would accept or
        // reject the whole annotation dialog; here they only finish or drop the typed text.
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            onTextEditFinished();
            return true;
        }
        if (key == Qt::Key_Escape) {
            editorOpen = false;
            editor->hide();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void AnnotationWidget::finishDrawing()
{
    currentStyle.type = currentTool;
    const QPoint p1 = widgetToImage(startPoint);
    const QPoint p2 = widgetToImage(currentPoint);
    switch (currentTool) {
    case AnnotationItem::Text:
        break;
    case AnnotationItem::Arrow:
    case AnnotationItem::Line:
        currentStyle.points = { p1, p2 };
        currentStyle.rect = QRect(p1, p2).normalized();
        break;
    case AnnotationItem::Freehand:
        if (!currentStyle.points.isEmpty()) {
            int left = currentStyle.points.first().x();
            int right = left;
            int top = currentStyle.points.first().y();
            int bottom = top;
            for (const QPoint &p : qAsConst(currentStyle.points)) {
                left = std::min(left, p.x());
                right = std::max(right, p.x());
                top = std::min(top, p.y());
                bottom = std::max(bottom, p.y());
            }
            currentStyle.rect = QRect(QPoint(left, top), QPoint(right, bottom));
        }
        break;
    default:
        currentStyle.rect = QRect(p1, p2).normalized();
        break;
    }
    const QRect &r = currentStyle.rect;
    if (r.right() >= r.left() && r.bottom() >= r.top() && (r.right() - r.left() > 1 || r.bottom() - r.top() > 1))
        tool->addAnnotation(currentStyle);
    currentStyle.points.clear();
}

void AnnotationWidget::showTextEditor(const QPoint &pos)
{
    // A click elsewhere while text is typed must not throw that text away.
    if (editorOpen && editor && !editor->text().trimmed().isEmpty())
        onTextEditFinished();

    if (!editor) {
        editor = new QLineEdit(this);
        editor->installEventFilter(this);
        // Return is taken by the event filter, so the focus loss is the only other way out.
        connect(editor, &QLineEdit::editingFinished, this, &AnnotationWidget::onTextEditFinished);
        connect(editor, &QLineEdit::textChanged, this, &AnnotationWidget::updateEditorWidth);
    }
    editor->setFont(currentStyle.font);
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Text, currentStyle.color);
    editor->setPalette(palette);
    editor->setStyleSheet(editorStyleSheet(currentStyle.font));
    // Polishing applies the sheet's min-width; done first, so the width rules below have the last word.
    editor->ensurePolished();

    editor->clear();
    editor->setFixedWidth(std::max(200, 10 * QFontMetrics(currentStyle.font).height()));
    editor->adjustSize();
    editorPosition = pos;
    editor->move(pos);
    editorOpen = true;
    editor->show();
    editor->setFocus();
    editor->raise();
    emit textEditingStarted();
}

void AnnotationWidget::updateEditorWidth(const QString &text)
{
    if (!editor || !editor->isVisible())
        return;
    const QFontMetrics metrics(editor->font());
    editor->setFixedWidth(std::max(200, metrics.boundingRect(text + QStringLiteral("  ")).width() + 40));
}

void AnnotationWidget::hideTextEditor()
{
    if (editor)
        editor->hide();
}

void AnnotationWidget::onTextEditFinished()
{
    if (!editor || !editorOpen)
        return;
    const QString text = editor->text();
    editorOpen = false;
    // Blank text would become an invisible annotation that still catches clicks.
    if (text.trimmed().isEmpty()) {
        editor->hide();
        return;
    }
    AnnotationItem item;
    item.type = AnnotationItem::Text;
    item.text = text;
    item.color = currentStyle.color;
    item.transparency = currentStyle.transparency;
    item.font = currentStyle.font;
    item.rect = QRect(widgetToImage(editorPosition), textBoxSize(text, currentStyle.font));
    tool->addAnnotation(item);
    editor->hide();
    emit textEditingFinished();
}

void AnnotationWidget::editTextAnnotation(int index)
{
    if (tool->annotationAt(index).type != AnnotationItem::Text || index < 0 || index >= tool->count())
        return;
    AnnotationItem item = tool->annotationAt(index);
    bool ok = false;
    const QString text = QInputDialog::getMultiLineText(this, tr("编辑文字"), tr("请输入文字内容:"), item.text, &ok);
    if (!ok || text.isEmpty() || index >= tool->count())
        return;
    item.text = text;
    item.rect = QRect(item.rect.topLeft(), textBoxSize(text, item.font));
    internalEdit = true;
    tool->updateAnnotation(index, item);
    internalEdit = false;
    rememberSelection();
    refreshDisplay();
    emit imageChanged();
}

void AnnotationWidget::deleteTextAnnotation(int index)
{
    const bool hadSelection = selectedTextIndex >= 0;
    selectedTextIndex = -1;
    dragging = false;
    tool->removeAnnotation(index);
    refreshDisplay();
    emit imageChanged();
    if (hadSelection)
        emit textAnnotationSelected(-1);
}

void AnnotationWidget::dragSelectedBy(const QPoint &delta)
{
    const QPoint shift(int(delta.x() / scale), int(delta.y() / scale));
    // A step too small to move the text by a whole image pixel would only burn undo snapshots.
    if (shift.isNull())
        return;
    QVector<AnnotationItem> list = tool->annotationList();
    list[selectedTextIndex].rect.translate(shift);
    internalEdit = true;
    tool->clearAnnotations();
    for (const AnnotationItem &item : qAsConst(list))
        tool->addAnnotation(item);
    internalEdit = false;
    rememberSelection();
}

bool AnnotationWidget::hasSelectedText() const
{
    return selectedTextIndex >= 0 && selectedTextIndex < tool->count()
        && tool->annotationList().at(selectedTextIndex).type == AnnotationItem::Text;
}

void AnnotationWidget::rememberSelection()
{
    if (hasSelectedText())
        selectedItem = tool->annotationList().at(selectedTextIndex);
}

bool AnnotationWidget::selectionStillHolds() const
{
    if (!hasSelectedText())
        return false;
    const AnnotationItem &item = tool->annotationList().at(selectedTextIndex);
    return item.rect == selectedItem.rect && item.text == selectedItem.text && item.color == selectedItem.color
        && item.font == selectedItem.font && item.transparency == selectedItem.transparency;
}

void AnnotationWidget::updateSelectedText(const AnnotationItem &item)
{
    internalEdit = true;
    tool->updateAnnotation(selectedTextIndex, item);
    internalEdit = false;
    rememberSelection();
    refreshDisplay();
    emit imageChanged();
}

void AnnotationWidget::setSelectedTextFont(const QFont &font)
{
    if (!hasSelectedText())
        return;
    AnnotationItem item = tool->annotationAt(selectedTextIndex);
    item.font = font;
    item.rect = QRect(item.rect.topLeft(), textBoxSize(item.text, font));
    updateSelectedText(item);
}

void AnnotationWidget::setSelectedTextSize(int points)
{
    if (!hasSelectedText() || points <= 0)
        return;
    AnnotationItem item = tool->annotationAt(selectedTextIndex);
    item.font.setPointSize(points);
    item.rect = QRect(item.rect.topLeft(), textBoxSize(item.text, item.font));
    updateSelectedText(item);
}

void AnnotationWidget::setSelectedTextColor(const QColor &color)
{
    if (!hasSelectedText())
        return;
    AnnotationItem item = tool->annotationAt(selectedTextIndex);
    item.color = color;
    updateSelectedText(item);
}

void AnnotationWidget::updateHoverCursor(const QPoint &pos)
{
    if (textAnnotationAt(pos) >= 0)
        setCursor(Qt::OpenHandCursor);
    else
        setCursor(textMode ? Qt::IBeamCursor : Qt::CrossCursor);
}
