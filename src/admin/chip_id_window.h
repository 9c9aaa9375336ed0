#pragma once

#include "machine_parameters.h"
#include "parameter_boxes.h"

#include <QWidget>

class QLabel;
class QListWidget;

// "Form芯片序列设置ID": asks every machine for its chip serial and parameter block ("8015"), lists
// them, and gives the chosen chip a new ID, DMX address, play time and play file ("8016"), which
// works when several machines share an ID or nobody knows them.
class ChipIdWindow : public QWidget {
    Q_OBJECT
public:
    explicit ChipIdWindow(QWidget* parent = nullptr);

    void Fun_Form芯片序列设置ID_show();
    void Fun_读取数据();
    void List列表_Click(int row);
    void Command设置_Click();
    void Fun_控件enable(bool enabled);

private:
    void setWaiting(bool waiting);

    QListWidget* List列表 = nullptr;
    QLabel* Label序列号 = nullptr;
    QLabel* Label跳过 = nullptr;
    ParameterBoxes boxes_;
    kq::admin::ChipList chips_;
    int selected_ = -1;
};
