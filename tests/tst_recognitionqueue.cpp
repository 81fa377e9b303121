// The background recognition of the document's pages: each page gets its own
// text, keeps it through moves, edits and undo, loses it when it leaves, and has
// it back after a crash without being read again. Recognition switched off and
// missing language data are checked through the window (tst_mainwindow_ocr).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "document/documentmanager.h"
#include "document/pagerecovery.h"
#include "document/pagestore.h"
#include "support/textpages.h"
#include "ui/recognisedpdfsave.h"
#include "ui/recognitionqueue.h"
#include "ui/commands/documenthistory.h"
#include "ui/commands/pageeditcommand.h"

namespace {

// Small pages, one line each, so the engine's time stays within a test's budget.
TextPages::Page smallPage(int line)
{
    return TextPages::render(TextPages::mixedLines(1, line), QSize(2300, 220), 12, unsigned(line + 1));
}

bool readsAs(const PageText &text, const TextPages::Page &page)
{
    return !text.isEmpty()
        && TextPages::characterErrorRate(page.lines.join(QLatin1Char('\n')), text.plainText()) <= 0.05;
}

constexpr int recognitionTimeout = 60000;

} // namespace

class TestRecognitionQueue : public QObject
{
    Q_OBJECT

private slots:
    void textFollowsItsPage();
    void recoveredDocumentKeepsItsText();
    void automaticSaveWaitsForText_data();
    void automaticSaveWaitsForText();
};

void TestRecognitionQueue::textFollowsItsPage()
{
    DocumentManager document;
    RecognitionQueue queue(&document);
    DocumentHistory history(&document);
    queue.setEnabled(true);
    const TextPages::Page first = smallPage(0);
    const TextPages::Page second = smallPage(1);
    document.addPage(first.image);
    document.addPage(second.image);
    const PageId firstId = document.pageId(0);
    const PageId secondId = document.pageId(1);
    QTRY_VERIFY_WITH_TIMEOUT(queue.hasText(firstId) && queue.hasText(secondId), recognitionTimeout);
    QCOMPARE(queue.waitingAmong({ firstId, secondId }), 0);
    for (int i = 0; i < 2; ++i) {
        const PageText text = queue.text(document.pageId(i));
        QVERIFY2(readsAs(text, i == 0 ? first : second), qPrintable(text.plainText()));
        // Kept beside the page in the store's folder.
        QFile stored(document.pageStore()->textPath(i));
        QVERIFY(stored.open(QIODevice::ReadOnly));
        PageText read;
        QVERIFY(PageText::fromJson(stored.readAll(), &read));
        QCOMPARE(read.plainText(), text.plainText());
    }

    // Moved: the text goes with the page, not with the place.
    document.movePageDown(0);
    QCOMPARE(document.pageId(1), firstId);
    const QVector<PageText> moved = queue.textsFor({ 1, 0 });
    QVERIFY(readsAs(moved.at(0), first));
    QVERIFY(readsAs(moved.at(1), second));
    // Edited (another image put back): read again, the other page untouched.
    const TextPages::Page edited = smallPage(4);
    history.push(new PageEditCommand(&document, firstId, edited.image, QStringLiteral("edit")));
    QVERIFY(!queue.hasText(firstId));
    QVERIFY(queue.isWaiting(firstId));
    QTRY_VERIFY_WITH_TIMEOUT(queue.hasText(firstId), recognitionTimeout);
    QVERIFY2(readsAs(queue.text(firstId), edited), qPrintable(queue.text(firstId).plainText()));
    QVERIFY(readsAs(queue.text(secondId), second));

    // Undone: the page reads as it did before the edit.
    QVERIFY(history.undo());
    QTRY_VERIFY_WITH_TIMEOUT(queue.hasText(firstId), recognitionTimeout);
    QVERIFY2(readsAs(queue.text(firstId), first), qPrintable(queue.text(firstId).plainText()));
    QCOMPARE(document.indexOf(firstId), 1);

    // Removed: the text and its file go with the page, and a page removed while
    // it waits leaves nothing behind.
    document.pageStore()->waitForWrites();
    const QString removedFile = document.pageStore()->textPath(1);
    QVERIFY(QFile::exists(removedFile));
    document.removePage(1);
    QVERIFY(!queue.hasText(firstId));
    QVERIFY(queue.hasText(secondId));
    document.pageStore()->waitForWrites();
    QVERIFY(!QFile::exists(removedFile));
    document.addPage(smallPage(2).image);
    const PageId gone = document.pageId(1);
    QVERIFY(queue.isWaiting(gone));
    document.removePage(1);
    QVERIFY(!queue.isWaiting(gone));
}

