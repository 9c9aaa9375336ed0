#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;

// "Form工厂测试": sends "8040" to every machine twice a second; a mouse press ends the program.
class FactoryTestWindow : public QWidget {
    Q_OBJECT
public:
    explicit FactoryTestWindow(QWidget* parent = nullptr);
    QLabel* Label显示 = nullptr;
    QTimer* Timer时间循环 = nullptr;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

// "Form不检测R_770": switches the machines' R-770 detection off or on; a mouse press ends the program.
class R770SwitchWindow : public QWidget {
    Q_OBJECT
public:
    explicit R770SwitchWindow(QWidget* parent = nullptr);
    QLabel* Label显示 = nullptr;
    QPushButton* Command关闭 = nullptr;
    QPushButton* Command开启 = nullptr;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
