#pragma once

#include "controller_settings.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Form控制器设置": what each machine number drives (a machine of this family or an open-protocol
// controller), its address, colour order and port layout, with the universes or bytes each port
// takes. Values outside a protocol's range are refused as typed; overlaps are said and keep the table
// from being saved until they are gone.
class ControllersWindow : public QWidget {
    Q_OBJECT
public:
    explicit ControllersWindow(QWidget* parent = nullptr);

    // Shows the window with the table as the settings hold it.
    void open();
    // The table as the boxes hold it, and why it cannot be saved (empty when it can).
    kq::link::ControllerTable table() const;
    QString problem() const { return problem_; }
    void Command保存_Click();
    void Command导出_Click();
    void Command导入_Click();

signals:
    // The table was saved: the output takes it from the next tick on.
    void saved();

private:
    struct Row {
        QComboBox* kind = nullptr;
        QLineEdit* address = nullptr;
        QComboBox* colour = nullptr;
        QLineEdit* pixels = nullptr;
        QLineEdit* universe = nullptr; // universe, port-address or byte offset of port 1
        QComboBox* channels = nullptr;
        QCheckBox* multicast = nullptr;
        QLabel* ports = nullptr;
        QLabel* sequence = nullptr; // the number's channels in sequence files
    };
    void fill(const kq::link::ControllerTable& t, const std::array<QString, 11>& addresses);
    void refresh();
    // The range a box takes for the row's kind, for refusing what is typed past it.
    void refuseOutOfRange(int machine, QLineEdit* box);
    std::array<QString, 11> addresses() const;

    std::array<Row, 11> rows_{};
    QLineEdit* Text优先级 = nullptr;
    QLineEdit* Text同步域 = nullptr;
    QCheckBox* CheckArtNet同步 = nullptr;
    QCheckBox* CheckDDP同步 = nullptr;
    QLabel* Label控制器提示 = nullptr;
    QPushButton* Command控制器保存 = nullptr;
    QByteArray cid_;
    QString problem_;
    bool filling_ = false;
};
