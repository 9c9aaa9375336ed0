#pragma once

#include "core/panel_widgets.h"

#include <array>

class QCheckBox;
class QRadioButton;

// "Frame测试灯带": lights the LED strips of one machine and port (or all) in one colour, or runs a
// chase along them.
class LedTestPanel : public kq::StatePanel {
    Q_OBJECT
public:
    explicit LedTestPanel(QWidget* parent = nullptr);

    // Sends "805D" with the selections, every frame tick while the state is chosen.
    void cycle() override { Fun_测试LED灯带(); }
    void Fun_测试LED灯带();
    // "Option颜色选择": 0 off, 1 R, 2 G, 3 B, 4 W.
    void selectTestColour(int index);

private:
    std::array<QRadioButton*, 11> Option机器{};
    std::array<QRadioButton*, 9> Option端口{};
    std::array<QRadioButton*, 5> Option颜色选择{};
    QCheckBox* Check灯带测试跑马_慢 = nullptr;
    QCheckBox* Check灯带测试跑马_快 = nullptr;
};
