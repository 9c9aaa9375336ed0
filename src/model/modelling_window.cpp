#include "modelling_window.h"

#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/panel_widgets.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "material_edit.h"
#include "material_editor.h"
#include "model_canvas.h"
#include "model_data.h"
#include "model_file.h"
#include "model_undo.h"
#include "modelling_test.h"
#include "wiring_check.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStringList>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

namespace {
QString rowText(int i) {
    return QStringLiteral("[%1] %2").arg(i).arg(g_Materials[currentModel()][i].Note);
}
} // namespace

ModellingWindow::ModellingWindow(QWidget* parent) : QWidget(parent, Qt::Window), undo_(new ModelUndo(this)) {
    setObjectName(QStringLiteral("Form建模"));
    setWindowTitle(tr("建模"));
    build();
    Timer_初始化 = new QTimer(this);
    Timer_初始化->setObjectName(QStringLiteral("Timer_初始化"));
    Timer_初始化->setSingleShot(true);
    connect(Timer_初始化, &QTimer::timeout, this, [this] {
        editor_->restoreAids();
        Fun_建模初始化();
        Frame模型->setTitle(tr("%1模型").arg(g_CurModel));
    });
    connect(undo_, &ModelUndo::restored, this, [this] { Fun_更新所有(); });
}

ModellingWindow::~ModellingWindow() = default;

