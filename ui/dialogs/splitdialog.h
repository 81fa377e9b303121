#pragma once

#include <QDialog>
#include <QImage>

class QLabel;
class QSlider;

// Where to cut a page in two: shows the page with the cutting line at the proposed
// position (the gap found between two blocks, or the middle) and lets the user drag
// the line, on the page or with the slider, before confirming. Values in, the line
// out; the window cuts the page.
class SplitDialog : public QDialog
{
    Q_OBJECT

public:
    // leftRight: a vertical line between a left and a right part; otherwise a
    // horizontal one between a top and a bottom part. line is in page pixels.
    SplitDialog(const QImage &page, bool leftRight, int line, QWidget *parent = nullptr);

    // The chosen line in page pixels, strictly inside the page.
    int line() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showLine();
    // The line under a point of the preview.
    int lineAt(const QPoint &point) const;

    QImage preview; // the page scaled to fit the dialog
    bool leftRight;
    int pageLength; // width (left/right) or height (top/bottom) of the page
    QLabel *view = nullptr;
    QSlider *slider = nullptr;
    QLabel *position = nullptr;
};
