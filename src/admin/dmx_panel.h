#pragma once

#include "core/panel_widgets.h"
#include "device_utilities.h"

#include <array>

class QLineEdit;
class QScrollBar;

// "Frame机器上运行": the 20-channel DMX512 simulation. Each bar sets a channel's level (top = 255); the
// mouse wheel over a bar or its box moves that channel by one.
class DmxPanel : public kq::StatePanel {
    Q_OBJECT
public:
    explicit DmxPanel(QWidget* parent = nullptr);

    // Sends "805F" with the 20 levels, every frame tick while the state is chosen.
    void cycle() override { Fun_DMX512模拟(); }
    void Fun_DMX512模拟();
    // direction 1: one level up (the bar one step towards its top); 0: one level down.
    void Fun_dmx模拟鼠标滚轮(int direction);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<QScrollBar*, kq::admin::kDmxChannels + 1> VScrollDMX通道{};
    std::array<QLineEdit*, kq::admin::kDmxChannels + 1> Text通道{};
    int wheelChannel_ = 1; // the channel the wheel moves: the last one pointed at or focused
    bool dmxSending_ = false;
    bool wheelTurning_ = false;
};