void ModellingWindow::build() {
    // The canvas takes the room the window gains: splitters between the left side and the boxes, the
    // canvas and the lists, the list and the wiring check; the window remembers them.
    auto* layout = new QHBoxLayout(this);
    auto* sides = new QSplitter(Qt::Horizontal, this);
    sides->setObjectName(QStringLiteral("Splitter建模左右"));
    sides->setChildrenCollapsible(false);
    layout->addWidget(sides);
    Frame模型 = new QGroupBox(sides);
    Frame模型->setObjectName(QStringLiteral("Frame模型"));
    auto* left = new QVBoxLayout(Frame模型);
    auto* upDown = new QSplitter(Qt::Vertical, Frame模型);
    upDown->setObjectName(QStringLiteral("Splitter建模上下"));
    upDown->setChildrenCollapsible(false);
    left->addWidget(upDown);
    Picture模型 = new ModelCanvas(upDown);
    Picture模型->setMinimumSize(160, 120);
    auto* lists = new QSplitter(Qt::Horizontal, upDown);
    lists->setObjectName(QStringLiteral("Splitter建模列表"));
    lists->setChildrenCollapsible(false);
    upDown->setStretchFactor(0, 3);
    upDown->setStretchFactor(1, 2);
    List素材列表 = new QListWidget(lists);
    List素材列表->setObjectName(QStringLiteral("List素材列表"));
    List素材列表->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List素材列表->setUniformItemSizes(true);
    List素材列表->setAccessibleName(tr("素材列表"));
    for (int i = 1; i <= kMaterialCount; ++i)
        List素材列表->addItem(rowText(i));
    List素材列表->installEventFilter(this);
    List接线检查 = new QListWidget(lists);
    List接线检查->setObjectName(QStringLiteral("List接线检查"));
    List接线检查->setToolTip(tr("接线检查：点击一项选中该素材"));
    List接线检查->setAccessibleName(tr("接线检查"));
    // A finding is read whole: wrapped to the column, which the splitter widens.
    List接线检查->setWordWrap(true);
    List接线检查->setTextElideMode(Qt::ElideNone);
    List接线检查->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    List接线检查->setResizeMode(QListView::Adjust);
    lists->setStretchFactor(0, 1);
    lists->setStretchFactor(1, 2);
    splitters_ = {sides, upDown, lists};

    auto* rightSide = new QWidget(sides);
    auto* right = new QVBoxLayout(rightSide);
    right->setContentsMargins(0, 0, 0, 0);
    editor_ = new MaterialEditor(*undo_, this);
    right->addWidget(editor_);
    auto* buttons = new QGridLayout;
    const auto button = [&](const char* name, const QString& caption, int r, int c, auto action) {
        QPushButton* b = kq::makeButton(this, QString::fromUtf8(name), caption);
        buttons->addWidget(b, r, c);
        connect(b, &QPushButton::clicked, this, action);
        return b;
    };
    const auto edit = [this](const QString& text, auto action) {
        return [this, text, action] {
            undo_->perform(text, action);
            Fun_更新所有();
        };
    };
    button("Command插入素材", tr("插入"), 0, 0, edit(tr("插入"), [] { Fun_InsertMaterial(); }));
    button("Command删除素材", tr("删除"), 0, 1, [this] { deleteSelected(); });
    button("Command清空素材", tr("清空"), 0, 2, [this] {
        if (!Fun_AskYesNo(tr("确定要清空吗？"))) return;
        undo_->perform(tr("清空"), [] {
            for (int i = 1; i <= kMaterialCount; ++i)
                Fun_ClearMaterial(i);
        });
        Fun_更新所有();
    });
    button("Command复制素材", tr("复制"), 0, 3, [this] { Fun_CopyMaterials(editor_->copyCount()); });
    button("Command粘贴素材", tr("粘贴"), 1, 0, [this] {
        bool many = false;
        undo_->perform(tr("粘贴"), [&] { many = Fun_PasteMaterials(); });
        if (many) editor_->setCopyCount(1);
        Fun_更新所有();
    });
    button("Command保存模板", tr("保存"), 1, 1, [] { Fun_SaveTemplate(); });
    button("Command打开模板", tr("打开"), 1, 2, edit(tr("打开模板"), [] { Fun_OpenTemplate(); }));
    button("Command原点", tr("原点"), 1, 3, [this] { Picture模型->Command原点_Click(); });
    button("Command适合窗口", tr("适合窗口 (F)"), 2, 3, [this] { Picture模型->fitModel(); });
    QPushButton* autoCopy =
        button("Command自增复制到下一个", tr("自增复制到下一个"), 2, 0, [this] { autoIncrementCopy(); });
    connect(editor_, &MaterialEditor::diagonalShown, autoCopy,
            [autoCopy](bool diagonal) { autoCopy->setEnabled(!diagonal); });
    Check横竖切换 = kq::makeCheckBox(this, QStringLiteral("Check横竖切换"), tr("横竖切换"));
    buttons->addWidget(Check横竖切换, 2, 2);
    connect(Check横竖切换, &QCheckBox::clicked, this, [this] {
        switchSelectedOrientation();
        Check横竖切换->setChecked(false);
    });
    QPushButton* undoButton = button("Command撤销", tr("撤销"), 3, 0, [this] { undo_->stack().undo(); });
    QPushButton* redoButton = button("Command重做", tr("重做"), 3, 1, [this] { undo_->stack().redo(); });
    undoButton->setToolTip(tr("撤销 (Ctrl+Shift+Z)"));
    redoButton->setToolTip(tr("重做 (Ctrl+Y)"));
    undoButton->setEnabled(false);
    redoButton->setEnabled(false);
    connect(&undo_->stack(), &QUndoStack::canUndoChanged, undoButton, &QPushButton::setEnabled);
    connect(&undo_->stack(), &QUndoStack::canRedoChanged, redoButton, &QPushButton::setEnabled);
    Check对齐测试 = kq::makeCheckBox(this, QStringLiteral("Check对齐测试"), tr("测试"));
    buttons->addWidget(Check对齐测试, 3, 2);
    connect(Check对齐测试, &QCheckBox::toggled, this, &ModellingWindow::testToggled);
    button("Command返回", tr("返回"), 3, 3, [this] { close(); });
    right->addLayout(buttons);
    right->addStretch(1);
    sides->setStretchFactor(0, 1);
    sides->setStretchFactor(1, 0);

    connect(editor_, &MaterialEditor::changed, this, [this] { refresh(); });
    connect(List素材列表, &QListWidget::itemPressed, this,
            [this](QListWidgetItem* item) { selectMaterial(List素材列表->row(item) + 1); });
    connect(List素材列表, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row + 1 != g_CurMaterial) selectMaterial(row + 1);
    });
    connect(List接线检查, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (item->data(Qt::UserRole).toInt() < 1) return; // a line about the whole show
        selectMaterial(item->data(Qt::UserRole).toInt());
        List素材列表->setCurrentRow(g_CurMaterial - 1);
    });
    connect(Picture模型, &ModelCanvas::materialClicked, this, [this](int n) {
        selectMaterial(n);
        List素材列表->setCurrentRow(n - 1);
    });
    for (QLineEdit* box : editor_->wheelBoxes())
        box->installEventFilter(this);
}

