// The invisible text layer of the PDFs: what a reader extracts (pdftotext), where
// it says each word is (pdftotext -bbox), that it costs little, and that pages
// without text get no layer. Recognised text written the whole way through is
// checked through the window (tst_mainwindow_ocr).
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "document/imagefilewriter.h"
#include "document/pdftextlayer.h"
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
    void readerFindsEachPagesText();
    void wordBoxesLieOnTheirInk();
    void layerIsSmallAndValid();

private:
    QTemporaryDir folder;
};

// A reader extracts each page's text line for line as drawn: Chinese without
// blanks between its characters, English words one blank apart. A page without
// text gets no layer, nor does one whose text belongs to an image of another
// size (the page was edited since): its boxes would land beside the ink.
void TestPdfTextLayer::readerFindsEachPagesText()
{
    const QList<QStringList> drawn { { TextPages::chineseLines().at(0), TextPages::chineseLines().at(1) },
        { TextPages::englishLines().at(0), TextPages::englishLines().at(6) }, TextPages::mixedLines(4, 2),
        TextPages::mixedLines(2, 3), TextPages::mixedLines(2, 6) };
    QList<QImage> images;
    QVector<PageText> texts;
    for (const QStringList &lines : drawn) {
        const TextPages::Page page = TextPages::render(lines, QSize(2480, 900));
        images << page.image;
        texts << drawnText(page);
    }
    texts[3] = PageText();
    texts[3].imageSize = images.at(3).size();
    texts[4].imageSize = QSize(1240, 450);
    // One layer written twice, as a second save or a size limit's next pass does.
    const ImageFileWriter::PdfLayout layout = layoutWith(texts);
    for (const QString &name : { QStringLiteral("text.pdf"), QStringLiteral("again.pdf") }) {
        const QString path = folder.filePath(name);
        QString errorText;
        QVERIFY2(ImageFileWriter::writePdf(images, path, layout, &errorText), qPrintable(errorText));
        const QStringList pages = runTool(
            QStringLiteral("pdftotext"), { QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-") })
                                      .split(QLatin1Char('\f'));
        for (int i = 0; i < drawn.size(); ++i)
            QCOMPARE(pages.value(i).trimmed().split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                i < 3 ? drawn.at(i) : QStringList());
    }
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

QTEST_MAIN(TestPdfTextLayer)
#include "tst_pdftextlayer.moc"
