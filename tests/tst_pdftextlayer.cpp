// The invisible text layer of the PDFs: what a reader extracts (pdftotext), where
// it says each word is (pdftotext -bbox), that it costs little, and that pages
// without text get no layer.
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "document/imagefilewriter.h"
#include "document/pdftextlayer.h"
#include "ocr/textrecognizer.h"
#include "support/textpages.h"

namespace {

QString runTool(
    const QString &program, const QStringList &arguments, int *exitCode = nullptr, QString *errors = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return QString();
    if (exitCode)
        *exitCode = process.exitCode();
    if (errors)
        *errors = QString::fromLocal8Bit(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString extractedText(const QString &pdf)
{
    return runTool(
        QStringLiteral("pdftotext"), { QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-") })
        .remove(QLatin1Char('\f'))
        .trimmed();
}

struct BoxedWord
{
    QString text;
    QRectF box; // in page pixels at 300 dpi
};

QVector<BoxedWord> extractedWords(const QString &pdf)
{
    QVector<BoxedWord> words;
    const QString html = runTool(QStringLiteral("pdftotext"), { QStringLiteral("-bbox"), pdf, QStringLiteral("-") });
    static const QRegularExpression pattern(QString::fromLatin1(
        R"x(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)x"));
    constexpr double pixelsPerPoint = 300.0 / 72;
    for (auto match = pattern.globalMatch(html); match.hasNext();) {
        const QRegularExpressionMatch word = match.next();
        const QPointF topLeft(word.captured(1).toDouble(), word.captured(2).toDouble());
        const QPointF bottomRight(word.captured(3).toDouble(), word.captured(4).toDouble());
        words.append({ word.captured(5), QRectF(topLeft * pixelsPerPoint, bottomRight * pixelsPerPoint) });
    }
    return words;
}

// The text a perfect recogniser would find on a drawn page, Chinese one word per
// character as the engine gives it.
PageText drawnText(const TextPages::Page &page)
{
    PageText text;
    text.imageSize = page.image.size();
    TextLine line;
    for (const TextPages::Word &word : page.words) {
        if (!line.words.isEmpty() && word.box.top() > line.box.bottom()) {
            text.lines.append(line);
            line = TextLine();
        }
        const bool chinese = word.text.at(0).unicode() >= 0x2E80;
        if (chinese) {
            const double step = double(word.box.width()) / word.text.size();
            for (int i = 0; i < word.text.size(); ++i) {
                const QRect box(
                    word.box.left() + qRound(i * step), word.box.top(), qRound(step) - 2, word.box.height());
                line.words.append({ word.text.mid(i, 1), box, 90 });
            }
        } else {
            line.words.append({ word.text, word.box, 90 });
        }
        line.box = line.box.united(word.box);
    }
    if (!line.words.isEmpty())
        text.lines.append(line);
    return text;
}

ImageFileWriter::PdfLayout layoutWith(const QVector<PageText> &texts)
{
    ImageFileWriter::PdfLayout layout;
    layout.decoratePage = PdfTextLayer::decorator(texts);
    return layout;
}

} // namespace

class TestPdfTextLayer : public QObject
{
    Q_OBJECT

private slots:
    void readerFindsTheText_data();
    void readerFindsTheText();
    void wordBoxesLieOnTheirInk();
    void layerIsSmallAndValid();
    void pagesWithoutTextGetNoLayer();
    void recognisedPageReadsBack();

private:
    QTemporaryDir folder;
};

void TestPdfTextLayer::readerFindsTheText_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("Chinese") << QStringList { TextPages::chineseLines().at(0), TextPages::chineseLines().at(1) };
    QTest::newRow("English") << QStringList { TextPages::englishLines().at(0), TextPages::englishLines().at(6) };
    QTest::newRow("mixed") << TextPages::mixedLines(4, 2);
}

void TestPdfTextLayer::readerFindsTheText()
{
    QFETCH(QStringList, lines);
    const TextPages::Page page = TextPages::render(lines, QSize(2480, 900));
    const QString path = folder.filePath(QStringLiteral("text.pdf"));
    QString errorText;
    QVERIFY2(ImageFileWriter::writePdf({ page.image }, path, layoutWith({ drawnText(page) }), &errorText),
        qPrintable(errorText));
    // Line for line as drawn: Chinese without blanks between its characters,
    // English words one blank apart.
    QCOMPARE(extractedText(path).split(QLatin1Char('\n'), Qt::SkipEmptyParts), lines);
}

void TestPdfTextLayer::wordBoxesLieOnTheirInk()
{
    const TextPages::Page page = TextPages::render(TextPages::mixedLines(6), QSize(2480, 1400));
    const QString path = folder.filePath(QStringLiteral("boxes.pdf"));
    QVERIFY(ImageFileWriter::writePdf({ page.image }, path, layoutWith({ drawnText(page) }), nullptr));
    const QVector<BoxedWord> extracted = extractedWords(path);
    QVERIFY(!extracted.isEmpty());
    for (const TextPages::Word &drawn : page.words) {
        // Selecting the word highlights its ink: the reader's box of that word
        // covers most of the ink and starts and ends where the ink does.
        double best = 0;
        QRectF bestBox;
        for (const BoxedWord &word : extracted) {
            const QRectF common = word.box.intersected(QRectF(drawn.box));
            const double covered = common.width() * common.height() / (drawn.box.width() * drawn.box.height());
            if (word.text == drawn.text && covered > best) {
                best = covered;
                bestBox = word.box;
            }
        }
        QVERIFY2(best > 0.6, qPrintable(drawn.text));
        QVERIFY2(qAbs(bestBox.left() - drawn.box.left()) < 4 && qAbs(bestBox.right() - drawn.box.right()) < 4,
            qPrintable(drawn.text));
    }
}

void TestPdfTextLayer::layerIsSmallAndValid()
{
    // A full A4 page of text: the layer adds at most 5 KB to the file.
    const TextPages::Page page = TextPages::render(TextPages::mixedLines(36), QSize(2480, 3508), 10);
    const QString plain = folder.filePath(QStringLiteral("plain.pdf"));
    const QString layered = folder.filePath(QStringLiteral("layered.pdf"));
    QVERIFY(ImageFileWriter::writePdf({ page.image }, plain, ImageFileWriter::PdfLayout(), nullptr));
    QVERIFY(ImageFileWriter::writePdf({ page.image }, layered, layoutWith({ drawnText(page) }), nullptr));
    const qint64 added = QFileInfo(layered).size() - QFileInfo(plain).size();
    QVERIFY2(added > 0 && added <= 5 * 1024, qPrintable(QString::number(added)));

    int exitCode = -1;
    const QString report = runTool(QStringLiteral("qpdf"), { QStringLiteral("--check"), layered }, &exitCode);
    QVERIFY2(exitCode == 0, qPrintable(report));
    // The font is embedded (no substitution in any viewer) and rendering draws
    // nothing of it, without complaint.
    const QString fonts = runTool(QStringLiteral("pdffonts"), { layered });
    static const QRegularExpression embedded(QStringLiteral("GlyphLessFont +CID TrueType +Identity-H +yes +no +yes"));
    QVERIFY2(fonts.contains(embedded), qPrintable(fonts));
    QString errors;
    runTool(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"), layered,
            folder.filePath(QStringLiteral("render")) },
        &exitCode, &errors);
    QCOMPARE(exitCode, 0);
    QCOMPARE(errors, QString());
}

void TestPdfTextLayer::pagesWithoutTextGetNoLayer()
{
    const TextPages::Page first = TextPages::render(TextPages::mixedLines(2), QSize(1600, 500));
    const TextPages::Page second = TextPages::render(TextPages::mixedLines(2, 3), QSize(1600, 500));
    const TextPages::Page third = TextPages::render(TextPages::mixedLines(2, 6), QSize(1600, 500));
    PageText empty;
    empty.imageSize = second.image.size();
    // The third text belongs to an image of another size (the page was edited
    // since): its boxes would land beside the ink.
    PageText stale = drawnText(third);
    stale.imageSize = QSize(800, 250);
    const QString path = folder.filePath(QStringLiteral("mixed.pdf"));
    QVERIFY(ImageFileWriter::writePdf(
        { first.image, second.image, third.image }, path, layoutWith({ drawnText(first), empty, stale }), nullptr));
    const QStringList pages
        = runTool(QStringLiteral("pdftotext"), { path, QStringLiteral("-") }).split(QLatin1Char('\f'));
    QCOMPARE(pages.value(0).trimmed().split(QLatin1Char('\n'), Qt::SkipEmptyParts), first.lines);
    QCOMPARE(pages.value(1).trimmed(), QString());
    QCOMPARE(pages.value(2).trimmed(), QString());
}

void TestPdfTextLayer::recognisedPageReadsBack()
{
    // The whole way: drawn, recognised, written, extracted.
    TextRecognizer recognizer;
    QVERIFY(recognizer.load(QStringLiteral("chi_sim+eng")));
    const TextPages::Page page = TextPages::render(TextPages::mixedLines(4, 1), QSize(2300, 620), 12, 11);
    const QString path = folder.filePath(QStringLiteral("recognised.pdf"));
    QVERIFY(ImageFileWriter::writePdf({ page.image }, path, layoutWith({ recognizer.recognize(page.image) }), nullptr));
    const QString extracted = extractedText(path);
    const double rate = TextPages::characterErrorRate(page.lines.join(QLatin1Char('\n')), extracted);
    QVERIFY2(rate <= 0.05, qPrintable(extracted));
    // No blank inside a run of Chinese characters.
    static const QRegularExpression blankInChinese(QStringLiteral("[\\x{4e00}-\\x{9fff}] +[\\x{4e00}-\\x{9fff}]"));
    QVERIFY2(!extracted.contains(blankInChinese), qPrintable(extracted));
}

QTEST_MAIN(TestPdfTextLayer)
#include "tst_pdftextlayer.moc"