void ModellingWindow::open() {
    // Each time the editor opens its history starts afresh: the models may have been replaced by a
    // model file opened meanwhile, and an old step must never be restored over them.
    undo_->clear();
    Check对齐测试->setChecked(false);
    if (!placed_) {
        placed_ = true;
        restoreGeometry();
    }
    show();
    raise();
    activateWindow();
    // Every opening starts as the first: the current model may be another one, or empty, by now.
    initialised_ = false;
    Timer_初始化->start(10);
}

QRect kq::model::editorGeometry(const QRect& available, const QRect& saved) {
    constexpr int kEnoughPixels = 100;
    const QRect seen = saved.intersected(available);
    if (saved.isValid() && seen.width() >= kEnoughPixels && seen.height() >= kEnoughPixels) {
        QRect r(saved.topLeft(), saved.size().boundedTo(available.size()));
        r.moveLeft(std::clamp(r.left(), available.left(), available.right() + 1 - r.width()));
        r.moveTop(std::clamp(r.top(), available.top(), available.bottom() + 1 - r.height()));
        return r;
    }
    const QSize size(available.width() * 9 / 10, available.height() * 9 / 10);
    return QRect(available.topLeft() +
                     QPoint((available.width() - size.width()) / 2, (available.height() - size.height()) / 2),
                 size);
}

void ModellingWindow::restoreGeometry() {
    const auto twips = [](const QString& key) { return Fun_ReadIniNumber(g_IniPath, key, 0, -1000000, 1000000); };
    const QRect saved(twips(kq::key::EditorLeft) / kTwipsPerPixel, twips(kq::key::EditorTop) / kTwipsPerPixel,
                      twips(kq::key::EditorWidth) / kTwipsPerPixel, twips(kq::key::EditorHeight) / kTwipsPerPixel);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    setGeometry(kq::model::editorGeometry(available, saved));
    const QStringList splits = Fun_ReadIni(g_IniPath, kq::key::EditorSplits).split(QLatin1Char(';'));
    for (size_t i = 0; i < splitters_.size() && qsizetype(i) < splits.size(); ++i) {
        QList<int> sizes;
        for (const QString& n : splits[qsizetype(i)].split(QLatin1Char(',')))
            if (const int v = n.toInt(); v > 0 && v < 100000) sizes << v;
        if (sizes.size() == splitters_[i]->count()) splitters_[i]->setSizes(sizes);
    }
    if (Fun_ReadIniNumber(g_IniPath, kq::key::EditorMaximised, 0, 0, 1) == 1) setWindowState(Qt::WindowMaximized);
}

void ModellingWindow::saveGeometry() const {
    const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
    Fun_WriteIni(g_IniPath, kq::key::EditorLeft, QString::number(r.x() * kTwipsPerPixel));
    Fun_WriteIni(g_IniPath, kq::key::EditorTop, QString::number(r.y() * kTwipsPerPixel));
    Fun_WriteIni(g_IniPath, kq::key::EditorWidth, QString::number(r.width() * kTwipsPerPixel));
    Fun_WriteIni(g_IniPath, kq::key::EditorHeight, QString::number(r.height() * kTwipsPerPixel));
    Fun_WriteIni(g_IniPath, kq::key::EditorMaximised, isMaximized() ? QStringLiteral("1") : QStringLiteral("0"));
    QStringList splits;
    for (const QSplitter* splitter : splitters_) {
        QStringList sizes;
        for (int v : splitter->sizes())
            sizes << QString::number(v);
        splits << sizes.join(QLatin1Char(','));
    }
    Fun_WriteIni(g_IniPath, kq::key::EditorSplits, splits.join(QLatin1Char(';')));
}

void ModellingWindow::Fun_建模初始化() {
    initialised_ = true;
    if (g_CurModel == 0) g_CurModel = 1;
    if (g_CurMaterial == 0) g_CurMaterial = 1;
    if (g_ModelLength[currentModel()] == 0) g_ModelLength[currentModel()] = 100;
    if (g_ModelWidth[currentModel()] == 0) g_ModelWidth[currentModel()] = 100;
    Fun_list列表初始化();
    // A model larger than the canvas opens whole; a smaller one at 1:1 in the middle.
    const int m = currentModel();
    if (kq::model::CanvasView::fitsAtOneToOne(Picture模型->size(), g_ModelLength[m], g_ModelWidth[m]))
        Picture模型->Command原点_Click();
    else
        Picture模型->fitModel();
    Fun_select_素材();
}

