#pragma once

#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>

#include "document/pageid.h"
#include "escl/esclscansettings.h"
#include "scanner/scanarea.h"
#include "document/imagefilewriter.h"
#include "document/pageimporter.h"
#include "document/saveoptions.h"
#include "settings/appsettings.h"
#include "ui/scansession.h"

class QBoxLayout;
class QCheckBox;
class QCloseEvent;
class QComboBox;
class QDockWidget;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QResizeEvent;
class QScrollArea;
class QShowEvent;
class QMoveEvent;
class QSlider;
class QStatusBar;
class QTimer;

class CroppableImageWidget;
class DocumentManager;
class ESCLScanner;
class ImageProcessor;
class ImportProgressDialog;
class PageCorrector;
class QBoxLayout;
class PageListWidget;
class RecognitionQueue;
class ScannerController;
class DocumentHistory;
class PageCommand;
class SavedNotice;
class ScanSettingsPanel;
class ScanAreaSelector;
class EsclPreview;
class WindowActions;
class ProfileSelector;
class QSettings;
class ScanProfileStore;
struct LivePreviewSetup;
struct MergeOptions;

// The one window of the application: it lays out the views and wires the
// subsystems together; the work itself happens in the classes it calls.
// Its implementation is spread over mainwindow_*.cpp by theme. Lives on the
// GUI thread; scanner and network results reach it as queued signals.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // System-clock time in nanoseconds taken by the process entry before the
    // application object existed; the show event reports the time since then.
    qint64 startTime = 0;

private slots:
    void onScanButtonClicked();
    void onPreviewButtonClicked();
    void onPreviewComplete(const QImage &preview);
    void onClearSelectionClicked();
    void onSplitOriginalsClicked();
    void onDelayScanButtonClicked();
    void onFinishDelayScanClicked();
    void onScannerSelected(int index);
    void onScanProgress(int percentage);
    void onScanComplete(const QImage &image);
    void onScanError(const QString &errorMessage);
    void onRotateLeftClicked();
    void onRotateRightClicked();
    void onCropClicked();
    void onCropCompleted(const QRect &rect);
    void onCropCancelled();
    void onAdjustBrightnessContrastClicked();
    void onAutoLevelClicked();
    void onConvertToGrayscaleClicked();
    void onConvertToBinaryClicked();
    void onAdvancedSettingsClicked();
    void onAutoDeskewClicked();
    void onEnhanceTextClicked();
    void onRemoveBorderClicked();
    void onBleachBackgroundClicked();
    void onAdjustBrightnessContrastDialogClicked();
    void onAdjustHueSaturationClicked();
    void onUndoClicked();
    void onRedoClicked();
    // Printing and mail (mainwindow_print.cpp)
    void onPrintClicked();
    void onSendMailClicked();
    void onRemoveBlankPagesToggled(bool enabled);
    void onBlankPageSettingsClicked();
    void onScanSettingsClicked();
    void onLayoutSettingsClicked();
    void onAddESCLDevice();
    void onRemoveESCLDevice();
    void applyLayout1();
    void applyLayout2();

    void onNewDocument();
    void onOpenDocument();
    void onSaveDocument();
    void onSaveAsDocument();
    void onSaveMultiPageDocument();
    void onExportDocument();
    void onPageAdded(int index);
    void onPageRemoved(int index);
    void onPageMoved(int oldIndex, int newIndex);
    void onCurrentPageChanged(int index);
    void onPageSelected(int index);
    void onAboutClicked();
    void onClearAllClicked();
    void onPreferencesClicked();
    void updateStatusBar();
    void onSaveCurrentImage();
    void updateAutoSaveCounter();
    void onADFStatusChanged(bool hasDocument);
    void onADFEmptyWarning();
    void forceScanWithADF();
    void onMultiPageScanStarted();
    void onMultiPageScanFinished(int totalPages);
    void onCurrentPageScanning(int pageNumber);
    void showPagesListContextMenu(const QPoint &pos);
    void onAddImageFromFile();
    void onInsertImageFromFile();
    void onDeleteCurrentPage();
    void onClearAllPages();
    void onMovePageUp();
    void onMovePageDown();
    void onMergeImagesClicked();
    void onSplitImageHorizontal();
    void onSplitImageVertical();
    void onAnnotateImageClicked();
    void onRecognizeTextClicked();
    // Automatic corrections of the current page (mainwindow_autocorrect.cpp)
    void onAutoStraightenClicked();
    void onAutoCropPaperClicked();
    void onAutoOrientClicked();

