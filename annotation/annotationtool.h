#pragma once

#include <QImage>
#include <QJsonObject>
#include <QObject>
#include <QVector>

#include "annotation/annotationitem.h"

class QPainter;

// The annotations of one page with a snapshot undo/redo history, their painting rules, the
// burn-in onto a copy of the page and the JSON form. GUI thread only; signals are direct.
class AnnotationTool : public QObject
{
    Q_OBJECT

public:
    // Undo snapshots kept by an edit; a redo may push one more until the next edit trims it.
    static constexpr int maxUndoSnapshots = 10;

    explicit AnnotationTool(QObject *parent = nullptr);
    ~AnnotationTool() override;

    void addAnnotation(const AnnotationItem &item);
    void removeAnnotation(int index);
    void updateAnnotation(int index, const AnnotationItem &item);
    void clearAnnotations();

    AnnotationItem annotationAt(int index) const;
    const QVector<AnnotationItem> &annotationList() const { return annotations; }
    int count() const { return annotations.size(); }

    void undo();
    void redo();
    int undoCount() const { return undoStack.size(); }
    int redoCount() const { return redoStack.size(); }

    // A copy of the image with every annotation painted in list order; null stays null.
    QImage renderAnnotations(const QImage &image) const;
    // Paints every annotation in list order onto the image itself (detaching it if shared).
    void paintAnnotations(QImage &target) const;
    // The page in a format annotations can be painted on in colour: grey, two-level and indexed
    // pages are widened to 32-bit colour, others are returned as they are (shared).
    static QImage paintableImage(const QImage &image);
    static void drawAnnotation(QPainter &painter, const AnnotationItem &item);

    QJsonObject toJson() const;
    // Replaces the list; false (and nothing changed) when there is no "annotations" array.
    bool fromJson(const QJsonObject &json);

signals:
    void annotationAdded(int index);
    void annotationRemoved(int index);
    void annotationsCleared();
    void annotationsChanged();

private:
    void saveState();

    QVector<AnnotationItem> annotations;
    QVector<QVector<AnnotationItem>> undoStack;
    QVector<QVector<AnnotationItem>> redoStack;
};