void ModellingWindow::Fun_select_素材() {
    editor_->Fun_select_素材();
    Picture模型->update();
    updateWiringCheck();
}

void ModellingWindow::Fun_list列表初始化() {
    const int scroll = List素材列表->verticalScrollBar()->value();
    for (int i = 1; i <= kMaterialCount; ++i) {
        QListWidgetItem* item = List素材列表->item(i - 1);
        if (const QString t = rowText(i); item->text() != t) item->setText(t);
    }
    const QSignalBlocker block(List素材列表);
    List素材列表->setCurrentRow(g_CurMaterial - 1, QItemSelectionModel::ClearAndSelect);
    List素材列表->verticalScrollBar()->setValue(scroll);
    // The list stays where it was unless the current row would be out of sight.
    List素材列表->scrollToItem(List素材列表->currentItem(), QAbstractItemView::EnsureVisible);
}

void ModellingWindow::Fun_更新所有() {
    Fun_select_素材();
    Fun_list列表初始化();
}

void ModellingWindow::refresh() {
    Picture模型->update();
    if (QListWidgetItem* item = List素材列表->item(g_CurMaterial - 1); item && item->text() != rowText(g_CurMaterial))
        item->setText(rowText(g_CurMaterial));
    updateWiringCheck();
}

void ModellingWindow::updateWiringCheck() {
    using Kind = kq::model::WiringFinding::Kind;
    std::vector<kq::model::WiringFinding> findings = kq::model::checkWiring(g_Materials[currentModel()]);
    // Then what the show asks of the strings and the network at the frame period.
    const std::vector<kq::model::WiringFinding> timing =
        kq::model::checkTiming(g_Materials[currentModel()], g_FramePeriodMs, kq::link::readControllers(g_IniPath));
    findings.insert(findings.end(), timing.begin(), timing.end());
    List接线检查->clear();
    if (std::all_of(findings.begin(), findings.end(), [](const auto& f) { return f.kind == Kind::Network; }))
        List接线检查->addItem(tr("接线检查：没有发现问题"));
    for (const kq::model::WiringFinding& f : findings) {
        auto* item = new QListWidgetItem(f.text, List接线检查);
        item->setToolTip(f.text);
        item->setData(Qt::UserRole, f.material);
        if (f.kind != Kind::Network)
            item->setForeground(f.kind == Kind::Overlap || f.kind == Kind::NetworkFull ? QColor(192, 0, 0)
                                                                                       : QColor(160, 96, 0));
    }
}

void ModellingWindow::selectMaterial(int material) {
    // A selection changes no wiring finding: the check runs after edits only.
    g_CurMaterial = std::clamp(material, 1, kMaterialCount);
    editor_->Fun_select_素材();
    Picture模型->update();
}

