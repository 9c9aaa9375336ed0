#include "parameter_boxes.h"

#include "core/dialogs.h"
#include "core/panel_widgets.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

void ParameterBoxes::build(QWidget* parent, QGridLayout* grid, int row, const QString& idName) {
    id = kq::makePickList(parent, idName);
    for (int i = 1; i <= 10; ++i)
        id->addItem(QString::number(i));
    id->setEditable(true); // shows any ID a machine reports; picked from the list only
    id->lineEdit()->setReadOnly(true);
    const auto box = [parent](const char* name) {
        auto* b = new QLineEdit(parent);
        b->setObjectName(QString::fromUtf8(name));
        return b;
    };
    dmxAddress = box("TextDMX地址");
    playTime = box("Text播放时间");
    playFile = box("Text播放文件");
    set = kq::makeButton(parent, QStringLiteral("Command设置"), QCoreApplication::translate("kq", "设置"));
    grid->addWidget(kq::makeLabel(id, QStringLiteral("ID")), row, 0);
    grid->addWidget(id, row, 1);
    grid->addWidget(kq::makeLabel(dmxAddress, QCoreApplication::translate("kq", "DMX地址")), row + 1, 0);
    grid->addWidget(dmxAddress, row + 1, 1);
    grid->addWidget(kq::makeLabel(playTime, QCoreApplication::translate("kq", "播放时间")), row + 2, 0);
    grid->addWidget(playTime, row + 2, 1);
    grid->addWidget(kq::makeLabel(playFile, QCoreApplication::translate("kq", "播放文件")), row + 3, 0);
    grid->addWidget(playFile, row + 3, 1);
    grid->addWidget(new QLabel(QCoreApplication::translate("kq", "0表示循环播放所有"), parent), row + 3, 2);
    grid->addWidget(set, row + 4, 1);
}

void ParameterBoxes::show(const kq::admin::ParameterFields& f) {
    id->setEditText(QString::number(f.id));
    dmxAddress->setText(QString::number(f.dmxAddress));
    playTime->setText(QString::number(f.playTime));
    playFile->setText(QString::number(f.playFile));
}

void ParameterBoxes::setEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{set, playFile, playTime, dmxAddress, id})
        w->setEnabled(enabled);
}

void ParameterBoxes::clear() {
    id->setEditText(QString());
    dmxAddress->clear();
    playTime->clear();
    playFile->clear();
}

bool ParameterBoxes::store(uint8_t* block) const {
    if (const auto refused =
            kq::admin::writeFields(block, dmxAddress->text(), playFile->text(), id->currentText(), playTime->text())) {
        Fun_MsgBox(*refused);
        return false;
    }
    return true;
}
