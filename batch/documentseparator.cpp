#include "batch/documentseparator.h"

#include "barcode/barcodereader.h"
#include "imaging/imageprocessor.h"

DocumentSeparator::Rule DocumentSeparator::Rule::of(const ScanProfile &profile)
{
    Rule rule;
    rule.rule = profile.splitRule;
    rule.every = qMax(1, profile.splitEvery);
    rule.keepSeparator = profile.keepSeparator;
    rule.blankThreshold = profile.blankPageThreshold;
    rule.blankRatio = profile.blankPageRatio;
    return rule;
}

DocumentSeparator::DocumentSeparator(const Rule &rule)
    : m_rule(rule)
{
    m_rule.every = qMax(1, m_rule.every);
}

bool DocumentSeparator::needsImages() const
{
    return m_rule.rule == SplitRule::BlankPage || m_rule.rule == SplitRule::Barcode;
}

bool DocumentSeparator::isSeparator(const QImage &image, QString *barcode) const
{
    if (m_rule.rule == SplitRule::BlankPage) {
        ImageProcessor processor;
        return processor.isBlankPage(image, m_rule.blankThreshold, m_rule.blankRatio / 100.0);
    }
    if (m_rule.rule == SplitRule::Barcode) {
        const QVector<BarcodeReader::Code> codes = BarcodeReader::read(image);
        if (codes.isEmpty())
            return false;
        *barcode = codes.first().text;
        return true;
    }
    return false;
}

DocumentSeparator::Decision DocumentSeparator::add(quint64 key, const QImage &image)
{
    Decision decision;
    switch (m_rule.rule) {
    case SplitRule::None:
        break;
    case SplitRule::EveryPage:
        startNext = true;
        break;
    case SplitRule::EveryNPages:
        if (!m_documents.isEmpty() && m_documents.last().pages.size() >= m_rule.every)
            startNext = true;
        break;
    case SplitRule::BlankPage:
    case SplitRule::Barcode: {
        QString barcode;
        if (isSeparator(image, &barcode)) {
            decision.barcode = barcode;
            decision.startsDocument = true;
            startNext = true;
            pendingBarcode = barcode;
            if (m_rule.rule == SplitRule::BlankPage || !m_rule.keepSeparator) {
                decision.dropped = true;
                return decision;
            }
        }
        break;
    }
    }
    if (startNext || m_documents.isEmpty()) {
        m_documents.append(Document { {}, pendingBarcode });
        decision.startsDocument = true;
        startNext = false;
        pendingBarcode.clear();
    }
    m_documents.last().pages.append(key);
    return decision;
}

QVector<DocumentSeparator::Document> DocumentSeparator::split(
    const Rule &rule, int pageCount, const std::function<QImage(int)> &pageAt)
{
    DocumentSeparator separator(rule);
    for (int i = 0; i < pageCount; ++i)
        separator.add(static_cast<quint64>(i), separator.needsImages() ? pageAt(i) : QImage());
    return separator.documents();
}
