#pragma once

#include "machine_parameters.h"

#include <QObject>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QWidget;

// The four parameter boxes both machine windows share ("ID", "DMX地址", "播放时间", "播放文件") and
// their "设置" button. The ID is picked from the list "1".."10" and takes no typing.
struct ParameterBoxes {
    QComboBox* id = nullptr;
    QLineEdit* dmxAddress = nullptr;
    QLineEdit* playTime = nullptr;
    QLineEdit* playFile = nullptr;
    QPushButton* set = nullptr;

    // Creates them in `grid` from `row` on; idName is the ID box's object name.
    void build(QWidget* parent, QGridLayout* grid, int row, const QString& idName);
    void show(const kq::admin::ParameterFields& f);
    void setEnabled(bool enabled);
    void clear();
    // Writes the boxes into the block; on a refused value shows the message and returns false.
    bool store(uint8_t* block) const;
};
