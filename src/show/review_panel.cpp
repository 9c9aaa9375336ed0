#include "review_panel.h"

#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "frame_store.h"
#include "link/transport.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <cstring>
#include <optional>

namespace {
QString notePrefix(int n) {
    return QStringLiteral("[%1-%2] ").arg(5 * n).arg(5 * n + 4);
}
QString notesPath() {
    return g_AppFolder + QStringLiteral("/素材说明.txt");
}
} // namespace

ReviewPanel::ReviewPanel(QWidget* parent) : kq::StatePanel(tr("素材编辑"), parent) {
    setObjectName(QStringLiteral("Frame素材编辑"));
    auto* form = new QFormLayout(this);
    Combo素材编辑 = kq::makePickList(this, QStringLiteral("Combo素材编辑"));
    for (int i = 1; i <= kShowMaterials; ++i)
        Combo素材编辑->addItem(QString::number(i));
    HScroll帧数 = new QScrollBar(Qt::Horizontal, this);
    HScroll帧数->setObjectName(QStringLiteral("HScroll帧数"));
    HScroll帧数->setRange(1, 1);
    Label总帧数 = new QLabel(this);
    Label总帧数->setObjectName(QStringLiteral("Label总帧数"));
    Text当前帧数编辑 = new QLineEdit(this);
    Text当前帧数编辑->setObjectName(QStringLiteral("Text当前帧数编辑"));
    Text当前帧数编辑->setReadOnly(true);
    Text当前帧数编辑->setAccessibleName(tr("当前帧")); // its label is the frame count
    Command播放 = kq::makeButton(this, QStringLiteral("Command播放"), tr("播放"));
    Command删除帧 = kq::makeButton(this, QStringLiteral("Command删除帧"), tr("删除帧"));
    Text素材说明 = new QLineEdit(this);
    Text素材说明->setObjectName(QStringLiteral("Text素材说明"));
    kq::acceptOnlyCodePage936(Text素材说明);
    Command预览 = kq::makeButton(this, QStringLiteral("Command素材预览"), tr("预览"));
    auto* play = new QHBoxLayout;
    play->addWidget(Command播放);
    play->addWidget(Command删除帧);
    play->addWidget(Command预览);
    form->addRow(tr("素材"), Combo素材编辑);
    form->addRow(tr("帧"), HScroll帧数);
    form->addRow(Label总帧数, Text当前帧数编辑);
    form->addRow(play);
    form->addRow(tr("素材说明"), Text素材说明);
    connect(Combo素材编辑, &QComboBox::activated, this, [this] {
        HScroll帧数->setValue(1);
        Fun_素材说明调入(selectedMaterial());
        emit materialChosen(selectedMaterial());
    });
    connect(HScroll帧数, &QScrollBar::actionTriggered, this, [this] {
        if (!playing_) QTimer::singleShot(0, this, [this] { Fun_素材编辑(); });
    });
    connect(Command播放, &QPushButton::clicked, this, [this] { Command播放_Click(); });
    connect(Command删除帧, &QPushButton::clicked, this, [this] { deleteRequest_ = true; });
    connect(Command预览, &QPushButton::clicked, this, [this] { emit previewRequested(selectedMaterial()); });
    connect(Text素材说明, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!noteLoading_) Fun_素材说明(noteMaterial_, text);
    });
}

int ReviewPanel::selectedMaterial() const {
    return kq::numberIn(Combo素材编辑, kShowMaterials);
}

void ReviewPanel::showMaterial(int material) {
    Combo素材编辑->setCurrentIndex(material - 1);
}

void ReviewPanel::cycle() {
    if (deleteRequest_)
        Fun_删除一帧();
    else
        Fun_素材编辑();
}

void ReviewPanel::Fun_素材编辑() {
    if (reviewing_) return; // a scroll handled inside the 1 ms waits below comes back here
    reviewing_ = true;
    Label总帧数->clear();
    std::memset(g_LivePlanes, 0, sizeof g_LivePlanes);
    std::memset(g_PortHasData, 0, sizeof g_PortHasData);
    const int material = selectedMaterial();
    const int frame = HScroll帧数->value();
    for (int m = 1; m <= kMaxMachine; ++m) {
        const std::optional<int> count = Fun_LoadMaterialFrame(m, material, frame);
        if (!count) continue;
        if (HScroll帧数->maximum() != std::max(1, *count)) HScroll帧数->setMaximum(std::max(1, *count));
        Label总帧数->setText(tr("共%1帧").arg(*count));
        Text当前帧数编辑->setText(QString::number(frame));
    }
    reviewHalf_ = !reviewHalf_;
    for (int j = 1; j <= kq::show::kRecordedPorts; ++j) {
        bool sent = false;
        for (int m = 1; m <= kMaxMachine; ++m) {
            if (g_PortHasData[j][m] != 1) continue;
            Fun_SendHalfBlock(m, j, reviewHalf_ ? 0 : kq::link::kHalfBlockBytes, g_LivePlanes);
            sent = true;
        }
        if (sent) Fun_Delay(1);
    }
    Fun_SendFrame(0, kq::link::code::LiveShow, {}, true);
    if (playing_) HScroll帧数->setValue(HScroll帧数->value() < HScroll帧数->maximum() ? HScroll帧数->value() + 1 : 1);
    reviewing_ = false;
}

void ReviewPanel::Fun_删除一帧() {
    const int material = selectedMaterial();
    for (int m = 1; m <= kMaxMachine; ++m)
        Fun_DeleteMaterialFrame(m, material, HScroll帧数->value());
    deleteRequest_ = false;
}

void ReviewPanel::Command播放_Click() {
    playing_ = !playing_;
    Command播放->setText(playing_ ? tr("暂停") : tr("播放"));
    Command删除帧->setEnabled(!playing_);
}

void ReviewPanel::setEditControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{Command删除帧, Text当前帧数编辑, Command播放, Combo素材编辑})
        w->setEnabled(enabled);
}

void ReviewPanel::Fun_素材说明(int material, const QString& text) {
    Fun_WriteIni(notesPath(), kq::key::MaterialNotePrefix + Fun_Pad2(material), notePrefix(material) + text);
}

void ReviewPanel::Fun_素材说明调入(int material) {
    noteLoading_ = true;
    noteMaterial_ = material;
    QString note = Fun_ReadIni(notesPath(), kq::key::MaterialNotePrefix + Fun_Pad2(material));
    note.remove(notePrefix(material));
    Text素材说明->setText(note);
    noteLoading_ = false;
}
