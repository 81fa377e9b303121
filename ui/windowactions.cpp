#include "ui/windowactions.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>

WindowActions::WindowActions(QMainWindow *window)
    : QObject(window)
    , window(window)
{
    openDocument = make("openAction", tr("打开文档..."), nullptr, tr("打开图像、多页TIFF或PDF文件"));
    openDocument->setShortcut(QKeySequence::Open);
    addImages = make("addImagesAction", tr("添加图片..."), nullptr, tr("从文件添加新图片到文档末尾"));
    save = make("saveAction", tr("保存"), ":/icons/save-single.svg", tr("保存当前图像"));
    save->setShortcut(QKeySequence::Save);
    saveMulti = make("saveMultiAction", tr("多页保存"), ":/icons/save-multi.svg", tr("保存多页文档"));
    saveAs = make("saveAsAction", tr("保存文档..."), nullptr, tr("把整个文档保存为一个文件"));
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    exportDocument = make("exportAction", tr("导出..."), nullptr, tr("以选定的格式导出文档"));
    exportDocument->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    print = make("printAction", tr("打印..."), nullptr, tr("打印所选页面或全部页面"));
    print->setShortcut(QKeySequence::Print);
    sendMail = make("sendMailAction", tr("发送邮件..."), nullptr, tr("把文档作为PDF附件发送"));
    quit = make("quitAction", tr("退出"));
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);

    undo = make("undoAction", tr("撤销"));
    undo->setShortcut(QKeySequence::Undo);
    redo = make("redoAction", tr("重做"));
    // Both keys the desktop uses for redo.
    redo->setShortcuts({ QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) });
    undo->setEnabled(false);
    redo->setEnabled(false);
    rotateLeft = make("rotateLeftAction", tr("左旋转"), ":/icons/rotate-left.svg", tr("向左旋转90度"));
    rotateRight = make("rotateRightAction", tr("右旋转"), ":/icons/rotate-right.svg", tr("向右旋转90度"));
    crop = make("cropAction", tr("裁剪"), ":/icons/crop.svg", tr("裁剪当前图像 (Ctrl+R)"));
    crop->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    advanced = make("advancedAction", tr("高级设置"), ":/icons/settings-gear.svg", tr("高级图像处理设置"));
    annotate = make("annotateAction", tr("批注标记"), ":/icons/edit.svg", tr("在图片上添加批注和标记"));
    merge = make("mergeAction", tr("合并图片"), ":/icons/layout-columns.svg", tr("将选中的图片合并为一张"));
    splitLeftRight = make(
        "splitLeftRightAction", tr("左右拆分"), ":/icons/layout-columns.svg", tr("从中间左右拆分，适合左右排列的证件"));
    splitTopBottom
        = make("splitTopBottomAction", tr("上下拆分"), ":/icons/layout.svg", tr("从中间上下拆分，适合上下排列的证件"));
    moveUp = make("moveUpAction", tr("上移"), nullptr, tr("将此页面向上移动一位"));
    moveDown = make("moveDownAction", tr("下移"), nullptr, tr("将此页面向下移动一位"));
    deletePages = make("deleteAction", tr("删除"), ":/icons/delete.svg", tr("删除选中的页面"));
    deletePages->setShortcut(QKeySequence::Delete);
    clearAll = make("clearAllAction", tr("清除"), ":/icons/clear-all.svg", tr("清除所有扫描图片"));
    preferences = make("preferencesAction", tr("首选项..."), nullptr, tr("界面语言等设置"));
    preferences->setMenuRole(QAction::PreferencesRole);

    zoomIn = make("zoomInAction", tr("放大"));
    zoomIn->setShortcuts({ QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal) });
    zoomOut = make("zoomOutAction", tr("缩小"));
    zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    fitToWindow = make("fitToWindowAction", tr("适合窗口"));
    fitToWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    actualSize = make("actualSizeAction", tr("实际大小"));
    actualSize->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    previousPage = make("previousPageAction", tr("上一页"));
    previousPage->setShortcut(QKeySequence(Qt::Key_PageUp));
    nextPage = make("nextPageAction", tr("下一页"));
    nextPage->setShortcut(QKeySequence(Qt::Key_PageDown));
    firstPage = make("firstPageAction", tr("第一页"));
    firstPage->setShortcut(QKeySequence(Qt::Key_Home));
    lastPage = make("lastPageAction", tr("最后一页"));
    lastPage->setShortcut(QKeySequence(Qt::Key_End));
    layout = make("layoutAction", tr("界面布局"), ":/icons/layout-switch.svg", tr("切换界面布局"));

    scan = make("scanAction", tr("扫描"), ":/icons/scan.svg", tr("开始/停止扫描 "));
    // Ctrl+S is the standard Save key here, and an ambiguous shortcut fires
    // neither action: saving owns it, and the scan action keeps Ctrl+S only on
    // platforms whose Save key is a different one.
    const QKeySequence scanKey(Qt::CTRL | Qt::Key_S);
    if (!QKeySequence::keyBindings(QKeySequence::Save).contains(scanKey))
        scan->setShortcut(scanKey);
    delayScan = make("delayScanAction", tr("延时扫描"), nullptr, tr("循环延时扫描，适合平板扫描仪多张扫描"));
    findDevices = make("findDevicesAction", tr("查找设备"), nullptr, tr("查找可用的扫描仪设备"));
    scanSettings = make("scanSettingsAction", tr("扫描设置"), ":/icons/scan-network.svg", tr("扫描仪搜索设置"));

    about = make("aboutAction", tr("关于"), ":/icons/about.svg", tr("关于本软件"));
    about->setMenuRole(QAction::AboutRole);

    fillMenus(window);
    fillToolBar(window);
}

