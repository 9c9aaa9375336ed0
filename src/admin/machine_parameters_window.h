#pragma once

#include "machine_parameters.h"
#include "parameter_boxes.h"

#include <QWidget>
#include <array>

class QRadioButton;

// "Form设置机器": reads the parameter block of machine 1..10 ("8012"), lets the user change its ID, DMX
// address, play time and play file, and writes the whole block back ("8013") and reads it again.
class MachineParametersWindow : public QWidget {
    Q_OBJECT
public:
    explicit MachineParametersWindow(QWidget* parent = nullptr);

    // Shows the window (not modal) and reads machine 1.
    void open();
    void readMachine(int machine);
    void Command设置_Click();
    void Fun_空间enable(bool enabled);

private:
    std::array<QRadioButton*, 11> Option机器{};
    ParameterBoxes boxes_;
    void setWaiting(bool waiting);

    kq::admin::ParameterBlock g_MachineParams{};
    int machine_ = 1;
    // The machine whose block the boxes show: "设置" writes it there and nowhere else; 0 while there
    // is no block (waiting for one, or the read failed).
    int blockMachine_ = 0;
};
