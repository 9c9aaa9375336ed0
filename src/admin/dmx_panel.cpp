#include "dmx_panel.h"

#include "core/shared_state.h"
#include "link/transport.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>

DmxPanel::DmxPanel(QWidget* parent) : kq::StatePanel(tr("Dmx512通道模拟"), parent) {
    setObjectName(QStringLiteral("Frame机器上运行"));
    auto* grid = new QGridLayout(this);
    for (int i = 1; i <= kq::admin::kDmxChannels; ++i) {
        auto* bar = new QScrollBar(Qt::Vertical, this);
        bar->setObjectName(QStringLiteral("VScrollDMX通道%1").arg(i));
        bar->setRange(0, 255);
        bar->setMinimumHeight(80);
        // The number above is the channel's only caption: heard alone it would say nothing.
        bar->setAccessibleName(tr("通道%1").arg(i));
        auto* text = new QLineEdit(QStringLiteral("255"), this);
        text->setObjectName(QStringLiteral("Text通道%1").arg(i));
        text->setReadOnly(true);
        text->setMaximumWidth(34);
        text->setAccessibleName(tr("通道%1亮度").arg(i));
        text->installEventFilter(this);
        bar->installEventFilter(this);
        VScrollDMX通道[size_t(i)] = bar;
        Text通道[size_t(i)] = text;
        // Two rows of ten, so that the panel is no wider than the others.
        const int row = (i - 1) / 10 * 3, column = (i - 1) % 10;
        grid->addWidget(new QLabel(QString::number(i), this), row, column, Qt::AlignHCenter);
        grid->addWidget(bar, row + 1, column, Qt::AlignHCenter);
        grid->addWidget(text, row + 2, column);
        connect(bar, &QScrollBar::valueChanged, this, [this, i](int value) {
            Text通道[size_t(i)]->setText(QString::number(255 - value));
            Fun_DMX512模拟();
        });
    }
}

bool DmxPanel::eventFilter(QObject* watched, QEvent* event) {
    for (int i = 1; i <= kq::admin::kDmxChannels; ++i) {
        if (watched != VScrollDMX通道[size_t(i)] && watched != Text通道[size_t(i)]) continue;
        if (event->type() == QEvent::KeyPress && watched == Text通道[size_t(i)]) return true; // no typing
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::Enter) wheelChannel_ = i;
        if (event->type() == QEvent::Wheel) {
            wheelChannel_ = i;
            // A sideways turn (or a touchpad's horizontal swipe) moves no level.
            if (const int dy = static_cast<QWheelEvent*>(event)->angleDelta().y(); dy != 0)
                Fun_dmx模拟鼠标滚轮(dy > 0 ? 1 : 0);
            return true;
        }
    }
    return kq::StatePanel::eventFilter(watched, event);
}

void DmxPanel::Fun_DMX512模拟() {
    if (dmxSending_) return; // a scroll during the send comes back here through the event pump
    dmxSending_ = true;
    std::array<int, kq::admin::kDmxChannels + 1> levels{};
    for (int i = 1; i <= kq::admin::kDmxChannels; ++i) {
        levels[size_t(i)] = 255 - VScrollDMX通道[size_t(i)]->value();
        Text通道[size_t(i)]->setText(QString::number(levels[size_t(i)]));
    }
    Fun_SendFrame(0, kq::link::code::Dmx512, kq::admin::dmxPayload(levels, g_ColourOrder), true);
    dmxSending_ = false;
}

void DmxPanel::Fun_dmx模拟鼠标滚轮(int direction) {
    if (wheelTurning_) return;
    wheelTurning_ = true;
    const int channel = wheelChannel_;
    if (channel >= 1 && channel <= kq::admin::kDmxChannels) {
        QScrollBar* bar = VScrollDMX通道[size_t(channel)];
        if (direction == 1) {
            if (bar->value() > 0) bar->setValue(bar->value() - 1);
        } else if (bar->value() < 255) {
            bar->setValue(bar->value() + 1);
        }
    }
    wheelTurning_ = false;
}
