// The recogniser against pages of known text drawn here: what it reads, where it
// says the words are, and what it tells when a language's data is missing.
#include <QTemporaryDir>
#include <QtTest>

#include "ocr/textrecognizer.h"
#include "support/textpages.h"

namespace {

const QString bothLanguages = QStringLiteral("chi_sim+eng");

double overlap(const QRect &a, const QRect &b)
{
    const QRect common = a.intersected(b);
    if (common.isEmpty())
        return 0;
    return double(common.width()) * common.height() / (double(a.width()) * a.height());
}

} // namespace

class TestTextRecognizer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsLinesWithBoxes_data();
    void readsLinesWithBoxes();
    void readsTheOfficeNotice();
    void blankPageHasNoWords();
    void cancelledPageComesBackEmpty();
    void missingDataNamesPackage_data();
    void missingDataNamesPackage();

private:
    TextRecognizer recognizer;
};

void TestTextRecognizer::initTestCase()
{
    QString errorText;
    QVERIFY2(recognizer.load(bothLanguages, TextRecognizer::defaultDataPath(), &errorText), qPrintable(errorText));
}

void TestTextRecognizer::readsLinesWithBoxes_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<double>("degrees");
    // A cropped strip of a page keeps the engine's time within a test's budget.
    QTest::newRow("mixed") << TextPages::mixedLines(4, 0) << 0.0;
    QTest::newRow("mixed, skewed 1.5 degrees") << TextPages::mixedLines(4, 5) << 1.5;
}

void TestTextRecognizer::readsLinesWithBoxes()
{
    QFETCH(QStringList, lines);
    QFETCH(double, degrees);
    const TextPages::Page page = TextPages::render(lines, QSize(2300, 620), 12, 7, 14, degrees);
    const PageText text = recognizer.recognize(page.image);

    QCOMPARE(text.imageSize, page.image.size());
    QCOMPARE(text.lines.size(), lines.size());
    // Each line within 5 % of its characters; the whole page reads at a stated
    // error rate (the benchmark's pages reach about 1 %).
    for (int i = 0; i < lines.size(); ++i) {
        const TextLine line { text.lines.at(i).box, text.lines.at(i).words };
        PageText one;
        one.lines = { line };
        const double rate = TextPages::characterErrorRate(lines.at(i), one.plainText());
        QVERIFY2(rate <= 0.05, qPrintable(QStringLiteral("%1 read as %2").arg(lines.at(i), one.plainText())));
    }
    for (const TextLine &line : text.lines) {
        for (const TextWord &word : line.words) {
            QVERIFY(QRect(QPoint(), page.image.size()).contains(word.box));
            QVERIFY(line.box.contains(word.box));
            QVERIFY(word.confidence > 0 && word.confidence <= 100);
        }
    }
    // Where a drawn word is, the recogniser has a word of the same text.
    int found = 0;
    for (const TextPages::Word &drawn : page.words) {
        for (const TextLine &line : text.lines) {
            for (const TextWord &word : line.words) {
                if (word.text == drawn.text && overlap(drawn.box, word.box) > 0.6 && overlap(word.box, drawn.box) > 0.6)
                    ++found;
            }
        }
    }
    if (!page.words.isEmpty())
        QVERIFY2(found >= page.words.size() * 8 / 10, qPrintable(QString::number(found)));
}

// A colour scan of an office notice: the table's amounts and the signature under the
// red seal are read, and the whole page with fewer errors than the tesseract command
// makes on the same image with the same models (6.6 %).
void TestTextRecognizer::readsTheOfficeNotice()
{
    const TextPages::Page page = TextPages::officeNotice();
    const PageText text = recognizer.recognize(page.image);
    QString all;
    for (const TextLine &line : text.lines) {
        for (const TextWord &word : line.words)
            all += word.text;
        all += QLatin1Char('\n');
    }
    const QString compact = QString(all).remove(QLatin1Char('\n'));
    for (const QString &expected : { QStringLiteral("1595元"), QStringLiteral("7834元"), QStringLiteral("王建国") })
        QVERIFY2(compact.contains(expected), qPrintable(all));
    const double rate = TextPages::characterErrorRate(page.lines.join(QLatin1Char('\n')), all);
    QVERIFY2(rate < 0.05, qPrintable(QStringLiteral("%1\n%2").arg(rate).arg(all)));
}

void TestTextRecognizer::blankPageHasNoWords()
{
    const TextPages::Page page = TextPages::render({}, QSize(1200, 400), 12, 3, 10);
    const PageText text = recognizer.recognize(page.image);
    QVERIFY(text.isEmpty());
    QCOMPARE(text.plainText(), QString());
}

void TestTextRecognizer::cancelledPageComesBackEmpty()
{
    const TextPages::Page page = TextPages::render(TextPages::mixedLines(2), QSize(2300, 320));
    const std::atomic_bool cancel { true };
    bool cancelled = false;
    const PageText text = recognizer.recognize(page.image, &cancel, &cancelled);
    QVERIFY(cancelled);
    QVERIFY(text.isEmpty());
    // The engine serves the next page as before.
    QVERIFY(!recognizer.recognize(page.image).isEmpty());
}

void TestTextRecognizer::missingDataNamesPackage_data()
{
    QTest::addColumn<QString>("languages");
    QTest::addColumn<QStringList>("packages");
    QTest::newRow("Chinese and English") << bothLanguages
                                         << QStringList { QStringLiteral("tesseract-ocr-chi-sim"),
                                                QStringLiteral("tesseract-ocr-eng") };
    QTest::newRow("Chinese") << QStringLiteral("chi_sim") << QStringList { QStringLiteral("tesseract-ocr-chi-sim") };
    QTest::newRow("English") << QStringLiteral("eng") << QStringList { QStringLiteral("tesseract-ocr-eng") };
}

void TestTextRecognizer::missingDataNamesPackage()
{
    QFETCH(QString, languages);
    QFETCH(QStringList, packages);
    QTemporaryDir empty;
    QVERIFY(TextRecognizer::missingDataMessage(languages, TextRecognizer::defaultDataPath()).isEmpty());
    const QString message = TextRecognizer::missingDataMessage(languages, empty.path());
    for (const QString &package : packages)
        QVERIFY2(message.contains(package), qPrintable(message));

    // The environment's data path is the default one, as for the engine itself.
    qputenv("TESSDATA_PREFIX", empty.path().toLocal8Bit());
    TextRecognizer other;
    QString errorText;
    QVERIFY(!other.load(languages, TextRecognizer::defaultDataPath(), &errorText));
    qunsetenv("TESSDATA_PREFIX");
    QCOMPARE(errorText, message);
    QVERIFY(!other.isLoaded());
    QVERIFY(other.recognize(QImage(100, 100, QImage::Format_Grayscale8)).isEmpty());
}

QTEST_MAIN(TestTextRecognizer)
#include "tst_textrecognizer.moc"
