#include "ui/mainwindow.h"

#include <QDebug>
#include <QShowEvent>

#include <chrono>
#include <iostream>

#include "resources/resources.h"

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    initQuirraResources();
    resize(1024, 768);
    qDebug() << "主窗口已初始化";
}

MainWindow::~MainWindow()
{
    qDebug() << "主窗口已销毁";
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    const qint64 now = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch())
                           .count();
    std::cout << "程序启动到主窗口完全显示耗时: " << (now - startTime) / 1000000 << " 毫秒" << std::endl;
}
