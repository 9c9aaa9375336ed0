#include "material_editor.h"

#include "core/panel_widgets.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "material_edit.h"
#include "model_undo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <optional>

namespace {

const char* const kShapes[] = {QT_TRANSLATE_NOOP("kq", "1横线"), QT_TRANSLATE_NOOP("kq", "2竖线"),
                               QT_TRANSLATE_NOOP("kq", "3斜线"), QT_TRANSLATE_NOOP("kq", "4点")};
const char* const kShortcuts[] = {QT_TRANSLATE_NOOP("kq", "无"),       QT_TRANSLATE_NOOP("kq", "机器编号"),
                                  QT_TRANSLATE_NOOP("kq", "端口编号"), QT_TRANSLATE_NOOP("kq", "类型"),
                                  QT_TRANSLATE_NOOP("kq", "方向"),     QT_TRANSLATE_NOOP("kq", "备注"),
                                  QT_TRANSLATE_NOOP("kq", "位置同步"), QT_TRANSLATE_NOOP("kq", "备注编号[x]")};

// Merge ids of the boxes: consecutive typing into one box is one undo step.
enum Box { Machine = 1, Port, Start, Points, Coord1, Coord2, Coord3, Coord4, Note = 10, Length, Width, ModelNote };

std::optional<int> wholeNumber(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

T_Material& current() {
    return g_Materials[currentModel()][std::clamp(g_CurMaterial, 1, kMaterialCount)];
}

} // namespace

MaterialEditor::MaterialEditor(ModelUndo& undo, QWidget* parent) : QGroupBox(parent), undo_(undo) {
    setObjectName(QStringLiteral("Frame素材"));
    build();
}

QLineEdit* MaterialEditor::numberBox(const QString& name) {
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setMaximumWidth(80);
    return box;
}

void MaterialEditor::build() {
    auto* grid = new QGridLayout(this);
    const auto pickList = [this](const QString& name, int from, int to) {
        auto* box = new QComboBox(this);
        box->setObjectName(name);
        for (int i = from; i <= to; ++i)
            box->addItem(QString::number(i));
        return box;
    };
    Combo机器编号 = pickList(QStringLiteral("Combo机器编号"), 1, 10);
    Combo机器编号->setEditable(true);
    Combo端口编号 = pickList(QStringLiteral("Combo端口编号"), 1, 8);
    Combo端口编号->setEditable(true);
    Text素材起始地址 = numberBox(QStringLiteral("Text素材起始地址"));
    Text点_结束地址 = numberBox(QStringLiteral("Text点_结束地址"));
    Text素材地址结束 = numberBox(QStringLiteral("Text素材地址结束"));
    Text素材地址结束->setReadOnly(true);
    for (int k = 1; k <= 4; ++k) {
        Text素材坐标[size_t(k)] = numberBox(QStringLiteral("Text素材坐标%1").arg(k));
        Text素材坐标[size_t(k)]->setText(QStringLiteral("100"));
    }
    Combo形状 = kq::makePickList(this, QStringLiteral("Combo形状"));
    for (const char* s : kShapes)
        Combo形状->addItem(QCoreApplication::translate("kq", s));
    Check素材方向 = kq::makeCheckBox(this, QStringLiteral("Check素材方向"), tr("反向"));
    JiaoDu = pickList(QStringLiteral("JiaoDu"), 0, 360);
    JiaoDu->setEditable(true);
    JiaoDu->setValidator(new QIntValidator(0, 360, JiaoDu)); // digits only
    Text素材备注 = new QLineEdit(this);
    Text素材备注->setObjectName(QStringLiteral("Text素材备注"));
    Text模型长度 = numberBox(QStringLiteral("Text模型长度"));
    Text模型宽度 = numberBox(QStringLiteral("Text模型宽度"));
    Text模型备注 = new QLineEdit(this);
    Text模型备注->setObjectName(QStringLiteral("Text模型备注"));
    Combo一次选择数量 = pickList(QStringLiteral("Combo一次选择数量"), 1, kMaterialCount);
    Combo移动步进 = pickList(QStringLiteral("Combo移动步进"), 1, 20);
    Text复制数量 = numberBox(QStringLiteral("Text复制数量"));
    Text复制数量->setText(QStringLiteral("1"));
    Check自增复制自动下移 = kq::makeCheckBox(this, QStringLiteral("Check自增复制自动下移"), tr("自动下移"));
    Check自增复制自动反向 = kq::makeCheckBox(this, QStringLiteral("Check自增复制自动反向"), tr("自动反向"));
    Combo快捷按键 = kq::makePickList(this, QStringLiteral("Combo快捷按键"));
    for (const char* s : kShortcuts)
        Combo快捷按键->addItem(QCoreApplication::translate("kq", s));
    Command所有素材反向 = kq::makeButton(this, QStringLiteral("Command所有素材反向"), tr("所有素材反向"));
    Command_X轴反向 = kq::makeButton(this, QStringLiteral("Command_X轴反向"), tr("X轴反向"));
    Command_Y轴反向 = kq::makeButton(this, QStringLiteral("Command_Y轴反向"), tr("Y轴反向"));
    const char* const moves[] = {QT_TRANSLATE_NOOP("kq", "上移"), QT_TRANSLATE_NOOP("kq", "下移"),
                                 QT_TRANSLATE_NOOP("kq", "左移"), QT_TRANSLATE_NOOP("kq", "右移")};
    for (int i = 0; i < 4; ++i) {
        Command移动[size_t(i)] =
            kq::makeButton(this, QStringLiteral("Command移动%1").arg(i), QCoreApplication::translate("kq", moves[i]));
        connect(Command移动[size_t(i)], &QPushButton::clicked, this, [this, i] { Command移动_Click(i); });
    }

    int row = 0;
    const auto add = [&](const QString& label, QWidget* a, const QString& label2 = {}, QWidget* b = nullptr) {
        grid->addWidget(kq::makeLabel(a, label), row, 0);
        grid->addWidget(a, row, 1);
        if (b) {
            if (!label2.isEmpty()) grid->addWidget(kq::makeLabel(b, label2), row, 2); // a check box names itself
            grid->addWidget(b, row, 3);
        }
        ++row;
    };
    add(tr("机器编号"), Combo机器编号, tr("端口编号"), Combo端口编号);
    add(tr("起始地址"), Text素材起始地址, tr("结束地址"), Text素材地址结束);
    add(tr("形状"), Combo形状, tr("点数"), Text点_结束地址);
    add(QStringLiteral("X1"), Text素材坐标[1], QStringLiteral("Y1"), Text素材坐标[2]);
    add(QStringLiteral("X2"), Text素材坐标[3], QStringLiteral("Y2"), Text素材坐标[4]);
    add(tr("角度"), JiaoDu, QString(), Check素材方向);
    add(tr("素材备注"), Text素材备注);
    add(tr("模型长度"), Text模型长度, tr("模型宽度"), Text模型宽度);
    add(tr("模型备注"), Text模型备注);
    add(tr("移动数量"), Combo一次选择数量, tr("移动步进"), Combo移动步进);
    add(tr("复制数量"), Text复制数量, tr("快捷按键"), Combo快捷按键);
    grid->addWidget(Check自增复制自动下移, row, 0, 1, 2);
    grid->addWidget(Check自增复制自动反向, row++, 2, 1, 2);
    for (int i = 0; i < 4; ++i)
        grid->addWidget(Command移动[size_t(i)], row, i);
    ++row;
    grid->addWidget(Command所有素材反向, row, 0, 1, 2);
    grid->addWidget(Command_X轴反向, row, 2);
    grid->addWidget(Command_Y轴反向, row, 3);

    // Machine and port: a typed value outside 0..limit is refused and the box shows the stored one.
    const auto limited = [this](QComboBox* box, int limit, int mergeId, int32_t T_Material::*field) {
        connect(box, &QComboBox::editTextChanged, this, [=, this](const QString& text) {
            if (updating_) return;
            const std::optional<int> v = wholeNumber(text);
            if (!v) return;
            if (*v < 0 || *v > limit) {
                updating_ = true;
                box->setEditText(QString::number(current().*field));
                updating_ = false;
                return;
            }
            apply(
                box->objectName(), [&] { current().*field = *v; }, mergeId, box);
        });
    };
    limited(Combo机器编号, 10, Machine, &T_Material::Machine);
    limited(Combo端口编号, 8, Port, &T_Material::Port);
    const auto number = [this](QLineEdit* box, int mergeId, std::function<void(int)> store) {
        connect(box, &QLineEdit::textChanged, this, [=, this] { storeNumber(box, mergeId, store); });
    };
    number(Text素材起始地址, Start, [](int v) { current().StartAddr = v; });
    number(Text点_结束地址, Points, [](int v) { current().PointCount = v; });
    for (int k = 1; k <= 4; ++k)
        number(Text素材坐标[size_t(k)], Coord1 + k - 1, [k](int v) { kq::model::setCoordinate(current(), k, v); });
    // A model side outside 1..kMaxModelSide is refused as typed: the box shows the stored size again.
    const auto side = [this](QLineEdit* box, int mergeId, int32_t(&sides)[kModelCount + 1]) {
        connect(box, &QLineEdit::textChanged, this, [=, this, &sides] {
            if (updating_) return;
            const std::optional<int> v = wholeNumber(box->text());
            if (!v) return;
            if (*v < 1 || *v > kMaxModelSide) {
                kq::sayAtBox(box, tr("模型长度和宽度只能是1到%1").arg(kMaxModelSide));
                updating_ = true;
                box->setText(QString::number(sides[currentModel()]));
                updating_ = false;
                return;
            }
            apply(
                box->objectName(), [&] { sides[currentModel()] = *v; }, mergeId, box);
        });
    };
    side(Text模型长度, Length, g_ModelLength);
    side(Text模型宽度, Width, g_ModelWidth);
    const auto text = [this](QLineEdit* box, int mergeId, std::function<void(const QString&)> store) {
        connect(box, &QLineEdit::textChanged, this, [=, this](const QString& t) {
            if (updating_) return;
            apply(
                box->objectName(), [&] { store(t); }, mergeId, box);
        });
    };
    kq::acceptOnlyCodePage936(Text素材备注);
    kq::acceptOnlyCodePage936(Text模型备注);
    text(Text素材备注, Note, [](const QString& t) { current().Note = t; });
    text(Text模型备注, ModelNote, [](const QString& t) { g_ModelNote[currentModel()] = t; });
    connect(Combo形状, &QComboBox::activated, this, [this](int shape) { Combo形状_Click(shape); });
    connect(JiaoDu, &QComboBox::activated, this, [this](int angle) { JiaoDu_Click(angle); });
    connect(JiaoDu, &QComboBox::editTextChanged, this, [this](const QString& t) {
        if (updating_) return;
        const std::optional<int> v = wholeNumber(t);
        if (v && *v >= 0 && *v <= 360 && t.trimmed().size() == QString::number(*v).size()) {
            typing_ = JiaoDu;
            JiaoDu_Click(*v);
            typing_ = nullptr;
        }
    });
    connect(Check素材方向, &QCheckBox::toggled, this, [this](bool on) {
        if (updating_) return;
        undo_.perform(tr("反向"), [on] { current().Reverse = on ? 1 : 0; });
        emit changed();
    });
    connect(Combo一次选择数量, &QComboBox::activated, this,
            [this] { Fun_WriteIni(g_IniPath, kq::key::MoveCount, Combo一次选择数量->currentText()); });
    connect(Combo移动步进, &QComboBox::activated, this,
            [this] { Fun_WriteIni(g_IniPath, kq::key::MoveStep, Combo移动步进->currentText()); });
    connect(Command所有素材反向, &QPushButton::clicked, this,
            [this] { apply(tr("所有素材反向"), [] { kq::model::reverseAll(g_Materials[currentModel()]); }); });
    connect(Command_X轴反向, &QPushButton::clicked, this,
            [this] { apply(tr("X轴反向"), [] { kq::model::reverseXAxis(current()); }); });
    connect(Command_Y轴反向, &QPushButton::clicked, this,
            [this] { apply(tr("Y轴反向"), [] { kq::model::reverseYAxis(current()); }); });
}

void MaterialEditor::storeNumber(QLineEdit* box, int mergeId, const std::function<void(int)>& store) {
    if (updating_) return;
    const std::optional<int> v = wholeNumber(box->text());
    if (!v) return; // a conversion error leaves the field as it was
    apply(
        box->objectName(), [&] { store(*v); }, mergeId, box);
}

void MaterialEditor::apply(const QString& name, const std::function<void()>& action, int mergeId, QObject* typing) {
    undo_.perform(name, action, mergeId);
    QObject* const outer = typing_;
    if (typing) typing_ = typing;
    Fun_select_素材();
    typing_ = outer;
    emit changed();
}

void MaterialEditor::put(QLineEdit* box, const QString& text) const {
    if (box != typing_ && box->text() != text) box->setText(text);
}

void MaterialEditor::put(QComboBox* box, const QString& text) const {
    if (box != typing_ && box->currentText() != text) box->setEditText(text);
}

void MaterialEditor::restoreAids() {
    const int count = Fun_ReadIniNumber(g_IniPath, kq::key::MoveCount, 1, 1, kMaterialCount);
    const int step = Fun_ReadIniNumber(g_IniPath, kq::key::MoveStep, 1, 1, 20);
    Combo一次选择数量->setCurrentIndex(count - 1);
    Combo移动步进->setCurrentIndex(step - 1);
}

void MaterialEditor::applyShapeControls(int shape) {
    const bool diagonal = shape == kShapeDiagonal;
    JiaoDu->setVisible(diagonal);
    for (QWidget* w : {static_cast<QWidget*>(Command_X轴反向), static_cast<QWidget*>(Command_Y轴反向)})
        w->setEnabled(!diagonal);
    for (int k : {1, 3, 4})
        Text素材坐标[size_t(k)]->setEnabled(!diagonal);
    Text点_结束地址->setEnabled(shape == kShapePoints);
    emit diagonalShown(diagonal);
}

void MaterialEditor::Fun_select_素材() {
    updating_ = true;
    const T_Material& t = current();
    put(Combo机器编号, QString::number(t.Machine));
    put(Combo端口编号, QString::number(t.Port));
    put(Text素材起始地址, QString::number(t.StartAddr));
    put(Text点_结束地址, QString::number(t.PointCount));
    for (int k = 1; k <= 4; ++k)
        put(Text素材坐标[size_t(k)], QString::number(t.Coord[k]));
    Combo形状->setCurrentIndex(std::clamp(int(t.Shape), 0, 3));
    Check素材方向->setChecked(t.Reverse != 0);
    put(JiaoDu, QString::number(t.Angle));
    put(Text素材备注, t.Note);
    put(Text素材地址结束, kq::model::endAddressText(t));
    put(Text模型长度, QString::number(g_ModelLength[currentModel()]));
    put(Text模型宽度, QString::number(g_ModelWidth[currentModel()]));
    put(Text模型备注, g_ModelNote[currentModel()]);
    applyShapeControls(t.Shape);
    setTitle(tr("%1素材").arg(g_CurMaterial));
    updating_ = false;
}

void MaterialEditor::Combo形状_Click(int shape) {
    apply(tr("形状"), [shape] { kq::model::changeShape(current(), shape); });
}

void MaterialEditor::JiaoDu_Click(int angle) {
    apply(tr("角度"), [angle] { kq::model::turnDiagonal(current(), angle); });
}

void MaterialEditor::Command移动_Click(int direction) {
    const int count = Combo一次选择数量->currentText().toInt();
    const int step = Combo移动步进->currentText().toInt();
    undo_.perform(tr("移动"), [&] {
        kq::model::moveMaterials(g_Materials[currentModel()], g_CurMaterial, count, step, direction);
    });
    Fun_select_素材();
    for (int k = 1; k <= 4; ++k)
        rememberedCoords_[size_t(k)] = Text素材坐标[size_t(k)]->text().toInt();
    coordsRemembered_ = true;
    emit changed();
}

void MaterialEditor::Fun_快捷键设置id等(int d) {
    // One key press is one undo step, however many boxes and materials it changes.
    apply(Combo快捷按键->currentText(), [&] { shortcut(d); });
}

void MaterialEditor::shortcut(int d) {
    const QString digit = QString::number(d);
    switch (Combo快捷按键->currentIndex()) {
    case 1:
        Combo机器编号->setEditText(digit);
        break;
    case 2:
        Combo端口编号->setEditText(digit);
        break;
    case 3:
        if (d >= 1 && d <= 4) {
            Combo形状->setCurrentIndex(d - 1);
            Combo形状_Click(d - 1);
        }
        break;
    case 4:
        if (d == 1) Check素材方向->setChecked(false);
        if (d == 2) Check素材方向->setChecked(true);
        if (d == 3) toggleReverse();
        break;
    case 5:
        if (d == 1) rememberedNote_ = Text素材备注->text();
        if (d == 2) Text素材备注->setText(rememberedNote_);
        break;
    case 6:
        if (d == 1 && coordsRemembered_) {
            for (int k = 1; k <= 4; ++k)
                Text素材坐标[size_t(k)]->setText(QString::number(rememberedCoords_[size_t(k)]));
            Command移动_Click(current().Shape == kShapeHorizontal ? 1 : 3);
        }
        break;
    case 7:
        if (d == 1) noteCounter_ = 1;
        if (d == 2) ++noteCounter_;
        if (d == 1 || d == 2) Text素材备注->setText(kq::model::numberNote(current().Note, noteCounter_));
        break;
    default:
        break;
    }
}

void MaterialEditor::wheelStep(QLineEdit* box, int direction) {
    const std::optional<int> v = wholeNumber(box->text());
    if (!v) return;
    if (direction == 1)
        box->setText(QString::number(*v + 1));
    else if (*v >= 1)
        box->setText(QString::number(*v - 1));
}

int MaterialEditor::copyCount() const {
    return std::max(1, Text复制数量->text().toInt());
}
void MaterialEditor::setCopyCount(int n) {
    Text复制数量->setText(QString::number(n));
}
int MaterialEditor::shapeIndex() const {
    return Combo形状->currentIndex();
}
int MaterialEditor::angle() const {
    return JiaoDu->currentText().toInt();
}
bool MaterialEditor::autoMoveDown() const {
    return Check自增复制自动下移->isChecked();
}
bool MaterialEditor::autoReverse() const {
    return Check自增复制自动反向->isChecked();
}
void MaterialEditor::toggleReverse() {
    Check素材方向->setChecked(!Check素材方向->isChecked());
}

void MaterialEditor::continueAddresses() {
    Text素材起始地址->setText(QString::number(Text素材地址结束->text().toInt() + 1));
}

std::array<QLineEdit*, 7> MaterialEditor::wheelBoxes() const {
    return {Text素材坐标[1],  Text素材坐标[2], Text素材坐标[3], Text素材坐标[4],
            Text素材起始地址, Text模型长度,    Text模型宽度};
}
