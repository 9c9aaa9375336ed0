#include "led_test_panel.h"

#include "core/shared_state.h"
#include "device_utilities.h"
#include "link/transport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

LedTestPanel::LedTestPanel(QWidget* parent) : kq::StatePanel(tr("测试灯带"), parent) {
    setObjectName(QStringLiteral("Frame测试灯带"));
    auto* grid = new QGridLayout(this);
    const auto row = [&](int r, const QString& title, const QString& name, auto& options, const QStringList& captions) {
        auto* group = new QButtonGroup(this);
        grid->addWidget(new QLabel(title, this), r, 0);
        for (int i = 0; i < int(options.size()); ++i) {
            options[size_t(i)] = new QRadioButton(captions[i], this);
            options[size_t(i)]->setObjectName(name + QString::number(i));
            group->addButton(options[size_t(i)], i);
            grid->addWidget(options[size_t(i)], r, i + 1);
        }
        options[0]->setChecked(true);
    };
    QStringList machines{tr("全部")}, ports{tr("全部")};
    for (int i = 1; i <= 10; ++i)
        machines << QString::number(i);
    for (int i = 1; i <= 8; ++i)
        ports << QString::number(i);
    row(0, tr("机器"), QStringLiteral("Option机器"), Option机器, machines);
    row(1, tr("端口"), QStringLiteral("Option端口"), Option端口, ports);
    row(2, tr("颜色"), QStringLiteral("Option颜色选择"), Option颜色选择,
        {tr("灭"), QStringLiteral("R"), QStringLiteral("G"), QStringLiteral("B"), QStringLiteral("W")});
    Check灯带测试跑马_慢 = kq::makeCheckBox(this, QStringLiteral("Check灯带测试跑马_慢"), tr("跑马慢速"));
    Check灯带测试跑马_快 = kq::makeCheckBox(this, QStringLiteral("Check灯带测试跑马_快"), tr("跑马快速"));
    grid->addWidget(Check灯带测试跑马_慢, 3, 1, 1, 3);
    grid->addWidget(Check灯带测试跑马_快, 3, 4, 1, 3);
    // Each chase box clears the other; clearing one does not bounce back.
    connect(Check灯带测试跑马_慢, &QCheckBox::toggled, this, [this](bool on) {
        if (on) Check灯带测试跑马_快->setChecked(false);
    });
    connect(Check灯带测试跑马_快, &QCheckBox::toggled, this, [this](bool on) {
        if (on) Check灯带测试跑马_慢->setChecked(false);
    });
}

void LedTestPanel::selectTestColour(int index) {
    Option颜色选择[size_t(index)]->setChecked(true);
}

void LedTestPanel::Fun_测试LED灯带() {
    const auto selected = [](const auto& options) {
        for (int i = 0; i < int(options.size()); ++i)
            if (options[size_t(i)]->isChecked()) return i;
        return 0;
    };
    Fun_SendFrame(0, kq::link::code::LedStripTest,
                  kq::admin::ledTestPayload(selected(Option机器), selected(Option端口), selected(Option颜色选择),
                                            Check灯带测试跑马_慢->isChecked(), Check灯带测试跑马_快->isChecked(),
                                            g_ColourOrder),
                  true);
}