public:
    // Where the window opens: as it was left (maximised too), or on a first
    // start fitted to the screen, maximised on one smaller than 1280 x 800.
    void placeOnScreen();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Frame (mainwindow.cpp)
    void createActions();
    void connectEditActions();
    void updateUndoActions();
    void createStatusBar();
    void createCentralView();
    void createPagesDock();
    void createScanSettingsDock();
    void createConnections();
    void loadSettings();
    void saveWindowGeometry();
    void updateWindowTitle();
    void displayImage(const QImage &image);
    bool maybeSave();
    // Lets the scanned pages still being corrected reach the document (closing).
    void finishCorrectedPages();
    QDockWidget *scanSettingsDock() const;
    void onPageSizeChosen(int index);
    // What a scan covers: the preview's selection, else the page size.
    ScanArea currentScanArea() const;
    void applyEsclArea(ESCLScanSettings *settings) const;
    // The selector of the view, made on first use with its selection kept per
    // device and source.
    ScanAreaSelector *scanAreaSelector();
    // The selection kept for the chosen device and source, or none; a feeder
    // has no preview.
    void recallScanArea();
    void startEsclPreview(const QString &url);
    void showPreviewInView(bool preview);
    // One page per original found on the page at row, after it, as one step.
    void splitOriginals(int row, bool sayWhenNone);
    void showDocumentError(const QString &message);
    void onDocumentSaved(const QString &path);
    // progressBar in busy mode (range 0-0) and shown.
    void startBusyProgress();
    // progressBar at 0 of 0-100 and shown; busy mode never leaks into it.
    void startDeterminateProgress();
    // progressBar back to 0-100 and hidden.
    void endProgress();

    // Scan profiles and split stacks (mainwindow_profiles.cpp)
    void createProfileSelector();
    void onProfileChosen(const ScanProfile &profile);
    void onSaveProfileAs();
    void onManageProfiles();
    void onDockChanged();
    void onSplitDocumentByRule();
    ScanProfile dockProfile() const;
    // The pages at these indices split by the dock's rule, each part a PDF in
    // the save folder named by the dock's pattern; false when cancelled or failed.
    bool saveSplitDocuments(const QVector<int> &pages);

    // Scan control (mainwindow_scan.cpp)
    bool ensureScannerReady();
    void runESCLScan(const QString &url);
    // index, when given, is the page's place in the document (for its text layer).
    void autoSaveScannedImage(const QImage &image, int index = -1);
    // The run's pages are read from the document by their indices.
    void autoSaveMultiPage(const QList<int> &pages);
    // With recognition on, an automatic PDF waits for its pages' text in the
    // background (RecognisedPdfSave); false when recognition is off.
    bool autoSavePdfWithText(const QVector<int> &indices, const QString &path);
    // format: "pdf", "png", "jpg", "bmp" or "tiff"; empty for the dock's.
    // The dock's save options for saves nobody is asked about: over the size
    // limit they keep the smallest file.
    SaveOptions automaticSaveOptions() const;
    // The document's save to path; over the size limit the user chooses to save
    // anyway, split into parts or save nothing.
    bool saveDocumentTo(const QString &path);
    bool saveImageToFile(const QImage &image, const QString &path,
        const ImageFileWriter::PageDecorator &decorator = ImageFileWriter::PageDecorator(),
        const QString &format = QString());
    QString makeTimestampedFileName(const QString &ext) const;
    QString makePageFileName(const QString &ext, int page) const;
    ScanSession *session();
    ScanSession::BlankTest blankTest() const;
    // Results of a scan wait while the pipeline shows a box (see ScanSession).
    bool deferScanResult(std::function<void()> handler);
    void startSaneScan();
    void cancelEsclScan();
    // Asks the controller to stop; a single page, which reports nothing back when
    // cancelled, ends here at once.
    void cancelSaneScan();
    // Lets the client finish the requests it still has out (the job's DELETE)
    // before it goes; nothing it emits reaches the window any more.
    void releaseEsclClient();
    // Runs an eSCL client's result unless its job (a session generation) is over.
    void handleEsclResult(quint64 job, const std::function<void()> &handler);
    void onEsclPageScanned(const QImage &image, int pageNumber);
    void onEsclJobComplete(int totalPages);
    void onEsclJobError(const QString &error);
    void syncScanState();
    void endScanFeedback();
    // The error box and the end of the scan state, without waiting.
    void showScanError(const QString &errorMessage);
    void showScannedPage(int index);
    // The page pipeline: the blank test, then (a turn later) the rest; the
    // message, when given, is shown once the page has been handled.
    void scanPage(const QImage &image, const QString &doneMessage);
    void finishScannedPage(const QImage &image, bool blank, const QString &doneMessage);
    // The pipeline after the automatic corrections: blank test, add, show.
    void testScannedPage(const QImage &image, const QString &doneMessage);

    // Delay scan (mainwindow_delayscan.cpp)
    void onDelayTimerTick();
    void endDelayCycle(bool pageKept);
    void leaveDelayMode();

    // Device selection (mainwindow_devices.cpp)
    void createScannerController();
    void searchScanners();
    void updateScanParametersForDevice();
    void showSelectedScanner(const QString &text);
    // The failure box, then at most one automatic switch to another device.
    void reportFailedSelection(int index, const QString &text);
    // Fills the scanner list once the first SANE initialisation has finished.
    void onScannerInitializationCompleted();
    void onScannerInitializationFailed(const QString &error);
    void onPaperSourceChanged(int index);
    void onDuplexModeChanged(int index);
    // The eSCL scanners of the network, as device URLs (blocks; nested event loops).
    QStringList discoverEsclDevices();
    // The list a search shows in the current mode; empty when the first SANE
    // initialisation was only started.
    QStringList searchSaneDevices(bool *initializationStarted);
    QStringList searchEsclDevices();
    void showSearchResult(const QStringList &names);
    void connectScannerSelection(bool connected);
    void connectParameterCombos(bool connected);

    // Editing commands and undo (mainwindow_edit.cpp)
    // A page an edit works on: its id, so the result finds it wherever it went
    // while the operation let events through, and its image before the edit.
    struct PageEdit
    {
        PageId page = 0;
        QImage image;
    };
    // The current page; a null image when there is none, after telling the user
    // to choose one when askForPage is set.
    PageEdit currentPageEdit(bool askForPage = true);
    // The one way an edit reaches the document: a step of the undo history that
    // puts the image into the page (which keeps its id); that page is current,
    // selected and shown. False for a null image, or when the page was deleted
    // meanwhile (said in the status bar when reportGone is set).
    bool commitPageEdit(PageId page, const QImage &image, const QString &step, bool reportGone = true);
    // Runs a one-step operation on the current page and commits the result.
    void applyPageEdit(const QString &step, const std::function<QImage(const QImage &)> &operation);
    // Pushes a step onto the undo history.
    void pushCommand(PageCommand *command);
    // Shows message and determinate progress while operation runs.
    QImage runWithProgress(const QString &message, const std::function<QImage()> &operation);
    void runLivePreview(const LivePreviewSetup &setup, const QString &step, const QString &doneMessage,
        const std::function<QImage(const QImage &, int, int)> &operation);

    // Automatic corrections (mainwindow_autocorrect.cpp)
    PageCorrector *corrector();
    // Sends a scanned page to be corrected when a box asks for it; the page then
    // goes on through the pipeline in its order. False: nothing to correct.
    bool correctBeforeShowing(const QImage &image, const QString &doneMessage);
    // Runs a correction on the current page; the undo entry and the put-back
    // only when it changed the page, otherwise unchangedMessage.
    void applyAutoCorrection(const QString &step, const QString &runningMessage, const QString &doneMessage,
        const QString &unchangedMessage, const std::function<QImage(const QImage &)> &operation);

    // Merge and split (mainwindow_mergesplit.cpp)
    void mergePages(int firstRow, int secondRow, const MergeOptions &options);
    void splitCurrentPage(bool leftRight);

    // Save, export and open (mainwindow_saveopen.cpp)
    // Says a file was saved: the status bar, and a notice that opens its folder.
    void showSavedNotice(const QString &text, const QString &path);
    // The save dialog started at proposed (in its nearest existing folder); a name
    // typed without a suffix gets the chosen filter's one. Empty when cancelled.
    QString askSaveFileName(const QString &title, const QString &proposed, const QString &filter);

    // Bringing files in (mainwindow_import.cpp)
    void connectImporter();
    // replace: the files' pages become the document (open); otherwise they are
    // inserted before row (row < 0: appended). A single picture is read at
    // once; PDFs, multi-page files and several files are read on the
    // importer's thread behind a progress dialog.
    void importFiles(const QStringList &paths, int row, bool replace);
    void onImportProgress(int page, int pageCount, const QString &path);
    void onImportPasswordRequired(const QString &path, bool wrongPassword);
    void onImportFinished(const PageImporter::Report &report);
    void reportImportProblems(const PageImporter::Report &report);
    void onFilesDropped(const QStringList &files, int row);

    // Text recognition (mainwindow_ocr.cpp)
    void connectRecognitionControls();
    void onRecognitionToggled(bool enabled);
    void onRecognitionLanguageChosen(int index);
    void showRecognitionUnavailable(const QString &message);
    // The text layer of a PDF of these pages. Pages still waiting for their text
    // are waited for behind a cancellable progress dialog (the window keeps
    // running); a cancel leaves them without text and says so.
    ImageFileWriter::PageDecorator textLayerFor(const QVector<int> &indices);

    // Page commands (mainwindow_pages.cpp)
    void onPagesDropped(const QList<int> &rows, int targetRow);
    // One undo step that moves page from one place to another.
    void movePageStep(int from, int to);
    // The pages selected in the list, in document order.
    QVector<PageId> selectedPages() const;
    void goToPage(int index);
    void clearView();
    void insertImageFromFile(int row, const QString &title);

    qint64 elapsedSinceStart() const;

    ImageProcessor *imageProcessor = nullptr;
    DocumentManager *documentManager = nullptr;
    ScannerController *scannerController = nullptr;
    ESCLScanner *esclScanner = nullptr;
    QTimer *delayTimer = nullptr;
    QImage currentImage;
    bool isScanning = false;
    int autoSaveCounter = AppSettings::saveCounter.defaultValue();
    bool removeBlankPagesEnabled = AppSettings::removeBlankPages.defaultValue();
    int blankPageThreshold = AppSettings::blankPageThreshold.defaultValue();
    int blankPageRatio = AppSettings::blankPageRatio.defaultValue();
    SearchMode searchMode = AppSettings::searchMode.defaultValue();

    // Members of the scan workflow (mainwindow_scan.cpp, mainwindow_delayscan.cpp)
    // Run state, page pipeline and delay cycle; made on first use.
    ScanSession *scanSession = nullptr;

    // Members of device selection (mainwindow_devices.cpp)
    // Set while a failed selection hands over to another device, so that a
    // second failure does not hand over again.
    bool switchingScannerAutomatically = false;

    // Members of the editing commands (mainwindow_edit.cpp)
    // Every change of the pages is a step of this history.
    DocumentHistory *history = nullptr;
    WindowActions *windowActions = nullptr;
    ScanSettingsPanel *panel = nullptr;
    // Members of the scan profiles (mainwindow_profiles.cpp)
    QSettings *profileSettings = nullptr;
    std::unique_ptr<ScanProfileStore> profileStore;
    ProfileSelector *profileSelector = nullptr;
    // The fields of the profile last chosen that the dock has no control for.
    ScanProfile profileHiddenFields;
    // Writes the window's place a moment after it stopped moving.
    QTimer *geometryTimer = nullptr;

    // Members of the automatic corrections (mainwindow_autocorrect.cpp)
    PageCorrector *pageCorrector = nullptr;
    QCheckBox *autoDeskewCheck = nullptr;
    QCheckBox *autoCropCheck = nullptr;
    QCheckBox *autoOrientCheck = nullptr;

    // Members of merge, split, save and open (mainwindow_mergesplit.cpp, mainwindow_saveopen.cpp)

    // Members of bringing files in (mainwindow_import.cpp): the running
    // import's files and kind, its dialog, and a note for its end message.
    QStringList importPaths;
    bool importReplaces = false;
    int importRow = -1;
    QString importNote;
    ImportProgressDialog *importProgress = nullptr;

    CroppableImageWidget *imageWidget = nullptr;
    // The glass and its selection, shown in the view after a preview.
    ScanAreaSelector *areaSelector = nullptr;
    EsclPreview *esclPreview = nullptr;
    QScrollArea *scrollArea = nullptr;
    QStatusBar *statusBarWidget = nullptr;
    QProgressBar *progressBar = nullptr;
    SavedNotice *savedNotice = nullptr;
    QDockWidget *pagesDock = nullptr;
    PageListWidget *pageList = nullptr;
    QComboBox *scannerCombo = nullptr;
    QPushButton *findDeviceButton = nullptr;
    QComboBox *resolutionCombo = nullptr;
    QComboBox *colorModeCombo = nullptr;
    QComboBox *pageSizeCombo = nullptr;
    QComboBox *paperSourceCombo = nullptr;
    QComboBox *duplexCombo = nullptr;
    QLineEdit *savePathEdit = nullptr;
    QComboBox *saveFormatCombo = nullptr;
    QSlider *jpegQualitySlider = nullptr;
    QCheckBox *autoSaveCheck = nullptr;
    QCheckBox *removeBlankPagesCheck = nullptr;
    // Text recognition (mainwindow_ocr.cpp)
    RecognitionQueue *recognitionQueue = nullptr;
    QCheckBox *textRecognitionCheck = nullptr;
    QComboBox *textLanguageCombo = nullptr;
    QPushButton *finishDelayScanButton = nullptr;
};
