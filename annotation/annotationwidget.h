#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QWidget>

#include "annotation/annotationitem.h"

class QLineEdit;
class AnnotationTool;

// Drawing surface of the annotation dialog: shows the page scaled to fit with its annotations,
// turns drags into shapes and clicks in text mode into an in-place text editor, and lets text
// annotations be selected, dragged, edited and deleted. All annotations are kept in image
// coordinates in the owned AnnotationTool. GUI thread only.
class AnnotationWidget : public QWidget
{
    Q_OBJECT

public:
    explicit AnnotationWidget(const QImage &image, QWidget *parent = nullptr);
    ~AnnotationWidget() override;

    AnnotationTool *annotationTool() const { return tool; }

    void setCurrentTool(int type);
    void setTextMode(bool enabled);
    void setTextFont(const QFont &font);
    void setCurrentColor(const QColor &color);
    void setTransparency(int value);
    void setLineWidth(int width);
    void setFilled(bool filled);

    // Scales the page to fit the available size (it may grow past 1) and fixes the widget to it.
    void fitToSize(const QSize &available);
    // The page with every annotation painted in, at full size.
    QImage resultImage() const;

    void hideTextEditor();
    void editTextAnnotation(int index);
    void setSelectedTextFont(const QFont &font);
    void setSelectedTextColor(const QColor &color);
    void setSelectedTextSize(int points);

    double displayScale() const { return scale; }
    QSize displayedSize() const { return displaySize; }
    int selectedIndex() const { return selectedTextIndex; }
    const AnnotationItem &currentStyleItem() const { return currentStyle; }
    QLineEdit *textEditor() const { return editor; }

    QPoint widgetToImage(const QPoint &p) const;
    QPoint imageToWidget(const QPoint &p) const;
    // Index of the topmost text annotation under a widget point, −1 for none.
    int textAnnotationAt(const QPoint &widgetPoint) const;
    // Box a text annotation gets: the measured text with 100 px of width and 40 px of height to spare.
    static QSize textBoxSize(const QString &text, const QFont &font);

    QSize sizeHint() const override;

signals:
    void imageChanged();
    void textInputRequested(QPoint pos);
    void textEditingStarted();
    void textEditingFinished();
    void textAnnotationSelected(int index);

public slots:
    void onTextEditFinished();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onAnnotationsChanged();
    void refreshDisplay();
    void ensureComposite() const;
    void finishDrawing();
    void showTextEditor(const QPoint &pos);
    void updateEditorWidth(const QString &text);
    void deleteTextAnnotation(int index);
    void dragSelectedBy(const QPoint &delta);
    bool hasSelectedText() const;
    void rememberSelection();
    bool selectionStillHolds() const;
    void updateSelectedText(const AnnotationItem &item);
    void updateHoverCursor(const QPoint &pos);

    int currentTool = AnnotationItem::Rectangle;
    AnnotationItem currentStyle;
    QImage pageImage;
    // pageImage in a format the annotations can be painted on (shared with it for colour pages).
    QImage paintablePage;
    // Both are rebuilt lazily: an edit only marks them stale, and the next paint (or anyone
    // asking for the composite) renders once. A drag or a watermark grid makes dozens of
    // edits in a row, each of which would otherwise re-render the whole page.
    mutable QImage compositeImage;
    mutable QImage displayImage;
    mutable bool compositeStale = true;
    AnnotationTool *tool = nullptr;
    double scale = 1.0;
    QSize displaySize;
    bool drawing = false;
    QPoint startPoint;
    QPoint currentPoint;
    bool textMode = false;
    int selectedTextIndex = -1;
    // The selected annotation as last seen, to notice another one taking its index.
    AnnotationItem selectedItem;
    bool dragging = false;
    QPoint lastDragPoint;
    QLineEdit *editor = nullptr;
    QPoint editorPosition;
    // True from showing the editor until its text is taken, so that Return followed by the
    // loss of focus adds the text once.
    bool editorOpen = false;
    // Set while the widget rebuilds or edits the list itself, so that the selection survives
    // the intermediate states.
    bool internalEdit = false;
};
