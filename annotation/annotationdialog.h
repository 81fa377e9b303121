#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVector>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSlider;
class QSpinBox;
class QStackedWidget;
class AnnotationWidget;

// Modal editor in which the user annotates one page: the canvas in a scroll area and a
// control panel with a text, a watermark and a drawing page, which scroll on a low
// screen while the closing buttons stay in view. It asks for dialogSizeFor() and fits
// the canvas to whatever size it has once the event loop runs, so a caller can shrink it
// to the screen first. The caller runs exec() and, on acceptance, replaces the page with
// resultImage(). GUI thread only.
class AnnotationDialog : public QDialog
{
    Q_OBJECT

public:
    // Watermark placements, the indices of the "位置" combo box.
    enum WatermarkPosition {
        WatermarkCenter = 0,
        WatermarkTopLeft = 1,
        WatermarkTopRight = 2,
        WatermarkBottomLeft = 3,
        WatermarkBottomRight = 4,
        WatermarkRowTile = 5,
        WatermarkDiagonalTile = 6,
        WatermarkFill = 7
    };

    explicit AnnotationDialog(const QImage &image, QWidget *parent = nullptr);
    ~AnnotationDialog() override;

    // The page with every annotation painted in.
    QImage resultImage() const;

    AnnotationWidget *canvas() const { return annotationWidget; }

    // Turns one text into grey text annotations placed on the page; each item is its own undo step.
    void addWatermark(const QString &text, int position, int opacity);

    // Size the dialog opens with for a page of this size.
    static QSize dialogSizeFor(const QSize &pageSize);
    // Top-left corners of the watermark boxes for a page, given the measured text size.
    static QVector<QPoint> watermarkPositions(int position, const QSize &pageSize, int textW, int textH);
    // Measured text width and height of a watermark text in its font (before the box margins).
    static QSize watermarkTextSize(const QString &text, const QFont &font);

public slots:
    void onToolChanged(int index);
    void onColorSelected(int colorIndex);
    void onLineWidthChanged(int width);
    void onFontChanged(QFont font);
    void onFontSizeChanged(int size);
    void onTransparencyChanged(int value);
    void onUndo();
    void onRedo();
    void onClear();
    void onApply();
    void onCancel();
    void onTextInputRequested(QPoint pos);
    void onAddWatermark();
    void onQuickAddText();
    void onWatermarkTypeChanged(int index);
    void onTextAnnotationSelected(int index);

private slots:
    void onModeChanged(int index);
    void fitCanvas();

private:
    QWidget *buildPanel();
    QWidget *buildTextPage();
    QWidget *buildWatermarkPage();
    QWidget *buildDrawingPage();
    QWidget *buildPaletteRow(QList<QPushButton *> &buttons, int checkedIndex);
    void runWatermarkCommand();

    QImage pageImage;
    AnnotationWidget *annotationWidget = nullptr;
    QScrollArea *scrollArea = nullptr;
    QVector<QColor> colorPalette;
    QColor currentColor;
    QList<QPushButton *> textColorButtons;
    QList<QPushButton *> drawColorButtons;

    QComboBox *modeCombo = nullptr;
    QStackedWidget *modeStack = nullptr;

    // Text page.
    QLabel *hintLabel = nullptr;
    QLabel *selectedTextLabel = nullptr;
    QFontComboBox *fontCombo = nullptr;
    QSpinBox *fontSizeSpin = nullptr;
    QSlider *transparencySlider = nullptr;
    QLabel *transparencyLabel = nullptr;

    // Watermark page.
    QLineEdit *watermarkEdit = nullptr;
    QComboBox *watermarkPositionCombo = nullptr;
    QSlider *watermarkSizeSlider = nullptr;
    QLabel *watermarkSizeLabel = nullptr;
    QSlider *watermarkOpacitySlider = nullptr;
    QLabel *watermarkOpacityLabel = nullptr;
    QPushButton *addWatermarkButton = nullptr;

    // Drawing page.
    QComboBox *toolCombo = nullptr;
    QSlider *lineWidthSlider = nullptr;
    QLabel *lineWidthLabel = nullptr;
    QCheckBox *fillCheck = nullptr;

    QPushButton *undoButton = nullptr;
    QPushButton *redoButton = nullptr;
    QPushButton *clearButton = nullptr;
    QPushButton *cancelButton = nullptr;
    QPushButton *applyButton = nullptr;
};
