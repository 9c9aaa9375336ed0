#include "tool_windows.h"

#include "core/shared_state.h"
#include "link/transport.h"
#include "link/udp_host.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QLabel* titled(QWidget* w, const QString& text) {
    w->setWindowTitle(text);
    QApplication::setApplicationName(text);
    auto* label = new QLabel(text, w);
    label->setObjectName(QStringLiteral("Label显示"));
    label->setAlignment(Qt::AlignCenter);
    return label;
}
} // namespace

FactoryTestWindow::FactoryTestWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form工厂测试"));
    Label显示 = titled(this, tr("KQ-510 工厂测试 V1.1"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label显示);
    resize(360, 120);
    Form_UDP();
    Timer时间循环 = new QTimer(this);
    Timer时间循环->setObjectName(QStringLiteral("Timer时间循环"));
    Timer时间循环->setInterval(500);
    connect(Timer时间循环, &QTimer::timeout, this, [] {
        if (!g_PauseTasks) Fun_SendFrame(0, kq::link::code::FactoryTest, {}, true);
    });
    Timer时间循环->start();
}

void FactoryTestWindow::mousePressEvent(QMouseEvent*) {
    g_ExitRequested = true;
}
void FactoryTestWindow::closeEvent(QCloseEvent*) {
    g_ExitRequested = true;
}

R770SwitchWindow::R770SwitchWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form不检测R_770"));
    Label显示 = titled(this, tr("不检测R-770"));
    Command关闭 = new QPushButton(tr("关闭"), this);
    Command关闭->setObjectName(QStringLiteral("Command关闭"));
    Command开启 = new QPushButton(tr("开启"), this);
    Command开启->setObjectName(QStringLiteral("Command开启"));
    connect(Command关闭, &QPushButton::clicked, this,
            [] { Fun_SendFrame(0, kq::link::code::R770Switch, QByteArray(1, 0x00), true); });
    connect(Command开启, &QPushButton::clicked, this,
            [] { Fun_SendFrame(0, kq::link::code::R770Switch, QByteArray(1, 0x01), true); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label显示);
    layout->addWidget(Command关闭);
    layout->addWidget(Command开启);
    resize(300, 150);
    Form_UDP();
}

void R770SwitchWindow::mousePressEvent(QMouseEvent*) {
    g_ExitRequested = true;
}
void R770SwitchWindow::closeEvent(QCloseEvent*) {
    g_ExitRequested = true;
}
