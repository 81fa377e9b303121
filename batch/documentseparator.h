#pragma once

#include <QImage>
#include <QString>
#include <QVector>

#include <functional>

#include "settings/scanprofile.h"

// Splits a stack of pages into documents by a rule: not at all, a document per
// page, per N pages, at blank sheets (dropped) or at sheets that carry a
// barcode or QR code (dropped unless they are to be kept, then the first page
// of their document). Pages are handed in as they arrive, a feeder run's sheet
// after sheet, or a whole list at once. A page is named by a key of the
// caller's (a page id, an index); documents are never empty.
//
// Not thread-safe; one stack per instance.
class DocumentSeparator
{
public:
    struct Rule
    {
        SplitRule rule = SplitRule::None;
        int every = 2; // pages per document for EveryNPages
        bool keepSeparator = false; // Barcode: the separator sheet begins its document
        int blankThreshold = 240; // the blank-page test's white threshold
        int blankRatio = 98; // and its minimum white percentage

        static Rule of(const ScanProfile &profile);
    };

    struct Document
    {
        QVector<quint64> pages;
        QString barcode; // the text of the separator sheet that began it
    };

    // What became of a page handed in.
    struct Decision
    {
        bool dropped = false; // a separator sheet left out
        bool startsDocument = false; // the page, or the next page kept after a dropped separator, begins a document
        QString barcode;
    };

    explicit DocumentSeparator(const Rule &rule);

    // Whether the rule has to see the pages (blank and barcode tests).
    bool needsImages() const;
    // The next page of the stack; image may be null when needsImages() is false.
    Decision add(quint64 key, const QImage &image);
    // The documents so far, in stack order.
    QVector<Document> documents() const { return m_documents; }

    // The whole list: pageAt(i) is asked for each page once, in order (only when
    // the rule looks at pages); keys are the indices.
    static QVector<Document> split(const Rule &rule, int pageCount, const std::function<QImage(int)> &pageAt);

private:
    bool isSeparator(const QImage &image, QString *barcode) const;

    Rule m_rule;
    QVector<Document> m_documents;
    bool startNext = true;
    QString pendingBarcode;
};