QList<int> ModellingWindow::selectedMaterials() const {
    QList<int> rows;
    for (const QModelIndex& i : List素材列表->selectionModel()->selectedRows())
        rows << i.row() + 1;
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ModellingWindow::deleteSelected() {
    const QList<int> rows = selectedMaterials();
    undo_->perform(tr("删除"), [&] {
        for (int n : rows)
            Fun_ClearMaterial(n);
    });
    Fun_更新所有();
}

void ModellingWindow::autoIncrementCopy() {
    // One undo step for the whole: copy, next row, paste, addresses, move and direction.
    undo_->perform(tr("自增复制到下一个"), [this] {
        Fun_CopyMaterials(editor_->copyCount());
        if (g_CurMaterial - 1 < 1999) selectMaterial(g_CurMaterial + 1);
        if (Fun_PasteMaterials()) editor_->setCopyCount(1);
        Fun_更新所有();
        editor_->continueAddresses();
        if (editor_->autoMoveDown())
            editor_->Command移动_Click(g_Materials[currentModel()][g_CurMaterial].Shape == kShapeHorizontal ? 1 : 3);
        if (editor_->autoReverse()) editor_->toggleReverse();
    });
    Fun_更新所有();
}

void ModellingWindow::switchSelectedOrientation() {
    // Each selected row becomes current in turn, so the last one is current afterwards; the selection
    // stays as the user made it.
    const QList<int> rows = selectedMaterials();
    if (rows.isEmpty()) return;
    undo_->perform(tr("横竖切换"), [&] {
        for (int n : rows) {
            g_CurMaterial = n;
            T_Material& t = g_Materials[currentModel()][n];
            if (t.Shape == kShapeHorizontal || t.Shape == kShapeVertical)
                kq::model::changeShape(t, t.Shape == kShapeHorizontal ? kShapeVertical : kShapeHorizontal);
        }
    });
    Fun_select_素材();
    for (int n : rows)
        List素材列表->item(n - 1)->setText(rowText(n));
    const QSignalBlocker block(List素材列表);
    List素材列表->selectionModel()->setCurrentIndex(List素材列表->model()->index(g_CurMaterial - 1, 0),
                                                    QItemSelectionModel::NoUpdate);
}

void ModellingWindow::Fun_发送建模测试数据() {
    if (!g_ModellingOpen || !Check对齐测试->isChecked()) return;
    if (liveTestStep) liveTestStep();
    Fun_SendMaterialTest(g_CurMaterial, editor_->shapeIndex(), editor_->angle());
}

bool ModellingWindow::listKey(QKeyEvent* key) {
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    const auto click = [this](const char* name) { findChild<QPushButton*>(QString::fromUtf8(name))->click(); };
    if (ctrl && shift && key->key() == Qt::Key_Z) {
        undo_->stack().undo();
        return true;
    }
    if (ctrl && key->key() == Qt::Key_Y) {
        undo_->stack().redo();
        return true;
    }
    if (ctrl) {
        switch (key->key()) {
        case Qt::Key_Z:
            click("Command插入素材");
            return true;
        case Qt::Key_X:
            // Cut: the copy and the clearing are one step.
            undo_->perform(tr("剪贴"), [&] {
                Fun_CopyMaterials(editor_->copyCount());
                for (int n : selectedMaterials())
                    Fun_ClearMaterial(n);
            });
            Fun_更新所有();
            return true;
        case Qt::Key_C:
            click("Command复制素材");
            return true;
        case Qt::Key_V:
            click("Command粘贴素材");
            return true;
        default:
            return false;
        }
    }
    switch (key->key()) {
    case Qt::Key_W:
        editor_->Command移动_Click(0);
        return true;
    case Qt::Key_S:
        editor_->Command移动_Click(1);
        return true;
    case Qt::Key_A:
        editor_->Command移动_Click(2);
        return true;
    case Qt::Key_D:
        editor_->Command移动_Click(3);
        return true;
    case Qt::Key_F:
        Picture模型->fitModel();
        return true;
    case Qt::Key_P:
        selectMaterial(std::min(g_CurMaterial + editor_->copyCount(), kMaterialCount));
        List素材列表->setCurrentRow(g_CurMaterial - 1);
        return true;
    default:
        if (key->key() >= Qt::Key_0 && key->key() <= Qt::Key_9) {
            editor_->Fun_快捷键设置id等(key->key() - Qt::Key_0);
            return true; // the digit is swallowed
        }
        return false;
    }
}

bool ModellingWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == List素材列表 && event->type() == QEvent::KeyPress && listKey(static_cast<QKeyEvent*>(event)))
        return true;
    if (event->type() == QEvent::Wheel)
        for (QLineEdit* box : editor_->wheelBoxes())
            if (watched == box) {
                // Only a plain notch steps the box; any other turn (a key held, a touchpad) is swallowed.
                auto* wheel = static_cast<QWheelEvent*>(event);
                const int dy = wheel->angleDelta().y();
                if (wheel->modifiers() == Qt::NoModifier && wheel->angleDelta().x() == 0 && (dy == 120 || dy == -120))
                    editor_->wheelStep(box, dy > 0 ? 1 : 0);
                return true;
            }
    return QWidget::eventFilter(watched, event);
}

void ModellingWindow::closeEvent(QCloseEvent* event) {
    saveGeometry();
    Fun_SaveModel();
    g_ModellingOpen = 0;
    Check对齐测试->setChecked(false);
    event->accept();
    emit closed();
}
