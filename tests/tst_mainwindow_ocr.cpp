// Text recognition from the window: the dock's switch, saving while pages are
// still being read, the "识别文字" dialog, and missing language data.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "document/documentmanager.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/tempsettings.h"
#include "tests/support/textpages.h"
#include "tests/support/windowparts.h"
#include "ui/dialogs/recognizedtextdialog.h"
#include "ui/mainwindow.h"
#include "ui/recognitionqueue.h"

namespace {

TextPages::Page smallPage(int line)
{
    return TextPages::render(TextPages::mixedLines(1, line), QSize(2300, 220), 12, unsigned(line + 1));
}

QString pdfText(const QString &path)
{
    QProcess process;
    process.start(
        QStringLiteral("pdftotext"), { QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-") });
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).remove(QLatin1Char('\f')).trimmed();
}

} // namespace

class MainWindowOcrTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void switchIsStoredInTheSettings();
    void saveWaitsForTheTextAndWritesIt();
    void cancelledWaitSavesWithoutText();
    void textDialogReadsThePageOnce();
    void missingDataSaysWhatToInstall();

private:
    void openWindow();

    TempSettings settings;
    QTemporaryDir scratch;
    MainWindow *window = nullptr;
    DocumentManager *document = nullptr;
    RecognitionQueue *queue = nullptr;
    QCheckBox *check = nullptr;
};

void MainWindowOcrTest::init()
{
    settings.clear();
    openWindow();
}

void MainWindowOcrTest::openWindow()
{
    window = new MainWindow;
    document = part<DocumentManager>(*window, "documentManager");
    queue = part<RecognitionQueue>(*window, "recognitionQueue");
    check = part<QCheckBox>(*window, "textRecognitionCheck");
    part<QCheckBox>(*window, "autoSaveCheck")->setChecked(false);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void MainWindowOcrTest::cleanup()
{
    delete window;
    window = nullptr;
    qunsetenv("TESSDATA_PREFIX");
}

void MainWindowOcrTest::switchIsStoredInTheSettings()
{
    QVERIFY(!check->isChecked());
    QVERIFY(!queue->isEnabled());
    check->setChecked(true);
    part<QComboBox>(*window, "textLanguageCombo")->setCurrentIndex(2);
    QVERIFY(queue->isEnabled());
    QCOMPARE(queue->languages(), QStringLiteral("eng"));
    delete window;
    openWindow();
    QVERIFY(check->isChecked());
    QVERIFY(queue->isEnabled());
    QCOMPARE(part<QComboBox>(*window, "textLanguageCombo")->currentText(), QStringLiteral("英文"));
}

void MainWindowOcrTest::saveWaitsForTheTextAndWritesIt()
{
    check->setChecked(true);
    const TextPages::Page first = smallPage(0);
    const TextPages::Page second = smallPage(1);
    document->addPage(first.image);
    document->addPage(second.image);
    // Saved at once: the save waits behind its progress dialog while the window runs.
    QString progressText;
    QTimer::singleShot(0, this, [&] {
        if (QProgressDialog *progress = window->findChild<QProgressDialog *>())
            progressText = progress->labelText();
    });
    const QString path = scratch.filePath(QStringLiteral("document.pdf"));
    QVERIFY(document->saveDocument(path));
    QVERIFY2(QRegularExpression(QStringLiteral("^正在识别文字 [0-2]/2$")).match(progressText).hasMatch(),
        qPrintable(progressText));
    const QString text = pdfText(path);
    const QString expected = first.lines.first() + QLatin1Char('\n') + second.lines.first();
    QVERIFY2(TextPages::characterErrorRate(expected, text) <= 0.05, qPrintable(text));
    // The engine's own boxes, one per Chinese character, give no blank inside a run of them.
    static const QRegularExpression blankInChinese(QStringLiteral("[\\x{4e00}-\\x{9fff}] +[\\x{4e00}-\\x{9fff}]"));
    QVERIFY2(!text.contains(blankInChinese), qPrintable(text));
}

void MainWindowOcrTest::cancelledWaitSavesWithoutText()
{
    check->setChecked(true);
    const TextPages::Page page = TextPages::render(TextPages::mixedLines(12), QSize(2480, 3508));
    document->addPage(page.image);
    const QImage before = document->page(0);
    QTimer::singleShot(50, this, [this] {
        if (QProgressDialog *progress = window->findChild<QProgressDialog *>())
            progress->findChild<QPushButton *>()->click();
    });
    const QString path = scratch.filePath(QStringLiteral("cancelled.pdf"));
    QVERIFY(document->saveDocument(path));
    QCOMPARE(pdfText(path), QString());
    QTRY_VERIFY(window->statusBar()->currentMessage().contains(QStringLiteral("没有文字层")));
    // The page itself is as it was.
    QCOMPARE(document->page(0), before);
}

void MainWindowOcrTest::textDialogReadsThePageOnce()
{
    const TextPages::Page page = smallPage(2);
    document->addPage(page.image);
    document->addPage(smallPage(3).image);
    document->setCurrentPage(0);
    QVERIFY(QMetaObject::invokeMethod(window, "onRecognizeTextClicked"));
    RecognizedTextDialog *dialog = part<RecognizedTextDialog>(*window, "recognizedTextDialog");
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->text().isEmpty(), 60000);
    QVERIFY2(TextPages::characterErrorRate(page.lines.first(), dialog->text()) <= 0.05, qPrintable(dialog->text()));
    part<QPushButton>(*dialog, "copyAllButton")->click();
    QCOMPARE(QApplication::clipboard()->text(), dialog->text());
    // Recognition stays off: the other page is not read.
    QVERIFY(!queue->isEnabled());
    QVERIFY(!queue->isWaiting(document->pageId(1)));
    QVERIFY(!queue->hasText(document->pageId(1)));
}

void MainWindowOcrTest::missingDataSaysWhatToInstall()
{
    delete window;
    QTemporaryDir empty;
    qputenv("TESSDATA_PREFIX", empty.path().toLocal8Bit());
    openWindow();
    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Ok);
    check->setChecked(true);
    QTRY_COMPARE(answerer.pending(), 0);
    QVERIFY2(answerer.seen().value(0).contains(QStringLiteral("tesseract-ocr-chi-sim")),
        qPrintable(answerer.seen().join(QLatin1Char('\n'))));
    QVERIFY(!check->isChecked());
    QVERIFY(!queue->isEnabled());
    // Saving goes on, without text.
    document->addPage(smallPage(0).image);
    const QString path = scratch.filePath(QStringLiteral("plain.pdf"));
    QVERIFY(document->saveDocument(path));
    QCOMPARE(pdfText(path), QString());
}

QTEST_MAIN(MainWindowOcrTest)
#include "tst_mainwindow_ocr.moc"