QAction *WindowActions::make(const char *name, const QString &text, const char *icon, const QString &tip)
{
    QAction *action = new QAction(icon ? QIcon(QString::fromLatin1(icon)) : QIcon(), text, window);
    action->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty())
        action->setToolTip(tip);
    // Held by the window, so the key works wherever the focus is in it.
    window->addAction(action);
    return action;
}

void WindowActions::fillMenus(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    QMenu *file = bar->addMenu(tr("文件(&F)"));
    file->addActions({ openDocument, addImages });
    file->addSeparator();
    file->addActions({ save, saveMulti, saveAs, exportDocument });
    file->addSeparator();
    file->addActions({ print, sendMail });
    file->addSeparator();
    file->addAction(quit);

    QMenu *edit = bar->addMenu(tr("编辑(&E)"));
    edit->addActions({ undo, redo });
    edit->addSeparator();
    edit->addActions({ rotateLeft, rotateRight, crop, annotate, advanced });
    edit->addSeparator();
    edit->addActions({ merge, splitLeftRight, splitTopBottom });
    edit->addSeparator();
    edit->addActions({ moveUp, moveDown, deletePages, clearAll });
    edit->addSeparator();
    edit->addAction(preferences);

    QMenu *view = bar->addMenu(tr("视图(&V)"));
    view->addActions({ zoomIn, zoomOut, fitToWindow, actualSize });
    view->addSeparator();
    view->addActions({ previousPage, nextPage, firstPage, lastPage });
    view->addSeparator();
    view->addAction(layout);

    QMenu *scanMenu = bar->addMenu(tr("扫描(&S)"));
    scanMenu->addActions({ scan, delayScan, findDevices });
    scanMenu->addSeparator();
    scanMenu->addAction(scanSettings);

    QMenu *help = bar->addMenu(tr("帮助(&H)"));
    help->addAction(about);
}

void WindowActions::fillToolBar(QMainWindow *window)
{
    QToolBar *toolBar = new QToolBar(tr("主工具栏"), window);
    toolBar->setObjectName(QStringLiteral("mainToolBar"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    window->addToolBar(Qt::TopToolBarArea, toolBar);
    toolBar->addActions({ scan, save, saveMulti });
    toolBar->addSeparator();
    toolBar->addActions({ rotateLeft, rotateRight, advanced, scanSettings, layout, merge, annotate, crop, deletePages,
        clearAll, about });
    // The words under the icons, where the menus' longer English would push the
    // profile box off a 1024-pixel-wide bar; the Chinese stays the menus' own.
    saveMulti->setIconText(tr("多页保存", "tool bar"));
    rotateLeft->setIconText(tr("左旋转", "tool bar"));
    rotateRight->setIconText(tr("右旋转", "tool bar"));
    advanced->setIconText(tr("高级设置", "tool bar"));
    scanSettings->setIconText(tr("扫描设置", "tool bar"));
    merge->setIconText(tr("合并图片", "tool bar"));
    annotate->setIconText(tr("批注标记", "tool bar"));
}

void WindowActions::setUndoText(const QString &step)
{
    undo->setText(step.isEmpty() ? tr("撤销") : tr("撤销 %1").arg(step));
}

void WindowActions::setRedoText(const QString &step)
{
    redo->setText(step.isEmpty() ? tr("重做") : tr("重做 %1").arg(step));
}