void TestRecognitionQueue::recoveredDocumentKeepsItsText()
{
    QTemporaryDir root;
    QString folder;
    QString firstText;
    {
        DocumentManager document;
        RecognitionQueue queue(&document);
        queue.setEnabled(true);
        document.addPage(smallPage(0).image);
        document.addPage(smallPage(1).image);
        QTRY_VERIFY_WITH_TIMEOUT(
            queue.hasText(document.pageId(0)) && queue.hasText(document.pageId(1)), recognitionTimeout);
        document.pageStore()->waitForWrites();
        firstText = queue.text(document.pageId(0)).plainText();
        // What a process that died would leave: the folder without a live lock.
        folder = root.filePath(QStringLiteral("left-behind"));
        QDir().mkpath(folder);
        const QDir source(document.pageStore()->folder());
        for (const QString &name : source.entryList(QDir::Files)) {
            if (name != QLatin1String("lock"))
                QVERIFY(QFile::copy(source.filePath(name), QDir(folder).filePath(name)));
        }
    }
    const QList<RecoverableFolder> found = PageRecovery::find(root.path());
    QCOMPARE(found.size(), 1);
    DocumentManager document;
    RecognitionQueue queue(&document); // off: nothing is recognised
    QVERIFY(document.recoverPages(found.first()));
    QCOMPARE(document.pageCount(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(queue.hasText(document.pageId(0)) && queue.hasText(document.pageId(1)), 10000);
    QCOMPARE(queue.text(document.pageId(0)).plainText(), firstText);
    QVERIFY(QFile::exists(document.pageStore()->textPath(1)));
}

QTEST_MAIN(TestRecognitionQueue)
#include "tst_recognitionqueue.moc"

void TestRecognitionQueue::automaticSaveWaitsForText_data()
{
    QTest::addColumn<bool>("dataInstalled");
    QTest::newRow("pages recognised") << true;
    QTest::newRow("recognition fails") << false;
}

// A scan's automatic PDF waits for its pages' recognition without blocking, then
// carries their text; pages whose recognition failed are saved without text and
// counted.
void TestRecognitionQueue::automaticSaveWaitsForText()
{
    QFETCH(bool, dataInstalled);
    QTemporaryDir folder;
    DocumentManager document;
    RecognitionQueue queue(&document);
    if (!dataInstalled)
        queue.setDataPath(folder.path());
    queue.setEnabled(true);
    const TextPages::Page first = smallPage(2);
    const TextPages::Page second = smallPage(3);
    document.addPage(first.image);
    document.addPage(second.image);
    const QString path = folder.filePath(QStringLiteral("scan.pdf"));
    auto *save = new RecognisedPdfSave(&document, &queue, { document.pageId(0), document.pageId(1) },
        { path, QStringLiteral("scan"), SaveOptions { SaveOptions::Compression::Standard, 80 } });
    QSignalSpy finished(save, &RecognisedPdfSave::finished);
    save->start();
    QVERIFY(!QFile::exists(path)); // the caller goes on; nothing waits here
    QVERIFY(finished.wait(recognitionTimeout));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(finished.at(0).at(2).toInt(), 2);
    QCOMPARE(finished.at(0).at(3).toInt(), dataInstalled ? 0 : 2);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), { path, QStringLiteral("-") });
    QVERIFY(text.waitForFinished(30000));
    const QString layer = QString::fromUtf8(text.readAllStandardOutput());
    const QString expected
        = first.lines.join(QLatin1Char('\n')) + QLatin1Char('\n') + second.lines.join(QLatin1Char('\n'));
    if (dataInstalled)
        QVERIFY2(TextPages::characterErrorRate(expected, layer) <= 0.05, qPrintable(layer));
    else
        QVERIFY2(layer.trimmed().isEmpty(), qPrintable(layer));
}
